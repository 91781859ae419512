#include "dialogs/Settings.h"

#include "app/UserPrompts.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A hint's first part is the tool tip, the part after '|' the status text.
void SetHint(QWidget* w, const QString& hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    w->setToolTip(bar < 0 ? hint : hint.left(bar));
    w->setStatusTip(bar < 0 ? hint : hint.mid(bar + 1));
}
} // namespace

TfrmSettings::TfrmSettings(int DialogType, IUserPrompts& Prompts, TUrlOpener Opener,
                           const QImage& Logo, QWidget* Parent)
    : QDialog(Parent), FDialogType(DialogType), FPrompts(Prompts), FOpener(std::move(Opener)) {
    setObjectName(QStringLiteral("frmSettings"));
    if (FDialogType == dtAbout) {
        setWindowTitle(QStringLiteral("About Pellmark Reelix"));
        BuildAboutPanel(Logo);
        setFixedSize(372, 300);
    }
}

void TfrmSettings::BuildAboutPanel(const QImage& Logo) {
    pnlAbout = new QWidget(this);
    pnlAbout->setObjectName(QStringLiteral("pnlAbout"));

    auto* logo = new QLabel(pnlAbout);
    logo->setObjectName(QStringLiteral("imgLogo"));
    if (!Logo.isNull())
        logo->setPixmap(QPixmap::fromImage(Logo.scaled(340, 110, Qt::KeepAspectRatio,
                                                       Qt::SmoothTransformation)));
    logo->setAlignment(Qt::AlignCenter);

    auto* title = new QLabel(QStringLiteral("Pellmark Reelix 2.0"), pnlAbout);
    title->setObjectName(QStringLiteral("lblProduct"));
    QFont f = title->font();
    f.setBold(true);
    f.setPointSizeF(f.pointSizeF() * 1.5);
    title->setFont(f);
    title->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(QStringLiteral("Version 2.0\nAn editor for animated GIF images.\n"
                                           "Copyright \u00A9 Pellmark Software. All rights reserved."),
                            pnlAbout);
    text->setObjectName(QStringLiteral("lblCopyright"));
    text->setAlignment(Qt::AlignCenter);

    btnPellmark = new QPushButton(WebLinks::HomePage().host(), pnlAbout);
    btnPellmark->setObjectName(QStringLiteral("btnPellmark"));
    SetHint(btnPellmark, QStringLiteral("Opens default browser to Pellmark Homepage|"));
    btnEmail = new QPushButton(QStringLiteral("Email Pellmark"), pnlAbout);
    btnEmail->setObjectName(QStringLiteral("btnEmail"));
    SetHint(btnEmail, QStringLiteral("Email Pellmark Software|"));
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);

    auto* links = new QHBoxLayout;
    links->addWidget(btnPellmark);
    links->addWidget(btnEmail);
    auto* panel = new QVBoxLayout(pnlAbout);
    panel->addWidget(logo);
    panel->addWidget(title);
    panel->addWidget(text);
    panel->addLayout(links);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pnlAbout, 1);
    layout->addWidget(btnOK, 0, Qt::AlignRight);

    connect(btnPellmark, &QPushButton::clicked, this, &TfrmSettings::btnPellmarkClick);
    connect(btnEmail, &QPushButton::clicked, this, &TfrmSettings::btnEmailClick);
    connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TfrmSettings::btnPellmarkClick() {
    WebLinks::Open(WebLinks::HomePage(), FOpener, FPrompts);
}

void TfrmSettings::btnEmailClick() {
    WebLinks::Open(WebLinks::SupportMail(), FOpener, FPrompts);
}
