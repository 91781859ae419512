#pragma once
// Use counts of one colour table over the frames it colours: the first step of
// replacing all of an animation's tables by one optimised global table.

#include <cstdint>
#include <vector>

#include "gif/GIFColorMap.h"

class TGIFSubImage;

// One colour of one table.
struct THistogramEntry {
    std::int32_t count = 0;  // pixels of this colour (saturates at the int32 maximum)
    int colorIndex = 0;      // index in its own table
    int newIndex = 256;      // index in the optimised table; 256 until assigned
    TGIFRGB color;
    // For a duplicate folded into an equal colour: the entry that stands for it.
    THistogramEntry* mapping = nullptr;
};

class THistogram {
public:
    // Counts `colorMap` (not owned), which must outlive the histogram.
    explicit THistogram(TGIFColorMap& colorMap);
    THistogram(const THistogram&) = delete;
    THistogram& operator=(const THistogram&) = delete;

    TGIFColorMap& ColorMap() const { return *colorMap_; }
    int ColorCount() const { return static_cast<int>(entries_.size()); }
    std::vector<THistogramEntry>& Entries() { return entries_; }
    // The entries in use, most used first, after Prune; all of them before.
    const std::vector<THistogramEntry*>& List() const { return list_; }
    // The frames whose pixels were counted.
    const std::vector<TGIFSubImage*>& Frames() const { return frames_; }

    // Counts the frame's pixels. Pixels of a transparent frame's transparent
    // index are not counted; the answer says whether there was any. Pixels
    // outside the table are set to 0 (warning "Color not in color table", once
    // per frame) and counted as 0. A transparent frame without a transparent
    // pixel stops being transparent (index 0).
    bool ProcessFrame(TGIFSubImage& frame);
    // Orders by use, most used first, and drops the unused colours.
    void Prune();
    // Old index -> optimised index (entries never assigned map to 0).
    TGIFColorTranslation Translation() const;

private:
    TGIFColorMap* colorMap_;
    std::vector<THistogramEntry> entries_;  // never resized after construction: List points into it
    std::vector<THistogramEntry*> list_;
    std::vector<TGIFSubImage*> frames_;
};
