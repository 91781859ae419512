#pragma once
// FNV-1a over 64-bit words: fast enough to run over every pixel of a large
// animation (a document's fingerprint takes in every frame). Long inputs run
// in lanes, words taken in turn, so that the multiplications overlap instead
// of each waiting for the one before. A digest to notice any change,
// not to resist forgery.

#include <cstddef>
#include <cstdint>
#include <cstring>

class TWordHasher {
public:
    void Add(const void* data, std::size_t size) {
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        std::size_t i = 0;
        if (size >= 128) {
            // Eight lanes in registers; each takes every eighth word,
            // multiplied in (a bijection of the lane, so any one change
            // shows), and the lanes are mixed into the digest at the end.
            std::uint64_t a = hash_, b = hash_ ^ 1, c = hash_ ^ 2, d = hash_ ^ 3, e = hash_ ^ 4, f = hash_ ^ 5,
                          g = hash_ ^ 6, h = hash_ ^ 7;
            constexpr std::uint64_t kPrime = 0x100000001b3ull;
            for (; i + 64 <= size; i += 64) {
                const std::uint8_t* at = bytes + i;
                a = (a ^ Word(at)) * kPrime;
                b = (b ^ Word(at + 8)) * kPrime;
                c = (c ^ Word(at + 16)) * kPrime;
                d = (d ^ Word(at + 24)) * kPrime;
                e = (e ^ Word(at + 32)) * kPrime;
                f = (f ^ Word(at + 40)) * kPrime;
                g = (g ^ Word(at + 48)) * kPrime;
                h = (h ^ Word(at + 56)) * kPrime;
            }
            hash_ = Mixed(a, 0);
            for (const std::uint64_t lane : {b, c, d, e, f, g, h}) Mix(lane);
        }
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
    static std::uint64_t Word(const std::uint8_t* at) {
        std::uint64_t word;
        std::memcpy(&word, at, 8);
        return word;
    }
    static std::uint64_t Mixed(std::uint64_t hash, std::uint64_t word) {
        hash ^= word;
        hash *= 0x100000001b3ull;
        return hash ^ (hash >> 29);
    }
    void Mix(std::uint64_t word) { hash_ = Mixed(hash_, word); }
    std::uint64_t hash_ = 0xcbf29ce484222325ull;
};
