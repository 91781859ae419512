#include "gif/KeptImageData.h"

#include <algorithm>
#include <utility>

#include "gif/LZWDecoder.h"
#include "gif/LZWInterlace.h"

TReadImageData JoinedImageData(const std::uint8_t* data, std::size_t size) {
    TReadImageData joined;
    if (size == 0) return joined;
    joined.CodeSize = data[0];
    for (std::size_t at = 1; at < size && data[at] != 0;) {
        const std::size_t n = std::min<std::size_t>(data[at], size - at - 1);
        joined.Bytes.insert(joined.Bytes.end(), data + at + 1, data + at + 1 + n);
        at += 1 + n;
    }
    return joined;
}

TKeptImageData::TKeptImageData(TReadImageData data, int width, int height, bool interlaced,
                               std::optional<TEncodedWith> encodedWith)
    : data_(std::move(data)), width_(width), height_(height), interlaced_(interlaced), encodedWith_(encodedWith) {}

bool TKeptImageData::Holds(const std::uint8_t* pixels, int width, int height, bool interlaced) const {
    if (width != width_ || height != height_ || interlaced != interlaced_ || width <= 0 || height <= 0 ||
        data_.CodeSize < 2 || data_.CodeSize > 8)
        return false;
    const std::size_t w = static_cast<std::size_t>(width), count = w * static_cast<std::size_t>(height);
    TLZWData lzw;
    lzw.Bytes.reserve(data_.Bytes.size() + 8);
    lzw.Bytes.assign(data_.Bytes.begin(), data_.Bytes.end());
    lzw.Bytes.resize(data_.Bytes.size() + 8, 0);
    lzw.Size = data_.Bytes.size();
    lzw.BlockEndSeen = true;
    // Decoded in stream order, with the slack the decoder's word copies use.
    std::vector<std::uint8_t> decoded(count + 64);
    TLZWDecoder::TStop stop = TLZWDecoder::TStop::Done;
    TLZWDecoder decoder(data_.CodeSize);
    if (decoder.Decode(lzw, decoded.data(), count, decoded.size(), 0, stop) != count ||
        stop == TLZWDecoder::TStop::InvalidCode)
        return false;
    if (!interlaced) return std::equal(decoded.begin(), decoded.begin() + std::ptrdiff_t(count), pixels);
    const std::vector<int> rows = InterlacedRowOrder(height);
    for (std::size_t k = 0; k < rows.size(); ++k)
        if (!std::equal(decoded.begin() + std::ptrdiff_t(k * w), decoded.begin() + std::ptrdiff_t((k + 1) * w),
                        pixels + std::size_t(rows[k]) * w))
            return false;
    return true;
}

std::int64_t TKeptImageData::Size() const {
    const auto n = static_cast<std::int64_t>(data_.Bytes.size());
    return 1 + n + (n + 254) / 255 + 1;
}

void TKeptImageData::Write(TStream& out) const {
    out.WriteByte(static_cast<std::uint8_t>(data_.CodeSize));
    const std::uint8_t* p = data_.Bytes.data();
    for (std::size_t left = data_.Bytes.size(); left > 0;) {
        const std::size_t n = std::min<std::size_t>(left, 255);
        out.WriteByte(static_cast<std::uint8_t>(n));
        out.Write(p, n);
        p += n;
        left -= n;
    }
    out.WriteByte(0);
}
