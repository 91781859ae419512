// What each disposal method does to the canvas and to the painter's buffers,
// with solid-colour frames on a 4x4 screen.

#include <gtest/gtest.h>

#include <optional>

#include "painter/GIFPainter.h"
#include "painter/PainterTestSupport.h"
#include "raster/Canvas.h"

using namespace painter_test;

namespace {

constexpr TColor kPaper = 0x123456;  // what the canvas showed before the painter

struct Snapshot {
    TBitmap canvas;
    std::optional<TBitmap> work;
};

// Plays the frames once, synchronously, and keeps the canvas and the work
// buffer as they were after each frame.
std::vector<Snapshot> Play(TGIFImage& image, TGIFPainterOptions options, TRect rect = {0, 0, 4, 4},
                           TGIFPainter** keep = nullptr, int passes = 1) {
    TBitmap bitmap(rect.right, rect.bottom, pf24bit);
    TCanvas canvas(bitmap);
    canvas.FillRect(bitmap.BoundsRect(), kPaper);
    FakeClock clock;
    auto* painter = new TGIFPainter(&image, options | PaintOptionBit(poAnimate), rect, &canvas, &clock);
    painter->FreeOnTerminate = false;
    std::vector<Snapshot> shots;
    painter->OnFrameShown = [&](TGIFPainterBase*) {
        Snapshot s{bitmap, std::nullopt};
        if (painter->WorkBuffer()) s.work = *painter->WorkBuffer();
        shots.push_back(std::move(s));
    };
    painter->Start();
    if (keep)
        *keep = painter;
    else
        painter->Free();
    return shots;
}

FrameRecipe Solid(int left, int top, int size, int colour, int disposal) {
    return FrameRecipe{.left = left, .top = top, .width = size, .height = size, .fill = colour, .delay = 2,
                     .disposal = disposal};
}

}  // namespace

TEST(PainterDisposal, OnlyKeepAndUnspecifiedDrawStraightOntoTheCanvas) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 0)});
    TGIFPainter* painter = nullptr;
    auto shots = Play(*image, 0, {0, 0, 4, 4}, &painter);
    EXPECT_EQ(painter->WorkBuffer(), nullptr);
    EXPECT_EQ(painter->SaveBuffer(), nullptr);
    EXPECT_EQ(painter->BackgroundCapture(), nullptr);
    painter->Free();
    ASSERT_EQ(shots.size(), 2u);
    EXPECT_EQ(shots[1].canvas.Pixel(0, 0), kRed);
    EXPECT_EQ(shots[1].canvas.Pixel(1, 1), kGreen);
}

TEST(PainterDisposal, BuffersFollowTheDisposalMethodsInUse) {
    struct Case {
        int disposal;
        TGIFPainterOptions options;
        bool work, capture;
    } cases[] = {
        {1, 0, false, false},
        {2, 0, true, false},
        {2, PaintOptionBit(poTransparent), true, true},
        {3, PaintOptionBit(poTransparent), true, false},
        {1, PaintOptionBit(poClearOnLoop) | PaintOptionBit(poTransparent), true, true},
    };
    for (const Case& c : cases) {
        auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, c.disposal)});
        TGIFPainter* painter = nullptr;
        Play(*image, c.options, {0, 0, 4, 4}, &painter);
        EXPECT_EQ(painter->WorkBuffer() != nullptr, c.work) << "disposal " << c.disposal << " options " << c.options;
        EXPECT_EQ(painter->SaveBuffer() != nullptr, c.work) << "disposal " << c.disposal;
        EXPECT_EQ(painter->BackgroundCapture() != nullptr, c.capture) << "disposal " << c.disposal;
        painter->Free();
    }
}

TEST(PainterDisposal, RestoreToPreviousAfterKeepLeavesNoTraceInTheWorkBuffer) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 3), Solid(0, 0, 1, 3, 1)});
    auto shots = Play(*image, 0);
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[1].canvas.Pixel(1, 1), kGreen) << "the frame is shown";
    EXPECT_EQ(shots[1].work->Pixel(1, 1), kRed) << "but the work buffer keeps the picture before it";
    EXPECT_EQ(shots[2].canvas.Pixel(1, 1), kRed) << "the next frame shows the picture without it";
    EXPECT_EQ(shots[2].canvas.Pixel(0, 0), kBlue);
}

