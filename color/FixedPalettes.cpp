#include "color/FixedPalettes.h"

#include "raster/SystemPalettes.h"

namespace {
TPaletteEntry Grey(int v, std::uint8_t flags) {
    const auto c = static_cast<std::uint8_t>(v);
    return {c, c, c, flags};
}
}  // namespace

std::unique_ptr<TPalette> CreateWebSafePalette() {
    std::vector<TPaletteEntry> entries;
    entries.reserve(216);
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                entries.push_back({static_cast<std::uint8_t>(51 * r), static_cast<std::uint8_t>(51 * g),
                                   static_cast<std::uint8_t>(51 * b), 0});
    return std::make_unique<TPalette>(std::move(entries));
}

std::unique_ptr<TPalette> CreateGrayScalePalette() {
    std::vector<TPaletteEntry> entries;
    entries.reserve(256);
    for (int i = 0; i < 256; ++i) entries.push_back(Grey(i, PC_NOCOLLAPSE));
    return std::make_unique<TPalette>(std::move(entries));
}

std::unique_ptr<TPalette> CreateMonochromePalette() {
    return std::make_unique<TPalette>(std::vector<TPaletteEntry>{Grey(0, PC_NOCOLLAPSE), Grey(255, PC_NOCOLLAPSE)});
}

std::unique_ptr<TPalette> CreateWindowsGrayPalette() {
    return std::make_unique<TPalette>(std::vector<TPaletteEntry>{
        Grey(0, PC_NOCOLLAPSE), Grey(128, PC_NOCOLLAPSE), Grey(192, PC_NOCOLLAPSE), Grey(255, PC_NOCOLLAPSE)});
}

std::unique_ptr<TPalette> CreateHalftoneScreenPalette() {
    const auto& h = HalftoneEntries();
    return std::make_unique<TPalette>(std::vector<TPaletteEntry>(h.begin(), h.end()));
}

std::unique_ptr<TPalette> CreateWindows20Palette() {
    const auto& s = StaticColorEntries();
    return std::make_unique<TPalette>(std::vector<TPaletteEntry>(s.begin(), s.end()));
}
