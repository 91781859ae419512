// Frames and extensions: placement and screen growth, pixel access, transparency,
// required versions, copying, and extensions unlinking themselves.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/FrameBuilders.h"
#include "gif/GIFImage.h"
#include "support/ErrorText.h"
#include "support/WarningCollector.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

TGIFGraphicControlExtension* AddControl(TGIFSubImage* frame) {
    auto ext = std::make_unique<TGIFGraphicControlExtension>(frame);
    TGIFGraphicControlExtension* raw = ext.get();
    frame->ExtensionBlocks().Add(std::move(ext));
    return raw;
}
}  // namespace

TEST(GIFSubImage, NewFrameIsEmptyAndNotInTheImage) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    EXPECT_TRUE(frame.IsEmpty());
    EXPECT_EQ(frame.PixelDataSize(), 0);
    EXPECT_EQ(frame.DescriptorFlags(), 0);
    EXPECT_TRUE(frame.MaskStale);
    EXPECT_EQ(frame.ExtensionBlocks().Count(), 0);
    EXPECT_EQ(image.Frames().Count(), 0);
    EXPECT_EQ(frame.RequiredVersion(), gv87a);
}

TEST(GIFSubImage, PlaceFrameGrowsScreenWithWarningsOnlyWhenItWasNotEmpty) {
    const struct {
        int screenW, screenH;
        int wantW, wantH;
        std::vector<std::string> warnings;
    } cases[] = {
        {0, 0, 110, 60, {}},
        {50, 50, 110, 60,
         {"Image width too small for contained frames", "Image height too small for contained frames",
          "Image exceeds Logical Screen size"}},
        {200, 50, 200, 60, {"Image height too small for contained frames", "Image exceeds Logical Screen size"}},
        {50, 0, 110, 60, {"Image width too small for contained frames", "Image exceeds Logical Screen size"}},
        {200, 200, 200, 200, {}},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        image.SetWidth(std::uint16_t(c.screenW));
        image.SetHeight(std::uint16_t(c.screenH));
        TWarningCollector warnings(image);
        AppendFrame(image)->PlaceFrame(10, 10, 100, 50);
        EXPECT_EQ(image.Width(), c.wantW) << "screen " << c.screenW << "x" << c.screenH;
        EXPECT_EQ(image.Height(), c.wantH) << "screen " << c.screenW << "x" << c.screenH;
        EXPECT_EQ(warnings.Texts(), c.warnings) << "screen " << c.screenW << "x" << c.screenH;
    }
}

TEST(GIFSubImage, ScreenGrowthStopsAt16Bits) {
    TGIFImage image;
    AppendFrame(image)->PlaceFrame(65000, 0, 1000, 1);
    EXPECT_EQ(image.Width(), 65535) << "no wrap-around to a tiny screen";
}

TEST(GIFSubImage, SettingOneDimensionReallocatesZeroedPixels) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    frame->PlaceFrame(0, 0, 4, 3);
    std::fill(frame->PixelData(), frame->PixelData() + 12, std::uint8_t(7));
    frame->SetWidth(5);
    EXPECT_EQ(frame->PixelDataSize(), 15);
    EXPECT_EQ(std::count(frame->PixelData(), frame->PixelData() + 15, 0), 15);
    std::fill(frame->PixelData(), frame->PixelData() + 15, std::uint8_t(7));
    frame->SetHeight(2);
    EXPECT_EQ(frame->PixelDataSize(), 10);
    EXPECT_EQ(std::count(frame->PixelData(), frame->PixelData() + 10, 0), 10);
    std::fill(frame->PixelData(), frame->PixelData() + 10, std::uint8_t(7));
    frame->SetLeft(3);
    EXPECT_EQ(frame->PixelAt(0, 0), 7) << "moving keeps the pixels";
    EXPECT_EQ(frame->FrameRect(), (TRect{3, 0, 8, 2}));
}

