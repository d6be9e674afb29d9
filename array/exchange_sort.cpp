#include "exchange_sort.h"

#include "exchange_pass.h"

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

detail::PassFunction passFunctionOf(SortPath path)
{
#if defined(PLIMVAR_HAVE_X86_PATHS)
    switch (path) {
    case SortPath::Avx512:
        return detail::exchangePassAvx512;
    case SortPath::Avx2:
        return detail::exchangePassAvx2;
    case SortPath::Scalar:
        break;
    }
#else
    (void)path;
#endif
    return detail::exchangePassScalar;
}

} // namespace

namespace detail {

void exchangePassScalar(std::int16_t *first, std::ptrdiff_t count)
{
    finishPassScalar(first, 1, count, first[0]);
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
    const detail::PassFunction pass = passFunctionOf(path);
    const ElementValue m = a.size();
    ElementValue *elements = a.elements().data();
    countUp(1, subtractTested(m, 1), [&](ElementValue i) {
        pass(elements + (i - 1), m - i + 1);
        // The pass stands for the inner loop j = i + 1 ... m, whose counter
        // steps past m after the last comparison: past 32767, that fails.
        stepUp(m);
        if (afterPass)
            afterPass(i);
    });
}

void exchangeSort(WorkArray &a)
{
    exchangeSort(a, fastestSortPath());
}

} // namespace plimvar
