// Colour map optimisation on small hand-made animations: merging, dropping,
// the 256/255 limit with the nearest-by-sum mapping, transparency and repair.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "ColorMapTestSupport.h"
#include "gif/ColorMapOptimizer.h"
#include "gif/GIFImage.h"
#include "support/FrameBuilders.h"
#include "support/WarningCollector.h"

using ::testing::ElementsAre;

namespace {

const TColor kRed = MakeColor(255, 0, 0);
const TColor kGreen = MakeColor(0, 255, 0);
const TColor kBlue = MakeColor(0, 0, 255);

std::vector<TColor> TableOf(TGIFColorMap& map) {
    std::vector<TColor> out;
    for (int i = 0; i < map.Count(); ++i) out.push_back(map.GetColor(i));
    return out;
}

TEST(ColorMapOptimizer, EqualColoursOfTwoLocalTablesBecomeOneEntry) {
    TGIFImage image;
    TGIFSubImage* a = AddIndexedFrame(image, 0, 0, 3, 1, {0, 0, 1}, {kRed, kGreen});
    TGIFSubImage* b = AddIndexedFrame(image, 0, 0, 3, 1, {1, 1, 1}, {kBlue, kRed});
    image.OptimizeColorMaps();
    // Red: 2 + 3 pixels, green 1; blue unused.
    EXPECT_THAT(TableOf(image.GlobalColors()), ElementsAre(kRed, kGreen));
    EXPECT_TRUE(image.GlobalColors().Sorted());
    EXPECT_TRUE(a->LocalColors().IsEmpty());
    EXPECT_TRUE(b->LocalColors().IsEmpty());
    EXPECT_THAT(std::vector<int>(a->PixelData(), a->PixelData() + 3), ElementsAre(0, 0, 1));
    EXPECT_THAT(std::vector<int>(b->PixelData(), b->PixelData() + 3), ElementsAre(0, 0, 0));
}

TEST(ColorMapOptimizer, GlobalTableLosesUnusedColoursAndIsOrderedByUse) {
    TGIFImage image;
    for (TColor c : {kRed, kGreen, kBlue, MakeColor(7, 7, 7)}) image.GlobalColors().AddColor(c);
    AddIndexedFrame(image, 0, 0, 4, 1, {2, 2, 0, 2}, {});
    AddIndexedFrame(image, 0, 0, 2, 1, {0, 2}, {});
    const auto before = VisibleColors(image);
    image.OptimizeColorMaps();
    EXPECT_THAT(TableOf(image.GlobalColors()), ElementsAre(kBlue, kRed));
    EXPECT_EQ(VisibleColors(image), before);
}

TEST(ColorMapOptimizer, TransparentPixelsGetABlackEntryAtTheEnd) {
    TGIFImage image;
    TGIFSubImage* a = AddIndexedFrame(image, 0, 0, 3, 1, {0, 1, 2}, {kRed, kGreen, kBlue}, 1);
    TGIFSubImage* b = AddIndexedFrame(image, 0, 0, 2, 1, {0, 0}, {kBlue});
    const auto before = VisibleColors(image);
    TColorMapOptimizer optimizer(image);
    optimizer.Optimize();
    EXPECT_EQ(optimizer.ColorCount(), 3);
    EXPECT_EQ(optimizer.TransparentIndex(), 2);
    EXPECT_THAT(TableOf(image.GlobalColors()), ElementsAre(kBlue, kRed, MakeColor(0, 0, 0)));
    ASSERT_TRUE(a->IsTransparent());
    EXPECT_EQ(a->ControlExtension()->TransparentIndex(), 2);
    EXPECT_EQ(a->PixelAt(1, 0), 2);
    EXPECT_FALSE(b->IsTransparent());
    EXPECT_EQ(VisibleColors(image), before);
}

TEST(ColorMapOptimizer, UnusedTransparentIndexSwitchesTransparencyOff) {
    TGIFImage image;
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 2, 1, {0, 0}, {kRed, kGreen}, 1);
    image.OptimizeColorMaps();
    EXPECT_FALSE(frame->IsTransparent());
    EXPECT_EQ(frame->ControlExtension()->TransparentIndex(), 0);
    EXPECT_FALSE(frame->ControlExtension()->UsesTransparency());
    EXPECT_THAT(TableOf(image.GlobalColors()), ElementsAre(kRed)) << "no transparent entry";
}

