// reelix-tool info, decode, recode and bench run as a program on files built
// from byte recipes: output, exit status, and nothing written on error.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "gif/GIFImage.h"
#include "gif/GIFRecipe.h"
#include "support/TestData.h"
#include "support/ToolRunner.h"

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::MatchesRegex;

namespace {

class ToolCommands : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::path(REELIX_BINARY_DIR) / "tool-commands-test" /
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    fs::path Write(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        const fs::path p = dir_ / name;
        std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
        return p;
    }
    TToolRun Run(const std::string& arguments) { return RunTool(arguments, dir_ / "stderr.txt"); }
    std::string Err() { return ReadFileText(dir_ / "stderr.txt"); }

    fs::path dir_;
};
}  // namespace

TEST_F(ToolCommands, InfoPrintsTheModelAsJson) {
    // The second frame's local table has 2 entries; its descriptor says so
    // (size code 0) and the data follow it.
    auto bytes = TGIFRecipe()
                     .Header(4, 3, 0x81, 2, 0)
                     .Table(4)
                     .Loop(7)
                     .Comment({"made \"here\""})
                     .Image(0, 0, 4, 3, {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 0, 0})
                     .GraphicControl(0x0B, 12, 1)
                     .Raw({0x21, 0xFF, 11})
                     .Text("XMP DataXMP")
                     .Raw({0})
                     .Descriptor(1, 1, 2, 1, 0x80)
                     .Table(2)
                     .ImageData({1, 0})
                     .Trailer()
                     .Get();
    const fs::path file = Write("anim.gif", bytes);
    const TToolRun run = Run("info " + file.string());
    ASSERT_EQ(run.status, 0) << Err();
    EXPECT_THAT(run.out, HasSubstr("\"version\": \"89a\""));
    EXPECT_THAT(run.out, HasSubstr("\"width\": 4,\n  \"height\": 3"));
    EXPECT_THAT(run.out, HasSubstr("\"background\": 2"));
    EXPECT_THAT(run.out, HasSubstr("\"global_colors\": 4,\n  \"global_sorted\": false"));
    EXPECT_THAT(run.out, HasSubstr("\"loop_count\": 7"));
    EXPECT_THAT(run.out, HasSubstr("{\"left\": 0, \"top\": 0, \"width\": 4, \"height\": 3, \"interlaced\": false, "
                                   "\"local_colors\": 0, \"delay\": null, \"disposal\": null, "
                                   "\"transparent_index\": null, \"user_input\": false, "
                                   "\"comments\": [\"made \\\"here\\\"\"], \"extensions\": []}"));
    EXPECT_THAT(run.out, HasSubstr("{\"left\": 1, \"top\": 1, \"width\": 2, \"height\": 1, \"interlaced\": false, "
                                   "\"local_colors\": 2, \"delay\": 12, \"disposal\": 2, \"transparent_index\": 1, "
                                   "\"user_input\": true, \"comments\": [], "
                                   "\"extensions\": [{\"label\": 255, \"identifier\": \"XMP DataXMP\"}]}"));
    EXPECT_THAT(run.out, HasSubstr("\"warnings\": []"));
}

// Comments the editor writes are UTF-8 and print as such; bytes that are not
// UTF-8 (older files' Latin-1) print as Latin-1.
TEST_F(ToolCommands, InfoPrintsCommentsAsText) {
    const fs::path file = Write("comments.gif", TGIFRecipe().Header(1, 1, 0x80).Table(2)
                                                    .Comment({"gr\xC3\xBC\xC3\x9F \xE2\x82\xAC"})
                                                    .Comment({"caf\xE9"})
                                                    .Image(0, 0, 1, 1, {1}).Trailer().Get());
    const TToolRun run = Run("info " + file.string());
    ASSERT_EQ(run.status, 0) << Err();
    EXPECT_THAT(run.out, HasSubstr("\"comments\": [\"gr\xC3\xBC\xC3\x9F \xE2\x82\xAC\", \"caf\\u00e9\"]"));
}

