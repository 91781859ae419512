#pragma once
// An edit field for whole numbers as the dialogs use them: only digits and
// backspace can be typed; the value on entering is remembered so that a bad
// value can be put back; leaving the field is announced for checking.

#include <QLineEdit>

class IUserPrompts;
class TUpDown;

class TNumericEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TNumericEdit(QWidget* Parent = nullptr);

    // The text when the field was entered.
    QString Remembered;

    // A field's text as an integer: non-empty, digits and blanks only, below
    // 32767. False for anything else.
    static bool ParseValue(const QString& Text, int& Value);

    // The check on leaving the field: a bad value is reported ("'%s' is not
    // a valid integer value."), the remembered text comes back and the field
    // keeps the focus (false); a good one moves UpDown to it (true).
    bool CheckLeft(IUserPrompts& Prompts, TUpDown& UpDown);

signals:
    void Left();

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
};
