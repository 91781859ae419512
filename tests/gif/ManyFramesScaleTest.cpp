// Long screen recordings have many thousands of frames. Reading, saving and
// optimising stay linear in the frame count: 100,000 one-pixel frames (a
// 2 MB file) go through each step well inside this suite's timeout, where a
// step that looks at every earlier frame for each new one takes minutes.

#include <gtest/gtest.h>

#include "gif/FrameDefaults.h"
#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "gif/GIFRecipe.h"
#include "gif/Stream.h"

namespace {
constexpr int kFrames = 100000;

TGIFRecipe::Bytes ManyOnePixelFrames() {
    TGIFRecipe gif;
    gif.Header(1, 1, 0x80).Table(2).Loop(0);
    for (int i = 0; i < kFrames; ++i) gif.GraphicControl(0, 1, 0).Image(0, 0, 1, 1, {i % 2});
    return gif.Trailer();
}
}  // namespace

TEST(ManyFrames, ReadSaveClearAndOptimiseStayLinear) {
    const TGIFRecipe::Bytes file = ManyOnePixelFrames();
    TGIFImage image;
    TMemoryStream in(file.data(), file.size());
    image.LoadFromStream(in);
    ASSERT_EQ(image.Frames().Count(), kFrames);
    EXPECT_EQ(image.Frames().DecodedPixels(), std::uint64_t(kFrames));

    TMemoryStream saved;
    PreparedForSaving(image, 0)->SaveToStream(saved);
    TGIFImage back;
    TMemoryStream again(saved.Data(), static_cast<std::size_t>(saved.Size()));
    back.LoadFromStream(again);
    ASSERT_EQ(back.Frames().Count(), kFrames);
    EXPECT_EQ(back.Frames()[kFrames - 1]->PixelData()[0], (kFrames - 1) % 2);

    image.OptimizeAnimation(ooColorMaps | ooCleanup | ooMerge | ooCrop | ooSmallest);
    EXPECT_GE(image.Frames().Count(), 1);
    back.ClearImage();
    EXPECT_EQ(back.Frames().Count(), 0);
}