TEST(GIFSubImage, PixelAccessChecksCoordinatesAndEmptiness) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    EXPECT_EQ(ErrorOf([&] { frame->RequirePixels(); }), "Image is empty");
    EXPECT_EQ(ErrorOf([&] { frame->RowPointer(0); }), "Invalid pixel coordinates");
    frame->PlaceFrame(0, 0, 3, 2);
    frame->RowPointer(1)[2] = 9;
    EXPECT_EQ(frame->PixelAt(2, 1), 9);
    EXPECT_EQ(frame->PixelData()[5], 9) << "rows top to bottom, no padding";
    for (auto [x, y] : {std::pair{-1, 0}, {3, 0}, {0, -1}, {0, 2}})
        EXPECT_EQ(ErrorOf([&] { frame->PixelAt(x, y); }), "Invalid pixel coordinates") << x << "," << y;
    frame->ReleasePixels();
    EXPECT_TRUE(frame->IsEmpty());
    frame->RequirePixels();
    EXPECT_EQ(frame->PixelDataSize(), 6);
}

TEST(GIFSubImage, EffectiveColorsPrefersLocalThenGlobal) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    EXPECT_EQ(frame->EffectiveColors(), &frame->LocalColors()) << "both empty";
    image.GlobalColors().AddColor(1);
    EXPECT_EQ(frame->EffectiveColors(), &image.GlobalColors());
    frame->LocalColors().AddColor(2);
    EXPECT_EQ(frame->EffectiveColors(), &frame->LocalColors());
}

TEST(GIFSubImage, TransparentIndexIsCheckedAgainstTheEffectiveTable) {
    const struct {
        int tableSize;
        int set;
        int want;
        bool warns;
    } cases[] = {{4, 9, 0, true}, {4, 3, 3, false}, {4, 4, 0, true}, {0, 9, 9, false}, {256, 255, 255, false}};
    for (const auto& c : cases) {
        TGIFImage image;
        TWarningCollector warnings(image);
        TGIFSubImage* frame = AppendFrame(image);
        for (int i = 0; i < c.tableSize; ++i) frame->LocalColors().AddColor(TColor(i));
        TGIFGraphicControlExtension* gce = AddControl(frame);
        gce->SetTransparentIndex(c.set);
        EXPECT_EQ(gce->TransparentIndex(), c.want) << "table " << c.tableSize << ", set " << c.set;
        EXPECT_EQ(warnings.Texts(), c.warns ? std::vector<std::string>{"Invalid color index"}
                                            : std::vector<std::string>{})
            << "table " << c.tableSize << ", set " << c.set;
    }
}

TEST(GIFSubImage, TransparentColorFindsOrAddsAndCanOverflow) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    frame->LocalColors().AddColor(MakeColor(1, 1, 1));
    frame->LocalColors().AddColor(MakeColor(2, 2, 2));
    TGIFGraphicControlExtension* gce = AddControl(frame);
    gce->SetTransparentColor(MakeColor(2, 2, 2));
    EXPECT_EQ(gce->TransparentIndex(), 1);
    gce->SetTransparentColor(MakeColor(3, 3, 3));
    EXPECT_EQ(gce->TransparentIndex(), 2);
    EXPECT_EQ(frame->LocalColors().Count(), 3);
    EXPECT_EQ(gce->TransparentColor(), MakeColor(3, 3, 3));

    for (int i = 3; i < 256; ++i) frame->LocalColors().AddColor(MakeColor(9, 9, std::uint8_t(i)));
    EXPECT_EQ(ErrorOf([&] { gce->SetTransparentColor(MakeColor(200, 0, 0)); }), "Color table overflow");
    EXPECT_EQ(gce->TransparentIndex(), 2);
}

TEST(GIFSubImage, ControlFlagsFieldsAndTransparencyMirror) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    TGIFGraphicControlExtension* gce = AddControl(frame);
    EXPECT_EQ(frame->ControlExtension(), gce);
    gce->SetDisposalMethod(dispPrevious);
    gce->SetWaitForInput(true);
    gce->SetUsesTransparency(true);
    EXPECT_EQ(gce->ControlFlags, 0x0F);
    EXPECT_TRUE(frame->IsTransparent());
    gce->SetDisposalMethod(13);  // stored as & 7
    EXPECT_EQ(gce->DisposalMethod(), 5);
    gce->SetUsesTransparency(false);
    EXPECT_FALSE(frame->IsTransparent());
    EXPECT_EQ(gce->ControlFlags, 0x16);
}

TEST(GIFSubImage, SecondControlExtensionDoesNotReplaceTheFirst) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    TGIFGraphicControlExtension* first = AddControl(frame);
    AddControl(frame);
    EXPECT_EQ(frame->ControlExtension(), first);
}

