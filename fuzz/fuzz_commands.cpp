// Sequences of what a user does to the window (presses with their answers,
// edits of the count box, a new start after Kraj), run through the commands
// against a scripted window. After every step the window is checked against
// a model of it written from the rules of the README ("Using it"): what each
// command asks, reads and writes, what a failure keeps, and the exchange sort
// for the sorted list. Each answer is made from what it means, so the model
// knows its reading without reading it. The window and the model are
// compared as values; only an input that breaks a rule is run again with its
// steps written out for a person to read. `fuzz_commands FILE` replays one.

#include "core/commands.h"
#include "core/layout.h"
#include "tests/core/exchange_sort_reference.h"
#include "tests/core/scripted_window.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace plimvar;
using testing::ScriptedWindow;
using testing::Values;

namespace {

// A reading: its value, or the failure it raises.
struct Reading
{
    std::optional<int> value;
    std::string failure;
};
// The failures' and dialogs' words are the core's: the model holds when and
// in which order they come.
const Reading kMismatch{std::nullopt, Failure(FailureKind::TypeMismatch).what()};
const Reading kOverflow{std::nullopt, Failure(FailureKind::Overflow).what()};

Reading valueOf(int value)
{
    if (value < kElementMin || value > kElementMax)
        return kOverflow;
    return {value, {}};
}

struct Locale
{
    const char *name;
    std::u16string separator;
    char16_t zero;
};
const Locale kLocales[] = {{"en", u".", u'0'}, {"de", u",", u'0'}, {"ar-EG", u"\u066B", u'\u0660'}};

// A text and what it means.
struct Text
{
    std::u16string text;
    Reading reading;
};

std::u16string digits(long value, char16_t zero = u'0')
{
    std::u16string text;
    for (char c : std::to_string(value))
        text += c == '-' ? u'-' : static_cast<char16_t>(zero + (c - '0'));
    return text;
}

// w.5, or -w.5, rounded half to even, as both readings round.
int halfToEven(int whole, bool negative)
{
    const int low = negative ? whole - 1 : whole;
    return low % 2 == 0 ? low : low + 1;
}

// An answer to a dialog, as a user types or pastes it.
Text answer(FuzzedDataProvider &in, const Locale &locale)
{
    const int value =
        in.ConsumeBool() ? in.ConsumeIntegralInRange(-20, 20) : in.ConsumeIntegral<ElementValue>();
    switch (in.ConsumeIntegralInRange(0, 9)) {
    case 0:
        return {digits(value), valueOf(value)};
    case 1:
        return {u" \r\n" + digits(value) + u"\n ", valueOf(value)};
    case 2:
        return {(value < 0 ? u"-000" : u"000") + digits(std::abs(value)), valueOf(value)};
    case 3:
        return {digits(value, locale.zero), valueOf(value)};
    case 4:
        return {std::u16string(10000, u'0') + digits(std::abs(value)), valueOf(std::abs(value))};
    case 5: {
        const int whole = in.ConsumeIntegralInRange(-9, 9);
        const bool negative = whole < 0 || (whole == 0 && in.ConsumeBool());
        const std::u16string sign = whole == 0 && negative ? u"-" : u"";
        return {sign + digits(whole) + locale.separator + u"5",
                valueOf(halfToEven(whole, negative))};
    }
    case 6: {
        const bool negative = in.ConsumeBool();
        const int beyond = in.ConsumeIntegralInRange(negative ? 32769 : 32768, 99999);
        return {digits(negative ? -beyond : beyond), kOverflow};
    }
    case 7:
        return {u"4\n2", kMismatch};
    case 8: {
        const std::u16string other = locale.separator == u"." ? u"," : u".";
        return {u"2" + other + u"5", kMismatch};
    }
    default:
        return {in.ConsumeBool() ? u"abc" : u"", kMismatch}; // Cancel gives the empty text
    }
}

// A text typed or pasted into the count box, read the forgiving way.
Text countText(FuzzedDataProvider &in)
{
    const int value = in.ConsumeIntegralInRange(-3, 12);
    switch (in.ConsumeIntegralInRange(0, 5)) {
    case 0:
        return {digits(value), valueOf(value)};
    case 1:
        return {digits(value) + u"abc", valueOf(value)};
    case 2:
        return {u"\r\n  " + digits(value), valueOf(value)};
    case 3:
        return {digits(value) + u".5", valueOf(halfToEven(value, value < 0))};
    case 4:
        return {u"40000", kOverflow};
    default:
        return {in.ConsumeBool() ? u"" : u"abc", valueOf(0)};
    }
}

std::string shown(const std::u16string &text)
{
    std::string out;
    for (std::size_t k = 0; k < text.size(); ++k) {
        std::size_t run = 1;
        while (k + run < text.size() && text[k + run] == text[k])
            ++run;
        if (run > 8 && text[k] < 0x80) {
            out += std::string(1, static_cast<char>(text[k])) + "{x" + std::to_string(run) + "}";
            k += run - 1;
        } else if (text[k] == u'\n' || text[k] == u'\r') {
            out += text[k] == u'\n' ? "\\n" : "\\r";
        } else if (text[k] < 0x80) {
            out += static_cast<char>(text[k]);
        } else {
            char code[12];
            std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(text[k]));
            out += code;
        }
    }
    return '"' + out + '"';
}

