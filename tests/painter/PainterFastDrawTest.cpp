// Drawing a frame straight from its indices must give exactly what rendering
// it to a bitmap and copying that through its mask gives.

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "painter/PainterFastDraw.h"
#include "painter/WidePaletteRows.h"
#include "painter/PainterTestSupport.h"
#include "raster/Canvas.h"

using namespace painter_test;

TEST(PainterFastDraw, MatchesTheFramesOwnDrawing) {
    std::mt19937 rng(7);
    struct Case {
        int left, top, width, height, transparent;
        TPixelFormat format;
        int screenWidth = 16, screenHeight = 12;
    } cases[] = {
        {0, 0, 16, 12, -1, pf32bit}, {3, 2, 7, 5, 2, pf32bit}, {0, 0, 16, 12, 0, pf24bit},
        {5, 4, 11, 8, 6, pf24bit},  // index 6 lies beyond the 5-colour table
        {9, 1, 7, 11, 1, pf32bit},
        {3, 1, 1101, 960, -1, pf32bit, 1105, 962},  // large enough to be written past the caches
        {1, 2, 150, 9, 3, pf32bit, 160, 12}, {0, 0, 130, 5, -1, pf32bit, 140, 6},  // rows drawn 64 at a time
    };
    for (const Case& c : cases) {
        auto image = MakeAnimation(c.screenWidth, c.screenHeight,
                                   {FrameRecipe{.left = c.left, .top = c.top, .width = c.width, .height = c.height,
                                                .fill = 0, .transparent = c.transparent}});
        image->SetPaintOptions(PaintOptionBit(poAnimate));  // no dithering
        TGIFSubImage& frame = *image->Frames()[0];
        std::uint8_t* p = frame.PixelData();
        for (std::int64_t i = 0; i < frame.PixelDataSize(); ++i) p[i] = static_cast<std::uint8_t>(rng() % 8);

        TBitmap want(c.screenWidth, c.screenHeight, c.format), have(c.screenWidth, c.screenHeight, c.format);
        TCanvas(want).FillRect(want.BoundsRect(), 0x00808080);
        TCanvas(have).FillRect(have.BoundsRect(), 0x00808080);
        TCanvas wantCanvas(want);
        frame.DrawFrame(wantCanvas, want.BoundsRect(), false, true);
        const TRect area = MakeRect(c.left, c.top, c.width, c.height);
        ASSERT_TRUE(PaintFrameDirect(frame, have, area, have.BoundsRect(), true));
        for (int y = 0; y < c.screenHeight; ++y)
            ASSERT_EQ(std::memcmp(have.ScanLine(y), want.ScanLine(y), want.Stride()), 0)
                << "row " << y << " of frame at " << area << " format " << int(c.format);
    }
}

TEST(PainterFastDraw, FillsSmallAndLargePicturesAlike) {
    for (const auto& [width, height] : {std::pair{5, 3}, std::pair{1027, 1030}}) {
        TBitmap picture(width, height, pf32bit);
        FillPicture(picture, 0xFF102030u);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                std::uint32_t word;
                std::memcpy(&word, picture.ScanLine(y) + 4 * x, 4);
                ASSERT_EQ(word, 0xFF102030u) << width << "x" << height << " at " << x << "," << y;
            }
    }
}

TEST(PainterFastDraw, ClipsAndDeclinesWhatItCannotDraw) {
    auto image = MakeAnimation(4, 4, {FrameRecipe{.left = 2, .top = 2, .width = 4, .height = 4, .fill = 1}});
    TGIFSubImage& frame = *image->Frames()[0];
    TBitmap target(4, 4, pf24bit);
    // Half of the frame lies beyond the clip: only the clip is drawn.
    ASSERT_TRUE(PaintFrameDirect(frame, target, TRect{2, 2, 6, 6}, TRect{0, 0, 3, 3}, false));
    EXPECT_EQ(target.Pixel(2, 2), kRed);
    EXPECT_EQ(target.Pixel(3, 3), kBlack);
    EXPECT_FALSE(PaintFrameDirect(frame, target, TRect{0, 0, 8, 8}, target.BoundsRect(), false)) << "scaled";
    TBitmap paletted(4, 4, pf8bit);
    EXPECT_FALSE(PaintFrameDirect(frame, paletted, TRect{0, 0, 4, 4}, paletted.BoundsRect(), false));
}

// Rows drawn 64 at a time give every index its own word, all 256 of them
// (both halves of the palette), and leave the key's pixels as they were.
TEST(PainterFastDraw, WideRowsLookUpEveryEntryAndSkipTheKey) {
    if (!TWidePaletteRows::Available()) GTEST_SKIP() << "this processor draws rows one word at a time";
    std::mt19937 rng(11);
    std::array<std::uint32_t, 256> lut;
    for (std::uint32_t& word : lut) word = static_cast<std::uint32_t>(rng());
    const TWidePaletteRows wide(lut);
    for (const int n : {63, 64, 200, 256}) {
        for (const int key : {-1, 0, 77, 200, 255}) {
            std::vector<std::uint8_t> src(std::size_t(n) + 64);
            for (int i = 0; i < n; ++i) src[std::size_t(i)] = static_cast<std::uint8_t>(i < 256 ? i * 37 % 256 : rng());
            std::vector<std::uint32_t> dst(std::size_t(n), 0x5A5A5A5Au);
            const int drawn = wide.Draw(src.data(), reinterpret_cast<std::uint8_t*>(dst.data()), n, key);
            ASSERT_EQ(drawn, n - n % 64);
            for (int i = 0; i < n; ++i) {
                const std::uint8_t index = src[std::size_t(i)];
                const std::uint32_t expected = i >= drawn || index == key ? 0x5A5A5A5Au : lut[index];
                ASSERT_EQ(dst[std::size_t(i)], expected) << "n " << n << " key " << key << " at " << i;
            }
        }
    }
}
