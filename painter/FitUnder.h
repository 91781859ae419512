#pragma once
// Fitting an animation under a file size. Ways of giving something up are
// tried from the least visible to the most: fewer colours, fewer colours with
// dithering, dropping frames (their time given to the frame before), and
// scaling down. Each is applied to a fresh copy, optimised as chosen, and
// measured by writing it as saving does; the first that fits is the answer.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gif/OptimizeChoices.h"

class TGIFImage;

struct TFitRecipe {
    int Colors = 256;        // colour count of the shared table
    bool Dither = false;     // Floyd-Steinberg onto the fewer colours
    int DropEvery = 0;       // every n-th frame dropped (0: none)
    int ScalePercent = 100;  // of the width and the height

    bool Lossless() const { return Colors >= 256 && DropEvery == 0 && ScalePercent == 100; }
    // What the recipe gives up, e.g. "64 colors, every 2nd frame dropped";
    // "nothing" for the lossless one.
    std::string Describe() const;
};

// The recipes in the order they are tried, least visible loss first.
std::vector<TFitRecipe> FitRecipes();

// Applies the recipe (not the optimisation) to `image`. A recipe that does not
// apply (dropping frames from a two-frame animation) answers false.
bool ApplyFitRecipe(TGIFImage& image, const TFitRecipe& recipe);

// Reduces the animation to one shared table of at most `colors` colours
// (a transparent entry apart), nearest colours or dithered.
void ReduceSharedColors(TGIFImage& image, int colors, bool dither);

// Drops every n-th frame (n >= 2), adding its delay to the frame kept before it.
// The frames must each be a whole picture (as after a resize).
void DropEveryNthFrame(TGIFImage& image, int n);

struct TFitResult {
    bool Fits = false;
    bool Cancelled = false;
    std::int64_t Size = 0;  // measured size of `result` (the last one tried when nothing fits)
    TFitRecipe Recipe;
};

// Tries the recipes in order on copies of `document`; `result` holds the first
// that measures at most `targetBytes` (or the last tried). `keepGoing` is asked
// between tries.
TFitResult FitUnder(const TGIFImage& document, const TOptimizeChoices& choices, std::int64_t targetBytes,
                    TGIFImage& result, const std::function<bool()>& keepGoing = {});