TEST(ColorMapOptimizer, PixelsOutsideTheirTableAreRepairedWithAWarning) {
    TGIFImage image;
    TWarningCollector warnings(image);
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 4, 1, {0, 5, 1, 9}, {kRed, kGreen});
    image.OptimizeColorMaps();
    EXPECT_THAT(warnings.Texts(), ElementsAre("Color not in color table"));
    EXPECT_THAT(TableOf(image.GlobalColors()), ElementsAre(kRed, kGreen));
    EXPECT_THAT(std::vector<int>(frame->PixelData(), frame->PixelData() + 4), ElementsAre(0, 0, 1, 0));
}

TEST(ColorMapOptimizer, FrameWithoutAnyTableKeepsItsPixels) {
    TGIFImage image;
    TGIFSubImage* bare = AddIndexedFrame(image, 0, 0, 2, 1, {3, 4}, {});
    AddIndexedFrame(image, 0, 0, 1, 1, {0}, {kGreen});
    image.OptimizeColorMaps();
    EXPECT_THAT(std::vector<int>(bare->PixelData(), bare->PixelData() + 2), ElementsAre(3, 4));
    EXPECT_THAT(TableOf(image.GlobalColors()), ElementsAre(kGreen));
}

// Builds frames using `count` distinct colours, colour i used (count - i)
// times so the order of use is fixed; answers every colour with its use.
std::vector<TColor> ManyColours(TGIFImage& image, int count, bool transparentFrame) {
    std::vector<TColor> colors;
    for (int i = 0; i < count; ++i)
        colors.push_back(MakeColor(static_cast<std::uint8_t>(i % 256), static_cast<std::uint8_t>(i / 256 * 40 + i % 7),
                                   static_cast<std::uint8_t>(i % 3)));
    // Frames of at most 200 colours each, local tables.
    for (int start = 0; start < count; start += 200) {
        const int n = std::min(200, count - start);
        std::vector<TColor> table(colors.begin() + start, colors.begin() + start + n);
        std::vector<int> pixels;
        for (int i = 0; i < n; ++i) pixels.insert(pixels.end(), static_cast<std::size_t>(count - (start + i)), i);
        AddIndexedFrame(image, 0, 0, static_cast<int>(pixels.size()), 1, pixels, table);
    }
    if (transparentFrame) {
        // One transparent pixel beside one of the most used colour.
        AddIndexedFrame(image, 0, 0, 2, 1, {0, 1}, {colors[0], kBlue}, 1);
    }
    return colors;
}

