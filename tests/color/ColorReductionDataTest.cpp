// Reduction of real pictures: giflib's reference renderings (24-bit RGB of the
// whole screen) hold at most 256 colours, so an octree of 256 leaves must give
// back exactly those colours, and mapping onto them must be (nearly) lossless.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "color/ColorReduction.h"

namespace {

const std::filesystem::path kDir = std::filesystem::path(REELIX_TESTDATA_DIR) / "gif" / "giflib" / "tests";

// Loads NAME.rgb with the screen size from NAME.dmp; false when absent.
bool LoadRendering(const std::string& name, TBitmap& bitmap) {
    std::ifstream dmp(kDir / (name + ".dmp"));
    std::ifstream rgb(kDir / (name + ".rgb"), std::ios::binary);
    if (!dmp || !rgb) return false;
    const std::string text((std::istreambuf_iterator<char>(dmp)), std::istreambuf_iterator<char>());
    const std::size_t wAt = text.find("Width = "), hAt = text.find("Height = ");
    if (wAt == std::string::npos || hAt == std::string::npos) return false;
    const int w = std::atoi(text.c_str() + wAt + 8), h = std::atoi(text.c_str() + hAt + 9);
    if (w <= 0 || h <= 0) return false;
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(rgb)), std::istreambuf_iterator<char>());
    if (data.size() != static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3) return false;
    bitmap = TBitmap(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const unsigned char* p = &data[(static_cast<std::size_t>(y) * static_cast<std::size_t>(w) + static_cast<std::size_t>(x)) * 3];
            bitmap.SetPixel(x, y, RGBColor(p[0], p[1], p[2]));
        }
    return true;
}

unsigned OctreeKey(TColorRef c) {
    unsigned key = 0;
    for (int level = 0; level < 8; ++level) {
        const int bit = 0x80 >> level;
        key = (key << 3) | ((RedOf(c) & bit) ? 4u : 0u) | ((GreenOf(c) & bit) ? 2u : 0u) | ((BlueOf(c) & bit) ? 1u : 0u);
    }
    return key;
}

int Cell(TColorRef c) { return ((BlueOf(c) >> 3) << 10) + ((GreenOf(c) >> 3) << 5) + (RedOf(c) >> 3); }

}  // namespace

TEST(ColorReductionData, FewColourRenderingsSurviveQuantisation) {
    int tested = 0;
    for (const char* name : {"porsche", "solid2", "treescap", "gifgrid", "fire", "welcome2"}) {
        TBitmap src;
        if (!LoadRendering(name, src)) continue;
        ++tested;
        std::set<TColorRef> colours;
        for (int y = 0; y < src.Height(); ++y)
            for (int x = 0; x < src.Width(); ++x) colours.insert(src.Pixel(x, y));
        ASSERT_LE(colours.size(), 256u) << name;

        const auto out = ReduceBitmapColors(src, crQuantize, dkNearest, 8);
        ASSERT_EQ(out->Palette().Count(), 256) << name;
        std::vector<TColorRef> want(colours.begin(), colours.end());
        std::sort(want.begin(), want.end(), [](TColorRef a, TColorRef b) { return OctreeKey(a) < OctreeKey(b); });
        for (std::size_t i = 0; i < want.size(); ++i) {
            const TPaletteEntry& e = out->Palette()[static_cast<int>(i)];
            EXPECT_EQ(RGBColor(e.red, e.green, e.blue), want[i]) << name << " entry " << i;
        }

        // Colours alone in their 5-5-5 cell come back exactly; the others get
        // the cell's first palette colour, at most 7 away per channel.
        std::map<int, int> perCell;
        for (TColorRef c : colours) ++perCell[Cell(c)];
        int exact = 0, total = 0;
        for (int y = 0; y < src.Height(); ++y)
            for (int x = 0; x < src.Width(); ++x, ++total) {
                const TColorRef have = out->Pixel(x, y), wantC = src.Pixel(x, y);
                if (perCell[Cell(wantC)] == 1) {
                    ASSERT_EQ(have, wantC) << name << " at " << x << ',' << y;
                    ++exact;
                } else {
                    ASSERT_LE(std::abs(RedOf(have) - RedOf(wantC)), 7) << name;
                    ASSERT_LE(std::abs(GreenOf(have) - GreenOf(wantC)), 7) << name;
                    ASSERT_LE(std::abs(BlueOf(have) - BlueOf(wantC)), 7) << name;
                }
            }
        EXPECT_GT(exact, 0) << name;
    }
    if (tested == 0) GTEST_SKIP() << "giflib reference renderings not found under " << kDir;
}

TEST(ColorReductionData, RealPicturesThroughEveryEngine) {
    TBitmap src;
    if (!LoadRendering("porsche", src)) GTEST_SKIP() << "porsche rendering not found under " << kDir;
    for (int kind = crWindows20; kind <= crQuantizeWindows; ++kind)
        for (int d = dkNearest; d <= dkBurkes; ++d) {
            const auto out = ReduceBitmapColors(src, TColorReductionKind(kind), TDitherKind(d), 4);
            ASSERT_EQ(out->Width(), src.Width());
            // Diffusion keeps the average colour: the mean error of a large area stays small.
            long long sum[3] = {0, 0, 0};
            for (int y = 0; y < src.Height(); ++y)
                for (int x = 0; x < src.Width(); ++x) {
                    const TColorRef a = src.Pixel(x, y), b = out->Pixel(x, y);
                    sum[0] += RedOf(a) - RedOf(b);
                    sum[1] += GreenOf(a) - GreenOf(b);
                    sum[2] += BlueOf(a) - BlueOf(b);
                }
            if (d == dkNearest || kind == crMonochrome || kind == crGrayScale || kind == crWindowsGray) continue;
            const double n = double(src.Width()) * src.Height();
            for (int c = 0; c < 3; ++c)
                EXPECT_LT(std::abs(double(sum[c]) / n), 4.0) << "kind " << kind << " dither " << d << " channel " << c;
        }
}
