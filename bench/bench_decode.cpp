// Whole-file decoding, ours against giflib on the same files in the same run:
// "index" = every frame's palette indices (de-interlaced), "rgba" = every frame
// composed onto an RGBA screen (transparency, disposal), as a browser shows it.
// Files are read into memory first; the timings exclude file I/O on both sides.
//
//   build/bench/bench_decode FILE...           (or a folder of GIFs)
//   bench/bench_decode.sh                      (makes the mixed corpus, runs this)
//
// After the runs a summary prints, per file and for all files together, our
// speed relative to giflib's (medians, megapixels per second).
//
// Memory freed in one iteration stays with the process for the next, for both
// decoders (glibc's trim and mmap thresholds are raised). With the defaults,
// whether a freed heap goes back to the kernel depends on the order of the last
// frees, so one side may pay fresh page faults on every iteration and the other
// not; on a virtual machine a fault costs microseconds, and the run would time
// the kernel instead of the decoders. --fresh-memory keeps the defaults.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "gif/GIFImage.h"
#include "painter/GIFCompositor.h"

#ifdef REELIX_HAVE_GIFLIB
#include "tests/support/GiflibFile.h"
#endif

namespace {
using Bytes = std::vector<std::uint8_t>;

struct TFile {
    std::string name;
    Bytes bytes;
    double indexPixels = 0;  // sum of frame areas
    double rgbaPixels = 0;   // frames times screen area
};
std::vector<TFile> files;

void ReelixIndex(benchmark::State& state, const TFile* file) {
    for (auto _ : state) {
        TGIFImage image;
        TMemoryStream stream(file->bytes.data(), file->bytes.size());
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(image.Frames().Count());
    }
    state.counters["mpps"] = benchmark::Counter(file->indexPixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void ReelixRGBA(benchmark::State& state, const TFile* file) {
    for (auto _ : state) {
        TGIFImage image;
        TMemoryStream stream(file->bytes.data(), file->bytes.size());
        image.LoadFromStream(stream);
        benchmark::DoNotOptimize(TGIFCompositor(image).Run());
    }
    state.counters["mpps"] = benchmark::Counter(file->rgbaPixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

#ifdef REELIX_HAVE_GIFLIB
// Composes every frame as a browser does: a screen that starts transparent,
// restore to background clears the rectangle, restore to previous puts back
// what was under it.
int GiflibCompose(GifFileType* gif, std::vector<std::uint32_t>& screen, std::vector<std::uint32_t>& saved) {
    const int sw = gif->SWidth, sh = gif->SHeight;
    screen.assign(static_cast<std::size_t>(sw) * sh, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        const GifImageDesc& d = frame.ImageDesc;
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, i, &gcb);
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        std::uint32_t colors[256] = {};
        if (map)
            for (int c = 0; c < map->ColorCount && c < 256; ++c)
                colors[c] = 0xFF000000u | map->Colors[c].Red | (map->Colors[c].Green << 8) |
                            (map->Colors[c].Blue << 16);
        if (gcb.DisposalMode == DISPOSE_PREVIOUS) saved = screen;
        const int x0 = std::max(0, d.Left), y0 = std::max(0, d.Top);
        const int x1 = std::min(sw, d.Left + d.Width), y1 = std::min(sh, d.Top + d.Height);
        for (int y = y0; y < y1; ++y) {
            const GifByteType* src = frame.RasterBits + static_cast<std::size_t>(y - d.Top) * d.Width - d.Left;
            std::uint32_t* dst = screen.data() + static_cast<std::size_t>(y) * sw;
            for (int x = x0; x < x1; ++x)
                if (src[x] != gcb.TransparentColor) dst[x] = colors[src[x]];
        }
        benchmark::DoNotOptimize(screen.data());
        if (gcb.DisposalMode == DISPOSE_BACKGROUND)
            for (int y = y0; y < y1; ++y)
                std::fill_n(screen.data() + static_cast<std::size_t>(y) * sw + x0, x1 - x0, 0u);
        else if (gcb.DisposalMode == DISPOSE_PREVIOUS)
            screen.swap(saved);
    }
    return gif->ImageCount;
}

void GiflibIndex(benchmark::State& state, const TFile* file) {
    for (auto _ : state) {
        const TGiflibFile gif(file->bytes);
        if (!gif.ok) {
            state.SkipWithError("giflib refuses the file");
            return;
        }
    }
    state.counters["mpps"] = benchmark::Counter(file->indexPixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void GiflibRGBA(benchmark::State& state, const TFile* file) {
    for (auto _ : state) {
        // A fresh screen per file, as ours has.
        std::vector<std::uint32_t> screen, saved;
        const TGiflibFile gif(file->bytes);
        if (!gif.ok) {
            state.SkipWithError("giflib refuses the file");
            return;
        }
        benchmark::DoNotOptimize(GiflibCompose(gif.gif, screen, saved));
    }
    state.counters["mpps"] = benchmark::Counter(file->rgbaPixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}
#endif

bool Load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    TFile file{path.filename().string(), Bytes(std::istreambuf_iterator<char>(in), {})};
    try {
        TGIFImage image;
        TMemoryStream stream(file.bytes.data(), file.bytes.size());
        image.LoadFromStream(stream);
        for (int i = 0; i < image.Frames().Count(); ++i)
            file.indexPixels += static_cast<double>(image.Frames()[i]->PixelDataSize());
        file.rgbaPixels = static_cast<double>(TGIFCompositor(image).Run()) * image.Width() * image.Height();
    } catch (const GIFException& e) {
        std::fprintf(stderr, "%s: %s (left out)\n", path.c_str(), e.what());
        return false;
    }
    files.push_back(std::move(file));
    return true;
}

// Collects the per-benchmark medians (or single values) for the summary.
class TCollector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> seconds;  // name -> seconds per iteration
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool aggregate = run.run_type == Run::RT_Aggregate;
            if (aggregate && run.aggregate_name != "median") continue;
            if (!aggregate && seconds.count(run.run_name.str())) continue;
            seconds[run.run_name.str()] = run.GetAdjustedRealTime() / 1e3;  // ms -> s
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

void KeepFreedMemory() {
#if defined(__GLIBC__)
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's largest
#endif
}
}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    bool freshMemory = false;
    for (int i = 1; i < argc; ++i) freshMemory |= std::strcmp(argv[i], "--fresh-memory") == 0;
    if (!freshMemory) KeepFreedMemory();
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--fresh-memory") == 0) continue;
        const std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            std::vector<std::filesystem::path> found;
            for (const auto& e : std::filesystem::directory_iterator(arg))
                if (e.path().extension() == ".gif") found.push_back(e.path());
            std::sort(found.begin(), found.end());
            for (const auto& p : found) Load(p);
        } else {
            Load(arg);
        }
    }
    if (files.empty()) {
        std::fputs("usage: bench_decode [--fresh-memory] FILE|FOLDER...   (bench/bench_decode.sh makes a mixed corpus)\n",
                   stderr);
        return argc > 1 ? 1 : 0;
    }
    for (const TFile& f : files) {
        const TFile* p = &f;
        benchmark::RegisterBenchmark(("index/" + f.name + "/reelix").c_str(), ReelixIndex, p)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("rgba/" + f.name + "/reelix").c_str(), ReelixRGBA, p)->Unit(benchmark::kMillisecond);
#ifdef REELIX_HAVE_GIFLIB
        benchmark::RegisterBenchmark(("index/" + f.name + "/giflib").c_str(), GiflibIndex, p)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("rgba/" + f.name + "/giflib").c_str(), GiflibRGBA, p)->Unit(benchmark::kMillisecond);
#endif
    }
    TCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

#ifdef REELIX_HAVE_GIFLIB
    std::printf("\nSummary: Mpx/s, ours / giflib (medians where repeated)\n");
    std::printf("%-40s %10s %10s %7s %10s %10s %7s\n", "file", "index", "giflib", "ratio", "rgba", "giflib", "ratio");
    double total[2][2] = {};  // [mode][ours, giflib] seconds
    for (const TFile& f : files) {
        std::printf("%-40s", f.name.c_str());
        const char* modes[2] = {"index", "rgba"};
        for (int m = 0; m < 2; ++m) {
            const double pixels = (m == 0 ? f.indexPixels : f.rgbaPixels) / 1e6;
            const auto ours = collector.seconds.find(std::string(modes[m]) + "/" + f.name + "/reelix");
            const auto theirs = collector.seconds.find(std::string(modes[m]) + "/" + f.name + "/giflib");
            if (ours == collector.seconds.end() || theirs == collector.seconds.end()) {
                std::printf(" %10s %10s %7s", "-", "-", "-");
                continue;
            }
            total[m][0] += ours->second;
            total[m][1] += theirs->second;
            std::printf(" %10.1f %10.1f %6.2fx", pixels / ours->second, pixels / theirs->second,
                        theirs->second / ours->second);
        }
        std::printf("\n");
    }
    std::printf("%-40s index %.2fx   rgba %.2fx   (ratio of total times)\n", "all files",
                total[0][0] > 0 ? total[0][1] / total[0][0] : 0.0, total[1][0] > 0 ? total[1][1] / total[1][0] : 0.0);
#endif
    return 0;
}
