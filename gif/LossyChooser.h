#pragma once
// Lossy choice of a frame's pixels: each pixel may take any table entry
// close enough to what it should show (or transparency where the screen
// already shows that closely), and the choice follows the LZW encoder's
// dictionary so that its strings grow as long as they can. At each pixel the
// string being built is extended by the path through the dictionary worth
// the most: the pixels it covers less its error (see Better); there the
// string ends, even where the dictionary would extend it (an encoder parsing
// the pixels greedily would then build another dictionary, and lose what the
// choice was for: the strings are written as chosen), and the next string
// starts with the entry that begins the best such path.

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "gif/EncoderModel.h"

// What each pixel of a frame's rectangle may be.
enum : std::uint8_t { kMustClear, kOptional, kMustDraw };
struct TPlanPixel {
    std::uint32_t key;    // the colour shown there afterwards
    std::uint8_t kind;
    std::uint32_t under;  // the colour shown there before (kOptional only)
};

// Squared distance of two colour keys (red, green, blue in the low bytes).
inline int ColorDistance2(std::uint32_t a, std::uint32_t b) {
    const int dr = int(a & 0xFF) - int(b & 0xFF);
    const int dg = int((a >> 8) & 0xFF) - int((b >> 8) & 0xFF);
    const int db = int((a >> 16) & 0xFF) - int((b >> 16) & 0xFF);
    return dr * dr + dg * dg + db * db;
}

class TLossyChooser {
public:
    // Fills `out` with one entry per pixel of `plan` (pixels in the order
    // they are encoded, `bits` per pixel), and `starts` with where the
    // strings it chose start (1 per pixel that starts one): written by
    // TParsedLZWEncoder, the data is what the choice was for. `colors`: the
    // key of each table entry; `clear`: the transparent entry (-1: none);
    // `bound2`: the largest squared distance from its colour a pixel may show;
    // `keepFullTable`: as the encoder will (TGIFEncoder::KeepFullTable).
    void Choose(const std::vector<TPlanPixel>& plan, const std::vector<std::uint32_t>& colors, int clear,
                int bound2, int bits, std::vector<std::uint8_t>& out, std::vector<std::uint8_t>& starts,
                bool keepFullTable);
    // What one pixel more in a string is worth, in squared RGB distance, as
    // a share of the bound's square (per mille): at 200, an error at the
    // full bound must buy five pixels.
    void SetPixelWorth(int perMille) { pixelWorthPerMille_ = perMille; }
    // The summed squared distance of the colours in `chosen` (one of the
    // last colours and transparency given) from what `plan` asks.
    long long ErrorOfChoice(const std::vector<TPlanPixel>& plan, const std::vector<std::uint8_t>& chosen) const;
    // Whether the encoder cleared a full table in the last choice.
    bool TableCleared() const { return tableCleared_; }

private:
    // The error of showing entry `symbol` at a pixel, or -1 when it may not.
    int ErrorOf(const TPlanPixel& pixel, int symbol) const {
        if (symbol == clear_) {
            if (pixel.kind == kMustDraw) return -1;
            return pixel.kind == kMustClear ? 0 : ColorDistance2(pixel.under, pixel.key);
        }
        if (pixel.kind == kMustClear) return -1;
        const int d = ColorDistance2(colors_[static_cast<std::size_t>(symbol)], pixel.key);
        return d <= bound2_ ? d : -1;
    }
    // The entries that may start a string at a pixel, smallest error first.
    struct TChoice {
        int symbol;
        int error;
    };
    const std::vector<TChoice>& StartsFor(const TPlanPixel& pixel);

    struct TPath {
        int length = -1;
        long long error = 0;
    };
    // The path through the dictionary from `code` over the pixels from `k`
    // on worth the most, spending at most `budget` steps; its symbols into best_.
    TPath LongestPath(const std::vector<TPlanPixel>& plan, int code, std::size_t k, int& budget);
    // Whether path a is worth more than path b (b.length < 0: none yet).
    bool Better(const TPath& a, const TPath& b) const;
    long long pixelWorth_ = 1;  // squared distance one pixel of string length pays for
    int pixelWorthPerMille_ = 200;  // the same, per mille of the bound's square

    std::vector<std::uint32_t> colors_;
    int clear_ = -1;
    int bound2_ = 0;
    TStringDictionary dictionary_;
    std::unordered_map<std::uint64_t, std::vector<TChoice>> starts_;
    struct TStep {
        int child;  // the next child of this step's code to try (-1: none left)
        long long error;
    };
    std::vector<TStep> stack_;
    std::vector<std::uint8_t> path_, best_;
    bool tableCleared_ = false;
};
