#include "exchange_sort.h"

#include "exchange_passes.h"

namespace plimvar {

WorkArray::WorkArray(ElementValue size)
{
    if (size < 1)
        throw Failure(FailureKind::Subscript);
    m_elements.resize(static_cast<std::size_t>(size));
}

std::size_t WorkArray::offsetOf(ElementValue index) const
{
    if (index < 1 || index > size())
        throw Failure(FailureKind::Subscript);
    return static_cast<std::size_t>(index - 1);
}

namespace {

detail::PassesFunction passesFunctionOf(SortPath path)
{
#if defined(PLIMVAR_HAVE_X86_PATHS)
    switch (path) {
    case SortPath::Avx512:
        return detail::runPassesAvx512;
    case SortPath::Avx2:
        return detail::runPassesAvx2;
    case SortPath::Scalar:
        break;
    }
#else
    (void)path;
#endif
    return detail::runPassesScalar;
}

} // namespace

namespace detail {

namespace {

// One pass over first[0] ... first[count - 1], with the running minimum in a
// register and no branch on the data.
void passScalar(std::int16_t *first, std::ptrdiff_t count)
{
    std::int16_t runningMin = first[0];
    for (std::ptrdiff_t k = 1; k < count; ++k) {
        const std::int16_t value = first[k];
        first[k] = value > runningMin ? value : runningMin;
        runningMin = value < runningMin ? value : runningMin;
    }
    first[0] = runningMin;
}

} // namespace

void runPassesScalar(std::int16_t *a, std::ptrdiff_t m, std::ptrdiff_t firstPass,
                     std::ptrdiff_t lastPass)
{
    for (std::ptrdiff_t i = firstPass; i <= lastPass; ++i)
        passScalar(a + (i - 1), m - (i - 1));
}

} // namespace detail

std::string_view nameOf(SortPath path)
{
    switch (path) {
    case SortPath::Scalar:
        return "scalar";
    case SortPath::Avx2:
        return "avx2";
    case SortPath::Avx512:
        return "avx512";
    }
    return "unknown";
}

bool isSupported(SortPath path)
{
    switch (path) {
    case SortPath::Scalar:
        return true;
#if defined(PLIMVAR_HAVE_X86_PATHS)
    case SortPath::Avx2:
        return __builtin_cpu_supports("avx2");
    case SortPath::Avx512:
        return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#else
    case SortPath::Avx2:
    case SortPath::Avx512:
        return false;
#endif
    }
    return false;
}

SortPath fastestSortPath()
{
    static const SortPath fastest = [] {
        for (SortPath path : {SortPath::Avx512, SortPath::Avx2}) {
            if (isSupported(path))
                return path;
        }
        return SortPath::Scalar;
    }();
    return fastest;
}

void exchangeSort(WorkArray &a, SortPath path, const std::function<void(ElementValue)> &afterPass)
{
    if (!isSupported(path))
        path = SortPath::Scalar;
    const detail::PassesFunction runPasses = passesFunctionOf(path);
    const ElementValue m = a.size();
    ElementValue *elements = a.elements().data();
    const ElementValue lastPass = subtractTested(m, 1);

    // The inner loop of pass i counts j from i + 1 to m, and its counter
    // steps past m after the last comparison. With m = 32767 that step
    // overflows at the end of the first pass.
    const bool innerCounterOverflows = m == kElementMax;
    if (!afterPass && !innerCounterOverflows) {
        if (lastPass >= 1)
            runPasses(elements, m, 1, lastPass);
        return;
    }
    countUp(1, lastPass, [&](ElementValue i) {
        runPasses(elements, m, i, i);
        stepUp(m);
        if (afterPass)
            afterPass(i);
    });
}

void exchangeSort(WorkArray &a)
{
    // Below a few hundred elements, laying the array out in tiles costs more
    // than the scalar passes it would save.
    constexpr ElementValue kSmallArray = 256;
    exchangeSort(a, a.size() < kSmallArray ? SortPath::Scalar : fastestSortPath());
}

} // namespace plimvar
