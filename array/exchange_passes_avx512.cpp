// Built with AVX-512 (F and BW) enabled; called only on processors that have it.
#include "exchange_passes.h"
#include "exchange_tiles.h"

// GCC 12's AVX-512 intrinsics fill unused result lanes from a deliberately
// undefined vector and then warn about it at every use.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>

namespace plimvar::detail {

namespace {

constexpr std::ptrdiff_t kLanes = 32;
constexpr std::ptrdiff_t kDepth = 32;
using Layout = TileLayout<kLanes, kDepth>;

alignas(64) constexpr std::int16_t kLaneNumbers[kLanes] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15,
    16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31};

class Avx512Pass
{
public:
    Avx512Pass()
        : m_fill(_mm512_set1_epi16(INT16_MAX))
        , m_lanes(_mm512_load_si512(kLaneNumbers))
        , m_laneStarts(_mm512_mullo_epi16(m_lanes, _mm512_set1_epi16(kDepth)))
    {
    }

    __m512i empty() const { return m_fill; }
    std::int16_t valueOf(__m512i carry) const
    {
        return static_cast<std::int16_t>(_mm_extract_epi16(_mm512_castsi512_si128(carry), 0));
    }

    // For every lane, the minimum over the lanes below it; and in `all`, the
    // minimum over every lane. Once per tile, so plain shifts serve.
    __m512i minimumBelowEachLane(__m512i v, __m512i *all) const
    {
#pragma GCC unroll 5
        for (int shift = 1; shift < kLanes; shift *= 2) {
            const auto above = static_cast<__mmask32>(~((1u << shift) - 1));
            const __m512i from =
                _mm512_sub_epi16(m_lanes, _mm512_set1_epi16(static_cast<short>(shift)));
            v = _mm512_min_epi16(v, _mm512_mask_permutexvar_epi16(m_fill, above, from, v));
        }
        *all = _mm512_permutexvar_epi16(_mm512_set1_epi16(kLanes - 1), v);
        return _mm512_mask_permutexvar_epi16(m_fill, ~__mmask32(1),
                                             _mm512_sub_epi16(m_lanes, _mm512_set1_epi16(1)), v);
    }

    // Elements before the pass's start take no part and keep their values;
    // the start itself is written last, with the minimum of all.
    void firstTile(std::int16_t *tile, std::int16_t start, __m512i &carry) const
    {
        const __m512i startPosition = _mm512_set1_epi16(start);
        __m512i laneMin = m_fill;
        for (std::ptrdiff_t d = 0; d < kDepth; ++d) {
            const __m512i position =
                _mm512_add_epi16(m_laneStarts, _mm512_set1_epi16(static_cast<short>(d)));
            const __mmask32 inPass = _mm512_cmpge_epi16_mask(position, startPosition);
            const __m512i x = load(tile, d);
            laneMin = _mm512_mask_min_epi16(laneMin, inPass, laneMin, x);
        }
        __m512i all;
        __m512i before = _mm512_min_epi16(carry, minimumBelowEachLane(laneMin, &all));
        carry = _mm512_min_epi16(carry, all);
        for (std::ptrdiff_t d = 0; d < kDepth; ++d) {
            const __m512i position =
                _mm512_add_epi16(m_laneStarts, _mm512_set1_epi16(static_cast<short>(d)));
            const __mmask32 inPass = _mm512_cmpge_epi16_mask(position, startPosition);
            const __mmask32 afterStart = _mm512_cmpgt_epi16_mask(position, startPosition);
            const __m512i x = load(tile, d);
            _mm512_mask_storeu_epi16(tile + d * kLanes, afterStart, _mm512_max_epi16(x, before));
            before = _mm512_mask_min_epi16(before, inPass, before, x);
        }
    }

    void wholeTile(std::int16_t *tile, __m512i &carry) const
    {
        // Four minimums side by side, so that each need not wait on the
        // one before.
        __m512i min0 = load(tile, 0), min1 = load(tile, 1);
        __m512i min2 = load(tile, 2), min3 = load(tile, 3);
        for (std::ptrdiff_t d = 4; d < kDepth; d += 4) {
            min0 = _mm512_min_epi16(min0, load(tile, d));
            min1 = _mm512_min_epi16(min1, load(tile, d + 1));
            min2 = _mm512_min_epi16(min2, load(tile, d + 2));
            min3 = _mm512_min_epi16(min3, load(tile, d + 3));
        }
        const __m512i laneMin =
            _mm512_min_epi16(_mm512_min_epi16(min0, min1), _mm512_min_epi16(min2, min3));
        __m512i all;
        __m512i before = _mm512_min_epi16(carry, minimumBelowEachLane(laneMin, &all));
        carry = _mm512_min_epi16(carry, all);
#pragma GCC unroll 32
        for (std::ptrdiff_t d = 0; d < kDepth; ++d) {
            const __m512i x = load(tile, d);
            _mm512_store_si512(tile + d * kLanes, _mm512_max_epi16(x, before));
            before = _mm512_min_epi16(before, x);
        }
    }

private:
    static __m512i load(const std::int16_t *tile, std::ptrdiff_t row)
    {
        return _mm512_load_si512(tile + row * kLanes);
    }

    __m512i m_fill;
    __m512i m_lanes;
    __m512i m_laneStarts;
};

} // namespace

void runPassesAvx512(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                     std::ptrdiff_t lastPass)
{
    runPassesTiled<Layout, Avx512Pass>(a, m, firstPass, lastPass);
}

} // namespace plimvar::detail
