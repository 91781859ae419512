#pragma once
// The stored palette choices ("PaletteType", "MaxColorCount", "DitherMethod")
// turned into the colour reduction of pictures that become frames.

#include "painter/FrameImport.h"

class TGIFImage;
class TSettingsStore;

// The reduction the settings ask for; Shared when a global palette is wanted
// (optimised or web palette), not for a local palette per new frame.
TPaletteUse PaletteUseFromSettings(const TSettingsStore& Settings);

// Makes the settings' reduction Document's own (what resizing and
// optimising reduce with); answers PaletteUseFromSettings(Settings).Shared.
bool ApplyPaletteSettings(TGIFImage& Document, const TSettingsStore& Settings);

// Colour depth in bits for a maximum colour count (8 -> 3 ... 256 -> 8); 8 bits
// for any count that is not one of the six choices.
int ReductionBitsForColors(int MaxColors);
