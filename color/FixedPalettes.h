#pragma once
// Fixed palettes built on the raster layer's logical palette. Each builder
// hands a new palette to the caller.

#include <memory>

#include "raster/Palette.h"

// The 216-colour palette of every dithered rendering: entry r*36 + g*6 + b
// (r, g, b in 0..5) holds the colour (51r, 51g, 51b); flags 0. Index for index
// what TNetscapeColorLookup answers.
std::unique_ptr<TPalette> CreateWebSafePalette();

// 256 greys, entry i = (i, i, i), PC_NOCOLLAPSE; matches TGrayScaleLookup.
std::unique_ptr<TPalette> CreateGrayScalePalette();

// Black (0) and white (1), PC_NOCOLLAPSE; matches TMonochromeLookup.
std::unique_ptr<TPalette> CreateMonochromePalette();

// The four system greys 0, 128, 192, 255 in that order, PC_NOCOLLAPSE.
std::unique_ptr<TPalette> CreateWindowsGrayPalette();

// The halftone palette of the screen (256 entries, see HalftoneEntries).
std::unique_ptr<TPalette> CreateHalftoneScreenPalette();

// The window system's default palette: the 20 static colours.
std::unique_ptr<TPalette> CreateWindows20Palette();
