// Captions on chosen frames and the filtered resize, through a box scaler
// written here (the real one is a library's, tested above the core).

#include <gtest/gtest.h>

#include "gif/FrameEditLog.h"
#include "painter/FrameCaption.h"
#include "painter/FrameSequence.h"
#include "painter/SmoothResize.h"
#include "tests/painter/ShownFrames.h"
#include "tests/support/FrameBuilders.h"

namespace {

using painter_test::Frames;
using painter_test::Shown;

// Halves by the mean of each 2 x 2 block (the only size these tests ask for).
class THalvingScaler final : public IPictureScaler {
public:
    bool Scale(const TRGBAPicture& in, TRGBAPicture& out, TResizeFilter) const override {
        if (fail || out.Width * 2 != in.Width || out.Height * 2 != in.Height) return false;
        for (int y = 0; y < out.Height; ++y)
            for (int x = 0; x < out.Width; ++x)
                for (int c = 0; c < 4; ++c)
                    out.Pixel(x, y)[c] = std::uint8_t((in.Pixel(2 * x, 2 * y)[c] + in.Pixel(2 * x + 1, 2 * y)[c] +
                                                       in.Pixel(2 * x, 2 * y + 1)[c] + in.Pixel(2 * x + 1, 2 * y + 1)[c] + 2) / 4);
        return true;
    }
    bool fail = false;
};

// 32 x 16: a background striped by single columns, then an 8 x 8 square
// moving right over it, a frame changing nothing in between.
std::unique_ptr<TGIFImage> Moving() {
    auto image = std::make_unique<TGIFImage>();
    std::vector<int> stripes(512);
    for (int i = 0; i < 512; ++i) stripes[std::size_t(i)] = i % 2;
    AddIndexedFrame(*image, 0, 0, 32, 16, stripes, {MakeColor(0, 0, 0), MakeColor(255, 255, 255)});
    for (int x : {0, 8, 8, 16}) AddIndexedFrame(*image, x, 4, 8, 8, std::vector<int>(64, 0), {MakeColor(255, 0, 0), MakeColor(0, 0, 0)}, 1);
    return image;
}

std::uint8_t At(const std::vector<std::uint8_t>& rgba, int width, int x, int y, int c) {
    return rgba[std::size_t((y * width + x) * 4 + c)];
}

TEST(SmoothResize, ScalesWithTheFilterAndStoresOnlyWhatChanges) {
    auto image = Moving();
    const THalvingScaler scaler;
    ASSERT_TRUE(ResizeAnimationWith(*image, 16, 8, TResizeFilter::Smooth, scaler));
    EXPECT_EQ(image->Width(), 16);
    EXPECT_EQ(image->Height(), 8);
    const Frames shown = Shown(*image);
    ASSERT_EQ(shown.size(), 5u);
    // Stripes two pixels wide average to grey; the square stays red.
    EXPECT_NEAR(At(shown[0], 16, 12, 0, 0), 128, 8);
    EXPECT_EQ(At(shown[1], 16, 1, 3, 0), 255);
    EXPECT_EQ(At(shown[1], 16, 1, 3, 1), 0);
    EXPECT_EQ(shown[2], shown[3]) << "a frame that changes nothing still changes nothing";
    // Each later frame stores at most the square's old and new place, or
    // nothing but transparency.
    for (int i = 1; i < image->Frames().Count(); ++i) {
        const TGIFSubImage& frame = *image->Frames()[i];
        if (frame.Width() * frame.Height() <= 32) continue;
        ASSERT_TRUE(frame.ControlExtension() && frame.ControlExtension()->UsesTransparency()) << i;
        for (std::int64_t p = 0; p < frame.PixelDataSize(); ++p)
            ASSERT_EQ(frame.PixelData()[p], frame.ControlExtension()->TransparentIndex()) << "frame " << i << " is stored whole";
    }
    EXPECT_EQ(painter_test::ShownAfterSaving(*image), shown);
}

TEST(SmoothResize, CancelAndAFailingScalerLeaveTheAnimation) {
    auto image = Moving();
    const std::string before = Saved(*image);
    const THalvingScaler scaler;
    EXPECT_FALSE(ResizeAnimationWith(*image, 16, 8, TResizeFilter::Smooth, scaler, [](int) { return false; }));
    EXPECT_EQ(Saved(*image), before);
    THalvingScaler failing;
    failing.fail = true;
    EXPECT_THROW(ResizeAnimationWith(*image, 16, 8, TResizeFilter::Bilinear, failing), GIFException);
    EXPECT_EQ(Saved(*image), before);
}

// A solid 3 x 2 caption of one colour with a half-strength right column.
TRGBAPicture Caption(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    TRGBAPicture caption(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            std::uint8_t* p = caption.Pixel(x, y);
            p[0] = red, p[1] = green, p[2] = blue, p[3] = x == 2 ? 128 : 255;
        }
    return caption;
}

TEST(FrameCaption, DrawsOnTheChosenFramesOnlyAndUndoes) {
    auto image = Moving();
    const Frames before = Shown(*image);
    const std::string original = Saved(*image);
    TFrameEditLog log;
    ASSERT_TRUE(AddCaption(*image, {1, 2}, Caption(0, 0, 255), {11, 5}, {0x0000FF, std::nullopt}, log));
    const Frames after = Shown(*image);
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t f = 0; f < after.size(); ++f) {
        const bool chosen = f == 1 || f == 2;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool solid = chosen && x >= 11 && x < 13 && y >= 5 && y < 7;
                const bool edge = chosen && x == 13 && y >= 5 && y < 7;
                for (int c = 0; c < 3; ++c) {
                    const int was = At(before[f], 32, x, y, c), is = At(after[f], 32, x, y, c);
                    if (solid) ASSERT_EQ(is, c == 2 ? 255 : 0) << f << " " << x << "," << y;
                    else if (edge) ASSERT_NEAR(is, (was + (c == 2 ? 255 : 0)) / 2, 40) << f << " " << x << "," << y;
                    else ASSERT_EQ(is, was) << "frame " << f << " at " << x << "," << y << " is not the caption's";
                }
            }
    }
    EXPECT_EQ(painter_test::ShownAfterSaving(*image), after);
    log.Undo(*image);
    EXPECT_EQ(Saved(*image), original);
}

