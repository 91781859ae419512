// Frame rendering and drawing: the mask layout, the rendered bitmap, the scaled
// frame rectangle, tiling, the transparent copy, dithering and the image's
// flat picture and Draw.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gif/GIFMaskBuffer.h"
#include "gif/GIFImage.h"
#include "gif/GIFImageDraw.h"
#include "gif/GIFPainterHost.h"
#include "raster/Canvas.h"
#include "support/FrameBuilders.h"

namespace {

constexpr TColorRef kBackground = RGBColor(1, 2, 3);

const TColor kRed = MakeColor(255, 0, 0);
const TColor kGreen = MakeColor(0, 255, 0);
const TColor kBlue = MakeColor(0, 0, 255);

TBitmap Screen(int width, int height) {
    TBitmap b(width, height, pf24bit);
    TCanvas(b).FillRect(b.BoundsRect(), kBackground);
    return b;
}

TEST(RasterFrame, MaskRowsArePaddedTo16BitWordsMostSignificantBitFirst) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 3, 2, {1, 0, 1, 0, 0, 0}, {kRed, kGreen}, 1);
    ASSERT_TRUE(frame->MaskAvailable());
    EXPECT_EQ(MaskWordRows(*frame->TransparencyMask), (std::vector<std::uint8_t>{0xA0, 0x00, 0x00, 0x00}));

    // 17 pixels need two words per row; the 17th pixel is the top bit of byte 2.
    std::vector<int> pixels(17 * 2, 0);
    pixels[16] = 1;
    pixels[17] = 1;
    TGIFSubImage* wide = AddIndexedFrame(image, 0, 0, 17, 2, pixels, {kRed, kGreen}, 1);
    ASSERT_TRUE(wide->MaskAvailable());
    EXPECT_EQ(MaskWordRows(*wide->TransparencyMask),
              (std::vector<std::uint8_t>{0, 0, 0x80, 0, /* row 1 */ 0x80, 0, 0, 0}));
}

TEST(RasterFrame, NoMaskWithoutATransparentPixel) {
    TGIFImage image;
    TGIFSubImage* unused = AddIndexedFrame(image, 0, 0, 2, 1, {0, 0}, {kRed, kGreen}, 1);
    EXPECT_FALSE(unused->MaskAvailable()) << "transparent index never used";
    TGIFSubImage* opaque = AddIndexedFrame(image, 0, 0, 2, 1, {1, 1}, {kRed, kGreen});
    EXPECT_FALSE(opaque->MaskAvailable()) << "no transparency at all";
}

TEST(RasterFrame, RenderedBitmapCarriesTheIndexesAndTheTable) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    std::vector<std::string> progress;
    image.OnProgress = [&](TPersistent*, TProgressStage stage, int percent, bool, const TRect&, const std::string& text) {
        progress.push_back(text + " " + std::to_string(stage) + " " + std::to_string(percent));
    };
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 3, 2, {2, 1, 0, 0, 1, 2}, {kRed, kGreen, kBlue});
    const TBitmap* bitmap = frame->RenderedBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->PixelFormat(), pf8bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(bitmap->Index(x, y), frame->PixelAt(x, y)) << "pixel (" << x << "," << y << ")";
    EXPECT_EQ(bitmap->Pixel(0, 0), kBlue);
    EXPECT_EQ(progress, (std::vector<std::string>{"Rendering... 0 0", "Rendering... 1 0", "Rendering... 2 100"}));
    EXPECT_EQ(frame->RenderedBitmap(), bitmap) << "cached";

    TBitmap copy;
    frame->AssignTo(copy);
    EXPECT_EQ(copy.Pixel(2, 1), kBlue);

    TGIFSubImage empty(&image);
    EXPECT_EQ(empty.RenderedBitmap(), nullptr);
}

