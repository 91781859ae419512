#pragma once
// Helpers of the frame rendering that other code and the tests need to see.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/Bitmap.h"

// A frame's transparency mask as it is built while rendering: rows top to
// bottom, each padded to whole 16-bit words, most significant bit first; a set
// bit marks a pixel of the transparent index.
class TGIFMaskBuffer {
public:
    TGIFMaskBuffer(int width, int height)
        : width_(width), height_(height), stride_(StrideFor(width)),
          bits_(stride_ * static_cast<std::size_t>(height > 0 ? height : 0), 0) {}

    static constexpr std::size_t StrideFor(int width) {
        return width <= 0 ? 0 : static_cast<std::size_t>((width + 15) / 16) * 2;
    }
    std::uint8_t* Row(int y) { return bits_.data() + static_cast<std::size_t>(y) * stride_; }
    void Set(std::uint8_t* row, int x) {
        row[x >> 3] = static_cast<std::uint8_t>(row[x >> 3] | (0x80u >> (x & 7)));
        any_ = true;
    }
    bool Any() const { return any_; }
    std::size_t Stride() const { return stride_; }
    const std::vector<std::uint8_t>& Bytes() const { return bits_; }
    // The mask as a pf1bit bitmap (the raster layer pads rows to 32 bits).
    TBitmap ToBitmap() const;

private:
    int width_;
    int height_;
    std::size_t stride_;
    std::vector<std::uint8_t> bits_;
    bool any_ = false;
};

// A pf1bit mask's rows in the 16-bit word layout above.
std::vector<std::uint8_t> MaskWordRows(const TBitmap& mask);
