// Bitmaps becoming frames: each source depth, the true-colour table limit, and
// the transparency rules of the mask application.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "raster/Bitmap.h"
#include "support/ErrorText.h"
#include "support/FrameBuilders.h"
#include "support/WarningCollector.h"

namespace {

// A 24-bit bitmap of `count` distinct colours, one per pixel, 16 per row.
TBitmap DistinctColours(int count) {
    TBitmap b(16, (count + 15) / 16, pf24bit);
    for (int i = 0; i < b.Width() * b.Height(); ++i)
        b.SetPixel(i % 16, i / 16, RGBColor(static_cast<std::uint8_t>(std::min(i, count - 1)), static_cast<std::uint8_t>(i / 7), 9));
    return b;
}

// Every frame pixel shows the source pixel's colour.
void ExpectSameColours(TGIFSubImage& frame, const TBitmap& source, const std::string& what) {
    ASSERT_EQ(frame.Width(), source.Width()) << what;
    ASSERT_EQ(frame.Height(), source.Height()) << what;
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            EXPECT_EQ(frame.EffectiveColors()->GetColor(frame.PixelAt(x, y)), source.Pixel(x, y))
                << what << ": pixel (" << x << "," << y << ")";
}

TEST(RasterConversion, TrueColourWith256ColoursConvertsAnd257Overflow) {
    TGIFImage image;
    image.ColorReductionKind = crNone;  // keep the picture in true colour
    TGIFSubImage frame(&image);
    const TBitmap full = DistinctColours(256);
    frame.AssignBitmap(full);
    EXPECT_EQ(frame.LocalColors().Count(), 256);
    ExpectSameColours(frame, full, "256 colours");

    TGIFSubImage over(&image);
    EXPECT_EQ(ErrorOf([&] { over.AssignBitmap(DistinctColours(257)); }), "Color table overflow");
    EXPECT_TRUE(over.IsEmpty()) << "nothing half-converted stays";
    EXPECT_EQ(over.LocalColors().Count(), 0);
}

TEST(RasterConversion, ColoursRepeatingOutOfCacheOrderAreNotAddedTwice) {
    // 20 colours cycled pixel by pixel: each comes back after the small cache of
    // recent colours has forgotten it, 1000 times in all.
    TGIFImage image;
    image.ColorReductionKind = crNone;
    TBitmap source(50, 20, pf24bit);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 50; ++x) source.SetPixel(x, y, RGBColor(static_cast<std::uint8_t>((x + y * 50) % 20 * 10), 1, 2));
    TGIFSubImage frame(&image);
    frame.AssignBitmap(source);
    EXPECT_EQ(frame.LocalColors().Count(), 20);
    ExpectSameColours(frame, source, "cycling colours");
}

TEST(RasterConversion, PalettedSourcesKeepIndexesAndPalette) {
    TGIFImage image;
    const TPalette palette = MakePalette({RGBColor(0, 0, 0), RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(0, 0, 255)});
    struct Case {
        TPixelFormat format;
        int width;
    } cases[] = {{pf1bit, 9}, {pf4bit, 5}, {pf8bit, 3}};
    for (const Case& c : cases) {
        TBitmap source(c.width, 2, c.format);
        const int colours = c.format == pf1bit ? 2 : 4;
        TPalette p = palette;
        p.Entries().resize(static_cast<std::size_t>(colours));
        source.SetPalette(p);
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < c.width; ++x) source.SetIndex(x, y, static_cast<std::uint32_t>((x * 3 + y) % colours));
        TGIFSubImage frame(&image);
        frame.AssignBitmap(source);
        const std::string what = std::to_string(BitsPerPixel(c.format)) + " bits";
        EXPECT_EQ(frame.LocalColors().Count(), colours) << what;
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < c.width; ++x)
                EXPECT_EQ(frame.PixelAt(x, y), source.Index(x, y)) << what << ": pixel (" << x << "," << y << ")";
    }
}

TEST(RasterConversion, FourBitRowOfOddWidthReadsHighNibblesFirst) {
    TGIFImage image;
    TBitmap source(5, 1, pf4bit);
    source.SetPalette(MakePalette(std::vector<TColorRef>(16, 0)));
    std::uint8_t* row = source.ScanLine(0);
    row[0] = 0x12;
    row[1] = 0x34;
    row[2] = 0x5F;  // the low nibble is padding
    TGIFSubImage frame(&image);
    frame.AssignBitmap(source);
    for (int x = 0; x < 5; ++x) EXPECT_EQ(frame.PixelAt(x, 0), x + 1) << "pixel " << x;
}

TEST(RasterConversion, ThirtyTwoBitSourcesAreReadAsTrueColour) {
    TGIFImage image;
    image.ColorReductionKind = crNone;
    TBitmap source(2, 1, pf32bit);
    source.SetPixel(0, 0, RGBColor(10, 20, 30));
    source.SetPixel(1, 0, RGBColor(40, 50, 60));
    TGIFSubImage frame(&image);
    frame.AssignBitmap(source);
    ExpectSameColours(frame, source, "32 bits");
}

