#pragma once
// Fixed palettes built on the raster layer's logical palette.

#include <memory>

#include "platform/raster/Palette.h"

// The 216-colour palette of every dithered rendering: entry r*36 + g*6 + b
// (r, g, b in 0..5) holds the colour (51r, 51g, 51b).
std::unique_ptr<TPalette> CreateWebSafePalette();