TEST(RasterFrame, ScaledFrameRectRoundsEachEdge) {
    TGIFImage image;
    TGIFSubImage* frame = AddIndexedFrame(image, 10, 10, 20, 20, std::vector<int>(400, 0), {kRed});
    image.SetWidth(40);
    image.SetHeight(40);
    EXPECT_EQ(frame->ScaledFrameRect({0, 0, 80, 80}), (TRect{20, 20, 60, 60}));
    EXPECT_EQ(frame->ScaledFrameRect({5, 7, 45, 47}), (TRect{15, 17, 35, 37})) << "same scale, offset";

    TGIFImage odd;
    TGIFSubImage* third = AddIndexedFrame(odd, 1, 0, 1, 3, {0, 0, 0}, {kRed});
    odd.SetWidth(3);
    // 1 * 10 / 3 = 3.33 -> 3 and 2 * 10 / 3 = 6.67 -> 7; 1.5 rounds up.
    EXPECT_EQ(third->ScaledFrameRect({0, 0, 10, 3}), (TRect{3, 0, 7, 3}));
    EXPECT_EQ(third->ScaledFrameRect({0, 0, 3, 2}), (TRect{1, 0, 2, 2}));
}

TEST(RasterFrame, DrawFramePlacesTheFrameOnTheScaledScreen) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    AddIndexedFrame(image, 0, 0, 4, 2, std::vector<int>(8, 0), {kGreen});  // the screen: 4 x 2
    TGIFSubImage* frame = AddIndexedFrame(image, 1, 1, 2, 1, {0, 1}, {kRed, kBlue});
    TBitmap target = Screen(8, 4);
    TCanvas canvas(target);
    frame->DrawFrame(canvas, target.BoundsRect(), false, false);
    const TColorRef o = kBackground, R = kRed, B = kBlue;
    ExpectColors(target, {{o, o, o, o, o, o, o, o}, {o, o, o, o, o, o, o, o}, {o, o, R, R, B, B, o, o}, {o, o, R, R, B, B, o, o}},
                 "doubled");
}

TEST(RasterFrame, TilesRepeatFromTheTopLeftAndAreCutAtTheEdge) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 2, 1, {0, 1}, {kRed, kBlue});
    TBitmap target = Screen(6, 3);
    TCanvas canvas(target);
    frame->DrawFrame(canvas, {1, 1, 6, 3}, true, false);
    const TColorRef o = kBackground, R = kRed, B = kBlue;
    ExpectColors(target, {{o, o, o, o, o, o}, {o, R, B, R, B, R}, {o, R, B, R, B, R}}, "tiled");
}

TEST(RasterFrame, TransparentCopyKeepsTheBackgroundUnderTransparentPixels) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 3, 1, {0, 1, 0}, {kRed, kGreen}, 1);
    const TColorRef o = kBackground, R = kRed, G = kGreen;
    for (bool tile : {false, true}) {
        TBitmap target = Screen(6, 1);
        TCanvas canvas(target);
        frame->PaintFrame(canvas, target.BoundsRect(), tile, true);
        if (tile)
            ExpectColors(target, {{R, o, R, R, o, R}}, "transparent, tiled");
        else
            ExpectColors(target, {{R, R, o, o, R, R}}, "transparent, stretched");
    }
    TBitmap opaque = Screen(3, 1);
    TCanvas canvas(opaque);
    frame->PaintFrame(canvas, opaque.BoundsRect(), false, false);
    ExpectColors(opaque, {{R, G, R}}, "not transparent");
}

TEST(RasterFrame, DitheredRenderingUsesTheWebPaletteAndSkipsTransparentPixels) {
    TGIFImage image;
    // Dither always, not only on palette displays.
    image.SetPaintOptions(static_cast<std::uint16_t>((image.PaintOptions() | PaintOptionBit(poDither)) &
                                                     ~PaintOptionBit(poAutoDither)));
    ASSERT_TRUE(image.ShouldDither());
    // Web colours map exactly, so no error is diffused.
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 3, 2, {0, 1, 2, 2, 1, 0},
                                   {MakeColor(51, 102, 153), MakeColor(255, 255, 255), MakeColor(0, 0, 0)}, 1);
    const TBitmap* bitmap = frame->RenderedBitmap();
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Palette().Count(), 216);
    EXPECT_EQ(bitmap->Palette()[51], (TPaletteEntry{51, 102, 153, 0}));
    EXPECT_EQ(bitmap->Index(0, 0), 51u) << "1*36 + 2*6 + 3";
    EXPECT_EQ(bitmap->Index(2, 0), 0u);
    EXPECT_EQ(bitmap->Index(0, 1), 0u) << "second row runs right to left";
    EXPECT_EQ(bitmap->Index(2, 1), 51u);
    // Transparent white takes the substitute 180 + 30 + 5 + 1 (past the web
    // colours; the pixel is masked out anyway).
    EXPECT_EQ(bitmap->Index(1, 0), 216u);
    ASSERT_TRUE(frame->TransparencyMask);
    EXPECT_EQ(MaskWordRows(*frame->TransparencyMask), (std::vector<std::uint8_t>{0x40, 0, 0x40, 0}));
}

