#pragma once
// The values the settings dialog gathers for its smaller uses, read from and
// written to the settings store outside the widgets.

class TSettingsStore;

// "If frame dimensions are larger than the animation": trim the frame (true) or
// grow the animation, and whether to stop asking.
struct TFrameSizeChoice {
    bool ClipFrame = true;   // "ClipFrame"
    bool ClipDefault = false; // "ClipDefault"

    static TFrameSizeChoice Read(const TSettingsStore& Store);
    void Write(TSettingsStore& Store) const;
};

// How hi-colour pictures become frames.
struct TPaletteChoice {
    enum : int { ptOptimized = 0, ptWebSafe = 1, ptLocal = 2 };
    bool PaletteDefaults = false; // "PaletteDefaults": apply without asking
    int PaletteType = ptLocal;    // "PaletteType"
    int MaxColorCount = 256;      // "MaxColorCount": 256, 128, 64, 32, 16 or 8
    int MaxImportCount = 256;     // "MaxImportCount"
    int DitherMethod = 0;         // "DitherMethod": 0 nearest, 1 Floyd-Steinberg

    // Defaults are the dialog's own (a local palette, not asked by default).
    static TPaletteChoice Read(const TSettingsStore& Store);
    void Write(TSettingsStore& Store) const;
};

// The six colour counts offered, largest first.
constexpr int PaletteColorCounts[6] = {256, 128, 64, 32, 16, 8};
