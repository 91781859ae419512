// A run of true-colour pictures made into frames: what they show is what
// the pictures show (exactly, for few colours), what does not change stays
// pixel-identical, nothing drawn shows nothing, and the file stores only
// what changes.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "gif/GIFImage.h"
#include "painter/ClipEncoder.h"
#include "painter/ShownFrames.h"

namespace {

using TPicture = std::vector<std::uint32_t>;

// The RGBA of a composed frame as packed pixels, kClear where nothing shows.
TPicture Packed(const std::vector<std::uint8_t>& rgba) {
    TPicture out;
    for (std::size_t i = 0; i < rgba.size(); i += 4)
        out.push_back(rgba[i + 3] ? std::uint32_t(rgba[i]) << 16 | std::uint32_t(rgba[i + 1]) << 8 | rgba[i + 2] : kClear);
    return out;
}

// A 64 x 48 picture: a square of `square` at x over a two-colour field.
TPicture Scene(int x, std::uint32_t square) {
    TPicture p(64 * 48);
    for (int y = 0; y < 48; ++y)
        for (int i = 0; i < 64; ++i)
            p[std::size_t(y * 64 + i)] = (i >= x && i < x + 10 && y >= 10 && y < 20) ? square : (y < 24 ? 0x2040A0u : 0x20A040u);
    return p;
}

}  // namespace

TEST(ClipEncoder, FewColoursShowExactlyAndStillPixelsStayIdentical) {
    std::vector<TPicture> pictures{Scene(0, 0xFF0000), Scene(5, 0xFF0000), Scene(5, 0xFF0000), Scene(30, 0xFFFF00)};
    TClipSampler sampler;
    for (const TPicture& p : pictures) sampler.Add(p);
    TGIFImage image;
    TClipEncoder encoder(image, 64, 48, TClipColors{}, sampler.Palette(TClipColors{}));
    for (const TPicture& p : pictures) encoder.Add(p, 7);
    encoder.Finish();
    ASSERT_EQ(image.Frames().Count(), 4);
    const painter_test::Frames shown = painter_test::ShownAfterSaving(image);
    ASSERT_EQ(shown.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(Packed(shown[i]), pictures[i]) << "frame " << i;
    for (int i = 0; i < 4; ++i) EXPECT_EQ(image.Frames()[i]->ControlExtension()->DelayTime, 7);
    // Only what changes is stored: the repeated picture draws nothing.
    const TGIFSubImage& repeated = *image.Frames()[2];
    const TGIFGraphicControlExtension* control = repeated.ControlExtension();
    ASSERT_TRUE(control && control->UsesTransparency());
    for (int i = 0; i < repeated.Width() * repeated.Height(); ++i)
        ASSERT_EQ(repeated.PixelData()[i], control->TransparentIndex());
    EXPECT_LT(image.Frames()[1]->Width(), 64);
}

TEST(ClipEncoder, NoisyStillAreasDoNotShimmerAndNewColoursGetAPalette) {
    // A gradient with a little noise frame to frame; then a scene in new colours.
    auto gradient = [](int noise) {
        TPicture p(64 * 48);
        for (std::size_t i = 0; i < p.size(); ++i) {
            const int v = int(i % 64) * 4 + ((int(i) * 7 + noise) % 3) - 1;
            p[i] = std::uint32_t(std::clamp(v, 0, 255)) * 0x010101u;
        }
        return p;
    };
    TClipSampler sampler;
    sampler.Add(gradient(0));
    TGIFImage image;
    TClipEncoder encoder(image, 64, 48, TClipColors{}, sampler.Palette(TClipColors{}));
    encoder.Add(gradient(0), 10);
    encoder.Add(gradient(1), 10);
    TPicture red(64 * 48);
    for (std::size_t i = 0; i < red.size(); ++i) red[i] = std::uint32_t(i % 64 * 4) << 16;
    encoder.Add(red, 10);
    EXPECT_EQ(encoder.OwnPalettes(), 1);
    encoder.Finish();
    const painter_test::Frames shown = painter_test::Shown(image);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0], shown[1]) << "noise made the screen change";
    const TPicture last = Packed(shown[2]);
    for (std::size_t i = 0; i < red.size(); ++i)
        ASSERT_LE(ColorDistance(last[i], red[i]), 12) << "pixel " << i;
}

TEST(ClipEncoder, NothingDrawnShowsNothingAfterSomethingWasShown) {
    TPicture first(16 * 16, 0x00FF00), second(16 * 16, 0x00FF00);
    for (int i = 0; i < 16 * 8; ++i) second[std::size_t(i)] = kClear;
    TGIFImage image;
    TClipEncoder encoder(image, 16, 16, TClipColors{}, {});
    encoder.Add(first, 5);
    encoder.Add(second, 5);
    encoder.Finish();
    const painter_test::Frames shown = painter_test::ShownAfterSaving(image);
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(Packed(shown[0]), first);
    EXPECT_EQ(Packed(shown[1]), second);
}

TEST(ClipEncoder, AStillWithTransparencyKeepsItWithinTheColoursAsked) {
    TPicture still(32 * 32);
    for (std::size_t i = 0; i < still.size(); ++i) still[i] = i % 32 < 4 ? kClear : std::uint32_t(i * 2654435761u >> 8);
    TGIFImage image;
    EncodeStill(image, still, 32, 32, TClipColors{16, false});
    const painter_test::Frames shown = painter_test::ShownAfterSaving(image);
    ASSERT_EQ(shown.size(), 1u);
    const TPicture got = Packed(shown[0]);
    std::set<std::uint32_t> colours;
    for (std::size_t i = 0; i < still.size(); ++i) {
        ASSERT_EQ(got[i] == kClear, still[i] == kClear) << "pixel " << i;
        if (got[i] != kClear) colours.insert(got[i]);
    }
    EXPECT_LE(colours.size(), 15u);
}
