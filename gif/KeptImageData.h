#pragma once
// The image data of a frame as it was read, kept so that saving can write it
// again instead of a new encoding while the frame's pixels are unchanged and
// it is the shorter (a file from a smaller encoder stays as small).

#include <cstdint>
#include <vector>

#include "gif/Stream.h"

// The code size and the data bytes of one frame, their sub-blocks joined.
struct TReadImageData {
    int CodeSize = 0;
    std::vector<std::uint8_t> Bytes;
};

// Image data as an encoder writes it (code size, sub-blocks, terminator),
// its sub-blocks joined.
TReadImageData JoinedImageData(const std::uint8_t* data, std::size_t size);

class TKeptImageData {
public:
    // `data` was just decoded into `pixels`.
    TKeptImageData(TReadImageData data, const std::uint8_t* pixels, int width, int height, bool interlaced);

    // Whether the data still decodes to these pixels (compared by a 64-bit
    // digest, with the frame's size and row order).
    bool Holds(const std::uint8_t* pixels, int width, int height, bool interlaced) const;
    // The bytes Write writes.
    std::int64_t Size() const;
    // The data as image data: code size, sub-blocks of 255 bytes, terminator.
    void Write(TStream& out) const;

private:
    TReadImageData data_;
    std::uint64_t digest_;
    int width_, height_;
    bool interlaced_;
};
