#include "services/ClipboardAdapter.h"

#include <QByteArray>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

#include "gif/GIFImage.h"
#include "services/QtRasterBridge.h"

namespace {
QByteArray GifBytes(const QMimeData* mime) {
    if (!mime) return {};
    if (mime->hasFormat(TClipboardAdapter::kGifMimeType)) return mime->data(TClipboardAdapter::kGifMimeType);
    if (mime->hasFormat(TClipboardAdapter::kPublicGifMimeType)) return mime->data(TClipboardAdapter::kPublicGifMimeType);
    return {};
}
}  // namespace

TClipboardAdapter::TClipboardAdapter(QClipboard* clipboard)
    : FClipboard(clipboard ? clipboard : QGuiApplication::clipboard()) {}

void TClipboardAdapter::Put(const TGIFClipboardData& data) {
    if (!data.HasGIF() && !data.HasBitmap()) return;
    auto mime = std::make_unique<QMimeData>();
    if (data.HasGIF()) {
        const QByteArray bytes(reinterpret_cast<const char*>(data.gif.data()), static_cast<qsizetype>(data.gif.size()));
        mime->setData(kGifMimeType, bytes);
        mime->setData(kPublicGifMimeType, bytes);
    }
    if (data.HasBitmap()) mime->setImageData(ToQImage(data.bitmap));
    FClipboard->setMimeData(mime.release());  // the clipboard takes ownership
}

void TClipboardAdapter::PutImage(TGIFImage& image) {
    TGIFClipboardData data;
    image.SaveToClipboardFormat(data);
    Put(data);
}

bool TClipboardAdapter::Get(const std::string& format, TGIFClipboardData& data) const {
    const QMimeData* mime = FClipboard->mimeData();
    if (!mime) return false;
    if (format == GIFClipboardFormat) {
        const QByteArray bytes = GifBytes(mime);
        if (bytes.isEmpty()) return false;
        data.gif.assign(bytes.begin(), bytes.end());
        return true;
    }
    if (format == BitmapClipboardFormat) {
        if (!mime->hasImage()) return false;
        data.bitmap = FromQImage(qvariant_cast<QImage>(mime->imageData()));
        return data.HasBitmap();
    }
    return false;
}

bool TClipboardAdapter::HasImage() const {
    const QMimeData* mime = FClipboard->mimeData();
    return mime && (!GifBytes(mime).isEmpty() || mime->hasImage());
}

bool TClipboardAdapter::PasteInto(TGIFImage& image) const {
    TGIFClipboardData data;
    if (Get(GIFClipboardFormat, data)) {
        image.LoadFromClipboardFormat(GIFClipboardFormat, &data);
        return true;
    }
    if (Get(BitmapClipboardFormat, data)) {
        image.LoadFromClipboardFormat(BitmapClipboardFormat, &data);
        return true;
    }
    return false;
}

void TClipboardAdapter::InstallAsReader() const {
    QClipboard* clipboard = FClipboard;
    SetGIFClipboardReader([clipboard](const std::string& format, TGIFClipboardData& data) {
        return TClipboardAdapter(clipboard).Get(format, data);
    });
}
