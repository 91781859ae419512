#include "gif/KeptImageData.h"

#include <algorithm>
#include <utility>

#include "gif/LZW.h"

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
    if (width != width_ || height != height_ || interlaced != interlaced_ || width <= 0 || height <= 0) return false;
    TMemoryStream stream;
    Write(stream);
    stream.SetPosition(0);
    const std::size_t count = std::size_t(width) * std::size_t(height);
    std::vector<std::uint8_t> decoded(count);
    // Read the way a file is: only data that decodes whole and sound is
    // handed back, and only such data holds a frame.
    TReadImageData whole;
    DecodeImageData(stream, decoded.data(), width, height, interlaced, nullptr, 0, &whole);
    return !whole.Bytes.empty() && std::equal(decoded.begin(), decoded.end(), pixels);
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
