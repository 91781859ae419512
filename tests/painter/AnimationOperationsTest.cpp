// Whole-animation operations of the information and optimisation dialogs:
// resizing, the optimised copy, fitting under a size. Each is checked by what
// the animation shows afterwards, composed as a browser composes it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gif/FrameEditLog.h"
#include "raster/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"
#include "gif/Stream.h"
#include "painter/AnimationInfoEdit.h"
#include "painter/AnimationResize.h"
#include "painter/FitUnder.h"
#include "painter/FrameOperations.h"
#include "painter/GIFCompositor.h"
#include "PainterTestSupport.h"
#include "ShownFrames.h"

using namespace painter_test;

namespace {

// The pictures in the order shown, a picture repeated by the next frame
// counted once (trimming drops a frame that changes nothing).
Frames Distinct(Frames frames) {
    frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
    return frames;
}

std::uint32_t PixelAt(const std::vector<std::uint8_t>& rgba, int width, int x, int y) {
    const std::uint8_t* p = &rgba[std::size_t(4 * (y * width + x))];
    return p[3] == 0 ? 0xFF000000u : (std::uint32_t(p[0]) << 16) | (std::uint32_t(p[1]) << 8) | p[2];
}

int TotalDelay(const TGIFImage& image) {
    int total = 0;
    for (int i = 0; i < image.Frames().Count(); ++i)
        if (const auto* gce = image.Frames()[i]->ControlExtension()) total += gce->DelayTime;
    return total;
}

}  // namespace

// ---- resizing ----------------------------------------------------------------

TEST(AnimationResize, EveryFrameBecomesTheWholePictureAtTheNewSize) {
    // Frame 2 covers only the bottom-right corner of frame 1.
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {2, 2, 2, 2, 3}});
    ASSERT_TRUE(ResizeAnimation(*image, 8, 8));
    ASSERT_EQ(image->Width(), 8);
    ASSERT_EQ(image->Height(), 8);
    for (int i = 0; i < 2; ++i) {
        const TGIFSubImage& frame = *image->Frames()[i];
        EXPECT_EQ(frame.Left(), 0);
        EXPECT_EQ(frame.Top(), 0);
        EXPECT_EQ(frame.Width(), 8);
        EXPECT_EQ(frame.Height(), 8);
    }
    const Frames shown = ShownAfterSaving(*image);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(PixelAt(shown[1], 8, 0, 0), 0xFF0000u);  // frame 1's red
    EXPECT_EQ(PixelAt(shown[1], 8, 7, 7), 0x0000FFu);  // the corner's blue, stretched
    EXPECT_EQ(PixelAt(shown[1], 8, 4, 4), 0x0000FFu);
    EXPECT_EQ(PixelAt(shown[1], 8, 3, 3), 0xFF0000u);
    EXPECT_EQ(image->Frames()[1]->LocalColors().Count(), 0) << "frames share one table afterwards";
    // Nothing shows through anywhere, so no frame needs clearing: optimising
    // can still merge each frame with the one before.
    for (int i = 0; i < 2; ++i)
        if (const auto* gce = image->Frames()[i]->ControlExtension()) {
            EXPECT_LE(gce->DisposalMethod(), 1) << i;
        }
}

TEST(AnimationResize, DisposalToBackgroundStaysVisibleAfterResizing) {
    // Frame 1 is cleared to background before frame 2, which draws a corner.
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 10, 2}, {0, 0, 2, 2, 2}});
    const Frames before = Shown(*image);
    ASSERT_TRUE(ResizeAnimation(*image, 4, 4));
    const Frames after = ShownAfterSaving(*image);
    EXPECT_EQ(after, before);
    EXPECT_EQ(image->Frames()[0]->ControlExtension()->DisposalMethod(), 2);
}

TEST(AnimationResize, SidesAreClampedAndHugeResultsRefused) {
    EXPECT_EQ(ClampAnimationSide(0), 10);
    EXPECT_EQ(ClampAnimationSide(1500), 1000);
    EXPECT_EQ(ClampAnimationSide(999), 999);
    auto image = MakeAnimation(10, 10, {{0, 0, 10, 10, 1}});
    ASSERT_TRUE(ResizeAnimation(*image, 1500, 0));
    EXPECT_EQ(image->Width(), 1000);
    EXPECT_EQ(image->Height(), 10);

    auto many = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {0, 0, 4, 4, 2}});
    many->PixelBudget.DocumentPixels = 1000;
    EXPECT_THROW(ResizeAnimation(*many, 100, 100), GIFException);
    EXPECT_EQ(many->Width(), 4) << "nothing changes when refused";
}

TEST(AnimationResize, CancelLeavesTheAnimationAsItWas) {
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {1, 1, 2, 2, 2}, {0, 0, 1, 1, 3}});
    const Frames before = Shown(*image);
    int asked = 0;
    EXPECT_FALSE(ResizeAnimation(*image, 8, 8, [&](int) { return ++asked < 2; }));
    EXPECT_EQ(image->Width(), 4);
    EXPECT_EQ(image->Frames()[1]->Width(), 2);
    EXPECT_EQ(Shown(*image), before);
}

