// OptimizeAnimation: each step on small animations, and the one property that
// matters most: the optimised animation shows the same pictures for the same
// time. A plain compositor here (independent of the painter) plays both.

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <vector>

#include "gif/GIFFrameOptimizer.h"
#include "gif/GIFImage.h"
#include "support/WarningCollector.h"

namespace {

using Pixels = std::vector<std::uint8_t>;

void AddColors(TGIFColorMap& table, int count) {
    for (int i = 0; i < count; ++i)
        table.AddColor(MakeColor(std::uint8_t(i * 7), std::uint8_t(255 - i), std::uint8_t(i * 3)));
}

TGIFGraphicControlExtension* Control(TGIFSubImage* frame) {
    if (frame->ControlExtension()) return frame->ControlExtension();
    auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
    TGIFGraphicControlExtension* raw = control.get();
    frame->ExtensionBlocks().Add(std::move(control));
    return raw;
}

struct TFrameRecipe {
    int left = 0, top = 0, width = 1, height = 1;
    Pixels pixels;
    int transparent = -1;  // -1: none
    int disposal = -1;     // -1: no control extension unless needed
    int delay = -1;
};

TGIFSubImage* AddFrame(TGIFImage& image, const TFrameRecipe& recipe) {
    auto owned = std::make_unique<TGIFSubImage>(&image);
    TGIFSubImage* frame = owned.get();
    image.Frames().Add(std::move(owned));
    frame->PlaceFrame(recipe.left, recipe.top, recipe.width, recipe.height);
    if (recipe.pixels.size() != std::size_t(recipe.width) * std::size_t(recipe.height))
        throw std::logic_error("test frame with a wrong pixel count");
    std::copy(recipe.pixels.begin(), recipe.pixels.end(), frame->PixelData());
    if (recipe.transparent >= 0) {
        Control(frame)->SetUsesTransparency(true);
        Control(frame)->SetTransparentIndex(recipe.transparent);
    }
    if (recipe.disposal >= 0) Control(frame)->SetDisposalMethod(std::uint8_t(recipe.disposal));
    if (recipe.delay >= 0) Control(frame)->DelayTime = std::uint16_t(recipe.delay);
    return frame;
}

void AddLoop(TGIFSubImage* frame, int count) {
    auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
    loop->LoopCount = std::uint16_t(count);
    frame->ExtensionBlocks().Insert(0, std::move(loop));
}

void AddComment(TGIFSubImage* frame, const std::string& text) {
    auto comment = std::make_unique<TGIFCommentExtension>(frame);
    comment->Lines.push_back(text);
    frame->ExtensionBlocks().Add(std::move(comment));
}

Pixels PixelsOf(const TGIFSubImage& frame) {
    if (frame.IsEmpty()) return {};
    return Pixels(frame.PixelData(), frame.PixelData() + frame.PixelDataSize());
}

int DelayOf(const TGIFSubImage& frame) { return frame.ControlExtension() ? frame.ControlExtension()->DelayTime : 0; }
int DisposalOf(const TGIFSubImage& frame) {
    return frame.ControlExtension() ? frame.ControlExtension()->DisposalMethod() : 0;
}

// --- what an animation shows ------------------------------------------------

// One picture of the screen and how long it stays (consecutive equal pictures
// are one, their times added): the animation as a viewer sees it.
struct TShown {
    std::vector<std::uint32_t> screen;  // 0: nothing drawn, else 0xFF000000 | colour
    int delay = 0;
    friend bool operator==(const TShown&, const TShown&) = default;
};

void PrintTo(const TShown& shown, std::ostream* os) {
    *os << "{delay " << shown.delay << ", screen";
    for (std::uint32_t pixel : shown.screen) *os << ' ' << std::hex << pixel << std::dec;
    *os << '}';
}

std::vector<TShown> Show(TGIFImage& image) {
    const int width = image.Width(), height = image.Height();
    std::vector<std::uint32_t> screen(std::size_t(width) * height, 0), saved;
    std::vector<TShown> shown;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        TGIFSubImage& frame = *image.Frames()[i];
        const int disposal = DisposalOf(frame);
        if (disposal == dispPrevious) saved = screen;
        const TRect r = frame.FrameRect();
        if (!frame.IsEmpty()) {
            const TGIFColorMap& table = *frame.EffectiveColors();
            const int transparent = frame.IsTransparent() ? frame.ControlExtension()->TransparentIndex() : -1;
            for (int y = r.top; y < std::min(r.bottom, height); ++y)
                for (int x = r.left; x < std::min(r.right, width); ++x) {
                    const int index = frame.PixelData()[(y - r.top) * frame.Width() + (x - r.left)];
                    if (index == transparent) continue;
                    const TGIFRGB c = index < table.Count() ? table.Entry(index) : TGIFRGB{1, 2, 3};
                    screen[std::size_t(y) * width + x] = 0xFF000000u | c.red | (c.green << 8) | (c.blue << 16);
                }
        }
        if (!shown.empty() && shown.back().screen == screen) shown.back().delay += DelayOf(frame);
        else shown.push_back({screen, DelayOf(frame)});
        if (disposal == dispBackground) {
            for (int y = r.top; y < std::min(r.bottom, height); ++y)
                for (int x = r.left; x < std::min(r.right, width); ++x) screen[std::size_t(y) * width + x] = 0;
        } else if (disposal == dispPrevious) {
            screen = saved;
        }
    }
    // A show of one picture looks the same however long it lasts.
    if (shown.size() == 1) shown[0].delay = 0;
    return shown;
}

