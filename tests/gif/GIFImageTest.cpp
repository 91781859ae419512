// The document: defaults, size setters, settings checks, frame management,
// copying, cache release with table promotion, palettes and painter stopping.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "support/FrameBuilders.h"
#include "gif/GIFPainterHost.h"
#include "gif/GIFImage.h"
#include "support/ErrorText.h"
#include "raster/Bitmap.h"
#include "raster/Palette.h"
#include "support/WarningCollector.h"

using ::testing::ElementsAre;

namespace {

}  // namespace

TEST(GIFImage, NewImageDefaults) {
    TGIFImage image;
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_EQ(image.PaintOptions(), 0x060F);
    EXPECT_EQ(image.ColorReductionKind, crWebSafe);
    EXPECT_EQ(image.ReductionBits(), 8);
    EXPECT_EQ(image.DitherKind, dkNearest);
    EXPECT_EQ(image.Encoding, encLZW);
    EXPECT_EQ(image.AnimationSpeed, 100);
    EXPECT_EQ(image.PaintBackground, 0x1FFFFFFFu);
    EXPECT_EQ(image.PaintPriority, tpNormal);
    EXPECT_EQ(image.ActivePainter, nullptr);
    EXPECT_EQ(image.FileVersion(), gvUnknown);
    EXPECT_TRUE(image.Equals(&image));
}

TEST(GIFImage, WidthAndHeightSettersRefuseToCutFramesAndKeepOldValue) {
    TGIFImage image;
    AddPlacedFrame(image, 10, 20, 100, 30);  // spans columns 10..109, rows 20..49
    int changes = 0;
    image.OnChange = [&](TPersistent*) { ++changes; };
    EXPECT_EQ(ErrorOf([&] { image.SetWidth(99); }), "Image width too small for contained frames");
    EXPECT_EQ(image.Width(), 110);
    EXPECT_EQ(ErrorOf([&] { image.SetHeight(49); }), "Image height too small for contained frames");
    EXPECT_EQ(image.Height(), 50);
    EXPECT_EQ(changes, 0);
    image.SetWidth(110);
    EXPECT_EQ(changes, 0) << "same value: no notification";
    image.SetWidth(200);
    image.SetHeight(50);
    EXPECT_EQ(image.Width(), 200);
    EXPECT_EQ(changes, 1);
}

TEST(GIFImage, ReductionBitsOutsideRangeRaisesAndKeepsValue) {
    TGIFImage image;
    for (int bad : {2, 9, -1, 0}) {
        EXPECT_EQ(ErrorOf([&] { image.SetReductionBits(bad); }), "Invalid Bits Per Pixel value") << bad;
        EXPECT_EQ(image.ReductionBits(), 8);
    }
    image.SetReductionBits(3);
    EXPECT_EQ(image.ReductionBits(), 3);
}

TEST(GIFImage, AddFrameOfUnsupportedObjectRaisesAndAddsNothing) {
    TGIFImage image;
    TGIFImage other;
    EXPECT_EQ(ErrorOf([&] { image.AddFrame(other.GlobalColors()); }), "Object type not supported for operation");
    EXPECT_EQ(ErrorOf([&] { image.AddFrame(std::unique_ptr<TGIFSubImage>()); }),
              "Object type not supported for operation");
    EXPECT_EQ(image.Frames().Count(), 0);
}

TEST(GIFImage, AddFrameTakesTheFrameAndNotifies) {
    TGIFImage image;
    TGIFImage other;
    int changes = 0;
    image.OnChange = [&](TPersistent* sender) {
        EXPECT_EQ(sender, &image);
        ++changes;
    };
    auto frame = std::make_unique<TGIFSubImage>(&other);  // made for another image
    TGIFSubImage* raw = frame.get();
    EXPECT_EQ(image.AddFrame(std::move(frame)), 0);
    EXPECT_EQ(raw->OwnerImage(), &image);
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(image.Empty());
}

