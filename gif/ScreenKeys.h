#pragma once
// What the optimiser's screens hold per pixel: a colour, or nothing drawn yet.

#include <cstdint>

#include "gif/GIFTypes.h"

// Screen pixels as colour keys: nothing drawn yet, or a colour.
inline constexpr std::uint32_t kNothing = 0;
inline constexpr std::uint32_t kShown = 0x01000000;

inline std::uint32_t KeyOf(const TGIFRGB& c) {
    return kShown | std::uint32_t(c.red) | (std::uint32_t(c.green) << 8) | (std::uint32_t(c.blue) << 16);
}
inline TGIFRGB ColorOfKey(std::uint32_t key) {
    return {static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key >> 16)};
}
