#include "core/commands.h"
#include "exchange_sort_reference.h"
#include "scripted_window.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <optional>
#include <random>

using namespace plimvar;
using namespace testing;
using layout::Command;

// Values in failure messages, as a short list.
template <> struct doctest::StringMaker<Values>
{
    static doctest::String convert(const Values &values)
    {
        std::string text = "{";
        for (std::size_t k = 0; k < values.size() && k < 12; ++k)
            text += (k ? ", " : "") + std::to_string(values[k]);
        text += values.size() > 12 ? ", ... " + std::to_string(values.size()) + " rows}" : "}";
        return text.c_str();
    }
};

namespace {

constexpr Command enter = Command::EnterArray;
constexpr Command sort = Command::SortArray;
constexpr Command insert = Command::InsertNumber;
constexpr Command end = Command::End;

const std::string overflow = "Overflow";
const std::string subscript = "Subscript out of range";
const std::string mismatch = "Type mismatch";

Values numbers(int first, int last)
{
    Values values;
    for (int v = first; v <= last; ++v)
        values.push_back(static_cast<ElementValue>(v));
    return values;
}

// The window before, the presses with the answers they take, and what the
// user is then told and the window holds; what is not named stays as it was.
struct Case
{
    const char *name = "";
    std::string count = {};
    Values original = {}, sorted = {};
    std::vector<Command> presses = {};
    std::vector<std::string> answers = {};
    std::vector<std::string> reports = {};
    std::optional<std::string> countAfter = {};
    std::optional<Values> originalAfter = {}, sortedAfter = {};
    bool closed = false;
};

std::vector<Case> cases()
{
    const Values old{8, 9};
    const Values oneFiveNine{1, 5, 9};
    std::vector<std::string> ones32767{"32767"};
    ones32767.resize(32768, "1");

    return {
        // Entering an array.
        {.name = "enter 5 -2 5",
         .presses = {enter},
         .answers = {"3", "5", "-2", "5"},
         .countAfter = "3",
         .originalAfter = Values{5, -2, 5}},
        {.name = "enter replaces the entered array",
         .count = "2",
         .original = old,
         .sorted = old,
         .presses = {enter},
         .answers = {"1", "7"},
         .countAfter = "1",
         .originalAfter = Values{7}},
        {.name = "enter stores normal forms",
         .presses = {enter},
         .answers = {"4", " 007 ", "2.5", "-0.5", "+3"},
         .countAfter = "4",
         .originalAfter = Values{7, 2, 0, 3}},
        {.name = "enter takes a pasted line break",
         .presses = {enter},
         .answers = {"1\r\n", "\n42\n"},
         .countAfter = "1",
         .originalAfter = Values{42}},
        {.name = "enter 0 asks nothing more",
         .count = "2",
         .original = old,
         .presses = {enter},
         .answers = {"0"},
         .countAfter = "0",
         .originalAfter = Values{}},
        {.name = "enter -3 asks nothing more",
         .presses = {enter},
         .answers = {"-3"},
         .countAfter = "-3"},
        {.name = "enter, count cancelled",
         .count = "2",
         .original = old,
         .presses = {enter},
         .answers = {""},
         .reports = {mismatch}},
        {.name = "enter, count abc",
         .count = "2",
         .original = old,
         .presses = {enter},
         .answers = {"abc"},
         .reports = {mismatch}},
        {.name = "enter, count 32768",
         .count = "2",
         .original = old,
         .presses = {enter},
         .answers = {"32768"},
         .reports = {overflow}},
        {.name = "enter, second element cancelled keeps the first",
         .count = "2",
         .original = old,
         .sorted = old,
         .presses = {enter},
         .answers = {"3", "5", ""},
         .reports = {mismatch},
         .countAfter = "3",
         .originalAfter = Values{5}},
        {.name = "enter, element 12abc",
         .presses = {enter},
         .answers = {"2", "12abc"},
         .reports = {mismatch},
         .countAfter = "2"},
        {.name = "enter, element -32769",
         .presses = {enter},
         .answers = {"2", "-32769"},
         .reports = {overflow},
         .countAfter = "2"},
        {.name = "enter 32767 appends every row, then its counter overflows",
         .presses = {enter},
         .answers = ones32767,
         .reports = {overflow},
         .countAfter = "32767",
         .originalAfter = Values(32767, 1)},

        // Sorting.
        {.name = "sort 2 2 1 keeps duplicates",
         .count = "3",
         .original = {2, 2, 1},
         .presses = {sort},
         .sortedAfter = Values{1, 2, 2}},
        {.name = "sort 32767 -32768 0",
         .count = "3",
         .original = {32767, -32768, 0},
         .presses = {sort},
         .sortedAfter = Values{-32768, 0, 32767}},
        {.name = "sort twice gives the same rows",
         .count = "2",
         .original = {5, 1},
         .presses = {sort, sort},
         .sortedAfter = Values{1, 5}},
        {.name = "sort takes only the first n rows",
         .count = "2",
         .original = {9, 4, 1},
         .presses = {sort},
         .sortedAfter = Values{4, 9}},
        {.name = "sort reads the count box leniently",
         .count = "2.5 rows",
         .original = {9, 4, 1},
         .presses = {sort},
         .sortedAfter = Values{4, 9}},
        {.name = "sort after insert drops the inserted number",
         .count = "2",
         .original = {5, 1},
         .presses = {sort, insert, sort},
         .answers = {"3"},
         .sortedAfter = Values{1, 5}},
        {.name = "sort, empty count box",
         .original = old,
         .sorted = old,
         .presses = {sort},
         .reports = {subscript}},
        {.name = "sort, count -2",
         .count = "-2",
         .original = old,
         .sorted = old,
         .presses = {sort},
         .reports = {subscript}},
        {.name = "sort, count 40000",
         .count = "40000",
         .original = old,
         .sorted = old,
         .presses = {sort},
         .reports = {overflow}},
        {.name = "sort, fewer rows than n",
         .count = "3",
         .original = old,
         .sorted = oneFiveNine,
         .presses = {sort},
         .reports = {mismatch}},
        {.name = "sort, n = 32767",
         .count = "32767",
         .original = numbers(1, 32767),
         .sorted = old,
         .presses = {sort},
         .reports = {overflow}},
        {.name = "sort, n = 32766",
         .count = "32766",
         .original = numbers(-32766, -1),
         .presses = {sort},
         .sortedAfter = numbers(-32766, -1)},

        // Inserting.
        {.name = "insert 4 into 1 5 9",
         .count = "3",
         .sorted = oneFiveNine,
         .presses = {insert},
         .answers = {"4"},
         .sortedAfter = Values{1, 4, 5, 9}},
        {.name = "insert 5 into 1 5 9",
         .count = "3",
         .sorted = oneFiveNine,
         .presses = {insert},
         .answers = {"5"},
         .sortedAfter = Values{1, 5, 5, 9}},
        {.name = "insert below the smallest",
         .sorted = oneFiveNine,
         .presses = {insert},
         .answers = {"-32768"},
         .sortedAfter = Values{-32768, 1, 5, 9}},
        {.name = "insert above the largest",
         .sorted = oneFiveNine,
         .presses = {insert},
         .answers = {"32767"},
         .sortedAfter = Values{1, 5, 9, 32767}},
        {.name = "insert twice keeps every row",
         .count = "3",
         .sorted = oneFiveNine,
         .presses = {insert, insert},
         .answers = {"4", "2"},
         .sortedAfter = Values{1, 2, 4, 5, 9}},
        {.name = "insert into an empty sorted list",
         .original = old,
         .presses = {insert},
         .answers = {"6"},
         .sortedAfter = Values{6}},
        {.name = "insert ignores the count box",
         .count = "junk",
         .sorted = oneFiveNine,
         .presses = {insert},
         .answers = {"0"},
         .sortedAfter = Values{0, 1, 5, 9}},
        {.name = "insert, cancelled",
         .count = "3",
         .sorted = oneFiveNine,
         .presses = {insert},
         .answers = {""},
         .reports = {mismatch}},
        {.name = "insert, 32768",
         .count = "3",
         .sorted = oneFiveNine,
         .presses = {insert},
         .answers = {"32768"},
         .reports = {overflow}},
        {.name = "insert into 32766 rows",
         .sorted = numbers(1, 32766),
         .presses = {insert},
         .answers = {"0"},
         .reports = {overflow}},
        {.name = "insert into 32765 rows",
         .sorted = numbers(2, 32766),
         .presses = {insert},
         .answers = {"1"},
         .sortedAfter = numbers(1, 32766)},

        // A failure leaves the window working; Kraj closes it.
        {.name = "a failed sort, then an entry and a sort",
         .presses = {sort, enter, sort},
         .answers = {"2", "9", "3"},
         .reports = {subscript},
         .countAfter = "2",
         .originalAfter = Values{9, 3},
         .sortedAfter = Values{3, 9}},
        {.name = "Kraj closes the window and changes nothing",
         .count = "2",
         .original = old,
         .sorted = old,
         .presses = {end},
         .closed = true},
    };
}

} // namespace

