#include "services/QtRasterBridge.h"

#include <QColor>

#include "gif/GIFImage.h"
#include "raster/PixelBudget.h"
#include <QVector>
#include <cstring>
#include <unordered_set>

namespace {

QVector<QRgb> ColorTable(const TPalette& palette) {
    QVector<QRgb> table;
    table.reserve(palette.Count());
    for (const TPaletteEntry& e : palette.Entries()) table.push_back(qRgb(e.red, e.green, e.blue));
    return table;
}

TPalette PaletteOf(const QVector<QRgb>& table) {
    std::vector<TPaletteEntry> entries;
    const int n = std::min<int>(table.size(), 256);
    entries.reserve(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        entries.push_back({static_cast<std::uint8_t>(qRed(table[i])), static_cast<std::uint8_t>(qGreen(table[i])),
                           static_cast<std::uint8_t>(qBlue(table[i])), 0});
    return TPalette(std::move(entries));
}

// A colour no opaque pixel has, to stand for the see-through ones.
TColorRef UnusedColor(const std::unordered_set<TColorRef>& used) {
    for (TColorRef c : {RGBColor(255, 0, 255), RGBColor(0, 255, 255), RGBColor(254, 1, 253)})
        if (!used.count(c)) return c;
    for (TColorRef c = 0;; ++c)
        if (!used.count(c)) return c;  // at most width x height colours are used: always ends
}

}  // namespace

QImage ToQImage(const TBitmap& bitmap) {
    if (bitmap.Empty()) return {};
    const int w = bitmap.Width(), h = bitmap.Height();
    if (IsPaletted(bitmap.PixelFormat())) {
        QImage image(w, h, QImage::Format_Indexed8);
        QVector<QRgb> table = ColorTable(bitmap.Palette());
        // Every index must have an entry, or Qt reads past the table.
        const int needed = 1 << BitsPerPixel(bitmap.PixelFormat());
        while (table.size() < needed) table.push_back(qRgb(0, 0, 0));
        image.setColorTable(table);
        for (int y = 0; y < h; ++y) {
            uchar* dst = image.scanLine(y);
            if (bitmap.PixelFormat() == pf8bit) {
                std::memcpy(dst, bitmap.ScanLine(y), static_cast<std::size_t>(w));
            } else {
                for (int x = 0; x < w; ++x) dst[x] = static_cast<uchar>(bitmap.Index(x, y));
            }
        }
        return image;
    }
    QImage image(w, h, QImage::Format_RGB32);
    const int bytes = bitmap.PixelFormat() == pf24bit ? 3 : 4;
    for (int y = 0; y < h; ++y) {
        const std::uint8_t* src = bitmap.ScanLine(y);
        auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x, src += bytes) dst[x] = qRgb(src[2], src[1], src[0]);
    }
    return image;
}

TBitmap FromQImage(const QImage& source) {
    if (source.isNull() || source.width() <= 0 || source.height() <= 0) return {};
    const int w = source.width(), h = source.height();
    // Pictures from other programs (the clipboard) keep to the same budget as files.
    if (!DefaultPixelBudget.FrameFits(std::uint64_t(w), std::uint64_t(h))) throw GIFException(ImageTooLargeText);
    const bool indexed = source.format() == QImage::Format_Indexed8 || source.format() == QImage::Format_Mono ||
                         source.format() == QImage::Format_MonoLSB;
    if (indexed) {
        const QImage image = source.convertToFormat(QImage::Format_Indexed8);
        const QVector<QRgb> table = image.colorTable();
        bool seeThrough = false;
        for (QRgb c : table) seeThrough = seeThrough || qAlpha(c) < 128;
        if (!seeThrough && table.size() <= 256) {
            TBitmap bitmap(w, h, pf8bit);
            bitmap.SetPalette(PaletteOf(table));
            for (int y = 0; y < h; ++y) std::memcpy(bitmap.ScanLine(y), image.constScanLine(y), static_cast<std::size_t>(w));
            return bitmap;
        }
    }
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    TBitmap bitmap(w, h, pf24bit);
    bool anySeeThrough = false;
    for (int y = 0; y < h && !anySeeThrough; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w && !anySeeThrough; ++x) anySeeThrough = qAlpha(src[x]) < 128;
    }
    TColorRef key = 0;
    if (anySeeThrough) {
        std::unordered_set<TColorRef> used;
        for (int y = 0; y < h; ++y) {
            const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (qAlpha(src[x]) >= 128)
                    used.insert(RGBColor(static_cast<std::uint8_t>(qRed(src[x])),
                                         static_cast<std::uint8_t>(qGreen(src[x])), static_cast<std::uint8_t>(qBlue(src[x]))));
        }
        key = UnusedColor(used);
    }
    for (int y = 0; y < h; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        std::uint8_t* dst = bitmap.ScanLine(y);
        for (int x = 0; x < w; ++x, dst += 3) {
            const bool hole = qAlpha(src[x]) < 128;
            dst[0] = hole ? BlueOf(key) : static_cast<std::uint8_t>(qBlue(src[x]));
            dst[1] = hole ? GreenOf(key) : static_cast<std::uint8_t>(qGreen(src[x]));
            dst[2] = hole ? RedOf(key) : static_cast<std::uint8_t>(qRed(src[x]));
        }
    }
    if (anySeeThrough) {
        bitmap.SetTransparent(true);
        bitmap.SetTransparentColor(key);
    }
    return bitmap;
}

QImage FrameToQImage(const TGIFSubImage& Frame, const QColor& TransparentAs) {
    if (Frame.IsEmpty())
        return QImage();
    const int width = Frame.Width();
    const int height = Frame.Height();
    QImage image(width, height, QImage::Format_Indexed8);
    if (image.isNull())
        return image;
    QList<QRgb> colors(256, qRgb(0, 0, 0));
    if (const TGIFColorMap* table = Frame.EffectiveColors())
        for (int i = 0; i < table->Count(); ++i) {
            const TGIFRGB& c = table->Entry(i);
            colors[i] = qRgb(c.red, c.green, c.blue);
        }
    const TGIFGraphicControlExtension* control = Frame.ControlExtension();
    if (control && control->UsesTransparency())
        colors[control->TransparentIndex()] = TransparentAs.rgba();
    image.setColorTable(colors);
    const std::uint8_t* pixels = Frame.PixelData();
    for (int y = 0; y < height; ++y)
        std::memcpy(image.scanLine(y), pixels + static_cast<std::size_t>(y) * width, static_cast<std::size_t>(width));
    return image;
}

QColor ColorOf(std::uint32_t Color) {
    return QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF));
}

QImage WithColorReplaced(const QImage& Picture, QRgb From, QRgb To) {
    QImage shown = Picture.convertToFormat(QImage::Format_RGB32);
    const QRgb key = From & 0xFFFFFF;
    for (int y = 0; y < shown.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(shown.scanLine(y));
        for (int x = 0; x < shown.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key)
                row[x] = To;
    }
    return shown;
}
