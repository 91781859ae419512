// Rendering a frame's index pixels into an 8-bit bitmap with its transparency
// mask, and drawing that bitmap: placed on a scaled screen, tiled, and through
// the mask.

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>

#include "color/ColorLookup.h"
#include "color/DitherEngine.h"
#include "raster/DIB.h"
#include "gif/GIFMaskBuffer.h"
#include "gif/GIFImage.h"
#include "raster/Canvas.h"

namespace {

// Reports rendering progress every 32 rows.
void RowProgress(TGIFImage* image, TPersistent* sender, int y, int height) {
    if (image && (y & 31) == 0) image->Progress(sender, psRunning, y * 100 / height, false, "Rendering...");
}

std::uint8_t TransparentIndexOf(const TGIFSubImage& frame) {
    const TGIFGraphicControlExtension* gce = frame.ControlExtension();
    return gce ? gce->TransparentIndex() : 0;
}

// Whether this rendering must build the mask; the caller clears MaskStale on success.
bool WantsMask(const TGIFSubImage& frame) {
    return frame.MaskStale && frame.IsTransparent() && !frame.TransparencyMask;
}

TBitmapPtr RenderPlain(TGIFSubImage& frame, std::optional<TGIFMaskBuffer>& mask) {
    TBitmapPtr bitmap(new TBitmap());
    TGIFImage* image = frame.OwnerImage();
    const int width = frame.Width(), height = frame.Height();
    const std::uint8_t transparent = TransparentIndexOf(frame);
    {
        TDIBWriter dib(*bitmap, frame.PaletteHandle(), height, width, pf8bit);
        for (int y = 0; y < height; ++y) {
            RowProgress(image, &frame, y, height);
            const std::uint8_t* src = frame.RowPointer(y);
            std::memcpy(dib.ScanLine(y), src, static_cast<std::size_t>(width));
            if (mask) {
                std::uint8_t* m = mask->Row(y);
                for (int x = 0; x < width; ++x)
                    if (src[x] == transparent) mask->Set(m, x);
            }
        }
    }
    return bitmap;
}

// Through the 216-colour web palette with Floyd-Steinberg diffusion. Pixels of
// the transparent index are skipped by the ditherer (they are masked out) and
// hold one substitute index so that they do not show as stray colours.
TBitmapPtr RenderDithered(TGIFSubImage& frame, std::optional<TGIFMaskBuffer>& mask) {
    TBitmapPtr bitmap(new TBitmap());
    TGIFImage* image = frame.OwnerImage();
    const int width = frame.Width(), height = frame.Height();
    const std::uint8_t transparent = TransparentIndexOf(frame);

    // The effective table once, as plain triples; indexes beyond it take entry
    // 0's colour (black for an empty table), as the table itself answers them.
    std::array<TGIFRGB, 256> colors{};
    if (const TGIFColorMap* map = frame.EffectiveColors(); map && map->Count() > 0) {
        for (int i = 0; i < 256; ++i) colors[static_cast<std::size_t>(i)] = map->Entry(i < map->Count() ? i : 0);
    }
    std::uint8_t substitute = 0;
    if (mask) {
        const TGIFRGB& t = colors[transparent];
        const int v = (36 * t.red + 25) / 51 + (6 * t.green + 25) / 51 + t.blue / 51 + 1;
        substitute = static_cast<std::uint8_t>(std::min(v, 255));
    }

    TNetscapeColorLookup lookup;
    TFloydSteinbergDitherer ditherer(width, lookup);
    const TPalette* palette = frame.PaletteHandle();
    {
        TDIBWriter dib(*bitmap, palette, height, width, pf8bit);
        std::uint8_t r, g, b;
        for (int y = 0; y < height; ++y) {
            RowProgress(image, &frame, y, height);
            const std::uint8_t* src = frame.RowPointer(y);
            std::uint8_t* dst = dib.ScanLine(y);
            std::uint8_t* m = mask ? mask->Row(y) : nullptr;
            if (mask) std::memset(dst, substitute, static_cast<std::size_t>(width));
            for (int n = 0; n < width; ++n) {
                const int x = ditherer.Column();
                const std::uint8_t p = src[x];
                if (m && p == transparent) {
                    ditherer.NextColumn();
                    mask->Set(m, x);
                    continue;
                }
                const TGIFRGB& c = colors[p];
                dst[x] = static_cast<std::uint8_t>(ditherer.DitherWith(lookup, c.red, c.green, c.blue, r, g, b));
            }
            ditherer.FinishLine();
        }
    }
    return bitmap;
}

}  // namespace

