// The raster layer's bitmap: row layouts, strides, format conversion, palettes.

#include <gtest/gtest.h>

#include "raster/GIFException.h"
#include "raster/Bitmap.h"
#include "raster/SystemPalettes.h"

TEST(Bitmap, StridesArePaddedToWholeWords) {
    struct Case {
        TPixelFormat format;
        int width;
        std::size_t stride;
    };
    for (const Case& c : {Case{pf1bit, 1, 4}, Case{pf1bit, 32, 4}, Case{pf1bit, 33, 8}, Case{pf4bit, 1, 4},
                          Case{pf4bit, 8, 4}, Case{pf4bit, 9, 8}, Case{pf8bit, 1, 4}, Case{pf8bit, 4, 4},
                          Case{pf8bit, 5, 8}, Case{pf24bit, 1, 4}, Case{pf24bit, 3, 12}, Case{pf24bit, 5, 16},
                          Case{pf32bit, 3, 12}, Case{pf32bit, 0, 0}}) {
        EXPECT_EQ(TBitmap::StrideFor(c.width, c.format), c.stride) << "bits " << BitsPerPixel(c.format) << " width "
                                                                   << c.width;
        TBitmap b(c.width, 2, c.format);
        EXPECT_EQ(b.Stride(), c.width ? c.stride : 0u);
        EXPECT_EQ(b.BitsSize(), c.width ? 2 * c.stride : 0u);
    }
}

TEST(Bitmap, RowsAreTopDownAndScanLineChecksRange) {
    TBitmap b(3, 4, pf8bit);
    EXPECT_EQ(b.ScanLine(0), b.Bits());
    EXPECT_EQ(b.ScanLine(3), b.Bits() + 3 * b.Stride());
    EXPECT_THROW(b.ScanLine(4), GIFException);
    EXPECT_THROW(b.ScanLine(-1), GIFException);
    try {
        b.ScanLine(4);
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Scan line index out of range");
    }
    EXPECT_THROW(TBitmap(-1, 3), GIFException);
}

TEST(Bitmap, PixelByteOrders) {
    TBitmap b24(2, 1, pf24bit);
    b24.SetPixel(1, 0, RGBColor(10, 20, 30));
    const std::uint8_t* r24 = b24.ScanLine(0);
    EXPECT_EQ(r24[3], 30);  // blue first
    EXPECT_EQ(r24[4], 20);
    EXPECT_EQ(r24[5], 10);

    TBitmap b32(2, 1, pf32bit);
    b32.SetPixel(1, 0, RGBColor(10, 20, 30));
    const std::uint8_t* r32 = b32.ScanLine(0);
    EXPECT_EQ(r32[4], 30);
    EXPECT_EQ(r32[5], 20);
    EXPECT_EQ(r32[6], 10);
    EXPECT_EQ(r32[7], 0);

    // 4 bits, width 5: high nibble first, pixel 4 in the high nibble of byte 2.
    TBitmap b4(5, 1, pf4bit);
    for (int x = 0; x < 5; ++x) b4.SetIndex(x, 0, static_cast<std::uint32_t>(x + 1));
    const std::uint8_t* r4 = b4.ScanLine(0);
    EXPECT_EQ(r4[0], 0x12);
    EXPECT_EQ(r4[1], 0x34);
    EXPECT_EQ(r4[2], 0x50);

    // 1 bit: most significant bit first.
    TBitmap b1(10, 1, pf1bit);
    b1.SetIndex(0, 0, 1);
    b1.SetIndex(2, 0, 1);
    b1.SetIndex(9, 0, 1);
    const std::uint8_t* r1 = b1.ScanLine(0);
    EXPECT_EQ(r1[0], 0xA0);
    EXPECT_EQ(r1[1], 0x40);
    b1.SetIndex(0, 0, 0);
    EXPECT_EQ(r1[0], 0x20);
}

TEST(Bitmap, PalettedDefaultsAndLimits) {
    EXPECT_EQ(TBitmap(1, 1, pf1bit).Palette().Count(), 2);
    EXPECT_EQ(TBitmap(1, 1, pf4bit).Palette().Count(), 16);
    EXPECT_EQ(TBitmap(1, 1, pf8bit).Palette().Count(), 256);
    EXPECT_EQ(TBitmap(1, 1, pf24bit).Palette().Count(), 0);
    TBitmap b(1, 1, pf8bit);
    b.SetPalette(TPalette(std::vector<TPaletteEntry>(300)));
    EXPECT_EQ(b.Palette().Count(), 256);
    // An index beyond the palette reads as black, never out of bounds.
    b.SetPalette(TPalette({{9, 9, 9, 0}}));
    b.SetIndex(0, 0, 200);
    EXPECT_EQ(b.Pixel(0, 0), 0u);
}

TEST(Bitmap, ConversionRoundTripsAndNearestColours) {
    // True colour to 8 bits: exact halftone colours keep their colour.
    TBitmap b(4, 2, pf24bit);
    const auto& half = HalftoneEntries();
    const int picks[] = {0, 17, 100, 255, 246, 230, 9, 10};
    for (int i = 0; i < 8; ++i) {
        const auto& e = half[static_cast<std::size_t>(picks[i])];
        b.SetPixel(i % 4, i / 4, RGBColor(e.red, e.green, e.blue));
    }
    TBitmap p = b;
    p.SetPixelFormat(pf8bit);
    EXPECT_EQ(p.Palette().Count(), 256);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p.Pixel(i % 4, i / 4), b.Pixel(i % 4, i / 4)) << i;
    p.SetPixelFormat(pf32bit);
    EXPECT_EQ(p.Palette().Count(), 0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(p.Pixel(i % 4, i / 4), b.Pixel(i % 4, i / 4)) << i;

    // To 1 bit: nearest of black and white.
    TBitmap g(3, 1, pf24bit);
    g.SetPixel(0, 0, RGBColor(10, 10, 10));
    g.SetPixel(1, 0, RGBColor(200, 220, 240));
    g.SetPixel(2, 0, RGBColor(100, 100, 100));
    g.SetPixelFormat(pf1bit);
    EXPECT_EQ(g.Index(0, 0), 0u);
    EXPECT_EQ(g.Index(1, 0), 1u);
    EXPECT_EQ(g.Index(2, 0), 0u);
}

