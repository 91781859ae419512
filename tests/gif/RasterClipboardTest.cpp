// Clipboard data of an image: the bitmap and the whole GIF file, and loading
// either back.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ColorMapTestSupport.h"
#include "gif/GIFClipboard.h"
#include "gif/GIFImage.h"
#include "support/ErrorText.h"

namespace {

// Three 2x2 frames with local tables, the second one transparent.
void MakeAnimation(TGIFImage& image) {
    const TColor colours[3][2] = {{MakeColor(255, 0, 0), MakeColor(0, 0, 0)},
                                  {MakeColor(0, 255, 0), MakeColor(9, 9, 9)},
                                  {MakeColor(0, 0, 255), MakeColor(1, 2, 3)}};
    for (int f = 0; f < 3; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 2, 2);
        frame->LocalColors().AddColor(colours[f][0]);
        frame->LocalColors().AddColor(colours[f][1]);
        for (int i = 0; i < 4; ++i) frame->PixelData()[i] = static_cast<std::uint8_t>((i + f) % 2);
        auto gce = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        gce->DelayTime = static_cast<std::uint16_t>(10 * (f + 1));
        if (f == 1) {
            gce->SetUsesTransparency(true);
            gce->SetTransparentIndex(1);
        }
        frame->ExtensionBlocks().Add(std::move(gce));
        image.AddFrame(std::move(frame));
    }
}

TEST(RasterClipboard, EmptyImageGivesNoData) {
    TGIFImage image;
    TGIFClipboardData data;
    data.gif = {1, 2, 3};
    image.SaveToClipboardFormat(data);
    EXPECT_FALSE(data.HasGIF());
    EXPECT_FALSE(data.HasBitmap());
}

TEST(RasterClipboard, GifDataCarriesTheWholeAnimation) {
    TGIFImage image;
    MakeAnimation(image);
    TGIFClipboardData data;
    image.SaveToClipboardFormat(data);
    ASSERT_TRUE(data.HasGIF());
    ASSERT_TRUE(data.HasBitmap());
    EXPECT_EQ(data.bitmap.Pixel(0, 0), MakeColor(255, 0, 0)) << "the bitmap shows the first frame";
    EXPECT_EQ(std::string(data.gif.begin(), data.gif.begin() + 6), "GIF89a");

    TGIFImage pasted;
    pasted.LoadFromClipboardFormat(GIFClipboardFormat, &data);
    ASSERT_EQ(pasted.Frames().Count(), 3);
    EXPECT_EQ(VisibleColors(pasted), VisibleColors(image));
    for (int f = 0; f < 3; ++f) {
        ASSERT_NE(pasted.Frames()[f]->ControlExtension(), nullptr) << "frame " << f;
        EXPECT_EQ(pasted.Frames()[f]->ControlExtension()->DelayTime, 10 * (f + 1)) << "frame " << f;
    }
}

TEST(RasterClipboard, BitmapDataBecomesOneFrame) {
    TGIFClipboardData data;
    data.bitmap = TBitmap(3, 2, pf8bit);
    data.bitmap.SetPalette(TPalette({{10, 20, 30, 0}, {40, 50, 60, 0}}));
    data.bitmap.SetIndex(2, 1, 1);
    TGIFImage image;
    MakeAnimation(image);
    image.LoadFromClipboardFormat(BitmapClipboardFormat, &data);
    ASSERT_EQ(image.Frames().Count(), 1);
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 2);
    TGIFSubImage* frame = image.Frames()[0];
    EXPECT_EQ(frame->EffectiveColors()->GetColor(frame->PixelAt(2, 1)), MakeColor(40, 50, 60));
    EXPECT_EQ(frame->EffectiveColors()->GetColor(frame->PixelAt(0, 0)), MakeColor(10, 20, 30));
}

TEST(RasterClipboard, OtherFormatsAndMissingDataAreRefused) {
    TGIFImage image;
    TGIFClipboardData data;
    EXPECT_EQ(ErrorOf([&] { image.LoadFromClipboardFormat("Text", &data); }), "Unsupported clipboard format");
    EXPECT_EQ(ErrorOf([&] { image.LoadFromClipboardFormat(GIFClipboardFormat, &data); }),
              "Unsupported clipboard format");
    EXPECT_EQ(ErrorOf([&] { image.LoadFromClipboardFormat(BitmapClipboardFormat, nullptr); }),
              "Unsupported clipboard format")
        << "no data and no clipboard reader";
}

TEST(RasterClipboard, WithoutDataTheInstalledReaderIsAsked) {
    TGIFImage source;
    MakeAnimation(source);
    TGIFClipboardData onClipboard;
    source.SaveToClipboardFormat(onClipboard);
    std::vector<std::string> asked;
    SetGIFClipboardReader([&](const std::string& format, TGIFClipboardData& data) {
        asked.push_back(format);
        data = onClipboard;
        return true;
    });
    TGIFImage image;
    image.LoadFromClipboardFormat(GIFClipboardFormat, nullptr);
    SetGIFClipboardReader(nullptr);
    EXPECT_EQ(asked, std::vector<std::string>{GIFClipboardFormat});
    EXPECT_EQ(image.Frames().Count(), 3);
}

TEST(RasterClipboard, DamagedGifDataLeavesTheImageAsItWas) {
    TGIFImage image;
    MakeAnimation(image);
    const auto before = VisibleColors(image);
    TGIFClipboardData data;
    data.gif = {'G', 'I', 'F', '8', '9'};  // cut inside the signature
    EXPECT_NE(ErrorOf([&] { image.LoadFromClipboardFormat(GIFClipboardFormat, &data); }), "no error");
    EXPECT_EQ(image.Frames().Count(), 3);
    EXPECT_EQ(VisibleColors(image), before);
}
}  // namespace
