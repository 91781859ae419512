// Order and timing of many frames: after each operation every frame shows
// what the frame it came from showed (sub-rectangles, transparency and every
// disposal included), the running time is what it must be, and undo and redo
// restore the animation exactly.
#include "painter/FrameSequence.h"

#include <gtest/gtest.h>

#include <functional>

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/ShownFrames.h"
#include "support/FrameBuilders.h"

using painter_test::Frames;
using painter_test::Shown;

namespace {
constexpr TColor kRed = 0x0000FF, kGreen = 0x00FF00, kBlue = 0xFF0000, kWhite = 0xFFFFFF, kBlack = 0;

// Five frames on a 6x4 screen that lean on one another: a whole background,
// then sub-rectangles with transparency and each disposal (none, keep,
// background, previous), delays 10, 20, 30, 40, 50.
std::unique_ptr<TGIFImage> Leaning() {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = 6;
    image->Header().ScreenHeight = 4;
    const std::vector<TColor> colors = {kBlack, kRed, kGreen, kBlue, kWhite};
    struct TPart {
        int left, top, width, height, fill, transparent, disposal;
    };
    const TPart parts[] = {
        {0, 0, 6, 4, 4, -1, 1}, {1, 1, 2, 2, 1, 0, 1}, {3, 0, 3, 2, 2, 0, 2}, {0, 2, 4, 2, 3, 0, 3}, {2, 1, 2, 3, 1, -1, 0},
    };
    int n = 0;
    for (const TPart& p : parts) {
        std::vector<int> pixels(static_cast<std::size_t>(p.width * p.height), p.fill);
        if (p.transparent >= 0)
            pixels[0] = p.transparent; // one see-through pixel in each
        TGIFSubImage* frame = AddIndexedFrame(*image, p.left, p.top, p.width, p.height, pixels, colors, p.transparent);
        TGIFGraphicControlExtension* c = frame->ControlExtension();
        if (!c)
            c = AddExtension<TGIFGraphicControlExtension>(frame);
        c->SetDisposalMethod(static_cast<std::uint8_t>(p.disposal));
        c->DelayTime = static_cast<std::uint16_t>(10 * ++n);
    }
    AddExtension<TGIFAppExtNSLoop>(image->Frames()[0])->LoopCount = 3;
    return image;
}

Frames Pick(const Frames& shown, const std::vector<int>& order) {
    Frames picked;
    for (int i : order)
        picked.push_back(shown[static_cast<std::size_t>(i)]);
    return picked;
}

std::vector<int> Delays(const TGIFImage& image) {
    std::vector<int> delays;
    for (int i = 0; i < image.Frames().Count(); ++i)
        delays.push_back(image.Frames()[i]->ControlExtension() ? image.Frames()[i]->ControlExtension()->DelayTime : 0);
    return delays;
}

int Loop(const TGIFImage& image) {
    const auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    return loop ? loop->LoopCount : -1;
}

// Runs the operation and checks what the result shows, its delays, the loop
// count on the first frame, and that undo and redo restore exactly.
void ExpectSequence(const char* what, const std::function<bool(TGIFImage&, TFrameEditLog&)>& op,
                    const std::vector<int>& shownOrder, const std::vector<int>& delays) {
    auto image = Leaning();
    const Frames before = Shown(*image);
    const std::string saved = Saved(*image);
    TFrameEditLog log;
    ASSERT_TRUE(op(*image, log)) << what;
    EXPECT_EQ(Shown(*image), Pick(before, shownOrder)) << what;
    EXPECT_EQ(painter_test::ShownAfterSaving(*image), Pick(before, shownOrder)) << what << ", saved and read";
    EXPECT_EQ(Delays(*image), delays) << what;
    EXPECT_EQ(Loop(*image), 3) << what;
    for (int i = 1; i < image->Frames().Count(); ++i)
        EXPECT_EQ(image->Frames()[i]->FindExtension<TGIFAppExtNSLoop>(), nullptr) << what;
    const std::string after = Saved(*image);
    log.Undo(*image);
    EXPECT_EQ(Saved(*image), saved) << what;
    log.Redo(*image);
    EXPECT_EQ(Saved(*image), after) << what;
}
} // namespace