Pixels Saved(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return Pixels(stream.Data(), stream.Data() + stream.Size());
}

void Reload(TGIFImage& from, TGIFImage& to) {
    TMemoryStream stream;
    from.SaveToStream(stream);
    stream.SetPosition(0);
    to.LoadFromStream(stream);
}

// --- steps ------------------------------------------------------------------

TEST(OptimizeAnimation, IdenticalFramesTurnTransparentThenGoWithTheirTime) {
    for (int options : {int(ooMerge), ooMerge | ooCrop}) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 4);
        const Pixels picture{0, 1, 2, 3};
        AddFrame(image, {0, 0, 2, 2, picture, -1, -1, 10});
        AddFrame(image, {0, 0, 2, 2, picture, -1, -1, 30});
        const std::vector<TShown> before = Show(image);
        image.OptimizeAnimation(options);
        if (options == ooMerge) {
            ASSERT_EQ(image.Frames().Count(), 2);
            TGIFSubImage& second = *image.Frames()[1];
            ASSERT_TRUE(second.IsTransparent());
            EXPECT_EQ(PixelsOf(second), Pixels(4, second.ControlExtension()->TransparentIndex()));
        } else {
            ASSERT_EQ(image.Frames().Count(), 1);
            // The first frame is not transparent, yet it must take over the
            // time of the frame that went, or the animation would speed up.
            EXPECT_EQ(DelayOf(*image.Frames()[0]), 40);
        }
        EXPECT_EQ(Show(image), before) << "options " << options;
    }
}

TEST(OptimizeAnimation, FrameOverRestoreToBackgroundIsNotMerged) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    AddFrame(image, {0, 0, 2, 1, {1, 2}, -1, dispBackground, 5});
    AddFrame(image, {0, 0, 2, 1, {1, 2}, -1, -1, 5});
    image.OptimizeAnimation(ooMerge | ooCrop);
    ASSERT_EQ(image.Frames().Count(), 2);
    EXPECT_FALSE(image.Frames()[1]->IsTransparent());
    EXPECT_EQ(PixelsOf(*image.Frames()[1]), (Pixels{1, 2}));
}

