// Every recorded change taken back and made again gives back exactly the
// animation before and after: frames, their order, pixels, tables and each
// extension.
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "support/FrameBuilders.h"

#include <gtest/gtest.h>

#include <functional>

namespace {
// The whole animation as bytes, as it would be saved, plus frames that carry
// only extensions: equal bytes mean equal frames, tables and extensions.
std::vector<std::uint8_t> Saved(TGIFImage& image) {
    if (image.Frames().Count() == 0)
        return {};
    TMemoryStream s;
    image.SaveToStream(s);
    return s.TakeBytes();
}

// Four frames of 2x2 with their own two colours; frame 0 carries the loop count
// behind a comment, so its place in the list matters.
void Build(TGIFImage& image) {
    image.Header().ScreenWidth = 4;
    image.Header().ScreenHeight = 4;
    for (int i = 0; i < 4; ++i) {
        TGIFSubImage* f = AddIndexedFrame(image, i % 2, i / 2, 2, 2, {0, 1, 1, i % 2}, {TColor(i * 40), TColor(0xFFFFFF - i)});
        AddExtension<TGIFGraphicControlExtension>(f)->DelayTime = static_cast<std::uint16_t>(10 + i);
    }
    AddExtension<TGIFCommentExtension>(image.Frames()[0]);
    AddExtension<TGIFAppExtNSLoop>(image.Frames()[0])->LoopCount = 5;
}

struct TCase {
    const char* Name;
    std::function<void(TGIFImage&, TFrameEditLog&)> Edit;
};
} // namespace

class FrameEditLogEdits : public ::testing::TestWithParam<TCase> {};

TEST_P(FrameEditLogEdits, UndoAndRedoGiveBackTheAnimationExactly) {
    TGIFImage image;
    Build(image);
    const auto before = Saved(image);
    TFrameEditLog log;
    GetParam().Edit(image, log);
    const auto after = Saved(image);
    EXPECT_NE(before, after) << "the edit changed nothing";
    for (int round = 0; round < 2; ++round) {
        log.Undo(image);
        EXPECT_EQ(Saved(image), before) << "undo, round " << round;
        log.Redo(image);
        EXPECT_EQ(Saved(image), after) << "redo, round " << round;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Edits, FrameEditLogEdits,
    ::testing::Values(
        TCase{"MoveFirstToEnd", [](TGIFImage& i, TFrameEditLog& l) { l.MoveFrameKeepingLoop(i, 0, 3); }},
        TCase{"MoveLastToFront", [](TGIFImage& i, TFrameEditLog& l) { l.MoveFrameKeepingLoop(i, 3, 0); }},
        TCase{"MoveInside", [](TGIFImage& i, TFrameEditLog& l) { l.MoveFrameKeepingLoop(i, 1, 2); }},
        TCase{"DeleteFirst",
              [](TGIFImage& i, TFrameEditLog& l) {
                  const int loops = l.TakeLoop(i);
                  l.RemoveFrame(i, 0);
                  l.GiveLoop(i, loops);
              }},
        TCase{"DeleteMiddle", [](TGIFImage& i, TFrameEditLog& l) { l.RemoveFrame(i, 2); }},
        TCase{"DeleteAll",
              [](TGIFImage& i, TFrameEditLog& l) {
                  for (int f = 3; f >= 0; --f) l.RemoveFrame(i, f);
              }},
        TCase{"AddWithSharedPalette",
              [](TGIFImage& i, TFrameEditLog& l) {
                  l.Colors(i);
                  AddIndexedFrame(i, 0, 0, 2, 2, {0, 1, 0, 1}, {0x123456, 0x654321});
                  l.FrameAdded(i, 4);
                  i.OptimizeColorMaps();
                  l.ColorsChanged(i);
                  l.MoveFrameKeepingLoop(i, 4, 0);
              }},
        TCase{"GrowScreen", [](TGIFImage& i, TFrameEditLog& l) { l.SetScreenSize(i, 9, 7); }}),
    [](const ::testing::TestParamInfo<TCase>& info) { return std::string(info.param.Name); });

TEST(FrameEditLog, LoopCountStaysOnTheFirstFrameAfterEveryMove) {
    for (int from = 0; from < 4; ++from)
        for (int to = 0; to < 4; ++to) {
            TGIFImage image;
            Build(image);
            TFrameEditLog log;
            log.MoveFrameKeepingLoop(image, from, to);
            for (int f = 0; f < 4; ++f) {
                auto* loop = image.Frames()[f]->FindExtension<TGIFAppExtNSLoop>();
                EXPECT_EQ(loop != nullptr, f == 0) << from << "->" << to << " frame " << f;
                if (loop) {
                    EXPECT_EQ(loop->LoopCount, 5) << from << "->" << to;
                }
            }
        }
}
