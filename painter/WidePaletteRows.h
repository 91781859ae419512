#pragma once
// Rows of palette indices drawn as 32-bit words 64 at a time where the
// processor permutes bytes across 64-byte registers (AVX-512 VBMI): all 256
// entries of the palette sit in registers, one byte of the colour in each
// group of four, so a pixel costs no load of its own.

#include <array>
#include <cstdint>

class TWidePaletteRows {
public:
    // Whether this processor has the instructions; asked once.
    static bool Available();

    // `lut`: the 32-bit word drawn for each index, as stored in memory.
    explicit TWidePaletteRows(const std::array<std::uint32_t, 256>& lut);

    // Draws the indices of `src` at `dst` in whole groups of 64, leaving the
    // word already there where the index is `key` (-1: none). Answers how many
    // it drew: n less n % 64, or 0 where the processor lacks the instructions.
    int Draw(const std::uint8_t* src, std::uint8_t* dst, int n, int key) const;

private:
    alignas(64) std::uint8_t bytes_[4][256];  // byte c of every entry's word
};
