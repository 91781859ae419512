#include "painter/AnimationGeometry.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "gif/FrameControl.h"
#include "gif/FrameEditLog.h"
#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"

namespace {

// A frame that shows nothing, kept for its delay: one transparent pixel at
// the origin, leaving the screen as it finds it.
void MakeInvisible(TGIFSubImage& frame) {
    frame.PlaceFrame(0, 0, 1, 1);
    frame.PixelData()[0] = 0;
    TGIFGraphicControlExtension& control = RequireControl(frame);
    control.SetUsesTransparency(true);
    control.SetTransparentIndex(0);
    control.SetDisposalMethod(1);
    frame.DropBitmap();
    frame.DropMask();
}

// The part of a frame on the screen; empty when none of it is.
TRect Visible(const TGIFSubImage& frame, int screenWidth, int screenHeight) {
    return frame.FrameRect().Intersect({0, 0, screenWidth, screenHeight});
}

// Rewrites every frame with pixels through `transform(frame, visible part)`,
// which fills the new pixels and answers their rectangle, on a screen of the
// new size. Frames without pixels that do not fit the new screen are emptied.
template <class TTransform>
void RewriteFrames(TGIFImage& image, int newWidth, int newHeight, const TRect& keep, TTransform&& transform) {
    const int oldWidth = image.Width(), oldHeight = image.Height();
    image.Header().ScreenWidth = static_cast<std::uint16_t>(newWidth);
    image.Header().ScreenHeight = static_cast<std::uint16_t>(newHeight);
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < image.Frames().Count(); ++i) {
        TGIFSubImage& frame = *image.Frames()[i];
        if (frame.IsEmpty()) {
            if (frame.Left() + frame.Width() > newWidth || frame.Top() + frame.Height() > newHeight)
                frame.PlaceFrame(0, 0, 0, 0);
            continue;
        }
        const TRect part = Visible(frame, oldWidth, oldHeight).Intersect(keep);
        if (part.IsEmpty()) {
            MakeInvisible(frame);
            continue;
        }
        pixels.assign(std::size_t(part.Width()) * std::size_t(part.Height()), 0);
        const TRect placed = transform(frame, part, pixels.data());
        frame.PlaceFrame(placed.left, placed.top, placed.Width(), placed.Height());
        std::copy(pixels.begin(), pixels.end(), frame.PixelData());
        frame.DropBitmap();
        frame.DropMask();
    }
    image.ReleaseCaches();
}

// Copies the part of the frame (screen coordinates) to `out`, each pixel to
// offsetOf(column, row) counted within the part.
template <class TMap>
void Copy(const TGIFSubImage& frame, const TRect& part, std::uint8_t* out, TMap&& offsetOf) {
    for (int y = part.top; y < part.bottom; ++y) {
        const std::uint8_t* row = frame.PixelData() + std::size_t(y - frame.Top()) * frame.Width();
        for (int x = part.left; x < part.right; ++x)
            out[offsetOf(x - part.left, y - part.top)] = row[x - frame.Left()];
    }
}

// The transform made on a copy, which the animation then takes over: the
// log keeps the whole former animation, so undo restores it exactly.
template <class TTransform>
bool Transformed(TGIFImage& image, TFrameEditLog& log, TTransform&& transform) {
    TGIFImage changed;
    changed.Assign(&image);
    transform(changed);
    log.ReplaceImage(image, changed);
    return true;
}

}  // namespace

TRect CropArea(const TGIFImage& image, const TRect& area) {
    return area.Intersect({0, 0, image.Width(), image.Height()});
}

void CropFrames(TGIFImage& image, const TRect& area) {
    const TRect crop = CropArea(image, area);
    if (crop.IsEmpty())
        return;
    RewriteFrames(image, crop.Width(), crop.Height(), crop,
                  [&](const TGIFSubImage& frame, const TRect& part, std::uint8_t* out) {
                      const std::size_t w = std::size_t(part.Width());
                      Copy(frame, part, out, [w](int x, int y) { return std::size_t(y) * w + std::size_t(x); });
                      return part.Offset(-crop.left, -crop.top);
                  });
}

void TurnFrames(TGIFImage& image, int degrees) {
    const int W = image.Width(), H = image.Height();
    const TRect screen{0, 0, W, H};
    switch (degrees) {
    case 90:  // (x, y) -> (H-1-y, x)
        RewriteFrames(image, H, W, screen, [&](const TGIFSubImage& frame, const TRect& p, std::uint8_t* out) {
            const int h = p.Height();  // also the new width
            Copy(frame, p, out, [h](int x, int y) { return std::size_t(x) * h + std::size_t(h - 1 - y); });
            return MakeRect(H - p.bottom, p.left, p.Height(), p.Width());
        });
        break;
    case 180:  // (x, y) -> (W-1-x, H-1-y)
        RewriteFrames(image, W, H, screen, [&](const TGIFSubImage& frame, const TRect& p, std::uint8_t* out) {
            const int w = p.Width(), h = p.Height();
            Copy(frame, p, out,
                 [w, h](int x, int y) { return std::size_t(h - 1 - y) * w + std::size_t(w - 1 - x); });
            return MakeRect(W - p.right, H - p.bottom, w, h);
        });
        break;
    case 270:  // (x, y) -> (y, W-1-x)
        RewriteFrames(image, H, W, screen, [&](const TGIFSubImage& frame, const TRect& p, std::uint8_t* out) {
            const int w = p.Width(), newWidth = p.Height();
            Copy(frame, p, out,
                 [w, newWidth](int x, int y) { return std::size_t(w - 1 - x) * newWidth + std::size_t(y); });
            return MakeRect(p.top, W - p.right, p.Height(), p.Width());
        });
        break;
    default:
        break;
    }
}

void FlipFrames(TGIFImage& image, TFlipAxis axis) {
    const int W = image.Width(), H = image.Height();
    const bool horizontal = axis == TFlipAxis::Horizontal;
    RewriteFrames(image, W, H, {0, 0, W, H}, [&](const TGIFSubImage& frame, const TRect& p, std::uint8_t* out) {
        const int w = p.Width(), h = p.Height();
        if (horizontal) {
            Copy(frame, p, out, [w](int x, int y) { return std::size_t(y) * w + std::size_t(w - 1 - x); });
            return MakeRect(W - p.right, p.top, w, h);
        }
        Copy(frame, p, out, [w, h](int x, int y) { return std::size_t(h - 1 - y) * w + std::size_t(x); });
        return MakeRect(p.left, H - p.bottom, w, h);
    });
}

bool CropAnimation(TGIFImage& image, const TRect& area, TFrameEditLog& log) {
    const TRect crop = CropArea(image, area);
    if (image.Frames().Count() == 0 || crop.IsEmpty() || crop == TRect{0, 0, image.Width(), image.Height()})
        return false;
    return Transformed(image, log, [&crop](TGIFImage& copy) { CropFrames(copy, crop); });
}

bool RotateAnimation(TGIFImage& image, int degrees, TFrameEditLog& log) {
    if (image.Frames().Count() == 0 || (degrees != 90 && degrees != 180 && degrees != 270))
        return false;
    return Transformed(image, log, [degrees](TGIFImage& copy) { TurnFrames(copy, degrees); });
}

bool FlipAnimation(TGIFImage& image, TFlipAxis axis, TFrameEditLog& log) {
    if (image.Frames().Count() == 0)
        return false;
    return Transformed(image, log, [axis](TGIFImage& copy) { FlipFrames(copy, axis); });
}
