#pragma once
// The window system's fixed palettes: the 20 static colours, the default
// palettes of each paletted depth and the halftone palette.

#include <array>

#include "raster/Palette.h"

// The 20 static colours in system palette order: the first ten occupy entries
// 0-9 of a 256-entry system palette, the last ten entries 246-255.
const std::array<TPaletteEntry, 20>& StaticColorEntries();

// The 16 VGA colours in the order of the 16-colour default palette.
const std::array<TPaletteEntry, 16>& VGAColorEntries();

// The halftone palette (256 entries, deterministic):
//   0..9      the first ten static colours,
//   10..225   a 6x6x6 colour cube, entry 10 + r*36 + g*6 + b holds (51r, 51g, 51b),
//   226..245  twenty greys 8, 20, 32, ... 236 (12 apart; none repeats a cube grey),
//   246..255  the last ten static colours.
// The static colours stay where the system keeps them, so a picture mapped to
// it looks the same on a palette display with the system palette realised.
const std::array<TPaletteEntry, 256>& HalftoneEntries();

// The default palette a bitmap of the given depth gets when it has none:
// 1 bit black/white, 4 bits the VGA colours, 8 bits the halftone palette.
TPalette DefaultPaletteForBits(int bitsPerPixel);
