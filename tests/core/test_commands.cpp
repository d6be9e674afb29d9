#include "core/commands.h"
#include "scripted_window.h"

#include <doctest/doctest.h>

#include <algorithm>
#include <random>

using namespace plimvar;
using namespace testing;
using layout::Command;

namespace {

const std::string overflow = "Overflow";
const std::string subscript = "Subscript out of range";
const std::string mismatch = "Type mismatch";

Rows numbers(int first, int last)
{
    Rows rows;
    for (int v = first; v <= last; ++v)
        rows.push_back(std::to_string(v));
    return rows;
}

std::vector<Question> elementQuestions(int count)
{
    std::vector<Question> questions;
    for (int i = 1; i <= count; ++i)
        questions.push_back({"Uneti element niza:", std::to_string(i) + " element"});
    return questions;
}

const Question countQuestion{"Uneti broj elemenata niza:", "Broj elemenata niza"};
const Question insertQuestion{"Unesi broj koji zelis da umetnes:", "Umetni broj"};

// Each case sets up the controls, presses buttons with the answers given,
// and says what the user is told and what the controls then hold.
struct Case
{
    const char *name;
    std::string count;
    Rows original;
    Rows sorted;
    std::vector<Command> presses;
    Rows answers;
    Rows reports;
    std::string countAfter;
    Rows originalAfter;
    Rows sortedAfter;
};

constexpr Command enter = Command::EnterArray;
constexpr Command sort = Command::SortArray;
constexpr Command insert = Command::InsertNumber;

std::vector<Case> cases()
{
    const Rows none;
    const Rows old{"8", "9"};
    const Rows oneFiveNine{"1", "5", "9"};
    const Rows ones(32767, "1");
    Rows backwards = numbers(1, 32766);
    std::reverse(backwards.begin(), backwards.end());
    Rows ones32767Answers{"32767"};
    ones32767Answers.insert(ones32767Answers.end(), ones.begin(), ones.end());

    return {
        // Entering an array.
        {"enter 5 -2 5",
         "",
         none,
         none,
         {enter},
         {"3", "5", "-2", "5"},
         none,
         "3",
         {"5", "-2", "5"},
         none},
        {"enter replaces the entered array",
         "2",
         old,
         old,
         {enter},
         {"1", "7"},
         none,
         "1",
         {"7"},
         old},
        {"enter stores normal forms",
         "",
         none,
         none,
         {enter},
         {"4", " 007 ", "2.5", "-0.5", "+3"},
         none,
         "4",
         {"7", "2", "0", "3"},
         none},
        {"enter takes a pasted line break",
         "",
         none,
         none,
         {enter},
         {"1\r\n", "\n42\n"},
         none,
         "1",
         {"42"},
         none},
        {"enter 0 asks nothing more", "2", old, old, {enter}, {"0"}, none, "0", none, old},
        {"enter -3 asks nothing more", "", none, none, {enter}, {"-3"}, none, "-3", none, none},
        {"enter, count cancelled", "2", old, old, {enter}, {""}, {mismatch}, "2", old, old},
        {"enter, count abc", "2", old, old, {enter}, {"abc"}, {mismatch}, "2", old, old},
        {"enter, count 32768", "2", old, old, {enter}, {"32768"}, {overflow}, "2", old, old},
        {"enter, second element cancelled keeps the first",
         "2",
         old,
         old,
         {enter},
         {"3", "5", ""},
         {mismatch},
         "3",
         {"5"},
         old},
        {"enter, element -40000",
         "",
         none,
         none,
         {enter},
         {"2", "-40000"},
         {overflow},
         "2",
         none,
         none},
        {"enter 32767 appends every row, then its counter overflows",
         "",
         none,
         none,
         {enter},
         ones32767Answers,
         {overflow},
         "32767",
         ones,
         none},

        // Sorting.
        {"sort 2 2 1 keeps duplicates",
         "3",
         {"2", "2", "1"},
         none,
         {sort},
         none,
         none,
         "3",
         {"2", "2", "1"},
         {"1", "2", "2"}},
        {"sort -7 3 0",
         "3",
         {"3", "-7", "0"},
         none,
         {sort},
         none,
         none,
         "3",
         {"3", "-7", "0"},
         {"-7", "0", "3"}},
        {"sort twice gives the same rows",
         "2",
         {"5", "1"},
         none,
         {sort, sort},
         none,
         none,
         "2",
         {"5", "1"},
         {"1", "5"}},
        {"sort takes only the first n rows",
         "2",
         {"9", "4", "1"},
         none,
         {sort},
         none,
         none,
         "2",
         {"9", "4", "1"},
         {"4", "9"}},
        {"sort reads the count box leniently",
         "2.5 rows",
         {"9", "4", "1"},
         none,
         {sort},
         none,
         none,
         "2.5 rows",
         {"9", "4", "1"},
         {"4", "9"}},
        {"sort writes rows in their normal form",
         "3",
         {" 07", "+2", "1"},
         none,
         {sort},
         none,
         none,
         "3",
         {" 07", "+2", "1"},
         {"1", "2", "7"}},
        {"sort after insert drops the inserted number",
         "2",
         {"5", "1"},
         none,
         {sort, insert, sort},
         {"3"},
         none,
         "2",
         {"5", "1"},
         {"1", "5"}},
        {"sort, empty count box", "", old, old, {sort}, none, {subscript}, "", old, old},
        {"sort, count -2", "-2", old, old, {sort}, none, {subscript}, "-2", old, old},
        {"sort, count 40000", "40000", old, old, {sort}, none, {overflow}, "40000", old, old},
        {"sort, fewer rows than n",
         "3",
         old,
         oneFiveNine,
         {sort},
         none,
         {mismatch},
         "3",
         old,
         oneFiveNine},
        {"sort, n = 32767",
         "32767",
         numbers(1, 32767),
         old,
         {sort},
         none,
         {overflow},
         "32767",
         numbers(1, 32767),
         old},

        // Inserting.
        {"insert 4 into 1 5 9",
         "3",
         none,
         oneFiveNine,
         {insert},
         {"4"},
         none,
         "3",
         none,
         {"1", "4", "5", "9"}},
        {"insert 5 into 1 5 9",
         "3",
         none,
         oneFiveNine,
         {insert},
         {"5"},
         none,
         "3",
         none,
         {"1", "5", "5", "9"}},
        {"insert below the smallest",
         "3",
         none,
         oneFiveNine,
         {insert},
         {"-32768"},
         none,
         "3",
         none,
         {"-32768", "1", "5", "9"}},
        {"insert above the largest",
         "3",
         none,
         oneFiveNine,
         {insert},
         {"32767"},
         none,
         "3",
         none,
         {"1", "5", "9", "32767"}},
        {"insert twice keeps every row",
         "3",
         none,
         oneFiveNine,
         {insert, insert},
         {"4", "2"},
         none,
         "3",
         none,
         {"1", "2", "4", "5", "9"}},
        {"insert into an empty sorted list", "", old, none, {insert}, {"6"}, none, "", old, {"6"}},
        {"insert ignores the count box",
         "junk",
         none,
         oneFiveNine,
         {insert},
         {"0"},
         none,
         "junk",
         none,
         {"0", "1", "5", "9"}},
        {"insert sorts rows that are out of order",
         "",
         none,
         {"9", "1"},
         {insert},
         {"5"},
         none,
         "",
         none,
         {"1", "5", "9"}},
        {"insert writes rows in their normal form",
         "",
         none,
         {"01", "5"},
         {insert},
         {"3"},
         none,
         "",
         none,
         {"1", "3", "5"}},
        {"insert, a row that is not a number",
         "",
         none,
         {"1", "x"},
         {insert},
         none,
         {mismatch},
         "",
         none,
         {"1", "x"}},
        {"insert, cancelled",
         "3",
         none,
         oneFiveNine,
         {insert},
         {""},
         {mismatch},
         "3",
         none,
         oneFiveNine},
        {"insert, 32768",
         "3",
         none,
         oneFiveNine,
         {insert},
         {"32768"},
         {overflow},
         "3",
         none,
         oneFiveNine},
        {"insert into 32766 rows",
         "",
         none,
         numbers(1, 32766),
         {insert},
         {"0"},
         {overflow},
         "",
         none,
         numbers(1, 32766)},
        {"insert into 32766 rows out of order",
         "",
         none,
         backwards,
         {insert},
         {"5"},
         {overflow},
         "",
         none,
         backwards},
        {"insert into 32765 rows",
         "",
         none,
         numbers(2, 32766),
         {insert},
         {"1"},
         none,
         "",
         none,
         numbers(1, 32766)},

        // A failure leaves the window working.
        {"a failed sort, then an entry and a sort",
         "",
         none,
         none,
         {sort, enter, sort},
         {"2", "9", "3"},
         {subscript},
         "2",
         {"9", "3"},
         {"3", "9"}},
    };
}

} // namespace

