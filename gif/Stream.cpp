#include "gif/Stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "raster/GIFException.h"

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (Read(buffer, count) != count) throw GIFException("Premature end of data");
}

int TStream::ReadByte() {
    std::uint8_t value;
    return Read(&value, 1) == 1 ? value : -1;
}

TMemoryStream::TMemoryStream(const void* data, std::size_t size)
    : view_(static_cast<const std::uint8_t*>(data)), size_(size) {}

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ >= size_) return 0;
    const std::size_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, Data() + position_, n);
    position_ += n;
    return n;
}

void TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (view_) throw GIFException("Invalid stream operation");
    if (count == 0) return;
    const std::size_t end = position_ + count;
    if (end > owned_.size()) owned_.resize(end);
    std::memcpy(owned_.data() + position_, buffer, count);
    position_ = end;
    size_ = std::max(size_, end);
}

void TMemoryStream::SetPosition(std::int64_t position) {
    position_ = static_cast<std::size_t>(std::max<std::int64_t>(0, position));
}

std::vector<std::uint8_t> TMemoryStream::TakeBytes() {
    std::vector<std::uint8_t> out = std::move(owned_);
    Clear();
    return out;
}

void TMemoryStream::Clear() {
    owned_.clear();
    view_ = nullptr;
    size_ = position_ = 0;
}

TFileStream::TFileStream(const std::string& path, Mode mode) {
    file_ = std::fopen(path.c_str(), mode == Mode::Read ? "rb" : "wb");
    if (!file_) throw GIFException("Cannot open file \"" + path + "\": " + std::strerror(errno));
    if (mode == Mode::Read) {
        std::fseek(file_, 0, SEEK_END);
        size_ = std::ftell(file_);
        std::fseek(file_, 0, SEEK_SET);
    }
}

TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    return std::fread(buffer, 1, count, file_);
}

void TFileStream::Write(const void* buffer, std::size_t count) {
    if (std::fwrite(buffer, 1, count, file_) != count) throw GIFException("Write error");
    size_ = std::max<std::int64_t>(size_, Position());
}

std::int64_t TFileStream::Position() const { return std::ftell(file_); }

void TFileStream::SetPosition(std::int64_t position) {
    std::fseek(file_, static_cast<long>(std::max<std::int64_t>(0, position)), SEEK_SET);
}

std::int64_t TFileStream::Size() const { return size_; }
