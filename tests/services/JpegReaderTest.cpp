// JPEG pictures through libjpeg: good files decode, damaged ones fail without
// taking the program down, and a header declaring a huge size is refused
// before anything of that size is allocated.
#include "services/JpegReader.h"

#include "raster/PixelBudget.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QImage>

#include <gtest/gtest.h>

#include <chrono>

namespace {
QByteArray SmallJpeg(int width, int height, bool grey = false) {
    QImage picture(width, height, grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.setPixel(x, y, grey ? qRgb(x * 20, x * 20, x * 20) : qRgb(x * 20, y * 20, 128));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPEG", 95);
    return bytes;
}

TJpegReadResult Read(const QByteArray& bytes, TBitmap& bitmap) {
    return ReadJpegData(reinterpret_cast<const unsigned char*>(bytes.constData()),
                        static_cast<unsigned long>(bytes.size()), bitmap);
}

// The frame header (SOF0..SOF2) holds the height, then the width, 5 bytes in.
void DeclareSize(QByteArray& jpeg, int width, int height) {
    for (qsizetype i = 0; i + 8 < jpeg.size(); ++i)
        if (uchar(jpeg[i]) == 0xFF && uchar(jpeg[i + 1]) >= 0xC0 && uchar(jpeg[i + 1]) <= 0xC2) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            return;
        }
}

// Qt's JPEG writer makes the test files; one application for the process.
void EnsureGuiApp() {
    static int argc = 1;
    static char name[] = "test";
    static char* argv[] = {name, nullptr};
    if (!QGuiApplication::instance()) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        new QGuiApplication(argc, argv);
    }
}
} // namespace

TEST(JpegReader, ColourAndGreyPicturesDecodeToTheirSizeAndColours) {
    EnsureGuiApp();
    for (bool grey : {false, true}) {
        TBitmap bitmap;
        const TJpegReadResult result = Read(SmallJpeg(12, 9, grey), bitmap);
        ASSERT_TRUE(result.Ok) << result.Error.toStdString();
        EXPECT_EQ(bitmap.Width(), 12);
        EXPECT_EQ(bitmap.Height(), 9);
        EXPECT_EQ(bitmap.PixelFormat(), pf24bit);
        const TColorRef c = bitmap.Pixel(5, 4);
        if (grey) {
            EXPECT_NEAR(RedOf(c), 100, 8);
            EXPECT_EQ(RedOf(c), BlueOf(c));
        } else {
            EXPECT_NEAR(RedOf(c), 100, 12);
            EXPECT_NEAR(BlueOf(c), 128, 12);
        }
    }
}

TEST(JpegReader, DamagedAndHugeFilesFailQuicklyAndLeaveTheBitmap) {
    EnsureGuiApp();
    const QByteArray good = SmallJpeg(16, 16);
    TBitmap bitmap(3, 2, pf8bit);
    for (qsizetype cut : {qsizetype(0), qsizetype(2), good.size() / 4}) {
        const TJpegReadResult result = Read(good.left(cut), bitmap);
        EXPECT_FALSE(result.Ok) << "cut at " << cut;
        EXPECT_FALSE(result.Error.isEmpty());
        EXPECT_EQ(bitmap.Width(), 3) << "the bitmap is untouched";
    }
    QByteArray huge = good;
    DeclareSize(huge, 60000, 60000); // libjpeg itself stops at 65500
    const auto start = std::chrono::steady_clock::now();
    const TJpegReadResult result = Read(huge, bitmap);
    EXPECT_FALSE(result.Ok);
    EXPECT_EQ(result.Error.toStdString(), ImageTooLargeText);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
}

TEST(JpegReader, APreviewIsDecodedSmallerButKeepsTwiceTheFittedSize) {
    EnsureGuiApp();
    const QByteArray jpeg = SmallJpeg(640, 480);
    const struct { int fit; int width; int height; } cases[] = {
        {0, 640, 480},   // the whole picture
        {75, 160, 120},  // 1/4: 160 >= 2 x 75, 1/8 would give 80
        {40, 80, 60},    // 1/8
        {300, 640, 480}, // no reduction keeps 600
        {150, 320, 240}, // 1/2
    };
    for (const auto& c : cases) {
        TBitmap bitmap;
        const TJpegReadResult read = ReadJpegData(reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                                  static_cast<unsigned long>(jpeg.size()), bitmap, c.fit);
        ASSERT_TRUE(read.Ok) << c.fit;
        EXPECT_EQ(bitmap.Width(), c.width) << c.fit;
        EXPECT_EQ(bitmap.Height(), c.height) << c.fit;
        EXPECT_EQ(read.Width, 640);
        EXPECT_EQ(read.Height, 480);
    }
}
