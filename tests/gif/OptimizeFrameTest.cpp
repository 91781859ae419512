// Crop and Merge on single frames: the trimmed rectangle and its position, the
// pixels that turn transparent, where the transparent index comes from, and the
// cases in which nothing may change.

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/FrameBuilders.h"
#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"

namespace {

using Pixels = std::vector<std::uint8_t>;

void AddColors(TGIFColorMap& table, int count) {
    for (int i = 0; i < count; ++i)
        table.AddColor(MakeColor(std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 3)));
}

// A frame at (left, top) with the given pixels; disposal and transparency are
// set only when asked for (-1: no control extension field).
TGIFSubImage* AddFrame(TGIFImage& image, int left, int top, int width, int height, const Pixels& pixels,
                       int transparent = -1, int disposal = -1) {
    TGIFSubImage* frame = AppendFrame(image);
    frame->PlaceFrame(left, top, width, height);
    if (pixels.size() != std::size_t(width) * std::size_t(height))
        throw std::logic_error("test frame with a wrong pixel count");
    std::copy(pixels.begin(), pixels.end(), frame->PixelData());
    if (transparent >= 0 || disposal >= 0) {
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
        if (transparent >= 0) {
            control->SetUsesTransparency(true);
            control->SetTransparentIndex(transparent);
        }
        if (disposal >= 0) control->SetDisposalMethod(std::uint8_t(disposal));
        frame->ExtensionBlocks().Add(std::move(control));
    }
    return frame;
}

Pixels PixelsOf(const TGIFSubImage& frame) {
    if (frame.IsEmpty()) return {};
    return Pixels(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
}

TEST(OptimizeCrop, TrimsToTheVisiblePixelsAndMovesTheFrame) {
    const struct {
        const char* name;
        int width, height;
        Pixels pixels;
        TRect want;  // in screen coordinates, frame placed at (10, 20)
        Pixels wantPixels;
    } cases[] = {
        {"one pixel in the middle", 3, 3, {9, 9, 9, 9, 4, 9, 9, 9, 9}, {11, 21, 12, 22}, {4}},
        {"corners", 3, 3, {1, 9, 9, 9, 9, 9, 9, 9, 2}, {10, 20, 13, 23}, {1, 9, 9, 9, 9, 9, 9, 9, 2}},
        {"right column", 3, 2, {9, 9, 5, 9, 9, 6}, {12, 20, 13, 22}, {5, 6}},
        {"bottom row, holes kept", 4, 3, {9, 9, 9, 9, 9, 9, 9, 9, 1, 9, 9, 2}, {10, 22, 14, 23}, {1, 9, 9, 2}},
        {"diagonal", 4, 4, {9, 9, 9, 9, 9, 3, 9, 9, 9, 9, 4, 9, 9, 9, 9, 9}, {11, 21, 13, 23}, {3, 9, 9, 4}},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 16);
        TGIFSubImage* frame = AddFrame(image, 10, 20, c.width, c.height, c.pixels, 9);
        frame->Crop();
        EXPECT_EQ(frame->FrameRect(), c.want) << c.name;
        EXPECT_EQ(PixelsOf(*frame), c.wantPixels) << c.name;
        EXPECT_TRUE(frame->IsTransparent()) << c.name;
    }
}

TEST(OptimizeCrop, WhollyTransparentFrameBecomesEmpty) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    TGIFSubImage* frame = AddFrame(image, 1, 1, 2, 2, {3, 3, 3, 3}, 3);
    frame->Crop();
    EXPECT_TRUE(frame->IsEmpty());
}

TEST(OptimizeCrop, LeavesOpaqueAndFullFramesAlone) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    TGIFSubImage* opaque = AddFrame(image, 0, 0, 2, 2, {0, 0, 0, 1});
    opaque->Crop();
    EXPECT_EQ(opaque->FrameRect(), (TRect{0, 0, 2, 2}));
    EXPECT_EQ(PixelsOf(*opaque), (Pixels{0, 0, 0, 1}));
    TGIFSubImage* full = AddFrame(image, 0, 0, 2, 2, {1, 2, 2, 1}, 0);
    full->Crop();
    EXPECT_EQ(full->FrameRect(), (TRect{0, 0, 2, 2}));
    EXPECT_EQ(PixelsOf(*full), (Pixels{1, 2, 2, 1}));
}

// --- Merge --------------------------------------------------------------

TEST(OptimizeMerge, IdenticalFrameBecomesFullyTransparentThroughANewGlobalEntry) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    const Pixels picture{0, 1, 2, 3};
    TGIFSubImage* first = AddFrame(image, 0, 0, 2, 2, picture);
    TGIFSubImage* second = AddFrame(image, 0, 0, 2, 2, picture);
    second->Merge(first);
    ASSERT_TRUE(second->IsTransparent());
    ASSERT_NE(second->ControlExtension(), nullptr);
    EXPECT_EQ(image.GlobalColors().Count(), 5) << "one entry added for transparency";
    EXPECT_EQ(second->ControlExtension()->TransparentIndex(), 4);
    EXPECT_EQ(PixelsOf(*second), Pixels(4, 4));
    EXPECT_EQ(PixelsOf(*first), picture) << "the frame underneath never changes";
}

TEST(OptimizeMerge, OnlyRepeatedPixelsOfTheOverlapTurnTransparent) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 8);
    // Previous 3x1 at (0,0); this one 3x1 at (1,0): overlap is columns 1..2.
    TGIFSubImage* previous = AddFrame(image, 0, 0, 3, 1, {1, 2, 3});
    TGIFSubImage* frame = AddFrame(image, 1, 0, 3, 1, {2, 5, 3}, 7);
    frame->Merge(previous);
    EXPECT_EQ(PixelsOf(*frame), (Pixels{7, 5, 3})) << "column 3 lies outside the previous frame";
    EXPECT_EQ(image.GlobalColors().Count(), 8) << "a transparent frame keeps its own index";
}

