// Fuzzes the lenient reading of the count box with any text at all.
#include "outcome.h"

using namespace fuzz;

namespace {

// The count reading written plainly: drop every blank, then take a sign,
// digits, a point and digits for as long as they last.
Outcome simpleCountReading(std::u16string_view text)
{
    std::string kept;
    for (char16_t c : text) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\r')
            kept += c < 0x80 ? static_cast<char>(c) : '?';
    }
    std::string_view rest = kept;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    const auto digits = [](std::string_view s) {
        std::size_t n = 0;
        while (n < s.size() && s[n] >= '0' && s[n] <= '9')
            ++n;
        return n;
    };
    const std::string_view whole = rest.substr(0, digits(rest));
    rest.remove_prefix(whole.size());
    std::string_view fraction;
    if (!rest.empty() && rest.front() == '.') {
        rest.remove_prefix(1);
        fraction = rest.substr(0, digits(rest));
    }
    return roundedByText(negative, whole, fraction);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::u16string text = textOf(data, size);

    const Outcome got = outcomeOf([&] { return plimvar::readCount(text); });
    if (got.failed && got.failure != plimvar::FailureKind::Overflow)
        fail("the count reading failed other than by overflow", text, got, Outcome::of(0));
    const Outcome expected = simpleCountReading(text);
    if (got != expected)
        fail("count reading differs from the simple reader", text, got, expected);

    if (!got.failed) {
        const std::u16string written =
            plimvar::elementText(static_cast<plimvar::ElementValue>(got.value));
        const Outcome again = outcomeOf([&] { return plimvar::readCount(written); });
        if (again != got)
            fail("element text does not read back", written, again, got);
    }
    return 0;
}
