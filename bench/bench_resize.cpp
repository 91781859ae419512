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

#include "gif/GIFImage.h"
#include "painter/AnimationResize.h"

namespace {

constexpr int kFrames = 300, kWidth = 640, kHeight = 480, kSprite = 64;

std::unique_ptr<TGIFImage> MakeAnimation() {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = kWidth;
    image->Header().ScreenHeight = kHeight;
    for (int c = 0; c < 256; ++c)
        image->GlobalColors().AddColor(MakeColor(std::uint8_t(c), std::uint8_t(255 - c), std::uint8_t(c * 7)));
    for (int f = 0; f < kFrames; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        const bool background = f == 0;
        const int w = background ? kWidth : kSprite, h = background ? kHeight : kSprite;
        frame->PlaceFrame(background ? 0 : (f * 7) % (kWidth - kSprite), background ? 0 : (f * 5) % (kHeight - kSprite), w, h);
        std::uint8_t* p = frame->PixelData();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) p[y * w + x] = std::uint8_t(background ? (x / 3 + y / 5) : (x * y + f));
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 4;
        frame->ExtensionBlocks().Add(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}

void BM_ResizeAnimation(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0)), height = width * 3 / 4;
    const auto source = MakeAnimation();
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
    MakeAnimation()->SaveToFile(in);
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
