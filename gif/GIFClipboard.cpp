#include "gif/GIFClipboard.h"

#include <mutex>
#include <new>

#include "gif/GIFImage.h"

namespace {
std::mutex readerMutex;
TGIFClipboardReader& Reader() {
    static TGIFClipboardReader reader;
    return reader;
}

[[noreturn]] void Unsupported() { throw GIFException("Unsupported clipboard format"); }
}  // namespace

void SetGIFClipboardReader(TGIFClipboardReader reader) {
    std::lock_guard<std::mutex> lock(readerMutex);
    Reader() = std::move(reader);
}

void SaveImageToClipboard(TGIFImage& image, TGIFClipboardData& data) {
    data.bitmap.Clear();
    data.gif.clear();
    if (image.Empty()) return;
    if (const TBitmap* flat = image.GetFlatBitmap()) data.bitmap = *flat;
    // The GIF part is a bonus for programs that understand it: without memory
    // for it, the bitmap alone still makes a useful clipboard.
    try {
        TMemoryStream stream;
        image.SaveToStream(stream);
        data.gif = stream.TakeBytes();
    } catch (const std::bad_alloc&) {
        data.gif.clear();
    }
}

void LoadImageFromClipboard(TGIFImage& image, const std::string& format, const TGIFClipboardData* data) {
    TGIFClipboardData fetched;
    if (!data) {
        TGIFClipboardReader reader;
        {
            std::lock_guard<std::mutex> lock(readerMutex);
            reader = Reader();
        }
        if (!reader || !reader(format, fetched)) Unsupported();
        data = &fetched;
    }
    if (format == GIFClipboardFormat) {
        if (!data->HasGIF()) Unsupported();
        // Read once into a scratch image first: damaged data must not cost the
        // document what it holds.
        {
            TGIFImage probe;
            TMemoryStream check(data->gif.data(), data->gif.size());
            probe.LoadFromStream(check);
        }
        TMemoryStream stream(data->gif.data(), data->gif.size());
        image.LoadFromStream(stream);
        return;
    }
    if (format == BitmapClipboardFormat) {
        if (!data->HasBitmap()) Unsupported();
        // Converted aside as well, for the same reason.
        TGIFImage probe;
        probe.ColorReductionKind = image.ColorReductionKind;
        probe.DitherKind = image.DitherKind;
        probe.SetReductionBits(image.ReductionBits());
        probe.AddFrame(data->bitmap);
        std::unique_ptr<TGIFSubImage> frame = probe.Frames().Extract(0);
        image.ClearImage();
        image.SetWidth(static_cast<std::uint16_t>(probe.Width()));
        image.SetHeight(static_cast<std::uint16_t>(probe.Height()));
        image.AddFrame(std::move(frame));
        return;
    }
    Unsupported();
}
