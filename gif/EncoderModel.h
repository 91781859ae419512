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
    TStringDictionary() { Clear(); }

    int Find(int prefix, int symbol) const {
        const std::uint32_t key = Key(prefix, symbol);
        for (std::uint32_t h = SlotOf(key);; h = (h + 1) & kMask) {
            const std::uint32_t value = slots_[h];
            if (value == kEmpty) return -1;
            if ((value >> 12) == key) return static_cast<int>(value & 0xFFF);
        }
    }
    // Stores a code not stored yet in this generation.
    void Store(int prefix, int symbol, int code) {
        const std::uint32_t key = Key(prefix, symbol);
        std::uint32_t h = SlotOf(key);
        while (slots_[h] != kEmpty) h = (h + 1) & kMask;
        slots_[h] = (key << 12) | static_cast<std::uint32_t>(code);
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
    // At most 4096 entries in 16384 slots: most lookups end in the first,
    // and the table stays in the second-level cache.
    static constexpr std::uint32_t kSlots = 16384;
    static constexpr std::uint32_t kMask = kSlots - 1;
    static constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    static std::uint32_t Key(int prefix, int symbol) {
        return (static_cast<std::uint32_t>(prefix) << 8) | static_cast<std::uint32_t>(symbol);
    }
    static std::uint32_t SlotOf(std::uint32_t key) { return (key * 2654435761u) >> 18; }

    std::array<std::uint32_t, kSlots> slots_;
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
    // `keepsFullTable`: as TGIFEncoder::KeepFullTable.
    TEncoderModel(TStringDictionary& dictionary, int bits, bool keepsFullTable = false);
    bool TableCleared() const { return fullTable_.Cleared(); }

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

    // Parsing as told instead (the strings of TParsedLZWEncoder): the string
    // goes on with `symbol`, answering false (and changing nothing) when the
    // dictionary has no such string ...
    bool Extend(int symbol) {
        const int found = prefix_ >= 0 ? dictionary_.Find(prefix_, symbol) : -1;
        if (found < 0) return false;
        prefix_ = found;
        ++position_;
        return true;
    }
    // ... or ends, and `symbol` starts the next one.
    void Restart(int symbol) {
        if (prefix_ >= 0) EndString(symbol, dictionary_.Find(prefix_, symbol) < 0);
        else prefix_ = symbol;
        ++position_;
    }

private:
    void EndString(int symbol, bool learns = true);

    TStringDictionary& dictionary_;
    TFullTablePolicy fullTable_;
    int first_;
    int next_;
    int prefix_ = -1;
    std::size_t position_ = 0;
};
