#pragma once
// True colour onto a palette fitted to it, the way imports make frames: the
// palette from FitPalette, each pixel its nearest entry, with error diffusion
// that is held back where it would only add noise, and, in a sequence of
// pictures, the screen's own pixel kept wherever it still shows the new
// picture well enough.
//
// Pixels are packed 0xRRGGBB, kClear where nothing is drawn.

#include <cstdint>
#include <vector>

#include "color/PaletteFit.h"
#include "raster/Bitmap.h"

// Packed pixels (width x height) as a 24-bit bitmap; kClear comes out black.
TBitmap PackedToBitmap(const std::uint32_t* pixels, int width, int height);

// A pixel within this squared RGB distance (about 4 per channel) of what the
// screen shows keeps it: noise in the source does not make the screen shimmer.
// Chosen on ffmpeg's testsrc2 and mandelbrot sources, where 30 or less costs
// more bytes than it gains and 60 or more loses PSNR.
constexpr int kStillDistance = 45;

// The histogram of the pixels that are drawn, every `stride`-th one counted.
TColorHistogram DrawnColors(const std::uint32_t* pixels, std::size_t count, std::size_t stride = 1);

// Up to maxColors (1..256) colours fitted to the pixels that are drawn (every
// `stride`-th one counted); exactly their colours when there are no more than
// maxColors; empty when none is drawn.
std::vector<std::uint32_t> FitPictureColors(const std::uint32_t* pixels, std::size_t count, int maxColors,
                                            std::size_t stride = 1);

struct TPaletteMapping {
    bool Dither = true;
    // What the screen shows under the picture (width x height, kClear where
    // nothing), or null for a picture on its own.
    const std::uint32_t* Screen = nullptr;
    // Written for pixels that draw nothing new: kClear pixels, and pixels
    // the screen already shows closely enough. Below 0 nothing is kept and
    // a kClear pixel gets entry 0.
    int KeepIndex = -1;
};

// Writes an index per pixel (width x height) onto nearest's palette. With
// Dither the error of each pixel is spread Floyd-Steinberg fashion in
// serpentine order, but a small error is dropped (a flat area stays one
// colour) and what a pixel carries is capped (no streaks
// of a colour the picture does not have). A kept pixel spreads no error.
// Equal input gives equal output. Answers the number of pixels kept.
std::size_t MapToPalette(const std::uint32_t* pixels, int width, int height, TNearestColor& nearest,
                         const TPaletteMapping& mapping, std::uint8_t* out);
