// Colour lookups and the fixed palettes they pair with.

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "color/ColorLookup.h"
#include "color/FixedPalettes.h"

namespace {

struct RGB {
    int r, g, b;
};

// Brute force: smallest sum of absolute differences, lowest index on ties.
int NearestBySad(const TPalette& p, RGB c) {
    int best = -1, bestDist = 1 << 30;
    for (int i = 0; i < p.Count(); ++i) {
        const int d = std::abs(c.r - p[i].red) + std::abs(c.g - p[i].green) + std::abs(c.b - p[i].blue);
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}

int Look(TColorLookup& l, RGB c, RGB* out = nullptr) {
    std::uint8_t r, g, b;
    const int i = l.Lookup(static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                           static_cast<std::uint8_t>(c.b), r, g, b);
    if (out) *out = {r, g, b};
    return i;
}

}  // namespace

TEST(ColorLookup, FastLookupDuplicateEntriesLowestIndexWins) {
    std::vector<TPaletteEntry> e(10, TPaletteEntry{250, 250, 250, 0});
    e[3] = e[7] = {10, 20, 30, 0};
    TPalette p(e);
    // Seeded cell of the colour itself.
    TFastColorLookup seeded(p);
    EXPECT_EQ(Look(seeded, {10, 20, 30}), 3);
    // A colour of another cell that is nearest to the duplicated pair: searched.
    TFastColorLookup searched(p);
    EXPECT_EQ(Look(searched, {60, 60, 60}), 3);
}

TEST(ColorLookup, FastLookupCachesPerCellWithoutNewSearch) {
    auto web = CreateWebSafePalette();
    TFastColorLookup lookup(*web);
    // (200, 100, 0) shares its cell with the entry (204, 102, 0), which seeded it.
    const int key = TFastColorLookup::CellKey(200, 100, 0);
    EXPECT_EQ(lookup.CachedIndex(key), 4 * 36 + 2 * 6);
    RGB got{};
    const int first = Look(lookup, {200, 100, 0}, &got);
    EXPECT_EQ(first, NearestBySad(*web, {200, 100, 0}));
    EXPECT_EQ(TFastColorLookup::CellKey(203, 102, 5), key);
    EXPECT_EQ(Look(lookup, {203, 102, 5}), first);
    // An unseeded cell is empty until its first colour has been searched.
    const int other = TFastColorLookup::CellKey(120, 20, 70);
    EXPECT_EQ(lookup.CachedIndex(other), -1);
    const int found = Look(lookup, {120, 20, 70});
    EXPECT_EQ(found, NearestBySad(*web, {120, 20, 70}));
    EXPECT_EQ(lookup.CachedIndex(other), found);
    EXPECT_EQ(got.r, (*web)[first].red);
    EXPECT_EQ(got.g, (*web)[first].green);
    EXPECT_EQ(got.b, (*web)[first].blue);
}

TEST(ColorLookup, FastLookupFirstColourOfCellDecides) {
    // Two entries whose nearest differs within one 5-5-5 cell (0..7 per channel):
    // the first colour that arrives fixes the answer for the whole cell.
    TPalette p({{0, 0, 0, 0}, {40, 40, 40, 0}, {7, 7, 7, 0}});
    {
        TFastColorLookup l(p);  // the cell of (0..7) was seeded by entry 0
        EXPECT_EQ(Look(l, {7, 7, 7}), 0);
    }
    TPalette q({{0, 0, 9, 0}, {9, 0, 0, 0}});  // neither seeds cell 0
    TFastColorLookup a(q), b(q);
    EXPECT_EQ(Look(a, {0, 0, 7}), 0);
    EXPECT_EQ(Look(a, {7, 0, 0}), 0) << "cached, though entry 1 is nearer";
    EXPECT_EQ(Look(b, {7, 0, 0}), 1);
    EXPECT_EQ(Look(b, {0, 0, 7}), 1);
}

TEST(ColorLookup, FastLookupFirstColoursMatchBruteForce) {
    std::mt19937 rng(5);
    std::vector<TPaletteEntry> e;
    for (int i = 0; i < 37; ++i)
        e.push_back({static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()), static_cast<std::uint8_t>(rng()), 0});
    e.push_back(e[4]);  // a duplicate: never chosen over index 4
    TPalette p(e);
    TFastColorLookup l(p);
    std::vector<bool> seen(32768, false);
    for (int i = 0; i < 5000; ++i) {
        const RGB c{static_cast<int>(rng() % 256), static_cast<int>(rng() % 256), static_cast<int>(rng() % 256)};
        const int key = TFastColorLookup::CellKey(static_cast<std::uint8_t>(c.r), static_cast<std::uint8_t>(c.g),
                                                  static_cast<std::uint8_t>(c.b));
        const bool seeded = l.CachedIndex(key) >= 0;
        RGB got{};
        const int have = Look(l, c, &got);
        if (!seeded && !seen[static_cast<std::size_t>(key)]) {
            EXPECT_EQ(have, NearestBySad(p, c)) << "colour " << i;
        }
        seen[static_cast<std::size_t>(key)] = true;
        EXPECT_NE(have, 37);
        EXPECT_EQ(got.r, p[have].red);
    }
}

TEST(ColorLookup, FastLookupPaletteCounts) {
    EXPECT_EQ(TFastColorLookup(nullptr).PaletteColorCount(), 0);
    EXPECT_EQ(TFastColorLookup(TPalette()).PaletteColorCount(), 0);
    EXPECT_EQ(TFastColorLookup(*CreateWindowsGrayPalette()).PaletteColorCount(), 4);
    std::vector<TPaletteEntry> big(300);
    EXPECT_EQ(TFastColorLookup(TPalette(big)).PaletteColorCount(), 256);
}

