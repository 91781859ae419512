#pragma once
// Frame optimisation: makes the stored animation smaller without changing what
// it shows. TGIFImage::OptimizeAnimation runs the steps below in this order;
// CropFrame and MergeFrame (TGIFSubImage::Crop and Merge) do the per-frame work.

#include "gif/GIFTypes.h"

class TGIFImage;
class TGIFSubImage;

// Option bits of TGIFImage::OptimizeAnimation.
enum TGIFOptimizeOption : int {
    ooCrop = 1,          // trim transparent frames, drop frames that become empty
    ooMerge = 2,         // pixels repeating the frame underneath become transparent
    ooCleanup = 4,       // unused transparency, needless disposal, extensions, empty frames
    ooColorMaps = 8,     // every colour table sorted by use, unused entries dropped
    ooReduceColors = 16, // one shared global palette for the whole animation (OptimizeColorMaps)
    ooSmallest = 32      // after the steps above: frames rebuilt from the screen, the shortest encoding kept
};
constexpr int kAllFrameOptimizations = ooCrop | ooMerge | ooCleanup | ooColorMaps;

// TGIFSubImage::Crop: a transparent frame is trimmed to its visible pixels, and
// one with none left is cleared.
void CropFrame(TGIFSubImage& frame);
// TGIFSubImage::Merge: pixels of `frame` that repeat what `previous` leaves
// on the screen beneath it become transparent.
void MergeFrame(TGIFSubImage& frame, TGIFSubImage* previous);

// The smallest rectangle of `frame` (in frame coordinates) holding a pixel that
// is not its transparent index; empty when there is none. A frame without
// transparency answers its whole area.
TRect VisibleBounds(const TGIFSubImage& frame);

// Runs the steps of OptimizeAnimation on an image whose painters are stopped.
class TGIFFrameOptimizer {
public:
    // `image` must outlive the optimizer.
    explicit TGIFFrameOptimizer(TGIFImage& image) : image_(image) {}
    void Run(int options);

private:
    void OptimizeColorTables();
    void DropUnusedTransparency();
    void DropNeedlessDisposal();
    void MergeFrames();
    void CropFrames();
    void DropNeedlessExtensions();

    // Whether a frame without visible pixels can go without changing the
    // picture or its timing: its time then belongs to the frame before.
    bool CanDropInvisibleFrame(int index) const;
    void DropInvisibleFrame(int index);
    // Moves one progress step forward (one frame of one step).
    void Step();

    TGIFImage& image_;
    int steps_ = 0;
    int done_ = 0;
};
