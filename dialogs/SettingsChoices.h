#pragma once

#include "services/SettingsSchema.h"

#include <QGuiApplication>
#include <QPalette>
// The values the settings dialog gathers for its smaller uses, read from and
// written to the settings store outside the widgets.

#include <QColor>

class TSettingsStore;

// "If frame dimensions are larger than the animation": trim the frame (true) or
// grow the animation, or scale the frame to fit, and whether to stop asking.
struct TFrameSizeChoice {
    bool ClipFrame = true;   // "ClipFrame"
    bool ClipDefault = false; // "ClipDefault"
    bool FitFrame = false;    // "FitFrame": scale to fit, whatever ClipFrame says

    static TFrameSizeChoice Read(const TSettingsStore& Store);
    void Write(TSettingsStore& Store) const;
};

// How hi-colour pictures become frames.
struct TPaletteChoice {
    enum : int { ptOptimized = 0, ptWebSafe = 1, ptLocal = 2, ptFitted = 3 };
    bool PaletteDefaults = Setting::PaletteDefaults.Default; // apply without asking
    int PaletteType = Setting::PaletteType.Default;
    int MaxColorCount = 256;      // "MaxColorCount": 256, 128, 64, 32, 16 or 8
    int MaxImportCount = 256;     // "MaxImportCount"
    int DitherMethod = 0;         // "DitherMethod": 0 nearest, 1 Floyd-Steinberg

    // Defaults are the dialog's own (a local palette, not asked by default).
    static TPaletteChoice Read(const TSettingsStore& Store);
    void Write(TSettingsStore& Store) const;
};

// The six colour counts offered, largest first.
constexpr int PaletteColorCounts[6] = {256, 128, 64, 32, 16, 8};

// The thumbnail edges offered.
constexpr int ThumbnailSizes[6] = {50, 75, 100, 125, 150, 200};

// Everything Program Options shows. Colours, the tool bar style and the
// thumbnail size are the main window's own; the rest lives in the store.
struct TProgramOptions {
    TFrameSizeChoice FrameSize;
    int DefaultDelay = 100;        // "DefaultDelay", 1/100 s
    int DefaultLoop = 0;           // "DefaultLoop", 0 = for ever
    bool MakeBackups = Setting::MakeBackups.Default;
    bool DisplayAnimation = true;  // "DisplayAnimation"
    bool AutoLoad = true;          // "AutoLoadStartUp"
    bool NormalStyle = false;      // "NormalStyle": tool buttons drawn raised
    int ThumbSize = 75;            // "ThumbailSize"; 0 when none of the sizes offered is chosen
    QColor FrameColor{0xC0, 0xC0, 0xC0};
    QColor WindowColor{Qt::white};
    QColor HighlightColor{Qt::red};
    QColor SelTextColor{Qt::white};
    QColor AnimationColor{Qt::white};
    TPaletteChoice Palette;

    // The stored values; what the window holds comes from Current.
    static TProgramOptions Read(const TSettingsStore& Store, const TProgramOptions& Current);
    // Writes each value that differs from Before (what the dialog was filled
    // with) or is not stored yet where that matters; the palette page always.
    void Write(TSettingsStore& Store, const TProgramOptions& Before) const;
    bool SameColors(const TProgramOptions& Other) const;
};

// The colours a fresh frames list and preview have ("Default" in each list):
// silver frames on white on a light colour scheme, the scheme's own colours
// on a dark one.
TProgramOptions DefaultColors(const QPalette& Scheme = QGuiApplication::palette());