TEST(GIFImage, AssignFromImageCopiesAndLeavesHandlersEmpty) {
    TGIFImage source;
    source.GlobalColors().AddColor(MakeColor(1, 2, 3));
    source.GlobalColors().AddColor(MakeColor(4, 5, 6));
    source.Header().BackgroundIndex = 1;
    source.Header().AspectRatio = 49;
    TGIFSubImage* frame = AddPlacedFrame(source, 1, 1, 2, 2);
    frame->RowPointer(0)[1] = 1;
    AddPlacedFrame(source, 0, 0, 1, 1);
    source.SetPaintOptions(0x0003);
    source.PaintBackground = 0x123456;
    source.ColorReductionKind = crQuantize;
    source.DitherKind = dkBurkes;
    source.SetReductionBits(4);
    source.Encoding = encRLE;
    source.AnimationSpeed = 50;
    std::vector<TProgressCollector::TEntry> copying;
    source.OnProgress = [&](TPersistent*, TProgressStage stage, int percent, bool redraw, const TRect&,
                            const std::string& text) { copying.push_back({stage, percent, redraw, text}); };

    TGIFImage target;
    int ownWarnings = 0;
    target.OnWarn = [&](TPersistent*, int, const std::string&) { ++ownWarnings; };
    target.OnProgress = [](TPersistent*, TProgressStage, int, bool, const TRect&, const std::string&) {};
    target.Assign(&source);

    EXPECT_FALSE(target.OnWarn) << "warning handler left empty";
    EXPECT_FALSE(target.OnProgress) << "progress handler left empty";
    ASSERT_EQ(target.Frames().Count(), 2);
    EXPECT_NE(target.Frames()[0], source.Frames()[0]);
    EXPECT_EQ(target.Frames()[0]->PixelAt(1, 0), 1);
    EXPECT_EQ(target.Frames()[0]->OwnerImage(), &target);
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(target.Header().BackgroundIndex, 1);
    EXPECT_EQ(target.Header().AspectRatio, 49);
    EXPECT_EQ(target.GlobalColors().GetColor(1), MakeColor(4, 5, 6));
    EXPECT_EQ(target.PaintOptions(), 0x0003);
    EXPECT_EQ(target.PaintBackground, 0x123456u);
    EXPECT_EQ(target.ColorReductionKind, crQuantize);
    EXPECT_EQ(target.DitherKind, dkBurkes);
    EXPECT_EQ(target.ReductionBits(), 8) << "not copied";
    EXPECT_EQ(target.Encoding, encLZW) << "not copied";
    EXPECT_EQ(target.AnimationSpeed, 100) << "not copied";
    EXPECT_THAT(copying, ElementsAre(TProgressCollector::TEntry{psStarting, 0, false, "Copying..."},
                                     TProgressCollector::TEntry{psRunning, 0, false, "Copying..."},
                                     TProgressCollector::TEntry{psRunning, 50, false, "Copying..."},
                                     TProgressCollector::TEntry{psEnding, 100, false, "Copying..."}));
}

TEST(GIFImage, AssignFromNothingClearsAndFromUnrelatedTypeRaises) {
    TGIFImage image;
    AddPlacedFrame(image, 0, 0, 2, 2);
    image.Assign(&image);
    EXPECT_EQ(image.Frames().Count(), 1) << "self assignment does nothing";
    image.Assign(nullptr);
    EXPECT_TRUE(image.Empty());
    AddPlacedFrame(image, 0, 0, 2, 2);
    TGIFImage other;
    EXPECT_EQ(ErrorOf([&] { image.Assign(&other.Header()); }), "Cannot assign a TGIFHeader to a TGIFSubImage");
    EXPECT_EQ(image.Frames().Count(), 0) << "the half-built frame is freed";
}

TEST(GIFImage, ClearImageKeepsBackgroundAspectAndOptions) {
    TGIFImage image;
    image.Header().BackgroundIndex = 3;
    image.Header().AspectRatio = 17;
    image.GlobalColors().AddColor(1);
    image.SetPaintOptions(0x0001);
    AddPlacedFrame(image, 0, 0, 5, 5);
    image.ClearImage();
    EXPECT_TRUE(image.Empty());
    EXPECT_EQ(image.Width(), 0);
    EXPECT_EQ(image.Height(), 0);
    EXPECT_TRUE(image.GlobalColors().IsEmpty());
    EXPECT_EQ(image.Header().BackgroundIndex, 3);
    EXPECT_EQ(image.Header().AspectRatio, 17);
    EXPECT_EQ(image.PaintOptions(), 0x0001);
}

TEST(GIFImage, ReleaseCachesPromotesALoneLocalTable) {
    TGIFImage image;
    TGIFSubImage* frame = AddPlacedFrame(image, 0, 0, 2, 2);
    for (int i = 0; i < 4; ++i) frame->LocalColors().AddColor(MakeColor(std::uint8_t(i), 0, 0));
    image.ReleaseCaches();
    EXPECT_EQ(image.GlobalColors().Count(), 4);
    EXPECT_EQ(image.GlobalColors().GetColor(3), MakeColor(3, 0, 0));
    EXPECT_TRUE(frame->LocalColors().IsEmpty());
    EXPECT_EQ(frame->EffectiveColors(), &image.GlobalColors());
}

