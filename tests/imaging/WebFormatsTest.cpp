// The web formats both ways, checked against peers (used only here): Pillow
// reads our WebP and APNG files, ffmpeg and ffprobe our APNG and videos. What each
// shows must be the composed frames (exactly where the format is lossless)
// with the same durations and loop count; what we read back must be what
// we wrote. Peers that are not installed skip their checks.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gif/FrameControl.h"
#include "gif/GIFExtensions.h"
#include "gif/GIFImage.h"
#include "imaging/AnimationDecoder.h"
#include "imaging/VideoReader.h"
#include "imaging/WebAnimationImport.h"
#include "imaging/WebExport.h"
#include "painter/GIFCompositor.h"
#include "raster/GIFException.h"
#include "tests/support/FrameBuilders.h"
#include "tests/support/TestData.h"
#include "tests/support/ToolRunner.h"

namespace fs = std::filesystem;

namespace {

using TPictures = std::vector<std::vector<std::uint8_t>>;

bool Have(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }
bool HavePillow() { return Have("/usr/bin/python3 -c 'import PIL.WebPImagePlugin, PIL.PngImagePlugin'"); }
bool HaveFfmpeg() { return Have("command -v ffmpeg") && Have("command -v ffprobe"); }

std::string Output(const std::string& command) { return RunCommand(command).out; }

TPictures Composed(const TGIFImage& image) {
    TGIFImage copy;
    copy.Assign(&image);
    TPictures pictures;
    TGIFCompositor(copy).Run([&](int, const TBitmap& screen) {
        pictures.emplace_back();
        TGIFCompositor::ToRGBA(screen, pictures.back());
    });
    return pictures;
}

std::vector<int> Durations(const TGIFImage& image) {
    std::vector<int> d;
    for (int i = 0; i < image.Frames().Count(); ++i) d.push_back(WebFrameDuration(image, i));
    return d;
}

// 33 x 21 (odd both ways), four frames that all differ: a moving block, a
// see-through frame after a clear to the background, delays 7, 0 (played
// as 10), 250 and 3, looping 3 more times.
// 0, 1, ... period - 1, period - 1, ..., 1, 0, 0, 1, ...: a ramp without jumps.
int Triangle(int v, int period) {
    v %= 2 * period;
    return v < period ? v : 2 * period - 1 - v;
}

// Smooth: gradients, as lossy formats meet them in photos and renderings;
// otherwise saturated stripes with hard edges.
std::unique_ptr<TGIFImage> TestAnimation(bool smooth = false) {
    auto image = std::make_unique<TGIFImage>();
    const int w = 33, h = 21;
    std::vector<TColor> colors = {0x0000FF, 0x00FF00, 0xFF0000, 0x808080, 0xFFFFFF};
    if (smooth)
        for (int i = 5; i < 256; ++i) colors.push_back(TColor(i | (255 - i) << 8 | (i / 2 + 60) << 16));
    const int delays[4] = {7, 0, 250, 3};
    for (int f = 0; f < 4; ++f) {
        std::vector<int> pixels(std::size_t(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                pixels[std::size_t(y * w + x)] = f == 2 && x < 10                ? 0
                                                 : smooth                        ? 5 + Triangle(x * 5 + y * 3 + f * 20, 240)
                                                 : (x / 5 + f) % 3 == 0 && y > 4 ? 1 + f % 3
                                                                                 : 4;
        TGIFSubImage* frame = AddIndexedFrame(*image, 0, 0, w, h, pixels, colors, f == 2 ? 0 : -1);
        TGIFGraphicControlExtension& control = RequireControl(*frame);
        control.DelayTime = std::uint16_t(delays[f]);
        if (f == 1) control.SetDisposalMethod(2);
        if (f == 0) AddExtension<TGIFAppExtNSLoop>(frame)->LoopCount = 3;
    }
    return image;
}

// What Pillow shows of a WebP or APNG: every frame's RGBA, its duration in
// milliseconds and the file's loop count.
struct TPeerView {
    TPictures Pictures;
    std::vector<int> DurationsMs;
    int Loop = -1;
};

TPeerView PillowView(const fs::path& file, int width, int height) {
    const fs::path raw = file.string() + ".rgba";
    const std::string script =
        "import sys\nfrom PIL import Image, ImageSequence\nim = Image.open(sys.argv[1])\n"
        "out = open(sys.argv[2], 'wb')\nd = []\n"
        "for f in ImageSequence.Iterator(im):\n  out.write(f.convert('RGBA').tobytes()); d.append(int(round(f.info.get('duration', 0))))\n"
        "print(im.info.get('loop', -1), *d)\n";
    std::ofstream(file.string() + ".py") << script;
    std::istringstream said(Output("/usr/bin/python3 '" + file.string() + ".py' '" + file.string() + "' '" + raw.string() + "'"));
    TPeerView view;
    said >> view.Loop;
    for (int d; said >> d;) view.DurationsMs.push_back(d);
    const std::vector<std::uint8_t> bytes = ReadFileBytes(raw);
    const std::size_t size = std::size_t(width) * std::size_t(height) * 4;
    for (std::size_t at = 0; size > 0 && at + size <= bytes.size(); at += size)
        view.Pictures.emplace_back(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + size));
    return view;
}

// Pixels that differ in what they show (see-through pixels match whatever
// their colour).
int Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    if (a.size() != b.size()) return -1;
    int differ = 0;
    for (std::size_t i = 0; i < a.size(); i += 4) {
        if (a[i + 3] == 0 && b[i + 3] == 0) continue;
        differ += a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2] || a[i + 3] != b[i + 3];
    }
    return differ;
}

