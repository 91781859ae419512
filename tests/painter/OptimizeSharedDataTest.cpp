// Every animation of the shared suites shows the same frames before and after
// the optimisation the Optimize Animation dialog makes by default, once saved
// and read back.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "gif/ColorTableRepair.h"
#include "gif/FrameControl.h"
#include "raster/GIFException.h"
#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"
#include "gif/Stream.h"
#include "painter/GIFCompositor.h"
#include "ShownFrames.h"
#include "support/TestData.h"

using namespace painter_test;

namespace {
// A shared file as the editor opens it (tables long enough for every pixel);
// false for a file the reader refuses.
bool OpenAsTheEditorDoes(const std::filesystem::path& file, TGIFImage& image) {
    try {
        image.LoadFromFile(file.string());
    } catch (const GIFException&) {
        return false;
    }
    ExtendColorTablesToPixels(image);
    return true;
}

// The same, for the animations worth optimising in a test: two frames or
// more, and not too many pixels to compose quickly.
bool OpenSharedAnimation(const std::filesystem::path& file, TGIFImage& image) {
    return OpenAsTheEditorDoes(file, image) && image.Frames().Count() >= 2 &&
           std::uint64_t(image.Width()) * image.Height() * image.Frames().Count() <= 20'000'000;
}
}  // namespace