TEST_CASE("the commands, pressed in turn")
{
    for (const Case &c : cases()) {
        const std::string name = c.name;
        CAPTURE(name);
        ScriptedWindow window;
        window.count = utf16(c.count);
        window.original = c.original;
        window.sorted = c.sorted;
        for (const std::string &answer : c.answers)
            window.answers.push_back(utf16(answer));

        for (Command command : c.presses)
            commands::runCommand(command, window);

        CHECK(window.reports == c.reports);
        CHECK(window.answers.empty()); // every answer was asked for
        CHECK(utf8(window.count) == c.countAfter.value_or(c.count));
        CHECK(window.original == c.originalAfter.value_or(c.original));
        CHECK(window.sorted == c.sortedAfter.value_or(c.sorted));
        CHECK(window.closed == c.closed);
    }
}

TEST_CASE("the typical use asks its questions in order")
{
    ScriptedWindow window;
    window.answers = {u"3", u"4", u"1", u"3", u"2"};
    commands::runCommand(enter, window);
    commands::runCommand(sort, window);
    commands::runCommand(insert, window);

    const std::vector<Question> asked{
        {u"Uneti broj elemenata niza:", u"Broj elemenata niza"},
        {u"Uneti element niza:", u"1 element"},
        {u"Uneti element niza:", u"2 element"},
        {u"Uneti element niza:", u"3 element"},
        {u"Unesi broj koji zelis da umetnes:", u"Umetni broj"},
    };
    CHECK(window.questions == asked);
    CHECK(window.original == Values{4, 1, 3});
    CHECK(window.sorted == Values{1, 2, 3, 4});
    CHECK(window.count == u"3");
}

