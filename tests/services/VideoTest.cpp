// Video in and out through FFmpeg, checked against ffmpeg and ffprobe (peers,
// used only here): timing, frame counts and pixels both ways, and the files
// that must fail cleanly (audio only, damaged, empty). Skipped when the
// ffmpeg programs are not installed.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/AnimationResize.h"
#include "painter/GIFCompositor.h"
#include "imaging/VideoImport.h"
#include "imaging/VideoReader.h"
#include "services/VideoWriter.h"

namespace fs = std::filesystem;

namespace {

bool Have(const char* program) {
    return std::system((std::string("command -v ") + program + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Output(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, pipe)) > 0;) out.append(buf, n);
    pclose(pipe);
    return out;
}

// ffprobe's value of one stream entry ("nb_frames", "duration", ...).
std::string Probe(const fs::path& file, const std::string& entry, bool count = false) {
    std::string out = Output("ffprobe -v error " + std::string(count ? "-count_frames " : "") +
                          "-select_streams v:0 -show_entries stream=" + entry + " -of default=nw=1:nk=1 '" +
                          file.string() + "'");
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

class Video : public ::testing::Test {
protected:
    void SetUp() override {
        if (!Have("ffmpeg") || !Have("ffprobe")) GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
        dir_ = fs::temp_directory_path() / ("reelix-video-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path Make(const std::string& name, const std::string& ffmpegArgs) {
        const fs::path file = dir_ / name;
        EXPECT_EQ(std::system(("ffmpeg -loglevel error -y " + ffmpegArgs + " '" + file.string() + "'").c_str()), 0);
        return file;
    }
    fs::path dir_;
};

std::vector<int> Delays(const TGIFImage& image) {
    std::vector<int> delays;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        const auto* control = image.Frames()[i]->ControlExtension();
        delays.push_back(control ? control->DelayTime : -1);
    }
    return delays;
}

// An animation of `count` frames on 32 x 24, each a different colour band,
// frame i with delay delays[i].
std::unique_ptr<TGIFImage> MakeAnimation(const std::vector<int>& delays) {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = 32;
    image->Header().ScreenHeight = 24;
    for (int c = 0; c < 8; ++c)
        image->GlobalColors().AddColor(MakeColor(std::uint8_t(c * 32), std::uint8_t(255 - c * 32), std::uint8_t(c * 16)));
    for (std::size_t f = 0; f < delays.size(); ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->PlaceFrame(0, 0, 32, 24);
        for (int p = 0; p < 32 * 24; ++p) frame->PixelData()[p] = std::uint8_t((p % 32 / 4 + f) % 8);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = std::uint16_t(delays[f]);
        frame->ExtensionBlocks().Add(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}

}  // namespace

TEST(VideoTiming, DelaysRoundToHundredths) {
    EXPECT_EQ(DelayHundredths(1.0 / 15), 7);
    EXPECT_EQ(DelayHundredths(1.0 / 10), 10);
    EXPECT_EQ(DelayHundredths(1.0 / 1000), 1) << "a frame that lasts is never 0";
    EXPECT_EQ(DelayHundredths(0), 0);
    EXPECT_EQ(DelayHundredths(5000), 65535);
}

TEST(VideoTiming, DelaysInARowKeepTheRunningTime) {
    struct TCase {
        double fps;
        int frames;
        int wantHundredths;
    };
    for (const TCase c : {TCase{15, 45, 300}, TCase{30, 1000, 3333}, TCase{24, 240, 1000}, TCase{29.97, 300, 1001},
                          TCase{60, 60, 100}}) {
        TDelayRounder rounder;
        int total = 0;
        for (int f = 0; f < c.frames; ++f) {
            const int delay = rounder.Next(1.0 / c.fps);
            EXPECT_GE(delay, 1) << c.fps << " fps, frame " << f;
            total += delay;
        }
        EXPECT_EQ(total, c.wantHundredths) << c.fps << " fps";
    }
    TDelayRounder fast;
    int total = 0;
    for (int f = 0; f < 1000; ++f) total += fast.Next(1.0 / 1000);
    EXPECT_EQ(total, 1000) << "a frame that lasts is never shown for no time";
}

TEST_F(Video, AviAt15FramesASecondRunsAsLongAsTheVideo) {
    const fs::path avi = Make("t15.avi", "-f lavfi -i testsrc=size=64x48:rate=15 -t 3 -c:v mpeg4");
    TGIFImage image;
    const TVideoImportResult result = ImportVideo(avi.string(), image);
    EXPECT_EQ(result.Frames, 45);
    EXPECT_FALSE(result.Cancelled);
    std::vector<int> want;
    for (int f = 0; f < 45; ++f) want.push_back(f % 3 == 1 ? 6 : 7);
    EXPECT_EQ(Delays(image), want) << "7, 6, 7: 3 s in all";
    EXPECT_EQ(image.Width(), 64);
    ASSERT_NE(image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>(), nullptr);
    EXPECT_EQ(image.Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount, 0);
    EXPECT_GT(image.GlobalColors().Count(), 0) << "one shared table";
}

// Part of a clip, at a lower rate and half the width: frames picked by
// timestamp, their delays adding up to the part's length.
TEST_F(Video, PartOfAClipAtALowerRateAndSize) {
    const fs::path clip = Make("t25.mp4", "-f lavfi -i testsrc2=size=160x120:rate=25 -t 4 -pix_fmt yuv420p -c:v libx264");
    TVideoImportOptions options;
    options.From = 1;
    options.To = 2.5;
    options.FramesPerSecond = 10;
    options.Width = 80;
    TGIFImage image;
    const TVideoImportResult result = ImportVideo(clip.string(), image, {}, options);
    EXPECT_EQ(result.Frames, 15);
    EXPECT_EQ(image.Width(), 80);
    EXPECT_EQ(image.Height(), 60);
    int total = 0;
    for (int delay : Delays(image)) {
        EXPECT_GE(delay, 8);
        EXPECT_LE(delay, 12);
        total += delay;
    }
    EXPECT_EQ(total, 150);

    // The web palette, as older versions made every import.
    options.Method = TVideoColors::WebPalette;
    TGIFImage web;
    EXPECT_EQ(ImportVideo(clip.string(), web, {}, options).Frames, 15);
    EXPECT_LE(web.GlobalColors().Count(), 216);
    // A part past the end holds no picture.
    options.From = 10;
    options.To = 11;
    TGIFImage none;
    EXPECT_THROW(ImportVideo(clip.string(), none, {}, options), TVideoError);
}

// A GIF made into an AVI and an MP4 by ffmpeg comes back with its frames and
// their delays.
TEST_F(Video, FfmpegVideosOfAGifComeBackFrameForFrame) {
    const fs::path gif = dir_ / "in.gif";
    MakeAnimation({8, 8, 8, 8, 8})->SaveToFile(gif.string());
    for (const std::string& name : {"from-gif.avi", "from-gif.mp4", "from-gif.webm"}) {
        const std::string codec = name.ends_with(".webm") ? "-c:v libvpx-vp9 -b:v 0 -crf 40" : "-c:v mpeg4 -q:v 2";
        const fs::path video = Make(name, "-i '" + gif.string() + "' " + codec);
        TGIFImage image;
        const TVideoImportResult result = ImportVideo(video.string(), image);
        EXPECT_EQ(result.Frames, 5) << name;
        for (int delay : Delays(image)) EXPECT_NEAR(delay, 8, 1) << name;
    }
}

// Rows that are no multiple of the converter's block size (202 x 3 bytes)
// must not be overrun.
TEST_F(Video, OddSizesConvertWithinTheirRows) {
    const fs::path avi = Make("odd.avi", "-f lavfi -i testsrc2=size=202x150:rate=12 -t 0.5 -c:v mpeg4");
    TGIFImage image;
    EXPECT_EQ(ImportVideo(avi.string(), image).Frames, 6);
    EXPECT_EQ(image.Width(), 202);
    EXPECT_EQ(image.Height(), 150);
}

TEST_F(Video, AudioOnlyDamagedAndEmptyFilesFailCleanly) {
    const fs::path wav = Make("sound.wav", "-f lavfi -i sine=frequency=440:duration=0.5");
    const fs::path junk = dir_ / "junk.avi";
    std::ofstream(junk, std::ios::binary) << std::string(5000, '\x5A');
    const fs::path empty = dir_ / "empty.mp4";
    std::ofstream(empty, std::ios::binary).flush();
    const struct {
        fs::path file;
        const char* message;
    } cases[] = {{wav, "Failed to open AVI stream"}, {junk, "Failed to open AVI file"}, {empty, "Failed to open AVI file"},
                 {dir_ / "missing.avi", "Failed to open AVI file"}};
    for (const auto& c : cases) {
        TGIFImage image;
        try {
            ImportVideo(c.file.string(), image);
            ADD_FAILURE() << c.file << " was imported";
        } catch (const TVideoError& e) {
            EXPECT_STREQ(e.what(), c.message) << c.file;
        }
        EXPECT_TRUE(image.Empty()) << c.file;
    }
}

TEST_F(Video, ATruncatedVideoKeepsWhatCanBeRead) {
    const fs::path avi = Make("whole.avi", "-f lavfi -i testsrc=size=64x48:rate=10 -t 3 -c:v mpeg4");
    const fs::path cut = dir_ / "cut.avi";
    const auto size = fs::file_size(avi);
    fs::copy_file(avi, cut);
    fs::resize_file(cut, size / 2);
    TGIFImage image;
    try {
        const TVideoImportResult result = ImportVideo(cut.string(), image);
        EXPECT_GT(result.Frames, 0);
        EXPECT_LT(result.Frames, 30);
    } catch (const TVideoError&) {
        // Refusing it is fine too; crashing or hanging is not.
    }
}

TEST_F(Video, CancelKeepsTheFramesMadeSoFar) {
    const fs::path avi = Make("long.avi", "-f lavfi -i testsrc=size=64x48:rate=10 -t 3 -c:v mpeg4");
    TGIFImage image;
    // Asked after each picture read: four frames are made by then, and the
    // picture in hand becomes the fifth.
    const TVideoImportResult result =
        ImportVideo(avi.string(), image, [&](int) { return image.Frames().Count() < 4; });
    EXPECT_TRUE(result.Cancelled);
    EXPECT_EQ(result.Frames, 5);
    EXPECT_EQ(image.Frames().Count(), 5);
}

TEST_F(Video, AviExportIsPal8RawvideoWithTheAnimationsFramesAndTime) {
    auto image = MakeAnimation({12, 12, 12, 12});
    const fs::path avi = dir_ / "out.avi";
    ASSERT_TRUE(ResizeAnimation(*image, image->Width(), image->Height()));
    ASSERT_TRUE(WriteAVI(avi.string(), *image));
    EXPECT_EQ(Probe(avi, "codec_name"), "rawvideo");
    EXPECT_EQ(Probe(avi, "pix_fmt"), "pal8");
    EXPECT_EQ(Probe(avi, "nb_read_frames", true), "4");
    EXPECT_NEAR(std::stod(Probe(avi, "duration")), 0.48, 0.011);

    // Frame 2 decoded by ffmpeg is the picture the animation shows.
    std::vector<std::vector<std::uint8_t>> shown;
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(*image).Run([&](int, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        shown.push_back(rgba);
    });
    const std::string raw = Output("ffmpeg -loglevel error -i '" + avi.string() +
                                "' -vf 'select=eq(n\\,2)' -frames:v 1 -f rawvideo -pix_fmt rgba -");
    ASSERT_EQ(raw.size(), shown[2].size());
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), shown[2].begin(), [](char a, std::uint8_t b) { return std::uint8_t(a) == b; }));
}

