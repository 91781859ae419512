// Video to GIF, side by side with the peers in one run: our import (colours
// fitted to the clip), ffmpeg palettegen/paletteuse and gifski. For each:
// the time, the bytes of the GIF, and the mean PSNR of its composed frames
// against the video's own frames (decoded by ffmpeg to RGB), each video
// frame compared with the GIF frame on screen at its time.
//
//   build/bench/bench_video_quality [--gifski=PATH] [CLIP...]
//
// Without clips it makes three with ffmpeg, 320 x 240, 15 fps, 3 s: a pan
// across a photo-like picture (ImageMagick's plasma fractal), and ffmpeg's
// testsrc2 and mandelbrot sources. gifski (`npm pack gifski@1.7.1`, then
// package/bin/debian/gifski) is looked for as GIFSKI in the environment,
// then on the PATH; its rows are left out without it.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "gif/FrameDefaults.h"
#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "imaging/VideoImport.h"
#include "painter/GIFCompositor.h"

namespace fs = std::filesystem;

namespace {

struct TTimedFrame {
    double end = 0;  // seconds
    std::vector<std::uint8_t> rgb;
};

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

double Seconds(const std::function<bool()>& work, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The composed frames of a GIF with the time each stops showing.
std::vector<TTimedFrame> GifFrames(const std::string& path) {
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string&) {};
    image.LoadFromFile(path);
    std::vector<TTimedFrame> frames;
    std::vector<std::uint8_t> rgba;
    double clock = 0;
    TGIFCompositor(image).Run([&](int index, const TBitmap& screen) {
        const TGIFGraphicControlExtension* control = image.Frames()[index]->ControlExtension();
        clock += (control ? control->DelayTime : 0) / 100.0;
        TGIFCompositor::ToRGBA(screen, rgba);
        TTimedFrame frame{clock, std::vector<std::uint8_t>(rgba.size() / 4 * 3)};
        for (std::size_t i = 0, j = 0; i < rgba.size(); i += 4)
            for (int c = 0; c < 3; ++c) frame.rgb[j++] = rgba[i + 3] ? rgba[i + std::size_t(c)] : 0;
        frames.push_back(std::move(frame));
    });
    return frames;
}

// The video's frames as ffmpeg decodes them to RGB.
std::vector<std::vector<std::uint8_t>> VideoFrames(const std::string& clip, int width, int height) {
    std::vector<std::vector<std::uint8_t>> frames;
    FILE* pipe = popen(("ffmpeg -v error -i '" + clip + "' -f rawvideo -pix_fmt rgb24 -").c_str(), "r");
    if (!pipe) return frames;
    const std::size_t size = std::size_t(width) * std::size_t(height) * 3;
    for (std::vector<std::uint8_t> frame(size); std::fread(frame.data(), 1, size, pipe) == size;) frames.push_back(frame);
    pclose(pipe);
    return frames;
}

double MeanPsnr(const std::vector<std::vector<std::uint8_t>>& video, double fps, const std::vector<TTimedFrame>& gif) {
    if (video.empty() || gif.empty()) return 0;
    double sum = 0;
    std::size_t shown = 0;
    for (std::size_t k = 0; k < video.size(); ++k) {
        const double at = (double(k) + 0.5) / fps;
        while (shown + 1 < gif.size() && gif[shown].end <= at) ++shown;
        if (gif[shown].rgb.size() != video[k].size()) return 0;
        double error = 0;
        for (std::size_t i = 0; i < video[k].size(); ++i) {
            const double d = double(video[k][i]) - double(gif[shown].rgb[i]);
            error += d * d;
        }
        error /= double(video[k].size());
        sum += error > 0 ? 10 * std::log10(255.0 * 255.0 / error) : 99;
    }
    return sum / double(video.size());
}

struct TRow {
    std::string tool;
    double seconds = 0, psnr = 0;
    std::uintmax_t bytes = 0;
};

void Print(const std::string& clip, const std::vector<TRow>& rows) {
    std::printf("%s\n", clip.c_str());
    for (const TRow& row : rows)
        std::printf("  %-22s %9.1f KB  %6.2f dB  %6.2f s\n", row.tool.c_str(), double(row.bytes) / 1000, row.psnr,
                    row.seconds);
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (rows[i].bytes > 0)
            std::printf("  ours/%-17s bytes %.3fx  PSNR %+.2f dB  time %.2fx\n", rows[i].tool.c_str(),
                        double(rows[0].bytes) / double(rows[i].bytes), rows[0].psnr - rows[i].psnr,
                        rows[0].seconds / rows[i].seconds);
}

std::string FindGifski(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--gifski=", 0) == 0) return std::string(argv[i]).substr(9);
    if (const char* env = std::getenv("GIFSKI")) return env;
    return Run("command -v gifski") ? "gifski" : "";
}

}  // namespace