TEST(PainterDisposal, RestoreToBackgroundFillsTheFrameAreaWithTheBackgroundColour) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 2), Solid(3, 3, 1, 3, 1)});
    image->Header().BackgroundIndex = 4;  // white
    auto shots = Play(*image, 0);
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[1].canvas.Pixel(1, 1), kGreen);
    EXPECT_EQ(shots[1].work->Pixel(1, 1), kWhite);
    EXPECT_EQ(shots[1].work->Pixel(2, 2), kWhite);
    EXPECT_EQ(shots[1].work->Pixel(0, 0), kRed) << "only the frame's area is restored";
    EXPECT_EQ(shots[1].work->Pixel(3, 1), kRed);
    EXPECT_EQ(shots[2].canvas.Pixel(1, 1), kWhite);
    EXPECT_EQ(shots[2].canvas.Pixel(3, 3), kBlue);
}

TEST(PainterDisposal, BackgroundColourChoice) {
    struct Case {
        TColor paintBackground;
        bool globalTable;
        TColor want;
    } cases[] = {
        {clNone, true, kGreen},     // the header's background index (2)
        {0x00ABCDEF, true, 0x00ABCDEF},
        {clNone, false, kWhite},    // no global table: the window colour
    };
    for (const Case& c : cases) {
        auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 1, 2)});
        image->Header().BackgroundIndex = 2;
        image->PaintBackground = c.paintBackground;
        if (!c.globalTable) {
            for (int i = 0; i < image->Frames().Count(); ++i)
                image->Frames()[i]->LocalColors().Assign(&image->GlobalColors());
            image->GlobalColors().ClearColors();
        }
        auto shots = Play(*image, 0);
        ASSERT_EQ(shots.size(), 2u);
        EXPECT_EQ(shots[1].work->Pixel(1, 1), c.want) << "paint background " << std::hex << c.paintBackground;
    }
}

TEST(PainterDisposal, TransparentRestoreBringsBackWhatTheCanvasShowed) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 2), Solid(3, 3, 1, 3, 1)});
    auto shots = Play(*image, PaintOptionBit(poTransparent));
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[1].work->Pixel(1, 1), kPaper);
    EXPECT_EQ(shots[2].canvas.Pixel(2, 2), kPaper);
    EXPECT_EQ(shots[2].canvas.Pixel(0, 0), kRed);
}

TEST(PainterDisposal, RestoreToPreviousAfterRestoreToBackgroundComposesOnTheSaveBuffer) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 2), Solid(0, 0, 1, 3, 3),
                                      Solid(3, 0, 1, 4, 1)});
    image->Header().BackgroundIndex = 4;
    auto shots = Play(*image, 0);
    ASSERT_EQ(shots.size(), 4u);
    EXPECT_EQ(shots[2].canvas.Pixel(1, 1), kWhite) << "the disposed frame must not show through";
    EXPECT_EQ(shots[2].canvas.Pixel(0, 0), kBlue);
    EXPECT_EQ(shots[2].work->Pixel(0, 0), kRed);
    EXPECT_EQ(shots[3].canvas.Pixel(0, 0), kRed) << "restored to before the frame";
    EXPECT_EQ(shots[3].canvas.Pixel(3, 0), kWhite);
}

// The reserved codes 4-7 draw the frame and then leave it, as giflib, Wuffs,
// ImageMagick and browsers do: the third frame is drawn over what stays.
TEST(PainterDisposal, ReservedDisposalMethodsDrawAndLeave) {
    for (int disposal : {4, 5, 6, 7}) {
        auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, disposal), Solid(0, 0, 1, 3, 1)});
        auto shots = Play(*image, 0);
        ASSERT_EQ(shots.size(), 3u);
        EXPECT_EQ(shots[1].canvas.Pixel(1, 1), kGreen) << "disposal " << disposal << ": drawn";
        EXPECT_EQ(shots[2].canvas.Pixel(1, 1), kGreen) << "disposal " << disposal << ": left as no disposal";
        EXPECT_EQ(shots[2].canvas.Pixel(0, 0), kBlue) << "disposal " << disposal;
    }
}

