#pragma once

#include "element_value.h"

#include <span>
#include <vector>

namespace plimvar {

// The array a command sorts: a(1) ... a(m), m fixed when it is made and at
// least 1. Every access is bounds-tested; the storage goes with the object,
// so a command that fails half-way leaves nothing behind.
class WorkArray
{
public:
    // A size below 1 cannot be made: subscript failure.
    explicit WorkArray(ElementValue size);

    ElementValue size() const { return static_cast<ElementValue>(m_elements.size()); }

    ElementValue &operator()(ElementValue index) { return m_elements[offsetOf(index)]; }
    ElementValue operator()(ElementValue index) const { return m_elements[offsetOf(index)]; }

    // a(1) ... a(m) in one piece, for code that walks the whole array.
    std::span<ElementValue> elements() { return m_elements; }
    std::span<const ElementValue> elements() const { return m_elements; }

private:
    std::size_t offsetOf(ElementValue index) const;

    std::vector<ElementValue> m_elements;
};

// Whether the exchange sort can finish an array of m elements: at 32767 the
// inner counter of its first pass steps past the largest element value.
bool exchangeSortFinishes(ElementValue m);

// The sort the commands use. It leaves a exactly as the exchange sort does,
// in ascending order, and fails exactly where it fails (after the first pass
// at m = 32767), but takes time linear in m: nothing the user sees depends on
// the order of the exchanges.
void exchangeSort(WorkArray &a);

} // namespace plimvar
