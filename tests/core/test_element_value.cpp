#include "core/element_value.h"
#include "scripted_window.h"

#include <doctest/doctest.h>

using namespace plimvar;
using testing::utf16;

namespace {

// What a reading gives, as one comparable text: the value, or the failure.
template <typename Reading> std::string outcomeOf(Reading &&reading)
{
    try {
        return std::to_string(reading());
    } catch (const Failure &failure) {
        return failure.what();
    }
}

const std::string overflow = "Overflow";
const std::string mismatch = "Type mismatch";

const NumberFormat point{u".", u"0"};
const NumberFormat comma{u",", u"0"};
// Arabic as written in Egypt: U+066B between the whole part and the
// fraction, and the Arabic-Indic digits U+0660 to U+0669.
const NumberFormat arabic{u"\u066B", u"\u0660"};
// Chakma digits lie beyond the first 65536 code points: two UTF-16 units each.
const NumberFormat chakma{u".", u"\U00011136"};

struct Reading
{
    std::string text; // UTF-8
    const NumberFormat *format;
    std::string outcome;
};

} // namespace

TEST_CASE("the strict reading")
{
    const Reading table[] = {
        {"7", &point, "7"},
        {"  12 \t", &point, "12"},
        {"007", &point, "7"},
        {"+5", &point, "5"},
        {"-0", &point, "0"},
        {"32767", &point, "32767"},
        {"-32768", &point, "-32768"},
        {"32768", &point, overflow},
        {"-32769", &point, overflow},
        {std::string(300, '9'), &point, overflow},
        {std::string(300, '0') + '1', &point, "1"},

        {"1.5", &point, "2"},
        {"2.5", &point, "2"},
        {"3.5", &point, "4"},
        {"-0.5", &point, "0"},
        {"-1.5", &point, "-2"},
        {"-2.5", &point, "-2"},
        {"2.5000000000000000001", &point, "3"},
        {"2.4999999999999999999", &point, "2"},
        {"0.6", &point, "1"},
        {".5", &point, "0"},
        {"5.", &point, "5"},
        {"32767.4", &point, "32767"},
        {"32767.5", &point, overflow},
        {"-32768.5", &point, "-32768"},
        {"-32768.51", &point, overflow},

        {"", &point, mismatch},
        {"   ", &point, mismatch},
        {"abc", &point, mismatch},
        {"4x", &point, mismatch},
        {"-", &point, mismatch},
        {".", &point, mismatch},
        {"1.2.3", &point, mismatch},
        {"1 2", &point, mismatch},
        {"- 5", &point, mismatch},
        {"--5", &point, mismatch},
        {"1,000", &point, mismatch},
        {"$5", &point, mismatch},
        {"0x10", &point, mismatch},
        {"&H10", &point, mismatch},
        {"1e3", &point, mismatch},
        {std::string("5\0", 2), &point, mismatch},
        {"5\xEF\xBF\xBD", &point, mismatch}, // a replacement character after it

        // Line breaks, as pasted from a spreadsheet cell or a terminal, around
        // the number but not inside it.
        {"42\n", &point, "42"},
        {"42\r\n", &point, "42"},
        {"\r\n 42 \n\t", &point, "42"},
        {"4\n2", &point, mismatch},
        {"-\n4", &point, mismatch},
        {"4.\n5", &point, mismatch},
        {"\n", &point, mismatch},

        {"2,5", &comma, "2"},
        {"3,5", &comma, "4"},
        {"2.5", &comma, mismatch},

        // The locale's own digits, one kind in a number; 0 to 9 read too.
        {"2\u066B5", &arabic, "2"},
        {"\u0662\u066B\u0665", &arabic, "2"},
        {"-\u0663\u0662\u0667\u0666\u0668", &arabic, "-32768"},
        {"\u0663\u0662\u0667\u0666\u0668", &arabic, overflow},
        {" \u0660\u0660\u0667\n", &arabic, "7"},
        {"\u0662"
         "5",
         &arabic, mismatch},
        {"2\u0665", &arabic, mismatch},
        {"\u0662\u066B"
         "5",
         &arabic, mismatch},
        {"\u0662.\u0665", &arabic, mismatch},
        {"\u0662", &point, mismatch},
        {"\u066A", &arabic, mismatch}, // the Arabic percent sign, just below the digits
        {"\U00011137\U00011138", &chakma, "12"},
        {"\U00011137"
         "2",
         &chakma, mismatch},
    };
    for (const Reading &row : table) {
        CAPTURE(row.text);
        CHECK(outcomeOf([&] { return readNumber(utf16(row.text), *row.format); }) == row.outcome);
    }
}