TEST_CASE("the commands, pressed in turn")
{
    for (const Case &c : cases()) {
        const std::string name = c.name;
        CAPTURE(name);
        ScriptedWindow window;
        window.count = c.count;
        window.original = c.original;
        window.sorted = c.sorted;
        window.answers.assign(c.answers.begin(), c.answers.end());

        for (Command command : c.presses)
            commands::runCommand(command, window);

        CHECK(window.reports == c.reports);
        CHECK(window.answers.empty()); // every answer was asked for
        CHECK(window.count == c.countAfter);
        CHECK(window.original == c.originalAfter);
        CHECK(window.sorted == c.sortedAfter);
    }
}

TEST_CASE("the typical use asks its questions in order")
{
    ScriptedWindow window;
    window.answers = {"3", "4", "1", "3", "2"};
    commands::runCommand(enter, window);
    commands::runCommand(sort, window);
    commands::runCommand(insert, window);

    std::vector<Question> asked{countQuestion};
    for (const Question &q : elementQuestions(3))
        asked.push_back(q);
    asked.push_back(insertQuestion);
    CHECK(window.questions == asked);
    CHECK(window.original == Rows{"4", "1", "3"});
    CHECK(window.sorted == Rows{"1", "2", "3", "4"});
    CHECK(window.count == "3");
}