TEST(GIFImage, ReleaseCachesLeavesTablesWithTwoFramesOrAGlobalTable) {
    TGIFImage image;
    for (int f = 0; f < 2; ++f) AddPlacedFrame(image, 0, 0, 1, 1)->LocalColors().AddColor(1);
    image.ReleaseCaches();
    EXPECT_TRUE(image.GlobalColors().IsEmpty());

    TGIFImage single;
    single.GlobalColors().AddColor(7);
    AddPlacedFrame(single, 0, 0, 1, 1)->LocalColors().AddColor(1);
    single.ReleaseCaches();
    EXPECT_EQ(single.GlobalColors().GetColor(0), 7u);
    EXPECT_EQ(single.Frames()[0]->LocalColors().Count(), 1);
}

TEST(GIFImage, VersionAndDepthsFollowTheFrames) {
    TGIFImage image;
    for (int i = 0; i < 3; ++i) image.GlobalColors().AddColor(TColor(i));  // depth 2
    TGIFSubImage* a = AddPlacedFrame(image, 0, 0, 1, 1);
    EXPECT_EQ(image.FileVersion(), gv87a);
    EXPECT_EQ(image.MaxBitDepth(), 2);
    EXPECT_EQ(image.MaxResolutionBits(), 1);
    for (int i = 0; i < 20; ++i) a->LocalColors().AddColor(TColor(i));  // depth 5
    EXPECT_EQ(image.MaxBitDepth(), 5);
    EXPECT_EQ(image.MaxResolutionBits(), 4);
    image.GlobalColors().SetSorted(true);
    EXPECT_EQ(image.FileVersion(), gv87a) << "a sorted global table alone stays 87a";
    TGIFSubImage* b = AddPlacedFrame(image, 0, 0, 1, 1);
    b->ExtensionBlocks().Add(std::make_unique<TGIFGraphicControlExtension>(b));
    EXPECT_EQ(image.FileVersion(), gv89a);
}

TEST(GIFImage, PaletteComesFromGlobalTableOrFirstFrame) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    EXPECT_EQ(image.Palette(), nullptr) << "no frames, no table";
    TGIFSubImage* frame = AddPlacedFrame(image, 0, 0, 1, 1);
    frame->LocalColors().AddColor(MakeColor(9, 9, 9));
    const TPalette* fromFrame = image.Palette();
    ASSERT_NE(fromFrame, nullptr);
    EXPECT_EQ(fromFrame->Count(), 1);
    image.GlobalColors().AddColor(1);
    image.GlobalColors().AddColor(2);
    ASSERT_NE(image.Palette(), nullptr);
    EXPECT_EQ(image.Palette()->Count(), 2) << "global table change drops the cached palette";
}

TEST(GIFImage, PaletteWithoutAnyTableIsRefusedInsteadOfRecursing) {
    TGIFImage image;
    image.SetPaintOptions(image.PaintOptions() & ~PaintOptionBit(poDither));
    AddPlacedFrame(image, 0, 0, 1, 1);
    EXPECT_EQ(ErrorOf([&] { image.Palette(); }), "No global or local color table defined");
}

TEST(GIFImage, DitheringImageUsesTheWebPalette) {
    TGIFImage image;
    image.SetPaintOptions(PaintOptionBit(poDither));  // dither without auto: always
    ASSERT_TRUE(image.ShouldDither());
    ASSERT_NE(image.Palette(), nullptr);
    EXPECT_EQ(image.Palette()->Count(), 216);
    TGIFSubImage* frame = AddPlacedFrame(image, 0, 0, 1, 1);
    ASSERT_NE(frame->PaletteHandle(), nullptr);
    EXPECT_EQ(frame->PaletteHandle()->Count(), 216);
    image.SetPaintOptions(PaintOptionBit(poDither) | PaintOptionBit(poAutoDither));
    TGIFSettings::PaletteDevice = false;
    EXPECT_FALSE(image.ShouldDither());
}

