#pragma once
// Dither engines: turn scan lines of true colour into palette indexes, one pixel
// at a time, in serpentine order (line 0 left to right, line 1 right to left...).
//
// The diffusing engines spread the difference between the wanted and the
// obtained colour over pixels not yet visited, by a fixed kernel. Each kernel is
// a compile-time table (TKernelDitherer<K>), so the per-pixel work is a lookup
// and a fixed, unrolled set of additions. Error rows carry guard cells on both
// sides, wide enough for the kernel's reach, so no edge tests are needed; what
// lands in a guard cell is never read back as a pixel's error.
//
// Hot loops call the non-virtual template DitherWith on the concrete engine and
// lookup types; Dither is the virtual entry for callers that hold the base.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "color/ColorLookup.h"

class TDitherEngine {
public:
    // An engine for lines of `width` pixels mapping through `lookup` (not owned).
    TDitherEngine(int width, TColorLookup& lookup) : lookup_(&lookup), width_(std::max(width, 0)) {}
    virtual ~TDitherEngine() = default;
    TDitherEngine(const TDitherEngine&) = delete;
    TDitherEngine& operator=(const TDitherEngine&) = delete;

    int Width() const { return width_; }
    int Direction() const { return direction_; }
    int Column() const { return column_; }
    TColorLookup& Lookup() const { return *lookup_; }

    // The index of the pixel at Column; r, g, b receive that entry's colour.
    // Advances Column by Direction.
    virtual int Dither(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
                       std::uint8_t& b) {
        return DitherWith(*lookup_, red, green, blue, r, g, b);
    }
    // Called after the last pixel of every line: turns the scan direction.
    virtual void FinishLine() {
        column_ = direction_ < 0 ? 0 : width_ - 1;
        direction_ = -direction_;
    }
    // Skips the pixel at Column (a transparent pixel that is not mapped).
    void NextColumn() { column_ += direction_; }

    // Nearest colour, no diffusion.
    template <class L>
    int DitherWith(L& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r,
                   std::uint8_t& g, std::uint8_t& b) {
        const int index = lookup.Lookup(red, green, blue, r, g, b);
        NextColumn();
        return index;
    }

protected:
    TColorLookup* lookup_;
    int width_;
    int direction_ = 1;
    int column_ = 0;
};

// One kernel weight: `line` lines below the current one, `offset` columns along
// the scan direction (+1 is the next pixel to be visited).
struct TKernelTap {
    int line;
    int offset;
    int weight;
};

// A diffusing engine over kernel K, which supplies kLines (error rows kept,
// the current line included), kGuard (guard cells per side), kDivisor and kTaps.
template <class K>
class TKernelDitherer : public TDitherEngine {
public:
    static constexpr int kLines = K::kLines;
    static constexpr int kGuard = K::kGuard;
    static constexpr int kDivisor = K::kDivisor;

    TKernelDitherer(int width, TColorLookup& lookup)
        : TDitherEngine(width, lookup),
          rowCells_(static_cast<std::size_t>(width_ + 2 * kGuard) * 3),
          storage_(rowCells_ * kLines, 0) {
        for (int i = 0; i < kLines; ++i) rows_[static_cast<std::size_t>(i)] = storage_.data() + rowCells_ * static_cast<std::size_t>(i);
    }

    int Dither(std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r, std::uint8_t& g,
               std::uint8_t& b) override {
        return DitherWith(*lookup_, red, green, blue, r, g, b);
    }

    template <class L>
    int DitherWith(L& lookup, std::uint8_t red, std::uint8_t green, std::uint8_t blue, std::uint8_t& r,
                   std::uint8_t& g, std::uint8_t& b) {
        const std::ptrdiff_t cell = static_cast<std::ptrdiff_t>(column_ + kGuard) * 3;
        const std::int32_t* acc = rows_[0] + cell;
        // Rounds half up for positive errors only: the division truncates towards zero.
        const int vr = Clamp(red + (acc[0] + kDivisor / 2) / kDivisor);
        const int vg = Clamp(green + (acc[1] + kDivisor / 2) / kDivisor);
        const int vb = Clamp(blue + (acc[2] + kDivisor / 2) / kDivisor);
        const int index =
            lookup.Lookup(static_cast<std::uint8_t>(vr), static_cast<std::uint8_t>(vg), static_cast<std::uint8_t>(vb), r, g, b);
        const int er = vr - r, eg = vg - g, eb = vb - b;
        if ((er | eg | eb) != 0) {
            for (const TKernelTap& t : K::kTaps) {
                std::int32_t* c = rows_[static_cast<std::size_t>(t.line)] + cell + static_cast<std::ptrdiff_t>(t.offset * direction_) * 3;
                c[0] += er * t.weight;
                c[1] += eg * t.weight;
                c[2] += eb * t.weight;
            }
        }
        column_ += direction_;
        return index;
    }

