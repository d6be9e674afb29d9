#pragma once

// What the fuzz targets compare: a reading's value, or the failure it raised.

#include "array/element_value.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace fuzz {

struct Outcome
{
    bool failed = false;
    plimvar::FailureKind failure = plimvar::FailureKind::Overflow;
    int value = 0;

    friend bool operator==(const Outcome &, const Outcome &) = default;

    static Outcome of(int value) { return {false, plimvar::FailureKind::Overflow, value}; }
    static Outcome of(plimvar::FailureKind kind) { return {true, kind, 0}; }

    std::string describe() const
    {
        if (!failed)
            return std::to_string(value);
        return plimvar::Failure(failure).what();
    }
};

template <typename Reading> Outcome outcomeOf(Reading &&reading)
{
    try {
        return Outcome::of(reading());
    } catch (const plimvar::Failure &failure) {
        return Outcome::of(failure.kind());
    }
}

// A digit string and its fraction, rounded half to even, by comparing texts:
// a different way from the library's, so that the two check each other.
inline Outcome roundedByText(bool negative, std::string_view whole, std::string_view fraction)
{
    while (!whole.empty() && whole.front() == '0')
        whole.remove_prefix(1);
    while (!fraction.empty() && fraction.back() == '0')
        fraction.remove_suffix(1);
    if (whole.size() > 6)
        return Outcome::of(plimvar::FailureKind::Overflow);
    long magnitude = whole.empty() ? 0 : std::stol(std::string(whole));
    const int againstHalf = fraction.compare("5");
    if (againstHalf > 0 || (againstHalf == 0 && magnitude % 2 == 1))
        ++magnitude;
    const long value = negative ? -magnitude : magnitude;
    if (value < -32768 || value > 32767)
        return Outcome::of(plimvar::FailureKind::Overflow);
    return Outcome::of(static_cast<int>(value));
}

[[noreturn]] inline void fail(const char *what, std::string_view text, const Outcome &got,
                              const Outcome &expected)
{
    std::fprintf(stderr, "%s: text of %zu bytes gave %s, expected %s\n", what, text.size(),
                 got.describe().c_str(), expected.describe().c_str());
    std::abort();
}

} // namespace fuzz