// Frames of no delay start at the same moment; each is compared with its own
// counterpart, so an animation compared with itself is identical.
TEST_F(ToolCommands, CompareOfAnAnimationWithItselfIsIdentical) {
    TGIFRecipe recipe;
    recipe.Header(2, 1, 0x81).Table(4);
    for (int i = 0; i < 6; ++i) recipe.GraphicControl(0, i % 3 == 2 ? 5 : 0, 0).Image(0, 0, 2, 1, {i % 4, (i + 1) % 4});
    const fs::path file = Write("zero-delays.gif", recipe.Trailer().Get());
    const TToolRun same = Run("compare " + file.string() + " " + file.string());
    ASSERT_EQ(same.status, 0) << Err();
    EXPECT_THAT(same.out, HasSubstr("frames 6\nmean PSNR 100.00 dB\noverall PSNR 100.00 dB\nidentical\n"));

    TGIFRecipe other;
    other.Header(2, 1, 0x81).Table(4);
    for (int i = 0; i < 6; ++i) other.GraphicControl(0, i % 3 == 2 ? 5 : 0, 0).Image(0, 0, 2, 1, {i % 4, i == 4 ? 0 : (i + 1) % 4});
    const fs::path changed = Write("one-pixel-off.gif", other.Trailer().Get());
    const TToolRun differ = Run("compare " + file.string() + " " + changed.string());
    ASSERT_EQ(differ.status, 0) << Err();
    EXPECT_THAT(differ.out, Not(HasSubstr("identical")));
    EXPECT_THAT(differ.out, Not(HasSubstr("mean PSNR 100.00")));
}

// edit applies the frame operations in the order given; a mistake writes nothing.
TEST_F(ToolCommands, EditAppliesItsStepsInOrderAndRefusesMistakes) {
    TGIFRecipe recipe;
    recipe.Header(2, 1, 0x81).Table(4).Loop(2);
    for (int i = 0; i < 4; ++i) recipe.GraphicControl(0, 10 + i, 0).Image(0, 0, 2, 1, {i, i});
    const fs::path in = Write("four.gif", recipe.Trailer().Get());
    const fs::path out = dir_ / "edited.gif";
    ASSERT_EQ(Run("edit " + in.string() + " " + out.string() + " --delete=0,2 --move=1:0 --delay=0:7 --loop=0").status, 0)
        << Err();
    const TToolRun info = Run("info " + out.string());
    // Frames 1 and 3 are left, in the order 3, 1; the first has delay 7.
    EXPECT_THAT(info.out, HasSubstr("\"loop_count\": 0"));
    const std::size_t seven = info.out.find("\"delay\": 7,"), eleven = info.out.find("\"delay\": 11,");
    EXPECT_NE(seven, std::string::npos) << info.out;
    EXPECT_NE(eleven, std::string::npos) << info.out;
    EXPECT_LT(seven, eleven) << info.out;
    EXPECT_EQ(info.out.find("\"delay\": 10,"), std::string::npos) << "frame 0 went";
    for (const char* bad : {"--delete=9", "--move=0", "--delay=all", "--loop=-1", "--frobnicate"}) {
        fs::remove(out);
        const TToolRun run = Run("edit " + in.string() + " " + out.string() + " " + bad);
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_THAT(Err(), HasSubstr("reelix-tool edit: ")) << bad;
        EXPECT_FALSE(fs::exists(out)) << bad << ": nothing is written";
    }
}