std::string shown(const Values &values)
{
    std::string out = "[";
    for (std::size_t k = 0; k < values.size(); ++k)
        out += (k ? ", " : "") + std::to_string(values[k]);
    return out + "]";
}

// The window as the README says it should be.
struct Model
{
    Values original, sorted;
    std::u16string count;
    Reading countReading = valueOf(0);
    std::vector<std::u16string> titles;
    std::vector<std::string> reports;
};

Values exchangeSorted(const Values &values)
{
    WorkArray a(static_cast<ElementValue>(values.size()));
    std::copy(values.begin(), values.end(), a.elements().begin());
    testing::exchangeSortReference(a);
    return {a.elements().begin(), a.elements().end()};
}

// Unesi niz: a failed count changes nothing; once the count is read, the box
// shows it and the earlier array is gone; the elements answered before a
// failure stay.
void enter(Model &model, std::deque<Text> answers)
{
    const auto next = [&] {
        Text text = answers.empty() ? Text{u"", kMismatch} : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return text.reading;
    };
    model.titles.emplace_back(texts::kCountTitle);
    const Reading n = next();
    if (!n.value)
        return model.reports.push_back(n.failure);
    model.original.clear();
    model.count = digits(*n.value);
    model.countReading = n;
    for (int i = 1; i <= *n.value; ++i) {
        model.titles.push_back(digits(i) + std::u16string(texts::kElementTitleEnd));
        const Reading element = next();
        if (!element.value)
            return model.reports.push_back(element.failure);
        model.original.push_back(static_cast<ElementValue>(*element.value));
    }
}

// Sortiraj niz and Umetni broj change the sorted list only when they succeed.
void sort(Model &model)
{
    const Reading n = model.countReading;
    if (!n.value)
        return model.reports.push_back(n.failure);
    if (*n.value < 1)
        return model.reports.push_back(Failure(FailureKind::Subscript).what());
    if (static_cast<std::size_t>(*n.value) > model.original.size())
        return model.reports.push_back(kMismatch.failure);
    model.sorted =
        exchangeSorted(Values(model.original.begin(), model.original.begin() + *n.value));
}

void insert(Model &model, const Reading &number)
{
    model.titles.emplace_back(texts::kInsertTitle);
    if (!number.value)
        return model.reports.push_back(number.failure);
    model.sorted.push_back(static_cast<ElementValue>(*number.value));
    model.sorted = exchangeSorted(model.sorted);
}

bool sameTitles(const ScriptedWindow &window, const Model &model)
{
    return std::equal(
        window.questions.begin(), window.questions.end(), model.titles.begin(), model.titles.end(),
        [](const testing::Question &q, const std::u16string &title) { return q.title == title; });
}

