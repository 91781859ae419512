// TGIFImage::Draw of an animated image: the active painter, drawing straight
// onto the canvas, and waiting for the first frame of the flat picture.

#include <gtest/gtest.h>

#include "gif/GIFImageDraw.h"
#include "painter/GIFAnimatedDraw.h"
#include "painter/GIFPainter.h"
#include "painter/PainterTestSupport.h"
#include "raster/Canvas.h"

using namespace painter_test;

namespace {

FrameRecipe Solid(int left, int top, int size, int colour) {
    return FrameRecipe{.left = left, .top = top, .width = size, .height = size, .fill = colour, .delay = 2};
}

// Routes threaded painters' calls through a queue this thread serves.
class MainThreadBridge {
public:
    QueueSynchronizer sync;
    const TGIFPainterHostScope host{{.Synchronizer = &sync,
                                     .SynchronizePump =
                                         [this] {
                                             sync.RunPending(1);
                                             return true;
                                         },
                                     .AnimatedDrawer = &DrawAnimatedGIF}};
};

}  // namespace

TEST(AnimatedDraw, DirectSynchronousDrawPlaysTheWholeAnimationOntoTheCanvas) {
    const TGIFPainterHostScope host({.AnimatedDrawer = &DrawAnimatedGIF});
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1), Solid(0, 0, 2, 2), Solid(2, 2, 2, 3)});
    image->SetPaintOptions(PaintOptionBit(poAnimate) | PaintOptionBit(poDirect));
    image->AnimationSpeed = 10000;  // a few milliseconds in all
    TBitmap bitmap(4, 4, pf24bit);
    TCanvas canvas(bitmap);
    image->Draw(canvas, bitmap.BoundsRect());
    EXPECT_EQ(bitmap.Pixel(0, 0), kGreen);
    EXPECT_EQ(bitmap.Pixel(3, 3), kBlue);
    EXPECT_EQ(bitmap.Pixel(3, 0), kRed);
    EXPECT_EQ(image->PainterList().Count(), 0);
    EXPECT_EQ(image->ActivePainter, nullptr);
}

TEST(AnimatedDraw, ThreadedDrawWaitsForTheFirstFrameOfTheFlatPicture) {
    MainThreadBridge bridge;
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1), Solid(0, 0, 4, 2)});
    image->SetPaintOptions(PaintOptionBit(poAnimate) | PaintOptionBit(poThreaded) | PaintOptionBit(poLoop));
    int changes = 0;
    image->OnChange = [&changes](TPersistent*) { ++changes; };
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    image->Draw(canvas, bitmap.BoundsRect());
    EXPECT_EQ(bitmap.Pixel(0, 0), kRed) << "the first frame, stretched";
    EXPECT_EQ(bitmap.Pixel(7, 7), kRed);
    ASSERT_NE(image->FlatBitmap, nullptr);
    EXPECT_NE(image->ActivePainter, nullptr);
    EXPECT_GE(changes, 1) << "viewers hear of every frame";
    image->StopPainting();
    EXPECT_EQ(image->PainterList().Count(), 0);
    EXPECT_EQ(image->ActivePainter, nullptr);
}

TEST(AnimatedDraw, SameCanvasAndRectangleKeepThePainterOthersReplaceIt) {
    MainThreadBridge bridge;
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1), Solid(0, 0, 4, 2)});
    image->SetPaintOptions(PaintOptionBit(poAnimate) | PaintOptionBit(poThreaded) | PaintOptionBit(poLoop) |
                           PaintOptionBit(poDirect));
    TBitmap bitmap(8, 8, pf24bit);
    TCanvas canvas(bitmap);
    image->Draw(canvas, TRect{0, 0, 4, 4});
    TGIFPainterBase* first = image->ActivePainter;
    ASSERT_NE(first, nullptr);
    image->Draw(canvas, TRect{0, 0, 4, 4});
    EXPECT_EQ(image->ActivePainter, first) << "same canvas and rectangle: left alone";
    EXPECT_EQ(image->PainterList().Count(), 1);
    image->Draw(canvas, TRect{4, 4, 8, 8});
    EXPECT_NE(image->ActivePainter, nullptr);
    EXPECT_EQ(image->PainterList().Count(), 1) << "the old painter was stopped and awaited";
    image->StopPainting();
    EXPECT_EQ(image->PainterList().Count(), 0);
}

TEST(AnimatedDraw, DestroyingTheImageStopsItsThreadedPainter) {
    MainThreadBridge bridge;
    auto image = MakeAnimation(4, 4, {Solid(0, 0, 4, 1), Solid(0, 0, 4, 2)});
    image->SetPaintOptions(PaintOptionBit(poAnimate) | PaintOptionBit(poThreaded) | PaintOptionBit(poLoop) |
                           PaintOptionBit(poDirect));
    TBitmap bitmap(4, 4, pf24bit);
    TCanvas canvas(bitmap);
    image->Draw(canvas, bitmap.BoundsRect());
    EXPECT_EQ(image->PainterList().Count(), 1);
    image.reset();  // must neither hang nor leave the painter drawing
    bridge.sync.RunPending(20);
}
