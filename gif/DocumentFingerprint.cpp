#include "gif/DocumentFingerprint.h"

#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "gif/WordHasher.h"

#include <algorithm>
#include <cstring>

namespace {

void AddColors(TWordHasher& h, const TGIFColorMap& colors) {
    h.Value(colors.Count());
    if (colors.Count() > 0)
        h.Add(colors.Entries(), sizeof(TGIFRGB) * static_cast<std::size_t>(colors.Count()));
}

void AddExtensions(TWordHasher& h, const TGIFExtensionList& extensions) {
    h.Value(extensions.Count());
    for (int i = 0; i < extensions.Count(); ++i) {
        // An extension's saved bytes are all there is to it; writing them
        // changes nothing.
        TMemoryStream bytes;
        extensions[i]->SaveToStream(bytes);
        h.Add(bytes.Data(), static_cast<std::size_t>(bytes.Size()));
    }
}

// Pixels not yet allocated read as zeros (reading them allocates them so),
// so both digest alike: the pixels go in fixed-size pieces either way.
void AddPixels(TWordHasher& h, const TGIFSubImage& frame) {
    constexpr std::size_t piece = 1 << 16;
    static const std::uint8_t zeros[piece] = {};
    const std::uint8_t* pixels = frame.PixelData();
    const std::size_t size = pixels ? std::size_t(frame.PixelDataSize()) : std::size_t(frame.Width()) * frame.Height();
    for (std::size_t at = 0; at < size; at += piece)
        h.Add(pixels ? pixels + at : zeros, std::min(piece, size - at));
}

} // namespace

std::uint64_t DocumentFingerprint(const TGIFImage& image) {
    TWordHasher h;
    const TGIFHeader& header = image.Header();
    h.Value(header.ScreenWidth);
    h.Value(header.ScreenHeight);
    h.Value(header.BackgroundIndex);
    h.Value(header.AspectRatio);
    AddColors(h, header.GlobalColors());
    const TGIFImageList& frames = image.Frames();
    h.Value(frames.Count());
    for (int i = 0; i < frames.Count(); ++i) {
        const TGIFSubImage& frame = *frames[i];
        h.Value(frame.Left());
        h.Value(frame.Top());
        h.Value(frame.Width());
        h.Value(frame.Height());
        h.Value(frame.IsInterlaced());
        AddColors(h, frame.LocalColors());
        AddExtensions(h, frame.ExtensionBlocks());
        AddPixels(h, frame);
    }
    return h.Result();
}
