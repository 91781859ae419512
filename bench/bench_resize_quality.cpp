// Resize to half size, side by side with the peers in one run: our smooth
// filter (saved without running the optimiser), gifsicle --resize WxH -O3
// and ImageMagick -coalesce -resize. For each: the time, the bytes of the
// saved file, and the mean PSNR of its composed frames against two references
// computed here in floating point from the source's composed frames (the
// 2 x 2 area mean, and Lanczos-3).
//
//   build/bench/bench_resize_quality [FILE.gif...]
//
// Without files it makes 300-frame 640 x 480 animations: a sprite moving over
// a background, and (with ffmpeg) ffmpeg's testsrc2, mandelbrot and life
// sources. ImageMagick's resource policy cannot hold 300 coalesced frames at
// once, so it resizes the composed frames in runs of 25 (the same work, frame
// by frame); its time and bytes are the sums.

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench/ResizeInput.h"
#include "gif/GIFImage.h"
#include "gif/OptimizeChoices.h"
#include "imaging/SwsPictureScaler.h"
#include "painter/GIFCompositor.h"
#include "painter/SmoothResize.h"

namespace fs = std::filesystem;

namespace {

using TFrames = std::vector<std::vector<float>>;  // RGB, transparent as black

TFrames Composed(TGIFImage& image) {
    TFrames frames;
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(image).Run([&](int, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        std::vector<float> rgb(rgba.size() / 4 * 3);
        for (std::size_t i = 0, j = 0; i < rgba.size(); i += 4)
            for (int c = 0; c < 3; ++c) rgb[j++] = rgba[i + 3] ? rgba[i + std::size_t(c)] : 0.0f;
        frames.push_back(std::move(rgb));
    });
    return frames;
}

TFrames ComposedFile(const std::string& path) {
    TGIFImage image;
    image.OnWarn = [](TPersistent*, int, const std::string&) {};
    image.LoadFromFile(path);
    return Composed(image);
}

std::vector<float> AreaHalf(const std::vector<float>& rgb, int w, int h) {
    std::vector<float> out(std::size_t(w / 2) * std::size_t(h / 2) * 3);
    for (int y = 0; y < h / 2; ++y)
        for (int x = 0; x < w / 2; ++x)
            for (int c = 0; c < 3; ++c) {
                auto at = [&](int sx, int sy) { return rgb[(std::size_t(sy) * std::size_t(w) + std::size_t(sx)) * 3 + std::size_t(c)]; };
                out[(std::size_t(y) * std::size_t(w / 2) + std::size_t(x)) * 3 + std::size_t(c)] =
                    (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) + at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1)) / 4;
            }
    return out;
}

// Separable Lanczos-3 at half size: the kernel stretched by 2, edges clamped.
std::vector<float> LanczosHalf(const std::vector<float>& rgb, int w, int h) {
    auto kernel = [](double x) {
        if (x == 0) return 1.0;
        if (std::abs(x) >= 3) return 0.0;
        const double px = M_PI * x;
        return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
    };
    std::vector<double> taps;
    for (int k = -6; k <= 5; ++k) taps.push_back(kernel((k + 0.5) / 2));
    double sum = 0;
    for (double t : taps) sum += t;
    for (double& t : taps) t /= sum;
    const int W = w / 2, H = h / 2;
    std::vector<float> rows(std::size_t(W) * std::size_t(h) * 3), out(std::size_t(W) * std::size_t(H) * 3);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                for (int k = 0; k < 12; ++k) {
                    const int sx = std::clamp(2 * x + k - 5, 0, w - 1);
                    v += taps[std::size_t(k)] * rgb[(std::size_t(y) * std::size_t(w) + std::size_t(sx)) * 3 + std::size_t(c)];
                }
                rows[(std::size_t(y) * std::size_t(W) + std::size_t(x)) * 3 + std::size_t(c)] = float(v);
            }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x)
            for (int c = 0; c < 3; ++c) {
                double v = 0;
                for (int k = 0; k < 12; ++k) {
                    const int sy = std::clamp(2 * y + k - 5, 0, h - 1);
                    v += taps[std::size_t(k)] * rows[(std::size_t(sy) * std::size_t(W) + std::size_t(x)) * 3 + std::size_t(c)];
                }
                out[(std::size_t(y) * std::size_t(W) + std::size_t(x)) * 3 + std::size_t(c)] = float(std::clamp(v, 0.0, 255.0));
            }
    return out;
}

double MeanPSNR(const TFrames& shown, const TFrames& reference) {
    if (shown.size() != reference.size() || shown.empty()) return 0;
    double total = 0;
    for (std::size_t f = 0; f < shown.size(); ++f) {
        if (shown[f].size() != reference[f].size()) return 0;
        double error = 0;
        for (std::size_t i = 0; i < shown[f].size(); ++i) error += double(shown[f][i] - reference[f][i]) * (shown[f][i] - reference[f][i]);
        const double mse = error / double(shown[f].size());
        total += mse <= 1e-10 ? 100 : 10 * std::log10(255.0 * 255.0 / mse);
    }
    return total / double(shown.size());
}

