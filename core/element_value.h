#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace plimvar {

// Every number the program handles is 16 bits wide: the elements, the count,
// row numbers, loop counters and indices alike. Nothing here widens silently;
// a result that does not fit is an overflow failure.
using ElementValue = std::int16_t;

inline constexpr ElementValue kElementMin = INT16_MIN;
inline constexpr ElementValue kElementMax = INT16_MAX;

enum class FailureKind { Overflow, Subscript, TypeMismatch };

// The one way a step of the program's logic fails. Nothing in the logic
// catches it: it stops the command that ran the step.
class Failure : public std::exception
{
public:
    explicit Failure(FailureKind kind) noexcept
        : m_kind(kind)
    {
    }
    FailureKind kind() const noexcept { return m_kind; }
    // "Overflow", "Subscript out of range" or "Type mismatch".
    const char *what() const noexcept override;

private:
    FailureKind m_kind;
};

// How the user's locale writes a number, as far as reading one needs it.
// Text is UTF-16 throughout, as both window systems hold it.
struct NumberFormat
{
    std::u16string decimalSeparator = u".";
    // The locale's own digit zero; its digits one to nine follow it in
    // Unicode. "0" where the locale writes 0 to 9.
    std::u16string zeroDigit = u"0";
};

// Reads a number the user typed: optional blanks or line breaks, an optional
// sign, digits (0 to 9, or the locale's own, one kind in one number) with at
// most one decimal separator among them, optional blanks or line breaks, and
// nothing else. A fraction is rounded half to even. Text that is not such a
// number is a type mismatch; a value outside 16 bits, an overflow.
ElementValue readNumber(std::u16string_view text, const NumberFormat &format);

// Reads the count box the forgiving way: the number at the start of the text,
// blanks skipped wherever they stand, "." as the decimal point in every
// locale, 0 where no number starts. Rounds half to even; only a value outside
// 16 bits fails (overflow).
ElementValue readCount(std::u16string_view text);

// The shortest decimal form: "-" for negatives, digits 0 to 9, no blanks, no
// grouping.
std::u16string elementText(ElementValue value);

// Narrows a wider count (a number of list rows, say) to an element value.
ElementValue toElementValue(long long value);

inline ElementValue addTested(ElementValue a, ElementValue b)
{
    return toElementValue(static_cast<long long>(a) + b);
}

inline ElementValue subtractTested(ElementValue a, ElementValue b)
{
    return toElementValue(static_cast<long long>(a) - b);
}

// The counter step of every loop. Stepping past 32767 fails even after the
// loop's last pass, so a loop that ends at 32767 always ends in an overflow.
inline ElementValue stepUp(ElementValue counter)
{
    if (counter == kElementMax)
        throw Failure(FailureKind::Overflow);
    return static_cast<ElementValue>(counter + 1);
}

// for c from first to last: last is taken once, c is tested at every step.
template <typename Body> void countUp(ElementValue first, ElementValue last, Body &&body)
{
    for (ElementValue c = first; c <= last; c = stepUp(c))
        body(c);
}

} // namespace plimvar