TEST_CASE("the lenient count reading")
{
    const std::pair<std::string, std::string> table[] = {
        {"", "0"},
        {"3", "3"},
        {"12abc", "12"},
        {"abc", "0"},
        {"2.5", "2"},
        {"3.5", "4"},
        {"-0.5", "0"},
        {"2.5000000000000000001", "3"},
        {"1.5.5", "2"},
        {"1,5", "1"},
        {" \t1 2\n3 ", "123"},
        {"- 3", "-3"},
        {"+7", "7"},
        {"-", "0"},
        {".", "0"},
        {"1e3", "1"},
        {"-32768", "-32768"},
        {"-32768.5", "-32768"},
        {"32767.5", overflow},
        {"32768", overflow},
        {"-99999", overflow},
        {std::string(1 << 20, '7'), overflow},
        {std::string(1 << 20, '0') + '5', "5"},
        {"\x01\x02"
         "9",
         "0"},
        {"9\xEF\xBF\xBD", "9"},
        {std::string("4\0"
                     "2",
                     3),
         "4"},
        {"\u0662", "0"},
    };
    // Named, not bound: the browser build's compiler lets no lambda see a
    // structured binding.
    for (const auto &row : table) {
        const std::string &text = row.first;
        CAPTURE(text);
        CHECK(outcomeOf([&] { return readCount(utf16(text)); }) == row.second);
    }
}

TEST_CASE("element texts")
{
    const std::pair<int, std::u16string> table[] = {
        {0, u"0"},         {7, u"7"},         {-15, u"-15"},
        {10000, u"10000"}, {32767, u"32767"}, {-32768, u"-32768"},
    };
    for (const auto &[value, text] : table)
        CHECK(elementText(static_cast<ElementValue>(value)) == text);
}

TEST_CASE("every value survives the round trip through its text")
{
    for (int v = kElementMin; v <= kElementMax; ++v) {
        const auto value = static_cast<ElementValue>(v);
        const std::u16string text = elementText(value);
        if (readNumber(text, comma) != value || readNumber(text, arabic) != value ||
            readCount(text) != value)
            FAIL(v << " does not read back");
    }
}

TEST_CASE("counting loops")
{
    struct Loop
    {
        int first, last, passes;
        bool overflows;
    };
    const Loop table[] = {
        {1, 0, 0, false},           {5, -5, 0, false},       {1, 3, 3, false},
        {-32768, -32768, 1, false}, {-1, 1, 3, false},       {32765, 32766, 2, false},
        {32765, 32767, 3, true},    {1, 32767, 32767, true}, {32767, 32767, 1, true},
    };
    for (const Loop &loop : table) {
        CAPTURE(loop.first);
        CAPTURE(loop.last);
        int passesRun = 0;
        int expectedCounter = loop.first;
        bool overflowed = false;
        try {
            countUp(static_cast<ElementValue>(loop.first), static_cast<ElementValue>(loop.last),
                    [&](ElementValue c) {
                        CHECK(c == expectedCounter);
                        ++expectedCounter;
                        ++passesRun;
                    });
        } catch (const Failure &failure) {
            CHECK(failure.kind() == FailureKind::Overflow);
            overflowed = true;
        }
        CHECK(passesRun == loop.passes);
        CHECK(overflowed == loop.overflows);
    }
}

TEST_CASE("tested arithmetic")
{
    struct Sum
    {
        int a, b;
        std::string sum, difference;
    };
    const Sum table[] = {
        {3, 1, "4", "2"},
        {32766, 1, "32767", "32765"},
        {32767, 1, overflow, "32766"},
        {-32768, 1, "-32767", overflow},
        {-32768, -1, overflow, "-32767"},
        {0, -32768, "-32768", overflow},
    };
    for (const Sum &row : table) {
        const auto x = static_cast<ElementValue>(row.a);
        const auto y = static_cast<ElementValue>(row.b);
        CAPTURE(row.a);
        CAPTURE(row.b);
        CHECK(outcomeOf([&] { return addTested(x, y); }) == row.sum);
        CHECK(outcomeOf([&] { return subtractTested(x, y); }) == row.difference);
    }
}
