// The thumbnail pane on a large folder: by default 1000 pictures, a third each
// GIF (320x240, 256 colours), JPEG (640x480 photo-like) and BMP (400x300,
// 24-bit). Times, from the scan's start in the editor's own pane:
//   first screenful  every item the pane shows without scrolling has its tile
//   all              every tile made
//   again            the folder shown once more in the same run (kept tiles)
// and, as the baseline, the same tiles made one after another on one thread.
//   build/bench/bench_thumbnails [--files=N] [--folder=DIR]
// --folder uses that folder, filling it first when it has no pictures. Runs offscreen.
#include "app/MainForm.h"
#include "app/ThumbnailPane.h"
#include "app/ThumbnailMaker.h"
#include "controls/ThumbnailView.h"
#include "gif/GIFImage.h"
#include "services/SettingsStore.h"
#include "QuietPrompts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QTemporaryDir>
#include <QThread>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void WriteGif(const QString& Path, int Seed) {
    const int w = 320, h = 240;
    TGIFImage image;
    image.Header().ScreenWidth = w;
    image.Header().ScreenHeight = h;
    for (int c = 0; c < 256; ++c)
        image.GlobalColors().AddColor(TColor(((c * Seed) & 0xFF) | (c << 8) | ((255 - c) << 16)));
    auto frame = std::make_unique<TGIFSubImage>(&image);
    frame->PlaceFrame(0, 0, w, h);
    std::uint8_t* p = frame->PixelData();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            *p++ = static_cast<std::uint8_t>((x * x / (Seed + 40) + y * 3) & 0xFF);
    image.AddFrame(std::move(frame));
    image.SaveToFile(QFile::encodeName(Path).toStdString());
}

QImage Photo(int Width, int Height, int Seed) {
    QImage picture(Width, Height, QImage::Format_RGB32);
    for (int y = 0; y < Height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < Width; ++x) {
            const double v = std::sin(x / (17.0 + Seed % 13)) * std::cos(y / 23.0) * 127 + 128;
            line[x] = qRgb(int(v), (x * 255) / Width, ((y + Seed) * 255 / Height) & 0xFF);
        }
    }
    return picture;
}

void MakeFolder(const QString& Folder, int Files) {
    std::printf("writing %d pictures to %s...\n", Files, qPrintable(Folder));
    const QImage jpeg = Photo(640, 480, 3), bmp = Photo(400, 300, 7);
    for (int i = 0; i < Files; ++i) {
        const QString base = QStringLiteral("%1/pic%2").arg(Folder).arg(i, 4, 10, QLatin1Char('0'));
        switch (i % 3) {
        case 0: WriteGif(base + QStringLiteral(".gif"), i % 50); break;
        case 1: jpeg.save(base + QStringLiteral(".jpg"), "JPG", 85); break;
        default: bmp.save(base + QStringLiteral(".bmp")); break;
        }
    }
}

// Items the pane shows without scrolling.
int VisibleItems(TThumbnailView& View) {
    QListView* icons = View.IconView();
    int visible = 0;
    for (int row = 0; row < View.Count(); ++row)
        if (icons->visualRect(icons->model()->index(row, 0)).intersects(icons->viewport()->rect()))
            ++visible;
    return visible;
}

struct TTimes {
    double First = 0, All = 0;
};

TTimes TimeScan(TfrmMain& Form, const QString& Folder) {
    TThumbnailView& view = *Form.Thumbnails().View();
    QElapsedTimer clock;
    clock.start();
    Form.Thumbnails().ScanFolder(Folder, true);
    const int firstScreen = VisibleItems(view);
    TTimes t;
    auto screenDone = [&] {
        for (int row = 0; row < firstScreen; ++row)
            if (!view.HasThumbnail(row))
                return false;
        return true;
    };
    while (!screenDone() && Form.Thumbnails().Maker()->Busy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    t.First = clock.nsecsElapsed() / 1e6;
    while (Form.Thumbnails().Maker()->Busy())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    t.All = clock.nsecsElapsed() / 1e6;
    std::printf("  (%d items, %d on the first screen)\n", view.Count(), firstScreen);
    return t;
}
} // namespace

int main(int argc, char** argv) {
    int files = 1000;
    QString folder;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--files=", 8) == 0)
            files = std::atoi(argv[i] + 8);
        else if (std::strncmp(argv[i], "--folder=", 9) == 0)
            folder = QString::fromLocal8Bit(argv[i] + 9);
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir scratch;
    if (folder.isEmpty())
        folder = scratch.filePath(QStringLiteral("pictures"));
    QDir().mkpath(folder);
    if (ListPictureFiles(folder, 4).isEmpty())
        MakeFolder(folder, files);

    TSettingsStore store(scratch.filePath(QStringLiteral("settings.ini")));
    for (const char* name : {"TipDay", "AutoLoadStartUp", "DisplayAnimation"})
        store.WriteBool(QStringLiteral("Settings\\"), QLatin1String(name), false);
    TQuietPrompts prompts;
    TfrmMain form(store, prompts, scratch.path());
    form.resize(1000, 700);
    form.show();
    QCoreApplication::processEvents();

    std::printf("thumbnail pane, %d threads:\n", QThread::idealThreadCount());
    const TTimes first = TimeScan(form, folder);
    std::printf("  first screenful %8.1f ms\n  all             %8.1f ms\n", first.First, first.All);
    const TTimes again = TimeScan(form, folder);
    std::printf("  shown again: first screenful %6.1f ms, all %6.1f ms\n", again.First, again.All);

    // Baseline: the same tiles, one after another on this thread.
    QElapsedTimer clock;
    clock.start();
    int made = 0;
    for (const TThumbnailFile& file : ListPictureFiles(folder, 4))
        made += MakeThumbnail(QDir(folder).filePath(file.Name), 75, Qt::white).Valid();
    const double serial = clock.nsecsElapsed() / 1e6;
    std::printf("one thread, no window: %d tiles in %8.1f ms (pane is %.2fx faster to all)\n", made, serial,
                serial / first.All);
    return 0;
}
