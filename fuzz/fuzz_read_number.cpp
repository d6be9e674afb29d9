// Fuzzes the strict reading of typed numbers and list rows. The first byte
// picks the locale's number format; the rest is the text.
#include "outcome.h"

using namespace fuzz;

namespace {

// The digits of s as 0 to 9, when every one of them is a digit of the one
// kind (0 to 9, or starting at zero); otherwise nothing.
bool asciiDigits(std::u16string_view s, char16_t kindZero, std::string &out)
{
    for (char16_t c : s) {
        if (c < kindZero || c > kindZero + 9)
            return false;
        out += static_cast<char>('0' + (c - kindZero));
    }
    return true;
}

// The strict reading, written as plainly as it can be: trim, sign, split at
// the separator, digits of one kind on both sides, at least one digit.
Outcome simpleStrictReading(std::u16string_view text, const plimvar::NumberFormat &format)
{
    const auto blank = [](char16_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::u16string_view whole = text, fraction;
    if (const auto at = text.find(format.decimalSeparator); at != std::u16string_view::npos) {
        whole = text.substr(0, at);
        fraction = text.substr(at + format.decimalSeparator.size());
    }
    const char16_t zero = format.zeroDigit[0];
    for (char16_t kind : {u'0', zero}) {
        std::string wholeDigits, fractionDigits;
        if (asciiDigits(whole, kind, wholeDigits) && asciiDigits(fraction, kind, fractionDigits) &&
            wholeDigits.size() + fractionDigits.size() > 0)
            return roundedByText(negative, wholeDigits, fractionDigits);
    }
    return Outcome::of(plimvar::FailureKind::TypeMismatch);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const plimvar::NumberFormat formats[] = {{u".", u"0"}, {u",", u"0"}, {u"\u066B", u"\u0660"}};
    const plimvar::NumberFormat &format = formats[data[0] % 3];
    const std::u16string text = textOf(data + 1, size - 1);

    const Outcome got = outcomeOf([&] { return plimvar::readNumber(text, format); });
    const Outcome expected = simpleStrictReading(text, format);
    if (got != expected)
        fail("strict reading differs from the simple reader", text, got, expected);

    if (!got.failed) {
        // A value written back reads the same, strictly and leniently.
        const std::u16string written =
            plimvar::elementText(static_cast<plimvar::ElementValue>(got.value));
        const Outcome again = outcomeOf([&] { return plimvar::readNumber(written, format); });
        if (again != got)
            fail("element text does not read back", written, again, got);
        const Outcome counted = outcomeOf([&] { return plimvar::readCount(written); });
        if (counted != got)
            fail("element text does not read back as a count", written, counted, got);
    }
    if (format.decimalSeparator == u"." && got.failure != plimvar::FailureKind::TypeMismatch &&
        text.find_first_not_of(u" \t\r\n+-.0123456789") == std::u16string::npos) {
        // What the strict reading takes as a number, the count reading reads alike.
        const Outcome counted = outcomeOf([&] { return plimvar::readCount(text); });
        if (counted != got)
            fail("count reading differs from the strict reading", text, counted, got);
    }
    return 0;
}
