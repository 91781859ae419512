#pragma once
// The LZW decoder of GIF image data, split in two steps: gathering the data
// sub-blocks into one contiguous buffer (so the hot loop never calls the stream),
// and decoding codes from that buffer straight into a pixel run.
//
// The code table keeps, per code, the string length, its first byte and its last
// (up to 8) bytes plus the code holding the rest, so a string is copied out
// backwards eight bytes at a time instead of being pushed and popped per pixel.
//
// Validity rules beyond the classic decoder loop: the first code after a clear code
// must be a literal (or the end code), and a code above the next free one is refused.
// Both mark corrupt data; with them the table's prefix links always point to
// smaller codes, so the table can never become circular and no string exceeds 4096.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/LZW.h"

// The sub-blocks of one frame's image data, joined.
struct TLZWData {
    std::vector<std::uint8_t> Bytes;  // data bytes, followed by 8 zero bytes of padding
    std::size_t Size = 0;             // data bytes without the padding
    bool BlockEndSeen = false;        // the zero-length terminator was read
};

// Reads the data sub-blocks at the stream's position up to and including the
// zero-length terminator (or the stream's end). A sub-block that is longer than
// the rest of the stream reports "Premature end of data"; what remains is used.
void GatherLZWData(TStream& in, TLZWData& data, const TGIFWarnFn& warn);

class TLZWDecoder {
public:
    enum class TStop : std::uint8_t {
        Done,        // all requested pixels were decoded
        EndCode,     // the end code came first
        OutOfData,   // the bits ran out first
        InvalidCode  // corrupt code stream
    };

    static constexpr int MaxCodes = 4096;

    // codeSize is the initial code size byte, 0..11 (the caller validates it).
    explicit TLZWDecoder(int codeSize);

    // Decodes `data` (Size bytes, with 8 readable bytes of padding after them) into
    // out[0..count). `capacity` >= count is the writable size of `out`; 64 bytes
    // of slack beyond count let the last strings be copied in whole words too, and
    // what is written beyond the pixels decoded is `fill`. Answers the number of pixels
    // decoded; `stop` tells why decoding ended.
    std::size_t Decode(const TLZWData& data, std::uint8_t* out, std::size_t count,
                       std::size_t capacity, std::uint8_t fill, TStop& stop);

private:
    struct TEntry;
    // Writes the string of `entry` at out + pos; may write up to 47 bytes
    // past its end.
    static void CopyStringFast(const TEntry& entry, std::uint8_t* out, std::size_t pos);
    // Writes exactly the first `limit` bytes of the string of `code` at out + pos.
    void CopyStringExact(unsigned code, std::uint8_t* out, std::size_t pos, std::size_t limit) const;

    int codeSize_;
    unsigned clearCode_;
    unsigned endCode_;

    // Per code: a string of up to 8 bytes itself (byte 0 first; longer ones
    // keep their last 1..8 bytes there), where in the output the string
    // first appeared (longer strings are copied from there), its length and
    // its first byte; 16 bytes, so one cache line access per code.
    struct TEntry {
        std::uint64_t tail;
        std::uint32_t offset;
        std::uint16_t length;
        std::uint8_t first;
    };
    // One spare entry takes the writes made once the table is full, which keeps
    // a branch out of the hot loop.
    std::array<TEntry, MaxCodes + 1> table_;
};
