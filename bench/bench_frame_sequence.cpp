// The frame-sequence operations on 1000 frames of 320x240, each with its undo:
// whole frames (which keep their encoding and only change places) and frames
// that lean on the ones before them (a moving sub-rectangle with
// transparency, which are made whole pictures first). Also prints how much
// the process grows for one undo step of each.
//   build/bench/bench_frame_sequence [--benchmark_filter=...]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "painter/FrameOperations.h"
#include "painter/FrameSequence.h"

namespace {
constexpr int kFrames = 1000, kWidth = 320, kHeight = 240;

std::unique_ptr<TGIFImage> Animation(bool leaning) {
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = kWidth;
    image->Header().ScreenHeight = kHeight;
    for (int c = 0; c < 16; ++c) image->GlobalColors().AddColor(TColor(c * 0x0F0F0F));
    for (int i = 0; i < kFrames; ++i) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        const int w = leaning ? 40 : kWidth, h = leaning ? 30 : kHeight;
        const int x = leaning ? (i * 7) % (kWidth - w) : 0, y = leaning ? (i * 3) % (kHeight - h) : 0;
        frame->PlaceFrame(x, y, w, h);
        for (int p = 0; p < w * h; ++p) frame->PixelData()[p] = std::uint8_t((p / w + i) % 16);
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = std::uint16_t(4 + i % 3);
        if (leaning) {
            control->SetUsesTransparency(true);
            control->SetTransparentIndex(0);
        }
        frame->ExtensionBlocks().Add(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}

long ResidentKiB() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * 4;
}

using TOperation = std::function<bool(TGIFImage&, TFrameEditLog&)>;

void Run(benchmark::State& state, bool leaning, const TOperation& operation) {
    auto image = Animation(leaning);
    long grown = 0;
    for (auto _ : state) {
        const long before = ResidentKiB();
        TFrameEditLog log;
        if (!operation(*image, log)) state.SkipWithError("nothing changed");
        // The first pass is the one that allocates; later ones reuse its memory.
        grown = std::max(grown, ResidentKiB() - before);
        log.Undo(*image);
    }
    state.counters["undo_step_MiB"] = double(grown) / 1024.0;
}

const struct {
    const char* name;
    TOperation operation;
} kOperations[] = {
    {"reverse", [](TGIFImage& i, TFrameEditLog& l) { return ReverseFrames(i, {}, l); }},
    {"pingpong", [](TGIFImage& i, TFrameEditLog& l) { return PingPongFrames(i, {}, l); }},
    {"duplicate", [](TGIFImage& i, TFrameEditLog& l) { return DuplicateFrames(i, {}, l); }},
    {"drop_every_3", [](TGIFImage& i, TFrameEditLog& l) { return DropEveryNthFrame(i, {}, 3, l); }},
    {"dedupe", [](TGIFImage& i, TFrameEditLog& l) { RemoveDuplicateFrames(i, {}, l); return true; }},
    {"speed_50", [](TGIFImage& i, TFrameEditLog& l) { return ScaleDelays(i, {}, 50, l); }},
    {"delete_half", [](TGIFImage& i, TFrameEditLog& l) {
         std::vector<int> odd;
         for (int k = 1; k < kFrames; k += 2) odd.push_back(k);
         return DeleteFrames(i, odd, l);
     }},
};

const bool registered = [] {
    for (const auto& op : kOperations)
        for (bool leaning : {false, true}) {
            const std::string name = std::string("FrameSequence/") + op.name + (leaning ? "/leaning" : "/whole");
            benchmark::RegisterBenchmark(name.c_str(), [&op, leaning](benchmark::State& s) { Run(s, leaning, op.operation); })
                ->Unit(benchmark::kMillisecond)
                ->Iterations(3);
        }
    return true;
}();
} // namespace

BENCHMARK_MAIN();