TEST(OptimizeAnimation, FullLocalTableWithoutTransparencyIsNotMerged) {
    TGIFImage image;
    TGIFSubImage* first = AddFrame(image, {0, 0, 2, 1, {7, 8}});
    AddColors(first->LocalColors(), 256);
    TGIFSubImage* second = AddFrame(image, {0, 0, 2, 1, {7, 8}});
    AddColors(second->LocalColors(), 256);
    image.OptimizeAnimation(ooMerge);
    EXPECT_FALSE(second->IsTransparent());
    EXPECT_EQ(PixelsOf(*second), (Pixels{7, 8}));
}

TEST(OptimizeAnimation, MergeLooksThroughFramesThatRestoreToPrevious) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    AddFrame(image, {0, 0, 3, 1, {1, 2, 3}, -1, dispLeave, 5});
    AddFrame(image, {0, 0, 3, 1, {0, 0, 0}, -1, dispPrevious, 5});
    TGIFSubImage* third = AddFrame(image, {0, 0, 3, 1, {1, 0, 3}, -1, -1, 5});
    const std::vector<TShown> before = Show(image);
    image.OptimizeAnimation(ooMerge);
    ASSERT_TRUE(third->IsTransparent());
    const std::uint8_t t = third->ControlExtension()->TransparentIndex();
    EXPECT_EQ(PixelsOf(*third), (Pixels{t, 0, t})) << "compared with the first frame, not the second";
    EXPECT_EQ(Show(image), before);
}

TEST(OptimizeAnimation, NeedlessDisposalBecomesNoneUnlessTheNextFrameRestoresToPrevious) {
    const struct {
        int nextDisposal;
        bool nextTransparent;
        bool covers;
        int want;
    } cases[] = {
        {dispLeave, false, true, dispUnspecified},
        {dispBackground, false, true, dispUnspecified},
        {dispLeave, false, false, dispBackground},
        {dispLeave, true, true, dispBackground},
        // Restoring to previous after the next frame would bring back this
        // frame's picture if its own disposal were dropped.
        {dispPrevious, false, true, dispBackground},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 4);
        AddFrame(image, {0, 0, 3, 1, {1, 1, 1}, -1, dispLeave, 5});
        AddFrame(image, {1, 0, 1, 1, {2}, -1, dispBackground, 5});
        AddFrame(image, {c.covers ? 0 : 2, 0, c.covers ? 3 : 1, 1, c.covers ? Pixels{3, 0, 3} : Pixels{3},
                         c.nextTransparent ? 0 : -1,
                         c.nextDisposal, 5});
        AddFrame(image, {0, 0, 1, 1, {2}, -1, -1, 5});
        const std::vector<TShown> before = Show(image);
        image.OptimizeAnimation(ooCleanup);
        EXPECT_EQ(DisposalOf(*image.Frames()[1]), c.want)
            << "next disposal " << c.nextDisposal << " transparent " << c.nextTransparent;
        EXPECT_EQ(Show(image), before) << "next disposal " << c.nextDisposal;
    }
}

TEST(OptimizeAnimation, CleanupDropsUnusedTransparencyExtensionsAndEmptyFrames) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    TGIFSubImage* first = AddFrame(image, {0, 0, 2, 1, {0, 1}, 3, dispLeave, 0});
    AddLoop(first, 3);
    AddComment(first, "made by hand");
    TGIFSubImage* second = AddFrame(image, {0, 0, 2, 1, {2, 3}, 3, dispLeave, 7});
    image.Frames().Add(std::make_unique<TGIFSubImage>(&image));  // empty, no extensions
    image.OptimizeAnimation(ooCleanup);
    ASSERT_EQ(image.Frames().Count(), 2) << "the empty frame goes";
    EXPECT_FALSE(first->IsTransparent()) << "index 3 is in none of its pixels";
    EXPECT_EQ(first->ControlExtension(), nullptr) << "nothing left to carry";
    ASSERT_EQ(first->ExtensionBlocks().Count(), 1);
    auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(first->ExtensionBlocks()[0]);
    ASSERT_NE(loop, nullptr) << "the first frame of an animation keeps its loop";
    EXPECT_EQ(loop->LoopCount, 3);
    EXPECT_TRUE(second->IsTransparent());
    EXPECT_EQ(DelayOf(*second), 7);
}