TEST(RasterFrame, FlatBitmapIsTheFirstFrameOnTheScreen) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    AddIndexedFrame(image, 1, 0, 1, 1, {0}, {kRed});
    image.SetWidth(3);
    AddIndexedFrame(image, 0, 0, 3, 1, {0, 0, 0}, {kBlue});  // later frames do not show
    TBitmap flat;
    image.AssignTo(flat);
    // The screen shares the frame's palette, so its blank (zero) pixels show entry 0.
    ExpectColors(flat, {{kRed, kRed, kRed}}, "first frame only, on a blank screen");
    EXPECT_EQ(flat.PixelFormat(), pf8bit);

    // A frame with colours of its own on a screen with a global table keeps them.
    TGIFImage mixed;
    mixed.SetPaintOptions(mixed.PaintOptions() & ~PaintOptionBit(poDither));
    mixed.GlobalColors().AddColor(kGreen);
    AddIndexedFrame(mixed, 1, 0, 1, 1, {0}, {kBlue});
    mixed.SetWidth(2);
    mixed.AssignTo(flat);
    ExpectColors(flat, {{0, kBlue}}, "own colours on a true-colour screen");
    EXPECT_EQ(image.GetFlatBitmap(), image.FlatBitmap.get()) << "built once";

    TGIFImage full;
    full.SetPaintOptions(full.PaintOptions() & ~PaintOptionBit(poDither));
    AddIndexedFrame(full, 0, 0, 2, 1, {1, 0}, {kRed, kGreen});
    ASSERT_NE(full.GetFlatBitmap(), nullptr);
    EXPECT_EQ(full.FlatBitmap->PixelFormat(), pf8bit) << "a copy of the rendered frame";
    EXPECT_EQ(full.FlatBitmap->Pixel(0, 0), kGreen);

    TGIFImage empty;
    EXPECT_EQ(empty.GetFlatBitmap(), nullptr);
}

TEST(RasterFrame, DrawDoesNothingWhenEmptyOrAlreadyDrawing) {
    TBitmap target = Screen(2, 1);
    TCanvas canvas(target);
    TGIFImage empty;
    empty.Draw(canvas, target.BoundsRect());
    ExpectColors(target, {{kBackground, kBackground}}, "empty image");

    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    AddIndexedFrame(image, 0, 0, 1, 1, {0}, {kRed});
    image.InDraw = true;
    image.Draw(canvas, target.BoundsRect());
    ExpectColors(target, {{kBackground, kBackground}}, "re-entered");
    image.InDraw = false;
    image.Draw(canvas, target.BoundsRect());
    ExpectColors(target, {{kRed, kRed}}, "one frame, stretched");
    EXPECT_FALSE(image.InDraw);
}

TEST(RasterFrame, AnimatedDrawGoesToTheInstalledDrawer) {
    static int calls = 0;
    calls = 0;
    const TGIFPainterHostScope host({.AnimatedDrawer = [](TGIFImage& image, TCanvas&, const TRect&) {
        ++calls;
        EXPECT_TRUE(image.InDraw);
    }});
    TGIFImage image;
    AddIndexedFrame(image, 0, 0, 1, 1, {0}, {kRed});
    AddIndexedFrame(image, 0, 0, 1, 1, {0}, {kGreen});
    TBitmap target = Screen(1, 1);
    TCanvas canvas(target);
    image.Draw(canvas, target.BoundsRect());
    EXPECT_EQ(calls, 1);
    // With a flat picture present (and not poDirect), it is drawn instead.
    image.GetFlatBitmap();
    image.Draw(canvas, target.BoundsRect());
    EXPECT_EQ(calls, 1);
}
}  // namespace
