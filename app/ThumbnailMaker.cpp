#include "app/ThumbnailMaker.h"

#include "app/ImageImport.h"
#include "gif/GIFImage.h"
#include "raster/PixelBudget.h"
#include "services/JpegReader.h"
#include "services/QtRasterBridge.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImageReader>
#include <QGuiApplication>
#include <QPainter>
#include <QtMath>
#include <cmath>
#include <QThread>
#include <QThreadPool>
#include <algorithm>

QStringList ThumbnailExtensions(int FilterType) {
    switch (FilterType) {
    case 0: return {QStringLiteral(".gif")};
    case 1: return {QStringLiteral(".jpg")};
    case 2: return {QStringLiteral(".bmp")};
    default: return {QStringLiteral(".gif"), QStringLiteral(".jpg"), QStringLiteral(".bmp")};
    }
}

QList<TThumbnailFile> ListPictureFiles(const QString& Folder, int FilterType) {
    QStringList patterns;
    for (const QString& extension : ThumbnailExtensions(FilterType))
        patterns << QLatin1Char('*') + extension;
    const QDir dir(Folder);
    QList<TThumbnailFile> files;
    // Case-insensitive, as the extensions are on the desktop the files come from.
    const QFileInfoList found = dir.entryInfoList(patterns, QDir::Files | QDir::Readable, QDir::Name);
    files.reserve(found.size());
    for (const QFileInfo& info : found)
        files.append({info.fileName(), info.size(), info.lastModified()});
    return files;
}

QString ThumbnailSizeText(qint64 Bytes) {
    const qint64 kb = Bytes <= 1024 ? 1 : Bytes >> 10;
    return QStringLiteral("%1KB").arg(kb);
}

namespace {

// A picture and its own size (a JPEG may be decoded smaller).
struct TPicture {
    QImage Image;
    QSize Size;
};

TPicture ReadPicture(const QString& Path, int Edge) {
    const TFileKind kind = FileKindOf(Path);
    try {
        if (kind == fkJPEG) {
            TBitmap bitmap;
            const TJpegReadResult read = ReadJpegFile(Path, bitmap, Edge);
            return read.Ok ? TPicture{ToQImage(bitmap), QSize(read.Width, read.Height)} : TPicture{};
        }
        if (kind == fkBMP || kind == fkPNG) {
            // Straight into Qt's image: the tile is all it is needed for.
            QImageReader reader(Path, kind == fkPNG ? "png" : "bmp");
            const QSize size = reader.size();
            if (size.isValid() && !DefaultPixelBudget.FrameFits(std::uint64_t(size.width()), std::uint64_t(size.height())))
                return {};
            QImage image;
            if (!reader.read(&image) || image.isNull())
                return {};
            return {image, image.size()};
        }
        if (kind != fkGIF)
            return {};
        TGIFImage gif;
        gif.LoadFromFile(QFile::encodeName(Path).toStdString());
        const TBitmap* flat = gif.GetFlatBitmap();
        if (!flat || flat->Empty())
            return {};
        QImage image = ToQImage(*flat);
        return {image, image.size()};
    } catch (const std::exception&) {
        return {}; // damaged, or more than the machine can hold
    }
}

QFont CaptionFont() {
    QFont font = QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont);
    font.setPointSize(7);
    return font;
}

