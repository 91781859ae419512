// The library-backed picture work: scaling leaves colours alone where it
// should and is the same every time; captions come out anti-aliased in
// their colours.

#include <gtest/gtest.h>

#include <set>

#include "imaging/CaptionRenderer.h"
#include "imaging/SwsPictureScaler.h"

namespace {

TRGBAPicture Checker(int width, int height) {
    TRGBAPicture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            std::uint8_t* p = picture.Pixel(x, y);
            const bool on = (x + y) % 2 == 0;
            p[0] = on ? 200 : 20, p[1] = on ? 10 : 250, p[2] = std::uint8_t(x * 8), p[3] = 255;
        }
    return picture;
}

TEST(SwsPictureScaler, SameSizeIsExactAndHalvingAveragesEveryFilterAlike) {
    const TSwsPictureScaler scaler;
    const TRGBAPicture source = Checker(32, 16);
    for (TResizeFilter filter : {TResizeFilter::Nearest, TResizeFilter::Bilinear, TResizeFilter::Smooth}) {
        TRGBAPicture same(32, 16);
        ASSERT_TRUE(scaler.Scale(source, same, filter));
        EXPECT_EQ(same.Pixels, source.Pixels) << ResizeFilterName(filter);
    }
    TRGBAPicture half(16, 8);
    ASSERT_TRUE(scaler.Scale(source, half, TResizeFilter::Smooth));
    EXPECT_NEAR(half.Pixel(5, 3)[0], 110, 2) << "the mean of 200 and 20";
    EXPECT_NEAR(half.Pixel(5, 3)[1], 130, 2);
    EXPECT_EQ(half.Pixel(5, 3)[3], 255);
    TRGBAPicture again(16, 8);
    ASSERT_TRUE(scaler.Scale(source, again, TResizeFilter::Smooth));
    EXPECT_EQ(again.Pixels, half.Pixels);
    TRGBAPicture none;
    EXPECT_FALSE(scaler.Scale(TRGBAPicture{}, half, TResizeFilter::Smooth));
    EXPECT_FALSE(scaler.Scale(source, none, TResizeFilter::Smooth));
}

TEST(CaptionRenderer, TextComesOutInItsColoursWithSoftEdges) {
    EnsureFontSystem();
    TCaptionStyle style;
    style.Text = "Hello\nworld";
    style.PixelSize = 20;
    style.Color = 0xFFFF00;
    style.OutlineColor = 0x000080;
    const TRGBAPicture caption = RenderCaption(style);
    ASSERT_FALSE(caption.Empty());
    EXPECT_GT(caption.Height, 2 * 20) << "two lines";
    std::set<int> alphas;
    bool text = false, outline = false;
    for (int y = 0; y < caption.Height; ++y)
        for (int x = 0; x < caption.Width; ++x) {
            const std::uint8_t* p = caption.Pixel(x, y);
            alphas.insert(p[3]);
            text = text || (p[3] == 255 && p[0] == 255 && p[1] == 255 && p[2] == 0);
            outline = outline || (p[3] == 255 && p[0] == 0 && p[1] == 0 && p[2] == 128);
        }
    EXPECT_TRUE(text);
    EXPECT_TRUE(outline);
    EXPECT_TRUE(alphas.count(0) && alphas.count(255));
    EXPECT_GT(alphas.size(), 4u) << "anti-aliased edges";
    style.Text.clear();
    EXPECT_TRUE(RenderCaption(style).Empty());
}

}  // namespace
