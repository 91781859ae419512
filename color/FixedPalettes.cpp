#include "color/FixedPalettes.h"

std::unique_ptr<TPalette> CreateWebSafePalette() {
    std::vector<TPaletteEntry> entries;
    entries.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back({static_cast<std::uint8_t>(51 * r), static_cast<std::uint8_t>(51 * g),
                                   static_cast<std::uint8_t>(51 * b), PC_NOCOLLAPSE});
    return std::make_unique<TPalette>(std::move(entries));
}
