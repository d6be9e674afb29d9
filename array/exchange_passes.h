#pragma once

// The passes of the exchange sort, computed along one path.
//
// Pass i compares a(i) with each later a(j) in turn and exchanges them when
// a(i) is larger. So a(i) carries the running minimum along, and each a(j)
// ends up as the larger of itself and the minimum of everything before it in
// the pass. With b the values before the pass:
//     a(j) := max(b(j), min(b(i) ... b(j - 1)))   for j > i
//     a(i) := min(b(i) ... b(m))
// That is a prefix-minimum scan, which vectorises.

#include <cstddef>
#include <cstdint>

namespace plimvar::detail {

// Runs passes firstPass ... lastPass (numbered from 1) over a[0] ... a[m - 1].
using PassesFunction = void (*)(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                                std::ptrdiff_t lastPass);

void runPassesScalar(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                     std::ptrdiff_t lastPass);
#if defined(PLIMVAR_HAVE_X86_PATHS)
void runPassesAvx2(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                   std::ptrdiff_t lastPass);
void runPassesAvx512(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                     std::ptrdiff_t lastPass);
#endif

} // namespace plimvar::detail
