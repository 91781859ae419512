#include "painter/PainterFrameDrawing.h"

#include <array>
#include <cstring>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/raster/Canvas.h"

namespace {
TRect ScaledArea(const TGIFSubImage& frame, const TRect& rect, int screenWidth, int screenHeight) {
    auto scale = [](int offset, int length, int full) {
        return int((2 * std::int64_t(offset) * length + full) / (2 * std::int64_t(full)));
    };
    return {rect.left + scale(frame.Left(), rect.Width(), screenWidth),
            rect.top + scale(frame.Top(), rect.Height(), screenHeight),
            rect.left + scale(frame.Left() + frame.Width(), rect.Width(), screenWidth),
            rect.top + scale(frame.Top() + frame.Height(), rect.Height(), screenHeight)};
}

// Draws the frame's indices stretched into `dest` of a 24 or 32-bit target.
void Blit(const TGIFSubImage& frame, TBitmap& target, const TRect& dest, const TRect& limit, int transparentIndex) {
    const TRect clip = dest.Intersect(limit).Intersect(target.BoundsRect());
    if (clip.IsEmpty()) return;
    const TGIFColorMap* colors = frame.EffectiveColors();
    std::array<std::uint32_t, 256> lut{};
    for (int i = 0; colors && i < colors->Count(); ++i) {
        const TGIFRGB& c = colors->Entry(i);
        lut[static_cast<std::size_t>(i)] = std::uint32_t(c.blue) | (std::uint32_t(c.green) << 8) |
                                           (std::uint32_t(c.red) << 16);
    }
    const int bpp = target.PixelFormat() == pf32bit ? 4 : 3;
    std::vector<int> xmap(static_cast<std::size_t>(clip.Width()));
    for (int x = clip.left; x < clip.right; ++x)
        xmap[static_cast<std::size_t>(x - clip.left)] =
            int(std::int64_t(x - dest.left) * frame.Width() / dest.Width());
    const std::uint8_t* pixels = frame.PixelData();
    for (int y = clip.top; y < clip.bottom; ++y) {
        const int sy = int(std::int64_t(y - dest.top) * frame.Height() / dest.Height());
        const std::uint8_t* src = pixels + std::size_t(sy) * frame.Width();
        std::uint8_t* row = target.ScanLine(y) + std::size_t(clip.left) * bpp;
        for (std::size_t i = 0; i < xmap.size(); ++i, row += bpp) {
            const int index = src[xmap[i]];
            if (index == transparentIndex) continue;
            const std::uint32_t v = lut[static_cast<std::size_t>(index)];
            row[0] = std::uint8_t(v);
            row[1] = std::uint8_t(v >> 8);
            row[2] = std::uint8_t(v >> 16);
            if (bpp == 4) row[3] = 0;
        }
    }
}
}  // namespace

void PrepareFrameForPainting(TGIFSubImage& frame) {}

void PaintFrameOnCanvas(TGIFSubImage& frame, TCanvas& canvas, const TRect& rect, bool tile, bool transparent) {
    if (frame.IsEmpty() || rect.IsEmpty()) return;
    TGIFImage* image = frame.OwnerImage();
    TBitmap& target = canvas.Bitmap();
    if (!image || (target.PixelFormat() != pf24bit && target.PixelFormat() != pf32bit)) return;
    const TGIFGraphicControlExtension* gce = frame.ControlExtension();
    const int transparentIndex = transparent && gce && gce->UsesTransparency() ? gce->TransparentIndex() : -1;
    if (!tile) {
        if (image->Width() <= 0 || image->Height() <= 0) return;
        const TRect area = ScaledArea(frame, rect, image->Width(), image->Height());
        Blit(frame, target, area, area, transparentIndex);
        return;
    }
    for (int y = rect.top; y < rect.bottom; y += frame.Height())
        for (int x = rect.left; x < rect.right; x += frame.Width())
            Blit(frame, target, MakeRect(x, y, frame.Width(), frame.Height()), rect, transparentIndex);
}
