// New-frame defaults, the loop count kept on the first frame, and the repair of
// pixels that point past their colour table.
#include "gif/ColorTableRepair.h"
#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"
#include "support/FrameBuilders.h"

#include <gtest/gtest.h>

namespace {
int LoopExtensionsOn(TGIFSubImage& frame) {
    int n = 0;
    for (int i = 0; i < frame.ExtensionBlocks().Count(); ++i)
        n += dynamic_cast<TGIFAppExtNSLoop*>(frame.ExtensionBlocks()[i]) != nullptr;
    return n;
}

int LoopCountOfFirst(TGIFImage& image) {
    auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    return loop ? loop->LoopCount : -1;
}

// Frames 0..n-1, each 2x1 with its own two colours, pixel values = frame number % 2.
void AddFrames(TGIFImage& image, int n) {
    for (int i = 0; i < n; ++i)
        AddIndexedFrame(image, 0, 0, 2, 1, {i % 2, i % 2}, {TColor(i), TColor(i + 100)});
}
} // namespace

TEST(FrameDefaults, NewFrameGetsLoopDelayDisposalAndCornerIndex) {
    TGIFImage image;
    // 2x2: bottom-left pixel is index 2.
    AddIndexedFrame(image, 0, 0, 2, 2, {0, 1, 2, 2}, {0x0000FF, 0x00FF00, 0xFF0000});
    PrepareNewFrame(image, 0, 37, 5);
    TGIFSubImage& frame = *image.Frames()[0];
    EXPECT_EQ(LoopCountOfFirst(image), 5);
    ASSERT_NE(frame.ControlExtension(), nullptr);
    EXPECT_EQ(frame.ControlExtension()->DelayTime, 37);
    EXPECT_EQ(frame.ControlExtension()->DisposalMethod(), 1);
    EXPECT_FALSE(frame.ControlExtension()->UsesTransparency());
    // Sorted by use, the corner's colour (used twice) comes first.
    EXPECT_EQ(frame.LocalColors().GetColor(frame.ControlExtension()->TransparentIndex()), TColor(0xFF0000));
    // An image without a global table takes the frame's.
    EXPECT_EQ(image.GlobalColors().Count(), frame.LocalColors().Count());
}

TEST(FrameDefaults, TransparencyOfAnOpenedFrameIsKept) {
    TGIFImage image;
    AddIndexedFrame(image, 0, 0, 2, 1, {0, 1}, {0x000000, 0xFFFFFF}, 1);
    PrepareNewFrame(image, 0, 100, 0);
    TGIFSubImage& frame = *image.Frames()[0];
    int controls = 0;
    for (int i = 0; i < frame.ExtensionBlocks().Count(); ++i)
        controls += dynamic_cast<TGIFGraphicControlExtension*>(frame.ExtensionBlocks()[i]) != nullptr;
    EXPECT_EQ(controls, 1) << "a second control extension would be written twice";
    EXPECT_TRUE(frame.ControlExtension()->UsesTransparency());
    EXPECT_EQ(frame.LocalColors().GetColor(frame.ControlExtension()->TransparentIndex()), TColor(0xFFFFFF));
    EXPECT_EQ(frame.ControlExtension()->DelayTime, 100);
}

TEST(FrameDefaults, NormalizeKeepsOneLoopExtensionOnTheFirstFrame) {
    TGIFImage image;
    AddFrames(image, 3);
    AddExtension<TGIFAppExtNSLoop>(image.Frames()[1])->LoopCount = 9;
    AddExtension<TGIFAppExtNSLoop>(image.Frames()[2])->LoopCount = 8;
    NormalizeLoopExtension(image, 4);
    EXPECT_EQ(LoopCountOfFirst(image), 4);
    EXPECT_EQ(LoopExtensionsOn(*image.Frames()[1]), 0);
    EXPECT_EQ(LoopExtensionsOn(*image.Frames()[2]), 0);
    // A first frame that has one keeps its count.
    image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount = 6;
    NormalizeLoopExtension(image, 4);
    EXPECT_EQ(LoopCountOfFirst(image), 6);
    EXPECT_EQ(LoopExtensionsOn(*image.Frames()[0]), 1);
}

TEST(FrameDefaults, MovesKeepTheLoopCountOnWhicheverFrameIsFirst) {
    const struct { int from, to; } moves[] = {{0, 2}, {2, 0}, {1, 2}, {0, 1}, {1, 0}};
    for (const auto& m : moves) {
        TGIFImage image;
        AddFrames(image, 3);
        TGIFSubImage* moved = image.Frames()[m.from];
        AddExtension<TGIFAppExtNSLoop>(image.Frames()[0])->LoopCount = 3;
        MoveFrameKeepingLoop(image, m.from, m.to);
        EXPECT_EQ(image.Frames()[m.to], moved) << m.from << "->" << m.to;
        EXPECT_EQ(LoopCountOfFirst(image), 3) << m.from << "->" << m.to;
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(LoopExtensionsOn(*image.Frames()[i]), i == 0 ? 1 : 0) << m.from << "->" << m.to << " frame " << i;
    }
    // Without one, a move to the front gives the new first frame a count of 0.
    TGIFImage bare;
    AddFrames(bare, 2);
    MoveFrameKeepingLoop(bare, 1, 0);
    EXPECT_EQ(LoopCountOfFirst(bare), 0);
}

TEST(ColorTableRepair, PixelsPastTheTableGetBlackEntriesAndTheImageSaves) {
    TGIFImage image;
    // Local table of two colours, a pixel with index 5.
    AddIndexedFrame(image, 0, 0, 3, 1, {0, 1, 5}, {0xFFFFFF, 0x00FF00});
    // No local table: the global one (one colour) must grow to index 3.
    image.GlobalColors().AddColor(0x0000FF);
    AddIndexedFrame(image, 0, 0, 2, 1, {0, 3}, {});
    TMemoryStream refused;
    EXPECT_THROW(image.SaveToStream(refused), GIFException);

    EXPECT_EQ(ExtendColorTablesToPixels(image), 2);
    EXPECT_EQ(image.Frames()[0]->LocalColors().Count(), 6);
    EXPECT_EQ(image.Frames()[0]->LocalColors().GetColor(5), TColor(0));
    EXPECT_EQ(image.Frames()[0]->LocalColors().GetColor(1), TColor(0x00FF00));
    EXPECT_EQ(image.GlobalColors().Count(), 4);
    TMemoryStream saved;
    image.SaveToStream(saved);
    saved.SetPosition(0);
    TGIFImage back;
    back.LoadFromStream(saved);
    ASSERT_EQ(back.Frames().Count(), 2);
    EXPECT_EQ(back.Frames()[0]->PixelData()[2], 5);
    EXPECT_EQ(back.Frames()[1]->PixelData()[1], 3);
    // A second pass finds nothing to do.
    EXPECT_EQ(ExtendColorTablesToPixels(image), 0);
}
