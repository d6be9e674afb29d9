#pragma once

// The tiled layout the vector paths sort in. Included by one file per
// instruction set; everything here has internal linkage, so that code built
// for one instruction set is never shared with another.
//
// A pass is a prefix-minimum scan along the array, which in its natural order
// needs shuffles across vector lanes for every block. The vector paths work on
// a copy in tiles of Lanes x Depth elements instead: lane l of a tile holds
// Depth consecutive elements, and vector t of the tile holds element t of
// every lane. A pass then takes two sweeps over a tile: the first finds each
// lane's minimum with plain vertical minimums; one in-register scan per tile
// turns those into the minimum before each lane; the second sweep carries
// that minimum down every lane at once. Only the scan shuffles, once per
// Lanes x Depth elements.
//
// Past the last element the tiles are filled with the largest value, which
// no minimum takes and no maximum changes, so every tile is whole.
//
// The array (up to 64 KiB) does not fit the first-level cache, so a pass
// that swept it alone would wait on memory. Passes therefore run in groups:
// each tile in turn takes every pass of the group while it is in the cache.
// That keeps the order of the sequential passes, because pass i + 1 reads a
// tile only after pass i is done with it and with every tile before it, and
// never reads a(i), which pass i writes last. Within a group, pass i + 1
// works one tile behind pass i, so the passes' work at each step is
// independent and the processor can overlap it.

#include <cstddef>
#include <cstdint>
#include <new>

namespace plimvar::detail {
namespace {

template <std::ptrdiff_t Lanes, std::ptrdiff_t Depth> struct TileLayout
{
    static constexpr std::ptrdiff_t kTile = Lanes * Depth;

    static std::ptrdiff_t slotOf(std::ptrdiff_t p)
    {
        const std::ptrdiff_t q = p % kTile;
        return p - q + (q % Depth) * Lanes + q / Depth;
    }
};

// A tiled copy of a[0] ... a[m - 1], written back when it goes.
template <typename Layout> class TiledCopy
{
public:
    TiledCopy(std::int16_t *a, std::ptrdiff_t m)
        : m_a(a)
        , m_m(m)
        , m_tiles((m + Layout::kTile - 1) / Layout::kTile)
        , m_slots(static_cast<std::int16_t *>(::operator new(
              static_cast<std::size_t>(m_tiles *Layout::kTile) * sizeof(std::int16_t),
              std::align_val_t(64))))
    {
        for (std::ptrdiff_t p = 0; p < m_tiles * Layout::kTile; ++p)
            m_slots[Layout::slotOf(p)] = p < m ? a[p] : INT16_MAX;
    }

    ~TiledCopy()
    {
        for (std::ptrdiff_t p = 0; p < m_m; ++p)
            m_a[p] = m_slots[Layout::slotOf(p)];
        ::operator delete(m_slots, std::align_val_t(64));
    }

    TiledCopy(const TiledCopy &) = delete;
    TiledCopy &operator=(const TiledCopy &) = delete;

    std::ptrdiff_t tiles() const { return m_tiles; }
    std::int16_t *tile(std::ptrdiff_t t) { return m_slots + t * Layout::kTile; }
    std::int16_t &at(std::ptrdiff_t p) { return m_slots[Layout::slotOf(p)]; }

private:
    std::int16_t *m_a;
    std::ptrdiff_t m_m;
    std::ptrdiff_t m_tiles;
    std::int16_t *m_slots;
};

// Runs passes firstPass ... lastPass over a[0] ... a[m - 1] with a pass
// kernel that provides:
//     Carry empty() const;                         nothing seen yet
//     void firstTile(int16_t *tile, int16_t start, Carry &) const;
//     void wholeTile(int16_t *tile, Carry &) const;
//     int16_t valueOf(Carry) const;                the minimum carried
template <typename Layout, typename Kernel>
void runPassesTiled(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                    std::ptrdiff_t lastPass)
{
    constexpr std::ptrdiff_t kGroup = 8;
    TiledCopy<Layout> copy(a, m);
    const Kernel kernel;
    for (std::ptrdiff_t group = firstPass; group <= lastPass; group += kGroup) {
        const std::ptrdiff_t passes = lastPass - group + 1 < kGroup ? lastPass - group + 1 : kGroup;
        decltype(kernel.empty()) carry[kGroup];
        for (std::ptrdiff_t q = 0; q < passes; ++q)
            carry[q] = kernel.empty();
        // Pass i starts at element i - 1. The passes of a group move down
        // the tiles one behind the other, so that the tiles they work on at
        // one step differ and their work can overlap.
        const std::ptrdiff_t firstTile = (group - 1) / Layout::kTile;
        for (std::ptrdiff_t step = firstTile; step < copy.tiles() + passes - 1; ++step) {
            for (std::ptrdiff_t q = 0; q < passes; ++q) {
                const std::ptrdiff_t t = step - q;
                const std::ptrdiff_t start = group + q - 1;
                const std::ptrdiff_t startTile = start / Layout::kTile;
                if (t == startTile)
                    kernel.firstTile(copy.tile(t), static_cast<std::int16_t>(start % Layout::kTile),
                                     carry[q]);
                else if (t > startTile && t < copy.tiles())
                    kernel.wholeTile(copy.tile(t), carry[q]);
            }
        }
        for (std::ptrdiff_t q = 0; q < passes; ++q)
            copy.at(group + q - 1) = kernel.valueOf(carry[q]);
    }
}

} // namespace
} // namespace plimvar::detail
