// ReduceBitmapColors and CreateOptimizedPalette: each reduction kind, the
// failure cases that yield an empty bitmap, and the palettes' layouts.

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <random>
#include <set>

#include "color/ColorReduction.h"
#include "raster/GIFException.h"
#include "raster/SystemPalettes.h"

namespace {

TBitmap Picture(int width, int height, unsigned seed, TPixelFormat format = pf24bit) {
    TBitmap bmp(width, height, pf24bit);
    std::mt19937 rng(seed);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int n = static_cast<int>(rng() % 41) - 20;
            const auto r = static_cast<std::uint8_t>(std::clamp(x * 255 / std::max(width - 1, 1) + n, 0, 255));
            const auto g = static_cast<std::uint8_t>(std::clamp(y * 255 / std::max(height - 1, 1) - n, 0, 255));
            const auto b = static_cast<std::uint8_t>(std::clamp(128 + n * 3, 0, 255));
            bmp.SetPixel(x, y, RGBColor(r, g, b));
        }
    bmp.SetPixelFormat(format);
    return bmp;
}

// A plain reference of the whole reduction for one palette: serpentine order,
// full error arrays, nearest by the lookup rule given as a function.
template <class Nearest>
std::vector<int> Reference(const TBitmap& src, int divisor, const std::vector<std::array<int, 3>>& taps, Nearest nearest) {
    const int w = src.Width(), h = src.Height();
    std::vector<int> err(static_cast<std::size_t>(w * h * 3), 0), out(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        const int dir = y % 2 ? -1 : 1;
        for (int n = 0; n < w; ++n) {
            const int x = dir > 0 ? n : w - 1 - n;
            const TColorRef c = src.Pixel(x, y);
            const int in[3] = {RedOf(c), GreenOf(c), BlueOf(c)};
            int v[3];
            const std::size_t p = static_cast<std::size_t>(y * w + x);
            for (int k = 0; k < 3; ++k)
                v[k] = std::clamp(in[k] + (divisor ? (err[p * 3 + static_cast<std::size_t>(k)] + divisor / 2) / divisor : 0), 0, 255);
            int o[3];
            out[p] = nearest(v, o);
            for (const auto& t : taps) {
                const int xx = x + t[1] * dir, yy = y + t[0];
                if (xx < 0 || xx >= w || yy >= h) continue;
                for (int k = 0; k < 3; ++k) err[static_cast<std::size_t>((yy * w + xx) * 3 + k)] += (v[k] - o[k]) * t[2];
            }
        }
    }
    return out;
}

std::vector<int> IndicesOf(const TBitmap& b) {
    std::vector<int> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(static_cast<int>(b.Index(x, y)));
    return out;
}

}  // namespace

TEST(ColorReduction, NoneGivesA24BitCopyAndLeavesSourceAlone) {
    TBitmap src = Picture(5, 3, 1, pf32bit);
    const TBitmap before = src;
    auto out = ReduceBitmapColors(src, crNone, dkFloydSteinberg, 8);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->PixelFormat(), pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(out->Pixel(x, y), src.Pixel(x, y)) << x << ',' << y;
    EXPECT_EQ(src.PixelFormat(), pf32bit);
    EXPECT_EQ(std::vector<std::uint8_t>(src.Bits(), src.Bits() + src.BitsSize()),
              std::vector<std::uint8_t>(before.Bits(), before.Bits() + before.BitsSize()));
}

TEST(ColorReduction, FailuresGiveAnEmptyBitmap) {
    const TBitmap src = Picture(4, 4, 2);
    struct Case {
        int kind, dither;
        const TPalette* palette;
        const char* what;
    };
    const TPalette empty;
    for (const Case& c : {Case{11, 0, nullptr, "kind 11"}, Case{255, 1, nullptr, "kind 255"},
                          Case{crFitted, 7, nullptr, "fitted, dither 7"},
                          Case{crWebSafe, 7, nullptr, "dither 7"}, Case{crQuantize, 200, nullptr, "dither 200"},
                          Case{crCustomPalette, 0, nullptr, "no custom palette"},
                          Case{crCustomPalette, 1, &empty, "empty custom palette"}}) {
        auto out = ReduceBitmapColors(src, static_cast<TColorReductionKind>(c.kind), static_cast<TDitherKind>(c.dither), 8,
                                      c.palette);
        ASSERT_TRUE(out) << c.what;
        EXPECT_TRUE(out->Empty()) << c.what;
    }
}

TEST(ColorReduction, QuantizeRejectsBitsOutsideRange) {
    const TBitmap src = Picture(4, 4, 3);
    EXPECT_THROW(ReduceBitmapColors(src, crQuantize, dkNearest, 0), GIFException);
    EXPECT_THROW(ReduceBitmapColors(src, crQuantize, dkNearest, 9), GIFException);
    try {
        ReduceBitmapColors(src, crQuantize, dkNearest, 9);
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid Bits Per Pixel value");
    }
    auto out = ReduceBitmapColors(src, crQuantize, dkNearest, 2);
    EXPECT_EQ(out->Palette().Count(), 4);
}

