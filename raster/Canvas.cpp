#include "raster/Canvas.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

using Byte = std::uint8_t;

template <TPixelFormat F>
inline std::uint32_t ReadPixel(const Byte* row, int x) {
    if constexpr (F == pf1bit) {
        return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    } else if constexpr (F == pf4bit) {
        return (x & 1) ? (row[x >> 1] & 0x0Fu) : (row[x >> 1] >> 4);
    } else if constexpr (F == pf8bit) {
        return row[x];
    } else {
        constexpr int n = F == pf24bit ? 3 : 4;
        const Byte* p = row + static_cast<std::size_t>(x) * n;
        return RGBColor(p[2], p[1], p[0]);
    }
}

template <TPixelFormat F>
inline void WritePixel(Byte* row, int x, std::uint32_t v) {
    if constexpr (F == pf1bit) {
        const Byte bit = static_cast<Byte>(0x80u >> (x & 7));
        row[x >> 3] = static_cast<Byte>((v & 1u) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
    } else if constexpr (F == pf4bit) {
        Byte& b = row[x >> 1];
        b = (x & 1) ? static_cast<Byte>((b & 0xF0u) | (v & 0x0Fu)) : static_cast<Byte>((b & 0x0Fu) | ((v & 0x0Fu) << 4));
    } else if constexpr (F == pf8bit) {
        row[x] = static_cast<Byte>(v);
    } else {
        constexpr int n = F == pf24bit ? 3 : 4;
        Byte* p = row + static_cast<std::size_t>(x) * n;
        p[0] = BlueOf(v);
        p[1] = GreenOf(v);
        p[2] = RedOf(v);
        if constexpr (n == 4) p[3] = 0;
    }
}

int SquaredDistance(const TPaletteEntry& e, TColorRef c) {
    const int dr = int(e.red) - RedOf(c), dg = int(e.green) - GreenOf(c), db = int(e.blue) - BlueOf(c);
    return dr * dr + dg * dg + db * db;
}

// True colour -> nearest palette index, remembering recent answers: pictures
// repeat colours heavily, and the full search is 256 steps.
class NearestCache {
public:
    explicit NearestCache(const TPalette& palette) : palette_(palette), slots_(kSlots, 0) {}
    std::uint32_t Find(TColorRef color) {
        const std::uint32_t key = (color & 0xFFFFFFu) | 0x80000000u;
        std::uint64_t& slot = slots_[((color * 2654435761u) >> 20) & (kSlots - 1)];
        if (static_cast<std::uint32_t>(slot) == key) return static_cast<std::uint32_t>(slot >> 32);
        const int found = TCanvas::NearestIndex(palette_, color);
        const std::uint32_t index = found < 0 ? 0u : static_cast<std::uint32_t>(found);
        slot = (static_cast<std::uint64_t>(index) << 32) | key;
        return index;
    }

private:
    static constexpr std::size_t kSlots = 4096;
    const TPalette& palette_;
    std::vector<std::uint64_t> slots_;
};

// Everything one transfer needs, prepared before the row loops.
struct TBlitJob {
    const TBitmap* source = nullptr;
    TBitmap* target = nullptr;
    const TMaskView* mask = nullptr;
    int x0 = 0, x1 = 0, y0 = 0, y1 = 0;  // target columns/rows drawn (clipped)
    std::vector<int> xmap;               // source column per target column x0..x1-1
    std::int64_t destTop = 0, destHeight = 1, srcTop = 0, srcHeight = 1;
    // Paletted source: index -> target value. True colour source: unused.
    std::array<std::uint32_t, 256> lut{};
    bool hasReplace = false;
    TColorRef replaceColor = 0;
    std::uint32_t replaceValue = 0;
    NearestCache* nearest = nullptr;  // true colour into a paletted target

    int SourceRow(int y) const { return static_cast<int>(srcTop + (y - destTop) * srcHeight / destHeight); }
};

template <TPixelFormat SF, TPixelFormat DF, bool Masked>
void RowLoop(const TBlitJob& s) {
    constexpr bool sourcePaletted = IsPaletted(SF);
    constexpr bool targetPaletted = IsPaletted(DF);
    const int n = s.x1 - s.x0;
    const int* xmap = s.xmap.data();
    int lastSy = -1;
    const Byte* maskRow = nullptr;
    bool maskRowPresent = false;
    for (int y = s.y0; y < s.y1; ++y) {
        const int sy = s.SourceRow(y);
        const Byte* src = s.source->ScanLine(sy);
        Byte* dst = s.target->ScanLine(y) ;
        if constexpr (Masked) {
            if (sy != lastSy) {
                maskRowPresent = sy < s.mask->height;
                maskRow = maskRowPresent ? s.mask->bits + static_cast<std::size_t>(sy) * s.mask->stride : nullptr;
                lastSy = sy;
            }
        }
        for (int i = 0; i < n; ++i) {
            const int sx = xmap[i];
            if constexpr (Masked) {
                if (maskRowPresent && sx < s.mask->width && (maskRow[sx >> 3] & (0x80u >> (sx & 7)))) continue;
            }
            const std::uint32_t key = ReadPixel<SF>(src, sx);
            std::uint32_t v;
            if constexpr (sourcePaletted) {
                v = s.lut[key];
            } else if (s.hasReplace && key == s.replaceColor) {
                v = s.replaceValue;
            } else if constexpr (targetPaletted) {
                v = s.nearest->Find(key);
            } else {
                v = key;
            }
            WritePixel<DF>(dst, s.x0 + i, v);
        }
    }
}

template <TPixelFormat SF, bool Masked>
void DispatchTarget(const TBlitJob& s) {
    switch (s.target->PixelFormat()) {
    case pf1bit: RowLoop<SF, pf1bit, Masked>(s); break;
    case pf4bit: RowLoop<SF, pf4bit, Masked>(s); break;
    case pf8bit: RowLoop<SF, pf8bit, Masked>(s); break;
    case pf24bit: RowLoop<SF, pf24bit, Masked>(s); break;
    case pf32bit: RowLoop<SF, pf32bit, Masked>(s); break;
    }
}

template <bool Masked>
void Dispatch(const TBlitJob& s) {
    switch (s.source->PixelFormat()) {
    case pf1bit: DispatchTarget<pf1bit, Masked>(s); break;
    case pf4bit: DispatchTarget<pf4bit, Masked>(s); break;
    case pf8bit: DispatchTarget<pf8bit, Masked>(s); break;
    case pf24bit: DispatchTarget<pf24bit, Masked>(s); break;
    case pf32bit: DispatchTarget<pf32bit, Masked>(s); break;
    }
}

TColorRef EntryColor(const TPaletteEntry& e) { return RGBColor(e.red, e.green, e.blue); }

}  // namespace

