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

// Watches the reference sort; the defaults cost nothing.
struct NoSortObserver
{
    void compared(ElementValue, ElementValue) {}
    void exchanged(ElementValue, ElementValue) {}
    void passEnded(ElementValue) {}
};

// The exchange sort as it is defined: for every pair i < j, in order, a(i)
// and a(j) change places when a(i) > a(j). After pass i, a(i) holds the
// smallest of a(i) ... a(m). No pass ends early, so every input of size m
// costs m(m - 1)/2 comparisons. With m = 32767 the inner counter of the first
// pass overflows after its last comparison.
template <typename Observer> void exchangeSortReference(WorkArray &a, Observer &&observer)
{
    const ElementValue m = a.size();
    const ElementValue lastPass = subtractTested(m, 1);
    countUp(1, lastPass, [&](ElementValue i) {
        countUp(addTested(i, 1), m, [&](ElementValue j) {
            observer.compared(i, j);
            if (a(i) > a(j)) {
                const ElementValue kept = a(i);
                a(i) = a(j);
                a(j) = kept;
                observer.exchanged(i, j);
            }
        });
        observer.passEnded(i);
    });
}

inline void exchangeSortReference(WorkArray &a)
{
    exchangeSortReference(a, NoSortObserver{});
}

// Whether the exchange sort can finish an array of m elements: at 32767 the
// inner counter of its first pass steps past the largest element value.
bool exchangeSortFinishes(ElementValue m);

// The sort the commands use. It leaves a exactly as the exchange sort does,
// in ascending order, and fails exactly where it fails (after the first pass
// at m = 32767), but takes time linear in m: nothing the user sees depends on
// the order of the exchanges.
void exchangeSort(WorkArray &a);

} // namespace plimvar
