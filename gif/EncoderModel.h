#pragma once
// What the LZW encoder learns, followed symbol by symbol, so that pixels can
// be chosen to continue its strings: the same strings get the same codes,
// and the table is cleared where the encoder clears it (TFullTablePolicy).

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/LZWEncoder.h"

// The dictionary: the code of (prefix code, symbol), and the codes that
// extend a code, emptied in O(1).
class TStringDictionary {
public:
    TStringDictionary() : child_(std::size_t(4096) * 256, 0), stamp_(std::size_t(4096) * 256, 0) {}

    int Find(int prefix, int symbol) const {
        const std::size_t at = std::size_t(prefix) * 256 + std::size_t(symbol);
        return stamp_[at] == generation_ ? child_[at] : -1;
    }
    void Store(int prefix, int symbol, int code) {
        const std::size_t at = std::size_t(prefix) * 256 + std::size_t(symbol);
        stamp_[at] = generation_;
        child_[at] = static_cast<std::uint16_t>(code);
        const auto c = static_cast<std::size_t>(code);
        symbol_[c] = static_cast<std::uint8_t>(symbol);
        sibling_[c] = FirstChild(prefix);
        firstChild_[static_cast<std::size_t>(prefix)] = static_cast<std::int16_t>(code);
        firstStamp_[static_cast<std::size_t>(prefix)] = generation_;
    }
    // The codes extending `code` by one symbol, newest first: FirstChild,
    // then NextSibling until -1.
    int FirstChild(int code) const {
        const auto c = static_cast<std::size_t>(code);
        return firstStamp_[c] == generation_ ? firstChild_[c] : -1;
    }
    int NextSibling(int code) const { return sibling_[static_cast<std::size_t>(code)]; }
    // The symbol a stored code ends with.
    int SymbolOf(int code) const { return symbol_[static_cast<std::size_t>(code)]; }
    void Clear();

private:
    std::vector<std::uint16_t> child_;
    std::vector<std::uint32_t> stamp_;
    std::array<std::int16_t, 4096> firstChild_{};
    std::array<std::uint32_t, 4096> firstStamp_{};
    std::array<std::int16_t, 4096> sibling_{};
    std::array<std::uint8_t, 4096> symbol_{};
    std::uint32_t generation_ = 1;
};

// The encoder of one frame (pixels in the order they are stored, `bits` per
// pixel), fed one symbol at a time.
class TEncoderModel {
public:
    TEncoderModel(TStringDictionary& dictionary, int bits);

    // The string being built (a code), or -1 before the first pixel.
    int Prefix() const { return prefix_; }
    const TStringDictionary& Dictionary() const { return dictionary_; }
    // The encoder reads the next pixel.
    void Feed(int symbol) {
        if (prefix_ >= 0) {
            const int found = dictionary_.Find(prefix_, symbol);
            if (found >= 0) {
                prefix_ = found;
            } else {
                EndString(symbol);
            }
        } else {
            prefix_ = symbol;
        }
        ++position_;
    }

private:
    void EndString(int symbol);

    TStringDictionary& dictionary_;
    TFullTablePolicy fullTable_;
    int first_;
    int next_;
    int prefix_ = -1;
    std::size_t position_ = 0;
};
