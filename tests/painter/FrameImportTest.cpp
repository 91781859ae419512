// Pictures becoming frames: where they go, what a picture larger than the
// screen does, which colours they get, and what a pasted frame brings along;
// every change taken back exactly.
#include "painter/FrameImport.h"

#include <gtest/gtest.h>

#include <cstring>

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "support/FrameBuilders.h"

namespace {
// Two 4x3 frames on a 4x3 screen, black and white.
std::unique_ptr<TGIFImage> TwoFrames() {
    auto image = std::make_unique<TGIFImage>();
    image->GlobalColors().AddColor(0x000000);
    image->GlobalColors().AddColor(0xFFFFFF);
    for (int i = 0; i < 2; ++i) {
        TGIFSubImage* frame = AddPlacedFrame(*image, 0, 0, 4, 3);
        std::fill_n(frame->PixelData(), 12, std::uint8_t(i));
        AddExtension<TGIFGraphicControlExtension>(frame)->DelayTime = std::uint16_t(10 + i);
    }
    return image;
}

TBitmap Picture(int width, int height, TColor color) {
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bitmap.SetPixel(x, y, color);
    return bitmap;
}
} // namespace

TEST(FrameImport, APictureGoesWhereItIsAskedAndIsTakenBack) {
    for (int position : {0, 1, 2, 9}) {
        auto image = TwoFrames();
        const std::string before = Saved(*image);
        TAddPicture add;
        add.Picture = Picture(4, 3, 0x0000FF);
        add.Position = position;
        add.DefaultDelay = 25;
        TFrameEditLog log;
        const int at = AddPicture(*image, add, log);
        EXPECT_EQ(at, std::min(position, 2));
        ASSERT_EQ(image->Frames().Count(), 3);
        EXPECT_EQ(image->Frames()[at]->ControlExtension()->DelayTime, 25);
        EXPECT_NE(image->Frames()[0]->FindExtension<TGIFAppExtNSLoop>(), nullptr) << "the first frame loops";
        const std::string after = Saved(*image);
        log.Undo(*image);
        EXPECT_EQ(Saved(*image), before) << "position " << position;
        log.Redo(*image);
        EXPECT_EQ(Saved(*image), after) << "position " << position;
    }
}

TEST(FrameImport, APictureLargerThanTheScreenIsClippedOrGrowsIt) {
    auto image = TwoFrames();
    TAddPicture add;
    add.Picture = Picture(6, 5, 0xFF0000);
    ASSERT_TRUE(PictureExceedsScreen(*image, add.Picture));
    EXPECT_FALSE(PictureExceedsScreen(*image, Picture(5, 4, 0))) << "a pixel more is let through";
    TFrameEditLog log;
    add.Large = TLargePicture::Clip;
    const int clipped = AddPicture(*image, add, log);
    EXPECT_EQ(image->Frames()[clipped]->Width(), 4);
    EXPECT_EQ(image->Frames()[clipped]->Height(), 3);
    EXPECT_EQ(image->Width(), 4);

    auto grown = TwoFrames();
    const std::string before = Saved(*grown);
    add.Large = TLargePicture::GrowScreen;
    TFrameEditLog log2;
    const int index = AddPicture(*grown, add, log2);
    EXPECT_EQ(grown->Frames()[index]->Width(), 6);
    EXPECT_EQ(grown->Width(), 6);
    EXPECT_EQ(grown->Height(), 5);
    log2.Undo(*grown);
    EXPECT_EQ(Saved(*grown), before) << "the screen's size comes back too";
}

// Scaled to fit: the ratio kept, the see-through part still see-through.
TEST(FrameImport, APictureLargerThanTheScreenCanBeScaledToFit) {
    auto image = TwoFrames();  // 4 x 3
    TAddPicture add;
    add.Picture = Picture(16, 6, 0x00FF00);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) std::memset(add.Picture.ScanLine(y) + 3 * x, 0xFF, 3);  // white left half
    add.Picture.SetTransparent(true);
    add.Picture.SetTransparentColor(RGBColor(255, 255, 255));
    add.Large = TLargePicture::Fit;
    add.Palette.Reduction = crFitted;  // the editor's default: room is kept for the transparency
    TFrameEditLog log;
    const TGIFSubImage& frame = *image->Frames()[AddPicture(*image, add, log)];
    EXPECT_EQ(frame.Width(), 4);
    EXPECT_EQ(frame.Height(), 1);
    EXPECT_EQ(image->Width(), 4) << "the screen stays";
    ASSERT_TRUE(frame.ControlExtension() && frame.ControlExtension()->UsesTransparency());
    const int hole = frame.ControlExtension()->TransparentIndex();
    EXPECT_EQ(frame.PixelData()[0], hole);
    EXPECT_EQ(frame.PixelData()[1], hole);
    EXPECT_NE(frame.PixelData()[3], hole);
}

TEST(FrameImport, APastedFrameKeepsItsAttributesAndFindsItsTransparentColour) {
    auto source = TwoFrames();
    TGIFGraphicControlExtension* c = source->Frames()[1]->ControlExtension();
    c->SetDisposalMethod(2);
    c->SetTransparentIndex(1);
    c->SetUsesTransparency(true);
    source->Frames()[1]->SetInterlaced(true);
    source->Frames()[1]->SetLeft(1);
    TPastedAttributes attributes = AttributesOf(*source->Frames()[1]);
    EXPECT_EQ(attributes.Delay, 11);
    EXPECT_TRUE(attributes.Transparent);
    EXPECT_EQ(attributes.TransparentColor, TColor(0xFFFFFF));
    attributes.KeepPlace = true;
    attributes.Left = 0;
    attributes.Top = 0;

    // The copy the clipboard carries: the frame alone, its colours its own.
    auto copied = FrameAsAnimation(*source, 1);
    ASSERT_TRUE(copied);
    ASSERT_EQ(copied->Frames().Count(), 1);
    EXPECT_FALSE(copied->Frames()[0]->LocalColors().IsEmpty());
    EXPECT_EQ(copied->Frames()[0]->Left(), 0);
    EXPECT_EQ(FrameAsAnimation(*source, 5), nullptr);

    auto target = TwoFrames();
    const std::string before = Saved(*target);
    TAddPicture add;
    copied->Frames()[0]->AssignTo(add.Picture);
    add.Position = 1;
    TFrameEditLog log;
    const int index = PasteFrame(*target, add, attributes, log);
    const TGIFSubImage& pasted = *target->Frames()[index];
    EXPECT_EQ(index, 1);
    EXPECT_TRUE(pasted.IsInterlaced());
    ASSERT_NE(pasted.ControlExtension(), nullptr);
    EXPECT_EQ(pasted.ControlExtension()->DelayTime, 11);
    EXPECT_EQ(pasted.ControlExtension()->DisposalMethod(), 2);
    EXPECT_TRUE(pasted.ControlExtension()->UsesTransparency());
    EXPECT_EQ(pasted.ControlExtension()->TransparentColor(), TColor(0xFFFFFF));
    log.Undo(*target);
    EXPECT_EQ(Saved(*target), before);
}