TEST(OptimizeAnimation, OneFrameLosesLoopCommentAndControl) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    TGIFSubImage* frame = AddFrame(image, {0, 0, 2, 1, {0, 1}, -1, dispBackground, 50});
    AddLoop(frame, 0);
    AddComment(frame, "c");
    image.OptimizeAnimation(ooCleanup);
    ASSERT_EQ(image.Frames().Count(), 1);
    EXPECT_EQ(frame->ExtensionBlocks().Count(), 0);
    EXPECT_EQ(PixelsOf(*frame), (Pixels{0, 1}));
}

TEST(OptimizeAnimation, LoopOnALaterFrameMovesToTheFirst) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    AddFrame(image, {0, 0, 1, 1, {0}, -1, -1, 5});
    AddLoop(AddFrame(image, {0, 0, 1, 1, {1}, -1, -1, 5}), 4);
    image.OptimizeAnimation(ooCleanup);
    auto* loop = image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>();
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->LoopCount, 4);
    EXPECT_EQ(image.Frames()[1]->FindExtension<TGIFAppExtNSLoop>(), nullptr);
}

TEST(OptimizeAnimation, InvisibleFramesStayWhenTheirTimeShowsSomethingElse) {
    const struct {
        const char* name;
        int previousDisposal;  // -1: no previous frame (the invisible frame is first)
        int invisibleDisposal;
        int wantFrames;
    } cases[] = {
        {"after a frame left in place", dispLeave, dispLeave, 1},
        {"first frame", -1, dispLeave, 2},
        {"after restore to background", dispBackground, dispLeave, 2},
        {"after restore to previous", dispPrevious, dispLeave, 2},
        {"itself restoring to background", dispLeave, dispBackground, 2},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 4);
        if (c.previousDisposal >= 0) AddFrame(image, {0, 0, 2, 2, {1, 1, 1, 1}, -1, c.previousDisposal, 10});
        AddFrame(image, {0, 0, 2, 2, {3, 3, 3, 3}, 3, c.invisibleDisposal, 20});
        if (c.previousDisposal < 0) AddFrame(image, {0, 0, 2, 2, {1, 1, 1, 1}, -1, -1, 10});
        const std::vector<TShown> before = Show(image);
        image.OptimizeAnimation(ooCrop);
        EXPECT_EQ(image.Frames().Count(), c.wantFrames) << c.name;
        EXPECT_EQ(Show(image), before) << c.name;
    }
}

TEST(OptimizeAnimation, RestoreToBackgroundFrameKeepsItsRectangle) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    AddFrame(image, {0, 0, 3, 3, Pixels(9, 1), -1, dispLeave, 5});
    TGIFSubImage* frame = AddFrame(image, {0, 0, 3, 3, {3, 3, 3, 3, 2, 3, 3, 3, 3}, 3, dispBackground, 5});
    AddFrame(image, {0, 0, 1, 1, {0}, -1, -1, 5});
    const std::vector<TShown> before = Show(image);
    image.OptimizeAnimation(ooCrop);
    EXPECT_EQ(frame->FrameRect(), (TRect{0, 0, 3, 3})) << "the cleared area is the whole rectangle";
    EXPECT_EQ(Show(image), before);
}

