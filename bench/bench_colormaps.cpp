// OptimizeColorMaps on a 100-frame animation in which every frame has a local
// table of 64 colours, for three frame sizes and two palettes:
//   shared: the frames draw their 64 colours from 200 in all (merging, no loss);
//   many:   every frame has colours of its own (6,400 in all: the 256 limit and
//           the nearest-by-sum mapping).
// The animation is copied afresh before each run (not timed).
//
//   build/bench/bench_colormaps
//
// gifsicle's --colors 256 does the same job (one table for all frames) and is
// timed on the same animation as a whole process, file I/O included.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>

#include "gif/GIFImage.h"

namespace {

constexpr int kFrames = 100;
constexpr int kColorsPerFrame = 64;

std::unique_ptr<TGIFImage> MakeAnimation(int side, bool shared) {
    auto image = std::make_unique<TGIFImage>();
    std::mt19937 rng(7);
    for (int f = 0; f < kFrames; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        frame->PlaceFrame(0, 0, side, side);
        for (int c = 0; c < kColorsPerFrame; ++c) {
            const int id = shared ? static_cast<int>((f * 13 + c * 3) % 200) : f * kColorsPerFrame + c;
            frame->LocalColors().AddColor(MakeColor(static_cast<std::uint8_t>(id * 37), static_cast<std::uint8_t>(id * 11),
                                                    static_cast<std::uint8_t>(id / 25)));
        }
        std::uint8_t* p = frame->PixelData();
        // Runs of one colour with a skewed use, as in real pictures.
        std::geometric_distribution<int> pick(0.08);
        for (int i = 0; i < side * side;) {
            const auto index = static_cast<std::uint8_t>(std::min(pick(rng), kColorsPerFrame - 1));
            for (int run = 1 + static_cast<int>(rng() % 8); run > 0 && i < side * side; --run) p[i++] = index;
        }
        image->AddFrame(std::move(frame));
    }
    return image;
}

void BM_OptimizeColorMaps(benchmark::State& state) {
    const int side = static_cast<int>(state.range(0));
    const bool shared = state.range(1) != 0;
    const auto source = MakeAnimation(side, shared);
    TGIFImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work.Assign(source.get());
        state.ResumeTiming();
        work.OptimizeColorMaps();
        benchmark::DoNotOptimize(work.GlobalColors().Count());
    }
    state.SetItemsProcessed(state.iterations() * kFrames * side * side);
    state.SetLabel(std::string(shared ? "shared" : "many") + ", " + std::to_string(work.GlobalColors().Count()) +
                   " colours kept");
}
BENCHMARK(BM_OptimizeColorMaps)
    ->ArgsProduct({{64, 128, 256}, {1, 0}})
    ->ArgNames({"side", "shared"})
    ->Unit(benchmark::kMillisecond);

// gifsicle on the same animation, once per size (process start and file I/O included).
void BM_GifsicleColors(benchmark::State& state) {
    if (std::system("command -v gifsicle >/dev/null 2>&1") != 0) {
        state.SkipWithError("gifsicle not installed");
        return;
    }
    const int side = static_cast<int>(state.range(0));
    const auto dir = std::filesystem::temp_directory_path();
    const std::string in = (dir / ("reelix-bench-colormaps-" + std::to_string(side) + ".gif")).string();
    const std::string out = in + ".out.gif";
    MakeAnimation(side, true)->SaveToFile(in);
    const std::string cmd = "gifsicle --colors 256 " + in + " -o " + out + " 2>/dev/null";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("gifsicle failed");
            break;
        }
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}
BENCHMARK(BM_GifsicleColors)->Arg(64)->Arg(128)->Arg(256)->ArgName("side")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
