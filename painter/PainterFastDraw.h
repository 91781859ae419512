#pragma once
// The common case of drawing a frame, done without a detour: an unscaled
// frame onto a true-colour target, its indices mapped straight through its
// colour table, with the same result as rendering it to a bitmap and copying
// that through its mask. Playing an animation draws every frame this way.

#include <cstdint>

#include "raster/Bitmap.h"
#include "raster/Geometry.h"

class TGIFSubImage;

// Draws the part of the frame placed at `area` that lies in `clip`, skipping
// its transparent index when `transparent`. Answers false, drawing nothing,
// when this path does not apply (scaled, empty, or a paletted target).
bool PaintFrameDirect(const TGIFSubImage& frame, TBitmap& target, const TRect& area, const TRect& clip,
                      bool transparent);

// Fills a 32-bit picture with one word; a large one is written past the caches.
void FillPicture(TBitmap& target, std::uint32_t word);

// The fourth byte the canvas writes into 32-bit pixels it draws.
std::uint8_t CanvasDrawnByte();