// Every animation of the shared suites shows the same frames before and after
// the default optimisation and a save.
TEST(OptimizedCopy, SharedAnimationsShowTheSameFrames) {
    const auto files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int checked = 0;
    for (const auto& file : files) {
        TGIFImage image;
        if (!OpenSharedAnimation(file, image)) continue;
        const Frames before = Shown(image);
        TGIFImage copy;
        try {
            MakeOptimizedCopy(image, {}, copy);
        } catch (const GIFException& e) {
            ADD_FAILURE() << file << ": " << e.what();
            continue;
        }
        EXPECT_TRUE(ShownAfterSaving(copy) == before) << file;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}


#include <set>

#include "painter/AnimationResize.h"

namespace {
// Some composed picture has more colours than one frame can hold.
bool MoreThanAFrameHolds(const Frames& frames) {
    for (const auto& rgba : frames) {
        std::set<std::uint32_t> colors;
        for (std::size_t p = 0; p + 3 < rgba.size(); p += 4)
            colors.insert(std::uint32_t(rgba[p]) << 24 | rgba[p + 1] << 16 | rgba[p + 2] << 8 | rgba[p + 3]);
        if (colors.size() > 256) return true;
    }
    return false;
}
}  // namespace

// Resizing to the animation's own size makes every frame a whole picture and
// must show exactly what the animation showed, unless a composed picture has
// more colours than a frame can hold.
TEST(AnimationResize, SharedAnimationsShowTheSameFramesWhenMadeWhole) {
    const auto files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int checked = 0;
    for (const auto& file : files) {
        TGIFImage image;
        if (!OpenAsTheEditorDoes(file, image)) continue;
        if (image.Frames().Count() < 2 || image.Width() > 1000 || image.Height() > 1000 ||
            std::uint64_t(image.Width()) * image.Height() * image.Frames().Count() > 20'000'000)
            continue;
        const Frames before = Shown(image);
        if (MoreThanAFrameHolds(before)) continue;
        ASSERT_TRUE(ResizeAnimation(image, image.Width(), image.Height())) << file;
        EXPECT_TRUE(ShownAfterSaving(image) == before) << file;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

#include "gif/GIFFrameOptimizer.h"

namespace {
// What is on screen and for how long: a frame showing what the one before
// showed only adds its time (the optimiser may drop such frames).
using Timeline = std::vector<std::pair<std::vector<std::uint8_t>, int>>;

Timeline ShownOverTime(TGIFImage& image) {
    Timeline timeline;
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(image).Run([&](int index, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        const TGIFGraphicControlExtension* control = image.Frames()[index]->ControlExtension();
        const int delay = control ? control->DelayTime : 0;
        if (!timeline.empty() && timeline.back().first == rgba) timeline.back().second += delay;
        else timeline.emplace_back(rgba, delay);
    });
    return timeline;
}

Timeline TimelineAfterSaving(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    stream.SetPosition(0);
    TGIFImage reread;
    reread.LoadFromStream(stream);
    return ShownOverTime(reread);
}
}  // namespace

// The smallest encoding the command-line tool makes (every step, then frames
// rebuilt from the screen) shows the same pictures for the same time, and is
// never larger than the usual steps alone.
TEST(SmallestEncoding, SharedAnimationsShowTheSameFramesAndShrink) {
    const auto files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int checked = 0;
    for (const auto& file : files) {
        TGIFImage image;
        if (!OpenSharedAnimation(file, image)) continue;
        const Timeline before = ShownOverTime(image);
        TGIFImage usual, smallest;
        usual.Assign(&image);
        smallest.Assign(&image);
        try {
            usual.OptimizeAnimation(kAllFrameOptimizations);
            smallest.OptimizeAnimation(kAllFrameOptimizations | ooSmallest);
        } catch (const GIFException& e) {
            ADD_FAILURE() << file << ": " << e.what();
            continue;
        }
        EXPECT_TRUE(TimelineAfterSaving(smallest) == before) << file;
        EXPECT_LE(SavedSize(smallest), SavedSize(usual)) << file;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

namespace {
// A screen of `size` x `size` over a full 256-colour global table; frame k
// is the picture with a small square moved k pixels to the right.
void AddMovingSquare(TGIFImage& image, int size, int frames) {
    image.Header().ScreenWidth = static_cast<std::uint16_t>(size);
    image.Header().ScreenHeight = static_cast<std::uint16_t>(size);
    for (int c = 0; c < 256; ++c) image.GlobalColors().AddColor(TColor(c | ((c * 7 & 0xFF) << 8) | ((255 - c) << 16)));
    for (int k = 0; k < frames; ++k) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, size, size);
        std::uint8_t* p = frame->PixelData();
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                *p++ = (x >= 10 + k && x < 20 + k && y >= 10 && y < 20) ? 255 : static_cast<std::uint8_t>((x + y * 3) % 255);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 5;
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
}
}  // namespace

// A full table leaves no index for transparency, so the usual steps cannot
// merge; the smallest encoding borrows an entry this frame does not draw.
TEST(SmallestEncoding, AFullTableStillGetsTransparencyAndSmallFrames) {
    TGIFImage image;
    AddMovingSquare(image, 64, 4);
    const Frames before = Shown(image);
    TGIFImage usual;
    usual.Assign(&image);
    usual.OptimizeAnimation(kAllFrameOptimizations);
    image.OptimizeAnimation(kAllFrameOptimizations | ooSmallest);
    EXPECT_TRUE(ShownAfterSaving(image) == before);
    for (int k = 1; k < 4; ++k) {
        const TGIFSubImage& frame = *image.Frames()[k];
        EXPECT_LE(frame.Width(), 11) << k;  // the square's trailing column and its new leading one
        EXPECT_EQ(frame.Height(), 10) << k;
    }
    EXPECT_LT(SavedSize(image), SavedSize(usual));
}

// Readers that fill the screen outside the first frame with the background
// colour leave that out for a transparent first frame: it stays transparent,
// and keeps covering what it covered.
TEST(SmallestEncoding, ATransparentFirstFrameKeepsItsTransparencyAndItsArea) {
    TGIFImage image;
    image.Header().ScreenWidth = 40;
    image.Header().ScreenHeight = 40;
    image.GlobalColors().AddColor(0x000000);
    image.GlobalColors().AddColor(0x0000FF);
    for (int k = 0; k < 2; ++k) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 40, 40);
        std::uint8_t* p = frame->PixelData();
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 40; ++x) *p++ = (x < 10 + 10 * k && y < 10) ? 1 : 0;
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->SetUsesTransparency(true);
        control->SetTransparentIndex(0);
        control->DelayTime = 10;
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
    const Frames before = Shown(image);
    image.OptimizeAnimation(ooSmallest);
    EXPECT_TRUE(ShownAfterSaving(image) == before);
    const TGIFSubImage& first = *image.Frames()[0];
    ASSERT_TRUE(first.ControlExtension());
    EXPECT_TRUE(first.ControlExtension()->UsesTransparency());
    EXPECT_EQ(first.Width(), 40);
    EXPECT_EQ(first.Height(), 40);
    // The second frame only adds its new part.
    EXPECT_EQ(image.Frames()[1]->Width(), 10);
}

#include "gif/SmallestEncoding.h"

namespace {
// The largest squared RGB distance between the same pixel of two frame
// lists; -1 when they differ in count, size or where something is shown.
int WorstDistance2(const Frames& a, const Frames& b) {
    if (a.size() != b.size()) return -1;
    int worst = 0;
    for (std::size_t f = 0; f < a.size(); ++f) {
        if (a[f].size() != b[f].size()) return -1;
        for (std::size_t p = 0; p + 3 < a[f].size(); p += 4) {
            if ((a[f][p + 3] == 0) != (b[f][p + 3] == 0)) return -1;
            if (a[f][p + 3] == 0) continue;
            int d2 = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                const int d = int(a[f][p + c]) - int(b[f][p + c]);
                d2 += d * d;
            }
            worst = std::max(worst, d2);
        }
    }
    return worst;
}
}  // namespace

// Every shared animation optimised lossy keeps every pixel of every frame
// within the bound, and shrinks at least as far as without loss.
TEST(SmallestEncoding, SharedAnimationsStayWithinTheLossyBound) {
    const auto files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int checked = 0;
    for (const auto& file : files) {
        TGIFImage image;
        if (!OpenSharedAnimation(file, image)) continue;
        TGIFImage exact, lossy;
        exact.Assign(&image);
        lossy.Assign(&image);
        exact.OptimizeAnimation(kAllFrameOptimizations);
        lossy.OptimizeAnimation(kAllFrameOptimizations);
        // (The usual steps may drop frames; the smallest encoding keeps them all.)
        const Frames before = Shown(lossy);
        FindSmallestEncoding(exact, 0);
        FindSmallestEncoding(lossy, 80);
        const int worst = WorstDistance2(before, ShownAfterSaving(lossy));
        EXPECT_GE(worst, 0) << file;
        EXPECT_LE(worst, 21 * 21) << file;  // 0.27 x 80
        EXPECT_LE(SavedSize(lossy), SavedSize(exact)) << file;
        ++checked;
    }
    EXPECT_GT(checked, 10);
}

// Frames that clear or restore their area are set free when no pixel ever
// goes back to nothing: every frame then leaves its picture, and only what
// changes is drawn. The image keeps whoever listens to it.
TEST(SmallestEncoding, FramesThatClearOrRestoreCanLeaveTheirPictureInstead) {
    TGIFImage image;
    AddMovingSquare(image, 64, 6);
    // The background once, then the square as a frame of its own that
    // restores what was under it.
    for (int k = 1; k < image.Frames().Count(); ++k) {
        TGIFSubImage& frame = *image.Frames()[k];
        frame.PlaceFrame(10 + k, 10, 10, 10);
        std::fill_n(frame.PixelData(), 10 * 10, std::uint8_t(255));
        frame.ControlExtension()->SetDisposalMethod(dispPrevious);
    }
    const Frames before = Shown(image);
    bool warned = false;
    image.OnWarn = [&](TPersistent*, int, const std::string&) { warned = true; };
    FindSmallestEncoding(image, 0);
    EXPECT_TRUE(ShownAfterSaving(image) == before);
    for (int k = 0; k < image.Frames().Count(); ++k)
        EXPECT_TRUE(LeavesPicture(Disposal(*image.Frames()[k]))) << k;
    // The square moves by one pixel: one column goes, one comes.
    EXPECT_LE(image.Frames()[2]->Width(), 11);
    ASSERT_TRUE(image.OnWarn);
    image.OnWarn(nullptr, 0, "still listening");
    EXPECT_TRUE(warned);
}

// Lossy: smaller than lossless, and no pixel of any composed frame further
// from the original than 0.27 x lossy (RGB distance); lossy 0 changes nothing.
// Interlaced frames save a good part of that too: their pixels are chosen in
// the order the encoder meets them.
TEST(SmallestEncoding, LossyStaysWithinItsBoundAndShrinks) {
    std::int64_t saved[2] = {0, 0};
    for (bool interlaced : {false, true}) {
        TGIFImage original;
        AddMovingSquare(original, 64, 6);
        // Noise the lossless path cannot compress away, within close colours.
        for (int k = 0; k < original.Frames().Count(); ++k) {
            std::uint8_t* p = original.Frames()[k]->PixelData();
            for (int i = 0; i < 64 * 64; ++i)
                if (p[i] != 255) p[i] = static_cast<std::uint8_t>((p[i] + ((i * 7 + k * 13) % 3)) % 255);
            original.Frames()[k]->SetInterlaced(interlaced);
        }
        const Frames before = Shown(original);
        TGIFImage exact, lossy;
        exact.Assign(&original);
        lossy.Assign(&original);
        FindSmallestEncoding(exact, 0);
        FindSmallestEncoding(lossy, 80);
        EXPECT_TRUE(ShownAfterSaving(exact) == before);
        EXPECT_LT(SavedSize(lossy), SavedSize(exact));
        saved[interlaced] = SavedSize(exact) - SavedSize(lossy);
        const Frames after = ShownAfterSaving(lossy);
        ASSERT_EQ(after.size(), before.size());
        int worst = 0;
        for (std::size_t f = 0; f < before.size(); ++f)
            for (std::size_t p = 0; p + 3 < before[f].size(); p += 4) {
                int d2 = 0;
                for (int c = 0; c < 3; ++c) {
                    const int d = int(before[f][p + std::size_t(c)]) - int(after[f][p + std::size_t(c)]);
                    d2 += d * d;
                }
                worst = std::max(worst, d2);
                ASSERT_EQ(before[f][p + 3], after[f][p + 3]);
            }
        EXPECT_LE(worst, 21 * 21) << interlaced;  // 0.27 x 80
    }
    // Not all of it: the rows meet in another order, and so do the strings
    // (and the exact frames' parse looking ahead gains more there).
    EXPECT_GE(saved[1] * 5, saved[0]) << "interlaced frames save far less";
}
