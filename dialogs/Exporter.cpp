#include "dialogs/Exporter.h"

#include "services/UserPrompts.h"
#include "dialogs/DialogButtons.h"
#include "gif/GIFImage.h"
#include "services/QtRasterBridge.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QScrollArea>
#include <QSlider>
#include <QVBoxLayout>

TfrmExporter::TfrmExporter(const TGIFImage& Document, IUserPrompts& Prompts, QWidget* Parent)
    : QDialog(Parent), FDocument(Document), FPrompts(Prompts) {
    setObjectName(QStringLiteral("frmExporter"));
    setWindowTitle(QStringLiteral("Export Images"));
    BuildLayout();
    for (int i = 0; i < Document.Frames().Count(); ++i)
        lbExport->addItem(QStringLiteral("Image - %1").arg(i));
    ShowPanel();
}

void TfrmExporter::BuildLayout() {
    auto* root = new QVBoxLayout(this);
    auto* note = new QLabel(QStringLiteral("To export any or all the frames as individual image files simply select "
                                           "the from the list and choose the image format options, then press OK."),
                            this);
    note->setWordWrap(true);
    root->addWidget(note);

    auto* top = new QHBoxLayout;
    lbExport = new QListWidget(this);
    lbExport->setObjectName(QStringLiteral("lbExport"));
    lbExport->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbExport->setMaximumWidth(140);
    top->addWidget(lbExport);
    sbPreview = new QScrollArea(this);
    sbPreview->setObjectName(QStringLiteral("sbPreview"));
    imgPreview = new QLabel;
    imgPreview->setObjectName(QStringLiteral("imgPreview"));
    sbPreview->setWidget(imgPreview);
    sbPreview->setAlignment(Qt::AlignCenter);
    sbPreview->setMinimumSize(200, 150);
    top->addWidget(sbPreview, 1);
    root->addLayout(top, 1);

    auto radio = [](const char* Name, const QString& Text, QWidget* Owner) {
        auto* button = new QRadioButton(Text, Owner);
        button->setObjectName(QLatin1String(Name));
        return button;
    };
    auto check = [](const char* Name, const QString& Text, QWidget* Owner) {
        auto* box = new QCheckBox(Text, Owner);
        box->setObjectName(QLatin1String(Name));
        return box;
    };

    auto* bottom = new QHBoxLayout;
    auto* format = new QGroupBox(QStringLiteral("Export Image(s) as"), this);
    auto* formatRows = new QVBoxLayout(format);
    optGIF = radio("optGIF", QStringLiteral("&Gif Image (*.gif)"), format);
    optJpeg = radio("optJpeg", QStringLiteral("&Jpeg Image (*.jpg)"), format);
    optBitmap = radio("optBitmap", QStringLiteral("&Bitmap Image (*.bmp)"), format);
    optGIF->setChecked(true);
    formatRows->addWidget(optGIF);
    formatRows->addWidget(optJpeg);
    formatRows->addWidget(optBitmap);
    formatRows->addStretch(1);
    bottom->addWidget(format);

    pnlGIF = new QGroupBox(QStringLiteral("Color Palette"), this);
    pnlGIF->setObjectName(QStringLiteral("pnlGIF"));
    auto* gifRows = new QGridLayout(pnlGIF);
    optGIFNetscape = radio("optGIFNetscape", QStringLiteral("&Netscape (216 colors)"), pnlGIF);
    optGIFGray = radio("optGIFGray", QStringLiteral("G&rayscale (255 shades)"), pnlGIF);
    optGIFMonochrome = radio("optGIFMonochrome", QStringLiteral("&Monochrome (b&&w)"), pnlGIF);
    optGIFWindows = radio("optGIFWindows", QStringLiteral("&Windows"), pnlGIF);
    optGIFWinSys20 = radio("optGIFWinSys20", QStringLiteral("Windows &System (20 colors)"), pnlGIF);
    optGIFFitted = radio("optGIFFitted", QStringLiteral("&Fitted to the picture (best)"), pnlGIF);
    optGIFFitted->setChecked(true);
    cbGIFColors = new QComboBox(pnlGIF);
    cbGIFColors->setObjectName(QStringLiteral("cbGIFColors"));
    for (int colors : {256, 128, 64, 32, 16, 8})
        cbGIFColors->addItem(QString::number(colors));
    cbGIFColors->setCurrentIndex(0);
    chkGIFOptimized = check("chkGIFOptimized", QStringLiteral("&Optimized"), pnlGIF);
    chkGIFOptimized->setChecked(true);
    gifRows->addWidget(optGIFNetscape, 0, 0, 1, 3);
    gifRows->addWidget(optGIFGray, 1, 0, 1, 3);
    gifRows->addWidget(optGIFMonochrome, 2, 0, 1, 3);
    gifRows->addWidget(optGIFWindows, 3, 0);
    gifRows->addWidget(cbGIFColors, 3, 1);
    gifRows->addWidget(new QLabel(QStringLiteral("(colors)"), pnlGIF), 3, 2);
    gifRows->addWidget(optGIFWinSys20, 4, 0, 1, 3);
    gifRows->addWidget(optGIFFitted, 5, 0, 1, 3);
    gifRows->addWidget(chkGIFOptimized, 6, 0, 1, 3);
    bottom->addWidget(pnlGIF, 1);

    pnlJPEG = new QGroupBox(QStringLiteral("Jpeg Options"), this);
    pnlJPEG->setObjectName(QStringLiteral("pnlJPEG"));
    auto* jpegRows = new QGridLayout(pnlJPEG);
    trackbar = new QSlider(Qt::Horizontal, pnlJPEG);
    trackbar->setObjectName(QStringLiteral("trackbar"));
    trackbar->setRange(0, 4);
    trackbar->setPageStep(1);
    trackbar->setTickPosition(QSlider::TicksBelow);
    trackbar->setValue(2);
    auto* qualityLabel = new QLabel(QStringLiteral("&Compresson Quality"), pnlJPEG);
    qualityLabel->setBuddy(trackbar);
    jpegRows->addWidget(qualityLabel, 0, 0, 1, 2);
    jpegRows->addWidget(trackbar, 1, 0, 1, 2);
    jpegRows->addWidget(new QLabel(QStringLiteral("Excellent"), pnlJPEG), 2, 0);
    auto* poor = new QLabel(QStringLiteral("Poor"), pnlJPEG);
    poor->setAlignment(Qt::AlignRight);
    jpegRows->addWidget(poor, 2, 1);
    chkJGrayscale = check("chkJGrayscale", QStringLiteral("G&rayscale"), pnlJPEG);
    chkJProgress = check("chkJProgress", QStringLiteral("&Progressive Display"), pnlJPEG);
    chkJSmooth = check("chkJSmooth", QStringLiteral("S&moothing"), pnlJPEG);
    chkJSmooth->setEnabled(false);
    jpegRows->addWidget(chkJGrayscale, 3, 0, 1, 2);
    jpegRows->addWidget(chkJProgress, 4, 0, 1, 2);
    jpegRows->addWidget(chkJSmooth, 5, 0, 1, 2);
    auto* performance = new QGroupBox(QStringLiteral("Performance"), pnlJPEG);
    auto* performanceRows = new QVBoxLayout(performance);
    optJBestQuality = radio("optJBestQuality", QStringLiteral("Best &Quality"), performance);
    optJSpdQuality = radio("optJSpdQuality", QStringLiteral("Best &Speed"), performance);
    optJBestQuality->setChecked(true);
    performanceRows->addWidget(optJBestQuality);
    performanceRows->addWidget(optJSpdQuality);
    jpegRows->addWidget(performance, 6, 0, 1, 2);
    bottom->addWidget(pnlJPEG, 1);

    pnlBitmap = new QGroupBox(QStringLiteral("Bitmap Options"), this);
    pnlBitmap->setObjectName(QStringLiteral("pnlBitmap"));
    auto* bitmapRows = new QVBoxLayout(pnlBitmap);
    chkBMono = check("chkBMono", QStringLiteral("&Monochrome (b&&w)"), pnlBitmap);
    bitmapRows->addWidget(chkBMono);
    bitmapRows->addStretch(1);
    bottom->addWidget(pnlBitmap, 1);
    root->addLayout(bottom);

    const TOkCancel buttons = MakeOkCancel(this, this);
    root->addLayout(buttons.Row);

    for (QRadioButton* button : {optGIF, optJpeg, optBitmap})
        connect(button, &QRadioButton::toggled, this, &TfrmExporter::ShowPanel);
    connect(chkJProgress, &QCheckBox::toggled, this, [this](bool On) {
        chkJSmooth->setEnabled(On);
        if (!On)
            chkJSmooth->setChecked(false);
    });
    connect(lbExport, &QListWidget::currentRowChanged, this, &TfrmExporter::ShowPreview);
    resize(560, 460);
}

