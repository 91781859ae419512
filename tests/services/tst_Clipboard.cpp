// The system clipboard adapter, on the offscreen platform: whole animations
// travel as GIF bytes, plain pictures come back as one frame, and the raster
// bridge keeps pixels, palettes and see-through areas.

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QMimeData>
#include <QtTest>

#include "gif/GIFImage.h"
#include "services/ClipboardAdapter.h"
#include "services/QtRasterBridge.h"

namespace {

// Three 3x2 frames with their own tables and delays; the middle one transparent.
void MakeAnimation(TGIFImage& image) {
    for (int f = 0; f < 3; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 3, 2);
        frame->LocalColors().AddColor(MakeColor(static_cast<std::uint8_t>(80 * f), 10, 20));
        frame->LocalColors().AddColor(MakeColor(200, static_cast<std::uint8_t>(60 * f), 0));
        for (int i = 0; i < 6; ++i) frame->PixelData()[i] = static_cast<std::uint8_t>((i + f) % 2);
        auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        gce->DelayTime = static_cast<std::uint16_t>(5 + f);
        if (f == 1) {
            gce->SetUsesTransparency(true);
            gce->SetTransparentIndex(0);
        }
        frame->ExtensionBlocks().Add(std::move(gce));
        image.AddFrame(std::move(frame));
    }
}

// Colour of every pixel of every frame, -1 where transparent.
QVector<QVector<qint64>> Shown(TGIFImage& image) {
    QVector<QVector<qint64>> out;
    for (int f = 0; f < image.Frames().Count(); ++f) {
        TGIFSubImage* frame = image.Frames()[f];
        QVector<qint64> pixels;
        const int transparent = frame->IsTransparent() ? frame->ControlExtension()->TransparentIndex() : -1;
        for (int y = 0; y < frame->Height(); ++y)
            for (int x = 0; x < frame->Width(); ++x) {
                const int index = frame->PixelAt(x, y);
                pixels.push_back(index == transparent ? -1 : qint64(frame->EffectiveColors()->GetColor(index)));
            }
        out.push_back(pixels);
    }
    return out;
}

}  // namespace

class TClipboardTest : public QObject {
    Q_OBJECT

private slots:
    void init() { QGuiApplication::clipboard()->clear(); }

    void animationRoundTrip() {
        TGIFImage source;
        MakeAnimation(source);
        TClipboardAdapter adapter;
        adapter.PutImage(source);

        const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
        QVERIFY(mime);
        QVERIFY(mime->hasFormat(TClipboardAdapter::kGifMimeType));
        QVERIFY(mime->hasFormat("image/gif"));
        QVERIFY(mime->hasImage());
        QVERIFY(adapter.HasImage());

        TGIFImage pasted;
        QVERIFY(adapter.PasteInto(pasted));
        QCOMPARE(pasted.Frames().Count(), 3);
        QCOMPARE(Shown(pasted), Shown(source));
        for (int f = 0; f < 3; ++f) QCOMPARE(int(pasted.Frames()[f]->ControlExtension()->DelayTime), 5 + f);
    }

    void publicGifTypeIsReadToo() {
        TGIFImage source;
        MakeAnimation(source);
        TGIFClipboardData data;
        source.SaveToClipboardFormat(data);
        auto* mime = new QMimeData;
        mime->setData("image/gif", QByteArray(reinterpret_cast<const char*>(data.gif.data()), qsizetype(data.gif.size())));
        QGuiApplication::clipboard()->setMimeData(mime);
        TGIFImage pasted;
        QVERIFY(TClipboardAdapter().PasteInto(pasted));
        QCOMPARE(pasted.Frames().Count(), 3);
    }

    void plainImageBecomesOneFrame() {
        QImage picture(4, 3, QImage::Format_RGB32);
        picture.fill(qRgb(10, 20, 30));
        picture.setPixel(3, 2, qRgb(200, 100, 50));
        QGuiApplication::clipboard()->setImage(picture);

        TGIFImage image;
        image.ColorReductionKind = crNone;  // two colours need no reduction
        MakeAnimation(image);
        QVERIFY(TClipboardAdapter().PasteInto(image));
        QCOMPARE(image.Frames().Count(), 1);
        QCOMPARE(image.Width(), 4);
        QCOMPARE(image.Height(), 3);
        TGIFSubImage* frame = image.Frames()[0];
        QCOMPARE(frame->EffectiveColors()->GetColor(frame->PixelAt(0, 0)), MakeColor(10, 20, 30));
        QCOMPARE(frame->EffectiveColors()->GetColor(frame->PixelAt(3, 2)), MakeColor(200, 100, 50));
    }

