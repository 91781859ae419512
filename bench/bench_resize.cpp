// Resizing a whole animation as the Animation Information dialog does: every
// frame composed, stretched and given one shared table. The animation is 300
// frames on a 640 x 480 screen: a full background first, then a 64 x 64
// sprite moving over it (sub-rectangles, as real animations are stored).
//
//   build/bench/bench_resize
//
// gifsicle --resize does the same job on the same file, timed as a whole
// process (file I/O included); it scales the stored sub-rectangles rather
// than composing frames. `reelix-tool edit --resize` is timed the same way
// beside it, and the summary prints both ratios: ours in memory and ours as
// a whole process, over gifsicle.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>
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

// A whole process on a file: `command IN OUT` with `{in}` and `{out}` in it.
void RunOnFile(benchmark::State& state, const std::string& command) {
    const int width = static_cast<int>(state.range(0)), height = width * 3 / 4;
    const auto dir = std::filesystem::temp_directory_path();
    const std::string in = (dir / "reelix-bench-resize.gif").string();
    const std::string out = in + ".out.gif";
    MakeResizeInput()->SaveToFile(in);
    std::string cmd = command;
    auto put = [&cmd](const std::string& key, const std::string& value) {
        for (std::size_t at; (at = cmd.find(key)) != std::string::npos;) cmd.replace(at, key.size(), value);
    };
    put("{in}", in);
    put("{out}", out);
    put("{size}", std::to_string(width) + "x" + std::to_string(height));
    for (auto _ : state) {
        if (std::system((cmd + " >/dev/null 2>&1").c_str()) != 0) {
            state.SkipWithError(("failed: " + cmd).c_str());
            break;
        }
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
}

void BM_ToolResize(benchmark::State& state) {
    RunOnFile(state, std::string(REELIX_TOOL_PATH) + " edit {in} {out} --resize={size} --filter=nearest");
}
BENCHMARK(BM_ToolResize)->Arg(320)->Arg(960)->ArgName("width")->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_GifsicleResize(benchmark::State& state) {
    if (std::system("command -v gifsicle >/dev/null 2>&1") != 0) {
        state.SkipWithError("gifsicle not installed");
        return;
    }
    RunOnFile(state, "gifsicle --resize {size} {in} -o {out}");
}
BENCHMARK(BM_GifsicleResize)->Arg(320)->Arg(960)->ArgName("width")->Unit(benchmark::kMillisecond)->Iterations(3);

// Keeps each benchmark's real time per iteration for the summary.
class TCollector : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ms;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred) ms[run.run_name.str()] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    std::printf("\nSummary: time over gifsicle --resize (300 frames 640x480)\n");
    for (const char* width : {"320", "960"}) {
        auto at = [&](const std::string& name) {
            const auto found = collector.ms.find(name + "/width:" + width + "/iterations:3");
            return found == collector.ms.end() ? 0.0 : found->second;
        };
        const double gifsicle = at("BM_GifsicleResize"), memory = at("BM_ResizeAnimation"), tool = at("BM_ToolResize");
        if (gifsicle <= 0) continue;
        std::printf("  to width %s: in memory %.2fx, reelix-tool edit --resize %.2fx (gifsicle %.0f ms)\n", width,
                    memory / gifsicle, tool / gifsicle, gifsicle);
    }
    benchmark::Shutdown();
    return 0;
}
