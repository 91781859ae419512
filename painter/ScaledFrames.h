#pragma once
// The last step of every resize: each frame becomes the whole picture it
// should show, at 0,0, with its own colours. Shared by the resize filters.

#include <cstdint>
#include <memory>
#include <vector>

#include "color/PaletteFit.h"
#include "gif/GIFTypes.h"

class TGIFImage;

// One frame's new picture: indices into its own colours, and the index that
// stands for "nothing shown here" (-1 when every pixel shows something).
struct TScaledFrame {
    bool made = false;
    std::unique_ptr<std::uint8_t[]> pixels;  // width x height
    std::vector<TColor> colors;
    int transparent = -1;
};

// Installs every made frame (one per frame of the image; frames not made are
// left, or emptied when they no longer fit) on a screen of width x height.
// A frame is cleared to the background after it only where the next made
// frame shows nothing over something it shows.
void InstallScaledFrames(TGIFImage& image, std::vector<TScaledFrame>& scaled, int width, int height);

// Refuses ("Image too large") a resize whose frames would pass the budget.
void RequireResizeBudget(const TGIFImage& image, int width, int height);
