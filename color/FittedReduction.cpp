#include "color/FittedReduction.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_set>

namespace {

// An error whose squared size is below this (about 10 per channel) is not
// spread: a fitted palette is rarely farther from a colour, and spreading
// less than that only sprinkles noise over flat areas and gentle gradients
// (which also costs bytes and, against the source, PSNR).
constexpr int kFlatError = 300;
// The most error (per channel) a pixel may carry from its neighbours.
constexpr int kMostCarried = 24;

int Channel(std::uint32_t rgb, int c) { return int((rgb >> (16 - 8 * c)) & 0xFF); }

// Error rows of one channel triple per column, with a guard column each side.
class TErrorRows {
public:
    explicit TErrorRows(int width)
        : current_(std::size_t(width + 2) * 3, 0), next_(std::size_t(width + 2) * 3, 0) {}
    int* Current(int x) { return &current_[std::size_t(x + 1) * 3]; }
    int* Next(int x) { return &next_[std::size_t(x + 1) * 3]; }
    void Advance() {
        std::swap(current_, next_);
        std::fill(next_.begin(), next_.end(), 0);
    }

private:
    std::vector<int> current_, next_;  // in sixteenths
};

}  // namespace

TColorHistogram DrawnColors(const std::uint32_t* pixels, std::size_t count, std::size_t stride) {
    TColorHistogram histogram;
    stride = std::max<std::size_t>(1, stride);
    for (std::size_t i = 0; i < count; i += stride)
        if (pixels[i] != kClear) histogram.Add(pixels[i]);
    return histogram;
}

TBitmap PackedToBitmap(const std::uint32_t* pixels, int width, int height) {
    TBitmap bitmap(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x, row += 3) {
            const std::uint32_t rgb = *pixels++ & 0xFFFFFFu;
            row[0] = std::uint8_t(rgb), row[1] = std::uint8_t(rgb >> 8), row[2] = std::uint8_t(rgb >> 16);
        }
    }
    return bitmap;
}

std::vector<std::uint32_t> FitPictureColors(const std::uint32_t* pixels, std::size_t count, int maxColors,
                                            std::size_t stride) {
    // A picture of few colours keeps exactly its own.
    std::unordered_set<std::uint32_t> distinct;
    for (std::size_t i = 0; i < count && int(distinct.size()) <= maxColors; ++i)
        if (pixels[i] != kClear) distinct.insert(pixels[i]);
    if (int(distinct.size()) <= maxColors) {
        std::vector<std::uint32_t> exact(distinct.begin(), distinct.end());
        std::sort(exact.begin(), exact.end());
        return exact;
    }
    return FitPalette(DrawnColors(pixels, count, stride), maxColors);
}

std::size_t MapToPalette(const std::uint32_t* pixels, int width, int height, TNearestColor& nearest,
                         const TPaletteMapping& mapping, std::uint8_t* out) {
    const std::vector<std::uint32_t>& palette = nearest.Palette();
    const bool keeps = mapping.KeepIndex >= 0;
    const std::uint8_t keep = std::uint8_t(std::max(0, mapping.KeepIndex));
    TErrorRows errors(width);
    std::size_t kept = 0;
    int last = -1;  // the index before: a likely answer for the next pixel
    for (int y = 0; y < height; ++y) {
        const bool forwards = (y & 1) == 0;
        const int step = forwards ? 1 : -1;
        for (int n = 0; n < width; ++n) {
            const int x = forwards ? n : width - 1 - n;
            const std::size_t i = std::size_t(y) * std::size_t(width) + std::size_t(x);
            const std::uint32_t wanted = pixels[i];
            const std::uint32_t shown = mapping.Screen && keeps ? mapping.Screen[i] : kClear;
            if (wanted == kClear && !keeps) {
                out[i] = 0;
                continue;
            }
            if (wanted == kClear || (shown != kClear && ColorDistance(wanted, shown) <= kStillDistance)) {
                out[i] = keep;
                ++kept;
                continue;
            }
            int target[3];
            const int* carried = errors.Current(x);
            for (int c = 0; c < 3; ++c) {
                const int carry = mapping.Dither ? std::clamp(carried[c] / 16, -kMostCarried, kMostCarried) : 0;
                target[c] = std::clamp(Channel(wanted, c) + carry, 0, 255);
            }
            const std::uint32_t aimed = std::uint32_t(target[0]) << 16 | std::uint32_t(target[1]) << 8 | std::uint32_t(target[2]);
            const int index = nearest.Index(aimed, last);
            last = index;
            const std::uint32_t got = palette[std::size_t(index)];
            // The screen's pixel is kept when it is no farther from the
            // picture than the palette's best: it changes nothing for the worse.
            if (shown != kClear && ColorDistance(wanted, shown) <= ColorDistance(wanted, got)) {
                out[i] = keep;
                ++kept;
                continue;
            }
            out[i] = std::uint8_t(index);
            if (!mapping.Dither) continue;
            const int e[3] = {target[0] - Channel(got, 0), target[1] - Channel(got, 1), target[2] - Channel(got, 2)};
            if (e[0] * e[0] + e[1] * e[1] + e[2] * e[2] < kFlatError) continue;
            int* ahead = errors.Current(x + step);
            int* below = errors.Next(x);
            int* belowBehind = errors.Next(x - step);
            int* belowAhead = errors.Next(x + step);
            for (int c = 0; c < 3; ++c) {
                ahead[c] += 7 * e[c];
                belowBehind[c] += 3 * e[c];
                below[c] += 5 * e[c];
                belowAhead[c] += e[c];
            }
        }
        errors.Advance();
    }
    return kept;
}
