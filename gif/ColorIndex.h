#pragma once

#include <array>
#include <cstdint>

#include "gif/ScreenKeys.h"

// Colour key -> index of the first table entry of that colour: open
// addressing over 1024 slots for at most 256 entries, so that a lookup is
// one or two probes in the first-level cache.
class TColorIndex {
public:
    TColorIndex() { keys_.fill(kNothing); }
    void Add(std::uint32_t key, int index) {
        std::uint32_t h = SlotOf(key);
        while (keys_[h] != kNothing) {
            if (keys_[h] == key) return;
            h = (h + 1) & kMask;
        }
        keys_[h] = key;
        indices_[h] = static_cast<std::uint8_t>(index);
    }
    // -1 when no entry has the colour.
    int Find(std::uint32_t key) const {
        for (std::uint32_t h = SlotOf(key);; h = (h + 1) & kMask) {
            if (keys_[h] == key) return indices_[h];
            if (keys_[h] == kNothing) return -1;
        }
    }

private:
    static constexpr std::uint32_t kMask = 1023;
    static std::uint32_t SlotOf(std::uint32_t key) { return (key * 2654435761u) >> 22; }
    std::array<std::uint32_t, 1024> keys_;
    std::array<std::uint8_t, 1024> indices_{};
};
