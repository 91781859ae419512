#pragma once
// A logical palette: the stand-in for the window system's palette object.
// Entries are red, green, blue and a flags byte (PC_NOCOLLAPSE and friends),
// in that order, as the window system keeps them.

#include <cstdint>
#include <vector>

struct TPaletteEntry {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    std::uint8_t flags = 0;
    friend bool operator==(const TPaletteEntry&, const TPaletteEntry&) = default;
};

enum : std::uint8_t { PC_RESERVED = 0x01, PC_EXPLICIT = 0x02, PC_NOCOLLAPSE = 0x04 };

class TPalette {
public:
    static constexpr std::uint16_t kVersion = 0x300;

    TPalette() = default;
    explicit TPalette(std::vector<TPaletteEntry> entries) : entries_(std::move(entries)) {}

    std::uint16_t Version() const { return kVersion; }
    int Count() const { return static_cast<int>(entries_.size()); }
    const std::vector<TPaletteEntry>& Entries() const { return entries_; }
    std::vector<TPaletteEntry>& Entries() { return entries_; }
    const TPaletteEntry& operator[](int i) const { return entries_[static_cast<std::size_t>(i)]; }

    friend bool operator==(const TPalette&, const TPalette&) = default;

private:
    std::vector<TPaletteEntry> entries_;
};