    void FinishLine() override {
        // The current line is fully consumed: clear it and make it the last row.
        std::memset(rows_[0], 0, rowCells_ * sizeof(std::int32_t));
        std::rotate(rows_.begin(), rows_.begin() + 1, rows_.end());
        TDitherEngine::FinishLine();
    }

    // The accumulated error of a column on line `line` (0 = current), one channel
    // (0 red, 1 green, 2 blue); guard cells are reachable with columns -kGuard..-1
    // and Width..Width+kGuard-1. For tests and diagnostics.
    std::int32_t ErrorAt(int line, int column, int channel) const {
        return rows_[static_cast<std::size_t>(line)][static_cast<std::size_t>(column + kGuard) * 3 + static_cast<std::size_t>(channel)];
    }

private:
    static int Clamp(int v) { return v < 0 ? 0 : (v > 255 ? 255 : v); }

    std::size_t rowCells_;
    std::vector<std::int32_t> storage_;
    std::array<std::int32_t*, static_cast<std::size_t>(kLines)> rows_{};
};

struct TFloydSteinbergKernel {
    static constexpr int kLines = 2, kGuard = 1, kDivisor = 16;
    static constexpr std::array<TKernelTap, 4> kTaps{{{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}};
};
struct TStuckiKernel {
    static constexpr int kLines = 3, kGuard = 2, kDivisor = 42;
    static constexpr std::array<TKernelTap, 12> kTaps{{{0, 1, 8}, {0, 2, 4},
                                                       {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
                                                       {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}};
};
struct TSierraKernel {
    static constexpr int kLines = 3, kGuard = 2, kDivisor = 32;
    static constexpr std::array<TKernelTap, 10> kTaps{{{0, 1, 5}, {0, 2, 3},
                                                       {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
                                                       {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}};
};
struct TJaJuNiKernel {
    static constexpr int kLines = 3, kGuard = 2, kDivisor = 48;
    static constexpr std::array<TKernelTap, 12> kTaps{{{0, 1, 7}, {0, 2, 5},
                                                       {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
                                                       {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}};
};
struct TBurkesKernel {
    static constexpr int kLines = 2, kGuard = 2, kDivisor = 32;
    static constexpr std::array<TKernelTap, 7> kTaps{{{0, 1, 8}, {0, 2, 4},
                                                      {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}};
};
struct TSteveArcheKernel {
    static constexpr int kLines = 4, kGuard = 3, kDivisor = 200;
    static constexpr std::array<TKernelTap, 12> kTaps{{{0, 2, 32},
                                                       {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16},
                                                       {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
                                                       {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}};
};

// The weights of every kernel add up to its divisor: no error is lost or invented.
template <class K>
constexpr bool KernelIsBalanced() {
    int sum = 0;
    for (const TKernelTap& t : K::kTaps) {
        if (t.offset < -K::kGuard || t.offset > K::kGuard || t.line < 0 || t.line >= K::kLines) return false;
        if (t.line == 0 && t.offset <= 0) return false;  // only pixels not yet visited
        sum += t.weight;
    }
    return sum == K::kDivisor;
}
static_assert(KernelIsBalanced<TFloydSteinbergKernel>() && KernelIsBalanced<TStuckiKernel>() &&
              KernelIsBalanced<TSierraKernel>() && KernelIsBalanced<TJaJuNiKernel>() &&
              KernelIsBalanced<TBurkesKernel>() && KernelIsBalanced<TSteveArcheKernel>());

class TFloydSteinbergDitherer final : public TKernelDitherer<TFloydSteinbergKernel> {
public:
    using TKernelDitherer::TKernelDitherer;
};

// The engines with a five-wide, three-line kernel.
template <class K>
class T5by3Ditherer : public TKernelDitherer<K> {
    static_assert(K::kLines == 3 && K::kGuard == 2);

public:
    using TKernelDitherer<K>::TKernelDitherer;
};

class TStuckiDitherer final : public T5by3Ditherer<TStuckiKernel> {
public:
    using T5by3Ditherer::T5by3Ditherer;
};
class TSierraDitherer final : public T5by3Ditherer<TSierraKernel> {
public:
    using T5by3Ditherer::T5by3Ditherer;
};
class TJaJuNiDitherer final : public T5by3Ditherer<TJaJuNiKernel> {
public:
    using T5by3Ditherer::T5by3Ditherer;
};
class TBurkesDitherer final : public TKernelDitherer<TBurkesKernel> {
public:
    using TKernelDitherer::TKernelDitherer;
};
class TSteveArcheDitherer final : public TKernelDitherer<TSteveArcheKernel> {
public:
    using TKernelDitherer::TKernelDitherer;
};
