// Image-data codec speed: our LZW decoder and both encoders against giflib on
// the same pixels, in the same run. File I/O is excluded on both sides: giflib
// reads and writes memory through its callbacks, we use TMemoryStream.
//
//   build/bench/bench_codec [--benchmark_filter=Decode]
//
// After the runs a summary prints our speed and output size relative to giflib.
// Unless told otherwise, every benchmark runs 5 times with the repetitions of
// all benchmarks shuffled together, and the summary takes the median: a
// machine whose speed drifts then slows both sides of a ratio alike.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "gif/LZW.h"

#ifdef REELIX_HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TSample {
    std::string name;
    int width = 0;
    int height = 0;
    int bits = 8;
    Bytes pixels;     // indices, row by row
    Bytes imageData;  // our LZW encoding of them (code size byte, sub-blocks, 0x00)
    Bytes gifFile;    // a whole GIF holding that image data, for giflib
};

// Smooth gradients plus sensor-like noise, quantised to a 3-3-2 palette: the
// short LZW strings of photographs.
Bytes MakePhotoLike(int width, int height) {
    Bytes out(static_cast<std::size_t>(width) * height);
    std::mt19937 rng(42);
    std::normal_distribution<float> noise(0.0f, 7.0f);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float fx = static_cast<float>(x) / width, fy = static_cast<float>(y) / height;
            const float r = 128 + 100 * std::sin(fx * 5.1f + fy * 1.3f) + noise(rng);
            const float g = 128 + 90 * std::cos(fy * 4.3f - fx * 2.2f) + noise(rng);
            const float b = 128 + 110 * std::sin((fx + fy) * 3.7f) + noise(rng);
            auto q = [](float v, int levels) {
                return std::clamp(static_cast<int>(v * levels / 256.0f), 0, levels - 1);
            };
            out[static_cast<std::size_t>(y) * width + x] =
                static_cast<std::uint8_t>(q(r, 8) << 5 | q(g, 8) << 2 | q(b, 4));
        }
    }
    return out;
}

// Flat areas and hard edges in a handful of colours: cartoons and screen shots.
Bytes MakeFlat(int width, int height) {
    Bytes out(static_cast<std::size_t>(width) * height, 0);
    std::mt19937 rng(7);
    for (int shape = 0; shape < 60; ++shape) {
        const int cx = static_cast<int>(rng() % width), cy = static_cast<int>(rng() % height);
        const int rx = 20 + static_cast<int>(rng() % 300), ry = 20 + static_cast<int>(rng() % 200);
        const auto color = static_cast<std::uint8_t>(rng() % 16);
        const bool ellipse = rng() % 2;
        for (int y = std::max(0, cy - ry); y < std::min(height, cy + ry); ++y)
            for (int x = std::max(0, cx - rx); x < std::min(width, cx + rx); ++x) {
                const double dx = double(x - cx) / rx, dy = double(y - cy) / ry;
                if (!ellipse || dx * dx + dy * dy <= 1.0) out[static_cast<std::size_t>(y) * width + x] = color;
            }
    }
    return out;
}

Bytes EncodeOurs(const TSample& s, TGIFEncoding encoding) {
    TMemoryStream out;
    EncodeImageData(out, encoding, s.bits, 1 << s.bits, s.pixels.data(), false, s.height, s.width);
    return out.TakeBytes();
}

Bytes WrapInGif(const TSample& s) {
    Bytes file = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](int v) {
        file.push_back(static_cast<std::uint8_t>(v));
        file.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    put16(s.width);
    put16(s.height);
    file.push_back(static_cast<std::uint8_t>(0x80 | (s.bits - 1)));
    file.push_back(0);
    file.push_back(0);
    for (int i = 0; i < (1 << s.bits); ++i) file.insert(file.end(), 3, static_cast<std::uint8_t>(i));
    file.push_back(0x2C);
    put16(0);
    put16(0);
    put16(s.width);
    put16(s.height);
    file.push_back(0);
    file.insert(file.end(), s.imageData.begin(), s.imageData.end());
    file.push_back(';');
    return file;
}

#ifdef REELIX_HAVE_GIFLIB
struct TMemoryReader {
    const Bytes* bytes;
    std::size_t pos;
};

int ReadMemory(GifFileType* gif, GifByteType* buffer, int count) {
    auto* r = static_cast<TMemoryReader*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(count), r->bytes->size() - r->pos);
    std::memcpy(buffer, r->bytes->data() + r->pos, n);
    r->pos += n;
    return static_cast<int>(n);
}

int WriteMemory(GifFileType* gif, const GifByteType* buffer, int count) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

