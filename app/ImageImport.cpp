#include "app/ImageImport.h"

#include "imaging/WebAnimationImport.h"
#include "raster/PixelBudget.h"
#include "services/JpegReader.h"
#include "services/QtRasterBridge.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <exception>

TFileKind FileKindOf(const QString& Path) {
    const QString ext = QFileInfo(Path).suffix().toLower();
    if (ext == QLatin1String("gif"))
        return fkGIF;
    if (ext == QLatin1String("jpg") || ext == QLatin1String("jpeg"))
        return fkJPEG;
    if (ext == QLatin1String("bmp"))
        return fkBMP;
    if (ext == QLatin1String("png"))
        return fkPNG;
    if (ext == QLatin1String("webp"))
        return fkWebP;
    for (const char* video : {"avi", "mp4", "m4v", "webm", "mov", "mkv"})
        if (ext == QLatin1String(video))
            return fkAVI;
    return fkUnknown;
}

bool IsWebAnimation(const QString& Path, TFileKind Kind) {
    if (Kind == fkWebP)
        return true;
    return Kind == fkPNG && WebAnimationKindOfFile(QFile::encodeName(Path).toStdString()) == TWebAnimationKind::APNG;
}

namespace {
QString LoadWithQt(const QString& path, const char* format, TBitmap& bitmap) {
    QImageReader reader(path, format);
    // A few header bytes must not make us allocate gigabytes.
    const QSize size = reader.size();
    if (size.isValid() && !DefaultPixelBudget.FrameFits(std::uint64_t(size.width()), std::uint64_t(size.height())))
        return QString::fromLatin1(ImageTooLargeText);
    QImage image;
    if (!reader.read(&image) || image.isNull())
        return reader.errorString();
    bitmap = FromQImage(image);
    return QString();
}
} // namespace

QString LoadStillPicture(const QString& Path, TFileKind Kind, TBitmap& Bitmap) {
    try {
        if (Kind == fkJPEG) {
            TBitmap decoded;
            const TJpegReadResult read = ReadJpegFile(Path, decoded);
            if (!read.Ok)
                return read.Error.isEmpty() ? QStringLiteral("Not a JPEG picture") : read.Error;
            Bitmap = std::move(decoded);
            return QString();
        }
        if (Kind == fkBMP)
            return LoadWithQt(Path, "bmp", Bitmap);
        if (Kind == fkPNG)
            return LoadWithQt(Path, "png", Bitmap);
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    }
    return QStringLiteral("Unknown file type");
}
