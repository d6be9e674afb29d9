#include "element_value.h"

#include <algorithm>
#include <charconv>

namespace plimvar {

namespace {

// A decimal number split the way rounding needs it: the whole part (held
// only up to a cap, since anything past it overflows in any case), the first
// fraction digit, and whether any later fraction digit is not zero. Rounding
// on the digits themselves keeps 2.5000000000000000001 above the half, where
// a double would have lost the last digit.
struct DecimalDigits
{
    static constexpr long long kWholeCap = 1'000'000;

    bool negative = false;
    long long whole = 0;
    int firstFractionDigit = 0;
    bool laterFractionNonZero = false;
    int fractionDigitsSeen = 0;

    void addWholeDigit(int digit) { whole = std::min(whole * 10 + digit, kWholeCap); }

    void addFractionDigit(int digit)
    {
        if (fractionDigitsSeen++ == 0)
            firstFractionDigit = digit;
        else if (digit != 0)
            laterFractionNonZero = true;
    }

    ElementValue rounded() const
    {
        long long magnitude = whole;
        const bool aboveHalf =
            firstFractionDigit > 5 || (firstFractionDigit == 5 && laterFractionNonZero);
        const bool exactHalf = firstFractionDigit == 5 && !laterFractionNonZero;
        if (aboveHalf || (exactHalf && magnitude % 2 == 1))
            ++magnitude;
        return toElementValue(negative ? -magnitude : magnitude);
    }
};

bool isAsciiDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

// Blanks and line breaks: a number pasted from a spreadsheet cell or a
// terminal brings a line break along.
bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

std::u16string_view trimBlanks(std::u16string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// The digits of the strict reading: 0 to 9, or the locale's own. One number
// is written in one kind of digits, so the first digit picks the kind.
class DigitScanner
{
public:
    explicit DigitScanner(const NumberFormat &format)
        : m_zero(format.zeroDigit)
    {
        // A locale that writes 0 to 9 has no digits of its own; nor has one
        // whose digits would run past the last code unit.
        if (m_zero == u"0" || m_zero.empty() || m_zero.back() > 0xFFFF - 9)
            m_zero = {};
    }

    // The value of the digit at the start of text, taking its width off the
    // text; -1 where no digit of the number's kind starts.
    int take(std::u16string_view &text)
    {
        if (m_kind != Kind::Native && !text.empty() && isAsciiDigit(text.front())) {
            m_kind = Kind::Ascii;
            const int value = text.front() - u'0';
            text.remove_prefix(1);
            return value;
        }
        if (m_kind != Kind::Ascii && !m_zero.empty() && text.size() >= m_zero.size() &&
            text.starts_with(m_zero.substr(0, m_zero.size() - 1))) {
            const int value = text[m_zero.size() - 1] - m_zero.back();
            if (value >= 0 && value <= 9) {
                m_kind = Kind::Native;
                text.remove_prefix(m_zero.size());
                return value;
            }
        }
        return -1;
    }

private:
    enum class Kind { Unknown, Ascii, Native };
    std::u16string_view m_zero;
    Kind m_kind = Kind::Unknown;
};

} // namespace

const char *Failure::what() const noexcept
{
    switch (m_kind) {
    case FailureKind::Overflow:
        return "Overflow";
    case FailureKind::Subscript:
        return "Subscript out of range";
    case FailureKind::TypeMismatch:
        return "Type mismatch";
    }
    return "Failure";
}

ElementValue toElementValue(long long value)
{
    if (value < kElementMin || value > kElementMax)
        throw Failure(FailureKind::Overflow);
    return static_cast<ElementValue>(value);
}

ElementValue readNumber(std::u16string_view text, const NumberFormat &format)
{
    text = trimBlanks(text);
    DecimalDigits number;
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        number.negative = text.front() == u'-';
        text.remove_prefix(1);
    }

    DigitScanner digits(format);
    int digitsSeen = 0;
    for (int digit; (digit = digits.take(text)) >= 0; ++digitsSeen)
        number.addWholeDigit(digit);
    const std::u16string_view separator = format.decimalSeparator;
    if (!separator.empty() && text.starts_with(separator)) {
        text.remove_prefix(separator.size());
        for (int digit; (digit = digits.take(text)) >= 0; ++digitsSeen)
            number.addFractionDigit(digit);
    }

    if (digitsSeen == 0 || !text.empty())
        throw Failure(FailureKind::TypeMismatch);
    return number.rounded();
}

ElementValue readCount(std::u16string_view text)
{
    DecimalDigits number;
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && isBlank(text[pos]))
            ++pos;
    };

    skipBlanks();
    if (pos < text.size() && (text[pos] == u'-' || text[pos] == u'+'))
        number.negative = text[pos++] == u'-';

    bool inFraction = false;
    for (skipBlanks(); pos < text.size(); ++pos, skipBlanks()) {
        const char16_t c = text[pos];
        if (isAsciiDigit(c)) {
            if (inFraction)
                number.addFractionDigit(c - u'0');
            else
                number.addWholeDigit(c - u'0');
        } else if (c == u'.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    return number.rounded();
}

std::u16string elementText(ElementValue value)
{
    char buffer[8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::u16string(buffer, result.ptr);
}

} // namespace plimvar