TEST_F(Video, MixedDelaysKeepTheRunningTime) {
    auto image = MakeAnimation({10, 20, 30, 0});
    EXPECT_EQ(VideoTimeStep(*image), 1) << "a delay of 0 counts as one hundredth";
    auto even = MakeAnimation({10, 20, 30});
    EXPECT_EQ(VideoTimeStep(*even), 10);
    const fs::path avi = dir_ / "mixed.avi";
    ASSERT_TRUE(ResizeAnimation(*even, even->Width(), even->Height()));
    ASSERT_TRUE(WriteAVI(avi.string(), *even));
    EXPECT_NEAR(std::stod(Probe(avi, "duration")), 0.60, 0.011);
    TGIFImage back;
    ImportVideo(avi.string(), back);
    int total = 0;
    for (int delay : Delays(back)) total += delay;
    EXPECT_EQ(total, 60);
}

TEST_F(Video, CancelledExportLeavesNoFile) {
    auto image = MakeAnimation({5, 5, 5, 5, 5});
    ASSERT_TRUE(ResizeAnimation(*image, image->Width(), image->Height()));
    const fs::path avi = dir_ / "cancelled.avi";
    int asked = 0;
    EXPECT_FALSE(WriteAVI(avi.string(), *image, [&](int) { return ++asked < 2; }));
    EXPECT_FALSE(fs::exists(avi));
    EXPECT_THROW(WriteAVI((dir_ / "no-such-folder" / "x.avi").string(), *image), TVideoError);
}
