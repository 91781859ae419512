#include "painter/WidePaletteRows.h"

#include <cstring>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define REELIX_WIDE_PALETTE 1
#endif

namespace {

#if REELIX_WIDE_PALETTE
#define REELIX_VBMI __attribute__((target("avx512f,avx512bw,avx512vbmi")))
#if !defined(__clang__)
// GCC 12 sees the undefined start value inside _mm512_shuffle_i64x2 as maybe used.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// One byte of the colour of 64 indices: two permutes over 128 entries each,
// the index's top bit choosing between them.
REELIX_VBMI inline __m512i Channel(const std::uint8_t* table, __m512i indices, __mmask64 upper) {
    const __m512i* t = reinterpret_cast<const __m512i*>(table);
    const __m512i low = _mm512_permutex2var_epi8(_mm512_load_si512(t), indices, _mm512_load_si512(t + 1));
    const __m512i high = _mm512_permutex2var_epi8(_mm512_load_si512(t + 2), indices, _mm512_load_si512(t + 3));
    return _mm512_mask_blend_epi8(upper, low, high);
}

REELIX_VBMI int DrawVbmi(const std::uint8_t (&bytes)[4][256], const std::uint8_t* src, std::uint8_t* dst, int n,
                         int key) {
    const __m512i keys = _mm512_set1_epi8(static_cast<char>(key));
    int i = 0;
    for (; i + 64 <= n; i += 64, dst += 256) {
        const __m512i indices = _mm512_loadu_si512(src + i);
        const __mmask64 upper = _mm512_movepi8_mask(indices);
        const __m512i c0 = Channel(bytes[0], indices, upper), c1 = Channel(bytes[1], indices, upper);
        const __m512i c2 = Channel(bytes[2], indices, upper), c3 = Channel(bytes[3], indices, upper);
        // Bytes to words: within each 16-pixel lane, pixels 0-3, 4-7, 8-11, 12-15.
        const __m512i low01 = _mm512_unpacklo_epi8(c0, c1), high01 = _mm512_unpackhi_epi8(c0, c1);
        const __m512i low23 = _mm512_unpacklo_epi8(c2, c3), high23 = _mm512_unpackhi_epi8(c2, c3);
        const __m512i p0 = _mm512_unpacklo_epi16(low01, low23), p1 = _mm512_unpackhi_epi16(low01, low23);
        const __m512i p2 = _mm512_unpacklo_epi16(high01, high23), p3 = _mm512_unpackhi_epi16(high01, high23);
        // Lanes back into pixel order: output k takes lane k of p0..p3.
        const __m512i t0 = _mm512_shuffle_i64x2(p0, p1, 0x44), t1 = _mm512_shuffle_i64x2(p0, p1, 0xEE);
        const __m512i t2 = _mm512_shuffle_i64x2(p2, p3, 0x44), t3 = _mm512_shuffle_i64x2(p2, p3, 0xEE);
        const __m512i out[4] = {_mm512_shuffle_i64x2(t0, t2, 0x88), _mm512_shuffle_i64x2(t0, t2, 0xDD),
                                _mm512_shuffle_i64x2(t1, t3, 0x88), _mm512_shuffle_i64x2(t1, t3, 0xDD)};
        if (key < 0) {
            for (int k = 0; k < 4; ++k) _mm512_storeu_si512(dst + 64 * k, out[k]);
            continue;
        }
        const __mmask64 drawn = _mm512_cmpneq_epi8_mask(indices, keys);
        for (int k = 0; k < 4; ++k)
            _mm512_mask_storeu_epi32(dst + 64 * k, static_cast<__mmask16>(drawn >> (16 * k)), out[k]);
    }
    return i;
}
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

}  // namespace

bool TWidePaletteRows::Available() {
#if REELIX_WIDE_PALETTE
    static const bool available = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                                  __builtin_cpu_supports("avx512vbmi");
    return available;
#else
    return false;
#endif
}

TWidePaletteRows::TWidePaletteRows(const std::array<std::uint32_t, 256>& lut) {
    for (int i = 0; i < 256; ++i) {
        std::uint8_t word[4];
        std::memcpy(word, &lut[static_cast<std::size_t>(i)], 4);
        for (int c = 0; c < 4; ++c) bytes_[c][i] = word[c];
    }
}

int TWidePaletteRows::Draw(const std::uint8_t* src, std::uint8_t* dst, int n, int key) const {
#if REELIX_WIDE_PALETTE
    if (Available()) return DrawVbmi(bytes_, src, dst, n, key);
#endif
    (void)src, (void)dst, (void)n, (void)key;
    return 0;
}
