#include "painter/PainterTiming.h"

#include <cstdlib>
#include <limits>

namespace painter_timing {

bool MulDiv(std::int64_t a, std::int64_t b, std::int64_t c, std::int64_t& result) {
    if (c == 0) return false;
    // Operands stay within 32 bits here, so the product fits 64.
    const std::int64_t product = a * b;
    std::int64_t q = product / c;
    const std::int64_t r = product % c;
    if (2 * std::llabs(r) >= std::llabs(c)) q += ((product < 0) != (c < 0)) ? -1 : 1;
    if (q > std::numeric_limits<std::int32_t>::max() || q < std::numeric_limits<std::int32_t>::min()) return false;
    result = q;
    return true;
}

TWait ComputeWait(int pendingDelay, int speed, std::uint32_t elapsed, std::int64_t correction, bool threaded) {
    if (speed <= 0) return {threaded ? kInfiniteWait : kFallbackWait, correction};
    const std::int64_t overrun = (static_cast<std::int64_t>(elapsed) - correction) / 2;
    const std::int64_t base = static_cast<std::int64_t>(pendingDelay) * kMsPerUnit - overrun;
    std::int64_t wait = 0;
    if (base > std::numeric_limits<std::int32_t>::max() || base < std::numeric_limits<std::int32_t>::min() ||
        !MulDiv(base, 100, speed, wait))
        return {kFallbackWait, 0};
    return {wait, wait};
}

}  // namespace painter_timing
