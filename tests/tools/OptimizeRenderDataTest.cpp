// reelix-tool optimize on every animation of the shared test data: the output
// must show exactly what the input shows. Both files are played by
// `reelix-tool render`; pictures that follow each other unchanged count as one
// picture shown for the sum of their delays, since dropping a frame that shows
// nothing new moves its time to the frame before.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "support/ToolRunner.h"

namespace fs = std::filesystem;
using ::testing::MatchesRegex;

namespace {

// The RGBA bytes of a PAM file written by `render`; empty when unreadable.
std::string ReadPAMPixels(const fs::path& path, int& width, int& height) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    width = height = 0;
    while (std::getline(in, line) && line != "ENDHDR") {
        std::istringstream fields(line);
        std::string key;
        fields >> key;
        if (key == "WIDTH") fields >> width;
        if (key == "HEIGHT") fields >> height;
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct TShown {
    std::string rgba;
    int delay;
};

// Renders `file` into `dir` and pairs each picture with its frame's delay,
// folding unchanged pictures into one. A show of one picture lasts no time.
bool Show(const fs::path& file, const fs::path& dir, const fs::path& err, std::vector<TShown>& shown,
          std::string& size) {
    TGIFImage image;
    image.LoadFromFile(file.string());
    fs::remove_all(dir);
    if (RunTool("render " + Quoted(file) + " " + Quoted(dir), err).status != 0) return false;
    shown.clear();
    for (int i = 0; i < image.Frames().Count(); ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "frame-%03d.pam", i);
        const TGIFGraphicControlExtension* control = image.Frames()[i]->ControlExtension();
        const int delay = control ? control->DelayTime : 0;
        // A frame the player does not compose (one without pixels) leaves the
        // picture as it was.
        if (!fs::exists(dir / name)) {
            if (!shown.empty()) shown.back().delay += delay;
            continue;
        }
        int width = 0, height = 0;
        std::string rgba = ReadPAMPixels(dir / name, width, height);
        size = std::to_string(width) + "x" + std::to_string(height);
        if (!shown.empty() && shown.back().rgba == rgba) shown.back().delay += delay;
        else shown.push_back({std::move(rgba), delay});
    }
    if (shown.size() == 1) shown[0].delay = 0;
    return true;
}

// Multi-frame GIFs of the shared data that our reader takes and our writer
// can write back.
std::vector<fs::path> Animations() {
    std::vector<fs::path> found;
    const fs::path root(REELIX_TESTDATA_DIR);
    std::error_code ec;
    if (!fs::is_directory(root / "gif", ec)) return found;
    for (const auto& entry : fs::recursive_directory_iterator(root / "gif", ec)) {
        if (!entry.is_regular_file() || entry.path().extension() != ".gif") continue;
        if (fs::file_size(entry.path(), ec) > 4'000'000) continue;
        try {
            TGIFImage image;
            image.LoadFromFile(entry.path().string());
            if (image.Frames().Count() < 2) continue;
            // Damaged files with a vast screen would be rendered picture by
            // picture at that size: beyond what this test can afford.
            if (std::uint64_t(image.Width()) * image.Height() * image.Frames().Count() > 64'000'000) continue;
            // Files the writer refuses as they are (pixels beyond every colour
            // table) cannot be optimised either.
            TMemoryStream stream;
            image.SaveToStream(stream);
            found.push_back(entry.path());
        } catch (const std::exception&) {
        }
    }
    std::sort(found.begin(), found.end());
    return found;
}

fs::path WorkDir(const std::string& name) {
    const fs::path dir = fs::path(REELIX_BINARY_DIR) / "optimize-render-test" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(OptimizeRender, EveryAnimationShowsTheSameAfterOptimizing) {
    const std::vector<fs::path> files = Animations();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    const fs::path dir = WorkDir("all");
    int optimized = 0;
    std::vector<std::string> notRoundTripped;
    std::uintmax_t bytesIn = 0, bytesOut = 0;
    for (const fs::path& file : files) {
        const std::string name = fs::relative(file, fs::path(REELIX_TESTDATA_DIR)).string();
        const fs::path out = dir / "out.gif";
        fs::remove(out);
        const TToolRun run = RunTool("optimize " + Quoted(file) + " " + Quoted(out), dir / "stderr.txt");
        ASSERT_EQ(run.status, 0) << name;
        // What the document shows is what it shows once read and written
        // back: broken files are repaired by the reader, and that repair is
        // not the optimiser's business.
        const fs::path base = dir / "base.gif";
        {
            TGIFImage image;
            image.LoadFromFile(file.string());
            image.SaveToFile(base.string());
        }
        std::vector<TShown> before, after, direct;
        std::string sizeBefore, sizeAfter, sizeDirect;
        ASSERT_TRUE(Show(base, dir / "in", dir / "stderr.txt", before, sizeBefore)) << name;
        if (!Show(file, dir / "direct", dir / "stderr.txt", direct, sizeDirect) || sizeDirect != sizeBefore ||
            direct.size() != before.size() ||
            !std::equal(direct.begin(), direct.end(), before.begin(),
                        [](const TShown& a, const TShown& b) { return a.rgba == b.rgba && a.delay == b.delay; }))
            notRoundTripped.push_back(name);
        ASSERT_TRUE(Show(out, dir / "out", dir / "stderr.txt", after, sizeAfter)) << name;
        EXPECT_EQ(sizeAfter, sizeBefore) << name;
        ASSERT_EQ(after.size(), before.size()) << name << ": pictures shown";
        for (std::size_t i = 0; i < before.size(); ++i) {
            EXPECT_TRUE(after[i].rgba == before[i].rgba) << name << ": picture " << i << " differs";
            EXPECT_EQ(after[i].delay, before[i].delay) << name << ": time of picture " << i;
        }
        ++optimized;
        bytesIn += fs::file_size(file);
        bytesOut += fs::file_size(out);
    }
    RecordProperty("animations", optimized);
    std::printf("%d animations, %ju bytes in, %ju bytes out\n", optimized, bytesIn, bytesOut);
    for (const std::string& name : notRoundTripped) std::printf("shown differently once written back: %s\n", name.c_str());
}

TEST(OptimizeRender, ReportsSizesAndSavingAsTheEditorShowsThem) {
    const fs::path dir = WorkDir("report");
    TGIFImage image;
    image.Header().ScreenWidth = 200;
    image.Header().ScreenHeight = 100;
    for (int i = 0; i < 4; ++i) image.GlobalColors().AddColor(MakeColor(std::uint8_t(i * 60), 0, 0));
    for (int f = 0; f < 3; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 200, 100);
        for (int p = 0; p < 200 * 100; ++p) frame->PixelData()[p] = std::uint8_t((p / 7 + p / 200) % 4);
        frame->PixelData()[f] = 3;
        image.Frames().Add(std::move(frame));
    }
    image.SaveToFile((dir / "in.gif").string());
    const TToolRun run = RunTool("optimize " + Quoted(dir / "in.gif") + " " + Quoted(dir / "out.gif"), dir / "err.txt");
    ASSERT_EQ(run.status, 0);
    EXPECT_THAT(run.out, MatchesRegex("Current Size: [0-9]{1,3}(,[0-9]{3})* bytes\n"
                                      "Optimized Size: [0-9]{1,3}(,[0-9]{3})* bytes\n"
                                      "Total Savings: [0-9]{1,3}(,[0-9]{3})* bytes \\( ?[0-9]+\\.[0-9]%\\)\n"));
    const std::string current = std::to_string(fs::file_size(dir / "in.gif"));
    std::string grouped;
    for (std::size_t i = 0; i < current.size(); ++i) {
        if (i > 0 && (current.size() - i) % 3 == 0) grouped += ',';
        grouped += current[i];
    }
    EXPECT_THAT(run.out, ::testing::HasSubstr("Current Size: " + grouped + " bytes\n"));
    EXPECT_LT(fs::file_size(dir / "out.gif"), fs::file_size(dir / "in.gif")) << "two frames repeat the first";
}

TEST(OptimizeRender, RefusesUnknownOptionsAndWritesNothing) {
    const fs::path dir = WorkDir("refuse");
    const TToolRun run = RunTool("optimize in.gif " + Quoted(dir / "out.gif") + " --fast", dir / "err.txt");
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(fs::exists(dir / "out.gif"));
    const TToolRun missing =
        RunTool("optimize " + Quoted(dir / "missing.gif") + " " + Quoted(dir / "out.gif"), dir / "err.txt");
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(fs::exists(dir / "out.gif"));
}
}  // namespace
