#pragma once
// The single entry that turns any bitmap into an 8-bit palettised bitmap ready
// to become a GIF frame: a reduction kind picks the palette, a dither kind how
// pixels are mapped onto it.

#include <memory>

#include "color/ReductionKinds.h"
#include "raster/Bitmap.h"
#include "raster/Palette.h"

// Reduces `source` (unchanged) and answers a new bitmap:
//  - crNone: a 24-bit copy;
//  - every other kind: 8 bits per pixel, carrying the kind's palette, pixels
//    visited in serpentine order by the dither engine of `dither`;
//  - crFitted: up to 2^reductionBits colours fitted to the picture (one fewer
//    for a transparent bitmap, whose transparent colour is left out and its
//    pixels given entry 0, for the mask to replace); any dither kind but
//    dkNearest spreads errors, held back on flat areas;
//  - a kind above crFitted, a dither kind above dkBurkes, or a palette of
//    no colours (crCustomPalette without a palette, say): an empty bitmap.
// `reductionBits` (1..8) sets the colour count 2^bits of crQuantize and crFitted; a value
// outside raises GIFException "Invalid Bits Per Pixel value".
// `customPalette` is copied for crCustomPalette; the caller keeps its own.
std::unique_ptr<TBitmap> ReduceBitmapColors(const TBitmap& source, TColorReductionKind kind, TDitherKind dither,
                                            int reductionBits, const TPalette* customPalette = nullptr);

// An adaptive palette of `colors` entries built by octree quantisation of the
// bitmap's pixels (tree depth `colorBits`). With `withWindowsColors` the palette
// has 256 entries: the first ten static colours, 236 adaptive ones from entry 10,
// and the last ten static colours at 246..255. Unfilled entries are black.
std::unique_ptr<TPalette> CreateOptimizedPalette(const TBitmap& bitmap, int colors, int colorBits,
                                                 bool withWindowsColors);
