#include "dialogs/VideoImport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>
#include <cmath>
#include <tuple>

#include "dialogs/DialogButtons.h"

namespace {
constexpr int kSliderSteps = 1000;            // slider positions across the clip
constexpr QSize kPreviewSize(320, 240);       // the preview's box
const double kRates[] = {30, 25, 20, 15, 12, 10, 8, 5};
} // namespace

TfrmVideoImport::TfrmVideoImport(const QString& FileName, const TVideoFacts& Facts,
                                 std::function<QImage(double)> Preview, QWidget* Parent)
    : QDialog(Parent), FFacts(Facts), FPreview(std::move(Preview)) {
    setObjectName(QStringLiteral("frmVideoImport"));
    setWindowTitle(QStringLiteral("Import Video - %1").arg(FileName));
    auto* root = new QVBoxLayout(this);

    lblPreview = new QLabel(this);
    lblPreview->setObjectName(QStringLiteral("lblPreview"));
    lblPreview->setAlignment(Qt::AlignCenter);
    lblPreview->setMinimumSize(kPreviewSize);
    lblPreview->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    root->addWidget(lblPreview, 1);

    const double length = std::max(Facts.Seconds, 0.01);
    auto* times = new QGridLayout;
    auto timeRow = [&](const char* slider, const char* spin, const QString& caption, double value, int row) {
        auto* s = new QSlider(Qt::Horizontal, this);
        s->setObjectName(QString::fromLatin1(slider));
        s->setRange(0, kSliderSteps);
        s->setPageStep(kSliderSteps / 20);
        auto* b = new QDoubleSpinBox(this);
        b->setObjectName(QString::fromLatin1(spin));
        b->setRange(0, length);
        b->setDecimals(2);
        b->setSingleStep(0.1);
        b->setSuffix(QStringLiteral(" s"));
        b->setValue(value);
        s->setValue(int(std::lround(value / length * kSliderSteps)));
        connect(s, &QSlider::valueChanged, this, [this, s, b] { SliderMoved(s, b); });
        connect(b, &QDoubleSpinBox::valueChanged, this, [this, s, b] { TimeTyped(b, s); });
        times->addWidget(BuddyLabel(caption, b, this), row, 0);
        times->addWidget(s, row, 1);
        times->addWidget(b, row, 2);
        return std::make_pair(s, b);
    };
    std::tie(sldFrom, spnFrom) = timeRow("sldFrom", "spnFrom", QStringLiteral("&Start:"), 0, 0);
    std::tie(sldTo, spnTo) = timeRow("sldTo", "spnTo", QStringLiteral("&End:"), length, 1);
    times->setColumnStretch(1, 1);
    root->addLayout(times);

    auto* choices = new QGridLayout;
    cmbRate = new QComboBox(this);
    cmbRate->setObjectName(QStringLiteral("cmbRate"));
    cmbRate->addItem(Facts.FramesPerSecond > 0 ? QStringLiteral("As the video (%1 a second)").arg(Facts.FramesPerSecond, 0, 'g', 4)
                                               : QStringLiteral("As the video"),
                     0.0);
    for (double rate : kRates)
        if (Facts.FramesPerSecond <= 0 || rate < Facts.FramesPerSecond - 0.01)
            cmbRate->addItem(QStringLiteral("%1 a second").arg(rate), rate);
    choices->addWidget(BuddyLabel(QStringLiteral("&Frames:"), cmbRate, this), 0, 0);
    choices->addWidget(cmbRate, 0, 1, 1, 2);

    cmbSize = new QComboBox(this);
    cmbSize->setObjectName(QStringLiteral("cmbSize"));
    cmbSize->addItems({QStringLiteral("As the video (%1 x %2)").arg(Facts.Width).arg(Facts.Height), QStringLiteral("Width"),
                       QStringLiteral("Height"), QStringLiteral("Percent")});
    spnSize = new QSpinBox(this);
    spnSize->setObjectName(QStringLiteral("spnSize"));
    choices->addWidget(BuddyLabel(QStringLiteral("Si&ze:"), cmbSize, this), 1, 0);
    choices->addWidget(cmbSize, 1, 1);
    choices->addWidget(spnSize, 1, 2);
    connect(cmbSize, &QComboBox::currentIndexChanged, this, &TfrmVideoImport::SizeChoiceChanged);

    cmbColors = new QComboBox(this);
    cmbColors->setObjectName(QStringLiteral("cmbColors"));
    cmbColors->addItem(QStringLiteral("Fitted to the clip (best)"), 0);
    cmbColors->addItem(QStringLiteral("Web palette (216 colors)"), 1);
    spnColors = new QSpinBox(this);
    spnColors->setObjectName(QStringLiteral("spnColors"));
    spnColors->setRange(2, 256);
    spnColors->setValue(256);
    spnColors->setSuffix(QStringLiteral(" colors"));
    choices->addWidget(BuddyLabel(QStringLiteral("&Colors:"), cmbColors, this), 2, 0);
    choices->addWidget(cmbColors, 2, 1);
    choices->addWidget(spnColors, 2, 2);
    chkDither = new QCheckBox(QStringLiteral("&Dither where the palette misses a color"), this);
    chkDither->setObjectName(QStringLiteral("chkDither"));
    chkDither->setChecked(true);
    choices->addWidget(chkDither, 3, 1, 1, 2);
    connect(cmbColors, &QComboBox::currentIndexChanged, this,
            [this] { spnColors->setEnabled(cmbColors->currentData().toInt() == 0); ShowSummary(); });
    root->addLayout(choices);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    root->addWidget(lblSummary);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Import"));
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    root->addWidget(buttons);

    // Decoding a picture takes a moment: the preview follows a slider once
    // it rests, not at every step of a drag.
    FPreviewTimer = new QTimer(this);
    FPreviewTimer->setSingleShot(true);
    FPreviewTimer->setInterval(120);
    connect(FPreviewTimer, &QTimer::timeout, this, &TfrmVideoImport::ShowPreview);
    connect(spnSize, &QSpinBox::valueChanged, this, &TfrmVideoImport::ShowSummary);
    connect(cmbRate, &QComboBox::currentIndexChanged, this, &TfrmVideoImport::ShowSummary);
    SizeChoiceChanged();
    ShowPreview();
    sldFrom->setFocus();
}

