// The error-diffusion engines against the kernel table, written out here a
// second time, and against a plain two-dimensional reference implementation.

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "color/DitherEngine.h"

namespace {

struct Tap {
    int line, offset, weight;
};
struct TKernelCase {
    std::string name;
    int divisor;
    std::vector<Tap> taps;
};

// The kernels as published: line 0 is the current line, offsets along the scan.
const std::vector<TKernelCase>& Kernels() {
    static const std::vector<TKernelCase> k = {
        {"FloydSteinberg", 16, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}},
        {"Stucki", 42, {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
                        {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}},
        {"Sierra", 32, {{0, 1, 5}, {0, 2, 3}, {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
                        {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}},
        {"JaJuNi", 48, {{0, 1, 7}, {0, 2, 5}, {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
                        {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}},
        {"SteveArche", 200, {{0, 2, 32}, {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16}, {2, -2, 12}, {2, 0, 26},
                             {2, 2, 12}, {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}},
        {"Burkes", 32, {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}},
    };
    return k;
}

std::unique_ptr<TDitherEngine> MakeEngine(const std::string& name, int width, TColorLookup& lookup) {
    if (name == "FloydSteinberg") return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    if (name == "Stucki") return std::make_unique<TStuckiDitherer>(width, lookup);
    if (name == "Sierra") return std::make_unique<TSierraDitherer>(width, lookup);
    if (name == "JaJuNi") return std::make_unique<TJaJuNiDitherer>(width, lookup);
    if (name == "SteveArche") return std::make_unique<TSteveArcheDitherer>(width, lookup);
    if (name == "Burkes") return std::make_unique<TBurkesDitherer>(width, lookup);
    return std::make_unique<TDitherEngine>(width, lookup);
}

// Answers exactly the wanted colour (no error) except on one chosen call, where
// it answers the wanted colour minus `drop` on every channel. Records every
// wanted colour it was asked for.
class TInjectingLookup final : public TColorLookup {
public:
    TInjectingLookup(int injectAt, int drop) : TColorLookup(256), injectAt_(injectAt), drop_(drop) {}
    int Lookup(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
               std::uint8_t& b) override {
        wanted.push_back({red, green, blue});
        const int d = calls_++ == injectAt_ ? drop_ : 0;
        r = static_cast<std::uint8_t>(red - d);
        g = static_cast<std::uint8_t>(green - d);
        b = static_cast<std::uint8_t>(blue - d);
        return red;
    }
    std::vector<std::array<int, 3>> wanted;

private:
    int injectAt_, drop_, calls_ = 0;
};

// Column visited at step n of line y in serpentine order.
int SerpentineColumn(int y, int n, int width) { return y % 2 == 0 ? n : width - 1 - n; }

struct Visit {
    int x, y;
};

// Runs `height` lines of a uniform colour through the engine; answers the
// visit order and records what the lookup saw.
std::vector<Visit> RunUniform(TDitherEngine& engine, int width, int height, std::uint8_t value) {
    std::vector<Visit> visits;
    std::uint8_t r, g, b;
    for (int y = 0; y < height; ++y) {
        for (int n = 0; n < width; ++n) {
            EXPECT_EQ(engine.Column(), SerpentineColumn(y, n, width)) << "line " << y << " step " << n;
            visits.push_back({engine.Column(), y});
            engine.Dither(value, value, value, r, g, b);
        }
        engine.FinishLine();
    }
    return visits;
}

int MaxWeight(const TKernelCase& k) {
    int m = 0;
    for (const Tap& t : k.taps) m = std::max(m, t.weight);
    return m;
}

}  // namespace

// One error of exactly D at one pixel: every later pixel's wanted value rises by
// its kernel weight (D*w rounds to w), and by nothing anywhere else. Checked on
// lines running both ways and at both edges, for narrow and wide lines.
TEST(DitherEngine, SingleErrorLandsWithKernelWeights) {
    for (const TKernelCase& k : Kernels()) {
        const int base = 255 - MaxWeight(k);
        for (int width : {1, 2, 3, 4, 7, 12}) {
            const int height = 6;
            for (int injectLine : {0, 1, 2}) {
                for (int injectStep : {0, width / 2, width - 1}) {
                    const int injectAt = injectLine * width + injectStep;
                    TInjectingLookup lookup(injectAt, k.divisor);
                    auto engine = MakeEngine(k.name, width, lookup);
                    const std::vector<Visit> visits = RunUniform(*engine, width, height, static_cast<std::uint8_t>(base));
                    ASSERT_EQ(lookup.wanted.size(), visits.size());

                    const Visit at = visits[static_cast<std::size_t>(injectAt)];
                    const int dir = injectLine % 2 == 0 ? 1 : -1;
                    std::map<std::pair<int, int>, int> want;  // (x, y) -> weight
                    for (const Tap& t : k.taps) {
                        const int x = at.x + t.offset * dir;
                        const int y = at.y + t.line;
                        if (x >= 0 && x < width && y < height) want[{x, y}] += t.weight;
                    }
                    for (std::size_t i = 0; i < visits.size(); ++i) {
                        const auto it = want.find({visits[i].x, visits[i].y});
                        const int w = it == want.end() ? 0 : it->second;
                        for (int c = 0; c < 3; ++c)
                            EXPECT_EQ(lookup.wanted[i][static_cast<std::size_t>(c)] - base, w)
                                << k.name << " width " << width << " error at (" << at.x << ',' << at.y << ") pixel ("
                                << visits[i].x << ',' << visits[i].y << ") channel " << c;
                    }
                }
            }
        }
    }
}

// A straightforward reference: whole-picture error arrays, serpentine scan,
// explicit bounds tests instead of guard cells.
std::vector<int> ReferenceDither(const TKernelCase* k, const std::vector<std::uint8_t>& rgb, int width, int height,
                                 TColorLookup& lookup) {
    std::vector<int> err(static_cast<std::size_t>(width * height * 3), 0);
    std::vector<int> out(static_cast<std::size_t>(width * height));
    for (int y = 0; y < height; ++y) {
        const int dir = y % 2 == 0 ? 1 : -1;
        for (int n = 0; n < width; ++n) {
            const int x = dir > 0 ? n : width - 1 - n;
            const std::size_t p = static_cast<std::size_t>(y * width + x);
            int v[3];
            for (int c = 0; c < 3; ++c) {
                int value = rgb[p * 3 + static_cast<std::size_t>(c)];
                if (k) value += (err[p * 3 + static_cast<std::size_t>(c)] + k->divisor / 2) / k->divisor;
                v[c] = std::clamp(value, 0, 255);
            }
            std::uint8_t o[3];
            out[p] = lookup.Lookup(static_cast<std::uint8_t>(v[0]), static_cast<std::uint8_t>(v[1]),
                                   static_cast<std::uint8_t>(v[2]), o[0], o[1], o[2]);
            if (!k) continue;
            for (const Tap& t : k->taps) {
                const int xx = x + t.offset * dir, yy = y + t.line;
                if (xx < 0 || xx >= width || yy >= height) continue;
                for (int c = 0; c < 3; ++c)
                    err[static_cast<std::size_t>((yy * width + xx) * 3 + c)] += (v[c] - o[c]) * t.weight;
            }
        }
    }
    return out;
}

std::vector<int> EngineDither(TDitherEngine& engine, const std::vector<std::uint8_t>& rgb, int width, int height) {
    std::vector<int> out(static_cast<std::size_t>(width * height), -1);
    std::uint8_t r, g, b;
    for (int y = 0; y < height; ++y) {
        for (int n = 0; n < width; ++n) {
            const std::size_t p = static_cast<std::size_t>(y * width + engine.Column());
            out[p] = engine.Dither(rgb[p * 3], rgb[p * 3 + 1], rgb[p * 3 + 2], r, g, b);
        }
        engine.FinishLine();
    }
    return out;
}

std::vector<std::uint8_t> NoisePicture(int width, int height, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width * height * 3));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c) {
                // Gradient plus noise, with some extremes to exercise clamping.
                const int v = (x * 255) / std::max(width - 1, 1) / (c + 1) + static_cast<int>(rng() % 61) - 30;
                rgb[static_cast<std::size_t>((y * width + x) * 3 + c)] = static_cast<std::uint8_t>(std::clamp(v, 0, 255));
            }
    return rgb;
}

TEST(DitherEngine, MatchesReferenceOnNoisyPictures) {
    std::vector<const TKernelCase*> kernels = {nullptr};
    for (const TKernelCase& k : Kernels()) kernels.push_back(&k);
    for (const TKernelCase* k : kernels) {
        const std::string name = k ? k->name : "Nearest";
        for (int width : {1, 2, 3, 5, 64, 301}) {
            const int height = width > 64 ? 9 : 7;
            const auto rgb = NoisePicture(width, height, static_cast<unsigned>(width * 7 + 1));
            // Both the arithmetic web lookup and a small arbitrary palette.
            TNetscapeColorLookup web;
            TPalette small({{0, 0, 0, 0}, {255, 255, 255, 0}, {200, 30, 30, 0}, {30, 200, 90, 0}, {40, 40, 220, 0}});
            TFastColorLookup fastEngine(small), fastReference(small);
            TMonochromeLookup mono;

            struct Case {
                TColorLookup* engineLookup;
                TColorLookup* referenceLookup;
                const char* what;
            };
            for (const Case& c : {Case{&web, &web, "web"}, Case{&fastEngine, &fastReference, "fast"},
                                  Case{&mono, &mono, "mono"}}) {
                auto engine = MakeEngine(name, width, *c.engineLookup);
                const auto have = EngineDither(*engine, rgb, width, height);
                const auto want = ReferenceDither(k, rgb, width, height, *c.referenceLookup);
                for (std::size_t i = 0; i < want.size(); ++i)
                    ASSERT_EQ(have[i], want[i]) << name << ' ' << c.what << " width " << width << " pixel " << i;
            }
        }
    }
}

TEST(DitherEngine, UniformPaletteColourGivesNoErrorAndOneIndex) {
    TNetscapeColorLookup web;
    for (const char* name : {"Nearest", "FloydSteinberg", "Stucki", "Sierra", "JaJuNi", "SteveArche", "Burkes"}) {
        auto engine = MakeEngine(name, 9, web);
        std::vector<std::uint8_t> rgb(9 * 4 * 3);
        for (std::size_t i = 0; i < rgb.size(); i += 3) {
            rgb[i] = 102;
            rgb[i + 1] = 204;
            rgb[i + 2] = 51;
        }
        for (int index : EngineDither(*engine, rgb, 9, 4)) EXPECT_EQ(index, 2 * 36 + 4 * 6 + 1) << name;
    }
}

TEST(DitherEngine, MidGreyOverBlackAndWhiteIsHalfAndHalf) {
    TMonochromeLookup mono;
    TFloydSteinbergDitherer engine(64, mono);
    std::vector<std::uint8_t> rgb(64 * 64 * 3, 128);
    const auto out = EngineDither(engine, rgb, 64, 64);
    int white = 0;
    for (int v : out) white += v;
    EXPECT_NEAR(white, 64 * 64 / 2, 64) << "white pixels";
}

TEST(DitherEngine, RoundingOfAccumulatedErrorNearTheDivisor) {
    // An obtained colour 8 below the wanted one leaves +8*7 = 56 for the next
    // pixel: (56 + 8) / 16 = 4. An error of +8 total rounds up, -8 does not.
    struct Case {
        int drop;      // wanted - obtained at the first pixel
        int wantNext;  // wanted value of the second pixel on a base of 100
    };
    for (const Case& c : {Case{8, 100 + (8 * 7 + 8) / 16}, Case{-8, 100 + (-8 * 7 + 8) / 16}, Case{1, 100 + (7 + 8) / 16},
                          Case{2, 100 + (14 + 8) / 16}, Case{-2, 100 + (-14 + 8) / 16}, Case{-3, 100 + (-21 + 8) / 16}}) {
        TInjectingLookup lookup(0, c.drop);
        TFloydSteinbergDitherer engine(4, lookup);
        std::uint8_t r, g, b;
        engine.Dither(100, 100, 100, r, g, b);
        engine.Dither(100, 100, 100, r, g, b);
        EXPECT_EQ(lookup.wanted[1][0], c.wantNext) << "drop " << c.drop;
    }
}

TEST(DitherEngine, ClampsBeforeLookupAndDiffusesFromClampedValue) {
    // A white pixel obtained as black drives its neighbour far above 255; the
    // engine must clamp and compute the next error from 255, not from the sum.
    TMonochromeLookup mono;
    TFloydSteinbergDitherer engine(3, mono);
    std::uint8_t r, g, b;
    // 255 -> white, no error. Then 127 -> black, error +127 -> next gets 127*7/16.
    EXPECT_EQ(engine.Dither(255, 255, 255, r, g, b), 1);
    EXPECT_EQ(engine.Dither(127, 127, 127, r, g, b), 0);
    EXPECT_EQ(engine.ErrorAt(0, 2, 0), 127 * 7);
    EXPECT_EQ(engine.Dither(250, 250, 250, r, g, b), 1);  // 250 + 56 = 306 -> 255, white
    // Error passed on from the clamped 255 is 0; the row below holds only the
    // contributions of the middle pixel (3, 5, 1 times 127 at columns 0..2).
    EXPECT_EQ(engine.ErrorAt(1, 0, 0), 127 * 3);
    EXPECT_EQ(engine.ErrorAt(1, 1, 0), 127 * 5);
    EXPECT_EQ(engine.ErrorAt(1, 2, 0), 127 * 1);
}

TEST(DitherEngine, NextColumnSkipsAPixelAndFinishLineTurns) {
    TNetscapeColorLookup web;
    TStuckiDitherer engine(5, web);
    std::uint8_t r, g, b;
    engine.Dither(10, 10, 10, r, g, b);
    engine.NextColumn();
    EXPECT_EQ(engine.Column(), 2);
    engine.NextColumn();
    engine.NextColumn();
    engine.NextColumn();
    engine.FinishLine();
    EXPECT_EQ(engine.Column(), 4);
    EXPECT_EQ(engine.Direction(), -1);
    for (int i = 0; i < 5; ++i) engine.NextColumn();
    engine.FinishLine();
    EXPECT_EQ(engine.Column(), 0);
    EXPECT_EQ(engine.Direction(), 1);
}

TEST(DitherEngine, ZeroWidthEngineIsHarmless) {
    TNetscapeColorLookup web;
    TSteveArcheDitherer engine(0, web);
    engine.FinishLine();
    engine.FinishLine();
    EXPECT_EQ(engine.Width(), 0);
}
