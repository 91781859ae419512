// reelix-tool edit's picture options run as a program: each changes the
// size and the pictures as the editor's tools do; bad values write nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "gif/GIFImage.h"
#include "gif/GIFRecipe.h"
#include "painter/GIFCompositor.h"
#include "support/TestData.h"
#include "support/ToolRunner.h"

namespace fs = std::filesystem;

namespace {

class ToolPictureEdits : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(REELIX_BINARY_DIR) / "tool-picture-test" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        // 6 x 4, two frames: a left-to-right ramp of four colours, then one
        // corner pixel changed.
        TGIFRecipe recipe;
        recipe.Header(6, 4, 0x81).Table(4).Loop(0);
        std::vector<int> ramp;
        for (int i = 0; i < 24; ++i) ramp.push_back(i % 6 * 4 / 6);
        recipe.GraphicControl(0, 10, 0).Image(0, 0, 6, 4, ramp).GraphicControl(0, 20, 0).Image(5, 3, 1, 1, {0});
        in_ = dir_ / "in.gif";
        const std::vector<std::uint8_t> bytes = recipe.Trailer().Get();
        std::ofstream(in_, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    // The composed frames of the edited file (RGBA).
    std::vector<std::vector<std::uint8_t>> Edited(const std::string& options, int width, int height) {
        const fs::path out = dir_ / "out.gif";
        fs::remove(out);
        const TToolRun run = RunTool("edit " + in_.string() + " " + out.string() + " " + options, dir_ / "stderr.txt");
        EXPECT_EQ(run.status, 0) << options << ": " << ReadFileText(dir_ / "stderr.txt");
        TGIFImage image;
        image.LoadFromFile(out.string());
        EXPECT_EQ(image.Width(), width) << options;
        EXPECT_EQ(image.Height(), height) << options;
        std::vector<std::vector<std::uint8_t>> frames;
        std::vector<std::uint8_t> rgba;
        TGIFCompositor(image).Run([&](int, const TBitmap& screen) {
            TGIFCompositor::ToRGBA(screen, rgba);
            frames.push_back(rgba);
        });
        return frames;
    }
    fs::path dir_, in_;
};

TEST_F(ToolPictureEdits, CropRotateFlipAndResizeChangeThePicture) {
    const auto original = Edited("--delay=all:10", 6, 4);
    ASSERT_EQ(original.size(), 2u);
    auto pixel = [](const std::vector<std::uint8_t>& f, int w, int x, int y) {
        return std::vector<std::uint8_t>(f.begin() + (y * w + x) * 4, f.begin() + (y * w + x) * 4 + 4);
    };
    const auto cropped = Edited("--crop=2,1,4,3", 4, 3);
    EXPECT_EQ(pixel(cropped[1], 4, 3, 2), pixel(original[1], 6, 5, 3));
    const auto turned = Edited("--rotate=90", 4, 6);
    EXPECT_EQ(pixel(turned[0], 4, 3, 0), pixel(original[0], 6, 0, 0)) << "the top-left corner goes top-right";
    const auto flipped = Edited("--flip=h --flip=v", 6, 4);
    EXPECT_EQ(pixel(flipped[1], 6, 0, 0), pixel(original[1], 6, 5, 3));
    Edited("--filter=nearest --resize=12x8", 12, 8);
#ifdef REELIX_TOOL_HAS_IMAGING
    Edited("--resize=50% --filter=bilinear", 3, 2);
    const auto captioned = Edited("--text=Hi --font-size=4 --text-color=ff0000 --outline=000000:0 --text-at=0,0", 6, 4);
    EXPECT_NE(captioned[0], original[0]);
#else
    // Without the imaging libraries the tool says so and writes nothing.
    for (const char* needs : {"--resize=50% --filter=smooth", "--text=Hi"}) {
        const fs::path out = dir_ / "needs.gif";
        EXPECT_EQ(RunTool("edit " + in_.string() + " " + out.string() + " " + needs, dir_ / "stderr.txt").status, 1);
        EXPECT_FALSE(fs::exists(out)) << needs;
    }
#endif

    for (const char* bad : {"--crop=1,1,0,2", "--crop=9,9,2,2", "--rotate=45", "--flip=x", "--resize=0%",
                            "--filter=cubic", "--text=", "--outline=000000:99", "--text-at=middle", "--text-color=red"}) {
        const fs::path out = dir_ / "bad.gif";
        const TToolRun run = RunTool("edit " + in_.string() + " " + out.string() + " " + bad, dir_ / "stderr.txt");
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_FALSE(fs::exists(out)) << bad << ": nothing is written";
    }
}

}  // namespace

