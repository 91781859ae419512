#include "painter/PainterBuffers.h"

#include <algorithm>
#include <cstring>

#include "raster/Canvas.h"

void CopyPixels(TBitmap& target, TPoint at, const TBitmap& source, const TRect& sourceRect) {
    // Clip the source rectangle to the source, then the placed result to the target.
    TRect src = sourceRect.Intersect(source.BoundsRect());
    if (src.IsEmpty()) return;
    int dx = at.x + (src.left - sourceRect.left), dy = at.y + (src.top - sourceRect.top);
    TRect dst = MakeRect(dx, dy, src.Width(), src.Height()).Intersect(target.BoundsRect());
    if (dst.IsEmpty()) return;
    src = MakeRect(src.left + (dst.left - dx), src.top + (dst.top - dy), dst.Width(), dst.Height());
    if (source.PixelFormat() != target.PixelFormat() || BitsPerPixel(source.PixelFormat()) < 8) {
        TCanvas(target).StretchCopy(dst, source, src);
        return;
    }
    const std::size_t bpp = static_cast<std::size_t>(BitsPerPixel(source.PixelFormat()) / 8);
    const std::size_t bytes = static_cast<std::size_t>(dst.Width()) * bpp;
    for (int y = 0; y < dst.Height(); ++y)
        std::memmove(target.ScanLine(dst.top + y) + static_cast<std::size_t>(dst.left) * bpp,
                     source.ScanLine(src.top + y) + static_cast<std::size_t>(src.left) * bpp, bytes);
}

std::unique_ptr<TBitmap> CaptureCanvasArea(const TBitmap& canvas, const TRect& area) {
    auto buffer = std::make_unique<TBitmap>(std::max(area.Width(), 0), std::max(area.Height(), 0),
                                            canvas.PixelFormat());
    buffer->SetPalette(canvas.Palette());
    CopyPixels(*buffer, TPoint{0, 0}, canvas, area);
    return buffer;
}
