// Resizing a whole animation as the Animation Information dialog does: every
// frame composed, stretched and given one shared table. The animation is 300
// frames on a 640 x 480 screen: a full background first, then a 64 x 64
// sprite moving over it (sub-rectangles, as real animations are stored).
//
//   build/bench/bench_resize
//
// gifsicle --resize does the same job on the same file, timed as a whole
// process (file I/O included); it scales the stored sub-rectangles rather
// than composing frames.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/ResizeInput.h"
#include "gif/GIFImage.h"
#include "painter/AnimationResize.h"

namespace {

constexpr int kFrames = 300;

void BM_ResizeAnimation(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = width * 3 / 4;
    const auto source = MakeResizeInput();
    TGIFImage work;
    for (auto _ : state) {
        state.PauseTiming();
        work.Assign(source.get());
        state.ResumeTiming();
        ResizeAnimation(work, width, height);
        benchmark::DoNotOptimize(work.Width());
    }
    state.SetItemsProcessed(state.iterations() * kFrames);
    state.SetLabel("frames/s; 300 frames 640x480 -> " + std::to_string(width) + "x" + std::to_string(height));
}
BENCHMARK(BM_ResizeAnimation)->Arg(320)->Arg(960)->ArgName("width")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GifsicleResize(benchmark::State& state) {
    if (std::system("command -v gifsicle >/dev/null 2>&1") != 0) {
        state.SkipWithError("gifsicle not installed");
        return;
    }
    const int width = static_cast<int>(state.range(0)), height = width * 3 / 4;
    const auto dir = std::filesystem::temp_directory_path();
    const std::string in = (dir / "reelix-bench-resize.gif").string();
    const std::string out = in + ".out.gif";
    MakeResizeInput()->SaveToFile(in);
    const std::string cmd =
        "gifsicle --resize " + std::to_string(width) + "x" + std::to_string(height) + " " + in + " -o " + out + " 2>/dev/null";
    for (auto _ : state) {
        if (std::system(cmd.c_str()) != 0) {
            state.SkipWithError("gifsicle failed");
            break;
        }
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}
BENCHMARK(BM_GifsicleResize)->Arg(320)->Arg(960)->ArgName("width")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
