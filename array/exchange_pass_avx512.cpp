// Built with AVX-512 (F and BW) enabled; called only on processors that have it.
#include "exchange_pass.h"

// GCC 12's AVX-512 intrinsics fill unused result lanes from a deliberately
// undefined vector and then warn about it at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

namespace plimvar::detail {

namespace {

// Inclusive prefix minimum over the 32 lanes, lane 0 first.
inline __m512i prefixMin(__m512i v, __m512i fill, __m512i *blockMin)
{
    // Within each 128-bit quarter: shift up by 1, 2, 4 lanes, filling with
    // the largest value, which leaves a minimum unchanged.
    v = _mm512_min_epi16(v, _mm512_alignr_epi8(v, fill, 14));
    v = _mm512_min_epi16(v, _mm512_alignr_epi8(v, fill, 12));
    v = _mm512_min_epi16(v, _mm512_alignr_epi8(v, fill, 8));
    // Each quarter's minimum, spread over that quarter: q0 q1 q2 q3.
    const __m512i quarterMin = _mm512_shuffle_epi8(v, _mm512_set1_epi16(0x0f0e));
    // Prefix minimum over the quarters, then shifted up one quarter so that
    // each quarter takes the minimum of those before it.
    __m512i scan = _mm512_min_epi16(quarterMin, _mm512_alignr_epi64(quarterMin, fill, 6));
    scan = _mm512_min_epi16(scan, _mm512_alignr_epi64(scan, fill, 4));
    v = _mm512_min_epi16(v, _mm512_alignr_epi64(scan, fill, 6));
    *blockMin = _mm512_shuffle_i32x4(scan, scan, 0xff);
    return v;
}

} // namespace

void exchangePassAvx512(std::int16_t *first, std::ptrdiff_t count)
{
    constexpr std::ptrdiff_t lanes = 32;
    const __m512i fill = _mm512_set1_epi16(INT16_MAX);
    if (count - 1 < lanes) {
        finishPassScalar(first, 1, count, first[0]);
        return;
    }

    // The same block scheme as the AVX2 pass, 32 lanes wide: x is scanned
    // through y, the same block one element earlier, and the next block's
    // loads come before this block's store.
    __m512i carry = fill;
    std::ptrdiff_t k = 1;
    __m512i y = _mm512_loadu_si512(first);
    __m512i x = _mm512_loadu_si512(first + 1);
    for (;;) {
        const bool more = k + 2 * lanes <= count;
        __m512i nextY = y, nextX = x;
        if (more) {
            nextY = _mm512_loadu_si512(first + k + lanes - 1);
            nextX = _mm512_loadu_si512(first + k + lanes);
        }
        __m512i blockMin;
        const __m512i before = _mm512_min_epi16(prefixMin(y, fill, &blockMin), carry);
        _mm512_storeu_si512(first + k, _mm512_max_epi16(x, before));
        carry = _mm512_min_epi16(carry, blockMin);
        k += lanes;
        if (!more)
            break;
        y = nextY;
        x = nextX;
    }
    const auto carried =
        static_cast<std::int16_t>(_mm_extract_epi16(_mm512_castsi512_si128(carry), 0));
    const auto lastX =
        static_cast<std::int16_t>(_mm_extract_epi16(_mm512_extracti32x4_epi32(x, 3), 7));
    finishPassScalar(first, k, count, carried < lastX ? carried : lastX);
}

} // namespace plimvar::detail
