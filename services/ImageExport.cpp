#include "services/ImageExport.h"

#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "services/AtomicFile.h"
#include "services/JpegWriter.h"
#include "services/QtRasterBridge.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QPainter>

QString ExportFileName(const QString& Path, int Index) {
    const int slash = std::max(Path.lastIndexOf(QLatin1Char('/')), Path.lastIndexOf(QDir::separator()));
    const int dot = Path.lastIndexOf(QLatin1Char('.'));
    const QString mark = QStringLiteral("RX1%1").arg(Index);
    if (dot <= slash + 1)  // no extension (a leading dot names a hidden file)
        return Path + mark;
    return Path.left(dot) + mark + Path.mid(dot);
}

int JpegQualityAt(int Position) {
    static const int qualities[] = {100, 75, 50, 25, 1};
    return qualities[std::clamp(Position, 0, 4)];
}

int ColorBitsFor(int Colors) {
    int bits = 3;
    while (bits < 8 && (1 << bits) < Colors)
        ++bits;
    return bits;
}

QImage PlaceholderPicture() {
    QImage picture(125, 50, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setPen(Qt::black);
    const QFontMetrics metrics = painter.fontMetrics();
    painter.drawText(5, 5 + metrics.ascent(), QStringLiteral("Error Writing Image"));
    painter.drawText(5, 20 + metrics.ascent(), QStringLiteral("Output by Pellmark"));
    painter.drawText(5, 35 + metrics.ascent(), QStringLiteral("Reelix 1.0"));
    return picture;
}

namespace {

void SetReduction(TGIFImage& gif, const TExportOptions& options) {
    switch (options.GifPalette) {
    case 1: gif.ColorReductionKind = crGrayScale; break;
    case 2: gif.ColorReductionKind = crMonochrome; break;
    case 3:
        gif.ColorReductionKind = crQuantize;
        gif.SetReductionBits(ColorBitsFor(options.GifColors));
        break;
    case 4: gif.ColorReductionKind = crWindows20; break;
    case 5:
        gif.ColorReductionKind = crFitted;
        gif.SetReductionBits(ColorBitsFor(options.GifColors));
        break;
    default: gif.ColorReductionKind = crWebSafe; break;
    }
}

// The frame alone, transparent pixels with alpha 0.
QImage FramePicture(const TGIFSubImage& frame) {
    return FrameToQImage(frame, QColor(0, 0, 0, 0)).convertToFormat(QImage::Format_ARGB32);
}

QByteArray GifBytes(TGIFImage& gif, const QImage& picture, const TExportOptions& options) {
    gif.ClearImage();
    const QImage opaque = picture.convertToFormat(QImage::Format_RGB888);
    TBitmap bitmap = FromQImage(opaque);
    auto frame = std::make_unique<TGIFSubImage>(&gif);
    frame->AssignBitmap(bitmap);
    // Pixels nothing shows stay transparent in the exported picture.
    if (picture.hasAlphaChannel()) {
        TBitmap mask(picture.width(), picture.height(), pf1bit);
        bool any = false;
        for (int y = 0; y < picture.height(); ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
            std::uint8_t* bits = mask.ScanLine(y);
            std::fill(bits, bits + mask.Stride(), std::uint8_t(0));
            for (int x = 0; x < picture.width(); ++x)
                if (qAlpha(row[x]) == 0) {
                    bits[x >> 3] |= std::uint8_t(0x80u >> (x & 7));
                    any = true;
                }
        }
        if (any)
            frame->ApplyMask(mask);
    }
    gif.Header().ScreenWidth = std::uint16_t(picture.width());
    gif.Header().ScreenHeight = std::uint16_t(picture.height());
    gif.AddFrame(std::move(frame));
    if (options.GifOptimized)
        gif.OptimizeColorMaps();
    TMemoryStream stream;
    gif.SaveToStream(stream);
    return QByteArray(reinterpret_cast<const char*>(stream.Data()), qsizetype(stream.Size()));
}

QByteArray BmpBytes(const QImage& picture, bool monochrome) {
    QImage opaque(picture.size(), QImage::Format_RGB32);
    opaque.fill(Qt::white);
    QPainter(&opaque).drawImage(0, 0, picture);
    const QImage out = monochrome ? opaque.convertToFormat(QImage::Format_Mono) : opaque.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return out.save(&buffer, "BMP") ? bytes : QByteArray();
}

} // namespace

TExportResult ExportFrames(const TGIFImage& Document, const std::vector<int>& Frames, const QString& Path,
                           const TExportOptions& Options, const std::function<void()>& Step) {
    TExportResult result;
    TGIFImage gif;
    SetReduction(gif, Options);
    const TJpegOptions jpeg{Options.JpegQuality, Options.JpegProgressive, Options.JpegGrayscale, Options.JpegBestQuality};
    for (int index : Frames) {
        const QString name = ExportFileName(Path, index);
        bool failed = false;
        QImage picture;
        if (index >= 0 && index < Document.Frames().Count() && !Document.Frames()[index]->IsEmpty())
            picture = FramePicture(*Document.Frames()[index]);
        if (picture.isNull()) {
            picture = PlaceholderPicture();
            failed = true;
        }
        QByteArray bytes;
        try {
            switch (Options.Format) {
            case TExportFormat::GIF: bytes = GifBytes(gif, picture, Options); break;
            case TExportFormat::JPEG: {
                QImage flat(picture.size(), QImage::Format_RGB32);
                flat.fill(Qt::white);
                QPainter(&flat).drawImage(0, 0, picture);
                bytes = EncodeJpeg(flat, jpeg);
                break;
            }
            case TExportFormat::BMP: bytes = BmpBytes(picture, Options.BmpMonochrome); break;
            }
        } catch (const std::exception&) {
            bytes.clear();
        }
        if (bytes.isEmpty() || !WriteFileAtomically(name, bytes).isEmpty())
            failed = true;
        else
            ++result.Written;
        if (failed)
            result.Failed << name;
        if (Step)
            Step();
    }
    return result;
}
