#include "gif/GIFMaskBuffer.h"

#include <cstring>

TBitmap TGIFMaskBuffer::ToBitmap() const {
    TBitmap mask(width_, height_, pf1bit);
    const std::size_t rowBytes = static_cast<std::size_t>((width_ + 7) / 8);
    for (int y = 0; y < height_; ++y)
        std::memcpy(mask.ScanLine(y), bits_.data() + static_cast<std::size_t>(y) * stride_, rowBytes);
    return mask;
}

std::vector<std::uint8_t> MaskWordRows(const TBitmap& mask) {
    if (mask.PixelFormat() != pf1bit || mask.Empty()) return {};
    const std::size_t stride = TGIFMaskBuffer::StrideFor(mask.Width());
    const std::size_t rowBytes = static_cast<std::size_t>((mask.Width() + 7) / 8);
    std::vector<std::uint8_t> out(stride * static_cast<std::size_t>(mask.Height()), 0);
    for (int y = 0; y < mask.Height(); ++y) {
        std::uint8_t* row = out.data() + static_cast<std::size_t>(y) * stride;
        std::memcpy(row, mask.ScanLine(y), rowBytes);
        // Bits past the width are not pixels; keep them clear whatever the source held.
        if (mask.Width() % 8) row[rowBytes - 1] &= static_cast<std::uint8_t>(0xFF00u >> (mask.Width() % 8));
    }
    return out;
}
