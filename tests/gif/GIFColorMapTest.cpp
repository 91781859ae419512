// Colour tables: capacity growth, overflow, lookups in both orders, bad indices,
// and sorting by use with and without dropping unused entries.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/FrameBuilders.h"
#include "gif/GIFImage.h"
#include "raster/Palette.h"
#include "support/WarningCollector.h"

using ::testing::ElementsAre;

namespace {
TColor Grey(int v) { return MakeColor(std::uint8_t(v), std::uint8_t(v), std::uint8_t(v)); }

// A frame of the image with a local table of `colors` and the given pixels.
}  // namespace

TEST(GIFColorMap, CapacityGrowsTo16ThenInStepsOf32) {
    const struct {
        int count;
        int capacity;
    } cases[] = {{1, 16}, {16, 16}, {17, 32}, {32, 32}, {33, 64}, {200, 224}, {255, 256}, {256, 256}};
    for (const auto& c : cases) {
        TGIFImage image;
        TGIFColorMap& map = image.GlobalColors();
        for (int i = 0; i < c.count; ++i) map.AddColor(Grey(i));
        EXPECT_EQ(map.Count(), c.count);
        EXPECT_EQ(map.Capacity(), c.capacity) << "count " << c.count;
    }
}

TEST(GIFColorMap, AddingThe257thColourOverflowsAndKeepsTheTable) {
    TGIFImage image;
    TGIFColorMap& map = image.GlobalColors();
    for (int i = 0; i < 256; ++i) EXPECT_EQ(map.AddColor(Grey(i)), i);
    EXPECT_THROW(
        {
            try {
                map.AddColor(MakeColor(1, 2, 3));
            } catch (const GIFException& e) {
                EXPECT_STREQ(e.what(), "Color table overflow");
                throw;
            }
        },
        GIFException);
    EXPECT_EQ(map.Count(), 256);
    EXPECT_EQ(map.GetColor(255), Grey(255));
}

TEST(GIFColorMap, BitDepthIsSmallestPowerOfTwoThatHoldsTheCount) {
    const int want[] = {0, 1, 1, 2, 2, 3, 3, 3, 3, 4};  // counts 0..9
    for (int count = 0; count < 10; ++count) {
        TGIFImage image;
        for (int i = 0; i < count; ++i) image.GlobalColors().AddColor(Grey(i));
        EXPECT_EQ(image.GlobalColors().BitDepth(), want[count]) << "count " << count;
    }
    TGIFImage image;
    for (int i = 0; i < 129; ++i) image.GlobalColors().AddColor(Grey(i));
    EXPECT_EQ(image.GlobalColors().BitDepth(), 8);
}

TEST(GIFColorMap, FindColorAnswersLastMatchUnsortedAndFirstMatchSorted) {
    TGIFImage image;
    TGIFColorMap& map = image.GlobalColors();
    map.AddColor(Grey(1));
    map.AddColor(Grey(7));
    map.AddColor(Grey(2));
    map.AddColor(Grey(7));
    EXPECT_EQ(map.FindColor(Grey(7)), 3);
    EXPECT_EQ(map.FindColor(Grey(9)), -1);
    map.SetSorted(true);
    EXPECT_EQ(map.FindColor(Grey(7)), 1);
}

TEST(GIFColorMap, GetColorOutsideWarnsAndAnswersEntryZero) {
    TGIFImage image;
    TWarningCollector warnings(image);
    TGIFColorMap& map = image.GlobalColors();
    for (int i = 0; i < 4; ++i) map.AddColor(Grey(10 + i));
    EXPECT_EQ(map.GetColor(300), Grey(10));
    EXPECT_EQ(map.GetColor(-1), Grey(10));
    EXPECT_THAT(warnings.Texts(), ElementsAre("Invalid color index", "Invalid color index"));
    EXPECT_EQ(warnings.Entries()[0].severity, 1);
}

TEST(GIFColorMap, GetColorOnEmptyTableWarnsThenRaises) {
    TGIFImage image;
    TWarningCollector warnings(image);
    try {
        image.GlobalColors().GetColor(0);
        FAIL() << "no exception";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Color table is empty");
    }
    EXPECT_THAT(warnings.Texts(), ElementsAre("Invalid color index"));
}