// Decodes the first image of a GIF file in memory into `raster`.
bool GiflibDecodeFirst(const Bytes& file, Bytes& raster) {
    TMemoryReader reader{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
    if (!gif) return false;
    bool ok = false;
    GifRecordType type;
    while (DGifGetRecordType(gif, &type) == GIF_OK && type != TERMINATE_RECORD_TYPE) {
        if (type == EXTENSION_RECORD_TYPE) {
            int code;
            GifByteType* ext;
            if (DGifGetExtension(gif, &code, &ext) != GIF_OK) break;
            while (ext) {
                if (DGifGetExtensionNext(gif, &ext) != GIF_OK) break;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) != GIF_OK) break;
        const int n = gif->Image.Width * gif->Image.Height;
        raster.resize(static_cast<std::size_t>(n));
        ok = DGifGetLine(gif, raster.data(), n) == GIF_OK;
        break;
    }
    DGifCloseFile(gif, &error);
    return ok;
}

Bytes GiflibEncode(const TSample& s) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteMemory, &error);
    ColorMapObject* map = GifMakeMapObject(1 << s.bits, nullptr);
    EGifPutScreenDesc(gif, s.width, s.height, s.bits, 0, map);
    EGifPutImageDesc(gif, 0, 0, s.width, s.height, false, nullptr);
    EGifPutLine(gif, const_cast<GifPixelType*>(s.pixels.data()), s.width * s.height);
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out;
}

// The size of the image data inside a GIF file giflib wrote: everything after
// the image descriptor up to the trailer.
std::size_t ImageDataSize(const Bytes& file, int bits) {
    const std::size_t header = 6 + 7 + 3 * (std::size_t{1} << bits) + 10;
    return file.size() > header + 1 ? file.size() - header - 1 : 0;
}
#endif

// The real photographs of the shared test data: frame 0's indices, via giflib.
void AddTestDataPhotos(std::vector<TSample>& corpus) {
#ifdef REELIX_HAVE_GIFLIB
    const std::filesystem::path dir = std::filesystem::path(REELIX_TESTDATA_DIR) / "gif" / "wuffs";
    for (const char* name : {"harvesters.gif", "hat.gif", "hibiscus.regular.gif", "hippopotamus.regular.gif"}) {
        std::ifstream in(dir / name, std::ios::binary);
        if (!in) continue;
        Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        TMemoryReader reader{&file, 0};
        int error = 0;
        GifFileType* gif = DGifOpen(&reader, ReadMemory, &error);
        if (!gif) continue;
        if (DGifSlurp(gif) == GIF_OK && gif->ImageCount > 0) {
            const SavedImage& image = gif->SavedImages[0];
            TSample s;
            s.name = std::string("wuffs-") + name;
            s.width = image.ImageDesc.Width;
            s.height = image.ImageDesc.Height;
            const ColorMapObject* map = image.ImageDesc.ColorMap ? image.ImageDesc.ColorMap : gif->SColorMap;
            s.bits = map ? map->BitsPerPixel : 8;
            s.pixels.assign(image.RasterBits, image.RasterBits + static_cast<std::size_t>(s.width) * s.height);
            corpus.push_back(std::move(s));
        }
        DGifCloseFile(gif, &error);
    }
#endif
}

std::vector<TSample>& Corpus() {
    static std::vector<TSample> corpus = [] {
        std::vector<TSample> c;
        c.push_back({"photo-1920x1080", 1920, 1080, 8, MakePhotoLike(1920, 1080), {}, {}});
        c.push_back({"flat-1920x1080", 1920, 1080, 4, MakeFlat(1920, 1080), {}, {}});
        AddTestDataPhotos(c);
        for (TSample& s : c) {
            s.imageData = EncodeOurs(s, encLZW);
            s.gifFile = WrapInGif(s);
        }
        return c;
    }();
    return corpus;
}

void SetCounters(benchmark::State& state, const TSample& s, std::size_t bytes) {
    const double pixels = static_cast<double>(s.pixels.size());
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(s.pixels.size()));
    state.counters["MP/s"] = benchmark::Counter(pixels / 1e6, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["bytes"] = static_cast<double>(bytes);
}

void DecodeReelix(benchmark::State& state, const TSample* s) {
    Bytes pixels(s->pixels.size());
    for (auto _ : state) {
        std::fill(pixels.begin(), pixels.end(), 0);  // the caller's fill, as in frame reading
        TMemoryStream in(s->imageData.data(), s->imageData.size());
        DecodeImageData(in, pixels.data(), s->width, s->height, false, nullptr);
        benchmark::DoNotOptimize(pixels.data());
    }
    if (pixels != s->pixels) state.SkipWithError("decode mismatch");
    SetCounters(state, *s, s->imageData.size());
}

