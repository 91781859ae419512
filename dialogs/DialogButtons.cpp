#include "dialogs/DialogButtons.h"

#include <QLabel>

#include <QDialog>

TOkCancel MakeOkCancel(QDialog* Dialog, QWidget* Parent, const QString& Prefix) {
    auto* ok = new QPushButton(QStringLiteral("OK"), Parent);
    ok->setObjectName(Prefix + QStringLiteral("OK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), Parent);
    cancel->setObjectName(Prefix + QStringLiteral("Cancel"));
    QObject::connect(ok, &QPushButton::clicked, Dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, Dialog, &QDialog::reject);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return {ok, cancel, row};
}

void SetHint(QWidget* Widget, const QString& Hint) {
    const qsizetype bar = Hint.indexOf(QLatin1Char('|'));
    Widget->setToolTip(bar < 0 ? Hint : Hint.left(bar));
    Widget->setStatusTip(bar < 0 ? Hint : Hint.mid(bar + 1));
}

QLabel* BuddyLabel(const QString& Text, QWidget* Buddy, QWidget* Parent) {
    auto* label = new QLabel(Text, Parent);
    label->setBuddy(Buddy);
    return label;
}
