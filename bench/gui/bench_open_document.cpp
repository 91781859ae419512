// Opening an animation in the editor against decoding it alone: a 300-frame
// 640x480 GIF, from the Open command to the frames list filled, the first
// frame shown and the visible tiles painted. Prints the ratio and peak memory.
//   build/bench/bench_open_document [--frames=N]   (offscreen without a display)
#include "app/MainForm.h"
#include "app/UserPrompts.h"
#include "controls/RXListBox.h"
#include "gif/GIFImage.h"
#include "platform/services/SettingsStore.h"

#include <QApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {
int FrameCount = 300;
QString GifPath;

struct TQuietPrompts : IUserPrompts {
    TMsgResult MessageBox(TMsgType, TMsgButtons b, const QString&, const QString&) override {
        return b == TMsgButtons::OK ? TMsgResult::OK : TMsgResult::No;
    }
    QString OpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    QStringList OpenFileNames(const QString&, const QString&, const QString&) override { return {}; }
};

// A ball crossing a gradient: every frame differs, as in a real animation.
void WriteAnimation(const QString& path) {
    TGIFImage image;
    image.Header().ScreenWidth = 640;
    image.Header().ScreenHeight = 480;
    for (int c = 0; c < 256; ++c)
        image.GlobalColors().AddColor(TColor(c | ((255 - c) << 8) | ((c / 2) << 16)));
    for (int f = 0; f < FrameCount; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(&image);
        frame->PlaceFrame(0, 0, 640, 480);
        std::uint8_t* p = frame->PixelData();
        const int cx = (f * 7) % 640, cy = 240 + int(std::lround(150 * std::sin(f / 9.0)));
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) {
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
    QTemporaryDir dir;
    TSettingsStore store(dir.filePath(QStringLiteral("settings.ini")));
    store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("TipDay"), false);
    store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("AutoLoadStartUp"), false);
    store.WriteBool(QStringLiteral("Settings\\"), QStringLiteral("DisplayAnimation"), false);
    TQuietPrompts prompts;
    TfrmMain form(store, prompts, dir.path());
    form.resize(1000, 700);
    form.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        form.OpenCommandLineFiles({GifPath});
        // First paint of the list and the preview.
        form.FramesList()->viewport()->repaint();
        form.FramePaintBox()->repaint();
        if (form.FramesList()->count() != FrameCount)
            state.SkipWithError("the animation did not open");
        state.PauseTiming();
        form.Modified = false;
        form.mnuFileNewClick();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_DecodeOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_EditorOpen)->Unit(benchmark::kMillisecond)->MinTime(2.0);

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
    for (int i = 1; i < argc; ++i)
        if (std::sscanf(argv[i], "--frames=%d", &FrameCount) == 1)
            argv[i] = argv[0];
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    GifPath = dir.filePath(QStringLiteral("anim.gif"));
    WriteAnimation(GifPath);
    benchmark::Initialize(&argc, argv);
    TRatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("\n%d frames of 640x480 (%.0f MB decoded): open in the editor %.0f ms, decode alone %.0f ms, ratio %.2fx; peak memory %.0f MB\n",
                FrameCount, FrameCount * 640.0 * 480 / 1e6, reporter.Open, reporter.Decode,
                reporter.Decode > 0 ? reporter.Open / reporter.Decode : 0.0, usage.ru_maxrss / 1024.0);
    return 0;
}
