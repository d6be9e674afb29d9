#pragma once

// One pass of the exchange sort over a(i) ... a(m), given as first[0] ...
// first[count - 1] with first[0] = a(i).
//
// The pass compares a(i) with each later a(j) in turn and exchanges them when
// a(i) is larger. So a(i) carries the running minimum along, and each a(j)
// ends up as the larger of itself and the minimum of everything before it in
// the pass:
//     a(j) := max(a(j), min(a(i) ... a(j - 1)))   (values before the pass)
//     a(i) := min(a(i) ... a(m))
// That is a prefix-minimum scan, which vectorises; the scalar loop below is
// the same scan one element at a time.

#include <cstddef>
#include <cstdint>

namespace plimvar::detail {

using PassFunction = void (*)(std::int16_t *first, std::ptrdiff_t count);

void exchangePassScalar(std::int16_t *first, std::ptrdiff_t count);
#if defined(PLIMVAR_HAVE_X86_PATHS)
void exchangePassAvx2(std::int16_t *first, std::ptrdiff_t count);
void exchangePassAvx512(std::int16_t *first, std::ptrdiff_t count);
#endif

// Finishes a pass from first[from] on, with runningMin the minimum of the
// values before the pass of first[0] ... first[from - 1].
inline void finishPassScalar(std::int16_t *first, std::ptrdiff_t from, std::ptrdiff_t count,
                             std::int16_t runningMin)
{
    for (std::ptrdiff_t k = from; k < count; ++k) {
        const std::int16_t value = first[k];
        first[k] = value > runningMin ? value : runningMin;
        runningMin = value < runningMin ? value : runningMin;
    }
    first[0] = runningMin;
}

} // namespace plimvar::detail