TThumbnail DrawTile(const TPicture& Picture, int Edge, const QColor& Background, const QFont& Font, qreal Ratio) {
    TThumbnail thumb;
    thumb.Width = Picture.Size.width();
    thumb.Height = Picture.Size.height();
    // Edge is in the view's units; the tile has Ratio device pixels to each,
    // so it stays sharp on a scaled display.
    const int pixels = qCeil(Edge * Ratio);
    QImage tile(pixels, pixels, QImage::Format_RGB32);
    tile.setDevicePixelRatio(Ratio);
    tile.fill(Background);
    // The size label has a strip of its own below the picture, so the two
    // never overlap.
    const QFontMetrics metrics(Font);
    const int strip = std::min(Edge / 3, metrics.height() + 1);
    const int room = Edge - strip;
    QImage fitted = Picture.Image;
    // Only a picture more than a pixel too large is scaled down: first
    // quickly to twice the tile, then smoothly the rest of the way.
    const int roomPixels = qFloor(room * Ratio);
    if (thumb.Width > Edge + 1 || thumb.Height > room + 1) {
        if (fitted.width() > 4 * pixels || fitted.height() > 4 * roomPixels)
            fitted = fitted.scaled(2 * pixels, 2 * roomPixels, Qt::KeepAspectRatio, Qt::FastTransformation);
        fitted = fitted.scaled(pixels, roomPixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } else if (Ratio != 1) {
        // A picture that fits keeps its size in the view's units.
        fitted = fitted.scaled(qRound(fitted.width() * Ratio), qRound(fitted.height() * Ratio), Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
    }
    fitted.setDevicePixelRatio(Ratio);
    const QSizeF shown = fitted.deviceIndependentSize();
    QPainter painter(&tile);
    painter.drawImage(QPointF(std::floor((Edge - shown.width()) / 2), std::max(0.0, std::floor((room - shown.height()) / 2))),
                      fitted);
    painter.setFont(Font);
    // Readable on the pane's background, light or dark.
    painter.setPen(Background.lightness() < 128 ? QColor(Qt::white) : QColor(Qt::black));
    const QString size = QStringLiteral("(%1 x %2)").arg(thumb.Width).arg(thumb.Height);
    const QRect text(0, room, Edge, strip);
    painter.drawText(text, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, size);
    painter.end();
    thumb.Tile = std::move(tile);
    return thumb;
}

} // namespace

TThumbnail MakeThumbnail(const QString& Path, int Edge, const QColor& Background, qreal Ratio) {
    if (Edge <= 0 || Ratio <= 0)
        return {};
    const TPicture picture = ReadPicture(Path, qCeil(Edge * Ratio));
    if (picture.Image.isNull())
        return {};
    return DrawTile(picture, Edge, Background, CaptionFont(), Ratio);
}

// One scan: the files, what is left to make, and whether it still matters.
struct TThumbnailMaker::TJob {
    QString Folder;
    QList<TThumbnailFile> Files;
    QStringList Keys;
    QList<int> ToMake; // indices not found among the kept tiles, in order
    int Edge = 75;
    qreal Ratio = 1;
    QColor Background;
    QFont Font;
    std::atomic<int> Next{0};
    std::atomic<bool> Cancelled{false};
};

TThumbnailMaker::TThumbnailMaker(QObject* Parent) : QObject(Parent), FPool(new QThreadPool(this)) {
    FPool->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
}

TThumbnailMaker::~TThumbnailMaker() {
    // No signal goes out from here: the receivers may be going too.
    if (FJob)
        FJob->Cancelled = true;
    FPool->waitForDone();
}

QString TThumbnailMaker::CacheKey(const QString& Path, const TThumbnailFile& File, int Edge,
                                  const QColor& Background) {
    return QStringLiteral("%1|%2|%3|%4|%5")
        .arg(Path)
        .arg(File.Size)
        .arg(File.Modified.toMSecsSinceEpoch())
        .arg(Edge)
        .arg(Background.rgb());
}

void TThumbnailMaker::Start(const QString& Folder, const QList<TThumbnailFile>& Files, int Edge,
                            const QColor& Background) {
    Cancel();
    auto job = std::make_shared<TJob>();
    job->Folder = Folder;
    job->Files = Files;
    job->Edge = Edge;
    // Read here, on the GUI thread, for the workers.
    job->Ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    job->Background = Background;
    job->Font = CaptionFont();
    FJob = job;
    FPending = Files.size();
    const QDir dir(Folder);
    for (int i = 0; i < Files.size(); ++i)
        job->Keys << CacheKey(dir.filePath(Files[i].Name), Files[i], Edge, Background);

    // Kept tiles go out at once; the rest are made on the pool, in order.
    for (int i = 0; i < Files.size(); ++i) {
        auto kept = FCache.constFind(job->Keys[i]);
        if (kept == FCache.constEnd()) {
            job->ToMake << i;
            continue;
        }
        Deliver(job, i, *kept);
        if (FJob != job)
            return; // a receiver started another scan or cancelled this one
    }
    if (job->ToMake.isEmpty())
        return;
    const int workers = std::min<int>(FPool->maxThreadCount(), job->ToMake.size());
    for (int w = 0; w < workers; ++w) {
        FPool->start([job, this] {
            for (;;) {
                const int slot = job->Next.fetch_add(1);
                if (slot >= job->ToMake.size() || job->Cancelled)
                    return;
                const int index = job->ToMake[slot];
                const QString path = QDir(job->Folder).filePath(job->Files[index].Name);
                const TPicture picture = ReadPicture(path, qCeil(job->Edge * job->Ratio));
                TThumbnail thumb;
                if (!picture.Image.isNull())
                    thumb = DrawTile(picture, job->Edge, job->Background, job->Font, job->Ratio);
                if (job->Cancelled)
                    return;
                // The destructor waits for this worker, so the maker is alive here.
                QMetaObject::invokeMethod(
                    this, [this, job, index, thumb] { Deliver(job, index, thumb); }, Qt::QueuedConnection);
            }
        });
    }
}

void TThumbnailMaker::Cancel() {
    if (!FJob)
        return;
    FJob->Cancelled = true;
    const bool wasBusy = FPending > 0;
    FJob.reset();
    FPending = 0;
    if (wasBusy)
        emit Finished(true);
}

void TThumbnailMaker::Deliver(const std::shared_ptr<TJob>& Job, int Index, const TThumbnail& Thumbnail) {
    if (Job != FJob || Job->Cancelled)
        return; // a tile of a scan that was dropped
    // Unreadable files are remembered too: unchanged, they stay unreadable.
    FCache.insert(Job->Keys[Index], Thumbnail);
    --FPending;
    emit Made(Index, Thumbnail);
    if (FPending == 0 && FJob == Job) {
        FJob.reset();
        emit Finished(false);
    }
}
