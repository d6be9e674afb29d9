#include "commands.h"

#include "exchange_sort.h"

#include <algorithm>

namespace plimvar::commands {

namespace {

ElementValue askNumber(WindowServices &window, std::u16string_view prompt,
                       std::u16string_view title)
{
    return readNumber(window.askText(prompt, title), window.numberFormat());
}

// a(1) ... a(count) from rows 0 ... count - 1: the values the window kept
// beside them, or else their texts, read strictly. A missing row reads as
// the empty text and so fails as a type mismatch. Tells whether every row
// was the element text of its value, as the rows the program writes are:
// such rows can stay as they stand.
bool readRows(WindowServices &window, List list, WorkArray &a, ElementValue count)
{
    const std::span<const ElementValue> kept = window.keptValues(list);
    const NumberFormat format = window.numberFormat();
    bool allElementTexts = true;
    countUp(1, count, [&](ElementValue i) {
        const auto row = static_cast<std::size_t>(i - 1);
        if (row < kept.size()) {
            a(i) = kept[row];
            return;
        }
        const std::u16string_view text = window.rowText(list, i - 1);
        if (const std::optional<ElementValue> value = elementValueOf(text)) {
            a(i) = *value;
        } else {
            a(i) = readNumber(text, format);
            allElementTexts = false;
        }
    });
    return allElementTexts;
}

} // namespace

void enterArray(WindowServices &window)
{
    const ElementValue n = askNumber(window, texts::kCountPrompt, texts::kCountTitle);
    // A new entry replaces the old array, so that a later sort never mixes
    // old rows with new ones. A count that could not be read changes nothing.
    window.replaceRows(List::Original, {});
    window.setCountText(elementText(n));
    countUp(1, n, [&](ElementValue i) {
        const ElementValue element = askNumber(window, texts::kElementPrompt,
                                               elementText(i).append(texts::kElementTitleEnd));
        window.appendRow(List::Original, element);
    });
}

void sortArray(WindowServices &window)
{
    const ElementValue n = readCount(window.countText());
    WorkArray a(n);
    readRows(window, List::Original, a, n);
    exchangeSort(a);
    // Replaced only now that every row has been read and sorted, so a failed
    // sort leaves the sorted list as it was.
    window.replaceRows(List::Sorted, a.elements());
}

void insertNumber(WindowServices &window)
{
    // Every row of the sorted list takes part, not just the first n: taking
    // n from the count box would drop the largest row on a second insertion.
    const ElementValue n = toElementValue(window.rowCount(List::Sorted));
    const ElementValue m = addTested(n, 1);
    WorkArray a(m);
    const bool rowsAreElementTexts = readRows(window, List::Sorted, a, subtractTested(m, 1));
    a(m) = askNumber(window, texts::kInsertPrompt, texts::kInsertTitle);

    // The list the program wrote is in order already: the number goes in
    // after its equals, and nothing else moves. Rows put there some other
    // way are sorted and written anew.
    const std::span<const ElementValue> rows = a.elements().first(static_cast<std::size_t>(n));
    if (rowsAreElementTexts && std::is_sorted(rows.begin(), rows.end())) {
        if (!exchangeSortFinishes(m))
            throw Failure(FailureKind::Overflow);
        const auto place = std::upper_bound(rows.begin(), rows.end(), a(m)) - rows.begin();
        window.insertRow(List::Sorted, static_cast<int>(place), a(m));
    } else {
        exchangeSort(a);
        window.replaceRows(List::Sorted, a.elements());
    }
}

void runCommand(layout::Command command, WindowServices &window)
{
    try {
        switch (command) {
        case layout::Command::EnterArray:
            enterArray(window);
            break;
        case layout::Command::SortArray:
            sortArray(window);
            break;
        case layout::Command::InsertNumber:
            insertNumber(window);
            break;
        case layout::Command::None:
        case layout::Command::End:
            break;
        }
    } catch (const Failure &failure) {
        const std::string_view name = failure.what();
        window.reportFailure(std::u16string(name.begin(), name.end()));
    }
}

} // namespace plimvar::commands
