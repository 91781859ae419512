#pragma once
// A palette fitted to a set of true-colour pixels: median cut on a histogram
// of the pixels, refined by k-means, minimising the squared RGB error; and
// the exact nearest palette colour of a pixel, cached.
//
// Colours are packed 0xRRGGBB. Equal input gives an equal palette, and a
// pixel always maps to the same entry, so pictures that do not change map to
// the same indices frame after frame.

#include <array>
#include <cstdint>
#include <vector>

// Counts of the pixels offered so far, in cells of 6 bits per channel, each
// cell remembering the mean of its pixels.
class TColorHistogram {
public:
    TColorHistogram();
    void Add(std::uint32_t rgb, std::uint32_t count = 1);
    struct TEntry {
        std::uint32_t rgb;     // the mean of the cell's pixels
        std::uint64_t weight;  // how many pixels
    };
    // The non-empty cells, in cell order.
    std::vector<TEntry> Entries() const;

private:
    struct TCell {
        std::uint64_t count = 0, red = 0, green = 0, blue = 0;
    };
    std::vector<TCell> cells_;
};

// At most maxColors (1..256) colours for the histogram; fewer when it holds
// fewer distinct cells (then exactly their means), or when fewer already keep
// the mean squared error per pixel (over the three channels together) at or
// below `enoughError`. Empty for an empty histogram.
std::vector<std::uint32_t> FitPalette(const TColorHistogram& histogram, int maxColors, double enoughError = 0);

// The nearest palette entry by squared RGB distance, lowest index on ties,
// with a direct-mapped cache of whole colours in front of the search.
class TNearestColor {
public:
    explicit TNearestColor(std::vector<std::uint32_t> palette);
    int Index(std::uint32_t rgb) {
        TSlot& slot = cache_[Hash(rgb)];
        if (slot.rgb != rgb) {
            slot.rgb = rgb;
            slot.index = static_cast<std::uint8_t>(Search(rgb));
        }
        return slot.index;
    }
    const std::vector<std::uint32_t>& Palette() const { return palette_; }

private:
    struct TSlot {
        std::uint32_t rgb = 0xFFFFFFFFu;  // never a packed colour
        std::uint8_t index = 0;
    };
    static std::size_t Hash(std::uint32_t rgb) { return (rgb * 2654435761u) >> 16; }
    int Search(std::uint32_t rgb) const;

    std::vector<std::uint32_t> palette_;
    std::vector<TSlot> cache_;
};
