#include "exchange_sort.h"

#include <algorithm>
#include <cstdint>
#include <utility>

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

bool exchangeSortFinishes(ElementValue m)
{
    return m != kElementMax;
}

void exchangeSort(WorkArray &a)
{
    const std::span<ElementValue> elements = a.elements();
    if (!exchangeSortFinishes(a.size())) {
        // The first pass runs to its end before the counter fails: it leaves
        // the smallest element first.
        for (std::size_t j = 1; j < elements.size(); ++j) {
            if (elements[0] > elements[j])
                std::swap(elements[0], elements[j]);
        }
        throw Failure(FailureKind::Overflow);
    }

    // A counting sort: one count per value from the smallest to the
    // largest present, at most 65536 of them, each at most 32766.
    const auto [low, high] = std::minmax_element(elements.begin(), elements.end());
    const int lowest = *low;
    std::vector<std::uint16_t> count(static_cast<std::size_t>(*high - lowest) + 1);
    for (ElementValue value : elements)
        ++count[static_cast<std::size_t>(value - lowest)];
    // The sorted array is a run of equal values per count, in value order.
    ElementValue *next = elements.data();
    for (std::size_t slot = 0; slot < count.size(); ++slot)
        next = std::fill_n(next, count[slot],
                           static_cast<ElementValue>(static_cast<int>(slot) + lowest));
}

} // namespace plimvar