TEST(AnimationResize, OneUndoStepTakesTheWholeResizeBack) {
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {2, 2, 2, 2, 3}});
    const Frames before = Shown(*image);
    TGIFImage resized;
    resized.Assign(image.get());
    ASSERT_TRUE(ResizeAnimation(resized, 6, 2));
    const Frames expected = Shown(resized);
    TFrameEditLog log;
    log.ReplaceImage(*image, resized);
    EXPECT_TRUE(resized.Empty()) << "the frames moved, they were not copied";
    EXPECT_EQ(image->Width(), 6);
    log.Undo(*image);
    EXPECT_EQ(image->Width(), 4);
    EXPECT_EQ(Shown(*image), before);
    log.Redo(*image);
    EXPECT_EQ(image->Height(), 2);
    EXPECT_EQ(Shown(*image), expected);
    EXPECT_EQ(ShownAfterSaving(*image), expected);
}

// ---- the optimised copy ----------------------------------------------------------

TEST(OptimizedCopy, TransparentFramesShowTheSameAfterOptimising) {
    // Frame 2 is transparent over frame 1 and repeats part of it; switching
    // its transparency off first would paint black over frame 1.
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {0, 0, 4, 4, 0, 10, 1, 0}, {1, 1, 2, 2, 2}});
    const Frames before = Shown(*image);
    for (const TOptimizeChoices choices :
         {TOptimizeChoices{}, TOptimizeChoices{true, true, true, true}, TOptimizeChoices{false, false, true, false}}) {
        TGIFImage copy;
        MakeOptimizedCopy(*image, choices, copy);
        EXPECT_EQ(Distinct(ShownAfterSaving(copy)), Distinct(before));
        if (!choices.Trim) {
            EXPECT_EQ(ShownAfterSaving(copy), before);
        }
    }
    EXPECT_EQ(Shown(*image), before) << "the document is only read";
}

TEST(OptimizedCopy, SavedSizeIsWhatSavingWrites) {
    auto image = MakeAnimation(16, 16, {{0, 0, 16, 16, 1}, {0, 0, 16, 16, 1}, {4, 4, 8, 8, 2}});
    TGIFImage copy;
    MakeOptimizedCopy(*image, {}, copy);
    TMemoryStream stream;
    copy.SaveToStream(stream);
    EXPECT_EQ(SavedSize(copy), stream.Size());
    EXPECT_LT(SavedSize(copy), SavedSize(*image));
    EXPECT_FALSE(HasLocalColorTables(*image));
}

// The best encoding is chosen with the optimisation, travels with the copy,
// comes into the document with it and goes out again with Undo; without it
// the document's own encoding is kept.
TEST(OptimizedCopy, BestEncodingComesWithTheCopyAndIsTakenBack) {
    auto image = MakeAnimation(16, 16, {{0, 0, 16, 16, 1}, {2, 2, 12, 12, 2}, {4, 4, 8, 8, 3}});
    const Frames before = Shown(*image);
    TOptimizeChoices best;
    best.Best = true;
    TGIFImage copy;
    MakeOptimizedCopy(*image, best, copy);
    EXPECT_EQ(copy.Encoding, encLZWBest);
    EXPECT_EQ(ShownAfterSaving(copy), before);
    const std::int64_t bestSize = SavedSize(copy);
    copy.Encoding = encLZW;
    EXPECT_LE(bestSize, SavedSize(copy));
    copy.Encoding = encLZWBest;

    image->Encoding = encRLE;
    TGIFImage kept;
    MakeOptimizedCopy(*image, {}, kept);
    EXPECT_EQ(kept.Encoding, encRLE);
    image->Encoding = encLZW;

    TFrameEditLog log;
    ASSERT_TRUE(ReplaceWithOptimized(*image, copy, log));
    EXPECT_EQ(image->Encoding, encLZWBest);
    EXPECT_EQ(Shown(*image), before);
    log.Undo(*image);
    EXPECT_EQ(image->Encoding, encLZW);
    log.Redo(*image);
    EXPECT_EQ(image->Encoding, encLZWBest);
}

// ---- fitting under a size -----------------------------------------------------------

TEST(FitUnder, RecipesGoFromNothingLostToTheMost) {
    const auto recipes = FitRecipes();
    ASSERT_FALSE(recipes.empty());
    EXPECT_TRUE(recipes.front().Lossless());
    EXPECT_EQ(recipes.front().Describe(), "nothing");
    EXPECT_EQ((TFitRecipe{64, false, 2, 50}.Describe()), "64 colors, every 2nd frame dropped, scaled to 50%");
    EXPECT_EQ((TFitRecipe{16, true, 0, 100}.Describe()), "16 colors, dithered");
    for (std::size_t i = 1; i < recipes.size(); ++i) EXPECT_FALSE(recipes[i].Lossless());
}

TEST(FitUnder, DroppingFramesKeepsTheRunningTime) {
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 10}, {0, 0, 4, 4, 2, 20}, {0, 0, 4, 4, 3, 30}, {0, 0, 4, 4, 4, 40}});
    DropEveryNthFrame(*image, 2);
    ASSERT_EQ(image->Frames().Count(), 2);
    EXPECT_EQ(TotalDelay(*image), 100);
    EXPECT_EQ(image->Frames()[0]->ControlExtension()->DelayTime, 30);
}

