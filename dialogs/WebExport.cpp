#include "dialogs/WebExport.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <array>

#include "dialogs/DialogButtons.h"
#include "services/UserPrompts.h"

namespace {
const char* const kFilters[] = {"Animated WebP (*.webp)", "Animated PNG (*.png *.apng)", "MP4 Video (*.mp4)",
                                "WebM Video (*.webm)"};
const char* const kAbout[] = {
    "Shown by every current browser, usually far smaller than GIF. Keeps transparency and the loop count.",
    "Lossless, shown by every current browser. Keeps transparency and the loop count; often larger than WebP.",
    "The smallest for long or photographic animations; plays in a <video> element, muted, looping without end. "
    "See-through parts become white.",
    "A VP9 video; like MP4, and keeps transparency in the browsers that show it."};
} // namespace

TfrmWebExport::TfrmWebExport(IUserPrompts& Prompts, const QString& Suggested, QWidget* Parent)
    : QDialog(Parent), FPrompts(Prompts), FSuggested(Suggested) {
    setObjectName(QStringLiteral("frmWebExport"));
    setWindowTitle(QStringLiteral("Export As Web Animation"));
    auto* layout = new QVBoxLayout(this);
    auto* formats = new QGroupBox(QStringLiteral("Format"), this);
    auto* formatRows = new QVBoxLayout(formats);
    auto radio = [&](const char* Name, const QString& Caption) {
        auto* button = new QRadioButton(Caption, formats);
        button->setObjectName(QLatin1String(Name));
        formatRows->addWidget(button);
        connect(button, &QRadioButton::toggled, this, [this](bool On) {
            if (On)
                ShowFormat();
        });
        return button;
    };
    optWebP = radio("optWebP", QStringLiteral("Animated &WebP"));
    optApng = radio("optApng", QStringLiteral("Animated &PNG"));
    optMp4 = radio("optMp4", QStringLiteral("&MP4 video (H.264)"));
    optWebm = radio("optWebm", QStringLiteral("W&ebM video (VP9)"));
    layout->addWidget(formats);
    lblAbout = new QLabel(this);
    lblAbout->setObjectName(QStringLiteral("lblAbout"));
    lblAbout->setWordWrap(true);
    lblAbout->setTextFormat(Qt::PlainText);
    layout->addWidget(lblAbout);

    auto* grid = new QGridLayout;
    chkLossless = new QCheckBox(QStringLiteral("&Lossless"), this);
    chkLossless->setObjectName(QStringLiteral("chkLossless"));
    grid->addWidget(chkLossless, 0, 0, 1, 3);
    sldQuality = new QSlider(Qt::Horizontal, this);
    sldQuality->setObjectName(QStringLiteral("sldQuality"));
    sldQuality->setRange(0, 100);
    spnQuality = new QSpinBox(this);
    spnQuality->setObjectName(QStringLiteral("spnQuality"));
    spnQuality->setRange(0, 100);
    grid->addWidget(BuddyLabel(QStringLiteral("&Quality:"), spnQuality, this), 1, 0);
    grid->addWidget(sldQuality, 1, 1);
    grid->addWidget(spnQuality, 1, 2);
    layout->addLayout(grid);
    connect(sldQuality, &QSlider::valueChanged, spnQuality, &QSpinBox::setValue);
    connect(spnQuality, qOverload<int>(&QSpinBox::valueChanged), sldQuality, &QSlider::setValue);
    connect(chkLossless, &QCheckBox::toggled, this, &TfrmWebExport::ShowFormat);

    chkStill = new QCheckBox(QStringLiteral("Also write a &still picture (NAME-still.png) for readers who ask for reduced motion"), this);
    chkStill->setObjectName(QStringLiteral("chkStill"));
    layout->addWidget(chkStill);
    const TOkCancel buttons = MakeOkCancel(this, this);
    layout->addLayout(buttons.Row);
    SetChoice(TWebExportChoice());
}

std::array<QRadioButton*, 4> TfrmWebExport::FormatButtons() const {
    return {optWebP, optApng, optMp4, optWebm};  // in the order of TWebFormat
}

void TfrmWebExport::SetChoice(const TWebExportChoice& Choice) {
    FormatButtons()[int(Choice.Options.Format)]->setChecked(true);
    chkLossless->setChecked(Choice.Options.Lossless);
    spnQuality->setValue(Choice.Options.Quality);
    chkStill->setChecked(Choice.WriteStill);
    ShowFormat();
}

TWebExportChoice TfrmWebExport::Choice() const {
    TWebExportChoice choice;
    choice.Options.Format = Format();
    choice.Options.Lossless = chkLossless->isChecked();
    choice.Options.Quality = spnQuality->value();
    choice.WriteStill = chkStill->isChecked();
    return choice;
}

TWebFormat TfrmWebExport::Format() const {
    const std::array<QRadioButton*, 4> buttons = FormatButtons();
    for (std::size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->isChecked())
            return TWebFormat(i);
    return TWebFormat::WebP;
}

void TfrmWebExport::ShowFormat() {
    const TWebFormat format = Format();
    chkLossless->setEnabled(format == TWebFormat::WebP);
    const bool lossy = format == TWebFormat::MP4 || format == TWebFormat::WebM ||
                       (format == TWebFormat::WebP && !chkLossless->isChecked());
    sldQuality->setEnabled(lossy);
    spnQuality->setEnabled(lossy);
    lblAbout->setText(QString::fromLatin1(kAbout[int(format)]));
}

void TfrmWebExport::accept() {
    TWebFormat format = Format();
    QString path = FPrompts.SaveFileName(QStringLiteral("Export As Web Animation"), FSuggested,
                                         QString::fromLatin1(kFilters[int(format)]));
    if (path.isEmpty())
        return; // the file question was cancelled: this dialog stays open
    TWebFormat named = format;
    if (!WebFormatForPath(path.toStdString(), named))
        path += QLatin1String(WebFormatExtension(format));
    else if (named != format) // the name the user typed says which format
        FormatButtons()[int(named)]->setChecked(true);
    FPath = path;
    QDialog::accept();
}