// The rest of the editor's edits: frame properties, comments, size and a
// picture added, each what the option says; a bad value writes nothing.
TEST_F(ToolCommands, EditSetsPropertiesCommentsSizeAndAddsPictures) {
    TGIFRecipe recipe;
    recipe.Header(4, 2, 0x81).Table(4).Loop(0);
    for (int i = 0; i < 3; ++i) recipe.GraphicControl(0, 10, 0).Image(0, 0, 4, 2, {i, i, i, i, 1, 1, 1, 1});
    const fs::path in = Write("three.gif", recipe.Trailer().Get());
    const fs::path logo = Write("logo.gif", TGIFRecipe().Header(2, 2, 0x80).Table(2).Image(0, 0, 2, 2, {1, 0, 0, 1}).Trailer().Get());
    const fs::path out = dir_ / "edited.gif";
    ASSERT_EQ(Run("edit " + in.string() + " " + out.string() +
                  " --disposal=all:2 --interlace=1:on --offset=2:1,0 --transparent=0:000000 --comment=made --add=" +
                  logo.string() + ":0 --resize=8x4").status,
              0)
        << Err();
    TGIFImage edited;
    edited.LoadFromFile(out.string());
    ASSERT_EQ(edited.Frames().Count(), 4) << "the picture is added first";
    EXPECT_EQ(edited.Width(), 8);
    EXPECT_EQ(edited.Height(), 4);
    // Resizing redraws every frame whole, as Animation Information does; the
    // loop block stays on the first frame and the comment is kept.
    EXPECT_NE(edited.Frames()[0]->FindExtension<TGIFAppExtNSLoop>(), nullptr);
    bool comment = false;
    for (int i = 0; i < edited.Frames().Count(); ++i)
        if (const auto* c = edited.Frames()[i]->FindExtension<TGIFCommentExtension>())
            comment = comment || (c->Lines.size() == 1 && c->Lines[0] == "made");
    EXPECT_TRUE(comment);

    const fs::path same = dir_ / "properties.gif";
    ASSERT_EQ(Run("edit " + in.string() + " " + same.string() +
                  " --disposal=all:2 --interlace=1:on --offset=2:1,0 --transparent=0:000000 --comment=a --remove-comments")
                  .status,
              0)
        << Err();
    TGIFImage props;
    props.LoadFromFile(same.string());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(props.Frames()[i]->ControlExtension()->DisposalMethod(), 2) << i;
    EXPECT_TRUE(props.Frames()[1]->IsInterlaced());
    EXPECT_FALSE(props.Frames()[0]->IsInterlaced());
    EXPECT_EQ(props.Frames()[2]->Left(), 1);
    EXPECT_TRUE(props.Frames()[0]->ControlExtension()->UsesTransparency());
    EXPECT_EQ(props.Frames()[0]->ControlExtension()->TransparentIndex(), 0);
    EXPECT_FALSE(props.Frames()[1]->ControlExtension()->UsesTransparency());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(props.Frames()[i]->FindExtension<TGIFCommentExtension>(), nullptr);

    for (const char* bad : {"--disposal=all:9", "--interlace=0:maybe", "--offset=0:1", "--transparent=0:red",
                            "--resize=0x4", "--resize=big", "--add=", "--offset=7:1,1"}) {
        fs::remove(out);
        const TToolRun run = Run("edit " + in.string() + " " + out.string() + " " + bad);
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_FALSE(fs::exists(out)) << bad << ": nothing is written";
    }
}

// The frame-sequence edits act on what --select chose (or every frame).
TEST_F(ToolCommands, EditReordersAndRetimesTheSelection) {
    TGIFRecipe recipe;
    recipe.Header(2, 1, 0x81).Table(4).Loop(0);
    for (int i = 0; i < 5; ++i) recipe.GraphicControl(0, 10 * (i + 1), 0).Image(0, 0, 2, 1, {i % 4, i % 4});
    const fs::path in = Write("five.gif", recipe.Trailer().Get());
    const auto delays = [&](const std::string& edits) {
        const fs::path out = dir_ / "out.gif";
        fs::remove(out);
        const TToolRun run = Run("edit " + in.string() + " " + out.string() + " " + edits);
        std::vector<int> found;
        if (run.status != 0) return found;
        TGIFImage image;
        image.LoadFromFile(out.string());
        for (int i = 0; i < image.Frames().Count(); ++i) found.push_back(image.Frames()[i]->ControlExtension()->DelayTime);
        return found;
    };
    EXPECT_EQ(delays("--pingpong"), (std::vector<int>{10, 20, 30, 40, 50, 40, 30, 20}));
    EXPECT_EQ(delays("--select=1-3 --reverse"), (std::vector<int>{10, 40, 30, 20, 50}));
    EXPECT_EQ(delays("--select=0,4 --duplicate"), (std::vector<int>{10, 10, 20, 30, 40, 50, 50}));
    EXPECT_EQ(delays("--drop-every=2"), (std::vector<int>{30, 70, 50}));
    EXPECT_EQ(delays("--delay=50%"), (std::vector<int>{5, 10, 15, 20, 25}));
    EXPECT_EQ(delays("--select=3-4 --delay=+5 --select=0 --delay=-4"), (std::vector<int>{6, 16, 26, 41, 51}))
        << "one frame selected means every frame";
    EXPECT_EQ(delays("--dedupe"), (std::vector<int>{10, 20, 30, 40, 50})) << "no two frames alike in a row";
    TGIFRecipe pairs;
    pairs.Header(2, 1, 0x81).Table(4).Loop(0);
    const int colours[] = {0, 1, 1, 2, 2};
    for (int i = 0; i < 5; ++i) pairs.GraphicControl(0, 10 * (i + 1), 0).Image(0, 0, 2, 1, {colours[i], colours[i]});
    const fs::path twice = Write("pairs.gif", pairs.Trailer().Get());
    const fs::path merged = dir_ / "merged.gif";
    ASSERT_EQ(Run("edit " + twice.string() + " " + merged.string() + " --dedupe").status, 0) << Err();
    TGIFImage image;
    image.LoadFromFile(merged.string());
    ASSERT_EQ(image.Frames().Count(), 3);
    EXPECT_EQ(image.Frames()[1]->ControlExtension()->DelayTime, 50) << "the merged frames' time is kept";
    EXPECT_EQ(image.Frames()[2]->ControlExtension()->DelayTime, 90);
    for (const char* bad : {"--select=4-1", "--select=9", "--drop-every=1", "--delay=+5%", "--delay=0%"}) {
        const TToolRun run = Run("edit " + in.string() + " " + (dir_ / "bad.gif").string() + " " + bad);
        EXPECT_EQ(run.status, 1) << bad;
        EXPECT_FALSE(fs::exists(dir_ / "bad.gif")) << bad;
    }
}

