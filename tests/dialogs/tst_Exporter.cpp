// Export Images: the dialog driven through its widgets (panels, options, the
// save question and its Cancel), the file names, and the files written: GIFs
// read by giflib, JPEGs by libjpeg and Pillow with sizes ordered by quality,
// BMPs in black and white.
#include "app/ScriptedPrompts.h"
#include "dialogs/Exporter.h"
#include "gif/GIFImage.h"
#include "services/ImageExport.h"
#include "services/JpegReader.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#if __has_include(<gif_lib.h>)
#include <filesystem>
#include "support/GiflibFile.h"
#define HAVE_GIFLIB 1
#endif

namespace {

// Three 40 x 30 frames of colour bands; frame 1 has a transparent corner.
std::unique_ptr<TGIFImage> MakeDocument() {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = 40;
    image->Header().ScreenHeight = 30;
    for (int c = 0; c < 16; ++c)
        image->GlobalColors().AddColor(MakeColor(std::uint8_t(c * 16), std::uint8_t(255 - c * 16), std::uint8_t(c * 8)));
    for (int f = 0; f < 3; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->PlaceFrame(0, 0, 40, 30);
        for (int p = 0; p < 40 * 30; ++p)
            frame->PixelData()[p] = std::uint8_t((p % 40 / 3 + p / 40 / 2 + f) % 16);
        if (f == 1) {
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 5; ++x)
                    frame->PixelData()[y * 40 + x] = 15;
            auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
            control->SetUsesTransparency(true);
            control->SetTransparentIndex(15);
            frame->ExtensionBlocks().Add(std::move(control));
        }
        image->AddFrame(std::move(frame));
    }
    return image;
}

} // namespace

