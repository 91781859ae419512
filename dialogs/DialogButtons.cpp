#include "dialogs/DialogButtons.h"

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
