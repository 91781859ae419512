// Canvas block transfers: every case checks the target pixel by pixel against
// what the operation must leave there.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "raster/Canvas.h"
#include "support/FrameBuilders.h"

namespace {

constexpr TColorRef kRed = RGBColor(255, 0, 0);
constexpr TColorRef kGreen = RGBColor(0, 255, 0);
constexpr TColorRef kBlue = RGBColor(0, 0, 255);
constexpr TColorRef kWhite = RGBColor(255, 255, 255);
constexpr TColorRef kBlack = 0;

// An 8-bit bitmap whose pixels are the given rows of indexes.
TBitmap Indexed(const std::vector<std::vector<int>>& rows, const std::vector<TColorRef>& colors) {
    TBitmap b(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()), pf8bit);
    b.SetPalette(MakePalette(colors));
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) b.SetIndex(x, y, static_cast<std::uint32_t>(rows[y][x]));
    return b;
}

TEST(Canvas, FillRectClipsAndPicksNearestEntryOnPalettedTargets) {
    TBitmap b(3, 2, pf8bit);
    b.SetPalette(MakePalette({kBlack, kRed, kWhite}));
    // Partly outside the bitmap; (250, 10, 10) is nearest to red.
    TCanvas(b).FillRect({1, -5, 10, 1}, RGBColor(250, 10, 10));
    for (int x = 0; x < 3; ++x) {
        EXPECT_EQ(b.Index(x, 0), x == 0 ? 0u : 1u) << "row 0 column " << x;
        EXPECT_EQ(b.Index(x, 1), 0u) << "row 1 column " << x;
    }
}

TEST(Canvas, StretchCopyEnlargesAndShrinksByNearestNeighbour) {
    const TBitmap src = Indexed({{0, 1}, {2, 0}}, {kBlack, kRed, kGreen});
    for (TPixelFormat format : {pf8bit, pf24bit, pf32bit}) {
        TBitmap big(4, 4, format);
        if (format == pf8bit) big.SetPalette(MakePalette({kGreen, kRed, kBlack}));  // a different order
        TCanvas(big).StretchDraw(big.BoundsRect(), src);
        ExpectColors(big,
                     {{kBlack, kBlack, kRed, kRed},
                      {kBlack, kBlack, kRed, kRed},
                      {kGreen, kGreen, kBlack, kBlack},
                      {kGreen, kGreen, kBlack, kBlack}},
                     "enlarged into format " + std::to_string(BitsPerPixel(format)));
        TBitmap small(1, 1, pf24bit);
        TCanvas(small).StretchCopy(small.BoundsRect(), big, big.BoundsRect());
        EXPECT_EQ(small.Pixel(0, 0), kBlack) << "shrunk from format " << BitsPerPixel(format);
    }
}

TEST(Canvas, SamePaletteCopyKeepsIndexesEvenForDuplicateColours) {
    // Entries 0 and 2 are both black: a copy between bitmaps of the same
    // palette must not fold index 2 into index 0.
    const TBitmap src = Indexed({{2, 1, 0}}, {kBlack, kRed, kBlack});
    TBitmap dst(3, 1, pf8bit);
    dst.SetPalette(src.Palette());
    TCanvas(dst).StretchDraw(dst.BoundsRect(), src);
    for (int x = 0; x < 3; ++x) EXPECT_EQ(dst.Index(x, 0), src.Index(x, 0)) << "column " << x;
}

TEST(Canvas, DestinationPartlyOffTheCanvasTakesTheMatchingSourcePart) {
    const TBitmap src = Indexed({{0, 1, 2}}, {kRed, kGreen, kBlue});
    TBitmap dst(2, 1, pf24bit);
    TCanvas(dst).StretchDraw({-1, 0, 2, 1}, src);
    ExpectColors(dst, {{kGreen, kBlue}}, "shifted left by one");
}

TEST(Canvas, LowDepthSourcesReadMostSignificantBitsFirst) {
    TBitmap mono(9, 1, pf1bit);
    mono.SetPalette(MakePalette({kBlack, kWhite}));
    mono.ScanLine(0)[0] = 0xA0;  // 1 0 1 0 0 0 0 0
    mono.ScanLine(0)[1] = 0x80;  // ninth pixel set
    TBitmap out(9, 1, pf24bit);
    TCanvas(out).StretchDraw(out.BoundsRect(), mono);
    const std::vector<TColorRef> want = {kWhite, kBlack, kWhite, kBlack, kBlack, kBlack, kBlack, kBlack, kWhite};
    ExpectColors(out, {want}, "1-bit source");

    TBitmap nib(5, 1, pf4bit);
    nib.SetPalette(MakePalette({kBlack, kRed, kGreen, kBlue}));
    nib.ScanLine(0)[0] = 0x12;
    nib.ScanLine(0)[1] = 0x30;
    nib.ScanLine(0)[2] = 0x20;
    TBitmap out4(5, 1, pf32bit);
    TCanvas(out4).StretchDraw(out4.BoundsRect(), nib);
    ExpectColors(out4, {{kRed, kGreen, kBlue, kBlack, kGreen}}, "4-bit source of odd width");
}