TEST(GIFColorMap, BadIndexInDeleteAndSetRaises) {
    TGIFImage image;
    TGIFColorMap& map = image.GlobalColors();
    map.AddColor(Grey(1));
    map.AddColor(Grey(2));
    for (int index : {-1, 2, 300}) {
        try {
            map.DeleteColor(index);
            ADD_FAILURE() << "DeleteColor(" << index << ") did not raise";
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid color index");
        }
        try {
            map.SetColor(index, Grey(3));
            ADD_FAILURE() << "SetColor(" << index << ") did not raise";
        } catch (const GIFException& e) {
            EXPECT_STREQ(e.what(), "Invalid color index");
        }
    }
    EXPECT_EQ(map.Count(), 2);
}

TEST(GIFColorMap, DeleteClosesTheGapAndClearsSorted) {
    TGIFImage image;
    TGIFColorMap& map = image.GlobalColors();
    for (int i = 0; i < 4; ++i) map.AddColor(Grey(i));
    map.SetSorted(true);
    map.SetColor(0, Grey(9));
    EXPECT_TRUE(map.Sorted()) << "SetColor keeps the sort flag";
    map.DeleteColor(1);
    EXPECT_FALSE(map.Sorted());
    ASSERT_EQ(map.Count(), 3);
    EXPECT_EQ(map.GetColor(0), Grey(9));
    EXPECT_EQ(map.GetColor(1), Grey(2));
    EXPECT_EQ(map.GetColor(2), Grey(3));
}

TEST(GIFColorMap, ColourValueIsRedLowByte) {
    TGIFImage image;
    image.GlobalColors().AddColor(MakeColor(0x11, 0x22, 0x33));
    EXPECT_EQ(image.GlobalColors().GetColor(0), 0x332211u);
    const TGIFRGB& e = image.GlobalColors().Entry(0);
    EXPECT_EQ(e.red, 0x11);
    EXPECT_EQ(e.green, 0x22);
    EXPECT_EQ(e.blue, 0x33);
}

TEST(GIFColorMap, PaletteHandleAndBackFromPalette) {
    TGIFImage image;
    TGIFColorMap& map = image.GlobalColors();
    EXPECT_EQ(map.CreatePaletteHandle(), nullptr);
    map.AddColor(MakeColor(1, 2, 3));
    map.AddColor(MakeColor(4, 5, 6));
    auto palette = map.CreatePaletteHandle();
    ASSERT_NE(palette, nullptr);
    EXPECT_EQ(palette->Version(), 0x300);
    ASSERT_EQ(palette->Count(), 2);
    EXPECT_EQ((*palette)[1], (TPaletteEntry{4, 5, 6, PC_NOCOLLAPSE}));

    TGIFImage other;
    other.GlobalColors().LoadFromPalette(palette.get());
    EXPECT_EQ(other.GlobalColors().Count(), 2);
    EXPECT_EQ(other.GlobalColors().GetColor(1), MakeColor(4, 5, 6));
    TPalette empty;
    other.GlobalColors().LoadFromPalette(&empty);
    EXPECT_EQ(other.GlobalColors().Count(), 0);
}

TEST(GIFColorMap, LoadFromTableTakesTheFirstEntries) {
    TGIFRGB table[256] = {};
    for (int i = 0; i < 256; ++i) table[i] = {std::uint8_t(i), 0, 0};
    TGIFImage image;
    image.GlobalColors().LoadFromTable(table, 3);
    EXPECT_EQ(image.GlobalColors().Count(), 3);
    EXPECT_EQ(image.GlobalColors().GetColor(2), MakeColor(2, 0, 0));
    image.GlobalColors().LoadFromTable(table, 0);
    EXPECT_TRUE(image.GlobalColors().IsEmpty());
}

TEST(GIFColorMap, AssignCopiesEntriesAndFlagsButRefusesOtherTypes) {
    TGIFImage image;
    TGIFColorMap& map = image.GlobalColors();
    for (int i = 0; i < 20; ++i) map.AddColor(Grey(i));
    map.SetSorted(true);
    TGIFSubImage frame(&image);
    frame.LocalColors().Assign(&map);
    EXPECT_EQ(frame.LocalColors().Count(), 20);
    EXPECT_EQ(frame.LocalColors().Capacity(), 32);
    EXPECT_TRUE(frame.LocalColors().Sorted());
    EXPECT_EQ(frame.LocalColors().GetColor(19), Grey(19));
    EXPECT_THROW(frame.LocalColors().Assign(&image), GIFException);
    EXPECT_EQ(frame.LocalColors().Count(), 20);
}