TEST(ColorReduction, EveryKindYieldsEightBitsWithItsPalette) {
    const TBitmap src = Picture(17, 9, 4);
    TPalette custom({{1, 2, 3, 0}, {250, 10, 10, 0}, {10, 250, 10, 0}});
    struct Case {
        TColorReductionKind kind;
        int paletteCount;
    };
    for (const Case& c : {Case{crWindows20, 20}, Case{crWindowsHalftone, 256}, Case{crWindowsGray, 4},
                          Case{crMonochrome, 2}, Case{crGrayScale, 256}, Case{crWebSafe, 216}, Case{crQuantize, 64},
                          Case{crQuantizeWindows, 256}, Case{crCustomPalette, 3}}) {
        for (int d = 0; d <= 6; ++d) {
            auto out = ReduceBitmapColors(src, c.kind, static_cast<TDitherKind>(d), 6, &custom);
            ASSERT_FALSE(out->Empty()) << "kind " << int(c.kind) << " dither " << d;
            EXPECT_EQ(out->PixelFormat(), pf8bit);
            EXPECT_EQ(out->Width(), 17);
            EXPECT_EQ(out->Height(), 9);
            EXPECT_EQ(out->Palette().Count(), c.paletteCount) << "kind " << int(c.kind);
            for (int i : IndicesOf(*out)) ASSERT_LT(i, c.paletteCount) << "kind " << int(c.kind) << " dither " << d;
        }
    }
    // The caller keeps its palette.
    EXPECT_EQ(custom.Count(), 3);
}

TEST(ColorReduction, MonochromeUsesOnlyIndexesZeroAndOne) {
    const TBitmap src = Picture(40, 20, 5);
    for (int d = 0; d <= 6; ++d) {
        auto out = ReduceBitmapColors(src, crMonochrome, static_cast<TDitherKind>(d), 8);
        std::set<int> used;
        for (int i : IndicesOf(*out)) used.insert(i);
        EXPECT_EQ(used, (std::set<int>{0, 1})) << "dither " << d;
    }
}

TEST(ColorReduction, WebSafeAndFastLookupMatchReference) {
    const std::vector<std::array<int, 3>> fs = {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}};
    const std::vector<std::array<int, 3>> burkes = {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4},
                                                    {1, 0, 8}, {1, 1, 4}, {1, 2, 2}};
    for (int width : {1, 2, 3, 31}) {
        const TBitmap src = Picture(width, 6, static_cast<unsigned>(width));
        auto web = [](const int v[3], int o[3]) {
            int index = 0;
            for (int k = 0; k < 3; ++k) {
                const int level = (v[k] + 3) / 51;
                o[k] = level * 51;
                index = index * 6 + level;
            }
            return index;
        };
        EXPECT_EQ(IndicesOf(*ReduceBitmapColors(src, crWebSafe, dkNearest, 8)), Reference(src, 0, {}, web)) << width;
        EXPECT_EQ(IndicesOf(*ReduceBitmapColors(src, crWebSafe, dkFloydSteinberg, 8)), Reference(src, 16, fs, web)) << width;
        EXPECT_EQ(IndicesOf(*ReduceBitmapColors(src, crWebSafe, dkBurkes, 8)), Reference(src, 32, burkes, web)) << width;

        // The fixed 20 colours through the 5-5-5 cell cache: the first colour of a
        // cell (in serpentine order) decides it.
        const auto& stat = StaticColorEntries();
        std::map<int, int> cells;
        auto fast = [&](const int v[3], int o[3]) {
            const int key = ((v[2] >> 3) << 10) + ((v[1] >> 3) << 5) + (v[0] >> 3);
            auto it = cells.find(key);
            if (it == cells.end()) {
                int best = 0, bestDist = 1 << 30;
                for (int i = 0; i < 20; ++i) {
                    const auto& e = stat[static_cast<std::size_t>(i)];
                    const int d = std::abs(v[0] - e.red) + std::abs(v[1] - e.green) + std::abs(v[2] - e.blue);
                    if (d < bestDist) bestDist = d, best = i;
                }
                it = cells.emplace(key, best).first;
            }
            const auto& e = stat[static_cast<std::size_t>(it->second)];
            o[0] = e.red, o[1] = e.green, o[2] = e.blue;
            return it->second;
        };
        // Seed the cells the palette's own colours occupy, lowest index first.
        auto seed = [&] {
            cells.clear();
            for (int i = 0; i < 20; ++i) {
                const auto& e = stat[static_cast<std::size_t>(i)];
                cells.emplace(((e.blue >> 3) << 10) + ((e.green >> 3) << 5) + (e.red >> 3), i);
            }
        };
        seed();
        EXPECT_EQ(IndicesOf(*ReduceBitmapColors(src, crWindows20, dkNearest, 8)), Reference(src, 0, {}, fast)) << width;
        seed();
        EXPECT_EQ(IndicesOf(*ReduceBitmapColors(src, crWindows20, dkFloydSteinberg, 8)), Reference(src, 16, fs, fast))
            << width;
    }
}

