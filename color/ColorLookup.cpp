#include "color/ColorLookup.h"

#include <algorithm>

namespace {
int CountOf(const TPalette* palette) { return palette ? std::min(palette->Count(), 256) : 0; }
}  // namespace

TFastColorLookup::TFastColorLookup(const TPalette* palette) : TColorLookup(CountOf(palette)) {
    cache_.fill(-1);
    const int count = PaletteColorCount();
    for (int i = 0; i < count; ++i) {
        const TPaletteEntry& e = (*palette)[i];
        entries_[static_cast<std::size_t>(i)] = e;
        // Where several entries share a cell the lowest index keeps it.
        std::int16_t& cell = cache_[static_cast<std::size_t>(CellKey(e.red, e.green, e.blue))];
        if (cell < 0) cell = static_cast<std::int16_t>(i);
    }
}

int TFastColorLookup::Search(int red, int green, int blue) const {
    // Never reached with an empty palette from the reduction entry (it gives up
    // first); answering entry 0 (black) keeps a stray caller in bounds.
    int best = 0;
    int bestDist = 0x30000;
    const int count = PaletteColorCount();
    for (int i = 0; i < count; ++i) {
        const TPaletteEntry& e = entries_[static_cast<std::size_t>(i)];
        const int d = std::abs(red - e.red) + std::abs(green - e.green) + std::abs(blue - e.blue);
        if (d < bestDist) {
            bestDist = d;
            best = i;
        }
    }
    return best;
}
