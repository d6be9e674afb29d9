#include "element_value.h"

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

    void addWholeDigit(char digit) { whole = std::min(whole * 10 + (digit - '0'), kWholeCap); }

    void addFractionDigit(char digit)
    {
        if (fractionDigitsSeen++ == 0)
            firstFractionDigit = digit - '0';
        else if (digit != '0')
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

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// The count reading skips line breaks too, as the platform's reading did.
bool isCountBlank(char c)
{
    return isBlank(c) || c == '\n' || c == '\r';
}

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

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

ElementValue readNumber(std::string_view text, std::string_view decimalSeparator)
{
    text = trimBlanks(text);
    DecimalDigits number;
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        number.negative = text[pos++] == '-';

    int digits = 0;
    for (; pos < text.size() && isDigit(text[pos]); ++pos, ++digits)
        number.addWholeDigit(text[pos]);
    if (!decimalSeparator.empty() && text.substr(pos).starts_with(decimalSeparator)) {
        pos += decimalSeparator.size();
        for (; pos < text.size() && isDigit(text[pos]); ++pos, ++digits)
            number.addFractionDigit(text[pos]);
    }

    if (digits == 0 || pos != text.size())
        throw Failure(FailureKind::TypeMismatch);
    return number.rounded();
}

ElementValue readCount(std::string_view text)
{
    DecimalDigits number;
    std::size_t pos = 0;
    auto skipBlanks = [&] {
        while (pos < text.size() && isCountBlank(text[pos]))
            ++pos;
    };

    skipBlanks();
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+'))
        number.negative = text[pos++] == '-';

    bool inFraction = false;
    for (skipBlanks(); pos < text.size(); ++pos, skipBlanks()) {
        const char c = text[pos];
        if (isDigit(c)) {
            if (inFraction)
                number.addFractionDigit(c);
            else
                number.addWholeDigit(c);
        } else if (c == '.' && !inFraction) {
            inFraction = true;
        } else {
            break;
        }
    }
    return number.rounded();
}

std::string elementText(ElementValue value)
{
    char buffer[8];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

} // namespace plimvar