TEST(ColorReduction, SourceFormatsReduceAlike) {
    const TBitmap src = Picture(23, 7, 6);
    TBitmap b32 = src;
    b32.SetPixelFormat(pf32bit);
    for (int d = 0; d <= 6; ++d) {
        const auto a = ReduceBitmapColors(src, crQuantize, static_cast<TDitherKind>(d), 5);
        const auto b = ReduceBitmapColors(b32, crQuantize, static_cast<TDitherKind>(d), 5);
        EXPECT_EQ(IndicesOf(*a), IndicesOf(*b)) << "dither " << d;
        EXPECT_EQ(a->Palette(), b->Palette());
    }
    // A paletted source is read through its palette's colours.
    TBitmap pal = src;
    pal.SetPixelFormat(pf8bit);
    TBitmap back = pal;
    back.SetPixelFormat(pf24bit);
    EXPECT_EQ(IndicesOf(*ReduceBitmapColors(pal, crGrayScale, dkStucki, 8)),
              IndicesOf(*ReduceBitmapColors(back, crGrayScale, dkStucki, 8)));
}

TEST(ColorReduction, OptimizedPaletteLayouts) {
    TBitmap few(4, 1, pf24bit);
    few.SetPixel(0, 0, RGBColor(255, 0, 0));
    few.SetPixel(1, 0, RGBColor(0, 0, 255));
    few.SetPixel(2, 0, RGBColor(0, 255, 0));
    few.SetPixel(3, 0, RGBColor(0, 0, 255));
    auto p = CreateOptimizedPalette(few, 8, 8, false);
    ASSERT_EQ(p->Count(), 8);
    // Octree order: blue (child 1), green (2), red (4); then black padding.
    EXPECT_EQ((*p)[0], (TPaletteEntry{0, 0, 255, 0}));
    EXPECT_EQ((*p)[1], (TPaletteEntry{0, 255, 0, 0}));
    EXPECT_EQ((*p)[2], (TPaletteEntry{255, 0, 0, 0}));
    for (int i = 3; i < 8; ++i) EXPECT_EQ((*p)[i], (TPaletteEntry{})) << i;

    auto w = CreateOptimizedPalette(Picture(64, 64, 7), 256, 8, true);
    ASSERT_EQ(w->Count(), 256);
    const auto& stat = StaticColorEntries();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ((*w)[i], stat[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ((*w)[246 + i], stat[static_cast<std::size_t>(10 + i)]) << i;
    }
    // A noisy picture has more than 236 colours: every adaptive slot is used.
    std::set<std::tuple<int, int, int>> adaptive;
    for (int i = 10; i < 246; ++i) adaptive.insert({(*w)[i].red, (*w)[i].green, (*w)[i].blue});
    EXPECT_GT(adaptive.size(), 200u);

    // A smaller count with the static colours still gives the full layout.
    EXPECT_EQ(CreateOptimizedPalette(few, 16, 8, true)->Count(), 256);
}

TEST(ColorReduction, EmptySourceGivesEmptyResult) {
    const TBitmap empty;
    EXPECT_TRUE(ReduceBitmapColors(empty, crWebSafe, dkFloydSteinberg, 8)->Empty());
    EXPECT_TRUE(ReduceBitmapColors(empty, crNone, dkFloydSteinberg, 8)->Empty());
}

// Narrow and wide pictures through every kind and engine: the guard cells take
// every sideways write (run under the address sanitizer too).
TEST(ColorReduction, NarrowAndWidePicturesStayInBounds) {
    for (int width : {1, 2, 3, 2048}) {
        for (int height : {1, 4}) {
            const TBitmap src = Picture(width, height, static_cast<unsigned>(width + height));
            for (int kind = crWindows20; kind <= crQuantizeWindows; ++kind)
                for (int d = 0; d <= 6; ++d) {
                    auto out = ReduceBitmapColors(src, TColorReductionKind(kind), TDitherKind(d), 4);
                    ASSERT_EQ(out->Width(), width);
                    ASSERT_EQ(out->Height(), height);
                    const int count = out->Palette().Count();
                    for (int i : IndicesOf(*out)) ASSERT_LT(i, count) << "kind " << kind << " dither " << d;
                }
        }
    }
}
