#include "gif/ByteCost.h"

#include <algorithm>

#include "gif/GIFImage.h"
#include "gif/Stream.h"

namespace {

// The end of a run of data sub-blocks starting at `at` (past its terminator),
// or 0 when the bytes end first.
std::size_t SkipSubBlocks(const std::uint8_t* bytes, std::size_t size, std::size_t at) {
    while (at < size) {
        const std::size_t length = bytes[at];
        at += 1 + length;
        if (length == 0) return at <= size ? at : 0;
    }
    return 0;
}

std::uint64_t TableBytes(std::uint8_t flags) { return (flags & 0x80) ? 3u << ((flags & 7) + 1) : 0; }

}  // namespace

TByteCost MeasureByteCost(const std::uint8_t* bytes, std::size_t size) {
    TByteCost cost;
    cost.Size = size;
    constexpr std::size_t kHeader = 13;  // signature, version, screen descriptor
    if (size < kHeader) {
        cost.FileOwn = size;
        cost.Complete = false;
        return cost;
    }
    std::size_t at = std::min(size, kHeader + std::size_t(TableBytes(bytes[10])));
    std::uint64_t own = at;
    std::uint64_t pendingExtensions = 0;  // extensions waiting for their image
    cost.Complete = false;
    while (at < size) {
        const std::uint8_t introducer = bytes[at];
        if (introducer == 0x3B) {  // trailer
            own += 1;
            at += 1;
            cost.Complete = true;
            break;
        }
        if (introducer == 0x21 && at + 2 <= size) {
            const std::size_t end = SkipSubBlocks(bytes, size, at + 2);
            if (end == 0) break;
            pendingExtensions += end - at;
            at = end;
            continue;
        }
        if (introducer == 0x2C && at + 10 <= size) {
            TFrameBytes frame;
            frame.Frame = int(cost.Frames.size());
            frame.Extensions = pendingExtensions;
            frame.ColorTable = TableBytes(bytes[at + 9]);
            const std::size_t data = at + 10 + std::size_t(frame.ColorTable);
            const std::size_t end = data < size ? SkipSubBlocks(bytes, size, data + 1) : 0;
            if (end == 0) break;
            frame.ImageData = end - at - frame.ColorTable;
            cost.Frames.push_back(frame);
            pendingExtensions = 0;
            at = end;
            continue;
        }
        break;  // a byte no block starts with: the rest is the file's
    }
    // What was not walked (damage, bytes after the trailer) and extensions
    // after the last image are the file's own.
    cost.FileOwn = own + pendingExtensions + (size - std::min(at, size));
    return cost;
}

TByteCost SavedByteCost(TGIFImage& image) {
    TMemoryStream stream;
    image.SaveToStream(stream);
    return MeasureByteCost(stream.Data(), std::size_t(stream.Size()));
}

std::vector<std::uint64_t> FrameTotals(const TByteCost& cost) {
    std::vector<std::uint64_t> totals;
    for (const TFrameBytes& frame : cost.Frames) totals.push_back(frame.Total());
    return totals;
}