TEST(FrameSequence, EachOperationShowsTheFramesItMust) {
    ExpectSequence("reverse all", [](TGIFImage& i, TFrameEditLog& l) { return ReverseFrames(i, {}, l); },
                   {4, 3, 2, 1, 0}, {50, 40, 30, 20, 10});
    ExpectSequence("reverse 1-3", [](TGIFImage& i, TFrameEditLog& l) { return ReverseFrames(i, {3, 1, 2}, l); },
                   {0, 3, 2, 1, 4}, {10, 40, 30, 20, 50});
    ExpectSequence("ping-pong", [](TGIFImage& i, TFrameEditLog& l) { return PingPongFrames(i, {}, l); },
                   {0, 1, 2, 3, 4, 3, 2, 1}, {10, 20, 30, 40, 50, 40, 30, 20});
    ExpectSequence("ping-pong 1-3", [](TGIFImage& i, TFrameEditLog& l) { return PingPongFrames(i, {1, 2, 3}, l); },
                   {0, 1, 2, 3, 2, 4}, {10, 20, 30, 40, 30, 50});
    ExpectSequence("duplicate 1 and 3", [](TGIFImage& i, TFrameEditLog& l) { return DuplicateFrames(i, {1, 3}, l); },
                   {0, 1, 1, 2, 3, 3, 4}, {10, 20, 20, 30, 40, 40, 50});
    // The dropped frame's time goes to the frame kept before it.
    ExpectSequence("drop every 2nd", [](TGIFImage& i, TFrameEditLog& l) { return DropEveryNthFrame(i, {}, 2, l); },
                   {0, 2, 4}, {30, 70, 50});
    ExpectSequence("drop every 3rd", [](TGIFImage& i, TFrameEditLog& l) { return DropEveryNthFrame(i, {}, 3, l); },
                   {0, 1, 3, 4}, {10, 50, 40, 50});
}

TEST(FrameSequence, DuplicatePicturesMergeAndKeepTheRunningTime) {
    auto image = Leaning();
    // After frame 1 (which now keeps its picture) a frame that draws nothing
    // new, one see-through pixel: it shows what frame 1 showed.
    TGIFImage& doc = *image;
    doc.Frames()[1]->ControlExtension()->SetDisposalMethod(1);
    TGIFSubImage* nothing = AddIndexedFrame(doc, 0, 0, 1, 1, {0}, {kBlack}, 0);
    doc.Frames().Move(doc.Frames().IndexOf(nothing), 2);
    nothing->ControlExtension()->DelayTime = 7;
    const Frames before = Shown(doc);
    ASSERT_EQ(before[2], before[1]);
    const long long running = RunningTime(doc);
    TFrameEditLog log;
    ASSERT_TRUE(RemoveDuplicateFrames(doc, {}, log));
    EXPECT_EQ(doc.Frames().Count(), 5);
    EXPECT_EQ(Shown(doc), Pick(before, {0, 1, 3, 4, 5}));
    EXPECT_EQ(RunningTime(doc), running);
    EXPECT_EQ(Delays(doc)[1], 27);
    // Nothing left to merge: no change, no step.
    TFrameEditLog again;
    EXPECT_FALSE(RemoveDuplicateFrames(doc, {}, again));
    EXPECT_TRUE(again.Empty());
}

