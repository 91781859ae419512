#pragma once
// Replaces all colour tables of an animation by one global table holding only
// the colours its pixels use, most used first, and rewrites every frame's
// pixels and transparent index to it. Equal colours of different tables become
// one entry; past 256 colours (255 when a frame is transparent) the least used
// ones are drawn with the kept colour nearest by the sum of components.

#include <array>
#include <memory>
#include <vector>

#include "gif/Histogram.h"

class TGIFImage;

class TColorMapOptimizer {
public:
    explicit TColorMapOptimizer(TGIFImage& image) : image_(image) {}
    TColorMapOptimizer(const TColorMapOptimizer&) = delete;
    TColorMapOptimizer& operator=(const TColorMapOptimizer&) = delete;

    // Runs the whole optimisation (stops the painters and holds their list's
    // lock meanwhile).
    void Optimize();

    // What the run produced: the colour count of the new table (the
    // transparent entry included) and the transparent index (-1 when unused).
    int ColorCount() const { return colorCount_; }
    int TransparentIndex() const { return usesTransparency_ ? transparentIndex_ : -1; }

private:
    void BuildHistograms();
    void MergeColors();
    void AssignIndexes();
    void InstallTable();
    void RemapFrames();
    int BackgroundIndexFor(const TGIFRGB& background);

    TGIFImage& image_;
    std::vector<std::unique_ptr<THistogram>> histograms_;
    std::vector<THistogramEntry*> combined_;
    std::array<TGIFRGB, 256> newColors_{};
    int colorCount_ = 0;
    bool usesTransparency_ = false;
    int transparentIndex_ = 0;
};
