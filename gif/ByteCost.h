#pragma once
// Where a GIF file's bytes go: each image's share (its extensions, its colour
// table, its compressed pixels, descriptor included) and the file's own
// (header, screen descriptor, global table, trailer, and blocks after the
// last image). The shares add up to the file's size exactly.

#include <cstdint>
#include <vector>

struct TFrameBytes {
    int Frame = 0;
    std::uint64_t Extensions = 0;  // every extension block before the image
    std::uint64_t ColorTable = 0;  // its local table
    std::uint64_t ImageData = 0;   // descriptor, code size and data blocks
    std::uint64_t Total() const { return Extensions + ColorTable + ImageData; }
};

struct TByteCost {
    std::vector<TFrameBytes> Frames;  // in file order
    std::uint64_t FileOwn = 0;        // header, screen, global table, trailer, trailing blocks
    std::uint64_t Size = 0;           // the file's size
    bool Complete = true;             // the walk reached the trailer
};

// Walks the blocks of a GIF's bytes (as written; a damaged file is walked
// as far as it goes, the rest counted as the file's own).
TByteCost MeasureByteCost(const std::uint8_t* bytes, std::size_t size);

class TGIFImage;

// The bytes of the file `image` writes as it is (it is encoded once).
TByteCost SavedByteCost(TGIFImage& image);

// Each frame's total, in order.
std::vector<std::uint64_t> FrameTotals(const TByteCost& cost);