bool same(const ScriptedWindow &window, const Model &model)
{
    return window.original == model.original && window.sorted == model.sorted &&
           window.count == model.count && window.reports == model.reports &&
           sameTitles(window, model);
}

std::string differences(const ScriptedWindow &window, const Model &model)
{
    std::string out;
    const auto check = [&](const char *what, const std::string &seen, const std::string &expected) {
        if (seen != expected)
            out += std::string("  ") + what + ": the window has " + seen + ", the rules say " +
                   expected + "\n";
    };
    check("entered list", shown(window.original), shown(model.original));
    check("sorted list", shown(window.sorted), shown(model.sorted));
    check("count box", shown(window.count), shown(model.count));
    std::string asked, expected;
    for (const testing::Question &question : window.questions)
        asked += shown(question.title) + " ";
    for (const std::u16string &title : model.titles)
        expected += shown(title) + " ";
    check("dialogs asked", asked, expected);
    std::string reported, said;
    for (const std::string &report : window.reports)
        reported += report + "; ";
    for (const std::string &report : model.reports)
        said += report + "; ";
    check("reports", reported, said);
    return out;
}

// Runs the steps an input makes, checking the window after each. Gives
// whether every rule held; with a log, writes each step to it and, where a
// rule broke, what differed.
bool runSteps(const std::uint8_t *data, std::size_t size, std::string *log)
{
    FuzzedDataProvider in(data, size);
    const Locale &locale =
        kLocales[in.ConsumeIntegralInRange<std::size_t>(0, std::size(kLocales) - 1)];
    const NumberFormat format{locale.separator, std::u16string(1, locale.zero)};
    ScriptedWindow window;
    window.format = format;
    Model model;
    const auto note = [log](std::string_view text) {
        if (log)
            *log += text;
    };
    note(std::string("locale ") + locale.name + "\n");
    for (int step = 1; step <= 24 && in.remaining_bytes() > 0; ++step) {
        if (log)
            note(std::to_string(step) + ". ");
        switch (in.ConsumeIntegralInRange(0, 5)) {
        case 0:
        case 1: {
            // Mostly a count that names a few elements to come.
            const int count = in.ConsumeIntegralInRange(-2, 8);
            std::deque<Text> answers{in.ConsumeBool() ? Text{digits(count), valueOf(count)}
                                                      : answer(in, locale)};
            for (int k = in.ConsumeIntegralInRange(0, 9); k > 0; --k)
                answers.push_back(answer(in, locale));
            note("press Unesi niz, answer");
            for (const Text &text : answers) {
                if (log)
                    note(" " + shown(text.text));
                window.answers.push_back(text.text);
            }
            note(", then Cancel to any further dialog");
            commands::runCommand(layout::Command::EnterArray, window);
            window.answers.clear();
            enter(model, std::move(answers));
            break;
        }
        case 2:
            note("press Sortiraj niz");
            commands::runCommand(layout::Command::SortArray, window);
            sort(model);
            break;
        case 3: {
            const Text number = answer(in, locale);
            if (log)
                note("press Umetni broj, answer " + shown(number.text));
            window.answers.push_back(number.text);
            commands::runCommand(layout::Command::InsertNumber, window);
            window.answers.clear();
            insert(model, number.reading);
            break;
        }
        case 4: {
            const Text text = countText(in);
            if (log)
                note("type " + shown(text.text) + " in the count box");
            window.count = text.text;
            model.count = text.text;
            model.countReading = text.reading;
            break;
        }
        default:
            note("press Kraj and start again");
            commands::runCommand(layout::Command::End, window);
            if (!window.closed) {
                note("\n  the window did not close\n");
                return false;
            }
            window = ScriptedWindow{};
            window.format = format;
            model = Model{};
            break;
        }
        note("\n");
        if (!same(window, model)) {
            note(differences(window, model));
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (!runSteps(data, size, nullptr)) {
        std::string steps;
        runSteps(data, size, &steps);
        std::fprintf(stderr, "The window breaks a rule of the README after these steps:\n%s",
                     steps.c_str());
        std::abort();
    }
    return 0;
}