TEST(ColorMapOptimizer, MoreThan256ColoursKeepTheMostUsedAndMapTheRestByComponentSum) {
    for (bool transparent : {false, true}) {
        TGIFImage image;
        const std::vector<TColor> colors = ManyColours(image, 300, transparent);
        const auto before = VisibleColors(image);
        image.OptimizeColorMaps();
        const int kept = transparent ? 255 : 256;
        ASSERT_EQ(image.GlobalColors().Count(), 256) << "transparent " << transparent;
        const std::vector<TColor> table = TableOf(image.GlobalColors());
        for (int i = 0; i < kept; ++i)
            EXPECT_EQ(table[static_cast<std::size_t>(i)], colors[static_cast<std::size_t>(i)]) << "entry " << i;
        if (transparent) {
            EXPECT_EQ(table[255], MakeColor(0, 0, 0)) << "transparent entry";
        }
        auto sum = [](TColor c) { return ColorRed(c) + ColorGreen(c) + ColorBlue(c); };
        const auto after = VisibleColors(image);
        for (std::size_t f = 0; f < before.size(); ++f) {
            for (std::size_t p = 0; p < before[f].size(); ++p) {
                const std::int64_t was = before[f][p];
                const std::int64_t is = after[f][p];
                if (was < 0) {
                    EXPECT_EQ(is, -1) << "frame " << f << " pixel " << p << " stays transparent";
                    continue;
                }
                const auto it = std::find(colors.begin(), colors.begin() + kept, static_cast<TColor>(was));
                if (it != colors.begin() + kept) {
                    EXPECT_EQ(is, was) << "frame " << f << " pixel " << p;
                    continue;
                }
                // A dropped colour: the first kept colour with the smallest sum distance.
                int best = 0;
                for (int i = 1; i < kept; ++i)
                    if (std::abs(sum(table[static_cast<std::size_t>(i)]) - sum(static_cast<TColor>(was))) <
                        std::abs(sum(table[static_cast<std::size_t>(best)]) - sum(static_cast<TColor>(was))))
                        best = i;
                EXPECT_EQ(is, static_cast<std::int64_t>(table[static_cast<std::size_t>(best)]))
                    << "frame " << f << " pixel " << p << " was " << was;
            }
        }
    }
}

TEST(ColorMapOptimizer, ImageWithoutFramesOrColoursStaysEmpty) {
    TGIFImage image;
    image.OptimizeColorMaps();
    EXPECT_EQ(image.GlobalColors().Count(), 0);
    image.GlobalColors().AddColor(kRed);
    image.GlobalColors().AddColor(kGreen);
    image.Header().BackgroundIndex = 1;
    image.OptimizeColorMaps();
    EXPECT_THAT(TableOf(image.GlobalColors()), ElementsAre(kGreen)) << "only the background colour stays";
}

TEST(ColorMapOptimizer, BackgroundIndexKeepsItsColour) {
    const struct {
        const char* name;
        int background;
        std::vector<TColor> want;
    } cases[] = {
        {"background in use moves with its colour", 2, {kBlue, kRed}},
        {"unused background is kept as an extra entry", 1, {kBlue, kRed, kGreen}},
        {"index beyond the table is left alone", 7, {kBlue, kRed}},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        for (TColor color : {kRed, kGreen, kBlue}) image.GlobalColors().AddColor(color);
        image.Header().BackgroundIndex = static_cast<std::uint8_t>(c.background);
        AddIndexedFrame(image, 0, 0, 3, 1, {2, 2, 0}, {});
        image.OptimizeColorMaps();
        EXPECT_EQ(TableOf(image.GlobalColors()), c.want) << c.name;
        if (c.background < 3) {
            EXPECT_EQ(image.BackgroundColor(), std::vector<TColor>({kRed, kGreen, kBlue})[static_cast<std::size_t>(c.background)])
                << c.name;
        } else {
            EXPECT_EQ(image.Header().BackgroundIndex, c.background) << c.name;
        }
    }
    // A full table has no room: the nearest kept colour by component sum.
    TGIFImage full;
    std::vector<int> pixels;
    std::vector<TColor> colors;
    // 256 colours used twice (255 global ones and one local), the background
    // colour (255, 0, 100) once: it is the colour that does not fit.
    for (int i = 0; i < 256; ++i) {
        colors.push_back(MakeColor(static_cast<std::uint8_t>(i), 0, 100));
        pixels.insert(pixels.end(), i == 255 ? 1 : 2, i);
    }
    for (TColor color : colors) full.GlobalColors().AddColor(color);
    AddIndexedFrame(full, 0, 0, static_cast<int>(pixels.size()), 1, pixels, {});
    AddIndexedFrame(full, 0, 0, 2, 1, {0, 0}, {MakeColor(1, 1, 1)});
    full.Header().BackgroundIndex = 255;
    full.OptimizeColorMaps();
    EXPECT_EQ(full.GlobalColors().Count(), 256);
    EXPECT_EQ(full.BackgroundColor(), MakeColor(254, 0, 100)) << "nearest by component sum";
}
}  // namespace