TEST(ColorLookup, NetscapeLevelsAreThresholdsNotRounding) {
    struct Case {
        int c, level;
    };
    for (const Case& k : {Case{0, 0}, Case{47, 0}, Case{48, 1}, Case{98, 1}, Case{99, 2}, Case{149, 2}, Case{150, 3},
                          Case{200, 3}, Case{201, 4}, Case{251, 4}, Case{252, 5}, Case{255, 5}}) {
        EXPECT_EQ(TNetscapeColorLookup::Level(static_cast<std::uint8_t>(k.c)), k.level) << "channel " << k.c;
    }
    TNetscapeColorLookup l;
    auto web = CreateWebSafePalette();
    EXPECT_EQ(l.PaletteColorCount(), 216);
    EXPECT_EQ(Look(l, {255, 255, 255}), 215);
    EXPECT_EQ(Look(l, {0, 0, 0}), 0);
    // The answered colour is exactly the web palette entry of the index.
    for (int v = 0; v < 256; v += 3) {
        RGB got{};
        const int i = Look(l, {v, 255 - v, (v * 7) % 256}, &got);
        ASSERT_LT(i, 216);
        EXPECT_EQ(got.r, (*web)[i].red) << v;
        EXPECT_EQ(got.g, (*web)[i].green) << v;
        EXPECT_EQ(got.b, (*web)[i].blue) << v;
    }
}

TEST(ColorLookup, GrayAndMonochromeLuminance) {
    TGrayScaleLookup grey;
    EXPECT_EQ(grey.PaletteColorCount(), 256);
    EXPECT_EQ(Look(grey, {255, 255, 255}), 255);
    EXPECT_EQ(Look(grey, {255, 0, 0}), 76);  // 255 * 77 / 256 = 76.7, truncated
    EXPECT_EQ(Look(grey, {0, 255, 0}), 149);
    RGB got{};
    EXPECT_EQ(Look(grey, {0, 0, 255}, &got), 28);
    EXPECT_EQ(got.r, 28);
    EXPECT_EQ(got.b, 28);

    TMonochromeLookup mono;
    EXPECT_EQ(mono.PaletteColorCount(), 2);
    EXPECT_EQ(Look(mono, {127, 127, 127}, &got), 0);
    EXPECT_EQ(got.r, 0);
    EXPECT_EQ(Look(mono, {128, 128, 128}, &got), 1);
    EXPECT_EQ(got.g, 255);
    // 32512 exactly is black, one more unit is white.
    EXPECT_EQ(Look(mono, {0, 216, 3}), 0);  // 150*216 + 29*3 = 32487
    EXPECT_EQ(Look(mono, {2, 216, 0}), 1);  // 77*2 + 150*216 = 32554
}

TEST(ColorLookup, MonochromeThresholdExhaustiveAgainstFormula) {
    TMonochromeLookup mono;
    for (int r = 0; r < 256; r += 5)
        for (int g = 0; g < 256; g += 3)
            for (int b = 0; b < 256; b += 17) {
                const int want = r * 77 + g * 150 + b * 29 > 32512 ? 1 : 0;
                ASSERT_EQ(Look(mono, {r, g, b}), want) << r << ',' << g << ',' << b;
            }
}

TEST(FixedPalettes, ContentsAndFlags) {
    auto web = CreateWebSafePalette();
    ASSERT_EQ(web->Count(), 216);
    EXPECT_EQ(web->Version(), 0x300);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                const TPaletteEntry want{static_cast<std::uint8_t>(51 * r), static_cast<std::uint8_t>(51 * g),
                                         static_cast<std::uint8_t>(51 * b), 0};
                EXPECT_EQ((*web)[r * 36 + g * 6 + b], want);
            }
    auto grey = CreateGrayScalePalette();
    ASSERT_EQ(grey->Count(), 256);
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        EXPECT_EQ((*grey)[i], (TPaletteEntry{v, v, v, PC_NOCOLLAPSE}));
    }
    auto mono = CreateMonochromePalette();
    ASSERT_EQ(mono->Count(), 2);
    EXPECT_EQ((*mono)[0], (TPaletteEntry{0, 0, 0, PC_NOCOLLAPSE}));
    EXPECT_EQ((*mono)[1], (TPaletteEntry{255, 255, 255, PC_NOCOLLAPSE}));
    auto wg = CreateWindowsGrayPalette();
    ASSERT_EQ(wg->Count(), 4);
    const int greys[] = {0, 128, 192, 255};
    for (int i = 0; i < 4; ++i) EXPECT_EQ((*wg)[i].green, greys[i]);

    auto w20 = CreateWindows20Palette();
    ASSERT_EQ(w20->Count(), 20);
    EXPECT_EQ((*w20)[8], (TPaletteEntry{192, 220, 192, 0}));
    EXPECT_EQ((*w20)[9], (TPaletteEntry{166, 202, 240, 0}));
    EXPECT_EQ((*w20)[10], (TPaletteEntry{255, 251, 240, 0}));
    EXPECT_EQ((*w20)[11], (TPaletteEntry{160, 160, 164, 0}));
    EXPECT_EQ((*w20)[19], (TPaletteEntry{255, 255, 255, 0}));

    auto half = CreateHalftoneScreenPalette();
    ASSERT_EQ(half->Count(), 256);
    for (int i = 0; i < 10; ++i) EXPECT_EQ((*half)[i], (*w20)[i]) << i;
    for (int i = 0; i < 10; ++i) EXPECT_EQ((*half)[246 + i], (*w20)[10 + i]) << i;
    EXPECT_EQ((*half)[10 + 215], (TPaletteEntry{255, 255, 255, 0}));
}