void TfrmExporter::ShowPanel() {
    pnlGIF->setVisible(optGIF->isChecked());
    pnlJPEG->setVisible(optJpeg->isChecked());
    pnlBitmap->setVisible(optBitmap->isChecked());
}

void TfrmExporter::ShowPreview() {
    const int index = lbExport->currentRow();
    if (index < 0 || index >= FDocument.Frames().Count() || FDocument.Frames()[index]->IsEmpty())
        return; // the preview stays as it was
    const QImage picture = FrameToQImage(*FDocument.Frames()[index], Qt::white);
    imgPreview->setPixmap(QPixmap::fromImage(picture));
    imgPreview->resize(picture.size());
}

int TfrmExporter::GIFPaletteChoice() const {
    const QRadioButton* choices[] = {optGIFNetscape, optGIFGray, optGIFMonochrome, optGIFWindows, optGIFWinSys20,
                                     optGIFFitted};
    for (int i = 0; i < 6; ++i)
        if (choices[i]->isChecked())
            return i;
    return 0;
}

TExportOptions TfrmExporter::Options() const {
    TExportOptions options;
    options.Format = optJpeg->isChecked() ? TExportFormat::JPEG : optBitmap->isChecked() ? TExportFormat::BMP : TExportFormat::GIF;
    options.GifPalette = GIFPaletteChoice();
    options.GifColors = cbGIFColors->currentText().toInt();
    options.GifOptimized = chkGIFOptimized->isChecked();
    options.JpegQuality = JpegQualityAt(trackbar->value());
    options.JpegGrayscale = chkJGrayscale->isChecked();
    options.JpegProgressive = chkJProgress->isChecked();
    options.JpegBestQuality = optJBestQuality->isChecked();
    options.BmpMonochrome = chkBMono->isChecked();
    return options;
}

std::vector<int> TfrmExporter::SelectedFrames() const {
    std::vector<int> frames;
    for (int i = 0; i < lbExport->count(); ++i)
        if (lbExport->item(i)->isSelected())
            frames.push_back(i);
    return frames;
}

void TfrmExporter::accept() {
    FPath.clear();
    if (SelectedFrames().empty()) {
        // Nothing to write: say so, and let the user choose frames.
        FPrompts.MessageBox(TMsgType::Information, TMsgButtons::OK, windowTitle(),
                            QStringLiteral("Select the frames to export first."));
        lbExport->setFocus();
        return;
    }
    static const char* filters[] = {"GIF Images|*.gif", "Jpg Images|*.jpg", "Bitmap Images|*.bmp"};
    static const char* extensions[] = {".gif", ".jpg", ".bmp"};
    const int format = int(Options().Format);
    QString path = FPrompts.SaveFileName(QStringLiteral("Export Images"), QString(),
                                         QString::fromLatin1(filters[format]).replace(QLatin1Char('|'), QStringLiteral(" (")) +
                                             QLatin1Char(')'));
    if (path.isEmpty())
        return; // the save question was cancelled: this dialog stays open
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1String(extensions[format]);
    FPath = path;
    QDialog::accept();
}
