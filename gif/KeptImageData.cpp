#include "gif/KeptImageData.h"

#include <algorithm>
#include <cstring>

namespace {

// A word at a time, mixed by multiplication: a digest to notice any edit,
// not to resist forgery.
std::uint64_t Digest(const std::uint8_t* pixels, std::size_t count) {
    std::uint64_t h = 0x9E3779B97F4A7C15ull ^ count;
    auto mix = [&h](std::uint64_t word) {
        h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
        h ^= h >> 31;
    };
    std::size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, pixels + i, 8);
        mix(word);
    }
    std::uint64_t last = 0;
    std::memcpy(&last, pixels + i, count - i);
    mix(last);
    return h;
}

}  // namespace

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
