#pragma once
// How pictures are reduced to a palette: chosen by the document layer and the
// settings, carried out by the colour layer.

#include <cstdint>

// How a true-colour picture is reduced to a palette when it becomes a frame. The
// numbers are stored in the settings, so their order is fixed.
enum TColorReductionKind : std::uint8_t {
    crNone = 0,
    crWindows20 = 1,
    crWindowsHalftone = 2,
    crWindowsGray = 3,
    crMonochrome = 4,
    crGrayScale = 5,
    crWebSafe = 6,
    crQuantize = 7,
    crQuantizeWindows = 8,
    crCustomPalette = 9,
    // A palette fitted to each picture (median cut refined by k-means), its
    // error diffusion held back on flat areas: what imports use by default.
    crFitted = 10
};

// How pixels are mapped onto the reduced palette.
enum TDitherKind : std::uint8_t {
    dkNearest = 0,
    dkFloydSteinberg = 1,
    dkStucki = 2,
    dkSierra = 3,
    dkJaJuNi = 4,
    dkSteveArche = 5,
    dkBurkes = 6
};