// A picture over white, as RGB, cut to width x height from a frame of
// frameWidth columns.
std::vector<double> OverWhite(const std::uint8_t* rgba, int frameWidth, int width, int height) {
    std::vector<double> rgb;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* p = rgba + (std::size_t(y) * std::size_t(frameWidth) + std::size_t(x)) * 4;
            for (int c = 0; c < 3; ++c) rgb.push_back((p[c] * p[3] + 255.0 * (255 - p[3])) / 255.0);
        }
    return rgb;
}

double Psnr(const std::vector<double>& a, const std::vector<double>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += (a[i] - b[i]) * (a[i] - b[i]);
    const double mse = sum / double(a.size());
    return mse == 0 ? 99 : 10 * std::log10(255.0 * 255.0 / mse);
}

class WebFormats : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("reelix-web-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    fs::path dir_;
};

}  // namespace

TEST_F(WebFormats, LosslessWebPAndApngShowTheComposedFramesWithTheirTimesAndLoops) {
    if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
    const auto image = TestAnimation();
    const TPictures want = Composed(*image);
    ASSERT_EQ(want.size(), 4u);
    for (const char* name : {"a.webp", "a.png"}) {
        SCOPED_TRACE(name);
        TWebExportOptions options;
        ASSERT_TRUE(WebFormatForPath(name, options.Format));
        const fs::path file = dir_ / name;
        ASSERT_TRUE(ExportWebAnimation(*image, file.string(), options));
        const TPeerView seen = PillowView(file, 33, 21);
        EXPECT_EQ(seen.Loop, 4);  // once, then three more times
        EXPECT_EQ(seen.DurationsMs, (std::vector<int>{70, 100, 2500, 30}));
        ASSERT_EQ(seen.Pictures.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(Differences(seen.Pictures[i], want[i]), 0) << "frame " << i;
    }
    // ffmpeg's own APNG decoder shows the same frames at the same times.
    if (HaveFfmpeg()) {
        const std::string q = "'" + (dir_ / "a.png").string() + "'";
        const std::string raw = Output("ffmpeg -v error -i " + q + " -fps_mode passthrough -f rawvideo -pix_fmt rgba -");
        ASSERT_EQ(raw.size(), want.size() * 33 * 21 * 4);
        for (std::size_t i = 0; i < want.size(); ++i) {
            const std::vector<std::uint8_t> frame(raw.begin() + std::ptrdiff_t(i * 33 * 21 * 4),
                                                  raw.begin() + std::ptrdiff_t((i + 1) * 33 * 21 * 4));
            EXPECT_EQ(Differences(frame, want[i]), 0) << "ffmpeg, frame " << i;
        }
        std::vector<double> starts;
        std::istringstream times(Output("ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of default=nw=1:nk=1 " + q));
        for (double t; times >> t;) starts.push_back(t);
        EXPECT_EQ(starts, (std::vector<double>{0, 0.07, 0.17, 2.67}));
    }
    // Without a looping block the animation plays once; a count of 0 is endless.
    image->Frames()[0]->FindExtension<TGIFAppExtNSLoop>()->LoopCount = 0;
    ASSERT_TRUE(ExportWebAnimation(*image, (dir_ / "endless.webp").string(), {}));
    EXPECT_EQ(PillowView(dir_ / "endless.webp", 33, 21).Loop, 0);
}

TEST_F(WebFormats, LossyWebPStaysCloseToTheFrames) {
    if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
    const auto image = TestAnimation(true);
    const TPictures want = Composed(*image);
    TWebExportOptions options;
    options.Lossless = false;
    options.Quality = 90;
    ASSERT_TRUE(ExportWebAnimation(*image, (dir_ / "lossy.webp").string(), options));
    const TPeerView seen = PillowView(dir_ / "lossy.webp", 33, 21);
    ASSERT_EQ(seen.Pictures.size(), want.size());
    for (std::size_t i = 0; i < want.size(); ++i)
        EXPECT_GE(Psnr(OverWhite(seen.Pictures[i].data(), 33, 33, 21), OverWhite(want[i].data(), 33, 33, 21)), 40)
            << "frame " << i;
}

TEST_F(WebFormats, VideosAreEvenSidedWithTheTimelineAndThePictures) {
    if (!HaveFfmpeg()) GTEST_SKIP() << "ffmpeg and ffprobe are not installed";
    const auto image = TestAnimation(true);
    const TPictures want = Composed(*image);
    for (const char* name : {"v.mp4", "v.webm"}) {
        SCOPED_TRACE(name);
        TWebExportOptions options;
        ASSERT_TRUE(WebFormatForPath(name, options.Format));
        const fs::path file = dir_ / name;
        ASSERT_TRUE(ExportWebAnimation(*image, file.string(), options));
        const std::string q = "'" + file.string() + "'";
        EXPECT_EQ(Output("ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 " + q), "34,22\n");
        // Each picture starts where the delays before it end: 0, 0.07, 0.17, 2.67.
        std::vector<double> starts;
        std::istringstream times(Output("ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of default=nw=1:nk=1 " + q));
        for (double t; times >> t;) starts.push_back(t);
        EXPECT_EQ(starts, (std::vector<double>{0, 0.07, 0.17, 2.67}));
        EXPECT_NEAR(std::stod(Output("ffprobe -v error -show_entries format=duration -of csv=p=0 " + q)), 2.70, 0.0051);
        // WebM keeps the see-through parts (its alpha needs libvpx to decode).
        const bool alpha = std::string(name) == "v.webm";
        const std::vector<std::uint8_t> raw(
            [&] {
                const std::string bytes = Output(std::string("ffmpeg -v error ") + (alpha ? "-c:v libvpx-vp9 " : "") + "-i " + q +
                                                 " -fps_mode passthrough -vf scale=flags=bicubic+accurate_rnd+full_chroma_int"
                                                 " -f rawvideo -pix_fmt rgba -");
                return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
            }());
        const std::size_t frameBytes = 34 * 22 * 4;
        ASSERT_EQ(raw.size(), frameBytes * want.size());
        for (std::size_t i = 0; i < want.size(); ++i) {
            const std::uint8_t* got = &raw[i * frameBytes];
            EXPECT_GE(Psnr(OverWhite(got, 34, 33, 21), OverWhite(want[i].data(), 33, 33, 21)), 40) << "frame " << i;
            if (alpha && i == 2) {
                EXPECT_LT(got[3], 16) << "the see-through corner of frame 2";
            }
        }
    }
}

TEST_F(WebFormats, WhatIsWrittenReadsBackAsTheSameAnimation) {
    const auto image = TestAnimation();
    const TPictures want = Composed(*image);
    for (const char* name : {"r.webp", "r.png"}) {
        SCOPED_TRACE(name);
        TWebExportOptions options;
        ASSERT_TRUE(WebFormatForPath(name, options.Format));
        const fs::path file = dir_ / name;
        ASSERT_TRUE(ExportWebAnimation(*image, file.string(), options));
        EXPECT_NE(WebAnimationKindOfFile(file.string()), TWebAnimationKind::None);
        TGIFImage read;
        const TWebImportResult result = ImportWebAnimation(file.string(), read);
        EXPECT_EQ(result.Frames, 4);
        EXPECT_FALSE(result.CutShort);
        EXPECT_EQ(Durations(read), (std::vector<int>{7, 10, 250, 3}));
        EXPECT_EQ(AnimationPlays(read), 4);
        const TPictures got = Composed(read);
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(Differences(got[i], want[i]), 0) << "frame " << i;
    }
}

TEST_F(WebFormats, DamagedFilesGiveWhatArrivedWholeOrAClearError) {
    const auto image = TestAnimation();
    for (const char* name : {"cut.webp", "cut.png"}) {
        SCOPED_TRACE(name);
        TWebExportOptions options;
        ASSERT_TRUE(WebFormatForPath(name, options.Format));
        const fs::path file = dir_ / name;
        ASSERT_TRUE(ExportWebAnimation(*image, file.string(), options));
        std::vector<std::uint8_t> bytes = ReadFileBytes(file);
        bytes.resize(bytes.size() * 3 / 4);
        TGIFImage read;
        const TWebImportResult result = ImportWebAnimation(bytes, read);
        EXPECT_TRUE(result.CutShort);
        EXPECT_GE(result.Frames, 1);
        EXPECT_LT(result.Frames, 4);
        EXPECT_EQ(read.Frames().Count() > 0, true);
        // Cut inside the first frame: nothing whole, an error.
        bytes.resize(60);
        TGIFImage none;
        EXPECT_THROW(ImportWebAnimation(bytes, none), TVideoError);
        // Over the pixel budget.
        TGIFImage small;
        small.PixelBudget.FramePixels = 33 * 20;
        try {
            ImportWebAnimation(file.string(), small);
            ADD_FAILURE() << "a picture over the budget was read";
        } catch (const TVideoError& e) {
            EXPECT_STREQ(e.what(), "Image too large");
        }
        TGIFImage few;
        few.PixelBudget.DocumentPixels = 33 * 21 * 2;
        EXPECT_TRUE(ImportWebAnimation(file.string(), few).Truncated);
        EXPECT_EQ(few.Frames().Count(), 2);
    }
    TGIFImage junk;
    EXPECT_THROW(ImportWebAnimation(std::vector<std::uint8_t>{'R', 'I', 'F', 'F', 1, 2, 3, 4, 'W', 'E', 'B', 'P', 9, 9}, junk),
                 TVideoError);
    EXPECT_THROW(ImportWebAnimation(std::vector<std::uint8_t>(100, 'x'), junk), TVideoError);
    EXPECT_EQ(junk.Frames().Count(), 0);
}

TEST_F(WebFormats, ACancelledOrFailedExportLeavesNoFile) {
    const auto image = TestAnimation();
    const fs::path file = dir_ / "kept.webm";
    std::ofstream(file) << "older";
    TWebExportOptions options;
    options.Format = TWebFormat::WebM;
    EXPECT_FALSE(ExportWebAnimation(*image, file.string(), options, [](int) { return false; }));
    EXPECT_EQ(ReadFileBytes(file).size(), 5u) << "the older file stays as it was";
    EXPECT_THROW(ExportWebAnimation(*image, (dir_ / "no-folder" / "x.webp").string(), {}), TVideoError);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1) << "no part file is left";
    TGIFImage empty;
    EXPECT_THROW(ExportWebAnimation(empty, (dir_ / "e.mp4").string(), {}), TVideoError);
}

