// Fuzzes the strict reading of typed numbers and list rows. The first byte
// picks the locale's decimal separator; the rest is the text.
#include "outcome.h"

#include <cstdint>

using namespace fuzz;

namespace {

bool allDigits(std::string_view s)
{
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

// The strict reading, written as plainly as it can be: trim, sign, split at
// the separator, digits on both sides, at least one digit.
Outcome simpleStrictReading(std::string_view text, std::string_view separator)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::string_view whole = text, fraction;
    if (const auto at = text.find(separator); at != std::string_view::npos) {
        whole = text.substr(0, at);
        fraction = text.substr(at + separator.size());
    }
    if (!allDigits(whole) || !allDigits(fraction) || whole.size() + fraction.size() == 0)
        return Outcome::of(plimvar::FailureKind::TypeMismatch);
    return roundedByText(negative, whole, fraction);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    constexpr std::string_view separators[] = {".", ",", "\xd9\xab"};
    const std::string_view separator = separators[data[0] % 3];
    const std::string_view text(reinterpret_cast<const char *>(data + 1), size - 1);

    const Outcome got = outcomeOf([&] { return plimvar::readNumber(text, separator); });
    const Outcome expected = simpleStrictReading(text, separator);
    if (got != expected)
        fail("strict reading differs from the simple reader", text, got, expected);

    if (!got.failed) {
        // A value written back reads the same, strictly and leniently.
        const std::string written =
            plimvar::elementText(static_cast<plimvar::ElementValue>(got.value));
        const Outcome again = outcomeOf([&] { return plimvar::readNumber(written, separator); });
        if (again != got)
            fail("element text does not read back", written, again, got);
        const Outcome counted = outcomeOf([&] { return plimvar::readCount(written); });
        if (counted != got)
            fail("element text does not read back as a count", written, counted, got);
    }
    if (separator == "." && got.failure != plimvar::FailureKind::TypeMismatch) {
        // What the strict reading takes as a number, the count reading reads alike.
        const Outcome counted = outcomeOf([&] { return plimvar::readCount(text); });
        if (counted != got)
            fail("count reading differs from the strict reading", text, counted, got);
    }
    return 0;
}
