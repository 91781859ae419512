#pragma once
// Plays an image's frames once, without waiting, onto a 32-bit picture of its
// logical screen that starts fully transparent, as a web browser composes
// them: the painter draws with transparency, so restoring to background brings
// back transparency rather than the background colour. Used by `reelix-tool
// render` and the compositing benchmark.

#include <cstdint>
#include <functional>
#include <vector>

#include "raster/Bitmap.h"

class TGIFImage;

class TGIFCompositor {
public:
    // `image` must outlive the compositor.
    explicit TGIFCompositor(TGIFImage& image) : image_(image) {}

    // Composes every frame of one pass; after each frame calls `onFrame` with the
    // frame's index and the screen picture (32 bits, blue-green-red-x). Answers
    // the number of frames composed.
    int Run(const std::function<void(int index, const TBitmap& screen)>& onFrame = {});

    // Asked after each frame; answering false ends the pass there.
    std::function<bool()> KeepGoing;

    // The screen picture as straight RGBA bytes, alpha 0 where nothing was drawn.
    static void ToRGBA(const TBitmap& screen, std::vector<std::uint8_t>& rgba);
    // The fourth byte of a screen pixel nothing was drawn on.
    static std::uint8_t UndrawnMarker();

private:
    TGIFImage& image_;
};
