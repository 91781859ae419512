#pragma once
// A run of true-colour pictures (a video, a sequence of stills) becomes the
// frames of an animation, in a palette fitted to the clip:
//  - one shared palette, fitted beforehand to pictures sampled over the clip,
//    serves every frame it serves well; a frame whose new pixels it serves
//    clearly worse than a palette of their own gets that palette instead;
//  - each frame draws only what changed: a pixel still close to what the
//    screen shows is left transparent, so the screen does not shimmer and the
//    optimiser stores it as nothing;
//  - errors are spread as FittedReduction does, held back on flat areas.
// Then the frames are optimised losslessly: each stores only its changes.

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "color/FittedReduction.h"

class TGIFImage;

struct TClipColors {
    int MaxColors = 256;  // 2..256, the transparent entry included
    bool Dither = true;
};

// The pixels a clip's shared palette is fitted to: Add sampled pictures.
class TClipSampler {
public:
    void Add(const std::vector<std::uint32_t>& picture);
    std::vector<std::uint32_t> Palette(const TClipColors& colors) const;

private:
    TColorHistogram histogram_;
};

class TClipEncoder {
public:
    // Frames go to `image` (emptied first) on a screen of width x height.
    // An empty shared palette lets every frame fit its own.
    TClipEncoder(TGIFImage& image, int width, int height, const TClipColors& colors,
                 std::vector<std::uint32_t> sharedPalette);
    ~TClipEncoder();
    TClipEncoder(const TClipEncoder&) = delete;
    TClipEncoder& operator=(const TClipEncoder&) = delete;

    // The next picture (width x height packed pixels, kClear for nothing),
    // shown for `delay` hundredths of a second.
    void Add(const std::vector<std::uint32_t>& picture, int delay);
    int Frames() const { return frames_; }
    // Frames that took a palette of their own.
    int OwnPalettes() const { return ownPalettes_; }

    // Stores only what changes from frame to frame (lossless).
    void Finish();

private:
    struct TPalette;
    TPalette& ChoosePalette(const std::vector<std::uint32_t>& picture);
    void Install(const std::vector<std::uint8_t>& indices, const TPalette& palette, bool usesKeep, int delay,
                 bool clearBefore);

    TGIFImage& image_;
    int width_, height_;
    TClipColors colors_;
    std::unique_ptr<TPalette> shared_, own_;
    std::vector<std::uint32_t> screen_;  // what the screen shows now
    TColorHistogram histogram_;          // of a frame's new pixels, reused
    int frames_ = 0, ownPalettes_ = 0;
};

// One picture as the image's only frame, in up to colors.MaxColors colours
// fitted to it (one entry of them for its kClear pixels, when it has any).
void EncodeStill(TGIFImage& image, const std::vector<std::uint32_t>& pixels, int width, int height,
                 const TClipColors& colors);
