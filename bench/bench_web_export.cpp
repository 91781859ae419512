// Web formats out, side by side with the peers in one run, per file and in
// total: our animated WebP against gif2webp (lossless, and lossy at quality
// 75), and our MP4 against `ffmpeg -i in.gif` with libx264 at the same
// constant-rate factor (crf 10, our default quality 80), odd sides padded as
// ours are. For each: bytes, time and the mean PSNR of what is shown (lossy
// WebP decoded by libwebp, MP4 by ffmpeg) against the composed frames over
// white, each shown frame compared with the GIF's frame on screen at its
// start.
//
//   build/bench/bench_web_export [GIF...]
//
// Without files: every shared animation (two frames or more, the fuzzing
// folders left out). Ours runs as `reelix-tool export`, so both sides are
// whole programs reading the GIF from disk.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "imaging/AnimationDecoder.h"
#include "imaging/WebExport.h"
#include "painter/GIFCompositor.h"
#include "tests/support/TestData.h"
#include "tests/support/ToolRunner.h"

namespace fs = std::filesystem;

namespace {

bool Run(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

std::string Output(const std::string& command) { return RunCommand(command).out; }

double Seconds(const std::function<bool()>& work, bool& ok) {
    const auto start = std::chrono::steady_clock::now();
    ok = work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Load(const std::string& path, TGIFImage& image) {
    image.OnWarn = [](TPersistent*, int, const std::string&) {};
    try {
        image.LoadFromFile(path);
    } catch (const std::exception&) {
        return false;
    }
    return true;
}

// The composed frames over white (RGB) with the time each stops showing.
struct TShown {
    double end = 0;
    std::vector<std::uint8_t> rgb;
};
std::vector<TShown> Composed(TGIFImage& image) {
    std::vector<TShown> frames;
    std::vector<std::uint8_t> rgba;
    double clock = 0;
    TGIFCompositor(image).Run([&](int index, const TBitmap& screen) {
        clock += WebFrameDuration(image, index) / 100.0;
        TGIFCompositor::ToRGBA(screen, rgba);
        TShown shown{clock, std::vector<std::uint8_t>(rgba.size() / 4 * 3)};
        for (std::size_t i = 0, j = 0; i < rgba.size(); i += 4)
            for (int c = 0; c < 3; ++c) shown.rgb[j++] = rgba[i + 3] ? rgba[i + std::size_t(c)] : 255;
        frames.push_back(std::move(shown));
    });
    return frames;
}

// Mean PSNR of pictures (RGB, `stride` pixels a row, each starting at its
// time) against the GIF's frame on screen then, over width x height.
double MeanPsnr(const std::vector<const std::uint8_t*>& pictures, const std::vector<double>& starts, int stride, int width,
                int height, const std::vector<TShown>& gif) {
    if (pictures.empty() || gif.empty()) return 0;
    double sum = 0;
    std::size_t shown = 0;
    for (std::size_t k = 0; k < pictures.size(); ++k) {
        while (shown + 1 < gif.size() && gif[shown].end <= starts[k] + 1e-6) ++shown;
        double error = 0;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width * 3; ++x) {
                const double d = double(pictures[k][std::size_t(y) * std::size_t(stride) * 3 + std::size_t(x)]) -
                                 double(gif[shown].rgb[std::size_t(y) * std::size_t(width) * 3 + std::size_t(x)]);
                error += d * d;
            }
        error /= double(width) * height * 3;
        sum += error > 0 ? std::min(99.0, 10 * std::log10(255.0 * 255.0 / error)) : 99;
    }
    return sum / double(pictures.size());
}

// A WebP as libwebp shows it, over white.
double WebPPsnr(const fs::path& file, int width, int height, const std::vector<TShown>& gif) {
    try {
        const std::vector<std::uint8_t> bytes = ReadFileBytes(file);
        const auto decoder = OpenWebPDecoder(bytes);
        std::vector<std::vector<std::uint8_t>> rgb;
        std::vector<double> starts;
        std::vector<std::uint8_t> rgba;
        double clock = 0, seconds = 0;
        while (decoder->Next(rgba, seconds)) {
            std::vector<std::uint8_t> picture(rgba.size() / 4 * 3);
            for (std::size_t i = 0, j = 0; i < rgba.size(); i += 4)
                for (int c = 0; c < 3; ++c)
                    picture[j++] = std::uint8_t((rgba[i + std::size_t(c)] * rgba[i + 3] + 255 * (255 - rgba[i + 3]) + 127) / 255);
            rgb.push_back(std::move(picture));
            starts.push_back(clock);
            clock += seconds;
        }
        std::vector<const std::uint8_t*> pictures;
        for (const auto& p : rgb) pictures.push_back(p.data());
        return MeanPsnr(pictures, starts, width, width, height, gif);
    } catch (const std::exception&) {
        return 0;
    }
}

// A video as ffmpeg decodes it (smooth colour scaling, as browsers show it),
// cut to the animation's size.
double VideoPsnr(const std::string& video, int width, int height, const std::vector<TShown>& gif) {
    if (gif.empty()) return 0;
    std::istringstream times(Output("ffprobe -v error -select_streams v:0 -show_entries frame=pts_time -of default=nw=1:nk=1 '" + video + "'"));
    std::vector<double> starts;
    for (double t; times >> t;) starts.push_back(t);
    const int paddedWidth = (width + 1) & ~1, paddedHeight = (height + 1) & ~1;
    const std::string raw = Output("ffmpeg -v error -i '" + video + "' -fps_mode passthrough -vf scale=flags=bicubic+accurate_rnd+full_chroma_int"
                                   " -f rawvideo -pix_fmt rgb24 -");
    const std::size_t size = std::size_t(paddedWidth) * std::size_t(paddedHeight) * 3;
    const std::size_t count = std::min(starts.size(), raw.size() / size);
    std::vector<const std::uint8_t*> pictures;
    for (std::size_t k = 0; k < count; ++k) pictures.push_back(reinterpret_cast<const std::uint8_t*>(raw.data()) + k * size);
    starts.resize(count);
    return MeanPsnr(pictures, starts, paddedWidth, width, height, gif);
}

struct TMeasure {
    double seconds = 0, psnr = 0;
    std::uintmax_t bytes = 0;
    bool ok = false;
};

struct TTotals {
    TMeasure ours, peer;
    int files = 0;
    void Add(const TMeasure& o, const TMeasure& p) {
        if (!o.ok || !p.ok) return;
        ours.seconds += o.seconds, ours.bytes += o.bytes, ours.psnr += o.psnr;
        peer.seconds += p.seconds, peer.bytes += p.bytes, peer.psnr += p.psnr;
        ++files;
    }
};

void PrintPair(const char* what, const TMeasure& o, const TMeasure& p, bool psnr) {
    if (!o.ok || !p.ok) {
        std::printf("  %-14s %s\n", what, o.ok ? "peer failed" : "ours failed");
        return;
    }
    std::printf("  %-14s ours %9.1f KB %7.3f s", what, o.bytes / 1000.0, o.seconds);
    if (psnr) std::printf(" %6.2f dB", o.psnr);
    std::printf(" | peer %9.1f KB %7.3f s", p.bytes / 1000.0, p.seconds);
    if (psnr) std::printf(" %6.2f dB", p.psnr);
    std::printf(" | bytes %.3fx time %.2fx", double(o.bytes) / double(p.bytes), o.seconds / p.seconds);
    if (psnr) std::printf(" PSNR %+.2f dB", o.psnr - p.psnr);
    std::printf("\n");
}

TMeasure Program(const std::string& command, const fs::path& out) {
    TMeasure m;
    fs::remove(out);
    m.seconds = Seconds([&] { return Run(command) && fs::exists(out); }, m.ok);
    if (m.ok) m.bytes = fs::file_size(out);
    return m;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) files.emplace_back(argv[i]);
    if (files.empty())
        for (const fs::path& f : TestGifFiles())
            if (f.string().find("/afl") == std::string::npos) files.push_back(f);
    if (!Run("command -v gif2webp") || !Run("command -v ffmpeg")) {
        std::puts("gif2webp (Debian's webp package) and ffmpeg are needed as peers");
        return 1;
    }
    const fs::path dir = fs::temp_directory_path() / "reelix-bench-web";
    fs::create_directories(dir);
    TTotals lossless, lossy, mp4;
    for (const fs::path& file : files) {
        TGIFImage image;
        if (!Load(file.string(), image) || image.Frames().Count() < 2 || image.Width() < 2 || image.Height() < 2) continue;
        const std::string in = file.string();
        std::printf("%s (%d frames, %d x %d)\n", in.c_str(), image.Frames().Count(), image.Width(), image.Height());
        const std::string tool = std::string(REELIX_TOOL_PATH) + " export '" + in + "' '";
        const std::vector<TShown> shown = Composed(image);
        const TMeasure a = Program(tool + (dir / "ours.webp").string() + "'", dir / "ours.webp");
        const TMeasure b = Program("gif2webp -quiet '" + in + "' -o '" + (dir / "peer.webp").string() + "'", dir / "peer.webp");
        PrintPair("WebP lossless", a, b, false);
        lossless.Add(a, b);
        TMeasure c = Program(tool + (dir / "ours-q.webp").string() + "' --quality=75", dir / "ours-q.webp");
        TMeasure d = Program("gif2webp -quiet -lossy -q 75 '" + in + "' -o '" + (dir / "peer-q.webp").string() + "'",
                                dir / "peer-q.webp");
        if (c.ok) c.psnr = WebPPsnr(dir / "ours-q.webp", image.Width(), image.Height(), shown);
        if (d.ok) d.psnr = WebPPsnr(dir / "peer-q.webp", image.Width(), image.Height(), shown);
        PrintPair("WebP q75", c, d, true);
        lossy.Add(c, d);
        TMeasure e = Program(tool + (dir / "ours.mp4").string() + "'", dir / "ours.mp4");
        TMeasure f = Program("ffmpeg -v error -y -i '" + in + "' -c:v libx264 -crf " + std::to_string(QualityToCrf(TWebExportOptions().Quality, 51)) +
                              " -preset medium -pix_fmt yuv420p -vf 'pad=ceil(iw/2)*2:ceil(ih/2)*2' '" + (dir / "peer.mp4").string() + "'",
                          dir / "peer.mp4");
        if (e.ok) e.psnr = VideoPsnr((dir / "ours.mp4").string(), image.Width(), image.Height(), shown);
        if (f.ok) f.psnr = VideoPsnr((dir / "peer.mp4").string(), image.Width(), image.Height(), shown);
        PrintPair("MP4 crf 10", e, f, true);
        mp4.Add(e, f);
    }
    std::printf("\nTotals (files both made):\n");
    auto total = [](const char* what, const TTotals& t, bool psnr) {
        TMeasure o = t.ours, p = t.peer;
        o.ok = p.ok = t.files > 0;
        if (t.files > 0) o.psnr /= t.files, p.psnr /= t.files;
        std::printf("  %d files:", t.files);
        PrintPair(what, o, p, psnr);
    };
    total("WebP lossless", lossless, false);
    total("WebP q75", lossy, true);
    total("MP4 crf 10", mp4, true);
    std::error_code ignored;
    fs::remove_all(dir, ignored);
    return 0;
}