TEST(GIFSubImage, DestroyedExtensionsUnlinkThemselves) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    auto comment = std::make_unique<TGIFCommentExtension>(frame);
    TGIFCommentExtension* rawComment = comment.get();
    frame->ExtensionBlocks().Add(std::move(comment));
    TGIFGraphicControlExtension* gce = AddControl(frame);
    gce->SetUsesTransparency(true);
    ASSERT_EQ(frame->ExtensionBlocks().Count(), 2);

    delete gce;  // freeing directly is safe: it leaves the list and the frame
    EXPECT_EQ(frame->ExtensionBlocks().Count(), 1);
    EXPECT_EQ(frame->ControlExtension(), nullptr);
    EXPECT_FALSE(frame->IsTransparent());
    delete rawComment;
    EXPECT_EQ(frame->ExtensionBlocks().Count(), 0);

    delete frame;  // frames leave the image the same way
    EXPECT_EQ(image.Frames().Count(), 0);
}

TEST(GIFSubImage, ListOperationsKeepOwnershipStraight) {
    TGIFImage image;
    TGIFSubImage* a = AppendFrame(image);
    TGIFSubImage* b = AppendFrame(image);
    TGIFSubImage* c = AppendFrame(image);
    image.Frames().Move(0, 2);
    EXPECT_EQ(image.Frames().IndexOf(a), 2);
    EXPECT_EQ(image.Frames().IndexOf(b), 0);
    EXPECT_EQ(image.Frames().Remove(c), 1);
    EXPECT_EQ(image.Frames().Count(), 2);
    std::unique_ptr<TGIFSubImage> owned(c);  // Remove handed ownership over
    image.Frames().Insert(0, std::move(owned));
    EXPECT_EQ(image.Frames()[0], c);
    image.Frames().Delete(0);
    EXPECT_EQ(image.Frames().Count(), 2);
    EXPECT_EQ(ErrorOf([&] { image.Frames().Item(2); }), "List index out of bounds (2)");
}

TEST(GIFSubImage, RequiredVersionNeedsExtensionOrSortedTable) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    frame->LocalColors().AddColor(1);
    frame->LocalColors().AddColor(2);
    EXPECT_EQ(frame->RequiredVersion(), gv87a);
    frame->LocalColors().SetSorted(true);
    EXPECT_EQ(frame->RequiredVersion(), gv89a);
    frame->LocalColors().SetSorted(false);
    frame->ExtensionBlocks().Add(std::make_unique<TGIFCommentExtension>(frame));
    EXPECT_EQ(frame->RequiredVersion(), gv89a);
}

TEST(GIFSubImage, ClearFrameDropsEverything) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    frame->PlaceFrame(1, 2, 3, 4);
    frame->LocalColors().AddColor(1);
    AddControl(frame)->SetUsesTransparency(true);
    frame->ClearFrame();
    EXPECT_TRUE(frame->IsEmpty());
    EXPECT_EQ(frame->Width(), 0);
    EXPECT_EQ(frame->Height(), 0);
    EXPECT_EQ(frame->ExtensionBlocks().Count(), 0);
    EXPECT_EQ(frame->ControlExtension(), nullptr);
    EXPECT_FALSE(frame->IsTransparent());
    EXPECT_TRUE(frame->LocalColors().IsEmpty());
}