TEST(FrameCaption, AFullTableMakesRoomForTheTextColour) {
    TGIFImage image;
    std::vector<int> pixels(256);
    std::vector<TColor> colors;
    for (int i = 0; i < 256; ++i) {
        pixels[std::size_t(i)] = i;
        colors.push_back(MakeColor(std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)));
    }
    AddIndexedFrame(image, 0, 0, 16, 16, pixels, colors);
    TFrameEditLog log;
    ASSERT_TRUE(AddCaption(image, {}, Caption(1, 2, 250), {2, 2}, {0x0102FA, std::nullopt}, log));
    const Frames shown = Shown(image);
    EXPECT_EQ(At(shown[0], 16, 2, 2, 2), 250) << "the text colour is exact";
    EXPECT_EQ(At(shown[0], 16, 3, 3, 0), 1);
    EXPECT_LE(image.Frames()[0]->EffectiveColors()->Count(), 256);
}

TEST(FrameCaption, PlacesAndRefusals) {
    EXPECT_EQ(CaptionOrigin(100, 50, 20, 10, TCaptionPlace::Bottom, 4), (TPoint{40, 36}));
    EXPECT_EQ(CaptionOrigin(100, 50, 20, 10, TCaptionPlace::TopLeft, 4), (TPoint{4, 4}));
    EXPECT_EQ(CaptionOrigin(100, 50, 20, 10, TCaptionPlace::Right, 4), (TPoint{76, 20}));
    for (TCaptionPlace p : {TCaptionPlace::TopLeft, TCaptionPlace::Center, TCaptionPlace::BottomRight})
        EXPECT_EQ(CaptionPlaceNamed(CaptionPlaceName(p)), p);
    EXPECT_FALSE(CaptionPlaceNamed("middle"));
    auto image = Moving();
    TFrameEditLog log;
    EXPECT_FALSE(AddCaption(*image, {}, Caption(1, 1, 1), {40, 20}, {}, log)) << "off the screen";
    EXPECT_FALSE(AddCaption(*image, {9}, Caption(1, 1, 1), {0, 0}, {}, log)) << "no such frame";
    EXPECT_FALSE(AddCaption(*image, {}, TRGBAPicture{}, {0, 0}, {}, log));
    EXPECT_TRUE(log.Empty());
}

}  // namespace

namespace {

// Making frames whole keeps a screen wider than the resize's 1000 limit (a
// caption, a reordering and the AVI export all go through it).
TEST(FlattenAnimation, KeepsAScreenPastTheResizeLimit) {
    TGIFImage image;
    AddIndexedFrame(image, 0, 0, 1200, 2, std::vector<int>(2400, 0), {MakeColor(1, 2, 3), MakeColor(9, 9, 9)});
    AddIndexedFrame(image, 1100, 1, 10, 1, std::vector<int>(10, 1), {MakeColor(1, 2, 3), MakeColor(9, 9, 9)});
    const Frames before = Shown(image);
    TFrameEditLog log;
    ASSERT_TRUE(AddCaption(image, {1}, Caption(200, 0, 0), {0, 0}, {0xC80000, std::nullopt}, log));
    EXPECT_EQ(image.Width(), 1200);
    EXPECT_EQ(image.Height(), 2);
    const Frames after = Shown(image);
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0], before[0]);
    EXPECT_EQ(At(after[1], 1200, 1105, 1, 0), At(before[1], 1200, 1105, 1, 0));
    EXPECT_EQ(At(after[1], 1200, 0, 0, 0), 200);
    ASSERT_TRUE(ReverseFrames(image, {}, log));
    EXPECT_EQ(image.Width(), 1200);
    EXPECT_EQ(Shown(image)[0], after[1]);
}

}  // namespace