TEST(Canvas, MaskedCopyLeavesTheTargetWhereTheMaskIsSet) {
    const TBitmap src = Indexed({{1, 0, 1}, {0, 0, 0}}, {kRed, kGreen});
    // 16-bit padded mask rows: pixels 0 and 2 of row 0 are transparent.
    const std::uint8_t bits[] = {0xA0, 0x00, 0x00, 0x00};
    const TMaskView mask{bits, 2, 3, 2};
    TBitmap dst(3, 2, pf24bit);
    TCanvas canvas(dst);
    canvas.FillRect(dst.BoundsRect(), kBlue);
    canvas.MaskedCopy(dst.BoundsRect(), src, src.BoundsRect(), mask);
    ExpectColors(dst, {{kBlue, kRed, kBlue}, {kRed, kRed, kRed}}, "unscaled");

    TBitmap big(6, 4, pf24bit);
    TCanvas bigCanvas(big);
    bigCanvas.FillRect(big.BoundsRect(), kBlue);
    bigCanvas.MaskedCopy(big.BoundsRect(), src, src.BoundsRect(), mask);
    ExpectColors(big,
                 {{kBlue, kBlue, kRed, kRed, kBlue, kBlue},
                  {kBlue, kBlue, kRed, kRed, kBlue, kBlue},
                  {kRed, kRed, kRed, kRed, kRed, kRed},
                  {kRed, kRed, kRed, kRed, kRed, kRed}},
                 "stretched twice");
}

TEST(Canvas, MaskViewOfAMonochromeBitmap) {
    TBitmap src(2, 1, pf24bit);
    src.SetPixel(0, 0, kRed);
    src.SetPixel(1, 0, kGreen);
    const TBitmap maskBitmap = src.CreateMask(kGreen);
    TBitmap dst(2, 1, pf24bit);
    TCanvas canvas(dst);
    canvas.FillRect(dst.BoundsRect(), kWhite);
    canvas.MaskedCopy(dst.BoundsRect(), src, src.BoundsRect(), TMaskView::Of(maskBitmap));
    ExpectColors(dst, {{kRed, kWhite}}, "green masked out");
    EXPECT_TRUE(TMaskView::Of(src).Empty()) << "a colour bitmap is no mask";
}

TEST(Canvas, BrushCopyReplacesOneColour) {
    const TBitmap src = Indexed({{0, 1, 2}}, {kRed, kGreen, kRed});
    TBitmap dst(3, 1, pf24bit);
    TCanvas(dst).BrushCopy(dst.BoundsRect(), src, src.BoundsRect(), kRed, kWhite);
    ExpectColors(dst, {{kWhite, kGreen, kWhite}}, "paletted source");

    TBitmap trueSrc(3, 1, pf24bit);
    trueSrc.SetPixel(0, 0, kGreen);
    trueSrc.SetPixel(1, 0, kRed);
    TBitmap dst8(3, 1, pf8bit);
    dst8.SetPalette(MakePalette({kBlack, kGreen, kBlue}));
    TCanvas(dst8).BrushCopy(dst8.BoundsRect(), trueSrc, trueSrc.BoundsRect(), kRed, kBlue);
    EXPECT_EQ(dst8.Index(0, 0), 1u);
    EXPECT_EQ(dst8.Index(1, 0), 2u) << "red drawn as blue";
    EXPECT_EQ(dst8.Index(2, 0), 0u);
}

TEST(Canvas, DottedRectSetsEveryOtherOutlinePixel) {
    TBitmap b(5, 4, pf24bit);
    TCanvas(b).DottedRect(b.BoundsRect(), kWhite);
    const TColorRef W = kWhite, K = kBlack;
    // The outline of 14 pixels walked clockwise from the top-left corner.
    ExpectColors(b, {{W, K, W, K, W}, {K, K, K, K, K}, {W, K, K, K, W}, {K, W, K, W, K}}, "5x4 outline");
}

TEST(Canvas, CopyRectBetweenCanvasesAndWithinOne) {
    TBitmap a(4, 1, pf24bit);
    for (int x = 0; x < 4; ++x) a.SetPixel(x, 0, RGBColor(static_cast<std::uint8_t>(x * 10), 0, 0));
    TBitmap b(2, 1, pf24bit);
    TCanvas(b).CopyRect(b.BoundsRect(), TCanvas(a), {2, 0, 4, 1});
    ExpectColors(b, {{RGBColor(20, 0, 0), RGBColor(30, 0, 0)}}, "between canvases");
    // Overlapping copy within one bitmap reads the original pixels.
    TCanvas self(a);
    self.CopyRect({1, 0, 4, 1}, self, {0, 0, 3, 1});
    ExpectColors(a, {{RGBColor(0, 0, 0), RGBColor(0, 0, 0), RGBColor(10, 0, 0), RGBColor(20, 0, 0)}}, "overlap");
}

TEST(Canvas, EmptyAndDisjointRectanglesDrawNothing) {
    const TBitmap src = Indexed({{1}}, {kBlack, kRed});
    TBitmap dst(2, 2, pf24bit);
    TCanvas c(dst);
    c.StretchDraw({5, 5, 9, 9}, src);
    c.StretchDraw({0, 0, 0, 2}, src);
    c.StretchCopy(dst.BoundsRect(), src, {3, 3, 4, 4});  // source rectangle outside the source
    ExpectColors(dst, {{kBlack, kBlack}, {kBlack, kBlack}}, "untouched");
}
}  // namespace
