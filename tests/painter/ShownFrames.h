#pragma once
// What an animation shows: its composed frames as straight RGBA, as a browser
// composes them, directly or after a save and a re-read.

#include <cstdint>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/Stream.h"
#include "painter/GIFCompositor.h"

namespace painter_test {

using Frames = std::vector<std::vector<std::uint8_t>>;

inline Frames Shown(TGIFImage& image) {
    Frames frames;
    std::vector<std::uint8_t> rgba;
    TGIFCompositor(image).Run([&](int, const TBitmap& screen) {
        TGIFCompositor::ToRGBA(screen, rgba);
        frames.push_back(rgba);
    });
    return frames;
}

// What a file written from the image shows when read back.
inline Frames ShownAfterSaving(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    stream.SetPosition(0);
    TGIFImage reread;
    reread.LoadFromStream(stream);
    return Shown(reread);
}

}  // namespace painter_test
