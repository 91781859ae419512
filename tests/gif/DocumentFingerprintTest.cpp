// The document's digest: the same for animations that save the same, and
// different after any change that would be saved.
#include "gif/DocumentFingerprint.h"

#include <gtest/gtest.h>

#include <functional>

#include "gif/GIFImage.h"
#include "support/FrameBuilders.h"

namespace {
std::unique_ptr<TGIFImage> Sample() {
    auto image = std::make_unique<TGIFImage>();
    image->GlobalColors().AddColor(0x000000);
    image->GlobalColors().AddColor(0xFFFFFF);
    for (int i = 0; i < 2; ++i) {
        TGIFSubImage* frame = AddPlacedFrame(*image, 0, 0, 3, 2);
        frame->PixelData()[i] = 1;
        AddExtension<TGIFGraphicControlExtension>(frame)->DelayTime = 10;
    }
    return image;
}
} // namespace

TEST(DocumentFingerprint, EveryChangeThatWouldBeSavedShows) {
    const std::uint64_t original = DocumentFingerprint(*Sample());
    EXPECT_EQ(DocumentFingerprint(*Sample()), original) << "the same animation, the same digest";
    const struct {
        const char* what;
        std::function<void(TGIFImage&)> change;
    } changes[] = {
        {"a pixel", [](TGIFImage& i) { i.Frames()[1]->PixelData()[5] = 1; }},
        {"a delay", [](TGIFImage& i) { i.Frames()[0]->ControlExtension()->DelayTime = 11; }},
        {"a place", [](TGIFImage& i) { i.Frames()[0]->SetLeft(1); }},
        {"interlacing", [](TGIFImage& i) { i.Frames()[0]->SetInterlaced(true); }},
        {"a colour", [](TGIFImage& i) { i.GlobalColors().SetColor(1, 0xFFFFFE); }},
        {"a local table", [](TGIFImage& i) { i.Frames()[1]->LocalColors().AddColor(0x123456); }},
        {"a comment", [](TGIFImage& i) { AddExtension<TGIFCommentExtension>(i.Frames()[0]); }},
        {"the screen", [](TGIFImage& i) { i.Header().ScreenWidth = 9; }},
        {"the frames' order", [](TGIFImage& i) { i.Frames().Move(0, 1); }},
    };
    for (const auto& c : changes) {
        auto image = Sample();
        c.change(*image);
        EXPECT_NE(DocumentFingerprint(*image), original) << c.what;
    }
}

TEST(DocumentFingerprint, PixelsNotYetAllocatedCountAsZeros) {
    TGIFImage a;
    TGIFSubImage* frame = AppendFrame(a);
    frame->PlaceFrame(0, 0, 4, 4);
    frame->ReleasePixels();
    const std::uint64_t unallocated = DocumentFingerprint(a);
    frame->AllocatePixels(); // zeros, as reading them would make them
    EXPECT_EQ(DocumentFingerprint(a), unallocated);
    frame->PixelData()[3] = 2;
    EXPECT_NE(DocumentFingerprint(a), unallocated);
}