// A sprite moving over nothing, every frame the whole screen and cleared when
// it goes: rebuilt, each frame covers just the sprite and the area it must
// clear for the next, still cleared when it goes.
TEST(OptimizeAnimation, FramesThatClearShrinkToWhatTheyDrawAndClear) {
    TGIFImage image;
    image.Header().ScreenWidth = 8;
    image.Header().ScreenHeight = 8;
    AddColors(image.GlobalColors(), 4);
    for (int f = 0; f < 6; ++f) {
        Pixels pixels(64, 0);
        for (int y = f; y < f + 2; ++y)
            for (int x = f; x < f + 2; ++x) pixels[std::size_t(y * 8 + x)] = std::uint8_t(1 + f % 2);
        AddFrame(image, {0, 0, 8, 8, pixels, 0, dispBackground, 5});
    }
    const std::vector<TShown> before = Show(image);
    image.OptimizeAnimation(kAllFrameOptimizations | ooSmallest);
    EXPECT_EQ(Show(image), before);
    ASSERT_EQ(image.Frames().Count(), 6);
    for (int f = 1; f < 6; ++f) {
        const TGIFSubImage& frame = *image.Frames()[f];
        EXPECT_LE(frame.Width() * frame.Height(), 9) << "frame " << f;
        if (f < 5) EXPECT_EQ(DisposalOf(frame), dispBackground) << "frame " << f;
    }
    TGIFImage reloaded;
    Reload(image, reloaded);
    EXPECT_EQ(Show(reloaded), before);
}

TEST(OptimizeAnimation, KeepsTheScreenOfAFileWhoseFramesStickOut) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    AddFrame(image, {0, 0, 4, 2, Pixels(8, 1), -1, dispLeave, 5});
    AddFrame(image, {0, 0, 4, 2, {1, 1, 1, 1, 1, 1, 2, 2}, -1, -1, 5});
    // As read from a damaged file: the screen is smaller than its frames.
    image.Header().ScreenWidth = 3;
    image.Header().ScreenHeight = 1;
    image.OptimizeAnimation(kAllFrameOptimizations);
    EXPECT_EQ(image.Frames()[1]->FrameRect(), (TRect{2, 1, 4, 2})) << "trimmed";
    EXPECT_EQ(image.Width(), 3);
    EXPECT_EQ(image.Height(), 1);
}

TEST(OptimizeAnimation, ColorTablesAreSortedByUse) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 6);
    const TColor five = image.GlobalColors().GetColor(5);
    image.Header().BackgroundIndex = 5;
    AddFrame(image, {0, 0, 4, 1, {5, 5, 5, 2}});
    image.OptimizeAnimation(ooColorMaps);
    EXPECT_EQ(image.GlobalColors().Count(), 2) << "unused entries dropped";
    EXPECT_EQ(image.GlobalColors().GetColor(0), five);
    EXPECT_EQ(PixelsOf(*image.Frames()[0]), (Pixels{0, 0, 0, 1}));
}

TEST(OptimizeAnimation, BackgroundIndexKeepsItsColourWhenTheTableIsSorted) {
    const struct {
        const char* name;
        Pixels pixels;
        int background;
        int wantCount;
    } cases[] = {
        {"background in use, moved to the front", {4, 4, 4, 1}, 1, 2},
        {"background unused, kept as an entry", {4, 4, 4, 1}, 2, 3},
        // A table already in order of use is left whole, unused entries too.
        {"background already in place", {0, 0, 1, 2}, 0, 6},
    };
    for (const auto& c : cases) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 6);
        image.Header().BackgroundIndex = std::uint8_t(c.background);
        const TColor want = image.GlobalColors().GetColor(c.background);
        AddFrame(image, {0, 0, 4, 1, c.pixels});
        image.OptimizeAnimation(ooColorMaps);
        EXPECT_EQ(image.GlobalColors().Count(), c.wantCount) << c.name;
        EXPECT_EQ(image.BackgroundColor(), want) << c.name;
    }
}