class TExporterTest : public QObject {
    Q_OBJECT
    QTemporaryDir FDir;

private slots:
    void fileNamesCarryTheFrameIndex_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("gif 0") << "/out/x.gif" << 0 << "/out/xRX10.gif";
        QTest::newRow("gif 2") << "/out/x.gif" << 2 << "/out/xRX12.gif";
        QTest::newRow("long extension") << "/out/anim.jpeg" << 1 << "/out/animRX11.jpeg";
        QTest::newRow("no extension") << "/out.d/anim" << 3 << "/out.d/animRX13";
        QTest::newRow("hidden file") << "/out/.anim" << 0 << "/out/.animRX10";
    }
    void fileNamesCarryTheFrameIndex() {
        QFETCH(QString, path);
        QFETCH(int, index);
        QFETCH(QString, name);
        QCOMPARE(ExportFileName(path, index), name);
    }

    void dialogShowsTheChosenFormatsOptions() {
        auto doc = MakeDocument();
        TScriptedPrompts prompts;
        TfrmExporter dialog(*doc, prompts);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Export Images"));
        QCOMPARE(dialog.lbExport->count(), 3);
        QCOMPARE(dialog.lbExport->item(2)->text(), QStringLiteral("Image - 2"));
        QVERIFY(dialog.pnlGIF->isVisible());
        QVERIFY(!dialog.pnlJPEG->isVisible());
        QTest::mouseClick(dialog.optJpeg, Qt::LeftButton, {}, QPoint(8, dialog.optJpeg->height() / 2));
        QVERIFY(dialog.pnlJPEG->isVisible());
        QVERIFY(!dialog.pnlGIF->isVisible());
        QCOMPARE(dialog.trackbar->value(), 2);
        QCOMPARE(dialog.Options().JpegQuality, 50); // the middle position
        QCOMPARE(JpegQualityAt(0), 100);
        QCOMPARE(JpegQualityAt(4), 1);
        QVERIFY(!dialog.chkJSmooth->isEnabled());
        dialog.chkJProgress->setChecked(true);
        QVERIFY(dialog.chkJSmooth->isEnabled());
        dialog.chkJSmooth->setChecked(true);
        dialog.chkJProgress->setChecked(false);
        QVERIFY(!dialog.chkJSmooth->isChecked());
        QCOMPARE(ColorBitsFor(256), 8);
        QCOMPARE(ColorBitsFor(8), 3);
    }

    void cancellingTheSaveQuestionKeepsTheDialogOpen() {
        auto doc = MakeDocument();
        TScriptedPrompts prompts;
        TfrmExporter dialog(*doc, prompts);
        dialog.show();
        dialog.lbExport->item(0)->setSelected(true);
        dialog.lbExport->item(2)->setSelected(true);
        dialog.accept(); // no file name given
        QVERIFY(dialog.isVisible());
        QCOMPARE(dialog.SelectedFrames(), (std::vector<int>{0, 2}));
        prompts.FileNames << FDir.filePath(QStringLiteral("x"));
        dialog.accept();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.Path(), FDir.filePath(QStringLiteral("x.gif")));
    }

    void nothingSelectedSaysSoAndStaysOpen() {
        auto doc = MakeDocument();
        TScriptedPrompts prompts;
        TfrmExporter dialog(*doc, prompts);
        dialog.show();
        for (int i = 0; i < dialog.lbExport->count(); ++i)
            dialog.lbExport->item(i)->setSelected(false);
        dialog.accept();
        QVERIFY(dialog.isVisible());
        QCOMPARE(prompts.Texts(), QStringList{QStringLiteral("Select the frames to export first.")});
        QVERIFY(dialog.Path().isEmpty());
    }

    void gifsAreWrittenForTheChosenFrames() {
        auto doc = MakeDocument();
        const QString path = FDir.filePath(QStringLiteral("x.gif"));
        TExportOptions options;
        options.GifPalette = 3; // octree, 256 colours: every colour kept
        const TExportResult result = ExportFrames(*doc, {0, 1, 2}, path, options);
        QCOMPARE(result.Written, 3);
        QVERIFY(result.Failed.isEmpty());
        for (int i : {0, 1, 2}) {
            const QString name = FDir.filePath(QStringLiteral("xRX1%1.gif").arg(i));
            TGIFImage back;
            back.LoadFromFile(QFile::encodeName(name).toStdString());
            QCOMPARE(back.Width(), 40);
            // The pixels are the frame's own colours.
            const QImage picture(name);
            QCOMPARE(picture.pixelColor(10, 10).rgb(), QColor(int(doc->GlobalColors().Entry(doc->Frames()[i]->PixelData()[10 * 40 + 10]).red),
                                                               int(doc->GlobalColors().Entry(doc->Frames()[i]->PixelData()[10 * 40 + 10]).green),
                                                               int(doc->GlobalColors().Entry(doc->Frames()[i]->PixelData()[10 * 40 + 10]).blue)).rgb());
#ifdef HAVE_GIFLIB
            TGiflibFile giflib(std::filesystem::path(QFile::encodeName(name).toStdString()));
            QVERIFY(giflib.ok);
            QCOMPARE(giflib.gif->ImageCount, 1);
#endif
        }
        // The transparent corner stays transparent.
        QCOMPARE(QImage(FDir.filePath(QStringLiteral("xRX11.gif"))).pixelColor(1, 1).alpha(), 0);
        // Grey scale gives grey pixels.
        options.GifPalette = 1;
        ExportFrames(*doc, {0}, FDir.filePath(QStringLiteral("grey.gif")), options);
        const QColor grey = QImage(FDir.filePath(QStringLiteral("greyRX10.gif"))).pixelColor(20, 20);
        QVERIFY(grey.red() == grey.green() && grey.green() == grey.blue());
    }

    void jpegSizesFollowTheQuality() {
        auto doc = MakeDocument();
        TExportOptions options;
        options.Format = TExportFormat::JPEG;
        qint64 previous = std::numeric_limits<qint64>::max();
        for (int position = 0; position <= 4; ++position) {
            options.JpegQuality = JpegQualityAt(position);
            const QString path = FDir.filePath(QStringLiteral("q%1.jpg").arg(position));
            QCOMPARE(ExportFrames(*doc, {0}, path, options).Written, 1);
            const QString name = ExportFileName(path, 0);
            const qint64 size = QFileInfo(name).size();
            QVERIFY2(size < previous, qPrintable(QStringLiteral("position %1: %2 bytes").arg(position).arg(size)));
            previous = size;
            TBitmap bitmap;
            QVERIFY(ReadJpegFile(name, bitmap).Ok);
            QCOMPARE(bitmap.Width(), 40);
            QProcess pillow;
            pillow.start(QStringLiteral("python3"), {"-c", "import sys; from PIL import Image; im = Image.open(sys.argv[1]); "
                                                           "im.load(); print(im.size[0], im.mode)", name});
            if (pillow.waitForFinished(20000) && pillow.exitCode() == 0)
                QCOMPARE(QString::fromLatin1(pillow.readAllStandardOutput()).trimmed(), QStringLiteral("40 RGB"));
        }
        options.JpegGrayscale = true;
        options.JpegProgressive = true;
        ExportFrames(*doc, {0}, FDir.filePath(QStringLiteral("g.jpg")), options);
        TBitmap grey;
        QVERIFY(ReadJpegFile(FDir.filePath(QStringLiteral("gRX10.jpg")), grey).Ok);
        const TColorRef c = grey.Pixel(20, 20);
        QVERIFY(RedOf(c) == GreenOf(c) && GreenOf(c) == BlueOf(c));
    }

    void bitmapsAndFailures() {
        auto doc = MakeDocument();
        TExportOptions options;
        options.Format = TExportFormat::BMP;
        options.BmpMonochrome = true;
        QCOMPARE(ExportFrames(*doc, {2}, FDir.filePath(QStringLiteral("m.bmp")), options).Written, 1);
        const QImage mono(FDir.filePath(QStringLiteral("mRX12.bmp")));
        QCOMPARE(mono.depth(), 1);
        // An empty frame is written as the placeholder and reported; a file
        // that cannot be written is reported too.
        doc->Frames()[1]->ClearFrame();
        options.BmpMonochrome = false;
        const TExportResult result = ExportFrames(*doc, {0, 1}, FDir.filePath(QStringLiteral("e.bmp")), options);
        QCOMPARE(result.Failed, QStringList{FDir.filePath(QStringLiteral("eRX11.bmp"))});
        QCOMPARE(QImage(FDir.filePath(QStringLiteral("eRX11.bmp"))).size(), QSize(125, 50));
        const TExportResult unwritable = ExportFrames(*doc, {0}, FDir.filePath(QStringLiteral("none/e.bmp")), options);
        QCOMPARE(unwritable.Written, 0);
        QCOMPARE(unwritable.Failed.size(), 1);
    }
};

QTEST_MAIN(TExporterTest)
#include "tst_Exporter.moc"
