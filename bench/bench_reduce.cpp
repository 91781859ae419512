// Colour reduction speed on a 1920x1080 photographic-like picture (smooth
// gradients, shapes, noise): every reduction kind and every dither kind, in
// megapixels per second (counter "MP", a rate over CPU time). ImageMagick's `convert` quantising the same picture to
// 256 colours with Floyd-Steinberg is timed in the same run and compared with
// our crQuantize + dkFloydSteinberg at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "color/ColorReduction.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

const TBitmap& Photo() {
    static const TBitmap picture = [] {
        TBitmap b(kWidth, kHeight, pf24bit);
        std::mt19937 rng(2024);
        std::normal_distribution<double> noise(0.0, 6.0);
        struct Disc {
            double x, y, r;
            int cr, cg, cb;
        };
        std::vector<Disc> discs;
        for (int i = 0; i < 40; ++i)
            discs.push_back({double(rng() % kWidth), double(rng() % kHeight), 30.0 + double(rng() % 200),
                             int(rng() % 256), int(rng() % 256), int(rng() % 256)});
        for (int y = 0; y < kHeight; ++y) {
            std::uint8_t* row = b.ScanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                double r = 255.0 * x / kWidth, g = 255.0 * y / kHeight, bl = 128 + 100 * std::sin(x * 0.004 + y * 0.007);
                for (const Disc& d : discs) {
                    const double dx = x - d.x, dy = y - d.y;
                    const double dist = std::sqrt(dx * dx + dy * dy);
                    if (dist < d.r) {
                        const double shade = 0.6 + 0.4 * (1.0 - dist / d.r);  // soft, lit spheres
                        r = d.cr * shade;
                        g = d.cg * shade;
                        bl = d.cb * shade;
                    }
                }
                const double n = noise(rng);
                row[3 * x] = static_cast<std::uint8_t>(std::clamp(bl + n, 0.0, 255.0));
                row[3 * x + 1] = static_cast<std::uint8_t>(std::clamp(g + n, 0.0, 255.0));
                row[3 * x + 2] = static_cast<std::uint8_t>(std::clamp(r + n, 0.0, 255.0));
            }
        }
        return b;
    }();
    return picture;
}

const char* KindName(int k) {
    static const char* names[] = {"None",      "Windows20", "WindowsHalftone",   "WindowsGray",  "Monochrome",
                                  "GrayScale", "WebSafe",   "Quantize8",         "QuantizeWindows", "CustomPalette"};
    return names[k];
}
const char* DitherName(int d) {
    static const char* names[] = {"Nearest", "FloydSteinberg", "Stucki", "Sierra", "JaJuNi", "SteveArche", "Burkes"};
    return names[d];
}

void Run(benchmark::State& state, TColorReductionKind kind, TDitherKind dither) {
    const TBitmap& src = Photo();
    static const TPalette custom = [] {
        std::vector<TPaletteEntry> e;
        for (int i = 0; i < 256; ++i)
            e.push_back({static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i), static_cast<std::uint8_t>(i * 7), 0});
        return TPalette(e);
    }();
    for (auto _ : state) {
        auto out = ReduceBitmapColors(src, kind, dither, 8, &custom);
        benchmark::DoNotOptimize(out->Bits());
    }
    state.counters["MP"] = benchmark::Counter(double(kWidth) * kHeight * 1e-6 * double(state.iterations()),
                                                benchmark::Counter::kIsRate);
}

// Every reduction kind with Floyd-Steinberg, then every dither kind over the
// quantised palette.
void RegisterAll() {
    for (int k = 0; k <= 9; ++k)
        benchmark::RegisterBenchmark((std::string("Reduce/kind:") + KindName(k) + "/FloydSteinberg").c_str(),
                                     [k](benchmark::State& s) { Run(s, TColorReductionKind(k), dkFloydSteinberg); })
            ->Unit(benchmark::kMillisecond);
    for (int d = 0; d <= 6; ++d)
        benchmark::RegisterBenchmark((std::string("Reduce/kind:Quantize8/dither:") + DitherName(d)).c_str(),
                                     [d](benchmark::State& s) { Run(s, crQuantize, TDitherKind(d)); })
            ->Unit(benchmark::kMillisecond);
    for (int d = 0; d <= 6; ++d)
        benchmark::RegisterBenchmark((std::string("Reduce/kind:WebSafe/dither:") + DitherName(d)).c_str(),
                                     [d](benchmark::State& s) { Run(s, crWebSafe, TDitherKind(d)); })
            ->Unit(benchmark::kMillisecond);
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Median of a few runs.
template <class F>
double MedianSeconds(int runs, F f) {
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (!f()) return -1;
        t.push_back(Seconds(std::chrono::steady_clock::now() - start));
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

void CompareWithImageMagick() {
    const TBitmap& src = Photo();
    char path[] = "/tmp/reelix_bench_reduce_XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0) return;
    close(fd);
    {
        std::ofstream ppm(path, std::ios::binary);
        ppm << "P6\n" << kWidth << ' ' << kHeight << "\n255\n";
        std::vector<char> rgb(static_cast<std::size_t>(kWidth) * 3);
        for (int y = 0; y < kHeight; ++y) {
            const std::uint8_t* row = src.ScanLine(y);
            for (int x = 0; x < kWidth; ++x) {
                rgb[static_cast<std::size_t>(3 * x)] = static_cast<char>(row[3 * x + 2]);
                rgb[static_cast<std::size_t>(3 * x + 1)] = static_cast<char>(row[3 * x + 1]);
                rgb[static_cast<std::size_t>(3 * x + 2)] = static_cast<char>(row[3 * x]);
            }
            ppm.write(rgb.data(), static_cast<std::streamsize>(rgb.size()));
        }
    }
    const double ours = MedianSeconds(5, [&] {
        auto out = ReduceBitmapColors(src, crQuantize, dkFloydSteinberg, 8);
        return !out->Empty();
    });
    // Output as PPM to /dev/null: the quantisation and dithering are timed,
    // not GIF writing. Reading the PPM and process start-up are included.
    const std::string cmd =
        std::string("convert '") + path + "' -dither FloydSteinberg -colors 256 ppm:/dev/null 2>/dev/null";
    const double theirs = MedianSeconds(3, [&] { return std::system(cmd.c_str()) == 0; });
    std::remove(path);

    const double mp = double(kWidth) * kHeight * 1e-6;
    std::printf("\nImageMagick comparison, %dx%d, 256 colours, Floyd-Steinberg (median runs):\n", kWidth, kHeight);
    std::printf("  reelix crQuantize+dkFloydSteinberg : %8.1f ms  %6.1f MP/s\n", ours * 1e3, mp / ours);
    if (theirs < 0) {
        std::printf("  ImageMagick convert               : not available\n");
        return;
    }
    std::printf("  convert in.ppm -dither FloydSteinberg -colors 256 ppm:/dev/null (whole process, PPM read included, "
                "no GIF writing): %8.1f ms  %6.1f MP/s\n",
                theirs * 1e3, mp / theirs);
    std::printf("  ratio convert time / reelix time   : %.2fx\n", theirs / ours);
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    CompareWithImageMagick();
    return 0;
}