TBitmap* TGIFSubImage::RenderedBitmap() {
    if (CachedBitmap || IsEmpty()) return CachedBitmap.get();
    TGIFImage* image = OwnerImage();
    if (image) image->Progress(this, psStarting, 0, false, "Rendering...");
    std::optional<TGIFMaskBuffer> mask;
    if (WantsMask(*this)) mask.emplace(Width(), Height());
    try {
        TBitmapPtr bitmap = image && image->ShouldDither() ? RenderDithered(*this, mask) : RenderPlain(*this, mask);
        if (mask) {
            if (mask->Any()) TransparencyMask.reset(new TBitmap(mask->ToBitmap()));
            MaskStale = false;
        }
        CachedBitmap = std::move(bitmap);
    } catch (const EGIFAbort&) {
        // The user stopped it: no bitmap, and no error either.
    } catch (...) {
        if (image) image->Progress(this, psEnding, 0, false, "Rendering...");
        throw;
    }
    if (image) {
        image->Progress(this, psEnding, CachedBitmap ? 100 : 0, false, "Rendering...");
        if (image->PaletteModified) {
            image->PaletteModified = false;
            image->Changed();
        }
    }
    return CachedBitmap.get();
}

void TGIFSubImage::ReplaceBitmap(const TBitmap* source) {
    if (source == CachedBitmap.get()) return;
    if (!source) {
        DropBitmap();
        return;
    }
    CachedBitmap.reset(new TBitmap(*source));
}

void TGIFSubImage::SetBitmapCached(bool value) {
    if (value)
        RenderedBitmap();
    else
        DropBitmap();
}

bool TGIFSubImage::MaskAvailable() {
    if (MaskStale && IsTransparent()) {
        DropBitmap();
        RenderedBitmap();
    }
    return TransparencyMask != nullptr;
}

TRect TGIFSubImage::ScaledFrameRect(const TRect& rect) const {
    // The screen is at least as large as the frame; a 0x0 screen (an image
    // still being built) is taken as the frame's own extent.
    const TGIFImage* image = OwnerImage();
    std::int64_t screenWidth = image ? image->Width() : 0;
    std::int64_t screenHeight = image ? image->Height() : 0;
    screenWidth = std::max<std::int64_t>(screenWidth, Left() + Width());
    screenHeight = std::max<std::int64_t>(screenHeight, Top() + Height());
    if (screenWidth <= 0 || screenHeight <= 0) return rect;
    // Multiply, then divide rounding half away from zero.
    auto scale = [](std::int64_t value, std::int64_t size, std::int64_t screen) {
        const std::int64_t p = value * size;
        return static_cast<int>(p >= 0 ? (p + screen / 2) / screen : -((-p + screen / 2) / screen));
    };
    const std::int64_t w = rect.Width(), h = rect.Height();
    return {rect.left + scale(Left(), w, screenWidth), rect.top + scale(Top(), h, screenHeight),
            rect.left + scale(Left() + Width(), w, screenWidth), rect.top + scale(Top() + Height(), h, screenHeight)};
}

void TGIFSubImage::DrawFrame(TCanvas& canvas, const TRect& rect, bool tile, bool transparent) {
    PaintFrame(canvas, tile ? rect : ScaledFrameRect(rect), tile, transparent);
}

void TGIFSubImage::PaintFrame(TCanvas& canvas, const TRect& rect, bool tile, bool transparent) {
    if (IsEmpty() || rect.IsEmpty()) return;
    // The mask check may render the bitmap again, so it comes first.
    const bool masked = transparent && IsTransparent() && MaskAvailable();
    const TBitmap* bitmap = RenderedBitmap();
    if (!bitmap) return;
    const TMaskView mask = masked && TransparencyMask ? TMaskView::Of(*TransparencyMask) : TMaskView{};
    auto paint = [&](const TRect& dest, const TRect& source) {
        if (masked)
            canvas.MaskedCopy(dest, *bitmap, source, mask);
        else
            canvas.StretchCopy(dest, *bitmap, source);
    };
    if (!tile) {
        paint(rect, bitmap->BoundsRect());
        return;
    }
    // Tiles of the frame's own size from the top-left corner; the last row and
    // column are cut at the rectangle's edge.
    const int w = bitmap->Width(), h = bitmap->Height();
    const TRect visible = rect.Intersect(canvas.ClipRect());
    for (int y = rect.top; y < rect.bottom; y += h) {
        if (y + h <= visible.top) continue;
        if (y >= visible.bottom) break;
        for (int x = rect.left; x < rect.right; x += w) {
            if (x + w <= visible.left) continue;
            if (x >= visible.right) break;
            const TRect dest = MakeRect(x, y, w, h).Intersect(rect);
            paint(dest, dest.Offset(-x, -y));
        }
    }
}

void TGIFSubImage::AssignTo(TBitmap& bitmap) {
    if (const TBitmap* rendered = RenderedBitmap())
        bitmap.Assign(*rendered);
    else
        bitmap.Clear();
}