// A picture larger than the animation: clipped by default, the screen grown,
// or the picture scaled to fit with its ratio kept.
TEST_F(ToolPictureEdits, LargePicturesAreClippedGrownOrFitted) {
    TGIFRecipe recipe;
    recipe.Header(12, 6, 0x81).Table(4);
    std::vector<int> big;
    for (int i = 0; i < 72; ++i) big.push_back(i % 12 < 6 ? 1 : 2);
    recipe.Image(0, 0, 12, 6, big);
    const fs::path large = dir_ / "large.gif";
    const std::vector<std::uint8_t> bytes = recipe.Trailer().Get();
    std::ofstream(large, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    auto lastFrame = [&](const std::string& options, int width, int height) {
        Edited(options, width, height);
        TGIFImage image;
        image.LoadFromFile((dir_ / "out.gif").string());
        const TGIFSubImage& f = *image.Frames()[image.Frames().Count() - 1];
        return std::make_pair(int(f.Width()), int(f.Height()));
    };
    EXPECT_EQ(lastFrame("--add=" + large.string(), 6, 4), std::make_pair(6, 4));
    EXPECT_EQ(lastFrame("--large=grow --add=" + large.string(), 12, 6), std::make_pair(12, 6));
    EXPECT_EQ(lastFrame("--large=fit --add=" + large.string(), 6, 4), std::make_pair(6, 3));
    EXPECT_EQ(RunTool("edit " + in_.string() + " " + (dir_ / "bad.gif").string() + " --large=shrink", dir_ / "stderr.txt").status, 1);
}

// reelix-tool convert: a clip made by ffmpeg (a peer, test-only) becomes an
// animation of the part, rate and size asked; bad options write nothing.
TEST_F(ToolPictureEdits, ConvertMakesTheImportOfAClip) {
#ifndef REELIX_TOOL_HAS_IMAGING
    EXPECT_EQ(RunTool("convert in.mp4 out.gif", dir_ / "stderr.txt").status, 1);
#else
    if (RunCommand("command -v ffmpeg >/dev/null").status != 0) GTEST_SKIP() << "ffmpeg is not installed";
    const fs::path clip = dir_ / "clip.mp4", out = dir_ / "clip.gif";
    ASSERT_EQ(RunCommand("ffmpeg -v error -y -f lavfi -i testsrc2=size=80x60:rate=20 -t 2 -pix_fmt yuv420p " +
                         clip.string()).status, 0);
    ASSERT_EQ(RunTool("convert " + clip.string() + " " + out.string() + " --from=0.5 --to=1.5 --fps=5 --width=40",
                      dir_ / "stderr.txt").status, 0);
    TGIFImage image;
    image.LoadFromFile(out.string());
    EXPECT_EQ(image.Frames().Count(), 5);
    EXPECT_EQ(image.Width(), 40);
    EXPECT_EQ(image.Height(), 30);
    for (const char* bad : {"--fps=0", "--colors=1", "--colors=300", "--dither=maybe", "--palette=octree",
                            "--from=2 --to=1", "--width=-3"}) {
        const fs::path none = dir_ / "bad.gif";
        EXPECT_EQ(RunTool("convert " + clip.string() + " " + none.string() + " " + bad, dir_ / "stderr.txt").status, 1)
            << bad;
        EXPECT_FALSE(fs::exists(none)) << bad;
    }
    EXPECT_EQ(RunTool("convert " + (dir_ / "missing.mp4").string() + " " + out.string(), dir_ / "stderr.txt").status, 1);
#endif
}

// export writes each web format and convert reads WebP and animated PNG back
// with their frames and delays; bad options write nothing.
TEST_F(ToolPictureEdits, ExportWritesTheWebFormatsAndConvertReadsThemBack) {
#ifndef REELIX_TOOL_HAS_IMAGING
    EXPECT_EQ(RunTool("export " + in_.string() + " out.webp", dir_ / "stderr.txt").status, 1);
#else
    for (const char* name : {"a.webp", "a.png", "a.mp4", "a.webm"}) {
        const fs::path out = dir_ / name;
        ASSERT_EQ(RunTool("export " + in_.string() + " " + out.string() + " --still", dir_ / "stderr.txt").status, 0)
            << name << ": " << ReadFileText(dir_ / "stderr.txt");
        EXPECT_GT(fs::file_size(out), 0u) << name;
        EXPECT_TRUE(fs::exists(dir_ / (fs::path(name).stem().string() + "-still.png"))) << name;
    }
    for (const char* name : {"a.webp", "a.png"}) {
        const fs::path back = dir_ / "back.gif";
        ASSERT_EQ(RunTool("convert " + (dir_ / name).string() + " " + back.string(), dir_ / "stderr.txt").status, 0) << name;
        TGIFImage image;
        image.LoadFromFile(back.string());
        ASSERT_EQ(image.Frames().Count(), 2) << name;
        EXPECT_EQ(image.Frames()[0]->ControlExtension()->DelayTime, 10) << name;
        EXPECT_EQ(image.Frames()[1]->ControlExtension()->DelayTime, 20) << name;
    }
    for (const char* bad : {"x.gif", "x.webp --quality=101", "x.webp --quality=", "x.mp4 --lossy"}) {
        const std::string target = (dir_ / bad).string();
        EXPECT_EQ(RunTool("export " + in_.string() + " " + target, dir_ / "stderr.txt").status, 1) << bad;
        EXPECT_FALSE(fs::exists(dir_ / "x.gif") || fs::exists(dir_ / "x.webp") || fs::exists(dir_ / "x.mp4")) << bad;
    }
    EXPECT_EQ(RunTool("export " + (dir_ / "missing.gif").string() + " " + (dir_ / "m.webp").string(), dir_ / "stderr.txt").status, 1);
    EXPECT_FALSE(fs::exists(dir_ / "m.webp"));
#endif
}
