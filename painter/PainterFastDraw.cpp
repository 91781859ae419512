#include "painter/PainterFastDraw.h"

#include <array>
#include <bit>
#include <cstring>
#include <optional>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "gif/GIFImage.h"
#include "painter/WidePaletteRows.h"
#include "raster/Canvas.h"

namespace {

// Draws `n` indices as 32-bit words, keeping the old word where the index is
// the key: a select instead of a branch, which dithered frames hit at random.
inline void DrawKeyed(const std::uint8_t* src, std::uint8_t* dst, int n, const std::array<std::uint32_t, 256>& lut,
                      int key) {
    for (int k = 0; k < n; ++k, dst += 4) {
        std::uint32_t v = lut[src[k]], old;  // loaded before the test, so it stays a select
        std::memcpy(&old, dst, 4);
        v = static_cast<int>(src[k]) == key ? old : v;
        std::memcpy(dst, &v, 4);
    }
}

// Draws eight indices as 32-bit words (little-endian), two to a store: the
// stores, one per pixel, were what a full frame waited on.
inline void DrawGroup(const std::uint8_t* src, std::uint8_t* dst, const std::array<std::uint32_t, 256>& lut) {
    std::uint64_t group;
    std::memcpy(&group, src, 8);
    for (int k = 0; k < 8; k += 2, group >>= 16) {
        const std::uint64_t pair = lut[group & 0xFF] | (std::uint64_t{lut[(group >> 8) & 0xFF]} << 32);
        std::memcpy(dst + 4 * k, &pair, 8);
    }
}

// Draws a row of `n` indices as 32-bit words straight to memory, past the
// caches: a picture larger than the cache would otherwise be read in just to
// be overwritten, which doubles what a large full frame costs. Answers false
// where that is not available.
bool DrawRowStreaming(const std::uint8_t* src, std::uint8_t* dst, int n, const std::array<std::uint32_t, 256>& lut) {
#if defined(__SSE2__)
    int i = 0;
    for (; i < n && (reinterpret_cast<std::uintptr_t>(dst) & 15) != 0; ++i, dst += 4) std::memcpy(dst, &lut[src[i]], 4);
    if ((reinterpret_cast<std::uintptr_t>(dst) & 3) != 0) {  // never aligned: draw as usual
        for (; i < n; ++i, dst += 4) std::memcpy(dst, &lut[src[i]], 4);
        return true;
    }
    for (; i + 4 <= n; i += 4, dst += 16) {
        const __m128i v = _mm_set_epi32(static_cast<int>(lut[src[i + 3]]), static_cast<int>(lut[src[i + 2]]),
                                        static_cast<int>(lut[src[i + 1]]), static_cast<int>(lut[src[i]]));
        _mm_stream_si128(reinterpret_cast<__m128i*>(dst), v);
    }
    for (; i < n; ++i, dst += 4) std::memcpy(dst, &lut[src[i]], 4);
    return true;
#else
    (void)src, (void)dst, (void)n, (void)lut;
    return false;
#endif
}

void FillRowStreaming(std::uint8_t* dst, int n, std::uint32_t word) {
    int i = 0;
#if defined(__SSE2__)
    for (; i < n && (reinterpret_cast<std::uintptr_t>(dst) & 15) != 0; ++i, dst += 4) std::memcpy(dst, &word, 4);
    if ((reinterpret_cast<std::uintptr_t>(dst) & 3) == 0) {
        const __m128i v = _mm_set1_epi32(static_cast<int>(word));
        for (; i + 4 <= n; i += 4, dst += 16) _mm_stream_si128(reinterpret_cast<__m128i*>(dst), v);
    }
#endif
    for (; i < n; ++i, dst += 4) std::memcpy(dst, &word, 4);
}

void EndStreaming() {
#if defined(__SSE2__)
    _mm_sfence();
#endif
}

// Frames this large (in pixels) are drawn past the caches.
constexpr std::int64_t kStreamingArea = 1 << 20;

template <int Bytes, bool Keyed>
void Rows(const TGIFSubImage& frame, TBitmap& target, const TRect& visible, const TRect& area,
          const std::array<std::uint32_t, 256>& lut, int key, const TWidePaletteRows* wide) {
    const std::uint8_t* pixels = frame.PixelData();
    const std::size_t frameWidth = frame.Width();
    const int n = visible.Width();
    const bool streaming = !Keyed && Bytes == 4 && std::int64_t(n) * visible.Height() >= kStreamingArea;
    for (int y = visible.top; y < visible.bottom; ++y) {
        const std::uint8_t* src =
            pixels + static_cast<std::size_t>(y - area.top) * frameWidth + static_cast<std::size_t>(visible.left - area.left);
        std::uint8_t* dst = target.ScanLine(y) + static_cast<std::size_t>(visible.left) * Bytes;
        if constexpr (Bytes == 4 && std::endian::native == std::endian::little && !Keyed) {
            if (streaming && DrawRowStreaming(src, dst, n, lut)) continue;
        }
        if constexpr (Bytes == 4 && std::endian::native == std::endian::little) {
            int i = 0;
            if (wide) {
                i = wide->Draw(src, dst, n, Keyed ? key : -1);
                dst += 4 * static_cast<std::size_t>(i);
            }
            if constexpr (Keyed) {
                // Transparent pixels come in runs (unchanged areas of optimised
                // frames): eight indices are tested at once, and a group with no
                // transparent pixel is drawn outright, one of all transparent
                // pixels skipped.
                const std::uint64_t keys = 0x0101010101010101ull * static_cast<std::uint8_t>(key);
                for (; i + 8 <= n; i += 8, dst += 32) {
                    std::uint64_t group;
                    std::memcpy(&group, src + i, 8);
                    const std::uint64_t x = group ^ keys;  // a zero byte where the index is the key
                    if (((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) == 0) {
                        DrawGroup(src + i, dst, lut);
                    } else if (x != 0) {
                        DrawKeyed(src + i, dst, 8, lut, key);
                    }
                }
            } else {
                for (; i + 8 <= n; i += 8, dst += 32) DrawGroup(src + i, dst, lut);
            }
            for (; i < n; ++i, dst += 4) {
                if constexpr (Keyed) {
                    DrawKeyed(src + i, dst, 1, lut, key);
                } else {
                    std::memcpy(dst, &lut[src[i]], 4);
                }
            }
            continue;
        }
        for (int i = 0; i < n; ++i, dst += Bytes) {
            const unsigned index = src[i];
            if constexpr (Keyed) {
                if (static_cast<int>(index) == key) continue;
            }
            const std::uint32_t v = lut[index];
            dst[0] = static_cast<std::uint8_t>(v);
            dst[1] = static_cast<std::uint8_t>(v >> 8);
            dst[2] = static_cast<std::uint8_t>(v >> 16);
            if constexpr (Bytes == 4) dst[3] = static_cast<std::uint8_t>(v >> 24);
        }
    }
    if (streaming) EndStreaming();
}

}  // namespace

void FillPicture(TBitmap& target, std::uint32_t word) {
    const int width = target.Width();
    if (std::int64_t(width) * target.Height() >= kStreamingArea) {
        for (int y = 0; y < target.Height(); ++y) FillRowStreaming(target.ScanLine(y), width, word);
        EndStreaming();
        return;
    }
    for (int y = 0; y < target.Height(); ++y) {
        std::uint8_t* row = target.ScanLine(y);
        for (int x = 0; x < width; ++x) std::memcpy(row + 4 * x, &word, 4);  // whole words: vectorised
    }
}

std::uint8_t CanvasDrawnByte() {
    static const std::uint8_t drawn = [] {
        TBitmap probe(1, 1, pf32bit);
        probe.ScanLine(0)[3] = 0x80;
        TCanvas(probe).FillRect(probe.BoundsRect(), 0);
        return probe.ScanLine(0)[3];
    }();
    return drawn;
}

bool PaintFrameDirect(const TGIFSubImage& frame, TBitmap& target, const TRect& area, const TRect& clip,
                      bool transparent) {
    const TPixelFormat format = target.PixelFormat();
    if (format != pf24bit && format != pf32bit) return false;
    if (frame.IsEmpty() || area.Width() != frame.Width() || area.Height() != frame.Height()) return false;
    if (frame.PixelDataSize() < std::int64_t(frame.Width()) * frame.Height()) return false;
    const TRect visible = area.Intersect(clip).Intersect(target.BoundsRect());
    if (visible.IsEmpty()) return true;

    // Indices beyond the table come out black, as through the rendered bitmap.
    std::array<std::uint32_t, 256> lut{};
    const std::uint32_t fourth = static_cast<std::uint32_t>(CanvasDrawnByte()) << 24;
    lut.fill(fourth);
    if (const TGIFColorMap* colors = frame.EffectiveColors())
        for (int i = 0; i < colors->Count(); ++i) {
            const TGIFRGB& c = colors->Entry(i);
            lut[static_cast<std::size_t>(i)] =
                std::uint32_t(c.blue) | (std::uint32_t(c.green) << 8) | (std::uint32_t(c.red) << 16) | fourth;
        }
    const TGIFGraphicControlExtension* control = frame.ControlExtension();
    const int key = transparent && frame.IsTransparent() && control ? control->TransparentIndex() : -1;
    if (format == pf32bit) {
        // For rows of 64 pixels or more (those drawn past the caches go that way).
        std::optional<TWidePaletteRows> wide;
        if (TWidePaletteRows::Available() && visible.Width() >= 64) wide.emplace(lut);
        const TWidePaletteRows* rows = wide ? &*wide : nullptr;
        key >= 0 ? Rows<4, true>(frame, target, visible, area, lut, key, rows)
                 : Rows<4, false>(frame, target, visible, area, lut, key, rows);
    } else {
        key >= 0 ? Rows<3, true>(frame, target, visible, area, lut, key, nullptr)
                 : Rows<3, false>(frame, target, visible, area, lut, key, nullptr);
    }
    return true;
}
