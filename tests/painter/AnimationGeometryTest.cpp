// Crop, rotate and flip: every composed frame afterwards is the composed
// frame before, cut or turned the same way, for animations built from
// sub-rectangles with transparency, local tables and every disposal.

#include <gtest/gtest.h>

#include <functional>

#include "gif/FrameControl.h"
#include "gif/FrameEditLog.h"
#include "painter/AnimationGeometry.h"
#include "tests/painter/ShownFrames.h"
#include "tests/support/FrameBuilders.h"

namespace {

using painter_test::Frames;
using painter_test::Shown;

// 7 x 5 screen: a full background, then sprites with transparency and each
// disposal, one of them sticking out past the right edge, one with no
// transparency and a local table of its own.
std::unique_ptr<TGIFImage> Animation() {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = 7;
    image->Header().ScreenHeight = 5;
    std::vector<int> background(35);
    for (int i = 0; i < 35; ++i) background[std::size_t(i)] = i % 3;
    AddIndexedFrame(*image, 0, 0, 7, 5, background, {MakeColor(10, 0, 0), MakeColor(0, 90, 0), MakeColor(0, 0, 200)});
    const std::vector<TColor> sprite{MakeColor(255, 255, 0), MakeColor(255, 0, 255), MakeColor(1, 2, 3)};
    int disposal = 0;
    for (const TRect& r : {MakeRect(1, 1, 3, 2), MakeRect(4, 2, 3, 3), MakeRect(2, 0, 2, 4), MakeRect(0, 3, 4, 2)}) {
        std::vector<int> pixels(std::size_t(r.Width() * r.Height()));
        for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = int(i % 3);  // index 2 transparent
        TGIFSubImage* frame = AddIndexedFrame(*image, r.left, r.top, r.Width(), r.Height(), pixels, sprite, 2);
        frame->ControlExtension()->SetDisposalMethod(std::uint8_t(disposal++));
    }
    std::vector<int> opaque(6, 1);
    AddIndexedFrame(*image, 1, 2, 3, 2, opaque, {MakeColor(9, 9, 9), MakeColor(200, 100, 50)});
    // Moved out once added (which grows the screen), so it sticks out by two columns.
    AddIndexedFrame(*image, 0, 0, 4, 2, std::vector<int>(8, 0), sprite)->PlaceFrame(5, 0, 4, 2);
    image->Header().ScreenWidth = 7;
    for (int i = 0; i < image->Frames().Count(); ++i) RequireControl(*image->Frames()[i]).DelayTime = std::uint16_t(i + 3);
    return image;
}

// One composed RGBA picture (width x height) mapped pixel by pixel:
// source(x, y) for each target position.
using TSourceOf = std::function<std::pair<int, int>(int x, int y)>;
Frames Mapped(const Frames& frames, int oldWidth, int newWidth, int newHeight, const TSourceOf& sourceOf) {
    Frames out;
    for (const auto& picture : frames) {
        std::vector<std::uint8_t> mapped(std::size_t(newWidth * newHeight * 4));
        for (int y = 0; y < newHeight; ++y)
            for (int x = 0; x < newWidth; ++x) {
                const auto [sx, sy] = sourceOf(x, y);
                for (int c = 0; c < 4; ++c)
                    mapped[std::size_t((y * newWidth + x) * 4 + c)] = picture[std::size_t((sy * oldWidth + sx) * 4 + c)];
            }
        out.push_back(mapped);
    }
    return out;
}

std::vector<int> Delays(const TGIFImage& image) {
    std::vector<int> delays;
    for (int i = 0; i < image.Frames().Count(); ++i) delays.push_back(image.Frames()[i]->ControlExtension()->DelayTime);
    return delays;
}

// Applies the operation through a log; checks the pictures, the saved file,
// and that undo and redo restore exactly.
void ExpectShows(const std::function<bool(TGIFImage&, TFrameEditLog&)>& operation, int newWidth, int newHeight,
                 const TSourceOf& sourceOf) {
    auto image = Animation();
    const Frames before = Shown(*image);
    const std::string original = Saved(*image);
    const std::vector<int> delays = Delays(*image);
    TFrameEditLog log;
    ASSERT_TRUE(operation(*image, log));
    EXPECT_EQ(image->Width(), newWidth);
    EXPECT_EQ(image->Height(), newHeight);
    const Frames want = Mapped(before, 7, newWidth, newHeight, sourceOf);
    EXPECT_EQ(Shown(*image), want);
    EXPECT_EQ(painter_test::ShownAfterSaving(*image), want);
    EXPECT_EQ(Delays(*image), delays);
    for (int i = 0; i < image->Frames().Count(); ++i) {
        const TRect r = image->Frames()[i]->FrameRect();
        EXPECT_TRUE(r.right <= newWidth && r.bottom <= newHeight) << "frame " << i << " sticks out";
    }
    const std::string changed = Saved(*image);
    log.Undo(*image);
    EXPECT_EQ(Saved(*image), original);
    log.Redo(*image);
    EXPECT_EQ(Saved(*image), changed);
}

TEST(AnimationGeometry, RotatesAndFlipsEveryComposedFrame) {
    ExpectShows([](TGIFImage& i, TFrameEditLog& l) { return RotateAnimation(i, 90, l); }, 5, 7,
                [](int x, int y) { return std::pair{y, 4 - x}; });
    ExpectShows([](TGIFImage& i, TFrameEditLog& l) { return RotateAnimation(i, 180, l); }, 7, 5,
                [](int x, int y) { return std::pair{6 - x, 4 - y}; });
    ExpectShows([](TGIFImage& i, TFrameEditLog& l) { return RotateAnimation(i, 270, l); }, 5, 7,
                [](int x, int y) { return std::pair{6 - y, x}; });
    ExpectShows([](TGIFImage& i, TFrameEditLog& l) { return FlipAnimation(i, TFlipAxis::Horizontal, l); }, 7, 5,
                [](int x, int y) { return std::pair{6 - x, y}; });
    ExpectShows([](TGIFImage& i, TFrameEditLog& l) { return FlipAnimation(i, TFlipAxis::Vertical, l); }, 7, 5,
                [](int x, int y) { return std::pair{x, 4 - y}; });
}

TEST(AnimationGeometry, CropKeepsEveryPixelInsideAndEveryDelay) {
    ExpectShows([](TGIFImage& i, TFrameEditLog& l) { return CropAnimation(i, MakeRect(2, 1, 4, 3), l); }, 4, 3,
                [](int x, int y) { return std::pair{x + 2, y + 1}; });
    // An area reaching past the screen is clipped to it.
    ExpectShows([](TGIFImage& i, TFrameEditLog& l) { return CropAnimation(i, MakeRect(5, 3, 10, 10), l); }, 2, 2,
                [](int x, int y) { return std::pair{x + 5, y + 3}; });
}

TEST(AnimationGeometry, FramesLeftEmptyByACropBecomeOneTransparentPixel) {
    auto image = Animation();
    TFrameEditLog log;
    ASSERT_TRUE(CropAnimation(*image, MakeRect(5, 0, 2, 1), log));  // only the background and the last frame reach it
    const TGIFSubImage& sprite = *image->Frames()[1];
    EXPECT_EQ(sprite.FrameRect(), MakeRect(0, 0, 1, 1));
    ASSERT_TRUE(sprite.ControlExtension()->UsesTransparency());
    EXPECT_EQ(sprite.PixelData()[0], sprite.ControlExtension()->TransparentIndex());
    EXPECT_EQ(sprite.ControlExtension()->DelayTime, 4);
}

TEST(AnimationGeometry, NothingToDoChangesNothing) {
    auto image = Animation();
    const std::string original = Saved(*image);
    TFrameEditLog log;
    EXPECT_FALSE(CropAnimation(*image, MakeRect(0, 0, 7, 5), log));
    EXPECT_FALSE(CropAnimation(*image, MakeRect(0, 0, 0, 3), log));
    EXPECT_FALSE(CropAnimation(*image, MakeRect(20, 20, 3, 3), log));
    EXPECT_FALSE(RotateAnimation(*image, 45, log));
    EXPECT_TRUE(log.Empty());
    EXPECT_EQ(Saved(*image), original);
    TGIFImage empty;
    EXPECT_FALSE(FlipAnimation(empty, TFlipAxis::Vertical, log));
}

}  // namespace