TEST(OptimizeAnimation, ReducingColoursSharesOnePaletteSoLocalFramesMergeToo) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    AddFrame(image, {0, 0, 2, 1, {1, 2}, -1, -1, 5});
    TGIFSubImage* second = AddFrame(image, {0, 0, 2, 1, {0, 1}, -1, -1, 5});
    second->LocalColors().AddColor(image.GlobalColors().GetColor(1));
    second->LocalColors().AddColor(image.GlobalColors().GetColor(3));
    const std::vector<TShown> before = Show(image);
    image.OptimizeAnimation(ooReduceColors | ooMerge);
    EXPECT_TRUE(image.Frames()[1]->LocalColors().IsEmpty());
    ASSERT_TRUE(image.Frames()[1]->IsTransparent()) << "its first pixel repeats the first frame";
    EXPECT_EQ(image.Frames()[1]->PixelData()[0], image.Frames()[1]->ControlExtension()->TransparentIndex());
    EXPECT_EQ(Show(image), before);
}

TEST(OptimizeAnimation, ReportsProgressAsCopying) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    for (int i = 0; i < 3; ++i) AddFrame(image, {0, 0, 2, 1, {std::uint8_t(i), 1}, -1, -1, 5});
    TProgressCollector progress(image);
    image.OptimizeAnimation(kAllFrameOptimizations);
    const auto& entries = progress.Entries();
    ASSERT_GE(entries.size(), 3u);
    EXPECT_EQ(entries.front(), (TProgressCollector::TEntry{psStarting, 0, false, "Copying..."}));
    EXPECT_EQ(entries.back(), (TProgressCollector::TEntry{psEnding, 100, false, "Copying..."}));
    for (std::size_t i = 1; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].text, "Copying...") << "entry " << i;
        EXPECT_GE(entries[i].percent, entries[i - 1].percent) << "entry " << i;
    }
}

TEST(OptimizeAnimation, CustomPaletteReductionIsRefusedAndChangesNothing) {
    TGIFImage image;
    AddColors(image.GlobalColors(), 4);
    AddFrame(image, {0, 0, 2, 1, {0, 1}, -1, -1, 5});
    AddFrame(image, {0, 0, 2, 1, {0, 1}, -1, -1, 5});
    image.ColorReductionKind = crCustomPalette;
    TProgressCollector progress(image);
    try {
        image.OptimizeAnimation(ooReduceColors | kAllFrameOptimizations);
        ADD_FAILURE() << "no error";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), "Invalid reduction method");
    }
    EXPECT_EQ(image.Frames().Count(), 2);
    EXPECT_FALSE(image.Frames()[1]->IsTransparent());
    ASSERT_FALSE(progress.Entries().empty());
    EXPECT_EQ(progress.Entries().back().stage, psEnding);
    EXPECT_EQ(progress.Entries().back().percent, 0);
}

// --- what it shows ------------------------------------------------------------

