#pragma once
// The painter's timing rules as plain functions, apart from any clock: how long
// a frame stays, and how long to wait before the next one.

#include <cstdint>

namespace painter_timing {

// Frame delays are hundredths of a second in the file, but the painter waits
// 12 ms per unit: the pace browsers of the time showed these animations at.
constexpr int kMsPerUnit = 12;
// Used when a frame has no graphic control extension or a delay of 0.
constexpr int kDefaultDelay = 10;
// Shorter delays are raised to this, so a run of "0/1" frames cannot spin.
constexpr int kMinDelay = 3;
// A synchronous painter holds the main thread; it never waits longer per frame.
constexpr int kMaxSyncDelay = 1000;
// The wait when the speed is 0 or less (synchronous) or the computation overflows.
constexpr std::int64_t kFallbackWait = 1000 * kMsPerUnit;
// Marks an endless wait (asynchronous painter at speed 0).
constexpr std::int64_t kInfiniteWait = -0x7FFFFFFFFFFFFFFFLL - 1;

// The delay in units before the next frame, given the frame just shown.
constexpr int NextDelay(bool hasControlExtension, int delayTime, bool synchronous) {
    if (!hasControlExtension || delayTime <= 0) return kDefaultDelay;
    int d = delayTime < kMinDelay ? kMinDelay : delayTime;
    if (synchronous && d > kMaxSyncDelay) d = kMaxSyncDelay;
    return d;
}

struct TWait {
    std::int64_t ms = 0;          // kInfiniteWait: until woken
    std::int64_t correction = 0;  // the timing correction for the next frame
};

// The wait before a frame. `elapsed` is the time since the last wait was
// computed; `correction` the wait computed then. Half of whatever ran over that
// wait (drawing, late wake-ups) is taken off this one, so the animation keeps
// its pace without jerking. The result is scaled by the speed percentage.
TWait ComputeWait(int pendingDelay, int speed, std::uint32_t elapsed, std::int64_t correction, bool threaded);

// Rounds a * b / c to the nearest integer, halves away from zero; answers false
// when c is 0 or the result does not fit 32 bits.
bool MulDiv(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t& result);

}  // namespace painter_timing