TEST(FrameSequence, DelaysAreSetShiftedAndScaledOverTheSelection) {
    auto image = Leaning();
    const std::string saved = Saved(*image);
    TFrameEditLog log;
    ASSERT_TRUE(SetDelays(*image, {1, 2}, 5, log));
    EXPECT_EQ(Delays(*image), (std::vector<int>{10, 5, 5, 40, 50}));
    ASSERT_TRUE(ShiftDelays(*image, {}, -8, log));
    EXPECT_EQ(Delays(*image), (std::vector<int>{2, 0, 0, 32, 42})) << "never below 0";
    ASSERT_TRUE(ShiftDelays(*image, {0, 3}, +3, log));
    EXPECT_EQ(Delays(*image), (std::vector<int>{5, 0, 0, 35, 42}));
    log.Undo(*image);
    EXPECT_EQ(Saved(*image), saved);

    // Scaling carries the rounding: 7 x 3 at 50 % lasts 11 (10.5), not 12.
    auto even = Leaning();
    TFrameEditLog set;
    SetDelays(*even, {}, 7, set);
    TFrameEditLog scale;
    ASSERT_TRUE(ScaleDelays(*even, {0, 1, 2}, 50, scale));
    EXPECT_EQ(Delays(*even), (std::vector<int>{4, 3, 4, 7, 7}));
    EXPECT_EQ(RunningTime(*even), 11 + 14);
    TFrameEditLog twice;
    ASSERT_TRUE(ScaleDelays(*even, {}, 200, twice));
    EXPECT_EQ(RunningTime(*even), 50);
    EXPECT_FALSE(ScaleDelays(*even, {}, 0, twice));
}

TEST(FrameSequence, OneFrameSelectedMeansEveryFrameAndBadInputChangesNothing) {
    auto image = Leaning();
    EXPECT_EQ(FramesToActOn(*image, {2}), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(FramesToActOn(*image, {4, 1, 9, 1}), (std::vector<int>{1, 4}));
    const std::string saved = Saved(*image);
    TFrameEditLog log;
    EXPECT_FALSE(DropEveryNthFrame(*image, {}, 1, log));
    EXPECT_FALSE(PingPongFrames(*image, {0, 1}, log));
    EXPECT_FALSE(Resequence(*image, {0, 7}, {1, 1}, log));
    EXPECT_FALSE(Resequence(*image, {0, 1}, {1}, log));
    EXPECT_TRUE(log.Empty());
    EXPECT_EQ(Saved(*image), saved);
}

// Whole opaque frames only change places: nothing is redrawn, the copies of a
// ping-pong are the only new frames, and undo restores exactly.
TEST(FrameSequence, WholeFramesKeepTheirPicturesAndOnlyMove) {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = 3;
    image->Header().ScreenHeight = 2;
    const std::vector<TColor> colors = {kBlack, kRed, kGreen, kBlue, kWhite};
    for (int i = 0; i < 5; ++i) {
        TGIFSubImage* frame = AddIndexedFrame(*image, 0, 0, 3, 2, std::vector<int>(6, i), colors);
        AddExtension<TGIFGraphicControlExtension>(frame)->DelayTime = static_cast<std::uint16_t>(10 * (i + 1));
        if (i == 2)
            AddExtension<TGIFCommentExtension>(frame)->Lines = {"middle"};
    }
    AddExtension<TGIFAppExtNSLoop>(image->Frames()[0])->LoopCount = 0;
    std::vector<const TGIFSubImage*> frames;
    for (int i = 0; i < 5; ++i)
        frames.push_back(image->Frames()[i]);
    const Frames before = Shown(*image);
    const std::string saved = Saved(*image);
    TFrameEditLog log;
    ASSERT_TRUE(PingPongFrames(*image, {}, log));
    EXPECT_EQ(Shown(*image), Pick(before, {0, 1, 2, 3, 4, 3, 2, 1}));
    EXPECT_EQ(Delays(*image), (std::vector<int>{10, 20, 30, 40, 50, 40, 30, 20}));
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(image->Frames()[i], frames[static_cast<std::size_t>(i)]) << "frame " << i << " stays itself";
    EXPECT_EQ(image->Frames()[6]->FindExtension<TGIFCommentExtension>(), nullptr) << "the copy carries no comment";
    EXPECT_EQ(Loop(*image), 0);
    log.Undo(*image);
    EXPECT_EQ(Saved(*image), saved);

    TFrameEditLog reverse;
    ASSERT_TRUE(ReverseFrames(*image, {}, reverse));
    EXPECT_EQ(image->Frames()[0], frames[4]);
    EXPECT_EQ(Shown(*image), Pick(before, {4, 3, 2, 1, 0}));
    EXPECT_EQ(Loop(*image), 0);
    reverse.Undo(*image);
    EXPECT_EQ(Saved(*image), saved);
}