TEST_F(ToolCommands, InfoListsWarnings) {
    const fs::path file = Write("junk.gif", TGIFRecipe().Header(1, 1, 0x80).Table(2).Image(0, 0, 1, 1, {1})
                                                .Raw({0x40}).Get());
    const TToolRun run = Run("info " + file.string());
    ASSERT_EQ(run.status, 0);
    EXPECT_THAT(run.out, HasSubstr("\"warnings\": [\"Unknown GIF block type\", \"Invalid Image trailer\"]"));
    EXPECT_THAT(Err(), HasSubstr("Unknown GIF block type"));
    EXPECT_THAT(run.out, HasSubstr("\"loop_count\": null"));
}

TEST_F(ToolCommands, ErrorsExitWithStatusOneAndMessage) {
    const fs::path bad = Write("bad.gif", TGIFRecipe().Text("not a gif at all").Get());
    for (const std::string command : {"info", "recode", "decode"}) {
        const fs::path target = dir_ / (command + "-out");
        const std::string extra = command == "info" ? "" : " " + target.string();
        const TToolRun run = Run(command + " " + bad.string() + extra);
        EXPECT_EQ(run.status, 1) << command;
        EXPECT_THAT(Err(), HasSubstr("Invalid GIF signature")) << command;
        EXPECT_FALSE(fs::exists(target)) << command << " wrote output after an error";
    }
    EXPECT_EQ(Run("info " + (dir_ / "missing.gif").string()).status, 1);
}

TEST_F(ToolCommands, DecodeWritesOnePpmPerFrameOfItsOwnSize) {
    auto bytes = TGIFRecipe()
                     .Header(4, 3, 0x81)
                     .Table(4)
                     .Image(0, 0, 4, 3, {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 0, 0})
                     .Comment({"between"})  // an extension-only frame writes no picture
                     .Descriptor(1, 1, 2, 1, 0x80)
                     .Table(2)
                     .ImageData({1, 3})  // 3 is outside the 2-entry local table: black
                     .Trailer()
                     .Get();
    const fs::path file = Write("two.gif", bytes);
    const fs::path out = dir_ / "frames";
    ASSERT_EQ(Run("decode " + file.string() + " " + out.string()).status, 0) << Err();
    const std::string first = ReadFileText(out / "frame-000.ppm");
    const std::string second = ReadFileText(out / "frame-001.ppm");
    EXPECT_FALSE(fs::exists(out / "frame-002.ppm"));
    ASSERT_EQ(first.size(), std::string("P6\n4 3\n255\n").size() + 4 * 3 * 3);
    EXPECT_EQ(first.substr(0, 11), "P6\n4 3\n255\n");
    const std::string head2 = "P6\n2 1\n255\n";
    ASSERT_EQ(second.size(), head2.size() + 6);
    EXPECT_EQ(second.substr(0, head2.size()), head2);
    // Local entry 1 of the recipe's table is (10, 20, 30); index 3 is black.
    EXPECT_EQ(second.substr(head2.size()), std::string("\x0a\x14\x1e\0\0\0", 6));
    // Global entry 3 is (30, 60, 90): the first frame's fourth pixel.
    EXPECT_EQ(first.substr(11 + 9, 3), std::string("\x1e\x3c\x5a", 3));
}

TEST_F(ToolCommands, RecodeRoundTripsWithBothEncoders) {
    std::vector<int> pixels;
    for (int i = 0; i < 40 * 30; ++i) pixels.push_back((i / 7) % 4);
    const fs::path file = Write("in.gif", TGIFRecipe().Header(40, 30, 0x81).Table(4).GraphicControl(0x04, 5, 0)
                                              .Image(0, 0, 40, 30, pixels).Trailer().Get());
    for (const std::string option : {"", " --rle"}) {
        const fs::path out = dir_ / ("out" + std::string(option.empty() ? "" : "-rle") + ".gif");
        ASSERT_EQ(Run("recode " + file.string() + " " + out.string() + option).status, 0) << Err();
        TGIFImage image;
        image.LoadFromFile(out.string());
        ASSERT_EQ(image.Frames().Count(), 1) << option;
        TGIFSubImage* frame = image.Frames()[0];
        std::vector<int> have(frame->PixelData(), frame->PixelData() + frame->PixelDataSize());
        EXPECT_EQ(have, pixels) << option;
        ASSERT_NE(frame->ControlExtension(), nullptr);
        EXPECT_EQ(frame->ControlExtension()->DelayTime, 5);
    }
}

