#include "gif/DocumentFingerprint.h"

#include "gif/GIFImage.h"
#include "gif/Stream.h"

#include <algorithm>
#include <cstring>

namespace {

// FNV-1a over 64-bit words: fast enough to run over every pixel of a large
// animation after each command of a checked build.
class THasher {
public:
    void Add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            Mix(word);
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, bytes + i, size - i);
        Mix(tail ^ (static_cast<std::uint64_t>(size) << 56));
    }
    template <class T> void Value(T value) { Add(&value, sizeof value); }
    std::uint64_t Result() const { return hash_; }

private:
    void Mix(std::uint64_t word) {
        hash_ ^= word;
        hash_ *= 0x100000001b3ull;
        hash_ ^= hash_ >> 29;
    }
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};

void AddColors(THasher& h, const TGIFColorMap& colors) {
    h.Value(colors.Count());
    if (colors.Count() > 0)
        h.Add(colors.Entries(), sizeof(TGIFRGB) * static_cast<std::size_t>(colors.Count()));
}

void AddExtensions(THasher& h, const TGIFExtensionList& extensions) {
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
void AddPixels(THasher& h, const TGIFSubImage& frame) {
    constexpr std::size_t piece = 1 << 16;
    static const std::uint8_t zeros[piece] = {};
    const std::uint8_t* pixels = frame.PixelData();
    const std::size_t size = pixels ? std::size_t(frame.PixelDataSize()) : std::size_t(frame.Width()) * frame.Height();
    for (std::size_t at = 0; at < size; at += piece)
        h.Add(pixels ? pixels + at : zeros, std::min(piece, size - at));
}

} // namespace

std::uint64_t DocumentFingerprint(const TGIFImage& image) {
    THasher h;
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
