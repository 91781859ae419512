#include "raster/SystemPalettes.h"

namespace {

constexpr TPaletteEntry E(int r, int g, int b) {
    return {static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), 0};
}

constexpr std::array<TPaletteEntry, 20> kStatic = {
    E(0, 0, 0),       E(128, 0, 0),     E(0, 128, 0),     E(128, 128, 0),   E(0, 0, 128),
    E(128, 0, 128),   E(0, 128, 128),   E(192, 192, 192), E(192, 220, 192), E(166, 202, 240),
    E(255, 251, 240), E(160, 160, 164), E(128, 128, 128), E(255, 0, 0),     E(0, 255, 0),
    E(255, 255, 0),   E(0, 0, 255),     E(255, 0, 255),   E(0, 255, 255),   E(255, 255, 255),
};

constexpr std::array<TPaletteEntry, 16> kVGA = {
    E(0, 0, 0),       E(128, 0, 0),   E(0, 128, 0),   E(128, 128, 0), E(0, 0, 128),   E(128, 0, 128),
    E(0, 128, 128),   E(192, 192, 192), E(128, 128, 128), E(255, 0, 0), E(0, 255, 0), E(255, 255, 0),
    E(0, 0, 255),     E(255, 0, 255), E(0, 255, 255), E(255, 255, 255),
};

std::array<TPaletteEntry, 256> BuildHalftone() {
    std::array<TPaletteEntry, 256> p{};
    for (int i = 0; i < 10; ++i) p[static_cast<std::size_t>(i)] = kStatic[static_cast<std::size_t>(i)];
    int n = 10;
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) p[static_cast<std::size_t>(n++)] = E(51 * r, 51 * g, 51 * b);
    for (int i = 0; i < 20; ++i) {
        const int v = 8 + 12 * i;
        p[static_cast<std::size_t>(n++)] = E(v, v, v);
    }
    for (int i = 10; i < 20; ++i) p[static_cast<std::size_t>(n++)] = kStatic[static_cast<std::size_t>(i)];
    return p;
}

}  // namespace

const std::array<TPaletteEntry, 20>& StaticColorEntries() { return kStatic; }
const std::array<TPaletteEntry, 16>& VGAColorEntries() { return kVGA; }

const std::array<TPaletteEntry, 256>& HalftoneEntries() {
    static const std::array<TPaletteEntry, 256> table = BuildHalftone();
    return table;
}

TPalette DefaultPaletteForBits(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: return TPalette({E(0, 0, 0), E(255, 255, 255)});
    case 4: return TPalette(std::vector<TPaletteEntry>(kVGA.begin(), kVGA.end()));
    case 8: {
        const auto& h = HalftoneEntries();
        return TPalette(std::vector<TPaletteEntry>(h.begin(), h.end()));
    }
    default: return TPalette();
    }
}
