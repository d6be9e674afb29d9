// Built with AVX2 enabled; called only on processors that have it.
#include "exchange_passes.h"
#include "exchange_tiles.h"

#include <immintrin.h>

namespace plimvar::detail {

namespace {

constexpr std::ptrdiff_t kLanes = 16;
constexpr std::ptrdiff_t kDepth = 16;
using Layout = TileLayout<kLanes, kDepth>;

class Avx2Pass
{
public:
    Avx2Pass()
        : m_fill(_mm256_set1_epi16(INT16_MAX))
        , m_laneStarts(_mm256_setr_epi16(0, 16, 32, 48, 64, 80, 96, 112, 128, 144, 160, 176, 192,
                                         208, 224, 240))
    {
    }

    __m256i empty() const { return m_fill; }
    std::int16_t valueOf(__m256i carry) const
    {
        return static_cast<std::int16_t>(_mm256_extract_epi16(carry, 0));
    }

    // Shifts the lanes up by Shift, filling with the largest value.
    template <int Shift> __m256i shiftUp(__m256i v) const
    {
        const __m256i lowIntoHigh = _mm256_permute2x128_si256(v, m_fill, 0x02);
        if constexpr (Shift == 8)
            return lowIntoHigh;
        else
            return _mm256_alignr_epi8(v, lowIntoHigh, 16 - 2 * Shift);
    }

    // For every lane, the minimum over the lanes below it; and in `all`, the
    // minimum over every lane.
    __m256i minimumBelowEachLane(__m256i v, __m256i *all) const
    {
        v = _mm256_min_epi16(v, shiftUp<1>(v));
        v = _mm256_min_epi16(v, shiftUp<2>(v));
        v = _mm256_min_epi16(v, shiftUp<4>(v));
        v = _mm256_min_epi16(v, shiftUp<8>(v));
        *all = _mm256_set1_epi16(static_cast<short>(_mm256_extract_epi16(v, 15)));
        return shiftUp<1>(v);
    }

    // Elements before the pass's start take no part and keep their values;
    // the start itself is written last, with the minimum of all.
    void firstTile(std::int16_t *tile, std::int16_t start, __m256i &carry) const
    {
        const __m256i beforeStart = _mm256_set1_epi16(static_cast<short>(start - 1));
        const __m256i startPosition = _mm256_set1_epi16(start);
        __m256i laneMin = m_fill;
        for (std::ptrdiff_t d = 0; d < kDepth; ++d) {
            const __m256i position =
                _mm256_add_epi16(m_laneStarts, _mm256_set1_epi16(static_cast<short>(d)));
            const __m256i inPass = _mm256_cmpgt_epi16(position, beforeStart);
            const __m256i x = load(tile + d * kLanes);
            laneMin = _mm256_min_epi16(laneMin, _mm256_blendv_epi8(m_fill, x, inPass));
        }
        __m256i all;
        __m256i before = _mm256_min_epi16(carry, minimumBelowEachLane(laneMin, &all));
        carry = _mm256_min_epi16(carry, all);
        for (std::ptrdiff_t d = 0; d < kDepth; ++d) {
            const __m256i position =
                _mm256_add_epi16(m_laneStarts, _mm256_set1_epi16(static_cast<short>(d)));
            const __m256i inPass = _mm256_cmpgt_epi16(position, beforeStart);
            const __m256i afterStart = _mm256_cmpgt_epi16(position, startPosition);
            const __m256i x = load(tile + d * kLanes);
            store(tile + d * kLanes,
                  _mm256_blendv_epi8(x, _mm256_max_epi16(x, before), afterStart));
            before = _mm256_min_epi16(before, _mm256_blendv_epi8(m_fill, x, inPass));
        }
    }

    void wholeTile(std::int16_t *tile, __m256i &carry) const
    {
        // Four minimums side by side, so that each need not wait on the
        // one before.
        __m256i min0 = load(tile), min1 = load(tile + kLanes);
        __m256i min2 = load(tile + 2 * kLanes), min3 = load(tile + 3 * kLanes);
        for (std::ptrdiff_t d = 4; d < kDepth; d += 4) {
            min0 = _mm256_min_epi16(min0, load(tile + d * kLanes));
            min1 = _mm256_min_epi16(min1, load(tile + (d + 1) * kLanes));
            min2 = _mm256_min_epi16(min2, load(tile + (d + 2) * kLanes));
            min3 = _mm256_min_epi16(min3, load(tile + (d + 3) * kLanes));
        }
        const __m256i laneMin =
            _mm256_min_epi16(_mm256_min_epi16(min0, min1), _mm256_min_epi16(min2, min3));
        __m256i all;
        __m256i before = _mm256_min_epi16(carry, minimumBelowEachLane(laneMin, &all));
        carry = _mm256_min_epi16(carry, all);
        for (std::ptrdiff_t d = 0; d < kDepth; ++d) {
            const __m256i x = load(tile + d * kLanes);
            store(tile + d * kLanes, _mm256_max_epi16(x, before));
            before = _mm256_min_epi16(before, x);
        }
    }

    static __m256i load(const std::int16_t *p)
    {
        return _mm256_load_si256(reinterpret_cast<const __m256i *>(p));
    }
    static void store(std::int16_t *p, __m256i v)
    {
        _mm256_store_si256(reinterpret_cast<__m256i *>(p), v);
    }

private:
    __m256i m_fill;
    __m256i m_laneStarts;
};

} // namespace

void runPassesAvx2(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                   std::ptrdiff_t lastPass)
{
    runPassesTiled<Layout, Avx2Pass>(a, m, firstPass, lastPass);
}

} // namespace plimvar::detail