    void nothingPasteable() {
        QGuiApplication::clipboard()->setText("just text");
        TClipboardAdapter adapter;
        QVERIFY(!adapter.HasImage());
        TGIFImage image;
        MakeAnimation(image);
        QVERIFY(!adapter.PasteInto(image));
        QCOMPARE(image.Frames().Count(), 3);

        adapter.InstallAsReader();
        QString error;
        try {
            image.LoadFromClipboardFormat(GIFClipboardFormat, nullptr);
        } catch (const GIFException& e) {
            error = e.what();
        }
        SetGIFClipboardReader(nullptr);
        QCOMPARE(error, QString("Unsupported clipboard format"));
        QCOMPARE(image.Frames().Count(), 3);
    }

    void installedReaderServesLoadWithoutData() {
        TGIFImage source;
        MakeAnimation(source);
        TClipboardAdapter adapter;
        adapter.PutImage(source);
        adapter.InstallAsReader();
        TGIFImage image;
        image.LoadFromClipboardFormat(GIFClipboardFormat, nullptr);
        SetGIFClipboardReader(nullptr);
        QCOMPARE(image.Frames().Count(), 3);
    }

    void bridgeKeepsIndexesAndColours() {
        TBitmap indexed(5, 2, pf4bit);
        indexed.SetPalette(TPalette({{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}}));
        indexed.SetIndex(4, 1, 2);
        indexed.SetIndex(1, 0, 1);
        const QImage q = ToQImage(indexed);
        QCOMPARE(q.format(), QImage::Format_Indexed8);
        QCOMPARE(q.pixelIndex(4, 1), 2);
        QCOMPARE(q.pixel(1, 0), qRgb(255, 0, 0));
        const TBitmap back = FromQImage(q);
        QCOMPARE(back.PixelFormat(), pf8bit);
        QCOMPARE(back.Index(4, 1), 2u);
        QCOMPARE(back.Pixel(1, 0), RGBColor(255, 0, 0));

        TBitmap rgb(2, 1, pf24bit);
        rgb.SetPixel(0, 0, RGBColor(1, 2, 3));
        rgb.SetPixel(1, 0, RGBColor(250, 150, 50));
        const QImage qrgb = ToQImage(rgb);
        QCOMPARE(qrgb.pixel(0, 0), qRgb(1, 2, 3));
        QCOMPARE(qrgb.pixel(1, 0), qRgb(250, 150, 50));
        QCOMPARE(FromQImage(qrgb).Pixel(1, 0), RGBColor(250, 150, 50));
    }

    void seeThroughPixelsBecomeTheTransparentColour() {
        QImage picture(3, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, qRgba(255, 0, 255, 255));  // the first key candidate is in use
        picture.setPixel(1, 0, qRgba(9, 9, 9, 0));
        picture.setPixel(2, 0, qRgba(20, 30, 40, 255));
        const TBitmap bitmap = FromQImage(picture);
        QVERIFY(bitmap.Transparent());
        QVERIFY(bitmap.TransparentColor() != RGBColor(255, 0, 255));
        QCOMPARE(bitmap.Pixel(1, 0), bitmap.TransparentColor());
        QCOMPARE(bitmap.Pixel(2, 0), RGBColor(20, 30, 40));

        // As a frame: the hole is a transparent pixel.
        TGIFImage image;
        image.ColorReductionKind = crNone;
        image.AddFrame(bitmap);
        TGIFSubImage* frame = image.Frames()[0];
        QVERIFY(frame->IsTransparent());
        QCOMPARE(int(frame->PixelAt(1, 0)), int(frame->ControlExtension()->TransparentIndex()));
        QVERIFY(frame->PixelAt(0, 0) != frame->ControlExtension()->TransparentIndex());
    }
};

QTEST_MAIN(TClipboardTest)
#include "tst_Clipboard.moc"