double Seconds(const std::function<bool()>& run) {
    const auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool Have(const char* program) { return std::system(("command -v " + std::string(program) + " >/dev/null 2>&1").c_str()) == 0; }

struct TResult {
    double seconds = -1, psnrArea = 0, psnrLanczos = 0;
    std::uintmax_t bytes = 0;
};

void Print(const char* who, const TResult& r, const TResult& ours) {
    if (r.seconds < 0) {
        std::printf("  %-26s (not run)\n", who);
        return;
    }
    std::printf("  %-26s %8.2f s %10ju bytes  %6.2f dB area  %6.2f dB lanczos   ours/theirs: time %.2fx bytes %.2fx\n", who,
                r.seconds, r.bytes, r.psnrArea, r.psnrLanczos, ours.seconds / r.seconds, double(ours.bytes) / double(r.bytes));
}

// ImageMagick on the composed frames, 25 at a time, written as PPM.
TResult Magick(const TFrames& source, int w, int h, const fs::path& dir, const TFrames& area, const TFrames& lanczos) {
    TResult r;
    if (!Have("convert")) return r;
    TFrames shown;
    r.seconds = 0;
    for (std::size_t first = 0; first < source.size(); first += 25) {
        std::string list;
        for (std::size_t f = first; f < std::min(source.size(), first + 25); ++f) {
            const fs::path ppm = dir / ("frame" + std::to_string(f) + ".ppm");
            std::ofstream out(ppm, std::ios::binary);
            out << "P6\n" << w << " " << h << "\n255\n";
            for (float v : source[f]) out.put(char(std::uint8_t(v)));
            list += " " + ppm.string();
        }
        const fs::path gif = dir / "magick.gif";
        const std::string cmd = "convert" + list + " -resize " + std::to_string(w / 2) + "x" + std::to_string(h / 2) + "! " + gif.string();
        const double t = Seconds([&] { return std::system(cmd.c_str()) == 0; });
        if (t < 0) return TResult{};
        r.seconds += t;
        r.bytes += fs::file_size(gif);
        for (auto& frame : ComposedFile(gif.string())) shown.push_back(std::move(frame));
    }
    r.psnrArea = MeanPSNR(shown, area);
    r.psnrLanczos = MeanPSNR(shown, lanczos);
    return r;
}

void Measure(const std::string& name, const std::string& path, const fs::path& dir) {
    TGIFImage source;
    source.OnWarn = [](TPersistent*, int, const std::string&) {};
    source.LoadFromFile(path);
    const int w = source.Width() / 2 * 2, h = source.Height() / 2 * 2;
    const TFrames composed = Composed(source);
    TFrames area, lanczos;
    for (const auto& f : composed) {
        // Odd sizes: the reference sees the even part.
        std::vector<float> even(std::size_t(w) * std::size_t(h) * 3);
        for (int y = 0; y < h; ++y)
            std::copy_n(f.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(source.Width()) * 3), std::size_t(w) * 3,
                        even.begin() + std::ptrdiff_t(std::size_t(y) * std::size_t(w) * 3));
        area.push_back(AreaHalf(even, w, h));
        lanczos.push_back(LanczosHalf(even, w, h));
    }
    std::printf("%s: %d frames %dx%d -> %dx%d, %ju bytes\n", name.c_str(), source.Frames().Count(), source.Width(),
                source.Height(), w / 2, h / 2, fs::file_size(path));

    TResult ours;
    TGIFImage resized;
    ours.seconds = Seconds([&] {
        resized.Assign(&source);
        return ResizeAnimationWith(resized, w / 2, h / 2, TResizeFilter::Smooth, TSwsPictureScaler{});
    });
    ours.bytes = std::uintmax_t(SavedSizeAsSaved(resized, 0));
    const TFrames oursShown = Composed(resized);
    ours.psnrArea = MeanPSNR(oursShown, area);
    ours.psnrLanczos = MeanPSNR(oursShown, lanczos);
    Print("reelix smooth", ours, ours);

    TResult gifsicle;
    if (Have("gifsicle")) {
        const fs::path out = dir / "gifsicle.gif";
        const std::string cmd = "gifsicle --resize " + std::to_string(w / 2) + "x" + std::to_string(h / 2) + " -O3 " + path +
                                " -o " + out.string() + " 2>/dev/null";
        std::vector<double> times;
        for (int i = 0; i < 3; ++i) times.push_back(Seconds([&] { return std::system(cmd.c_str()) == 0; }));
        std::sort(times.begin(), times.end());
        gifsicle.seconds = times[1];
        if (gifsicle.seconds > 0) {
            gifsicle.bytes = fs::file_size(out);
            const TFrames shown = ComposedFile(out.string());
            gifsicle.psnrArea = MeanPSNR(shown, area);
            gifsicle.psnrLanczos = MeanPSNR(shown, lanczos);
        }
    }
    Print("gifsicle --resize -O3", gifsicle, ours);
    Print("ImageMagick -resize", Magick(composed, source.Width(), source.Height(), dir, area, lanczos), ours);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path dir = fs::temp_directory_path() / "reelix-bench-resize-quality";
    fs::create_directories(dir);
    std::vector<std::pair<std::string, std::string>> inputs;
    for (int i = 1; i < argc; ++i) inputs.emplace_back(fs::path(argv[i]).filename().string(), argv[i]);
    if (inputs.empty()) {
        const fs::path sprite = dir / "sprite.gif";
        MakeResizeInput()->SaveToFile(sprite.string());
        inputs.emplace_back("sprite over background", sprite.string());
        if (Have("ffmpeg"))
            for (const char* source : {"testsrc2=s=640x480:r=15", "mandelbrot=s=640x480:r=15",
                                       "life=s=640x480:r=15:mold=10:ratio=0.1:death_color=#C83232:life_color=#00ff00"}) {
                const std::string name = std::string(source).substr(0, std::string(source).find('='));
                const fs::path gif = dir / (name + ".gif");
                const std::string cmd = "ffmpeg -v error -y -f lavfi -i \"" + std::string(source) + "\" -frames:v 300 " + gif.string();
                if (std::system(cmd.c_str()) == 0) inputs.emplace_back("ffmpeg " + name, gif.string());
            }
    }
    for (const auto& [name, path] : inputs) Measure(name, path, dir);
    fs::remove_all(dir);
    return 0;
}
