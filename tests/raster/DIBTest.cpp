// DIB layouts: bottom-up rows, blue-green-red order, 32-bit row padding, the
// header and colour table, and the loader's refusal of damaged data.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "raster/DIB.h"
#include "raster/GIFException.h"
#include "support/ErrorText.h"

namespace {

std::uint32_t Le32(const std::vector<std::uint8_t>& v, std::size_t at) {
    return std::uint32_t(v[at]) | (std::uint32_t(v[at + 1]) << 8) | (std::uint32_t(v[at + 2]) << 16) |
           (std::uint32_t(v[at + 3]) << 24);
}

TPalette ThreeColours() {
    return TPalette({{255, 0, 0, PC_NOCOLLAPSE}, {0, 255, 0, PC_NOCOLLAPSE}, {10, 20, 30, PC_NOCOLLAPSE}});
}

TEST(DIB, WriterLaysRowsBottomUpAndHandsThemToTheBitmap) {
    TBitmap bitmap;
    const TPalette palette = ThreeColours();
    {
        TDIBWriter writer(bitmap, &palette, 2, 3, pf8bit);
        writer.ScanLine(0)[0] = 2;
        writer.ScanLine(0)[2] = 1;
        writer.ScanLine(1)[1] = 2;
        EXPECT_EQ(writer.Stride(), 4u) << "3 bytes padded to a 32-bit word";
        // Row 0 is the last row of the bits.
        EXPECT_EQ(writer.Bits().size(), 8u);
        EXPECT_EQ(writer.Bits()[4], 2) << "top row stored second";
        EXPECT_EQ(writer.Bits()[1], 2) << "bottom row stored first";
        const std::vector<std::uint8_t>& h = writer.Header();
        ASSERT_EQ(h.size(), 1064u) << "40-byte header and 256 colour quads";
        EXPECT_EQ(Le32(h, 0), 40u);
        EXPECT_EQ(Le32(h, 4), 3u) << "width";
        EXPECT_EQ(Le32(h, 8), 2u) << "positive height: bottom-up";
        EXPECT_EQ(Le32(h, 32), 256u) << "colours used";
        EXPECT_EQ(Le32(h, 36), 3u) << "important colours = palette entries";
        // Quads are blue-green-red-zero; entries past the palette stay zero.
        EXPECT_EQ(h[40 + 2 * 4], 30);
        EXPECT_EQ(h[40 + 2 * 4 + 1], 20);
        EXPECT_EQ(h[40 + 2 * 4 + 2], 10);
        EXPECT_EQ(h[40 + 2 * 4 + 3], 0);
        EXPECT_EQ(Le32(h, 40 + 3 * 4), 0u);
    }
    ASSERT_EQ(bitmap.Width(), 3);
    ASSERT_EQ(bitmap.Height(), 2);
    ASSERT_EQ(bitmap.PixelFormat(), pf8bit);
    const std::uint32_t want[2][3] = {{2, 0, 1}, {0, 2, 0}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) EXPECT_EQ(bitmap.Index(x, y), want[y][x]) << "pixel (" << x << "," << y << ")";
    EXPECT_EQ(bitmap.Pixel(0, 0), RGBColor(10, 20, 30));
    EXPECT_EQ(bitmap.Palette().Count(), 3) << "the palette written, not the padded colour table";
}

TEST(DIB, WriterRefusesBadArguments) {
    TBitmap bitmap;
    EXPECT_EQ(ErrorOf([&] { TDIBWriter(bitmap, nullptr, 2, 2, pf4bit); }), "Unsupported PixelFormat");
    EXPECT_EQ(ErrorOf([&] { TDIBWriter(bitmap, nullptr, 2, 2, pf32bit); }), "Unsupported PixelFormat");
    EXPECT_EQ(ErrorOf([&] { TDIBWriter(bitmap, nullptr, 0, 2, pf8bit); }), "Invalid image dimensions");
    EXPECT_EQ(ErrorOf([&] { TDIBWriter(bitmap, nullptr, 2, 0, pf24bit); }), "Invalid image dimensions");
    EXPECT_EQ(ErrorOf([&] {
                  TDIBWriter w(bitmap, nullptr, 2, 2, pf24bit);
                  w.ScanLine(2);
              }),
              "Scan line index out of range");
    EXPECT_TRUE(bitmap.Empty()) << "a writer whose rows were never built leaves the bitmap alone";
}

TEST(DIB, MeasureGivesHeaderAndImageSizes) {
    const TBitmap bitmap(5, 3, pf24bit);
    struct Case {
        TPixelFormat format;
        std::size_t header, image;
    } cases[] = {{pf1bit, 48, 4 * 3}, {pf4bit, 104, 4 * 3}, {pf8bit, 1064, 8 * 3}, {pf24bit, 40, 16 * 3}};
    for (const Case& c : cases) {
        const TDIBMeasure m = MeasureDIB(&bitmap, c.format);
        EXPECT_EQ(m.headerSize, c.header) << BitsPerPixel(c.format) << " bits";
        EXPECT_EQ(m.imageSize, c.image) << BitsPerPixel(c.format) << " bits";
    }
    EXPECT_EQ(ErrorOf([&] { MeasureDIB(nullptr, pf8bit); }), "Bitmap image is not valid");
    EXPECT_EQ(ErrorOf([&] { MeasureDIB(&bitmap, pf32bit); }), "Unsupported PixelFormat");
}

TEST(DIB, CopyWritesBlueGreenRedRowsBottomUp) {
    TBitmap bitmap(2, 2, pf24bit);
    bitmap.SetPixel(0, 0, RGBColor(1, 2, 3));
    bitmap.SetPixel(1, 1, RGBColor(4, 5, 6));
    std::vector<std::uint8_t> header(40), bits(16);
    ASSERT_TRUE(CopyDIB(&bitmap, nullptr, header, bits, pf24bit));
    const std::vector<std::uint8_t> want = {0, 0, 0, 6, 5, 4, 0, 0,   // bottom row first, padded to 8
                                            3, 2, 1, 0, 0, 0, 0, 0};  // then the top row
    EXPECT_EQ(bits, want);
    EXPECT_EQ(Le32(header, 20), 16u) << "image size";
    std::vector<std::uint8_t> small(15);
    EXPECT_FALSE(CopyDIB(&bitmap, nullptr, header, small, pf24bit)) << "bits buffer too small";
}

TEST(DIB, CopyPacksFourBitRowsHighNibbleFirst) {
    TBitmap bitmap(5, 1, pf8bit);
    bitmap.SetPalette(TPalette({{0, 0, 0, 0}, {255, 0, 0, 0}, {0, 0, 255, 0}}));
    const std::uint32_t indexes[5] = {1, 2, 0, 2, 1};
    for (int x = 0; x < 5; ++x) bitmap.SetIndex(x, 0, indexes[x]);
    const TDIBMeasure m = MeasureDIB(&bitmap, pf4bit);
    std::vector<std::uint8_t> header(m.headerSize), bits(m.imageSize);
    ASSERT_TRUE(CopyDIB(&bitmap, nullptr, header, bits, pf4bit));
    EXPECT_EQ(bits[0], 0x12);
    EXPECT_EQ(bits[1], 0x02);
    EXPECT_EQ(bits[2], 0x10) << "fifth pixel in the high nibble of byte 2";
    EXPECT_EQ(header[40 + 4 * 2], 255) << "blue of entry 2 comes first in its quad";
}

TEST(DIB, FileImagesRoundTripInEveryFormat) {
    TBitmap source(7, 3, pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 7; ++x) source.SetPixel(x, y, (x + y) % 2 ? RGBColor(255, 255, 255) : RGBColor(0, 0, 0));
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit}) {
        const std::vector<std::uint8_t> file = SaveDIBFile(source, format);
        TBitmap back;
        LoadDIBFile(back, file);
        ASSERT_EQ(back.PixelFormat(), format);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                EXPECT_EQ(back.Pixel(x, y), source.Pixel(x, y)) << BitsPerPixel(format) << " bits, (" << x << "," << y << ")";
    }
}

