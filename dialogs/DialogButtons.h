#pragma once
// The OK and Cancel pair at the foot of a dialog: OK is the default button and
// accepts, Cancel rejects; both sit right-aligned in the row given back.

#include <QHBoxLayout>
#include <QPushButton>

class QDialog;
class QLabel;

struct TOkCancel {
    QPushButton* OK;
    QPushButton* Cancel;
    QHBoxLayout* Row; // stretch, OK, Cancel: add to the dialog's layout
};

// Buttons named Prefix + "OK" and Prefix + "Cancel" (e.g. "btnOK", "btnDropOK").
TOkCancel MakeOkCancel(QDialog* Dialog, QWidget* Parent, const QString& Prefix = QStringLiteral("btn"));

// A hint's first part is the tool tip, the part after '|' the status text.
void SetHint(QWidget* Widget, const QString& Hint);

// A label in front of a field, its mnemonic going to the field.
QLabel* BuddyLabel(const QString& Text, QWidget* Buddy, QWidget* Parent);