TEST(GIFSubImage, AssignCopiesWithNewExtensionObjects) {
    TGIFImage image;
    TGIFSubImage* source = AppendFrame(image);
    source->PlaceFrame(2, 3, 2, 2);
    source->SetInterlaced(true);
    source->LocalColors().AddColor(5);
    source->LocalColors().AddColor(6);
    source->RowPointer(1)[1] = 1;
    TGIFGraphicControlExtension* gce = AddControl(source);
    gce->SetUsesTransparency(true);
    gce->SetTransparentIndex(1);
    gce->DelayTime = 42;
    auto comment = std::make_unique<TGIFCommentExtension>(source);
    comment->Lines = {"hello"};
    source->ExtensionBlocks().Add(std::move(comment));

    TGIFImage other;
    TGIFSubImage copy(&other);
    copy.Assign(source);
    EXPECT_EQ(copy.FrameRect(), source->FrameRect());
    EXPECT_TRUE(copy.IsInterlaced());
    EXPECT_TRUE(copy.IsTransparent());
    EXPECT_EQ(copy.PixelAt(1, 1), 1);
    EXPECT_EQ(copy.LocalColors().Count(), 2);
    ASSERT_EQ(copy.ExtensionBlocks().Count(), 2);
    ASSERT_NE(copy.ControlExtension(), nullptr);
    EXPECT_NE(copy.ControlExtension(), gce);
    EXPECT_EQ(copy.ControlExtension()->ParentFrame(), &copy);
    EXPECT_EQ(copy.ControlExtension()->DelayTime, 42);
    EXPECT_EQ(copy.ControlExtension()->TransparentIndex(), 1);
    auto* copiedComment = copy.FindExtension<TGIFCommentExtension>();
    ASSERT_NE(copiedComment, nullptr);
    EXPECT_THAT(copiedComment->Lines, ElementsAre("hello"));
    EXPECT_EQ(copy.CachedBitmap, nullptr) << "nothing rendered, nothing copied";
    source->RenderedBitmap();
    ASSERT_NE(source->CachedBitmap, nullptr);
    copy.Assign(source);
    ASSERT_NE(copy.CachedBitmap, nullptr) << "a rendered picture is copied along";
    EXPECT_NE(copy.CachedBitmap.get(), source->CachedBitmap.get());
}

TEST(GIFSubImage, AssigningAnEmptyFrameClearsIncludingExtensions) {
    TGIFImage image;
    TGIFSubImage* empty = AppendFrame(image);
    AddControl(empty);  // an empty frame with an extension
    TGIFSubImage target(&image);
    target.PlaceFrame(0, 0, 2, 2);
    AddControl(&target);
    target.Assign(empty);
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_EQ(target.ExtensionBlocks().Count(), 0);
    target.Assign(&target);  // self: nothing
    EXPECT_EQ(ErrorOf([&] { target.Assign(&image.GlobalColors()); }),
              "Cannot assign a TGIFGlobalColorMap to a TGIFSubImage");
}

TEST(GIFSubImage, LoopExtensionDefaults) {
    TGIFImage image;
    TGIFSubImage* frame = AppendFrame(image);
    TGIFAppExtNSLoop loop(frame);
    EXPECT_EQ(loop.AppIdentText(), "NETSCAPE2.0");
    EXPECT_EQ(loop.LoopCount, 0);
    EXPECT_EQ(loop.BufferSize, 0u);
    EXPECT_EQ(loop.RequiredVersion(), gv89a);
    TGIFUnknownAppExtension unknown(frame);
    EXPECT_EQ(unknown.AppIdentText(), std::string(11, '\0'));
    EXPECT_THAT(unknown.DataBlocks, IsEmpty());
}

TEST(GIFSubImage, ExtensionMovedToAnotherFrameBelongsToIt) {
    TGIFImage image;
    TGIFSubImage* a = AppendFrame(image);
    TGIFSubImage* b = AppendFrame(image);
    TGIFGraphicControlExtension* gce = AddControl(a);
    gce->SetUsesTransparency(true);
    b->ExtensionBlocks().Add(a->ExtensionBlocks().Extract(0));
    EXPECT_EQ(gce->ParentFrame(), b);
    EXPECT_EQ(a->ControlExtension(), nullptr);
    EXPECT_FALSE(a->IsTransparent());
    EXPECT_EQ(b->ControlExtension(), gce);
    EXPECT_TRUE(b->IsTransparent());
    delete a;  // the extension no longer reaches back into the freed frame
    image.Frames().Clear();
    EXPECT_EQ(image.Frames().Count(), 0);
}

TEST(GIFSubImage, FrameMovedToAnotherImageBelongsToIt) {
    TGIFImage first;
    TGIFImage second;
    second.GlobalColors().AddColor(MakeColor(5, 5, 5));
    TWarningCollector warnings(second);
    TGIFSubImage* frame = AppendFrame(first);
    frame->PlaceFrame(0, 0, 1, 1);
    TGIFGraphicControlExtension* gce = AddControl(frame);
    second.Frames().Add(first.Frames().Extract(0));
    EXPECT_EQ(frame->OwnerImage(), &second);
    EXPECT_EQ(gce->OwnerImage(), &second);
    EXPECT_EQ(frame->EffectiveColors(), &second.GlobalColors());
    gce->SetTransparentIndex(3);  // beyond the new image's one-entry table
    EXPECT_THAT(warnings.Texts(), ElementsAre("Invalid color index"));
}
