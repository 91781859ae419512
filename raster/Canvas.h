#pragma once
// Drawing onto a TBitmap: the few block transfers the editor needs to show
// frames (fill, nearest-neighbour stretch, copy through a mask, copy with one
// colour replaced, dotted rectangle, copy between canvases).
//
// Everything here runs on every frame of a playing animation, so each call
// picks a specialised row loop once (source format x target format x masking)
// and maps source columns through a table built once per call. Targets of 8
// bits get palette indexes (source colours mapped to the nearest entry of the
// target palette); 24 and 32-bit targets get the colours themselves. 1 and
// 4-bit targets are drawn through a slower generic path.
//
// All operations clip to the target bitmap; rectangles may lie partly or
// wholly outside it.

#include <cstddef>
#include <cstdint>

#include "raster/Bitmap.h"
#include "raster/Geometry.h"

// A read-only view of a monochrome mask: a set bit marks a transparent pixel,
// rows top to bottom, most significant bit first. The stride is free, so both
// the raster layer's 32-bit padded masks and the GIF layer's 16-bit padded
// ones can be viewed.
struct TMaskView {
    const std::uint8_t* bits = nullptr;
    std::size_t stride = 0;
    int width = 0;
    int height = 0;

    // A view of a pf1bit bitmap (empty view for any other format).
    static TMaskView Of(const TBitmap& mask);
    bool Empty() const { return bits == nullptr || width <= 0 || height <= 0; }
    bool IsSet(int x, int y) const {
        return (bits[static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x >> 3)] & (0x80u >> (x & 7))) != 0;
    }
};

class TCanvas {
public:
    // Draws on `target`, which must outlive the canvas.
    explicit TCanvas(TBitmap& target) : target_(&target) {}

    TBitmap& Bitmap() const { return *target_; }
    TRect ClipRect() const { return target_->BoundsRect(); }

    // Fills the rectangle with a colour (the nearest palette entry on paletted targets).
    void FillRect(const TRect& rect, TColorRef color);
    // Fills with a raw palette index (paletted targets only; others: the palette colour).
    void FillRectIndex(const TRect& rect, std::uint8_t index);

    // Stretches the source rectangle of `source` into `dest` (nearest neighbour).
    void StretchCopy(const TRect& dest, const TBitmap& source, const TRect& sourceRect);
    // The whole source into `dest`.
    void StretchDraw(const TRect& dest, const TBitmap& source) { StretchCopy(dest, source, source.BoundsRect()); }

    // Like StretchCopy, but only where the mask bit is 0; the mask is in source
    // coordinates and is stretched the same way. Where the mask is smaller than
    // the source its missing bits count as 0 (opaque).
    void MaskedCopy(const TRect& dest, const TBitmap& source, const TRect& sourceRect, const TMaskView& mask);

    // Like StretchCopy, but source pixels of `color` are drawn in `replacement`.
    void BrushCopy(const TRect& dest, const TBitmap& source, const TRect& sourceRect, TColorRef color,
                   TColorRef replacement);

    // A one-pixel rectangle outline, every other pixel set (a focus rectangle).
    void DottedRect(const TRect& rect, TColorRef color);

    // Copies a rectangle of another canvas's bitmap (stretched when the sizes differ).
    void CopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) {
        StretchCopy(dest, source.Bitmap(), sourceRect);
    }

    // The nearest palette entry to a colour (sum of squared differences; the
    // lower index wins ties). -1 for an empty palette.
    static int NearestIndex(const TPalette& palette, TColorRef color);

private:
    void Blit(const TRect& dest, const TBitmap& source, const TRect& sourceRect, const TMaskView* mask,
              const TColorRef* replace, TColorRef replacement);
    void SetPixelColor(int x, int y, TColorRef color);

    TBitmap* target_;  // not owned
};
