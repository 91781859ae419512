#pragma once
// Resizing a whole animation through a filtering scaler. Every composed frame
// is scaled in true colour; one palette, fitted to the scaled frames, serves
// them all, each pixel taking its nearest colour (no dithering, so what does
// not move keeps its indices); then the frames are optimised, so the result
// stores only what changes from frame to frame, as the animation did.

#include <functional>

#include "painter/PictureScaler.h"

class TGIFImage;

// Resizes `image` to width x height (each side brought into 1..1000 as by
// ClampAnimationSide). The nearest filter is ResizeAnimation's. keepGoing and
// the budget as for ResizeAnimation; a scaler that fails throws
// GIFException("Could not resize the animation.") and leaves the image as it was.
bool ResizeAnimationWith(TGIFImage& image, int width, int height, TResizeFilter filter, const IPictureScaler& scaler,
                         const std::function<bool(int percent)>& keepGoing = {});
