// Every animation of the shared suites shows the same frames before and after
// the optimisation the Optimize Animation dialog makes by default, once saved
// and read back.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "gif/ColorTableRepair.h"
#include "platform/raster/GIFException.h"
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
}  // namespace

// Every animation of the shared suites shows the same frames before and after
// the default optimisation and a save.
TEST(OptimizedCopy, SharedAnimationsShowTheSameFrames) {
    const auto files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    int checked = 0;
    for (const auto& file : files) {
        TGIFImage image;
        if (!OpenAsTheEditorDoes(file, image)) continue;
        if (image.Frames().Count() < 2 || std::uint64_t(image.Width()) * image.Height() * image.Frames().Count() > 20'000'000)
            continue;
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
