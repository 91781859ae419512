#pragma once
// The resize benchmarks' own animation: 300 frames on a 640 x 480 screen, a
// full background first, then a 64 x 64 sprite moving over it
// (sub-rectangles, as real animations are stored).

#include <memory>

#include "gif/GIFImage.h"
#include "gif/GIFSubImage.h"

inline std::unique_ptr<TGIFImage> MakeResizeInput() {
    constexpr int kFrames = 300, kWidth = 640, kHeight = 480, kSprite = 64;
    auto image = std::make_unique<TGIFImage>();
    image->Header().ScreenWidth = kWidth;
    image->Header().ScreenHeight = kHeight;
    for (int c = 0; c < 256; ++c)
        image->GlobalColors().AddColor(MakeColor(std::uint8_t(c), std::uint8_t(255 - c), std::uint8_t(c * 7)));
    for (int f = 0; f < kFrames; ++f) {
        auto frame = std::make_unique<TGIFSubImage>(image.get());
        const bool background = f == 0;
        const int w = background ? kWidth : kSprite, h = background ? kHeight : kSprite;
        frame->PlaceFrame(background ? 0 : (f * 7) % (kWidth - kSprite), background ? 0 : (f * 5) % (kHeight - kSprite), w, h);
        std::uint8_t* p = frame->PixelData();
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) p[y * w + x] = std::uint8_t(background ? (x / 3 + y / 5) : (x * y + f));
        auto control = std::make_unique<TGIFGraphicControlExtension>(frame.get());
        control->DelayTime = 4;
        frame->ExtensionBlocks().Add(std::move(control));
        image->AddFrame(std::move(frame));
    }
    return image;
}