TEST_CASE("numbers in the user's own digits and separator")
{
    ScriptedWindow window;
    window.format = {u"\u066B", u"\u0660"}; // Arabic decimal separator, Arabic-Indic digits
    window.answers = {u"\u0662", u"\u0662\u066B\u0665", u"-\u0663\u066B\u0665"};
    commands::runCommand(enter, window);
    CHECK(window.reports.empty());
    CHECK(window.original == Values{2, -4});
}

// The number goes into the sorted list as one new row, just where the
// exchange sort of the rows and the number would put it.
TEST_CASE("insert places the number as the exchange sort would")
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const int size = std::uniform_int_distribution<int>(0, 60)(random);
        std::uniform_int_distribution<int> value(round % 2 ? -5 : -32768, round % 2 ? 5 : 32767);
        WorkArray expected(static_cast<ElementValue>(size + 1));
        for (ElementValue &v : expected.elements())
            v = static_cast<ElementValue>(value(random));
        ScriptedWindow window;
        window.answers = {elementText(expected(expected.size()))};
        window.sorted.assign(expected.elements().begin(), expected.elements().end() - 1);
        std::sort(window.sorted.begin(), window.sorted.end());
        commands::runCommand(insert, window);

        exchangeSortReference(expected);
        CAPTURE(round);
        CHECK(window.sorted == Values(expected.elements().begin(), expected.elements().end()));
        CHECK(window.rowsReplaced == 0);
    }
}
