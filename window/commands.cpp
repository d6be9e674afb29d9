#include "commands.h"

#include "array/exchange_sort.h"
#include "platform.h"

#include <QListWidget>

namespace plimvar::commands {

namespace {

QString textOf(ElementValue value)
{
    return QString::fromStdString(elementText(value));
}

ElementValue readNumber(const QString &text)
{
    return plimvar::readNumber(text.toStdString(), platform::decimalSeparator().toStdString());
}

ElementValue askNumber(const Controls &controls, const QString &prompt, const QString &title)
{
    return readNumber(platform::askText(controls.window, prompt, title));
}

// a(1) ... a(count) from rows 0 ... count - 1. A missing row reads as the
// empty text and so fails as a type mismatch.
void readRows(const QListWidget *list, WorkArray &a, ElementValue count)
{
    countUp(1, count, [&](ElementValue i) { a(i) = readNumber(platform::rowText(list, i - 1)); });
}

QStringList rowsOf(const WorkArray &a)
{
    QStringList rows;
    rows.reserve(a.size());
    countUp(1, a.size(), [&](ElementValue i) { rows.append(textOf(a(i))); });
    return rows;
}

} // namespace

void enterArray(const Controls &controls)
{
    const ElementValue n = askNumber(controls, QStringLiteral("Uneti broj elemenata niza:"),
                                     QStringLiteral("Broj elemenata niza"));
    // A new entry replaces the old array, so that a later sort never mixes
    // old rows with new ones. A count that could not be read changes nothing.
    platform::clearRows(controls.original);
    platform::setBoxText(controls.count, textOf(n));
    countUp(1, n, [&](ElementValue i) {
        const ElementValue element = askNumber(controls, QStringLiteral("Uneti element niza:"),
                                               textOf(i) + QStringLiteral(" element"));
        platform::appendRow(controls.original, textOf(element));
    });
}

void sortArray(const Controls &controls)
{
    const ElementValue n = readCount(platform::boxText(controls.count).toStdString());
    WorkArray a(n);
    readRows(controls.original, a, n);
    exchangeSort(a);
    // Replaced only now that every row has been read and sorted, so a failed
    // sort leaves the sorted list as it was.
    platform::replaceRows(controls.sorted, rowsOf(a));
}

void insertNumber(const Controls &controls)
{
    // Every row of the sorted list takes part, not just the first n: taking
    // n from the count box would drop the largest row on a second insertion.
    const ElementValue n = toElementValue(platform::rowCount(controls.sorted));
    const ElementValue m = addTested(n, 1);
    WorkArray a(m);
    readRows(controls.sorted, a, subtractTested(m, 1));
    a(m) = askNumber(controls, QStringLiteral("Unesi broj koji zelis da umetnes:"),
                     QStringLiteral("Umetni broj"));
    exchangeSort(a);
    platform::replaceRows(controls.sorted, rowsOf(a));
}

} // namespace plimvar::commands
