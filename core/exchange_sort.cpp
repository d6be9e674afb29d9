#include "exchange_sort.h"

#include <algorithm>
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

std::vector<ElementValue> exchangeSort(WorkArray &a)
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

    // A counting sort over the values present: one slot per value from the
    // smallest to the largest, at most 65536 of them.
    const auto [low, high] = std::minmax_element(elements.begin(), elements.end());
    const int lowest = *low;
    std::vector<int> firstPlace(static_cast<std::size_t>(*high - lowest) + 2);
    for (ElementValue value : elements)
        ++firstPlace[static_cast<std::size_t>(value - lowest) + 1];
    for (std::size_t slot = 1; slot < firstPlace.size(); ++slot)
        firstPlace[slot] += firstPlace[slot - 1];

    std::vector<ElementValue> from(elements.size());
    for (std::size_t k = 0; k < elements.size(); ++k) {
        int &place = firstPlace[static_cast<std::size_t>(elements[k] - lowest)];
        from[static_cast<std::size_t>(place++)] = static_cast<ElementValue>(k + 1);
    }
    // The sorted array is a run of equal values per slot, in slot order.
    std::size_t k = 0;
    for (std::size_t slot = 0; slot + 1 < firstPlace.size(); ++slot) {
        const auto value = static_cast<ElementValue>(static_cast<int>(slot) + lowest);
        for (; k < static_cast<std::size_t>(firstPlace[slot]); ++k)
            elements[k] = value;
    }
    return from;
}

} // namespace plimvar