TEST_F(WebFormats, SharedAnimationsRoundTripThroughPillow) {
    if (!HavePillow()) GTEST_SKIP() << "Pillow is not installed";
    int checked = 0;
    for (const fs::path& gif : TestGifFiles()) {
        if (checked == 12) break;
        TGIFImage image;
        try {
            image.LoadFromFile(gif.string());
        } catch (const std::exception&) {
            continue;
        }
        if (image.Frames().Count() < 2 || image.Width() * image.Height() > 200000) continue;
        const TPictures want = Composed(image);
        if (want.size() != std::size_t(image.Frames().Count())) continue;
        SCOPED_TRACE(gif.string());
        for (const char* name : {"s.webp", "s.png"}) {
            TWebExportOptions options;
            ASSERT_TRUE(WebFormatForPath(name, options.Format));
            const fs::path file = dir_ / name;
            ASSERT_TRUE(ExportWebAnimation(image, file.string(), options));
            const TPeerView seen = PillowView(file, image.Width(), image.Height());
            int shown = 0, seenMs = 0;
            for (const int d : Durations(image)) shown += 10 * d;
            for (const int d : seen.DurationsMs) seenMs += d;
            EXPECT_EQ(seenMs, shown) << name;
            // The encoder may join frames that show the same; every frame
            // it keeps is one of ours, at its time.
            std::size_t mine = 0;
            int at = 0, mineAt = 0;
            for (std::size_t f = 0; f < seen.Pictures.size() && mine < want.size(); ++f) {
                while (mine + 1 < want.size() && mineAt + 10 * Durations(image)[mine] <= at)
                    mineAt += 10 * Durations(image)[mine++];
                EXPECT_EQ(Differences(seen.Pictures[f], want[mine]), 0) << name << " frame " << f;
                at += seen.DurationsMs[f];
            }
        }
        ++checked;
    }
    if (checked == 0) GTEST_SKIP() << "no shared animations under " << REELIX_TESTDATA_DIR;
}
