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

// A packed pixel value standing for "nothing drawn here": never a colour.
constexpr std::uint32_t kClear = 0xFF000000u;

// Squared RGB distance of two packed colours.
inline int ColorDistance(std::uint32_t a, std::uint32_t b) {
    const int dr = int(a >> 16 & 0xFF) - int(b >> 16 & 0xFF), dg = int(a >> 8 & 0xFF) - int(b >> 8 & 0xFF),
              db = int(a & 0xFF) - int(b & 0xFF);
    return dr * dr + dg * dg + db * db;
}

// The exact nearest entry of a palette (lowest index on ties), searched
// outwards from the entries of about the same green: an entry whose green
// alone is farther than the best distance so far cannot win, so a search
// visits a few entries, not all.
class TPaletteSearch {
public:
    explicit TPaletteSearch(const std::vector<std::uint32_t>& palette);
    // `hint`, an entry likely to be the answer (or -1), only makes it faster.
    int Nearest(std::uint32_t rgb, int hint = -1) const;

private:
    struct TEntry {
        int green;
        int index;
        std::uint32_t rgb;
    };
    std::vector<TEntry> byGreen_;
    std::vector<std::uint32_t> palette_;
    // Per entry, a quarter of the squared distance to its nearest other
    // entry: a colour closer than that to the entry has it as its nearest.
    std::vector<int> sureWithin_;
    std::array<std::uint16_t, 256> firstAtGreen_{};  // first entry of at least that green
};

// Counts of the pixels offered so far, in cells of 6 bits per channel, each
// cell remembering the mean of its pixels.
class TColorHistogram {
public:
    TColorHistogram();
    void Add(std::uint32_t rgb, std::uint32_t count = 1);
    // Empty again, in time for the cells used (the table stays allocated).
    void Clear();
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
    std::vector<std::uint32_t> used_;  // cells with a count, in the order first used
};

// At most maxColors (1..256) colours for the histogram; fewer when it holds
// fewer distinct cells (then exactly their means), or when fewer already keep
// the mean squared error per pixel (over the three channels together) at or
// below `enoughError`. Empty for an empty histogram.
// `refineRounds` bounds the k-means rounds (0: the median cut's palette).
std::vector<std::uint32_t> FitPalette(const TColorHistogram& histogram, int maxColors, double enoughError = 0,
                                      int refineRounds = 12);

// The nearest palette entry by squared RGB distance, lowest index on ties,
// with a direct-mapped cache of whole colours in front of the search.
class TNearestColor {
public:
    explicit TNearestColor(std::vector<std::uint32_t> palette);
    int Index(std::uint32_t rgb, int hint = -1) {
        TSlot& slot = cache_[Hash(rgb)];
        if (slot.rgb != rgb) {
            slot.rgb = rgb;
            slot.index = static_cast<std::uint8_t>(search_.Nearest(rgb, hint));
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

    std::vector<std::uint32_t> palette_;
    TPaletteSearch search_;
    std::vector<TSlot> cache_;
};