TMaskView TMaskView::Of(const TBitmap& mask) {
    if (mask.PixelFormat() != pf1bit || mask.Empty()) return {};
    return {mask.Bits(), mask.Stride(), mask.Width(), mask.Height()};
}

int TCanvas::NearestIndex(const TPalette& palette, TColorRef color) {
    int best = -1;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < palette.Count(); ++i) {
        const int d = SquaredDistance(palette[i], color);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

void TCanvas::SetPixelColor(int x, int y, TColorRef color) {
    if (!ClipRect().Contains({x, y})) return;
    if (IsPaletted(target_->PixelFormat())) {
        const int index = NearestIndex(target_->Palette(), color);
        target_->SetIndex(x, y, static_cast<std::uint32_t>(index < 0 ? 0 : index));
    } else {
        target_->SetPixel(x, y, color);
    }
}

void TCanvas::FillRect(const TRect& rect, TColorRef color) {
    if (IsPaletted(target_->PixelFormat())) {
        const int index = NearestIndex(target_->Palette(), color);
        FillRectIndex(rect, static_cast<std::uint8_t>(index < 0 ? 0 : index));
        return;
    }
    const TRect r = rect.Intersect(ClipRect());
    if (r.IsEmpty()) return;
    const bool wide = target_->PixelFormat() == pf32bit;
    for (int y = r.top; y < r.bottom; ++y) {
        Byte* row = target_->ScanLine(y);
        if (wide) {
            for (int x = r.left; x < r.right; ++x) WritePixel<pf32bit>(row, x, color);
        } else {
            for (int x = r.left; x < r.right; ++x) WritePixel<pf24bit>(row, x, color);
        }
    }
}

void TCanvas::FillRectIndex(const TRect& rect, std::uint8_t index) {
    const TPixelFormat format = target_->PixelFormat();
    if (!IsPaletted(format)) {
        const TPalette& p = target_->Palette();
        FillRect(rect, index < p.Count() ? EntryColor(p[index]) : 0);
        return;
    }
    const TRect r = rect.Intersect(ClipRect());
    if (r.IsEmpty()) return;
    for (int y = r.top; y < r.bottom; ++y) {
        Byte* row = target_->ScanLine(y);
        switch (format) {
        case pf8bit:
            std::fill(row + r.left, row + r.right, index);
            break;
        case pf4bit:
            for (int x = r.left; x < r.right; ++x) WritePixel<pf4bit>(row, x, index);
            break;
        default:
            for (int x = r.left; x < r.right; ++x) WritePixel<pf1bit>(row, x, index);
            break;
        }
    }
}

void TCanvas::StretchCopy(const TRect& dest, const TBitmap& source, const TRect& sourceRect) {
    Blit(dest, source, sourceRect, nullptr, nullptr, 0);
}

void TCanvas::MaskedCopy(const TRect& dest, const TBitmap& source, const TRect& sourceRect, const TMaskView& mask) {
    Blit(dest, source, sourceRect, mask.Empty() ? nullptr : &mask, nullptr, 0);
}

void TCanvas::BrushCopy(const TRect& dest, const TBitmap& source, const TRect& sourceRect, TColorRef color,
                        TColorRef replacement) {
    Blit(dest, source, sourceRect, nullptr, &color, replacement);
}

void TCanvas::DottedRect(const TRect& rect, TColorRef color) {
    if (rect.IsEmpty()) return;
    // Walk the outline once, clockwise, setting every other pixel so that the
    // dots stay evenly spaced around the corners.
    int step = 0;
    auto dot = [&](int x, int y) {
        if ((step++ & 1) == 0) SetPixelColor(x, y, color);
    };
    for (int x = rect.left; x < rect.right; ++x) dot(x, rect.top);
    for (int y = rect.top + 1; y < rect.bottom; ++y) dot(rect.right - 1, y);
    if (rect.Height() > 1)
        for (int x = rect.right - 2; x >= rect.left; --x) dot(x, rect.bottom - 1);
    if (rect.Width() > 1)
        for (int y = rect.bottom - 2; y > rect.top; --y) dot(rect.left, y);
}

void TCanvas::Blit(const TRect& dest, const TBitmap& source, const TRect& sourceRect, const TMaskView* mask,
                   const TColorRef* replace, TColorRef replacement) {
    if (dest.IsEmpty() || sourceRect.IsEmpty() || source.Empty() || target_->Empty()) return;
    if (&source == target_) {
        // Overlapping copies within one bitmap read what they have just written;
        // go through a copy instead.
        const TBitmap copy(source);
        Blit(dest, copy, sourceRect, mask, replace, replacement);
        return;
    }
    TBlitJob s;
    s.source = &source;
    s.target = target_;
    s.mask = mask;
    const std::int64_t dw = dest.Width(), sw = sourceRect.Width();
    s.destTop = dest.top;
    s.destHeight = dest.Height();
    s.srcTop = sourceRect.top;
    s.srcHeight = sourceRect.Height();

    // Target columns whose source column lies inside the source bitmap; the
    // mapping is monotonic, so they form one run.
    const TRect clip = dest.Intersect(ClipRect());
    if (clip.IsEmpty()) return;
    s.xmap.reserve(static_cast<std::size_t>(clip.Width()));
    s.x0 = -1;
    for (int x = clip.left; x < clip.right; ++x) {
        const std::int64_t sx = sourceRect.left + (x - dest.left) * sw / dw;
        if (sx < 0 || sx >= source.Width()) {
            if (s.x0 >= 0) break;
            continue;
        }
        if (s.x0 < 0) s.x0 = x;
        s.xmap.push_back(static_cast<int>(sx));
    }
    if (s.x0 < 0) return;
    s.x1 = s.x0 + static_cast<int>(s.xmap.size());
    s.y0 = -1;
    for (int y = clip.top; y < clip.bottom; ++y) {
        const int sy = s.SourceRow(y);
        if (sy < 0 || sy >= source.Height()) {
            if (s.y0 >= 0) break;
            continue;
        }
        if (s.y0 < 0) s.y0 = y;
        s.y1 = y + 1;
    }
    if (s.y0 < 0) return;

    const bool targetPaletted = IsPaletted(target_->PixelFormat());
    const TPalette& targetPalette = target_->Palette();
    auto targetValue = [&](TColorRef c) -> std::uint32_t {
        if (!targetPaletted) return c;
        const int i = NearestIndex(targetPalette, c);
        return static_cast<std::uint32_t>(i < 0 ? 0 : i);
    };
    if (replace) {
        s.hasReplace = true;
        s.replaceColor = *replace & 0xFFFFFFu;
        s.replaceValue = targetValue(replacement);
    }
    std::unique_ptr<NearestCache> cache;
    if (IsPaletted(source.PixelFormat())) {
        const TPalette& sp = source.Palette();
        const bool samePalette = targetPaletted && sp == targetPalette;
        for (int i = 0; i < 256; ++i) {
            const TColorRef c = i < sp.Count() ? EntryColor(sp[i]) : 0;
            if (s.hasReplace && i < sp.Count() && c == s.replaceColor) {
                s.lut[static_cast<std::size_t>(i)] = s.replaceValue;
            } else if (samePalette) {
                s.lut[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(i);
            } else {
                s.lut[static_cast<std::size_t>(i)] = targetValue(c);
            }
        }
    } else if (targetPaletted) {
        cache = std::make_unique<NearestCache>(targetPalette);
        s.nearest = cache.get();
    }
    if (!mask && !replace && dw == sw && source.PixelFormat() == target_->PixelFormat() &&
        BitsPerPixel(source.PixelFormat()) >= 8 && (!targetPaletted || source.Palette() == targetPalette)) {
        // Same layout, no scaling: whole row slices (the common case while playing).
        const std::size_t bpp = static_cast<std::size_t>(BitsPerPixel(source.PixelFormat()) / 8);
        const std::size_t bytes = s.xmap.size() * bpp;
        for (int y = s.y0; y < s.y1; ++y)
            std::memcpy(target_->ScanLine(y) + static_cast<std::size_t>(s.x0) * bpp,
                        source.ScanLine(s.SourceRow(y)) + static_cast<std::size_t>(s.xmap[0]) * bpp, bytes);
        return;
    }
    if (mask) {
        Dispatch<true>(s);
    } else {
        Dispatch<false>(s);
    }
}
