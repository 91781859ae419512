#pragma once
// Colour lookups: which palette index stands for an RGB colour, and what colour
// that index really has (the dither engines diffuse the difference).
//
// Every concrete lookup is final and defines Lookup inline, so the reduction
// loop, which is templated over the lookup type, calls it without a virtual
// dispatch per pixel. The virtual entry serves callers that only hold the base.

#include <array>
#include <cstdint>
#include <cstdlib>

#include "raster/Palette.h"

class TColorLookup {
public:
    virtual ~TColorLookup() = default;
    TColorLookup(const TColorLookup&) = delete;
    TColorLookup& operator=(const TColorLookup&) = delete;

    // Number of palette entries the lookup maps onto; 0 means it cannot map.
    int PaletteColorCount() const { return paletteColorCount_; }

    // Answers the palette index for (red, green, blue) and writes that entry's
    // colour to r, g, b.
    virtual int Lookup(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
                       std::uint8_t& b) = 0;

protected:
    explicit TColorLookup(int paletteColorCount) : paletteColorCount_(paletteColorCount) {}

private:
    int paletteColorCount_;
};

// Nearest colour in an arbitrary palette of up to 256 entries, cached per 5-5-5
// colour cell. The first colour to reach a cell decides the cell's index for all
// later colours of that cell: exactness traded for one table read per pixel.
class TFastColorLookup final : public TColorLookup {
public:
    // Reads up to 256 entries; a null or empty palette gives PaletteColorCount 0.
    explicit TFastColorLookup(const TPalette* palette);
    explicit TFastColorLookup(const TPalette& palette) : TFastColorLookup(&palette) {}

    static constexpr int CellKey(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        return ((blue >> 3) << 10) + ((green >> 3) << 5) + (red >> 3);
    }

    int Lookup(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
               std::uint8_t& b) override {
        std::int16_t& cell = cache_[static_cast<std::size_t>(CellKey(red, green, blue))];
        if (cell < 0) cell = static_cast<std::int16_t>(Search(red, green, blue));
        const TPaletteEntry& e = entries_[static_cast<std::size_t>(cell)];
        r = e.red;
        g = e.green;
        b = e.blue;
        return cell;
    }

    // The cell's cached index, -1 while unknown (for tests and diagnostics).
    int CachedIndex(int key) const { return cache_[static_cast<std::size_t>(key & 0x7FFF)]; }

private:
    // Exact search by sum of absolute differences; the lowest index wins ties.
    int Search(int red, int green, int blue) const;

    std::array<TPaletteEntry, 256> entries_{};
    std::array<std::int16_t, 32768> cache_;
};

// The 6x6x6 web palette: index = r*36 + g*6 + b with level = (c + 3) / 51 per
// channel, which is a fixed threshold table rather than rounding to the nearest level.
class TNetscapeColorLookup final : public TColorLookup {
public:
    TNetscapeColorLookup() : TColorLookup(216) {}
    explicit TNetscapeColorLookup(const TPalette*) : TNetscapeColorLookup() {}

    static constexpr int Level(std::uint8_t c) { return (c + 3) / 51; }

    int Lookup(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
               std::uint8_t& b) override {
        const int lr = Level(red), lg = Level(green), lb = Level(blue);
        r = static_cast<std::uint8_t>(lr * 51);
        g = static_cast<std::uint8_t>(lg * 51);
        b = static_cast<std::uint8_t>(lb * 51);
        return lr * 36 + lg * 6 + lb;
    }
};

// Luminance onto the 256-grey ramp; the weights 77 + 150 + 29 add up to 256.
class TGrayScaleLookup final : public TColorLookup {
public:
    TGrayScaleLookup() : TColorLookup(256) {}
    explicit TGrayScaleLookup(const TPalette*) : TGrayScaleLookup() {}

    int Lookup(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
               std::uint8_t& b) override {
        const auto grey = static_cast<std::uint8_t>((red * 77 + green * 150 + blue * 29) >> 8);
        r = g = b = grey;
        return grey;
    }
};

// Luminance threshold onto black (0) and white (1): a grey g has luminance 256*g,
// so 127 and darker become black, 128 and lighter white.
class TMonochromeLookup final : public TColorLookup {
public:
    TMonochromeLookup() : TColorLookup(2) {}
    explicit TMonochromeLookup(const TPalette*) : TMonochromeLookup() {}

    int Lookup(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
               std::uint8_t& b) override {
        const int l = red * 77 + green * 150 + blue * 29;
        const bool white = l > 32512;
        r = g = b = white ? 255 : 0;
        return white ? 1 : 0;
    }
};
