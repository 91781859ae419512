// The fitted palette: exact where few colours are, close where many are,
// the same for the same pixels; the nearest-colour cache answers as the
// plain search does.

#include <gtest/gtest.h>

#include <random>

#include "color/PaletteFit.h"

namespace {

int Distance(std::uint32_t a, std::uint32_t b) {
    int d = 0;
    for (int shift : {16, 8, 0}) {
        const int c = int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF);
        d += c * c;
    }
    return d;
}

TEST(PaletteFit, FewColoursComeOutExactly) {
    TColorHistogram one;
    one.Add(0x123456, 1000);
    EXPECT_EQ(FitPalette(one, 255), std::vector<std::uint32_t>{0x123456});
    TColorHistogram two;
    two.Add(0xFF0000, 3);
    two.Add(0x0000FF, 1);
    EXPECT_EQ(FitPalette(two, 255), (std::vector<std::uint32_t>{0x0000FF, 0xFF0000}));
    EXPECT_TRUE(FitPalette(TColorHistogram{}, 16).empty());
}

TEST(PaletteFit, ManyColoursStayWithinTheTableAndCloseToEveryPixel) {
    TColorHistogram histogram;
    std::vector<std::uint32_t> pixels;
    for (int i = 0; i < 257; ++i) pixels.push_back(std::uint32_t(i * 4 % 256) << 16 | std::uint32_t(i) % 256 << 8 | 77);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) pixels.push_back(std::uint32_t(x * 4) << 16 | std::uint32_t(y * 4) << 8 | std::uint32_t(x + y));
    for (std::uint32_t p : pixels) histogram.Add(p);
    const std::vector<std::uint32_t> palette = FitPalette(histogram, 256);
    ASSERT_LE(palette.size(), 256u);
    EXPECT_GT(palette.size(), 200u);
    TNearestColor nearest(palette);
    double error = 0;
    for (std::uint32_t p : pixels) error += Distance(p, palette[std::size_t(nearest.Index(p))]);
    // 4,353 colours over 256 entries: about 16 pixels' spread each.
    EXPECT_LT(error / double(pixels.size()) / 3, 25.0) << "mean squared error per channel";
    // Equal input, equal palette.
    EXPECT_EQ(FitPalette(histogram, 256), palette);
    // Allowing more error takes fewer colours.
    EXPECT_LT(FitPalette(histogram, 256, 60).size(), palette.size() / 2);
}

TEST(PaletteFit, TheCacheAnswersWhatTheSearchDoes) {
    std::mt19937 random(7);
    std::vector<std::uint32_t> palette;
    for (int i = 0; i < 40; ++i) palette.push_back(random() & 0xFFFFFF);
    TNearestColor nearest(palette);
    for (int i = 0; i < 20000; ++i) {
        const std::uint32_t rgb = random() & 0xFFFFFF;
        int best = 0;
        for (std::size_t k = 1; k < palette.size(); ++k)
            if (Distance(rgb, palette[k]) < Distance(rgb, palette[std::size_t(best)])) best = int(k);
        ASSERT_EQ(nearest.Index(rgb), best);
        ASSERT_EQ(nearest.Index(rgb), best) << "cached";
    }
}

}  // namespace
