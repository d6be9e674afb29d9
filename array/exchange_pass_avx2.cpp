// Built with AVX2 enabled; called only on processors that have it.
#include "exchange_pass.h"

#include <immintrin.h>

namespace plimvar::detail {

namespace {

// Inclusive prefix minimum over the 16 lanes, lane 0 first.
inline __m256i prefixMin(__m256i v, __m256i fill, __m256i *blockMin)
{
    // Within each 128-bit half: shift up by 1, 2, 4 lanes, filling with the
    // largest value, which leaves a minimum unchanged.
    v = _mm256_min_epi16(v, _mm256_alignr_epi8(v, fill, 14));
    v = _mm256_min_epi16(v, _mm256_alignr_epi8(v, fill, 12));
    v = _mm256_min_epi16(v, _mm256_alignr_epi8(v, fill, 8));
    // Each half's minimum, spread over that half.
    const __m256i lastOfHalf = _mm256_set1_epi16(0x0f0e);
    const __m256i halfMin = _mm256_shuffle_epi8(v, lastOfHalf);
    // The upper half also takes the minimum of the lower half.
    v = _mm256_min_epi16(v, _mm256_permute2x128_si256(fill, halfMin, 0x20));
    *blockMin = _mm256_min_epi16(halfMin, _mm256_permute2x128_si256(halfMin, halfMin, 0x01));
    return v;
}

} // namespace

void exchangePassAvx2(std::int16_t *first, std::ptrdiff_t count)
{
    constexpr std::ptrdiff_t lanes = 16;
    const __m256i fill = _mm256_set1_epi16(INT16_MAX);
    if (count - 1 < lanes) {
        finishPassScalar(first, 1, count, first[0]);
        return;
    }

    // A block holds x = first[k] ... first[k + 15] and is scanned through
    // y = first[k - 1] ... first[k + 14], whose prefix minimum is the minimum
    // of everything before each x within reach of the block. `carry` is the
    // minimum of all that lies before y. Both loads of the next block come
    // before this block's store, so they read values from before the pass.
    __m256i carry = fill;
    std::ptrdiff_t k = 1;
    __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(first));
    __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(first + 1));
    for (;;) {
        const bool more = k + 2 * lanes <= count;
        __m256i nextY = y, nextX = x;
        if (more) {
            nextY = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(first + k + lanes - 1));
            nextX = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(first + k + lanes));
        }
        __m256i blockMin;
        const __m256i before = _mm256_min_epi16(prefixMin(y, fill, &blockMin), carry);
        _mm256_storeu_si256(reinterpret_cast<__m256i *>(first + k), _mm256_max_epi16(x, before));
        carry = _mm256_min_epi16(carry, blockMin);
        k += lanes;
        if (!more)
            break;
        y = nextY;
        x = nextX;
    }
    // carry covers everything up to first[k - 2]; first[k - 1] was x's last.
    const auto carried = static_cast<std::int16_t>(_mm256_extract_epi16(carry, 0));
    const auto lastX = static_cast<std::int16_t>(_mm256_extract_epi16(x, 15));
    finishPassScalar(first, k, count, carried < lastX ? carried : lastX);
}

} // namespace plimvar::detail
