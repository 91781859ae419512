// The frame operations the editor and reelix-tool edit share: each changes
// the document through a log that takes it back exactly, keeps the loop count
// on the first frame, and changes nothing for a frame that does not exist.
#include "painter/FrameOperations.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "support/FrameBuilders.h"

namespace {
// Four 2x1 frames with delays 10..13, the first looping 5 times.
std::unique_ptr<TGIFImage> FourFrames() {
    auto image = std::make_unique<TGIFImage>();
    image->GlobalColors().AddColor(0x000000);
    image->GlobalColors().AddColor(0xFFFFFF);
    for (int i = 0; i < 4; ++i) {
        TGIFSubImage* frame = AddPlacedFrame(*image, 0, 0, 2, 1);
        frame->PixelData()[0] = std::uint8_t(i % 2);
        if (i == 0) AddExtension<TGIFAppExtNSLoop>(frame)->LoopCount = 5;
        AddExtension<TGIFGraphicControlExtension>(frame)->DelayTime = std::uint16_t(10 + i);
    }
    return image;
}

int Delay(const TGIFImage& image, int i) { return image.Frames()[i]->ControlExtension()->DelayTime; }
int Loop(const TGIFImage& image) {
    const auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    return loop ? loop->LoopCount : -1;
}
}  // namespace

TEST(FrameOperations, EachIsTakenBackExactly) {
    struct TCase {
        const char* what;
        std::function<bool(TGIFImage&, TFrameEditLog&)> op;
    };
    const TCase cases[] = {
        {"delete the first", [](TGIFImage& i, TFrameEditLog& l) { return DeleteFrame(i, 0, l); }},
        {"delete the last", [](TGIFImage& i, TFrameEditLog& l) { return DeleteFrame(i, 3, l); }},
        {"move first to last", [](TGIFImage& i, TFrameEditLog& l) { return MoveFrame(i, 0, 3, l); }},
        {"every delay", [](TGIFImage& i, TFrameEditLog& l) { return SetDelay(i, -1, 7, l); }},
        {"one delay", [](TGIFImage& i, TFrameEditLog& l) { return SetDelay(i, 2, 7, l); }},
        {"loop count", [](TGIFImage& i, TFrameEditLog& l) { return SetLoopCount(i, 0, l); }},
        {"delete several", [](TGIFImage& i, TFrameEditLog& l) { return DeleteFrames(i, {2, 0, 2}, l); }},
        {"delete all", [](TGIFImage& i, TFrameEditLog& l) { return DeleteAllFrames(i, l); }},
        {"properties of two",
         [](TGIFImage& i, TFrameEditLog& l) {
             TFramePropertyValues v;
             v.Delay = 3;
             v.Disposal = 2;
             v.Interlaced = true;
             return SetFrameProperties(i, {1, 3}, v, l);
         }},
        {"a frame's palette",
         [](TGIFImage& i, TFrameEditLog& l) { return SetFramePalette(i, 2, {{1, 2, 3}, {4, 5, 6}}, l); }},
    };
    for (const TCase& c : cases) {
        auto image = FourFrames();
        const std::string before = Saved(*image);
        TFrameEditLog log;
        ASSERT_TRUE(c.op(*image, log)) << c.what;
        const std::string after = Saved(*image);
        EXPECT_NE(after, before) << c.what;
        log.Undo(*image);
        EXPECT_EQ(Saved(*image), before) << c.what;
        log.Redo(*image);
        EXPECT_EQ(Saved(*image), after) << c.what;
    }
}

TEST(FrameOperations, TheLoopCountStaysOnTheFirstFrame) {
    auto image = FourFrames();
    TFrameEditLog log;
    ASSERT_TRUE(DeleteFrame(*image, 0, log));
    EXPECT_EQ(Loop(*image), 5);
    EXPECT_EQ(Delay(*image, 0), 11);
    ASSERT_TRUE(MoveFrame(*image, 0, 2, log));
    EXPECT_EQ(Loop(*image), 5);
    EXPECT_EQ(Delay(*image, 0), 12);
    EXPECT_EQ(image->Frames()[2]->FindExtension<TGIFAppExtNSLoop>(), nullptr);
}

TEST(FrameOperations, DelaysAndLoopCounts) {
    auto image = FourFrames();
    TFrameEditLog log;
    EXPECT_TRUE(SetDelay(*image, -1, 8, log));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Delay(*image, i), 8) << "frame " << i;
    EXPECT_FALSE(SetDelay(*image, -1, 8, log)) << "nothing left to change";
    EXPECT_TRUE(SetDelay(*image, 1, 30, log));
    EXPECT_EQ(Delay(*image, 1), 30);
    EXPECT_TRUE(SetLoopCount(*image, 2, log));
    EXPECT_EQ(Loop(*image), 2);
    EXPECT_FALSE(SetLoopCount(*image, 2, log));
    // A first frame without a looping block gains one.
    TFrameEditLog other;
    image->Frames()[0]->ExtensionBlocks().Delete(
        image->Frames()[0]->ExtensionBlocks().IndexOf(image->Frames()[0]->FindExtension<TGIFAppExtNSLoop>()));
    EXPECT_TRUE(SetLoopCount(*image, 0, other));
    EXPECT_EQ(Loop(*image), 0);
}