int main(int argc, char** argv) {
    if (!Run("command -v ffmpeg")) {
        std::puts("ffmpeg is not installed: nothing to measure");
        return 0;
    }
    const std::string gifski = FindGifski(argc, argv);
    const fs::path dir = fs::temp_directory_path() / "reelix-bench-video";
    fs::create_directories(dir);
    std::vector<std::string> clips;
    for (int i = 1; i < argc; ++i)
        if (std::string(argv[i]).rfind("--", 0) != 0) clips.push_back(argv[i]);
    if (clips.empty()) {
        const std::string d = dir.string();
        const std::string encode = " -r 15 -t 3 -pix_fmt yuv420p -c:v libx264 -crf 18 ";
        if (Run("convert -size 960x540 -seed 7 plasma:green-blue -blur 0x1 '" + d + "/photo.png'") &&
            Run("ffmpeg -v error -y -loop 1 -i '" + d + "/photo.png' -vf \"crop=320:240:x='t*180':y='t*80'\"" + encode +
                "'" + d + "/pan.mp4'"))
            clips.push_back(d + "/pan.mp4");
        for (const char* source : {"testsrc2", "mandelbrot"})
            if (Run(std::string("ffmpeg -v error -y -f lavfi -i ") + source + "=size=320x240:rate=15" + encode + "'" + d +
                    "/" + source + ".mp4'"))
                clips.push_back(d + "/" + source + ".mp4");
    }
    for (const std::string& clip : clips) {
        TGIFImage probe;
        int width = 0, height = 0;
        double fps = 15;
        {
            FILE* pipe = popen(("ffprobe -v error -select_streams v:0 -show_entries stream=width,height,r_frame_rate "
                                "-of csv=p=0 '" + clip + "'").c_str(), "r");
            int num = 15, den = 1;
            if (pipe && std::fscanf(pipe, "%d,%d,%d/%d", &width, &height, &num, &den) >= 2 && den > 0) fps = double(num) / den;
            if (pipe) pclose(pipe);
        }
        const auto video = VideoFrames(clip, width, height);
        std::vector<TRow> rows;
        bool ok = false;
        const fs::path ours = dir / "ours.gif";
        TRow row{"ours"};
        row.seconds = Seconds([&] {
            TGIFImage image;
            ImportVideo(clip, image);
            TMemoryStream encoded;
            PreparedForSaving(image, 0)->SaveToStream(encoded);
            TFileStream out(ours.string(), TFileStream::Mode::Create);
            out.Write(encoded.Data(), static_cast<std::size_t>(encoded.Size()));
            return true;
        }, ok);
        row.bytes = fs::file_size(ours);
        row.psnr = MeanPsnr(video, fps, GifFrames(ours.string()));
        rows.push_back(row);

        const fs::path ffmpeg = dir / "ffmpeg.gif";
        row = {"ffmpeg palettegen"};
        row.seconds = Seconds([&] {
            return Run("ffmpeg -v error -y -i '" + clip + "' -vf 'split[a][b];[a]palettegen[p];[b][p]paletteuse' '" +
                       ffmpeg.string() + "'");
        }, ok);
        if (ok) {
            row.bytes = fs::file_size(ffmpeg);
            row.psnr = MeanPsnr(video, fps, GifFrames(ffmpeg.string()));
            rows.push_back(row);
        }
        if (!gifski.empty()) {
            const fs::path frames = dir / "frames";
            fs::remove_all(frames);
            fs::create_directories(frames);
            Run("ffmpeg -v error -i '" + clip + "' '" + frames.string() + "/f%04d.png'");
            const fs::path out = dir / "gifski.gif";
            row = {"gifski"};
            row.seconds = Seconds([&] {
                return Run("'" + gifski + "' --fps " + std::to_string(int(std::lround(fps))) + " --width " +
                           std::to_string(width) + " -o '" + out.string() + "' '" + frames.string() + "'/f*.png");
            }, ok);
            if (ok) {
                row.bytes = fs::file_size(out);
                row.psnr = MeanPsnr(video, fps, GifFrames(out.string()));
                rows.push_back(row);
            }
        }
        Print(fs::path(clip).filename().string(), rows);
    }
    return 0;
}
