#include "gif/KeptImageData.h"

#include <algorithm>
#include <utility>

#include "gif/WordHasher.h"

namespace {

std::uint64_t Digest(const std::uint8_t* pixels, std::size_t count) {
    TWordHasher hasher;
    hasher.Add(pixels, count);
    return hasher.Result();
}

}  // namespace

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

TKeptImageData::TKeptImageData(TReadImageData data, const std::uint8_t* pixels, int width, int height,
                               bool interlaced)
    : data_(std::move(data)),
      digest_(Digest(pixels, std::size_t(width) * std::size_t(height))),
      width_(width),
      height_(height),
      interlaced_(interlaced) {}

bool TKeptImageData::Holds(const std::uint8_t* pixels, int width, int height, bool interlaced) const {
    return width == width_ && height == height_ && interlaced == interlaced_ &&
           Digest(pixels, std::size_t(width) * std::size_t(height)) == digest_;
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
