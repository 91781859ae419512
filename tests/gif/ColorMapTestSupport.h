#pragma once
// What an animation shows, pixel by pixel, for comparing it before and after
// its colour tables are rewritten.

#include <cstdint>
#include <set>
#include <vector>

#include "gif/GIFImage.h"

// One entry per pixel of each frame: the colour it shows (red | green << 8 |
// blue << 16), -1 for a transparent pixel, -2 for a frame without any colours.
// An index beyond the table shows entry 0, as the table answers it.
inline std::vector<std::vector<std::int64_t>> VisibleColors(TGIFImage& image) {
    std::vector<std::vector<std::int64_t>> frames;
    for (int f = 0; f < image.Frames().Count(); ++f) {
        TGIFSubImage* frame = image.Frames()[f];
        std::vector<std::int64_t> out;
        if (!frame->IsEmpty()) {
            const TGIFColorMap* map = frame->EffectiveColors();
            const int transparent =
                frame->IsTransparent() && frame->ControlExtension() ? frame->ControlExtension()->TransparentIndex() : -1;
            const std::uint8_t* p = frame->PixelData();
            out.resize(static_cast<std::size_t>(frame->PixelDataSize()));
            for (std::size_t i = 0; i < out.size(); ++i) {
                if (p[i] == transparent) {
                    out[i] = -1;
                } else if (!map || map->Count() == 0) {
                    out[i] = -2;
                } else {
                    const TGIFRGB& c = map->Entry(p[i] < map->Count() ? p[i] : 0);
                    out[i] = MakeColor(c.red, c.green, c.blue);
                }
            }
        }
        frames.push_back(std::move(out));
    }
    return frames;
}

// The distinct colours shown by any pixel.
inline std::set<std::int64_t> ColorsInUse(const std::vector<std::vector<std::int64_t>>& frames) {
    std::set<std::int64_t> colors;
    for (const auto& f : frames)
        for (std::int64_t c : f)
            if (c >= 0) colors.insert(c);
    return colors;
}
