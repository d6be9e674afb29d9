#pragma once

// What the fuzz targets compare: a reading's value, or the failure it raised.

#include "core/element_value.h"

#include <cstdint>
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

// The fuzzers' bytes as UTF-16 text, one code unit a byte: ASCII stands for
// itself, and the other bytes for the units a reading must tell apart: the
// Arabic-Indic digits and decimal separator, the units either side of them,
// a no-break space, surrogates and the last unit of all.
inline std::u16string textOf(const std::uint8_t *data, std::size_t size)
{
    std::u16string text;
    for (std::size_t k = 0; k < size; ++k) {
        const std::uint8_t b = data[k];
        if (b < 0x80)
            text += static_cast<char16_t>(b);
        else if (b < 0x8A)
            text += static_cast<char16_t>(0x0660 + (b - 0x80));
        else if (b < 0x90)
            text += u"\u066B\u065F\u066A\u00A0\uFFFF\u0030"[b - 0x8A];
        else
            text += static_cast<char16_t>(0xD800 + b);
    }
    return text;
}

[[noreturn]] inline void fail(const char *what, std::u16string_view text, const Outcome &got,
                              const Outcome &expected)
{
    std::fprintf(stderr, "%s: text of %zu units gave %s, expected %s\n", what, text.size(),
                 got.describe().c_str(), expected.describe().c_str());
    std::abort();
}

} // namespace fuzz
