#pragma once
// The stored palette choices ("PaletteType", "MaxColorCount", "DitherMethod")
// turned into a document's colour reduction.

class TGIFImage;
class TSettingsStore;

// Sets the colour reduction of Document from the settings. Answers true when
// a global palette is wanted (optimised or web palette), false for a local
// palette per new frame.
bool ApplyPaletteSettings(TGIFImage& Document, const TSettingsStore& Settings);

// Colour depth in bits for a maximum colour count (8 -> 3 ... 256 -> 8); 8 bits
// for any count that is not one of the six choices.
int ReductionBitsForColors(int MaxColors);
