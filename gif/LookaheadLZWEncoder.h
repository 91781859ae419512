#pragma once
// The slower LZW encoder behind "best" compression. The usual encoder always
// writes the longest string the dictionary knows; this one looks one string
// ahead and writes a shorter one where the string after it then reaches
// further (so-called flexible parsing). The dictionary, code widths and clears
// are those of any LZW decoder, so every reader decodes the result.

#include <cstdint>
#include <vector>

#include "gif/ChosenStringsEncoder.h"

class TLookaheadLZWEncoder : public TChosenStringsEncoder {
public:
    // A shorter string is written when, `horizon` strings on, it leads more
    // than `margin` pixels further than the longest: a shorter string costs
    // the dictionary an entry (it learns one it holds already).
    TLookaheadLZWEncoder(int horizon, std::size_t margin) : horizon_(horizon), margin_(margin) {}

protected:
    void EncodePixels() override;

private:
    // A code the dictionary will hold once the string being chosen is written.
    struct TPendingEntry {
        int prefix = -1;
        int symbol = -1;
        int code = -1;
    };
    // The codes of the strings the dictionary knows at `start`: codes[k] is
    // the string of k + 1 pixels. Answers how many there are.
    std::size_t Strings(std::size_t start, std::vector<std::uint16_t>& codes) const;
    // The length of the longest string at `start`, with `pending` counted in.
    std::size_t LongestAt(std::size_t start, const TPendingEntry& pending) const;

    int horizon_;
    std::size_t margin_;
};