TEST(FitUnder, FewerColorsKeepTransparencyAndTheTableSize) {
    // 200 grey levels in a transparent frame.
    auto image = std::make_unique<TGIFImage>();
    std::vector<int> pixels;
    std::vector<TColor> colors;
    for (int i = 0; i < 200; ++i) colors.push_back(MakeColor(std::uint8_t(i), std::uint8_t(i), std::uint8_t(i)));
    for (int i = 0; i < 20 * 20; ++i) pixels.push_back(i % 200);
    image->Header().ScreenWidth = image->Header().ScreenHeight = 20;
    auto frame = std::make_unique<TGIFSubImage>(image.get());
    frame->PlaceFrame(0, 0, 20, 20);
    for (TColor c : colors) frame->LocalColors().AddColor(c);
    for (int i = 0; i < 400; ++i) frame->PixelData()[i] = std::uint8_t(pixels[std::size_t(i)]);
    auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
    gce->SetUsesTransparency(true);
    gce->SetTransparentIndex(0);
    frame->ExtensionBlocks().Add(std::move(gce));
    image->AddFrame(std::move(frame));

    const std::uint32_t clearBefore = PixelAt(Shown(*image)[0], 20, 0, 0);
    ReduceSharedColors(*image, 16, false);
    EXPECT_LE(image->GlobalColors().Count(), 17);
    const Frames after = ShownAfterSaving(*image);
    EXPECT_EQ(clearBefore, 0xFF000000u);
    EXPECT_EQ(PixelAt(after[0], 20, 0, 0), 0xFF000000u) << "transparent pixels stay transparent";
    EXPECT_NE(PixelAt(after[0], 20, 1, 0), 0xFF000000u);
}

TEST(FitUnder, AnswerIsMeasuredAndHonest) {
    std::vector<FrameRecipe> frames;
    for (int i = 0; i < 8; ++i) frames.push_back({0, 0, 64, 64, 1 + i % 4, 10});
    auto image = MakeAnimation(64, 64, frames);
    TGIFImage result;
    const TFitResult easy = FitUnder(*image, {}, 1'000'000, result);
    EXPECT_TRUE(easy.Fits);
    EXPECT_TRUE(easy.Recipe.Lossless());
    EXPECT_EQ(easy.Size, SavedSize(result));

    const TFitResult impossible = FitUnder(*image, {}, 10, result);
    EXPECT_FALSE(impossible.Fits);
    EXPECT_GT(impossible.Size, 10);
    EXPECT_EQ(impossible.Size, SavedSize(result));

    const std::int64_t lossless = easy.Size;
    const TFitResult smaller = FitUnder(*image, {}, lossless - 1, result);
    if (smaller.Fits) {
        EXPECT_LE(SavedSize(result), lossless - 1);
        EXPECT_FALSE(smaller.Recipe.Lossless());
        EXPECT_EQ(TotalDelay(result), TotalDelay(*image)) << "dropped frames give their time away";
    }
    int asked = 0;
    EXPECT_TRUE(FitUnder(*image, {}, 10, result, [&] { return ++asked < 2; }).Cancelled);
}

// ---- what OK in Animation Information commits ---------------------------------------

TEST(AnimationInfoEdit, PaletteAndLoopAreOneStep) {
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1, 10, 1, -1, 2}, {0, 0, 2, 2, 2}});
    const Frames before = Shown(*image);
    TAnimationInfoEdit edit;
    edit.Width = 4;
    edit.Height = 4;
    edit.Loop = 9;
    edit.PaletteEdited = true;
    edit.Palette = {{0, 0, 0}, {10, 20, 30}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    EXPECT_FALSE(ResizeRequested(*image, edit));
    TFrameEditLog log;
    CommitAnimationInfo(*image, edit, nullptr, log);
    EXPECT_EQ(image->GlobalColors().GetColor(1), MakeColor(10, 20, 30));
    EXPECT_EQ(image->Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount, 9);
    const Frames after = Shown(*image);
    EXPECT_NE(after, before);
    log.Undo(*image);
    EXPECT_EQ(image->GlobalColors().GetColor(1), kRed);
    EXPECT_EQ(image->Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount, 2);
    EXPECT_EQ(Shown(*image), before);
    log.Redo(*image);
    EXPECT_EQ(Shown(*image), after);
}

TEST(AnimationInfoEdit, NoLoopingBlockMeansNoneIsMade) {
    auto image = MakeAnimation(4, 4, {{0, 0, 4, 4, 1}, {0, 0, 2, 2, 2}});
    TAnimationInfoEdit edit;
    edit.Width = 4;
    edit.Height = 4;
    edit.Loop = 5;
    TFrameEditLog log;
    CommitAnimationInfo(*image, edit, nullptr, log);
    EXPECT_EQ(image->Frames()[0]->FindExtension<TGIFAppExtNSLoop>(), nullptr);
    EXPECT_TRUE(log.Empty());
}
