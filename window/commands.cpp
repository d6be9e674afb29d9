#include "commands.h"

#include "array/exchange_sort.h"
#include "platform.h"

#include <QLineEdit>

namespace plimvar::commands {

namespace {

QString textOf(ElementValue value)
{
    const std::string text = elementText(value);
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Reads typed numbers and list rows in the user's locale.
class NumberReader
{
public:
    NumberReader()
        : m_separator(platform::decimalSeparator().toStdString())
    {
    }

    ElementValue operator()(const QString &text) const
    {
        return readNumber(text.toStdString(), m_separator);
    }

private:
    std::string m_separator;
};

ElementValue askNumber(const Controls &controls, const QString &prompt, const QString &title)
{
    return NumberReader()(platform::askText(controls.window, prompt, title));
}

// a(1) ... a(count) from rows 0 ... count - 1. A missing row reads as the
// empty text and so fails as a type mismatch.
void readRows(const platform::ListBox *list, WorkArray &a, ElementValue count)
{
    const QStringList rows = list->rows();
    const NumberReader read;
    countUp(1, count, [&](ElementValue i) { a(i) = read(rows.value(i - 1)); });
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
    controls.original->clear();
    controls.count->setText(textOf(n));
    countUp(1, n, [&](ElementValue i) {
        const ElementValue element = askNumber(controls, QStringLiteral("Uneti element niza:"),
                                               textOf(i) + QStringLiteral(" element"));
        controls.original->appendRow(textOf(element));
    });
}

void sortArray(const Controls &controls)
{
    const ElementValue n = readCount(controls.count->text().toStdString());
    WorkArray a(n);
    readRows(controls.original, a, n);
    exchangeSort(a);
    // Replaced only now that every row has been read and sorted, so a failed
    // sort leaves the sorted list as it was.
    controls.sorted->replaceRows(rowsOf(a));
}

void insertNumber(const Controls &controls)
{
    // Every row of the sorted list takes part, not just the first n: taking
    // n from the count box would drop the largest row on a second insertion.
    const ElementValue n = toElementValue(controls.sorted->rowCount());
    const ElementValue m = addTested(n, 1);
    WorkArray a(m);
    readRows(controls.sorted, a, subtractTested(m, 1));
    a(m) = askNumber(controls, QStringLiteral("Unesi broj koji zelis da umetnes:"),
                     QStringLiteral("Umetni broj"));
    exchangeSort(a);
    controls.sorted->replaceRows(rowsOf(a));
}

} // namespace plimvar::commands