TEST_F(ToolCommands, BenchPrintsOneResultLine) {
    const fs::path file = Write("b.gif", TGIFRecipe().Header(4, 3, 0x81).Table(4)
                                             .Image(0, 0, 4, 3, {0, 1, 2, 3, 3, 2, 1, 0, 0, 0, 0, 0}).Trailer().Get());
    const TToolRun run = Run("bench -n 3 " + file.string() + " " + file.string());
    ASSERT_EQ(run.status, 0) << Err();
    EXPECT_THAT(run.out, MatchesRegex("RESULT decoder=reelix mode=index files=2 reps=3 mpix=0\\.000 "
                                      "median_s=[0-9.]+ best_s=[0-9.]+ mpps_median=[0-9.]+ mpps_best=[0-9.]+ "
                                      "in_mb=0\\.000\n"));
    EXPECT_EQ(Run("bench -m rgbx " + file.string()).status, 1);
}

namespace {
std::string Fnv1a(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 0xCBF29CE484222325ull;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001B3ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}
}  // namespace

TEST_F(ToolCommands, BenchDigestsIndicesInDisplayOrderAndComposedScreens) {
    // An interlaced 1x4 image: stored rows 0, 2, 1, 3 hold indices 0, 2, 1, 3.
    // Then a transparent 1x1 frame over row 0 that shows the row beneath.
    const fs::path file = Write("d.gif", TGIFRecipe().Header(1, 4, 0x81).Table(4)
                                             .Image(0, 0, 1, 4, {0, 2, 1, 3}, 0x40)
                                             .GraphicControl(0x01, 0, 3)
                                             .Image(0, 0, 1, 1, {3})
                                             .Trailer().Get());
    const fs::path bad = Write("bad.gif", {'G', 'I', 'F'});
    const TToolRun run = Run("bench -i " + file.string() + " " + bad.string());
    ASSERT_EQ(run.status, 0) << Err();
    // Table entry i is (10i, 20i, 30i); row 0 stays as the first frame drew it.
    const std::vector<std::uint8_t> screen = {0, 0, 0, 255, 10, 20, 30, 255, 20, 40, 60, 255, 30, 60, 90, 255};
    const std::string want = file.string() + " frames=2 index=" + Fnv1a({0, 1, 2, 3}) + "," + Fnv1a({3}) +
                             " rgba=" + Fnv1a(screen) + "," + Fnv1a(screen) + "\n" + bad.string() +
                             " error=\"Premature end of data\"\n";
    EXPECT_EQ(run.out, want);
}

// check over every shared GIF in one run: never a crash (damaged files read
// as far as they go, or refused with status 1), a report for each file read,
// and JSON one object a line.
TEST(ToolCheck, EverySharedGifIsCheckedWithoutACrash) {
    const auto files = TestGifFiles();
    if (files.empty()) GTEST_SKIP() << "no test data under " << REELIX_TESTDATA_DIR;
    const std::filesystem::path err = std::filesystem::path(REELIX_BINARY_DIR) / "tool-check-stderr.txt";
    std::string all;
    for (const auto& file : files) all += " " + Quoted(file);
    const TToolRun text = RunTool("check" + all, err);
    ASSERT_TRUE(text.status == 0 || text.status == 1) << text.status;
    const std::string refused = ReadFileText(err);
    std::size_t reports = 0, refusals = 0;
    for (std::size_t at = 0; (at = text.out.find("\n== ", at)) != std::string::npos; ++at) ++reports;
    for (std::size_t at = 0; (at = refused.find("reelix-tool check: ", at)) != std::string::npos; ++at) ++refusals;
    EXPECT_EQ(reports + 1 + refusals, files.size()) << "each file reported or refused";
    const TToolRun json = RunTool("check --json" + all, err);
    ASSERT_EQ(json.status, text.status);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = json.out.find("{\"plays\": ", at)) != std::string::npos; ++at) ++lines;
    EXPECT_EQ(lines, reports + 1);
    EXPECT_EQ(RunTool("check", err).status, 1);
    EXPECT_EQ(RunTool("check --bad " + Quoted(files[0]), err).status, 1);
}
