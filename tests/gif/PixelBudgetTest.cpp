// The pixel budget: what a file may declare is checked before anything is
// allocated for it. Each odd file is built from a recipe that says what it is.
#include "raster/DIB.h"
#include "gif/GIFImage.h"
#include "gif/GIFRecipe.h"
#include "raster/PixelBudget.h"
#include "raster/Bitmap.h"
#include "support/WarningCollector.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
using Bytes = TGIFRecipe::Bytes;

std::string LoadError(TGIFImage& image, const Bytes& bytes) {
    try {
        TMemoryStream in(bytes.data(), bytes.size());
        image.LoadFromStream(in);
        return "";
    } catch (const GIFException& e) {
        return e.what();
    }
}

// Runs `work` in a child process whose address space is limited to `megabytes`
// above what it already uses, so an allocation of the declared size fails
// there; answers whether the child finished its work. Sanitizers reserve
// terabytes of address space, so under them the work runs without a limit.
bool WithinAddressSpace(std::size_t megabytes, const std::function<bool()>& work) {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    (void)megabytes;
    return work();
#else
    const pid_t child = fork();
    if (child == 0) {
        rlimit used{};
        getrlimit(RLIMIT_AS, &used);
        // Current size from /proc: the limit is what is there plus the allowance.
        std::size_t pages = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%zu", &pages) != 1) pages = 0;
            std::fclose(f);
        }
        const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + megabytes * 1024 * 1024;
        rlimit r{limit, limit};
        setrlimit(RLIMIT_AS, &r);
        _exit(work() ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
#endif
}

// A file like one the fuzzer found: a 92 x 17 screen, a first frame of
// 32832 x 18544 pixels (608.8 M) placed far to the right of the screen, with
// some image data, then 75 frames of 15 x 14.
Bytes FarAwayGiantThenSmallFrames() {
    TGIFRecipe r;
    r.Header(92, 17, 0x81).Table(4);
    r.GraphicControl(0, 7, 0).Image(40000, 3, 32832, 18544, std::vector<int>(2000, 1));
    for (int i = 0; i < 75; ++i)
        r.GraphicControl(0, 5, 0).Image(i % 70, i % 3, 15, 14, std::vector<int>(15 * 14, i % 4));
    return r.Trailer();
}
} // namespace

// A frame far away but no larger than the screen is read whole, as other
// decoders read it: there is no cost to save.
TEST(PixelBudget, FarAwayFrameNoLargerThanTheScreenIsReadWhole) {
    TGIFRecipe r;
    r.Header(10, 10, 0x81).Table(4);
    r.Image(0, 0, 10, 10, std::vector<int>(100, 1));
    r.Image(65530, 65530, 5, 4, std::vector<int>(20, 2));
    TGIFImage image;
    ASSERT_EQ(LoadError(image, r.Trailer()), "");
    ASSERT_EQ(image.Frames().Count(), 2);
    const TGIFSubImage& far = *image.Frames()[1];
    EXPECT_EQ(far.Left(), 65530);
    EXPECT_EQ(far.Width(), 5);
    EXPECT_EQ(far.Height(), 4);
    EXPECT_EQ(far.PixelData()[19], 2);
    EXPECT_EQ(image.Width(), 10) << "the screen does not grow to reach it";
}

TEST(PixelBudget, FarAwayGiantFrameIsKeptAsOnePixelWithoutAllocating) {
    const Bytes file = FarAwayGiantThenSmallFrames();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = WithinAddressSpace(256, [&file] {
        TGIFImage image;
        if (!LoadError(image, file).empty() || image.Frames().Count() != 76) return false;
        const TGIFSubImage& giant = *image.Frames()[0];
        return giant.Width() == 1 && giant.Height() == 1 && giant.Left() == 40000 &&
               giant.ControlExtension() && giant.ControlExtension()->DelayTime == 7;
    });
    EXPECT_TRUE(ok);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));

    TGIFImage image;
    TWarningCollector warnings(image);
    ASSERT_EQ(LoadError(image, file), "");
    const auto texts = warnings.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Image exceeds Logical Screen size"), texts.end());
    // It still writes and reads back with every frame and its delay.
    TMemoryStream out;
    image.SaveToStream(out);
    out.SetPosition(0);
    TGIFImage back;
    back.LoadFromStream(out);
    ASSERT_EQ(back.Frames().Count(), 76);
    EXPECT_EQ(back.Frames()[0]->ControlExtension()->DelayTime, 7);
    EXPECT_EQ(back.Frames()[75]->Width(), 15);
}

