// Opening an animation in the editor against decoding it alone: by default a
// 300-frame 640x480 GIF, from the Open command to the frames list filled, the
// first frame shown and the visible tiles painted; then scrolling the whole
// frames list a page at a time. Prints the ratio and peak memory.
//   build/bench/bench_open_document [--frames=N] [--size=WxH]
//   e.g. --frames=1000 --size=320x240 for a long animation of small frames;
//   --write=FILE only writes the animation (to time `reelix-tool info FILE`).
// Runs offscreen without a display.
#include "app/MainForm.h"
#include "session/EditSession.h"
#include "app/AnimationCommands.h"
#include "app/FrameCommands.h"
#include "app/DocumentCommands.h"
#include "QuietPrompts.h"
#include "controls/RXListBox.h"
#include "gif/GIFImage.h"
#include "services/SettingsStore.h"

#include <QApplication>
#include <QScrollBar>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {
int FrameCount = 300;
int Width = 640;
int Height = 480;
QString GifPath;


// A main window over fresh settings, nothing shown at start-up.
struct TWindow {
    QTemporaryDir Dir;
    TSettingsStore Store{Dir.filePath(QStringLiteral("settings.ini"))};
    TQuietPrompts Prompts;
    TfrmMain Form{Prepared(Store), Prompts, Dir.path()};
    TWindow() {
        Form.resize(1000, 700);
        Form.show();
    }
    static TSettingsStore& Prepared(TSettingsStore& store) {
        for (const char* name : {"TipDay", "AutoLoadStartUp", "DisplayAnimation"})
            store.WriteBool(QStringLiteral("Settings\\"), QLatin1String(name), false);
        return store;
    }
};

// A ball crossing a gradient: every frame differs, as in a real animation.
void WriteAnimation(const QString& path) {
    TGIFImage image;
    image.Header().ScreenWidth = static_cast<std::uint16_t>(Width);
    image.Header().ScreenHeight = static_cast<std::uint16_t>(Height);
    for (int c = 0; c < 256; ++c)
        image.GlobalColors().AddColor(TColor(c | ((255 - c) << 8) | ((c / 2) << 16)));
    for (int f = 0; f < FrameCount; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, Width, Height);
        std::uint8_t* p = frame->PixelData();
        const int cx = (f * 7) % Width, cy = Height / 2 + int(std::lround(Height / 3.2 * std::sin(f / 9.0)));
        for (int y = 0; y < Height; ++y)
            for (int x = 0; x < Width; ++x) {
                const int dx = x - cx, dy = y - cy;
                *p++ = dx * dx + dy * dy < 2500 ? 255 : static_cast<std::uint8_t>((x / 3 + y / 5) & 0xFE);
            }
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 4;
        frame->ExtensionBlocks().Add(std::move(control));
        image.AddFrame(std::move(frame));
    }
    image.SaveToFile(QFile::encodeName(path).toStdString());
}

void BM_DecodeOnly(benchmark::State& state) {
    for (auto _ : state) {
        TGIFImage image;
        image.LoadFromFile(QFile::encodeName(GifPath).toStdString());
        benchmark::DoNotOptimize(image.Frames().Count());
    }
}

void BM_EditorOpen(benchmark::State& state) {
    TWindow window;
    TfrmMain& form = window.Form;
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.Documents().OpenCommandLineFiles({GifPath});
        // First paint of the list and the preview.
        form.FramesList()->viewport()->repaint();
        form.FramePaintBox()->repaint();
        if (form.FramesList()->count() != FrameCount)
            state.SkipWithError("the animation did not open");
        state.PauseTiming();
        form.Session().Reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

// Scrolling through every tile once, a page at a time, each page painted.
void BM_ScrollWholeList(benchmark::State& state) {
    TWindow window;
    TfrmMain& form = window.Form;
    form.Documents().OpenCommandLineFiles({GifPath});
    QScrollBar* bar = form.FramesList()->verticalScrollBar();
    int pages = 0;
    for (auto _ : state) {
        // Tiles are made once; later passes only paint.
        for (int v = 0; v <= bar->maximum(); v += std::max(1, bar->pageStep())) {
            bar->setValue(v);
            form.FramesList()->viewport()->repaint();
            ++pages;
        }
        bar->setValue(0);
    }
    state.counters["pages"] = benchmark::Counter(pages, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EditorOpen)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ScrollWholeList)->Unit(benchmark::kMillisecond)->MinTime(1.0);

struct TRatioReporter : benchmark::ConsoleReporter {
    double Decode = 0, Open = 0;
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            if (r.run_name.function_name == "BM_DecodeOnly") Decode = r.GetAdjustedRealTime();
            if (r.run_name.function_name == "BM_EditorOpen") Open = r.GetAdjustedRealTime();
        }
    }
};
} // namespace

int main(int argc, char** argv) {
    const char* keep = nullptr;
    for (int i = 1; i < argc; ++i)
        if (std::strncmp(argv[i], "--write=", 8) == 0) {
            keep = argv[i] + 8;
            argv[i] = const_cast<char*>("--benchmark_counters_tabular=false");
        } else if (std::sscanf(argv[i], "--frames=%d", &FrameCount) == 1 ||
            std::sscanf(argv[i], "--size=%dx%d", &Width, &Height) == 2)
            argv[i] = const_cast<char*>("--benchmark_counters_tabular=false");
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    GifPath = dir.filePath(QStringLiteral("anim.gif"));
    if (keep) {
        // Only the file, to time other programs on it (e.g. reelix-tool info).
        WriteAnimation(QString::fromLocal8Bit(keep));
        return 0;
    }
    WriteAnimation(GifPath);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\n%d frames of %dx%d (%.0f MB decoded): open in the editor %.0f ms, decode alone %.0f ms, ratio %.2fx; peak memory %.0f MB\n",
                FrameCount, Width, Height, FrameCount * double(Width) * Height / 1e6, reporter.Open, reporter.Decode,
                reporter.Decode > 0 ? reporter.Open / reporter.Decode : 0.0, usage.ru_maxrss / 1024.0);
    return 0;
}
