#pragma once
// Thumbnails of a folder's pictures, made on worker threads and handed back one
// by one on the thread that asked, so the window shows them as they come and
// never waits. A thumbnail made once is kept for the rest of the run and not
// made again while its file is unchanged.

#include <QColor>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <memory>

class QThreadPool;

// A picture file of a scanned folder.
struct TThumbnailFile {
    QString Name; // the file name, without the folder
    qint64 Size = 0;
    QDateTime Modified;
};

// One square tile: the picture fitted into it, its size written below.
struct TThumbnail {
    QImage Tile;
    int Width = 0;  // the picture's own size, before fitting
    int Height = 0;
    bool Valid() const { return !Tile.isNull(); }
};

// The extensions a filter shows: 0 GIF, 1 JPEG, 2 BMP, 4 all three.
QStringList ThumbnailExtensions(int FilterType);
// The folder's normal files with those extensions, sorted by name.
QList<TThumbnailFile> ListPictureFiles(const QString& Folder, int FilterType);
// A file's size as the list shows it: whole kilobytes, and 1 for up to 1024 bytes.
QString ThumbnailSizeText(qint64 Bytes);
// The tile of the picture in Path, Edge pixels square on Background (with
// Ratio device pixels to each, for a scaled display); an invalid thumbnail
// when the file cannot be read. Safe on any thread.
TThumbnail MakeThumbnail(const QString& Path, int Edge, const QColor& Background, qreal Ratio = 1);

class TThumbnailMaker : public QObject {
    Q_OBJECT
public:
    explicit TThumbnailMaker(QObject* Parent = nullptr);
    ~TThumbnailMaker() override;

    // Makes the tiles of Files in Folder, in order; earlier work is dropped.
    void Start(const QString& Folder, const QList<TThumbnailFile>& Files, int Edge,
               const QColor& Background);
    // Stops handing out tiles; those already handed out stay where they went.
    void Cancel();
    bool Busy() const { return FPending > 0; }
    // Tiles kept from earlier scans, for tests and the benchmark.
    int CachedCount() const { return FCache.size(); }

signals:
    // Tile Index of the current scan is ready (invalid when unreadable).
    void Made(int Index, const TThumbnail& Thumbnail);
    // Every tile of the current scan has been handed out, or it was cancelled.
    void Finished(bool Cancelled);

private:
    struct TJob;
    void Deliver(const std::shared_ptr<TJob>& Job, int Index, const TThumbnail& Thumbnail);
    static QString CacheKey(const QString& Path, const TThumbnailFile& File, int Edge, const QColor& Background);

    // The maker's own pool, so its destructor waits for exactly its work.
    QThreadPool* FPool;
    std::shared_ptr<TJob> FJob;
    QHash<QString, TThumbnail> FCache;
    int FPending = 0;
};
