// A bitmap becomes a frame: index pixels and a local colour table from the
// bitmap's palette or, for true colour, from the colours the pixels use; a
// transparent bitmap's transparent colour becomes a transparent index.

#include <array>
#include <cstring>
#include <memory>

#include "color/ColorReduction.h"
#include "raster/DIB.h"
#include "gif/GIFImage.h"

namespace {

// Colour -> table index for true-colour rows. Neighbouring pixels mostly
// repeat one of a few recent colours, so a small ring of recent pairs is asked
// first (from the last hit backwards); a miss goes to an exact hash of every
// colour added so far, and only a colour that is really new is added to the
// table. Asking the table itself on a miss matters: a picture cycling through
// more than eight colours would otherwise add the same colour again and again
// and overflow its table with far fewer than 256 colours.
class TColorIndexCache {
public:
    explicit TColorIndexCache(TGIFColorMap& table) : table_(table) { keys_.fill(0); }

    std::uint8_t IndexOf(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        const std::uint32_t key = (std::uint32_t(red) | (std::uint32_t(green) << 8) | (std::uint32_t(blue) << 16)) |
                                  kValid;
        int slot = last_;
        for (int n = 0; n < kRing; ++n) {
            if (ring_[static_cast<std::size_t>(slot)].key == key) {
                last_ = slot;
                return ring_[static_cast<std::size_t>(slot)].index;
            }
            slot = (slot + kRing - 1) % kRing;
        }
        const std::uint8_t index = Exact(key);
        next_ = (next_ + 1) % kRing;
        ring_[static_cast<std::size_t>(next_)] = {key, index};
        last_ = next_;
        return index;
    }

private:
    static constexpr int kRing = 8;
    static constexpr std::uint32_t kValid = 0x1000000u;
    static constexpr std::size_t kSlots = 1024;  // at most 256 colours: never a quarter full

    std::uint8_t Exact(std::uint32_t key) {
        std::size_t h = (key * 2654435761u) >> 22;
        while (keys_[h] != 0) {
            if (keys_[h] == key) return values_[h];
            h = (h + 1) & (kSlots - 1);
        }
        // "Color table overflow" from AddColor when the 257th colour arrives.
        const int index = table_.AddColor(key & 0xFFFFFFu);
        keys_[h] = key;
        values_[h] = static_cast<std::uint8_t>(index);
        return static_cast<std::uint8_t>(index);
    }

    struct Pair {
        std::uint32_t key = 0;
        std::uint8_t index = 0;
    };
    TGIFColorMap& table_;
    std::array<Pair, kRing> ring_{};
    int last_ = 0;
    int next_ = kRing - 1;
    std::array<std::uint32_t, kSlots> keys_;
    std::array<std::uint8_t, kSlots> values_{};
};

void ConvertRows(TGIFSubImage& frame, const TBitmap& source) {
    TGIFImage* image = frame.OwnerImage();
    const int width = frame.Width(), height = frame.Height();
    const TPixelFormat format = source.PixelFormat();
    if (IsPaletted(format)) frame.LocalColors().LoadFromPalette(&source.Palette());
    std::unique_ptr<TColorIndexCache> cache;
    if (!IsPaletted(format)) cache = std::make_unique<TColorIndexCache>(frame.LocalColors());
    for (int y = 0; y < height; ++y) {
        if (image && (y & 31) == 0) image->Progress(&frame, psRunning, y * 100 / height, false, "Converting...");
        const std::uint8_t* src = source.ScanLine(y);
        std::uint8_t* dst = frame.RowPointer(y);
        switch (format) {
        case pf1bit:
            for (int x = 0; x < width; ++x) dst[x] = static_cast<std::uint8_t>((src[x >> 3] >> (7 - (x & 7))) & 1u);
            break;
        case pf4bit:
            for (int x = 0; x < width; ++x)
                dst[x] = static_cast<std::uint8_t>((x & 1) ? (src[x >> 1] & 0x0Fu) : (src[x >> 1] >> 4));
            break;
        case pf8bit:
            std::memcpy(dst, src, static_cast<std::size_t>(width));
            break;
        default:  // pf24bit: blue, green, red
            for (int x = 0; x < width; ++x, src += 3) dst[x] = cache->IndexOf(src[2], src[1], src[0]);
            break;
        }
    }
}

}  // namespace

void TGIFSubImage::AssignBitmap(const TBitmap& bitmap) {
    ClearFrame();
    if (bitmap.Empty() || bitmap.Width() > 65535 || bitmap.Height() > 65535) return;
    PlaceFrame(Left(), Top(), bitmap.Width(), bitmap.Height());

    TGIFImage* image = OwnerImage();
    // True colour is reduced to a palette first, the way the image is set up
    // to do it; the reduced picture's format decides how it is read.
    std::unique_ptr<TBitmap> reduced;
    const TBitmap* source = &bitmap;
    if (!IsPaletted(bitmap.PixelFormat())) {
        reduced = ReduceBitmapColors(bitmap, image ? image->ColorReductionKind : crWebSafe,
                                     image ? image->DitherKind : dkNearest, image ? image->ReductionBits() : 8, nullptr);
        if (!reduced || reduced->Empty()) reduced = std::make_unique<TBitmap>(bitmap);
        source = reduced.get();
    }
    if (!IsPaletted(source->PixelFormat()) && source->PixelFormat() != pf24bit) {
        if (!reduced) reduced = std::make_unique<TBitmap>(*source);
        TDIBReader reader(*reduced, pf24bit);
        source = reduced.get();
    }

    AllocatePixels();
    if (image) image->Progress(this, psStarting, 0, false, "Converting...");
    try {
        ConvertRows(*this, *source);
        if (bitmap.Transparent()) ApplyMask(bitmap.CreateMask(bitmap.TransparentColor()));
    } catch (...) {
        // Nothing half-converted stays behind.
        ClearFrame();
        if (image) image->Progress(this, psEnding, 0, false, "Converting...");
        throw;
    }
    if (image) image->Progress(this, psEnding, 100, false, "Converting...");
}

void TGIFSubImage::ApplyMask(const TBitmap& mask) {
    if (IsEmpty() || mask.PixelFormat() != pf1bit) return;
    LocalColors().SortByUse();
    // With no colour at all, or no room for one more, the frame stays opaque.
    const int count = LocalColors().Count();
    if (count < 1 || count > 255) return;
    const int index = LocalColors().AddColor(MakeColor(0, 0, 0));
    bool used = false;
    const int width = std::min<int>(Width(), mask.Width());
    const int height = std::min<int>(Height(), mask.Height());
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* m = mask.ScanLine(y);
        std::uint8_t* row = RowPointer(y);
        for (int x = 0; x < width; ++x) {
            if (m[x >> 3] & (0x80u >> (x & 7))) {
                row[x] = static_cast<std::uint8_t>(index);
                used = true;
            }
        }
    }
    if (!used) {
        LocalColors().DeleteColor(index);
        return;
    }
    auto gce = std::make_unique<TGIFGraphicControlExtension>(this);
    gce->SetUsesTransparency(true);
    gce->SetTransparentIndex(index);
    ExtensionBlocks().Add(std::move(gce));
    DropBitmap();
    DropMask();
}