TEST(OptimizeMerge, ComparesColoursAcrossTablesAndSkipsSeeThroughPixelsUnderneath) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    TGIFSubImage* previous = AddFrame(image, 0, 0, 4, 1, {0, 1, 2, 3}, 3);
    TGIFSubImage* frame = AddFrame(image, 0, 0, 4, 1, {0, 0, 1, 0});
    // The local table holds the global colours 2, 1 and 3 at 0, 1 and 2.
    for (int g : {2, 1, 3}) frame->LocalColors().AddColor(image.GlobalColors().GetColor(g));
    frame->LocalColors().AddColor(MakeColor(1, 2, 3));
    // Pixel 0: local 0 = global 2 vs global 0: differs. Pixel 2: local 1 = global 1
    // vs global 2: differs. Pixel 1: local 0 = global 2 vs global 1: differs.
    // Pixel 3: local 0 (global 2) over a see-through pixel: must stay.
    frame->Merge(previous);
    EXPECT_FALSE(frame->IsTransparent()) << "nothing repeats, so no transparency is added";

    TGIFSubImage* same = AddFrame(image, 0, 0, 4, 1, {0, 0, 1, 0});
    for (int g : {1, 2, 0}) same->LocalColors().AddColor(image.GlobalColors().GetColor(g));
    // local 0 = global 1, local 1 = global 2, local 2 = global 0 over {0,1,2,see-through}
    same->PixelData()[0] = 2;
    same->Merge(previous);
    ASSERT_TRUE(same->IsTransparent());
    const std::uint8_t t = same->ControlExtension()->TransparentIndex();
    EXPECT_EQ(t, 3) << "a new entry of the local table";
    EXPECT_EQ(same->LocalColors().Count(), 4);
    EXPECT_EQ(image.GlobalColors().Count(), 4) << "the global table is not touched";
    EXPECT_EQ(PixelsOf(*same), (Pixels{t, t, t, 0}));
}

TEST(OptimizeMerge, NothingHappensWhenTheFrameUnderneathDoesNotStay) {
    const struct {
        const char* name;
        int disposal;
        int offset;  // of the second frame
        bool merged;
    } cases[] = {
        {"left in place", dispLeave, 0, true},
        {"unspecified", dispUnspecified, 0, true},
        {"restore to background", dispBackground, 0, false},
        {"restore to previous", dispPrevious, 0, false},
        {"no overlap", dispLeave, 2, false},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 4);
        TGIFSubImage* previous = AddFrame(image, 0, 0, 2, 1, {1, 2}, -1, c.disposal);
        TGIFSubImage* frame = AddFrame(image, c.offset, 0, 2, 1, {1, 2});
        frame->Merge(previous);
        EXPECT_EQ(frame->IsTransparent(), c.merged) << c.name;
        EXPECT_EQ(PixelsOf(*frame) == (Pixels{1, 2}), !c.merged) << c.name;
    }
}

TEST(OptimizeMerge, FullTableWithoutTransparencyIsNotMerged) {
    TGIFImage image;
    TGIFSubImage* previous = AddFrame(image, 0, 0, 2, 1, {5, 6});
    AddColors(previous->LocalColors(), 256);
    TGIFSubImage* frame = AddFrame(image, 0, 0, 2, 1, {5, 6});
    AddColors(frame->LocalColors(), 256);
    frame->Merge(previous);
    EXPECT_FALSE(frame->IsTransparent());
    EXPECT_EQ(PixelsOf(*frame), (Pixels{5, 6}));
    EXPECT_EQ(frame->LocalColors().Count(), 256);
}

TEST(OptimizeMerge, BorrowsAnotherFramesTransparentIndexOnlyWhenNoPixelShowsIt) {
    // Frame 0 is transparent through global index 3. Frame 2 repeats frame 1.
    for (bool frameUsesIndex3 : {false, true}) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 4);
        AddFrame(image, 0, 0, 1, 1, {0}, 3);
        TGIFSubImage* previous = AddFrame(image, 0, 0, 3, 1, {1, 2, 1});
        TGIFSubImage* frame = AddFrame(image, 0, 0, 3, 1, {1, 2, std::uint8_t(frameUsesIndex3 ? 3 : 0)});
        frame->Merge(previous);
        ASSERT_TRUE(frame->IsTransparent()) << frameUsesIndex3;
        const int t = frame->ControlExtension()->TransparentIndex();
        if (frameUsesIndex3) {
            // Taking 3 would make the third pixel vanish.
            EXPECT_EQ(t, 4);
            EXPECT_EQ(image.GlobalColors().Count(), 5);
            EXPECT_EQ(PixelsOf(*frame), (Pixels{4, 4, 3}));
        } else {
            EXPECT_EQ(t, 3);
            EXPECT_EQ(image.GlobalColors().Count(), 4) << "no entry needed";
            EXPECT_EQ(PixelsOf(*frame), (Pixels{3, 3, 0}));
        }
    }
}

TEST(OptimizeMerge, EmptyOrMissingFramesAreIgnored) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    TGIFSubImage* frame = AddFrame(image, 0, 0, 1, 1, {1});
    frame->Merge(nullptr);
    auto empty = std::make_unique<TGIFSubImage>(&image);
    frame->Merge(empty.get());
    empty->Merge(frame);
    frame->Merge(frame);
    EXPECT_FALSE(frame->IsTransparent());
    EXPECT_EQ(PixelsOf(*frame), (Pixels{1}));
}

}  // namespace