TEST(PixelBudget, FramesJustUnderAndOverEachLimit) {
    struct TCase {
        const char* what;
        std::vector<std::pair<int, int>> frames;
        std::string error;
    };
    // A budget of 100 pixels a frame and 250 an animation, on a 20 x 20 screen.
    const TCase cases[] = {
        {"frame at the limit", {{10, 10}}, ""},
        {"frame one row over", {{10, 11}}, "Image too large"},
        {"animation at the limit", {{10, 10}, {10, 10}, {5, 10}}, ""},
        {"animation one pixel over", {{10, 10}, {10, 10}, {5, 10}, {1, 1}}, "Image too large"},
    };
    for (const TCase& c : cases) {
        TGIFRecipe r;
        r.Header(20, 20, 0x81).Table(4);
        for (auto [w, h] : c.frames) r.Image(0, 0, w, h, std::vector<int>(static_cast<std::size_t>(w * h), 1));
        TGIFImage image;
        image.PixelBudget = TPixelBudget{100, 250};
        EXPECT_EQ(LoadError(image, r.Trailer()), c.error) << c.what;
    }
}

TEST(PixelBudget, DefaultLimitsRefuseBeforeReadingAnyData) {
    // 8192 x 8193 is one row over 2^26 pixels; the descriptor alone decides.
    const auto over = TGIFRecipe().Header(9000, 9000, 0x81).Table(4).Image(0, 0, 8192, 8193, {0}).Trailer();
    EXPECT_TRUE(WithinAddressSpace(128, [&over] {
        TGIFImage image;
        return LoadError(image, over) == ImageTooLargeText;
    }));
    // Overlapping the screen, a huge frame is refused, not shrunk.
    const auto overlapping = TGIFRecipe().Header(92, 17, 0x81).Table(4).Image(50, 0, 32832, 18544, {0}).Trailer();
    TGIFImage image;
    EXPECT_EQ(LoadError(image, overlapping), ImageTooLargeText);
    EXPECT_TRUE(DefaultPixelBudget.FrameFits(8192, 8192));
    EXPECT_FALSE(DefaultPixelBudget.FrameFits(8192, 8193));
}

TEST(PixelBudget, BitmapDataDeclaringAHugeSizeIsRefused) {
    // A 40-byte header saying 65535 x 65535 at 24 bits, and a few bytes of pixels.
    Bytes dib(48, 0);
    auto put32 = [&dib](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) dib[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, 65535);
    put32(8, 65535);
    dib[12] = 1;
    dib[14] = 24;
    TBitmap bitmap;
    try {
        LoadPackedDIB(bitmap, dib);
        ADD_FAILURE() << "accepted";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), ImageTooLargeText);
    }
}

// The animation budget follows the machine: a quarter of its memory, never
// less than the default; and the user is told what the limit is.
TEST(PixelBudget, AnimationBudgetFollowsTheMachinesMemory) {
    constexpr std::uint64_t GiB = std::uint64_t(1) << 30;
    EXPECT_EQ(PixelBudgetForMemory(24 * GiB).DocumentPixels, 6 * GiB);
    EXPECT_EQ(PixelBudgetForMemory(GiB / 2).DocumentPixels, DefaultPixelBudget.DocumentPixels);
    EXPECT_EQ(PixelBudgetForMemory(24 * GiB).FramePixels, DefaultPixelBudget.FramePixels) << "per picture: unchanged";
    // A half-minute recording (1000 frames of 640 x 480) is over the default
    // and well within a machine of 4 GiB.
    EXPECT_GT(1000ull * 640 * 480, DefaultPixelBudget.DocumentPixels);
    EXPECT_LT(1000ull * 640 * 480, PixelBudgetForMemory(4 * GiB).DocumentPixels);

    TGIFRecipe r;
    r.Header(10, 10, 0x81).Table(4);
    for (int i = 0; i < 3; ++i) r.Image(0, 0, 10, 10, std::vector<int>(100, 1));
    TGIFImage image;
    image.PixelBudget = TPixelBudget{100, 250};
    try {
        TMemoryStream in(r.Get().data(), r.Get().size());
        image.LoadFromStream(in);
        FAIL() << "three frames of 100 pixels pass a budget of 250";
    } catch (const GIFException& e) {
        EXPECT_STREQ(e.what(), ImageTooLargeText);
        EXPECT_NE(e.Detail().find("at most 0 million"), std::string::npos) << e.Detail();
    }
}

// Whatever the budget, a small file cannot declare gigabytes of frames that
// its data could never fill: frames of 4096 x 4096 pixels, each with a few
// bytes of data, are refused once they pass what the file could fill.
TEST(PixelBudget, FramesThatTheFileCannotFillAreRefusedWhateverTheBudget) {
    TGIFRecipe r;
    r.Header(4096, 4096, 0x81).Table(4);
    for (int i = 0; i < 300; ++i) r.Image(0, 0, 4096, 4096, {1, 2, 3});
    const Bytes file = r.Trailer();
    ASSERT_LT(file.size(), 10000u);
    EXPECT_TRUE(WithinAddressSpace(512, [&file] {
        TGIFImage image;
        image.PixelBudget = PixelBudgetForMemory(std::uint64_t(64) << 30);
        try {
            TMemoryStream in(file.data(), file.size());
            image.LoadFromStream(in);
            return false;
        } catch (const GIFException& e) {
            return std::string(e.what()) == ImageTooLargeText;
        }
    }));
}