TEST(FrameOperations, FramesThatDoNotExistChangeNothing) {
    auto image = FourFrames();
    const std::string before = Saved(*image);
    TFrameEditLog log;
    EXPECT_FALSE(DeleteFrame(*image, 4, log));
    EXPECT_FALSE(DeleteFrame(*image, -1, log));
    EXPECT_FALSE(MoveFrame(*image, 0, 4, log));
    EXPECT_FALSE(MoveFrame(*image, 1, 1, log));
    EXPECT_FALSE(SetDelay(*image, 9, 5, log));
    EXPECT_FALSE(SetLoopCount(*image, -1, log));
    EXPECT_TRUE(log.Empty());
    EXPECT_EQ(Saved(*image), before);
}

TEST(FrameOperations, SeveralFramesAtOnce) {
    auto image = FourFrames();
    TFrameEditLog log;
    // Numbers name the frames as they were; the loop block moves to the new first.
    ASSERT_TRUE(DeleteFrames(*image, {0, 2}, log));
    ASSERT_EQ(image->Frames().Count(), 2);
    EXPECT_EQ(Delay(*image, 0), 11);
    EXPECT_EQ(Delay(*image, 1), 13);
    EXPECT_EQ(Loop(*image), 5);
    EXPECT_FALSE(DeleteFrames(*image, {5, -1}, log));

    // -1 alone is every frame; what is left unset stays each frame's own.
    auto other = FourFrames();
    other->Frames()[1]->SetInterlaced(true);
    TFramePropertyValues v;
    v.Delay = 4;
    v.Interlaced.reset();
    v.Transparent.reset();
    v.Disposal.reset();
    TFrameEditLog log2;
    ASSERT_TRUE(SetFrameProperties(*other, {-1}, v, log2));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(Delay(*other, i), 4);
    EXPECT_TRUE(other->Frames()[1]->IsInterlaced());
    EXPECT_FALSE(other->Frames()[0]->IsInterlaced());
    EXPECT_FALSE(SetFrameProperties(*other, {-1}, v, log2)) << "nothing left to change";
}

TEST(FrameOperations, ReplacingTheAnimationIsTakenBack) {
    auto image = FourFrames();
    const std::string before = Saved(*image);
    TGIFImage smaller;
    smaller.GlobalColors().AddColor(0x102030);
    AddPlacedFrame(smaller, 0, 0, 1, 1);
    TFrameEditLog log;
    ASSERT_TRUE(ReplaceAnimation(*image, smaller, log));
    EXPECT_EQ(image->Frames().Count(), 1);
    EXPECT_EQ(smaller.Frames().Count(), 0);
    log.Undo(*image);
    EXPECT_EQ(Saved(*image), before);
}

TEST(FrameOperations, ABlockMovesTogether) {
    auto image = FourFrames();
    const std::string before = Saved(*image);
    TFrameEditLog log;
    ASSERT_TRUE(MoveFramesTo(*image, {3, 1}, 0, log));
    EXPECT_EQ(Delay(*image, 0), 11);
    EXPECT_EQ(Delay(*image, 1), 13);
    EXPECT_EQ(Delay(*image, 2), 10);
    EXPECT_EQ(Delay(*image, 3), 12);
    EXPECT_EQ(Loop(*image), 5) << "the loop count stays on the first frame";
    TFrameEditLog block;
    ASSERT_TRUE(MoveFrames(*image, {0, 1}, TBlockMove::ToEnd, block));
    EXPECT_EQ(Delay(*image, 2), 11);
    EXPECT_EQ(Delay(*image, 3), 13);
    EXPECT_FALSE(MoveFrames(*image, {2, 3}, TBlockMove::Down, block)) << "nothing moves past the end";
    block.Undo(*image);
    log.Undo(*image);
    EXPECT_EQ(Saved(*image), before);
    // Forward too: the block lands where asked, in its order.
    TFrameEditLog forward;
    ASSERT_TRUE(MoveFramesTo(*image, {0, 1}, 2, forward));
    EXPECT_EQ(Delay(*image, 0), 12);
    EXPECT_EQ(Delay(*image, 1), 13);
    EXPECT_EQ(Delay(*image, 2), 10);
    EXPECT_EQ(Delay(*image, 3), 11);
    forward.Undo(*image);
    EXPECT_EQ(Saved(*image), before);
}