namespace {
// A painter stand-in: a threaded one leaves the list some pump calls after Stop.
class TFakePainter : public TGIFPainterBase {
public:
    TFakePainter(TGIFImage& image, bool threaded) : image_(&image), threaded_(threaded) {
        image.PainterList().Add(this);
    }
    void Stop() override {
        ++stops;
        if (!threaded_) image_->PainterList().Remove(this);
    }
    bool IsThreaded() const override { return threaded_; }
    void DetachImage() override {
        detached = true;
        image_ = nullptr;
    }
    void Finish() {
        if (image_) image_->PainterList().Remove(this);
    }
    int stops = 0;
    bool detached = false;

private:
    TGIFImage* image_;
    bool threaded_;
};
}  // namespace

TEST(GIFImage, StopPaintingWaitsForThreadedPaintersThroughThePump) {
    TGIFImage image;
    TFakePainter plain(image, false);
    TFakePainter threaded(image, true);
    int pumps = 0;
    {
        const TGIFPainterHostScope host({.SynchronizePump = [&] {
            if (++pumps == 3) threaded.Finish();  // its last synchronised call runs here
            return true;
        }});
        image.StopPainting();
    }
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(image.PainterList().Count(), 0);
    EXPECT_EQ(plain.stops, 1);
    EXPECT_GE(threaded.stops, 3) << "asked again on every round";
}

TEST(GIFImage, StopPaintingGivesUpOnQuit) {
    TGIFImage image;
    TFakePainter threaded(image, true);
    {
        const TGIFPainterHostScope host({.SynchronizePump = [] { return false; }});
        image.StopPainting();
    }
    EXPECT_EQ(image.PainterList().Count(), 1);
    threaded.Finish();
}

TEST(GIFImage, DestroyingTheImageDetachesRemainingPainters) {
    auto image = std::make_unique<TGIFImage>();
    TFakePainter threaded(*image, true);
    {
        const TGIFPainterHostScope host({.SynchronizePump = [] { return false; }});  // the painter never finishes
        image.reset();
    }
    EXPECT_TRUE(threaded.detached);
}

TEST(GIFImage, PaintOptionChangeStopsTheActivePainter) {
    TGIFImage image;
    TFakePainter painter(image, false);
    image.ActivePainter = &painter;
    image.SetPaintOptions(image.PaintOptions());
    EXPECT_EQ(painter.stops, 0) << "unchanged options";
    image.SetPaintOptions(0);
    EXPECT_EQ(painter.stops, 1);
    EXPECT_EQ(image.ActivePainter, nullptr);
}

TEST(GIFImage, WarningsCarryTheReportingSender) {
    TGIFImage image;
    TWarningCollector warnings(image);
    TGIFSubImage* frame = AddPlacedFrame(image, 0, 0, 1, 1);
    frame->LocalColors().AddColor(1);
    frame->LocalColors().GetColor(5);
    ASSERT_EQ(warnings.Entries().size(), 1u);
    EXPECT_EQ(warnings.Entries()[0].sender, &frame->LocalColors()) << "the table itself reports";
    EXPECT_EQ(warnings.Entries()[0].severity, 1);
}

TEST(GIFImage, PaletteChangesDropCachedPicturesWithOtherColours) {
    TGIFImage image;
    image.SetPaintOptions(0);
    TGIFSubImage* frame = AddPlacedFrame(image, 0, 0, 2, 2);
    frame->LocalColors().AddColor(MakeColor(1, 2, 3));
    int changes = 0;
    image.OnChange = [&](TPersistent*) { ++changes; };

    frame->CachedBitmap.reset(new TBitmap(2, 2, pf8bit));
    frame->CachedBitmap->SetPalette(TPalette({{1, 2, 3, PC_NOCOLLAPSE}}));
    ASSERT_NE(frame->PaletteHandle(), nullptr);
    EXPECT_EQ(frame->PaletteHandle(), &frame->CachedBitmap->Palette()) << "the rendered bitmap's palette first";
    frame->ReplacePalette(std::make_unique<TPalette>(std::vector<TPaletteEntry>{{1, 2, 3, PC_NOCOLLAPSE}}));
    EXPECT_NE(frame->CachedBitmap, nullptr) << "same colours: the picture stays";
    EXPECT_EQ(changes, 0);
    frame->LocalColors().SetColor(0, MakeColor(9, 9, 9));  // drops the frame's palette
    EXPECT_EQ(frame->CachedBitmap, nullptr);
    EXPECT_TRUE(image.PaletteModified);
    EXPECT_EQ(changes, 1);

    image.FlatBitmap.reset(new TBitmap(2, 2, pf8bit));
    image.GlobalColors().AddColor(1);  // drops the image palette and with it the flat picture
    EXPECT_EQ(image.FlatBitmap, nullptr);
    EXPECT_EQ(changes, 2);
}