TEST(GIFColorMap, SortByUseReordersRemapsAndDropsUnused) {
    TGIFImage image;
    // Entry 2 is used most, then 0; 1 and 3 are unused.
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 3, 2, {2, 2, 2, 0, 0, 2}, {Grey(0), Grey(1), Grey(2), Grey(3)});
    EXPECT_TRUE(frame->LocalColors().SortByUse());
    TGIFColorMap& map = frame->LocalColors();
    EXPECT_TRUE(map.Sorted());
    ASSERT_EQ(map.Count(), 2);
    EXPECT_EQ(map.GetColor(0), Grey(2));
    EXPECT_EQ(map.GetColor(1), Grey(0));
    const std::vector<std::uint8_t> want = {0, 0, 0, 1, 1, 0};
    EXPECT_EQ(std::vector<std::uint8_t>(frame->PixelData(), frame->PixelData() + 6), want);
}

TEST(GIFColorMap, SortByUseKeepsUnusedEntriesWhenAlreadyInOrder) {
    TGIFImage image;
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 3, 2, {0, 0, 0, 1, 1, 2}, {Grey(0), Grey(1), Grey(2), Grey(3)});
    EXPECT_TRUE(frame->LocalColors().SortByUse());
    EXPECT_EQ(frame->LocalColors().Count(), 4) << "unused entry 3 stays when nothing moves";
    EXPECT_TRUE(frame->LocalColors().Sorted());
}

TEST(GIFColorMap, SortByUseRemapsTheTransparentIndex) {
    TGIFImage image;
    TGIFSubImage* frame = AddIndexedFrame(image, 0, 0, 2, 2, {1, 2, 2, 2}, {Grey(0), Grey(1), Grey(2)});
    auto gce = std::make_unique<TGIFGraphicControlExtension>(frame);
    gce->SetUsesTransparency(true);
    gce->SetTransparentIndex(1);
    frame->ExtensionBlocks().Add(std::move(gce));
    frame->LocalColors().SortByUse();
    EXPECT_EQ(frame->ControlExtension()->TransparentIndex(), 1);
    EXPECT_EQ(frame->LocalColors().GetColor(0), Grey(2));
    EXPECT_EQ(frame->LocalColors().GetColor(1), Grey(1));
    EXPECT_EQ(frame->PixelAt(0, 0), 1);
}

TEST(GIFColorMap, SortByUseOnTinyTablesAndFramelessGlobalAnswersFalse) {
    TGIFImage image;
    image.GlobalColors().AddColor(Grey(1));
    image.GlobalColors().AddColor(Grey(2));
    EXPECT_FALSE(image.GlobalColors().SortByUse()) << "no frames";
    TGIFSubImage frame(&image);
    frame.LocalColors().AddColor(Grey(1));
    EXPECT_FALSE(frame.LocalColors().SortByUse()) << "one entry";
    EXPECT_FALSE(frame.LocalColors().Sorted());
}

TEST(GIFColorMap, GlobalSortCountsOnlyFramesThatUseTheGlobalTable) {
    TGIFImage image;
    image.GlobalColors().AddColor(Grey(0));
    image.GlobalColors().AddColor(Grey(1));
    TGIFSubImage* global = AddIndexedFrame(image, 0, 0, 2, 1, {1, 1}, {});
    TGIFSubImage* local = AddIndexedFrame(image, 0, 0, 2, 1, {0, 0}, {Grey(5), Grey(6)});
    EXPECT_TRUE(image.GlobalColors().SortByUse());
    ASSERT_EQ(image.GlobalColors().Count(), 1);
    EXPECT_EQ(image.GlobalColors().GetColor(0), Grey(1));
    EXPECT_EQ(global->PixelAt(0, 0), 0);
    EXPECT_EQ(local->PixelAt(0, 0), 0) << "frame with its own table untouched";
    EXPECT_EQ(local->LocalColors().Count(), 2);
}