TEST_CASE("numbers in the user's own digits and separator")
{
    ScriptedWindow window;
    window.format = {u"\u066B", u"\u0660"}; // Arabic decimal separator, Arabic-Indic digits
    window.answers = {"\u0662", "\u0662\u066B\u0665", "-\u0663\u066B\u0665"};
    commands::runCommand(enter, window);
    CHECK(window.reports.empty());
    // The rows hold element texts, with digits 0 to 9.
    CHECK(window.original == Rows{"2", "-4"});
}

// The number goes into the list the program keeps sorted as one new row,
// just where a full sort of the list would put it.
TEST_CASE("insert places the number as a full sort would")
{
    std::mt19937 random(20261208);
    for (int round = 0; round < 200; ++round) {
        const int size = std::uniform_int_distribution<int>(0, 60)(random);
        std::uniform_int_distribution<int> value(round % 2 ? -5 : -32768, round % 2 ? 5 : 32767);
        std::vector<int> values(static_cast<std::size_t>(size));
        for (int &v : values)
            v = value(random);
        std::sort(values.begin(), values.end());
        const int inserted = value(random);

        ScriptedWindow window;
        for (int v : values)
            window.sorted.push_back(std::to_string(v));
        window.answers = {std::to_string(inserted)};
        commands::runCommand(insert, window);

        values.insert(std::upper_bound(values.begin(), values.end(), inserted), inserted);
        Rows expected;
        for (int v : values)
            expected.push_back(std::to_string(v));
        CAPTURE(round);
        CHECK(window.sorted == expected);
        CHECK(window.rowsReplaced == 0);
    }
}
