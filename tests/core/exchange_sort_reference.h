#pragma once

// The exchange sort written out step by step, for the tests and the fuzzer
// to hold the program's own sort against.

#include "core/exchange_sort.h"

namespace testing {

using plimvar::ElementValue;

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
template <typename Observer> void exchangeSortReference(plimvar::WorkArray &a, Observer &&observer)
{
    const ElementValue m = a.size();
    const ElementValue lastPass = plimvar::subtractTested(m, 1);
    plimvar::countUp(1, lastPass, [&](ElementValue i) {
        plimvar::countUp(plimvar::addTested(i, 1), m, [&](ElementValue j) {
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

inline void exchangeSortReference(plimvar::WorkArray &a)
{
    exchangeSortReference(a, NoSortObserver{});
}

} // namespace testing
