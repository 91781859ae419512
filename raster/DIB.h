#pragma once
// Device-independent bitmaps as the window system lays them out in memory:
// a 40-byte info header, a colour table of blue-green-red-zero quads for the
// paletted depths, then the rows bottom-up, each padded to 32 bits, 24-bit
// pixels in blue-green-red order. Frames are rendered through such a DIB, the
// AVI writer stores frames in this layout, and the clipboard's bitmap data and
// BMP files use it too.
//
// Formats are the raster layer's pixel formats; pf32bit is not a DIB format
// here ("Unsupported PixelFormat").

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "raster/Bitmap.h"

constexpr std::size_t kDIBInfoHeaderSize = 40;
constexpr std::size_t kDIBFileHeaderSize = 14;

// Bytes per DIB row: whole 32-bit words.
constexpr std::size_t DIBStride(int width, int bitsPerPixel) {
    return width <= 0 ? 0 : ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32) * 4;
}

// A bitmap seen row by row in one pixel format.
class TDIB {
public:
    TDIB(TBitmap& bitmap, TPixelFormat format) : bitmap_(bitmap), format_(format) {}
    virtual ~TDIB() = default;
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    virtual std::uint8_t* ScanLine(int row) = 0;
    TBitmap& Bitmap() const { return bitmap_; }
    TPixelFormat Format() const { return format_; }

protected:
    TBitmap& bitmap_;  // not owned
    TPixelFormat format_;
};

// Reads an existing bitmap: converts it to the format first, then hands out
// the bitmap's own rows (top-down).
class TDIBReader : public TDIB {
public:
    TDIBReader(TBitmap& bitmap, TPixelFormat format);
    std::uint8_t* ScanLine(int row) override { return bitmap_.ScanLine(row); }
};

// Builds a private bottom-up DIB of 8 or 24 bits and, when destroyed, hands it
// to the bitmap (which then holds exactly what was written into the rows).
class TDIBWriter : public TDIB {
public:
    // "Unsupported PixelFormat" for formats other than pf8bit and pf24bit,
    // "Invalid image dimensions" for a zero or negative size. The palette (not
    // owned, may be null) becomes the DIB's colour table for 8 bits.
    TDIBWriter(TBitmap& bitmap, const TPalette* palette, int height, int width, TPixelFormat format);
    ~TDIBWriter() override;

    // Row 0 is the top row; it lies at the end of the bottom-up bits.
    // "Scan line index out of range" for a row outside 0..height-1.
    std::uint8_t* ScanLine(int row) override;
    std::size_t Stride() const { return stride_; }
    // The DIB as built so far (info header + colour table, and bits).
    const std::vector<std::uint8_t>& Header() const { return header_; }
    const std::vector<std::uint8_t>& Bits() const { return bits_; }

private:
    void BuildDIB();

    std::vector<std::uint8_t> header_;
    std::vector<std::uint8_t> bits_;
    const TPalette* palette_;  // not owned
    int height_;
    int width_;
    std::size_t stride_ = 0;
};

// Header size (40 + 4 x 2^bits up to 8 bits, else 40) and image size
// (stride x height) of the bitmap in the format. Null bitmap: "Bitmap image is
// not valid"; format pf32bit: "Unsupported PixelFormat".
struct TDIBMeasure {
    std::size_t headerSize = 0;
    std::size_t imageSize = 0;
};
TDIBMeasure MeasureDIB(const TBitmap* bitmap, TPixelFormat format);

// Writes the info header (+ colour table) and the bottom-up bits of the bitmap
// in the format. Paletted formats use `palette` when given (pixels are mapped to
// its nearest entries), else the bitmap's own palette when it fits, else the
// default palette of that depth. Answers false when a buffer is smaller than
// MeasureDIB says; errors as MeasureDIB.
bool CopyDIB(const TBitmap* bitmap, const TPalette* palette, std::span<std::uint8_t> header,
             std::span<std::uint8_t> bits, TPixelFormat format);

// A complete BMP file image (file header, info header, colour table, bits).
std::vector<std::uint8_t> SaveDIBFile(const TBitmap& bitmap, TPixelFormat format);
// Loads a BMP file image (1, 4, 8, 24 or 32 bits, uncompressed, bottom-up or
// top-down). Anything malformed or truncated raises "Bitmap image is not valid"
// and leaves the bitmap as it was.
void LoadDIBFile(TBitmap& bitmap, std::span<const std::uint8_t> data);
// The same for a packed DIB without file header (the clipboard's bitmap form).
void LoadPackedDIB(TBitmap& bitmap, std::span<const std::uint8_t> data);
