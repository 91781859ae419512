#pragma once
// The image data of a frame as it was read, kept so that saving can write it
// again instead of a new encoding while the frame's pixels are unchanged and
// it is the shorter (a file from a smaller encoder stays as small).

#include <cstdint>
#include <optional>
#include <vector>

#include "gif/LZW.h"
#include "gif/Stream.h"

// The code size and the data bytes of one frame, their sub-blocks joined.
struct TReadImageData {
    int CodeSize = 0;
    std::vector<std::uint8_t> Bytes;
};

// The settings under which the usual encoder wrote data itself, or a parse
// of the same pixels no longer than its own: encoding them with these
// settings again would write no fewer bytes.
struct TEncodedWith {
    int Bits = 0;
    int ColorLimit = 0;
    bool operator==(const TEncodedWith&) const = default;
};

// Image data as an encoder writes it (code size, sub-blocks, terminator),
// its sub-blocks joined.
TReadImageData JoinedImageData(const std::uint8_t* data, std::size_t size);

class TKeptImageData {
public:
    // `data` decodes to a frame of this size and row order; `encodedWith`
    // tells, where it is so, that the usual encoder wrote it.
    TKeptImageData(TReadImageData data, int width, int height, bool interlaced,
                   std::optional<TEncodedWith> encodedWith = std::nullopt);

    // Whether the data decodes to exactly these pixels. It is decoded again
    // to tell: nothing is paid on reading, where most frames are never
    // written, and no pointer into the pixels can change them unseen.
    bool Holds(const std::uint8_t* pixels, int width, int height, bool interlaced) const;
    // Whether the data was written under these settings by the usual
    // encoder, or is no longer than what it writes: then encoding the pixels
    // it holds again would gain nothing.
    bool EncodedWith(TGIFEncoding encoding, int bits, int colorLimit) const {
        return encoding == encLZW && encodedWith_ == TEncodedWith{bits, colorLimit};
    }
    const TReadImageData& Data() const { return data_; }
    // The bytes Write writes.
    std::int64_t Size() const;
    // The data as image data: code size, sub-blocks of 255 bytes, terminator.
    void Write(TStream& out) const;

private:
    TReadImageData data_;
    int width_, height_;
    bool interlaced_;
    std::optional<TEncodedWith> encodedWith_;
};
