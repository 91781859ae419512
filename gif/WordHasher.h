#pragma once
// FNV-1a over 64-bit words: fast enough to run over every pixel of a large
// animation. A digest to notice any change, not to resist forgery.

#include <cstddef>
#include <cstdint>
#include <cstring>

class TWordHasher {
public:
    void Add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        std::size_t i = 0;
        for (; i + 8 <= size; i += 8) {
            std::uint64_t word;
            std::memcpy(&word, bytes + i, 8);
            Mix(word);
        }
        std::uint64_t tail = 0;
        std::memcpy(&tail, bytes + i, size - i);
        Mix(tail ^ (static_cast<std::uint64_t>(size) << 56));
    }
    template <class T> void Value(T value) { Add(&value, sizeof value); }
    std::uint64_t Result() const { return hash_; }

private:
    void Mix(std::uint64_t word) {
        hash_ ^= word;
        hash_ *= 0x100000001b3ull;
        hash_ ^= hash_ >> 29;
    }
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};
