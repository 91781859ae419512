#include "gif/Histogram.h"

#include <algorithm>
#include <array>
#include <limits>

#include "gif/GIFImage.h"

THistogram::THistogram(TGIFColorMap& colorMap) : colorMap_(&colorMap) {
    entries_.resize(static_cast<std::size_t>(colorMap.Count()));
    list_.reserve(entries_.size());
    for (int i = 0; i < colorMap.Count(); ++i) {
        THistogramEntry& e = entries_[static_cast<std::size_t>(i)];
        e.colorIndex = i;
        e.color = colorMap.Entry(i);
        list_.push_back(&e);
    }
}

bool THistogram::ProcessFrame(TGIFSubImage& frame) {
    frames_.push_back(&frame);
    if (frame.IsEmpty() || entries_.empty()) return false;
    std::uint8_t* pixels = frame.PixelData();
    const std::size_t size = static_cast<std::size_t>(frame.PixelDataSize());

    // One pass of plain counting; everything else works on the 256 totals.
    std::array<std::uint64_t, 256> counts{};
    for (std::size_t i = 0; i < size; ++i) ++counts[pixels[i]];

    TGIFGraphicControlExtension* gce = frame.ControlExtension();
    bool usedTransparency = false;
    int transparent = -1;
    if (frame.IsTransparent() && gce) {
        transparent = gce->TransparentIndex();
        usedTransparency = counts[static_cast<std::size_t>(transparent)] > 0;
        counts[static_cast<std::size_t>(transparent)] = 0;
        if (!usedTransparency) {
            gce->SetUsesTransparency(false);
            gce->SetTransparentIndex(0);
        }
    }

    const int tableSize = ColorCount();
    std::uint64_t outside = 0;
    for (int i = tableSize; i < 256; ++i) outside += counts[static_cast<std::size_t>(i)];
    if (outside > 0) {
        for (std::size_t i = 0; i < size; ++i)
            if (pixels[i] >= tableSize && pixels[i] != transparent) pixels[i] = 0;
        counts[0] += outside;
        frame.ReportWarning(1, "Color not in color table");
    }

    constexpr std::uint64_t kMax = std::numeric_limits<std::int32_t>::max();
    for (int i = 0; i < tableSize; ++i) {
        THistogramEntry& e = entries_[static_cast<std::size_t>(i)];
        const std::uint64_t sum = static_cast<std::uint64_t>(e.count) + counts[static_cast<std::size_t>(i)];
        e.count = static_cast<std::int32_t>(std::min(sum, kMax));
    }
    return usedTransparency;
}

void THistogram::Prune() {
    std::stable_sort(list_.begin(), list_.end(),
                     [](const THistogramEntry* a, const THistogramEntry* b) { return a->count > b->count; });
    const auto firstUnused =
        std::find_if(list_.begin(), list_.end(), [](const THistogramEntry* e) { return e->count == 0; });
    list_.erase(firstUnused, list_.end());
}

TGIFColorTranslation THistogram::Translation() const {
    TGIFColorTranslation t{};
    for (const THistogramEntry& e : entries_)
        if (e.newIndex >= 0 && e.newIndex < 256) t[static_cast<std::size_t>(e.colorIndex)] = static_cast<std::uint8_t>(e.newIndex);
    return t;
}
