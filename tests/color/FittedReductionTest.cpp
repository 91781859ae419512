// The fitted reduction of true-colour pictures: exact where the picture
// has few colours, close where it has many, the same every time, flat areas
// left flat, and pixels the screen already shows kept.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <set>

#include "color/ColorReduction.h"
#include "color/FittedReduction.h"

namespace {

TBitmap Picture(int width, int height, const std::function<std::uint32_t(int, int)>& color) {
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = color(x, y);
            std::uint8_t* p = bitmap.ScanLine(y) + 3 * x;
            p[0] = std::uint8_t(c), p[1] = std::uint8_t(c >> 8), p[2] = std::uint8_t(c >> 16);
        }
    return bitmap;
}

std::uint32_t Shown(const TBitmap& reduced, int x, int y) {
    const TPaletteEntry& e = reduced.Palette().Entries()[reduced.ScanLine(y)[x]];
    return std::uint32_t(e.red) << 16 | std::uint32_t(e.green) << 8 | e.blue;
}

double WorstChannelError(const TBitmap& source, const TBitmap& reduced) {
    double worst = 0;
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x) {
            const std::uint8_t* p = source.ScanLine(y) + 3 * x;
            const std::uint32_t got = Shown(reduced, x, y);
            worst = std::max({worst, std::abs(double(p[2]) - double(got >> 16 & 0xFF)),
                              std::abs(double(p[1]) - double(got >> 8 & 0xFF)), std::abs(double(p[0]) - double(got & 0xFF))});
        }
    return worst;
}

}  // namespace

TEST(FittedReduction, FewColoursComeOutExactlyAndManyWithinTheTable) {
    struct Case {
        const char* what;
        std::function<std::uint32_t(int, int)> color;
        std::size_t entries;  // at most
        double worst;         // channel error at most
    };
    const Case cases[] = {
        {"one colour", [](int, int) { return 0x336699u; }, 1, 0},
        {"two colours", [](int x, int) { return x < 20 ? 0xFF0000u : 0x0000FFu; }, 2, 0},
        // Reds 0..255 and one green: cells of four reds are met by their means.
        {"257 colours",
         [](int x, int y) {
             const int k = (y * 40 + x) % 257;
             return k == 256 ? 0x008000u : std::uint32_t(k) << 16;
         },
         256, 2},
    };
    for (const Case& c : cases) {
        const TBitmap source = Picture(40, 40, c.color);
        for (TDitherKind dither : {dkNearest, dkFloydSteinberg}) {
            const auto reduced = ReduceBitmapColors(source, crFitted, dither, 8);
            ASSERT_EQ(reduced->PixelFormat(), pf8bit) << c.what;
            EXPECT_LE(reduced->Palette().Count(), int(c.entries)) << c.what;
            EXPECT_LE(WorstChannelError(source, *reduced), c.worst) << c.what << ", dither " << int(dither);
        }
    }
}

TEST(FittedReduction, EqualInputGivesEqualOutputAndFlatAreasStayFlat) {
    // A photo-like mix: a gradient across, noise-free, beside a large flat area
    // whose colour sits between palette entries at 16 colours.
    const TBitmap source = Picture(200, 100, [](int x, int y) {
        if (x >= 100) return 0x7F7F80u;
        return std::uint32_t(x * 2) << 16 | std::uint32_t(y * 2) << 8 | std::uint32_t(255 - x);
    });
    const auto a = ReduceBitmapColors(source, crFitted, dkFloydSteinberg, 4);
    const auto b = ReduceBitmapColors(source, crFitted, dkFloydSteinberg, 4);
    ASSERT_EQ(a->Palette().Count(), b->Palette().Count());
    std::set<int> flat;
    for (int y = 0; y < 100; ++y) {
        EXPECT_EQ(0, std::memcmp(a->ScanLine(y), b->ScanLine(y), 200)) << "row " << y;
        for (int x = 100; x < 200; ++x) flat.insert(a->ScanLine(y)[x]);
    }
    EXPECT_EQ(flat.size(), 1u) << "the flat area was dithered";
    EXPECT_LE(a->Palette().Count(), 16);
}

TEST(FittedReduction, PixelsTheScreenShowsAreKeptAndNothingStaysNothing) {
    const std::vector<std::uint32_t> palette{0x000000, 0xFFFFFF};
    TNearestColor nearest(palette);
    // Screen: grey; picture: grey + 3 (kept), white (drawn), nothing (kept).
    const std::vector<std::uint32_t> screen{0x808080, 0x808080, 0x808080, kClear};
    const std::vector<std::uint32_t> picture{0x838383, 0xFFFFFF, kClear, kClear};
    std::vector<std::uint8_t> out(4);
    TPaletteMapping mapping;
    mapping.Screen = screen.data();
    mapping.KeepIndex = 2;
    EXPECT_EQ(MapToPalette(picture.data(), 4, 1, nearest, mapping, out.data()), 3u);
    EXPECT_EQ(out, (std::vector<std::uint8_t>{2, 1, 2, 2}));
    // Without a keep index nothing is kept: the grey takes its nearest entry.
    mapping.KeepIndex = -1;
    MapToPalette(picture.data(), 4, 1, nearest, mapping, out.data());
    EXPECT_EQ(out[0], 1);
}

TEST(PaletteSearch, AgreesWithAFullSearchWithAndWithoutHints) {
    std::vector<std::uint32_t> palette;
    std::uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    for (int i = 0; i < 200; ++i) palette.push_back(next() >> 8 & 0xFFFFFF);
    palette.push_back(palette[7]);  // a tie: the lower index wins
    const TPaletteSearch search(palette);
    for (int n = 0; n < 20000; ++n) {
        const std::uint32_t rgb = next() >> 8 & 0xFFFFFF;
        int best = 0;
        for (std::size_t k = 1; k < palette.size(); ++k)
            if (ColorDistance(rgb, palette[k]) < ColorDistance(rgb, palette[std::size_t(best)])) best = int(k);
        ASSERT_EQ(search.Nearest(rgb), best);
        ASSERT_EQ(search.Nearest(rgb, n % int(palette.size())), best);
    }
    EXPECT_EQ(search.Nearest(palette[7], 200), 7);
}
