// Compositing speed: every frame of an animation decoded and composed onto an
// RGBA picture of its logical screen, as a browser shows it. Ours: TGIFImage
// read from memory, then the painter without waiting (TGIFCompositor). The
// peer: giflib's DGifSlurp from memory, then a straightforward compositor with
// the same disposal rules. Both in the same run; "mpix/s" counts frames times
// screen area.
//
//   build/bench/bench_painter [--benchmark_filter=muybridge]
//
// After the runs a summary prints our speed relative to the peer per file.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "painter/GIFCompositor.h"

#ifdef REELIX_HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

const char* const kFiles[] = {
    "gif/wuffs/muybridge.gif", "gif/wuffs/gifplayer-muybridge.gif", "gif/pillow/iss634.gif",
    "gif/giflib/pic/fire.gif", "gif/libnsgif/waves.gif",
};

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::map<std::string, double>& Rates() {
    static std::map<std::string, double> rates;  // "file/who" -> mpix/s
    return rates;
}

void Report(benchmark::State& state, const std::string& key, std::int64_t pixelsPerRun) {
    const double pixels = static_cast<double>(pixelsPerRun) * static_cast<double>(state.iterations());
    state.counters["mpix/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsRate);
    state.SetItemsProcessed(static_cast<std::int64_t>(pixels));
}

void BM_Reelix(benchmark::State& state, const fs::path& file) {
    const Bytes data = ReadFile(file);
    std::int64_t pixels = 0;
    for (auto _ : state) {
        TGIFImage image;
        TMemoryStream stream(data.data(), data.size());
        image.LoadFromStream(stream);
        const int frames = TGIFCompositor(image).Run();
        pixels = std::int64_t(frames) * image.Width() * image.Height();
        benchmark::DoNotOptimize(frames);
    }
    Report(state, file.filename().string() + "/reelix", pixels);
}

#ifdef REELIX_HAVE_GIFLIB
struct TMemoryReader {
    const Bytes* data;
    std::size_t at = 0;
};

int ReadMemory(GifFileType* gif, GifByteType* out, int size) {
    auto* r = static_cast<TMemoryReader*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), r->data->size() - r->at);
    std::memcpy(out, r->data->data() + r->at, n);
    r->at += n;
    return static_cast<int>(n);
}

// Decodes and composes every frame onto an RGBA screen (transparent start,
// disposal 2 clears to transparent, disposal 3 restores the previous picture).
int GiflibComposite(const Bytes& data, std::vector<std::uint8_t>& screen, std::vector<std::uint8_t>& saved) {
    TMemoryReader reader{&data};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (!gif) return 0;
    if (DGifSlurp(gif) != GIF_OK) {
        DGifCloseFile(gif, &error);
        return 0;
    }
    const int sw = gif->SWidth, sh = gif->SHeight;
    screen.assign(static_cast<std::size_t>(sw) * sh * 4, 0);
    for (int i = 0; i < gif->ImageCount; ++i) {
        const SavedImage& frame = gif->SavedImages[i];
        GraphicsControlBlock gcb{DISPOSAL_UNSPECIFIED, false, 0, NO_TRANSPARENT_COLOR};
        DGifSavedExtensionToGCB(gif, i, &gcb);
        const ColorMapObject* map = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        if (!map) continue;
        if (gcb.DisposalMode == DISPOSE_PREVIOUS) saved = screen;
        std::uint32_t lut[256] = {};
        for (int c = 0; c < map->ColorCount && c < 256; ++c)
            lut[c] = map->Colors[c].Red | (map->Colors[c].Green << 8) | (map->Colors[c].Blue << 16) | 0xFF000000u;
        const int fl = frame.ImageDesc.Left, ft = frame.ImageDesc.Top;
        const int fw = frame.ImageDesc.Width, fh = frame.ImageDesc.Height;
        const int x0 = std::max(fl, 0), x1 = std::min(fl + fw, sw);
        const int y0 = std::max(ft, 0), y1 = std::min(ft + fh, sh);
        for (int y = y0; y < y1; ++y) {
            const GifByteType* src = frame.RasterBits + static_cast<std::size_t>(y - ft) * fw + (x0 - fl);
            auto* dst = reinterpret_cast<std::uint32_t*>(screen.data()) + static_cast<std::size_t>(y) * sw + x0;
            for (int x = x0; x < x1; ++x, ++src, ++dst)
                if (*src != gcb.TransparentColor) *dst = lut[*src];
        }
        benchmark::DoNotOptimize(screen.data());
        if (gcb.DisposalMode == DISPOSE_BACKGROUND) {
            for (int y = y0; y < y1; ++y)
                std::memset(screen.data() + (static_cast<std::size_t>(y) * sw + x0) * 4, 0,
                            static_cast<std::size_t>(std::max(x1 - x0, 0)) * 4);
        } else if (gcb.DisposalMode == DISPOSE_PREVIOUS) {
            screen.swap(saved);
        }
    }
    const int frames = gif->ImageCount;
    DGifCloseFile(gif, &error);
    return frames;
}

void BM_Giflib(benchmark::State& state, const fs::path& file) {
    const Bytes data = ReadFile(file);
    std::vector<std::uint8_t> screen, saved;
    std::int64_t pixels = 0;
    for (auto _ : state) {
        const int frames = GiflibComposite(data, screen, saved);
        pixels = std::int64_t(frames) * static_cast<std::int64_t>(screen.size() / 4);
    }
    Report(state, file.filename().string() + "/giflib", pixels);
}
#endif

// Remembers each run's rate for the summary.
class TSummary : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            auto it = run.counters.find("mpix/s");
            if (it != run.counters.end()) Rates()[run.benchmark_name()] = it->second.value;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const fs::path root = REELIX_TESTDATA_DIR;
    std::vector<std::string> names;
    for (const char* name : kFiles) {
        const fs::path file = root / name;
        if (!fs::exists(file)) continue;
        const std::string stem = file.stem().string();
        names.push_back(stem);
        benchmark::RegisterBenchmark(("composite/" + stem + "/reelix").c_str(), BM_Reelix, file);
#ifdef REELIX_HAVE_GIFLIB
        benchmark::RegisterBenchmark(("composite/" + stem + "/giflib").c_str(), BM_Giflib, file);
#endif
    }
    TSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const std::string& stem : names) {
        const double ours = Rates()["composite/" + stem + "/reelix"];
        const double peer = Rates()["composite/" + stem + "/giflib"];
        if (ours > 0 && peer > 0)
            std::printf("%-22s reelix %8.1f mpix/s  giflib %8.1f mpix/s  ratio %.2fx\n", stem.c_str(), ours, peer,
                        ours / peer);
    }
    benchmark::Shutdown();
    return 0;
}
