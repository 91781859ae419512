#include "dialogs/Settings.h"

#include "services/UserPrompts.h"
#include "dialogs/DialogButtons.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QRadioButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

TfrmSettings::TfrmSettings(int DialogType, IUserPrompts& Prompts, TUrlOpener Opener,
                           const QImage& Logo, QWidget* Parent)
    : QDialog(Parent), FDialogType(DialogType), FPrompts(Prompts), FOpener(std::move(Opener)) {
    setObjectName(QStringLiteral("frmSettings"));
    if (FDialogType == dtAbout) {
        setWindowTitle(QStringLiteral("About Pellmark Reelix"));
        BuildAboutPanel(Logo);
        setFixedSize(372, 300);
    } else if (FDialogType == dtFrameSize) {
        setWindowTitle(QStringLiteral("Frame Size Difference"));
        BuildFrameSizePanel();
        AddOkCancel(pnlFrameDiff);
    } else if (FDialogType == dtOptions) {
        setWindowTitle(QStringLiteral("Program Options"));
        BuildOptionsPages();
    } else if (FDialogType == dtFavorites) {
        setWindowTitle(QStringLiteral("Organize Favorites Folder"));
        BuildFavoritesPanel();
        AddOkCancel(pnlFavorites);
    } else if (FDialogType == dtPalette) {
        setWindowTitle(QStringLiteral("Palette Options"));
        BuildPalettePanel();
        bevBot->setVisible(true);
        AddOkCancel(pnlPalettes);
    }
}

void TfrmSettings::AddOkCancel(QWidget* Panel) {
    const TOkCancel buttons = MakeOkCancel(this, this);
    btnOK = buttons.OK;
    btnCancel = buttons.Cancel;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(Panel, 1);
    layout->addLayout(buttons.Row);
}

void TfrmSettings::BuildFrameSizePanel() {
    pnlFrameDiff = new QWidget(this);
    pnlFrameDiff->setObjectName(QStringLiteral("pnlFrameDiff"));
    auto* question = new QLabel(
        QStringLiteral("If frame dimensions are larger than the animation. How should this be handled?"),
        pnlFrameDiff);
    question->setWordWrap(true);
    optClip = new QRadioButton(QStringLiteral("&Trim frame to the animation size"), pnlFrameDiff);
    optClip->setObjectName(QStringLiteral("optClip"));
    optClip->setChecked(true);
    optChange = new QRadioButton(QStringLiteral("&Change animation to match frame size."), pnlFrameDiff);
    optChange->setObjectName(QStringLiteral("optChange"));
    optFit = new QRadioButton(QStringLiteral("&Scale frame down to fit the animation"), pnlFrameDiff);
    optFit->setObjectName(QStringLiteral("optFit"));
    chkDefault = new QCheckBox(QStringLiteral("Make this the &Default"), pnlFrameDiff);
    chkDefault->setObjectName(QStringLiteral("chkDefault"));
    auto* layout = new QVBoxLayout(pnlFrameDiff);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(question);
    layout->addWidget(optClip);
    layout->addWidget(optChange);
    layout->addWidget(optFit);
    layout->addSpacing(6);
    layout->addWidget(chkDefault);
    layout->addStretch(1);
}