TEST(Bitmap, PalettedToPalettedKeepsIndicesWhenPaletteFits) {
    TBitmap b(5, 1, pf8bit);
    b.SetPalette(TPalette({{0, 0, 0, 0}, {10, 0, 0, 0}, {20, 0, 0, 0}, {30, 0, 0, 0}}));
    for (int x = 0; x < 5; ++x) b.SetIndex(x, 0, static_cast<std::uint32_t>(x % 4));
    b.SetPixelFormat(pf4bit);
    EXPECT_EQ(b.Palette().Count(), 4);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(b.Index(x, 0), static_cast<std::uint32_t>(x % 4)) << x;
    // 4 entries do not fit one bit: the default black/white palette takes over.
    b.SetPixelFormat(pf1bit);
    EXPECT_EQ(b.Palette().Count(), 2);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(b.Index(x, 0), 0u) << x;
}

TEST(Bitmap, AssignCopiesAndMoveEmpties) {
    TBitmap a(3, 2, pf8bit);
    a.SetIndex(2, 1, 77);
    a.SetTransparent(true);
    a.SetTransparentColor(RGBColor(1, 2, 3));
    TBitmap b;
    EXPECT_TRUE(b.Empty());
    b.Assign(a);
    EXPECT_EQ(b.Index(2, 1), 77u);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentColor(), RGBColor(1, 2, 3));
    b.SetIndex(2, 1, 5);
    EXPECT_EQ(a.Index(2, 1), 77u) << "copies share no pixels";
    TBitmap c = std::move(a);
    EXPECT_EQ(c.Index(2, 1), 77u);
    EXPECT_TRUE(a.Empty());  // NOLINT(bugprone-use-after-move): moved-from state is specified
    c.Clear();
    EXPECT_TRUE(c.Empty());
    EXPECT_FALSE(c.Transparent());
}

TEST(Bitmap, MaskMarksPixelsOfTheColour) {
    TBitmap b(3, 2, pf8bit);
    b.SetPalette(TPalette({{0, 0, 0, 0}, {255, 0, 255, 0}}));
    b.SetIndex(0, 0, 1);
    b.SetIndex(2, 0, 1);
    const TBitmap mask = b.CreateMask(RGBColor(255, 0, 255));
    EXPECT_EQ(mask.PixelFormat(), pf1bit);
    EXPECT_EQ(mask.ScanLine(0)[0], 0xA0);
    EXPECT_EQ(mask.ScanLine(1)[0], 0x00);
}

TEST(Bitmap, SetSizeClearsAndZeroSizeIsEmpty) {
    TBitmap b(4, 4, pf24bit);
    b.SetPixel(1, 1, RGBColor(9, 9, 9));
    b.SetSize(4, 4);
    EXPECT_EQ(b.Pixel(1, 1), 0u);
    b.SetSize(0, 7);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Height(), 0);
    b.SetPixelFormat(pf8bit);  // converting an empty bitmap only changes the format
    EXPECT_EQ(b.PixelFormat(), pf8bit);
}

TEST(Bitmap, EveryFormatToTrueColourKeepsEachPixelsColour) {
    for (TPixelFormat from : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        for (TPixelFormat to : {pf24bit, pf32bit}) {
            for (int width : {1, 3, 9, 33}) {
                TBitmap b(width, 3, from);
                if (from == pf8bit) b.SetPalette(TPalette({{1, 2, 3, 0}, {40, 50, 60, 0}, {250, 128, 7, 0}}));
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < width; ++x) {
                        if (IsPaletted(from))
                            b.SetIndex(x, y, static_cast<std::uint32_t>((x * 7 + y) % (from == pf8bit ? 4 : 1 << BitsPerPixel(from))));
                        else
                            b.SetPixel(x, y, RGBColor(static_cast<std::uint8_t>(x * 9), static_cast<std::uint8_t>(y * 50), 200));
                    }
                TBitmap c = b;
                c.SetPixelFormat(to);
                ASSERT_EQ(c.PixelFormat(), to);
                for (int y = 0; y < 3; ++y)
                    for (int x = 0; x < width; ++x)
                        EXPECT_EQ(c.Pixel(x, y), b.Pixel(x, y))
                            << BitsPerPixel(from) << "->" << BitsPerPixel(to) << " width " << width << " at " << x << ',' << y;
                if (to == pf32bit) {
                    EXPECT_EQ(c.ScanLine(0)[3], 0) << "reserved byte";
                }
            }
        }
    }
}

TEST(Bitmap, TrueColourToPalettedIsExactWithinOneCell) {
    // (0,0,0) and (7,7,7) share a 5-5-5 cell but have different nearest entries.
    const TPalette pal({{0, 0, 0, 0}, {8, 8, 8, 0}});
    TBitmap src(4, 1, pf24bit);
    for (int x = 0; x < 4; ++x) src.SetPixel(x, 0, x % 2 ? RGBColor(7, 7, 7) : RGBColor(0, 0, 0));
    src.SetPalette(pal);  // a fitting palette is kept by the conversion
    src.SetPixelFormat(pf4bit);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(src.Index(x, 0), static_cast<std::uint32_t>(x % 2)) << x;
}
