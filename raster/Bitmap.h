#pragma once
// The toolkit-free stand-in for the window system's device-independent bitmap:
// what the core renders frames into, reduces colours from and draws with.
//
// Layout follows the DIB conventions so pixel code ported from the window system
// keeps working: rows are stored top-down, each padded to a 32-bit boundary;
// 1-bit rows are most significant bit first, 4-bit rows high nibble first,
// 24-bit rows are blue-green-red and 32-bit rows blue-green-red-reserved.
// Paletted formats (1, 4, 8 bits) carry a TPalette of up to 256 entries.
//
// Colour values (TColorRef) are red in bits 0-7, green 8-15, blue 16-23.
// A monochrome mask is a pf1bit bitmap whose set bits mark transparent pixels.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/Geometry.h"
#include "raster/Palette.h"

using TColorRef = std::uint32_t;

constexpr TColorRef RGBColor(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<TColorRef>(r) | (static_cast<TColorRef>(g) << 8) | (static_cast<TColorRef>(b) << 16);
}
constexpr std::uint8_t RedOf(TColorRef c) { return static_cast<std::uint8_t>(c & 0xFF); }
constexpr std::uint8_t GreenOf(TColorRef c) { return static_cast<std::uint8_t>((c >> 8) & 0xFF); }
constexpr std::uint8_t BlueOf(TColorRef c) { return static_cast<std::uint8_t>((c >> 16) & 0xFF); }

enum TPixelFormat : std::uint8_t { pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

constexpr int BitsPerPixel(TPixelFormat f) {
    switch (f) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    case pf32bit: return 32;
    }
    return 0;
}
constexpr bool IsPaletted(TPixelFormat f) { return f == pf1bit || f == pf4bit || f == pf8bit; }

class TBitmap {
public:
    // Bytes per row for a width: padded to whole 32-bit words, as in a DIB.
    static constexpr std::size_t StrideFor(int width, TPixelFormat format) {
        return width <= 0 ? 0
                          : ((static_cast<std::size_t>(width) * static_cast<std::size_t>(BitsPerPixel(format)) + 31) / 32) * 4;
    }

    TBitmap() = default;
    // A bitmap of the given size, all bits zero (index 0 or black).
    // Throws GIFException "Invalid image dimensions" for negative sizes.
    TBitmap(int width, int height, TPixelFormat format = pf24bit);

    TBitmap(const TBitmap&) = default;
    TBitmap& operator=(const TBitmap&) = default;
    TBitmap(TBitmap&&) noexcept;
    TBitmap& operator=(TBitmap&&) noexcept;
    ~TBitmap() = default;

    int Width() const { return width_; }
    int Height() const { return height_; }
    TPixelFormat PixelFormat() const { return format_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    std::size_t Stride() const { return stride_; }
    TRect BoundsRect() const { return {0, 0, width_, height_}; }

    // Resizes; the pixels are cleared to zero. Keeps format and palette.
    void SetSize(int width, int height);
    // Changes the pixel format, converting the pixels. Going to a paletted
    // format maps every colour to the nearest palette entry; a bitmap without a
    // palette first gets the window system's default palette for that depth.
    void SetPixelFormat(TPixelFormat format);
    // Drops pixels and palette; the bitmap becomes empty (format kept).
    void Clear();
    // Copies everything: size, format, pixels, palette and transparency.
    void Assign(const TBitmap& source) { *this = source; }

    // Start of row y (0 = top). Throws GIFException "Scan line index out of range"
    // for a row outside 0..Height()-1. Hot loops fetch the row once.
    std::uint8_t* ScanLine(int y);
    const std::uint8_t* ScanLine(int y) const;
    // The whole pixel buffer: Height() rows of Stride() bytes.
    std::uint8_t* Bits() { return bits_.data(); }
    const std::uint8_t* Bits() const { return bits_.data(); }
    std::size_t BitsSize() const { return bits_.size(); }

    const TPalette& Palette() const { return palette_; }
    // Replaces the palette (at most 256 entries are kept). Pixels are untouched.
    void SetPalette(const TPalette& palette);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool on) { transparent_ = on; }
    TColorRef TransparentColor() const { return transparentColor_; }
    void SetTransparentColor(TColorRef color) { transparentColor_ = color; }

    // Convenience access for tests and non-critical code (a switch per call).
    // Pixel answers the colour; for paletted formats the palette entry (black when
    // the index lies outside the palette). Index answers the raw index (paletted)
    // or the colour value (true colour). Out-of-range coordinates answer 0 / do nothing.
    TColorRef Pixel(int x, int y) const;
    std::uint32_t Index(int x, int y) const;
    void SetIndex(int x, int y, std::uint32_t index);
    void SetPixel(int x, int y, TColorRef color);  // true colour formats only

    // The framework's mask of the bitmap: a pf1bit bitmap of the same size with a
    // bit set wherever the pixel has the given colour.
    TBitmap CreateMask(TColorRef color) const;

private:
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pf24bit;
    std::size_t stride_ = 0;
    std::vector<std::uint8_t> bits_;
    TPalette palette_;
    bool transparent_ = false;
    TColorRef transparentColor_ = 0;
};