TEST(DIB, DamagedFileImagesAreRefusedWithoutTouchingTheBitmap) {
    TBitmap source(3, 3, pf8bit);
    source.SetPalette(ThreeColours());
    const std::vector<std::uint8_t> file = SaveDIBFile(source, pf8bit);
    TBitmap keep(1, 1, pf24bit);
    keep.SetPixel(0, 0, RGBColor(9, 9, 9));
    for (std::size_t n = 0; n < file.size(); ++n) {
        TBitmap target = keep;
        const std::vector<std::uint8_t> cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_EQ(ErrorOf([&] { LoadDIBFile(target, cut); }), "Bitmap image is not valid") << "cut to " << n << " bytes";
        EXPECT_EQ(target.Pixel(0, 0), RGBColor(9, 9, 9)) << "cut to " << n << " bytes";
    }
    std::vector<std::uint8_t> bad = file;
    bad[14 + 14] = 7;  // 7 bits per pixel
    TBitmap target;
    EXPECT_EQ(ErrorOf([&] { LoadDIBFile(target, bad); }), "Bitmap image is not valid");
    bad = file;
    bad[14 + 4] = 0;  // width 0
    bad[14 + 5] = 0;
    EXPECT_EQ(ErrorOf([&] { LoadDIBFile(target, bad); }), "Bitmap image is not valid");
}

TEST(DIB, AnotherReaderSeesTheSamePixels) {
    // ImageMagick reads our BMP file image; its raw RGB must equal our pixels.
    if (std::system("command -v convert >/dev/null 2>&1") != 0) GTEST_SKIP() << "convert not installed";
    TBitmap source(3, 2, pf24bit);
    source.SetPixel(0, 0, RGBColor(200, 10, 20));
    source.SetPixel(2, 1, RGBColor(30, 40, 250));
    const auto dir = std::filesystem::temp_directory_path() / ("reelix-dib-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const auto bmp = dir / "a.bmp", rgb = dir / "a.rgb";
    {
        const std::vector<std::uint8_t> file = SaveDIBFile(source, pf24bit);
        std::ofstream(bmp, std::ios::binary).write(reinterpret_cast<const char*>(file.data()),
                                                   static_cast<std::streamsize>(file.size()));
    }
    const std::string cmd = "convert " + bmp.string() + " -depth 8 rgb:" + rgb.string() + " 2>/dev/null";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    std::ifstream in(rgb, std::ios::binary);
    std::vector<std::uint8_t> have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove_all(dir);
    ASSERT_EQ(have.size(), 18u);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const std::size_t i = static_cast<std::size_t>(y * 3 + x) * 3;
            EXPECT_EQ(RGBColor(have[i], have[i + 1], have[i + 2]), source.Pixel(x, y)) << "(" << x << "," << y << ")";
        }
}
}  // namespace