TEST(PainterDisposal, ClearOnLoopStartsEveryPassFromTheBackground) {
    for (bool clear : {false, true}) {
        std::vector<FrameRecipe> frames{Solid(0, 0, 2, 1, 1), Solid(2, 2, 2, 2, 1)};
        frames[0].loopCount = 2;
        auto image = MakeAnimation(4, 4, frames);
        image->Header().BackgroundIndex = 4;
        TGIFPainterOptions options = PaintOptionBit(poLoop);
        if (clear) options |= PaintOptionBit(poClearOnLoop);
        auto shots = Play(*image, options);
        ASSERT_EQ(shots.size(), 4u) << "clear " << clear;
        EXPECT_EQ(shots[2].canvas.Pixel(2, 2), clear ? kWhite : kGreen) << "clear " << clear;
        EXPECT_EQ(shots[0].canvas.Pixel(3, 3), clear ? kWhite : kPaper) << "clear " << clear;
    }
}

TEST(PainterDisposal, TransparentPixelsLeaveWhatIsBeneath) {
    std::vector<FrameRecipe> frames{Solid(0, 0, 4, 1, 1), Solid(0, 0, 4, 2, 1)};
    frames[1].transparent = 2;  // the whole second frame is transparent
    for (bool transparent : {false, true}) {
        auto image = MakeAnimation(4, 4, frames);
        auto shots = Play(*image, transparent ? PaintOptionBit(poTransparent) : 0);
        ASSERT_EQ(shots.size(), 2u);
        EXPECT_EQ(shots[1].canvas.Pixel(2, 2), transparent ? kRed : kGreen) << "transparent " << transparent;
    }
}

TEST(PainterDisposal, RestoredAreaIsScaledIntoTheDestination) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 2)});
    image->Header().BackgroundIndex = 4;
    auto shots = Play(*image, 0, {0, 0, 8, 8});
    ASSERT_EQ(shots.size(), 2u);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            EXPECT_EQ(shots[1].work->Pixel(x, y), inside ? kWhite : kRed) << "at " << x << "," << y;
        }
}

TEST(PainterDisposal, DestinationOffsetInTheCanvas) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 2), Solid(0, 0, 1, 3, 1)});
    image->Header().BackgroundIndex = 4;
    auto shots = Play(*image, 0, {2, 3, 6, 7});
    ASSERT_EQ(shots.size(), 3u);
    EXPECT_EQ(shots[2].canvas.Pixel(1, 1), kPaper) << "outside the destination nothing changes";
    EXPECT_EQ(shots[2].canvas.Pixel(2, 3), kBlue);
    EXPECT_EQ(shots[2].canvas.Pixel(3, 4), kWhite);
    EXPECT_EQ(shots[2].canvas.Pixel(5, 6), kRed);
}

TEST(PainterDisposal, TiledRestoreClearsTheFrameAreaInEveryTile) {
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1, 1), Solid(1, 1, 2, 2, 2)});
    image->Header().BackgroundIndex = 4;
    auto shots = Play(*image, PaintOptionBit(poTile), {0, 0, 8, 8});
    ASSERT_EQ(shots.size(), 2u);
    // A tiled frame repeats at its own size over the whole destination; its
    // area is restored in every screen-sized tile.
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool inFrame = (x % 4) >= 1 && (x % 4) < 3 && (y % 4) >= 1 && (y % 4) < 3;
            EXPECT_EQ(shots[1].canvas.Pixel(x, y), kGreen) << "at " << x << "," << y;
            EXPECT_EQ(shots[1].work->Pixel(x, y), inFrame ? kWhite : kGreen) << "at " << x << "," << y;
        }
}