void EncodeReelix(benchmark::State& state, const TSample* s, TGIFEncoding encoding) {
    std::size_t size = 0;
    for (auto _ : state) {
        TMemoryStream out;
        EncodeImageData(out, encoding, s->bits, 1 << s->bits, s->pixels.data(), false, s->height, s->width);
        size = static_cast<std::size_t>(out.Size());
        benchmark::DoNotOptimize(out.Data());
    }
    SetCounters(state, *s, size);
}

#ifdef REELIX_HAVE_GIFLIB
void DecodeGiflib(benchmark::State& state, const TSample* s) {
    Bytes raster(s->pixels.size());
    for (auto _ : state) {
        if (!GiflibDecodeFirst(s->gifFile, raster)) {
            state.SkipWithError("giflib failed");
            break;
        }
        benchmark::DoNotOptimize(raster.data());
    }
    if (raster != s->pixels) state.SkipWithError("giflib decode mismatch");
    SetCounters(state, *s, s->imageData.size());
}

void EncodeGiflib(benchmark::State& state, const TSample* s) {
    std::size_t size = 0;
    for (auto _ : state) {
        const Bytes file = GiflibEncode(*s);
        size = ImageDataSize(file, s->bits);
        benchmark::DoNotOptimize(file.data());
    }
    SetCounters(state, *s, size);
}
#endif

// Collects the speed and size of every benchmark for the summary (the median
// of its repetitions, or its one run), and prints as usual.
class TSummaryReporter : public benchmark::ConsoleReporter {
public:
    struct TFigures {
        double mps = 0;
        double bytes = 0;
    };
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.error_occurred || !(single || median)) continue;
            TFigures f;
            if (auto it = run.counters.find("MP/s"); it != run.counters.end()) f.mps = it->second.value;
            if (auto it = run.counters.find("bytes"); it != run.counters.end()) f.bytes = it->second.value;
            figures[run.run_name.str()] = f;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, TFigures> figures;
};

// The command line, with repetitions and shuffling added unless given.
std::vector<std::string> ArgumentsWithDefaults(int argc, char** argv) {
    std::vector<std::string> args(argv, argv + argc);
    const bool repetitionsGiven = std::any_of(args.begin(), args.end(), [](const std::string& a) {
        return a.rfind("--benchmark_repetitions", 0) == 0;
    });
    if (!repetitionsGiven) {
        args.emplace_back("--benchmark_repetitions=5");
        args.emplace_back("--benchmark_enable_random_interleaving=true");
        args.emplace_back("--benchmark_report_aggregates_only=true");
    }
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args = ArgumentsWithDefaults(argc, argv);
    std::vector<char*> pointers;
    for (std::string& a : args) pointers.push_back(a.data());
    int count = static_cast<int>(pointers.size());
    pointers.push_back(nullptr);
    benchmark::Initialize(&count, pointers.data());
    for (TSample& s : Corpus()) {
        const TSample* p = &s;
        benchmark::RegisterBenchmark(("Decode/" + s.name + "/reelix").c_str(), DecodeReelix, p)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("EncodeLZW/" + s.name + "/reelix").c_str(),
                                     [p](benchmark::State& st) { EncodeReelix(st, p, encLZW); })->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("EncodeRLE/" + s.name + "/reelix").c_str(),
                                     [p](benchmark::State& st) { EncodeReelix(st, p, encRLE); })->Unit(benchmark::kMillisecond);
#ifdef REELIX_HAVE_GIFLIB
        benchmark::RegisterBenchmark(("Decode/" + s.name + "/giflib").c_str(), DecodeGiflib, p)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("EncodeLZW/" + s.name + "/giflib").c_str(), EncodeGiflib, p)->Unit(benchmark::kMillisecond);
#endif
    }
    TSummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const std::map<std::string, TSummaryReporter::TFigures>& figures = reporter.figures;

    std::printf("\nSummary (reelix / giflib, medians): speed ratio, size ratio\n");
    for (const TSample& s : Corpus()) {
        for (const char* kind : {"Decode", "EncodeLZW", "EncodeRLE"}) {
            const auto ours = figures.find(std::string(kind) + "/" + s.name + "/reelix");
            const std::string giflibKind = std::string(kind) == "EncodeRLE" ? "EncodeLZW" : kind;
            const auto theirs = figures.find(giflibKind + "/" + s.name + "/giflib");
            if (ours == figures.end()) continue;
            std::printf("  %-10s %-34s %8.1f MP/s %10.0f bytes", kind, s.name.c_str(), ours->second.mps, ours->second.bytes);
            if (theirs != figures.end() && theirs->second.mps > 0 && theirs->second.bytes > 0)
                std::printf("   giflib %8.1f MP/s %10.0f bytes   speed x%.2f  size x%.4f", theirs->second.mps,
                            theirs->second.bytes, ours->second.mps / theirs->second.mps,
                            ours->second.bytes / theirs->second.bytes);
            std::printf("\n");
        }
    }
    benchmark::Shutdown();
    return 0;
}