void TfrmVideoImport::SliderMoved(QSlider* Slider, QDoubleSpinBox* Box) {
    if (FSyncing)
        return;
    FSyncing = true;
    Box->setValue(Box->maximum() * Slider->value() / kSliderSteps);
    FSyncing = false;
    TimeTyped(Box, nullptr);
}

void TfrmVideoImport::TimeTyped(QDoubleSpinBox* Box, QSlider* Slider) {
    if (FSyncing)
        return;
    FSyncing = true;
    if (Slider)
        Slider->setValue(int(std::lround(Box->value() / std::max(Box->maximum(), 0.01) * kSliderSteps)));
    // The start stays before the end.
    if (Box == spnFrom && spnTo->value() <= spnFrom->value()) {
        spnTo->setValue(std::min(spnTo->maximum(), spnFrom->value() + 0.1));
        sldTo->setValue(int(std::lround(spnTo->value() / std::max(spnTo->maximum(), 0.01) * kSliderSteps)));
    } else if (Box == spnTo && spnFrom->value() >= spnTo->value()) {
        spnFrom->setValue(std::max(0.0, spnTo->value() - 0.1));
        sldFrom->setValue(int(std::lround(spnFrom->value() / std::max(spnFrom->maximum(), 0.01) * kSliderSteps)));
    }
    FSyncing = false;
    // The end's preview shows the last picture before it.
    FPreviewAt = Box == spnTo ? std::max(0.0, Box->value() - 0.01) : Box->value();
    FPreviewTimer->start();
    ShowSummary();
}

void TfrmVideoImport::ShowPreview() {
    const QImage picture = FPreview ? FPreview(FPreviewAt) : QImage();
    if (picture.isNull()) {
        lblPreview->setText(QStringLiteral("No picture at %1 s").arg(FPreviewAt, 0, 'f', 2));
        return;
    }
    lblPreview->setPixmap(QPixmap::fromImage(picture.width() > kPreviewSize.width() || picture.height() > kPreviewSize.height()
                                                 ? picture.scaled(kPreviewSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                                 : picture));
    lblPreview->setToolTip(QStringLiteral("The picture at %1 s").arg(FPreviewAt, 0, 'f', 2));
}

void TfrmVideoImport::SizeChoiceChanged() {
    const int choice = cmbSize->currentIndex();
    const QSignalBlocker block(spnSize);
    spnSize->setEnabled(choice > 0);
    switch (choice) {
    case 1: spnSize->setRange(1, 65535); spnSize->setSuffix(QStringLiteral(" pixels")); spnSize->setValue(FFacts.Width); break;
    case 2: spnSize->setRange(1, 65535); spnSize->setSuffix(QStringLiteral(" pixels")); spnSize->setValue(FFacts.Height); break;
    case 3: spnSize->setRange(1, 400); spnSize->setSuffix(QStringLiteral(" %")); spnSize->setValue(50); break;
    default: spnSize->setSuffix(QString()); break;
    }
    ShowSummary();
}

void TfrmVideoImport::ShowSummary() {
    const TVideoImportOptions options = Options();
    int width = 0, height = 0;
    VideoFrameSize(options, FFacts.Width, FFacts.Height, width, height);
    const double seconds = spnTo->value() - spnFrom->value();
    const double rate = options.FramesPerSecond > 0 ? options.FramesPerSecond : FFacts.FramesPerSecond;
    QString text = QStringLiteral("%1 s at %2 x %3").arg(seconds, 0, 'f', 2).arg(width).arg(height);
    if (rate > 0)
        text += QStringLiteral(": about %1 frames").arg(std::max(1L, std::lround(seconds * rate)));
    lblSummary->setText(text + QLatin1Char('.'));
}

void TfrmVideoImport::SetOptions(const TVideoImportOptions& Options) {
    if (Options.To > 0)
        spnTo->setValue(Options.To);
    spnFrom->setValue(Options.From);
    const int rate = cmbRate->findData(Options.FramesPerSecond);
    cmbRate->setCurrentIndex(rate >= 0 ? rate : 0);
    cmbColors->setCurrentIndex(Options.Method == TVideoColors::WebPalette ? 1 : 0);
    spnColors->setValue(Options.Colors.MaxColors);
    chkDither->setChecked(Options.Colors.Dither);
}

TVideoImportOptions TfrmVideoImport::Options() const {
    TVideoImportOptions o;
    o.From = spnFrom->value();
    // The whole clip to its end, even where the announced time is short.
    o.To = spnTo->value() >= spnTo->maximum() - 0.005 ? 0 : spnTo->value();
    o.FramesPerSecond = cmbRate->currentData().toDouble();
    switch (cmbSize->currentIndex()) {
    case 1: o.Width = spnSize->value(); break;
    case 2: o.Height = spnSize->value(); break;
    case 3: o.Width = std::max(1, int(std::lround(FFacts.Width * spnSize->value() / 100.0))); break;
    default: break;
    }
    o.Method = cmbColors->currentData().toInt() == 1 ? TVideoColors::WebPalette : TVideoColors::Fitted;
    o.Colors.MaxColors = spnColors->value();
    o.Colors.Dither = chkDither->isChecked();
    return o;
}