void TfrmSettings::BuildPalettePanel() {
    pnlPalettes = new QWidget(this);
    pnlPalettes->setObjectName(QStringLiteral("pnlPalettes"));
    auto* dither = new QGroupBox(QStringLiteral("Dither Method"), pnlPalettes);
    optNearest = new QRadioButton(QStringLiteral("N&earest (no error diffusion)"), dither);
    optNearest->setObjectName(QStringLiteral("optNearest"));
    optNearest->setChecked(true);
    optFloyd = new QRadioButton(QStringLiteral("&FloydSteinberg  (high quality color mapping)"), dither);
    optFloyd->setObjectName(QStringLiteral("optFloyd"));
    auto* ditherLayout = new QVBoxLayout(dither);
    ditherLayout->addWidget(optNearest);
    ditherLayout->addWidget(optFloyd);

    auto* palettes = new QGroupBox(QStringLiteral("Animation Palette(s)"), pnlPalettes);
    optPalOptimzed = new QRadioButton(QStringLiteral("Use self-&adapting global palette (Optimized)"), palettes);
    optPalOptimzed->setObjectName(QStringLiteral("optPalOptimzed"));
    optPalNetcape = new QRadioButton(QStringLiteral("Use &Netscape (216 colors) web safe color cube"), palettes);
    optPalNetcape->setObjectName(QStringLiteral("optPalNetcape"));
    optPalLocal = new QRadioButton(QStringLiteral("Use &local palette for new frames"), palettes);
    optPalLocal->setObjectName(QStringLiteral("optPalLocal"));
    optPalFitted = new QRadioButton(QStringLiteral("Best &quality: colors fitted to each picture"), palettes);
    optPalFitted->setObjectName(QStringLiteral("optPalFitted"));
    optPalFitted->setChecked(true);
    auto fillCounts = [](QComboBox* box) {
        for (int n : PaletteColorCounts)
            box->addItem(QString::number(n), n);
        box->setCurrentIndex(0);
    };
    cbMaxColors = new QComboBox(palettes);
    cbMaxColors->setObjectName(QStringLiteral("cbMaxColors"));
    fillCounts(cbMaxColors);
    auto* maxLabel = new QLabel(QStringLiteral("&Maximum number of colors:"), palettes);
    maxLabel->setBuddy(cbMaxColors);
    auto* paletteLayout = new QGridLayout(palettes);
    paletteLayout->addWidget(optPalFitted, 0, 0, 1, 2);
    paletteLayout->addWidget(optPalOptimzed, 1, 0, 1, 2);
    paletteLayout->addWidget(optPalNetcape, 2, 0, 1, 2);
    paletteLayout->addWidget(optPalLocal, 3, 0, 1, 2);
    paletteLayout->addWidget(maxLabel, 4, 0);
    paletteLayout->addWidget(cbMaxColors, 4, 1);

    // Kept hidden, as designed: its value is still read and written.
    auto* import = new QWidget(pnlPalettes);
    import->setObjectName(QStringLiteral("pnlImportColors"));
    cbMaxDither = new QComboBox(import);
    cbMaxDither->setObjectName(QStringLiteral("cbMaxDither"));
    fillCounts(cbMaxDither);
    auto* importLayout = new QHBoxLayout(import);
    importLayout->addWidget(new QLabel(QStringLiteral("Importing hi-color images (24bit)"), import));
    importLayout->addWidget(cbMaxDither);
    import->setVisible(false);

    chkDefaultPal = new QCheckBox(QStringLiteral("Make this the &Default"), pnlPalettes);
    chkDefaultPal->setObjectName(QStringLiteral("chkDefaultPal"));
    bevBot = new QFrame(pnlPalettes);
    bevBot->setObjectName(QStringLiteral("bevBot"));
    bevBot->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    bevBot->setVisible(false);

    auto* layout = new QVBoxLayout(pnlPalettes);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(dither);
    layout->addWidget(palettes);
    layout->addWidget(import);
    layout->addWidget(chkDefaultPal);
    layout->addStretch(1);
    layout->addWidget(bevBot);
}

void TfrmSettings::SetFrameSizeChoice(const TFrameSizeChoice& Choice) {
    FFitKeepsClip = Choice.ClipFrame;
    optClip->setChecked(Choice.ClipFrame && !Choice.FitFrame);
    optChange->setChecked(!Choice.ClipFrame && !Choice.FitFrame);
    optFit->setChecked(Choice.FitFrame);
    chkDefault->setChecked(Choice.ClipDefault);
}

TFrameSizeChoice TfrmSettings::FrameSizeChoice() const {
    TFrameSizeChoice c;
    c.FitFrame = optFit->isChecked();
    // A fit keeps the trim-or-grow answer as it was, for older versions.
    c.ClipFrame = c.FitFrame ? FFitKeepsClip : optClip->isChecked();
    c.ClipDefault = chkDefault->isChecked();
    return c;
}

void TfrmSettings::SetPaletteChoice(const TPaletteChoice& Choice) {
    chkDefaultPal->setChecked(Choice.PaletteDefaults);
    QRadioButton* type[4] = {optPalOptimzed, optPalNetcape, optPalLocal, optPalFitted};
    type[Choice.PaletteType]->setChecked(true);
    cbMaxColors->setCurrentIndex(cbMaxColors->findData(Choice.MaxColorCount));
    (Choice.DitherMethod == 1 ? optFloyd : optNearest)->setChecked(true);
    cbMaxDither->setCurrentIndex(cbMaxDither->findData(Choice.MaxImportCount));
}

TPaletteChoice TfrmSettings::PaletteChoice() const {
    TPaletteChoice c;
    c.PaletteDefaults = chkDefaultPal->isChecked();
    c.PaletteType = optPalOptimzed->isChecked()  ? TPaletteChoice::ptOptimized
                    : optPalNetcape->isChecked() ? TPaletteChoice::ptWebSafe
                    : optPalLocal->isChecked()   ? TPaletteChoice::ptLocal
                                                 : TPaletteChoice::ptFitted;
    c.MaxColorCount = cbMaxColors->currentData().toInt();
    c.MaxImportCount = cbMaxDither->currentData().toInt();
    c.DitherMethod = optFloyd->isChecked() ? 1 : 0;
    return c;
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
