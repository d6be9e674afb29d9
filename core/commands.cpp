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

// a(1) ... a(count) from the values of rows 0 ... count - 1. A row past the
// end reads as the empty text would: a type mismatch.
void readRows(WindowServices &window, List list, WorkArray &a, ElementValue count)
{
    const std::span<const ElementValue> rows = window.rows(list);
    countUp(1, count, [&](ElementValue i) {
        const auto row = static_cast<std::size_t>(i - 1);
        if (row >= rows.size())
            throw Failure(FailureKind::TypeMismatch);
        a(i) = rows[row];
    });
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
    const ElementValue n = toElementValue(static_cast<long long>(window.rows(List::Sorted).size()));
    const ElementValue m = addTested(n, 1);
    WorkArray a(m);
    readRows(window, List::Sorted, a, subtractTested(m, 1));
    a(m) = askNumber(window, texts::kInsertPrompt, texts::kInsertTitle);
    // The exchange sort of all m would fail at 32767; where it finishes, it
    // leaves the rows, which the program wrote in order, as they are and the
    // number after its equals. So the list gains one row there and nothing
    // else moves.
    if (!exchangeSortFinishes(m))
        throw Failure(FailureKind::Overflow);
    const std::span<const ElementValue> rows = a.elements().first(static_cast<std::size_t>(n));
    const auto place = std::upper_bound(rows.begin(), rows.end(), a(m)) - rows.begin();
    window.insertRow(List::Sorted, static_cast<int>(place), a(m));
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
        case layout::Command::End:
            window.closeWindow();
            break;
        case layout::Command::None:
            break;
        }
    } catch (const Failure &failure) {
        const std::string_view name = failure.what();
        window.reportFailure(std::u16string(name.begin(), name.end()));
    }
}

} // namespace plimvar::commands
