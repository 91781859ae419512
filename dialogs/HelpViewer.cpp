#include "dialogs/HelpViewer.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

TfrmHelp::TfrmHelp(QWidget* Parent)
    : QDialog(Parent, Qt::Window), FBrowser(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Pellmark Reelix 2.0 Help"));
    resize(640, 560);
    FBrowser->setObjectName(QStringLiteral("tbHelp"));
    // Web links in the help pages go to the browser, local ones stay here.
    FBrowser->setOpenExternalLinks(true);

    auto* back = new QPushButton(QStringLiteral("&Back"), this);
    back->setObjectName(QStringLiteral("btnBack"));
    auto* contents = new QPushButton(QStringLiteral("&Contents"), this);
    contents->setObjectName(QStringLiteral("btnContents"));
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    close->setObjectName(QStringLiteral("btnClose"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(contents);
    buttons->addWidget(back);
    buttons->addStretch(1);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(FBrowser, 1);

    connect(back, &QPushButton::clicked, FBrowser, &QTextBrowser::backward);
    connect(FBrowser, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(contents, &QPushButton::clicked, FBrowser, &QTextBrowser::home);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    back->setEnabled(false);
}

bool TfrmHelp::ShowContents(const QString& FileName) {
    const QFileInfo info(FileName);
    if (!info.isFile() || !info.isReadable())
        return false;
    FBrowser->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    return !FBrowser->toPlainText().isEmpty();
}
