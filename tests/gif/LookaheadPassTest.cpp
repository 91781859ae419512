// The pass that parses the usual encoder's data again looking strings ahead:
// each frame keeps the shorter data and every pixel, and the pass gives up
// on animations where it does not pay, looking again now and then.

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"
#include "gif/KeptImageData.h"
#include "gif/LZW.h"
#include "gif/LookaheadPass.h"

namespace {

constexpr int kWidth = 64, kHeight = 48;

// Diagonal bands, which the slower parse writes a fifth shorter, and a
// pattern it writes longer; `shift` makes each frame its own.
std::vector<std::uint8_t> Picture(bool paying, int shift) {
    std::vector<std::uint8_t> pixels(std::size_t(kWidth) * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            pixels[std::size_t(y) * kWidth + std::size_t(x)] =
                std::uint8_t(paying ? (x / 3 + y / 2 + shift) % 7 : (x + (y * y) / 3 + shift) % 9);
    return pixels;
}

// Frames kept with the usual encoder's data, as the optimiser leaves them.
void AddFrames(TGIFImage& image, const std::vector<bool>& paying) {
    image.Header().ScreenWidth = kWidth;
    image.Header().ScreenHeight = kHeight;
    for (int i = 0; i < 16; ++i) image.GlobalColors().AddColor(MakeColor(std::uint8_t(i * 16), 0, 0));
    for (std::size_t f = 0; f < paying.size(); ++f) {
        auto owned = std::make_unique<TGIFSubImage>(&image);
        TGIFSubImage& frame = *owned;
        image.Frames().Add(std::move(owned));
        frame.PlaceFrame(0, 0, kWidth, kHeight);
        const std::vector<std::uint8_t> pixels = Picture(paying[f], int(f));
        std::copy(pixels.begin(), pixels.end(), frame.PixelData());
        TMemoryStream usual;
        EncodeImageDataOnce(usual, encLZW, 4, 16, frame.PixelData(), false, kHeight, kWidth);
        frame.KeepImageData(JoinedImageData(usual.Data(), std::size_t(usual.Size())), TEncodedWith{4, 16});
    }
}

std::int64_t Encoded(const TGIFSubImage& frame, bool lookingAhead) {
    TMemoryStream data;
    if (lookingAhead) EncodeImageDataLookingAhead(data, 4, 16, frame.PixelData(), false, kHeight, kWidth);
    else EncodeImageDataOnce(data, encLZW, 4, 16, frame.PixelData(), false, kHeight, kWidth);
    return data.Size();
}

std::vector<std::uint8_t> Saved(TGIFImage& image) {
    TMemoryStream out;
    image.SaveToStream(out);
    return {out.Data(), out.Data() + out.Size()};
}

TEST(LookaheadPass, EachFrameKeepsTheShorterDataAndEveryPixel) {
    TGIFImage probe;
    AddFrames(probe, {true, false});
    ASSERT_LT(Encoded(*probe.Frames()[0], true), Encoded(*probe.Frames()[0], false)) << "bands must pay";
    ASSERT_GT(Encoded(*probe.Frames()[1], true), Encoded(*probe.Frames()[1], false)) << "the other must not";

    const std::vector<bool> paying = {true, false, true, true, false, true, false, true};
    TGIFImage image, again;
    AddFrames(image, paying);
    AddFrames(again, paying);
    EXPECT_EQ(ParseAheadWherePaying(image), 5);
    ParseAheadWherePaying(again);
    EXPECT_EQ(Saved(image), Saved(again)) << "the same whichever core finishes first";

    for (int f = 0; f < image.Frames().Count(); ++f) {
        const TGIFSubImage& frame = *image.Frames()[f];
        ASSERT_NE(frame.KeptData(), nullptr);
        EXPECT_EQ(frame.KeptData()->Size(), std::min(Encoded(frame, true), Encoded(frame, false))) << f;
        // Marked, so saving writes it as it is.
        EXPECT_TRUE(frame.KeptData()->EncodedWith(encLZW, 4, 16)) << f;
        EXPECT_EQ(frame.KeptDataSize(), frame.KeptData()->Size()) << "it holds the pixels, frame " << f;
    }
    const std::vector<std::uint8_t> saved = Saved(image);
    TGIFImage reloaded;
    TMemoryStream in(saved.data(), saved.size());
    reloaded.LoadFromStream(in);
    ASSERT_EQ(reloaded.Frames().Count(), int(paying.size()));
    for (int f = 0; f < reloaded.Frames().Count(); ++f) {
        const std::vector<std::uint8_t> pixels = Picture(paying[std::size_t(f)], f);
        EXPECT_TRUE(std::equal(pixels.begin(), pixels.end(), reloaded.Frames()[f]->PixelData())) << f;
    }
}

TEST(LookaheadPass, StopsWhereItDoesNotPayAndLooksAgainNowAndThen) {
    // Forty frames it writes longer, then thirty it writes shorter.
    std::vector<bool> paying(70, false);
    std::fill(paying.begin() + 40, paying.end(), true);
    TGIFImage image;
    AddFrames(image, paying);
    ParseAheadWherePaying(image);
    auto shortened = [&](int f) {
        const TGIFSubImage& frame = *image.Frames()[f];
        return frame.KeptData()->Size() < Encoded(frame, false);
    };
    // Not tried after it stopped paying, until the next frame it looks at again.
    for (int f = 40; f < 64; ++f) EXPECT_FALSE(shortened(f)) << f;
    // That frame pays, and so it goes on (from the next pair of frames,
    // decided once the probe's pair is done).
    EXPECT_TRUE(shortened(64));
    for (int f = 66; f < 70; ++f) EXPECT_TRUE(shortened(f)) << f;
}

TEST(LookaheadPass, LeavesOtherEncodingsAndOtherDataAlone) {
    TGIFImage image;
    AddFrames(image, {true, true});
    image.Encoding = encRLE;  // asked for by name
    const std::int64_t before = image.Frames()[0]->KeptData()->Size();
    EXPECT_EQ(ParseAheadWherePaying(image), 0);
    EXPECT_EQ(image.Frames()[0]->KeptData()->Size(), before);

    // Data kept from a file that no longer holds the pixels is replaced by
    // the encoders' own.
    image.Encoding = encLZW;
    image.Frames()[1]->PixelData()[0] ^= 1;
    image.Frames()[1]->KeepImageData(image.Frames()[0]->KeptData()->Data());
    ParseAheadWherePaying(image);
    const TGIFSubImage& changed = *image.Frames()[1];
    EXPECT_EQ(changed.KeptData()->Size(), std::min(Encoded(changed, true), Encoded(changed, false)));
    EXPECT_GE(changed.KeptDataSize(), 0);
}

}  // namespace