// Small random animations with few colours (so pixels repeat often), every
// disposal, transparency, local tables, duplicate colours and frames that
// cover each other or not. Every set of techniques must leave the show alone,
// also after writing and reading the file back.
TEST(OptimizeAnimation, RandomAnimationsShowTheSameAfterEverySetOfTechniques) {
    std::mt19937 random(20261208);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    int frameTotal = 0, droppedTotal = 0;
    for (int round = 0; round < 960; ++round) {
        TGIFImage image;
        const int width = pick(1, 9), height = pick(1, 9);
        image.Header().ScreenWidth = std::uint16_t(width);
        image.Header().ScreenHeight = std::uint16_t(height);
        const int colors = pick(2, 5);
        for (int i = 0; i < colors; ++i)
            image.GlobalColors().AddColor(MakeColor(std::uint8_t(pick(0, 2) * 100), 0, 0));  // duplicates likely
        const int frames = pick(1, 6);
        for (int f = 0; f < frames; ++f) {
            TFrameRecipe recipe;
            recipe.width = pick(1, width);
            recipe.height = pick(1, height);
            recipe.left = pick(0, width - recipe.width);
            recipe.top = pick(0, height - recipe.height);
            int tableSize = colors;
            const bool local = pick(0, 4) == 0;
            if (local) tableSize = pick(1, 4);
            const bool mostlyTransparent = pick(0, 3) == 0;
            if (pick(0, 1) == 1) recipe.transparent = pick(0, tableSize - 1);
            for (int p = 0; p < recipe.width * recipe.height; ++p)
                recipe.pixels.push_back(std::uint8_t(mostlyTransparent && recipe.transparent >= 0
                                                       ? recipe.transparent
                                                       : pick(0, tableSize - 1)));
            if (pick(0, 3) > 0) recipe.disposal = pick(0, 3);
            if (pick(0, 2) > 0) recipe.delay = pick(0, 3) * 5;
            TGIFSubImage* frame = AddFrame(image, recipe);
            if (local) {
                for (int i = 0; i < tableSize; ++i)
                    frame->LocalColors().AddColor(MakeColor(std::uint8_t(pick(0, 2) * 100), 0, 0));
                if (recipe.transparent >= 0) frame->ControlExtension()->SetTransparentIndex(recipe.transparent);
            }
            if (f == 0 && pick(0, 1)) AddLoop(frame, pick(0, 3));
            if (pick(0, 5) == 0) AddComment(frame, "note");
        }
        const std::vector<TShown> before = Show(image);
        const int options = round % 64;  // every set of steps, with and without the smallest encoding
        image.OptimizeAnimation(options);
        ASSERT_EQ(Show(image), before) << "round " << round << " options " << options;
        EXPECT_EQ(image.Width(), width) << "round " << round;
        EXPECT_EQ(image.Height(), height) << "round " << round;
        TGIFImage reloaded;
        Reload(image, reloaded);
        ASSERT_EQ(Show(reloaded), before) << "written and read back, round " << round << " options " << options;
        // The data the optimiser kept (read back above) is no longer than
        // what encoding the frames anew writes.
        TGIFImage encodedAnew;
        encodedAnew.Assign(&image);
        for (int i = 0; i < encodedAnew.Frames().Count(); ++i) encodedAnew.Frames()[i]->DropKeptData();
        ASSERT_LE(Saved(image).size(), Saved(encodedAnew).size()) << "round " << round << " options " << options;
        // A pixel changed in place afterwards is written as it is now.
        TGIFSubImage& last = *image.Frames()[image.Frames().Count() - 1];
        if (!last.IsEmpty() && last.EffectiveColors()->Count() >= 2) {
            last.PixelData()[last.PixelDataSize() - 1] ^= 1;
            if (last.PixelData()[last.PixelDataSize() - 1] >= last.EffectiveColors()->Count())
                last.PixelData()[last.PixelDataSize() - 1] = 0;
            Reload(image, reloaded);
            ASSERT_EQ(PixelsOf(*reloaded.Frames()[image.Frames().Count() - 1]), PixelsOf(last)) << "round " << round;
        }
        frameTotal += frames;
        droppedTotal += frames - image.Frames().Count();
    }
    EXPECT_GT(droppedTotal, 0) << "the corpus must exercise dropping frames (of " << frameTotal << ")";
}

}  // namespace

// Found by fuzzing: one 11 x 11 frame far outside an 11 x 11 screen. Trimming
// grew the screen around it and the smallest encoding then asked for buffers
// of that size (34 GB for a frame at 65000, 65000). What the optimiser makes
// stays near what the picture needs, and the screen keeps its size.
TEST(OptimizeAnimation, FrameFarOutsideTheScreenAsksForNoScreenSizedBuffers) {
    for (const int at : {4769, 42107, 65000}) {
        TGIFImage image;
        AddColors(image.GlobalColors(), 4);
        AddFrame(image, {0, 0, 11, 11, Pixels(121, 1), -1, dispLeave, 5});
        AddFrame(image, {at, at, 11, 11, Pixels(121, 2), -1, dispLeave, 5});
        image.Header().ScreenWidth = 11;
        image.Header().ScreenHeight = 11;
        EXPECT_NO_THROW(image.OptimizeAnimation(kAllFrameOptimizations | ooSmallest)) << at;
        EXPECT_EQ(image.Width(), 11) << at;
        EXPECT_EQ(image.Height(), 11) << at;
    }
}
