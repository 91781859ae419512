#pragma once
// What the Optimize Animation dialog runs on its private copy of the
// document: the copy is made from scratch for every change of the choices.

#include <cstdint>

class TGIFImage;

struct TOptimizeChoices {
    bool RemoveLocal = false;      // one shared colour table for every frame
    bool OptimizeAll = true;       // every table sorted by use, unused entries dropped
    bool Trim = false;             // frames trimmed to their visible pixels
    bool DuplicatePixels = true;   // pixels repeating the frame underneath become transparent
    // Frames rebuilt from the screen and the shortest encoding kept; a result
    // no smaller than the document gives the document back unchanged.
    bool Smallest = true;
    // Above 0 (up to 200): shown pixels may stray by up to 0.27 x Lossy in RGB
    // distance where that makes the file smaller. 0 changes no pixel.
    int Lossy = 0;
    // Written with the slower LZW encoder that looks a string ahead
    // (encLZWBest); otherwise with the document's own encoding.
    bool Best = false;
    friend bool operator==(const TOptimizeChoices&, const TOptimizeChoices&) = default;
};

// `result` becomes `document` optimised by `choices`, encoded as the choices
// say (the document's encoding unless Best changes it); the document is only
// read. What every frame shows stays the same: transparency is kept as it is
// and the optimiser keeps it correct.
void MakeOptimizedCopy(const TGIFImage& document, const TOptimizeChoices& choices, TGIFImage& result);

// The same, on a copy already made (the copy is changed in place).
void OptimizeCopy(TGIFImage& copy, const TOptimizeChoices& choices);

// The number of bytes saving the image writes, measured by writing it to
// memory the way saving does.
std::int64_t SavedSize(TGIFImage& image);

// The size saving writes: the image as saving prepares it (looping block on the
// first frame only, with `defaultLoop` when it has none), measured on a copy.
std::int64_t SavedSizeAsSaved(const TGIFImage& image, int defaultLoop);

// Some frame with pixels has a local colour table of its own.
bool HasLocalColorTables(const TGIFImage& image);