TEST(RasterConversion, TransparentColourBecomesANewTransparentIndex) {
    TGIFImage image;
    TBitmap source(4, 1, pf8bit);
    // Entry 2 is unused; green is the transparent colour.
    source.SetPalette(MakePalette({RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(0, 0, 255)}));
    source.SetIndex(0, 0, 1);
    source.SetIndex(1, 0, 0);
    source.SetIndex(2, 0, 1);
    source.SetIndex(3, 0, 1);
    source.SetTransparent(true);
    source.SetTransparentColor(RGBColor(0, 255, 0));
    TGIFSubImage frame(&image);
    frame.AssignBitmap(source);
    // Sorted by use: green (3 pixels), red (1); blue dropped; black appended.
    ASSERT_EQ(frame.LocalColors().Count(), 3);
    EXPECT_EQ(frame.LocalColors().GetColor(0), RGBColor(0, 255, 0));
    EXPECT_EQ(frame.LocalColors().GetColor(1), RGBColor(255, 0, 0));
    EXPECT_EQ(frame.LocalColors().GetColor(2), RGBColor(0, 0, 0));
    ASSERT_TRUE(frame.IsTransparent());
    ASSERT_NE(frame.ControlExtension(), nullptr);
    EXPECT_EQ(frame.ControlExtension()->TransparentIndex(), 2);
    const int want[4] = {2, 1, 2, 2};
    for (int x = 0; x < 4; ++x) EXPECT_EQ(frame.PixelAt(x, 0), want[x]) << "pixel " << x;
    EXPECT_EQ(frame.ExtensionBlocks().Count(), 1);
}

TEST(RasterConversion, TransparentColourWithoutPixelsLeavesNoExtension) {
    TGIFImage image;
    TBitmap source(2, 1, pf8bit);
    source.SetPalette(MakePalette({RGBColor(255, 0, 0), RGBColor(0, 255, 0), RGBColor(1, 1, 1)}));
    source.SetIndex(0, 0, 1);
    source.SetIndex(1, 0, 1);
    source.SetTransparent(true);
    source.SetTransparentColor(RGBColor(9, 9, 9));  // not in the picture
    TGIFSubImage frame(&image);
    frame.AssignBitmap(source);
    EXPECT_FALSE(frame.IsTransparent());
    EXPECT_EQ(frame.ExtensionBlocks().Count(), 0);
    ASSERT_EQ(frame.LocalColors().Count(), 1) << "the table as SortByUse left it: green only";
    EXPECT_EQ(frame.LocalColors().GetColor(0), RGBColor(0, 255, 0));
}

TEST(RasterConversion, FullTableCannotTakeATransparentEntry) {
    TGIFImage image;
    image.ColorReductionKind = crNone;
    TBitmap source = DistinctColours(256);
    source.SetTransparent(true);
    source.SetTransparentColor(source.Pixel(0, 0));
    TGIFSubImage frame(&image);
    frame.AssignBitmap(source);
    EXPECT_FALSE(frame.IsTransparent());
    EXPECT_EQ(frame.ExtensionBlocks().Count(), 0);
    EXPECT_EQ(frame.LocalColors().Count(), 256);
}

TEST(RasterConversion, TrueColourIsReducedByTheImageSettings) {
    TGIFImage image;  // web-safe reduction by default
    TBitmap source(2, 1, pf24bit);
    source.SetPixel(0, 0, RGBColor(50, 100, 150));
    source.SetPixel(1, 0, RGBColor(255, 255, 255));
    TGIFSubImage frame(&image);
    frame.AssignBitmap(source);
    EXPECT_EQ(frame.EffectiveColors()->GetColor(frame.PixelAt(0, 0)), RGBColor(51, 102, 153));
    EXPECT_EQ(frame.EffectiveColors()->GetColor(frame.PixelAt(1, 0)), RGBColor(255, 255, 255));
}

TEST(RasterConversion, AddFrameFromABitmapGrowsTheImage) {
    TGIFImage image;
    TWarningCollector warnings(image);
    TBitmap source(3, 2, pf8bit);
    source.SetPalette(MakePalette({RGBColor(1, 2, 3)}));
    EXPECT_EQ(image.AddFrame(source), 0);
    EXPECT_EQ(image.AddFrame(source), 1);
    EXPECT_EQ(image.Frames().Count(), 2);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);

    image.ColorReductionKind = crNone;
    EXPECT_EQ(ErrorOf([&] { image.AddFrame(DistinctColours(300)); }), "Color table overflow");
    EXPECT_EQ(image.Frames().Count(), 2) << "a failed conversion adds nothing";

    image.AssignBitmap(source);
    EXPECT_EQ(image.Frames().Count(), 1);

    TBitmap empty;
    image.AddFrame(empty);
    EXPECT_TRUE(image.Frames()[1]->IsEmpty()) << "an empty bitmap gives an empty frame";
}
}  // namespace
