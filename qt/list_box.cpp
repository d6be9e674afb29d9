#include "list_box.h"

#include "qt_text.h"

#include <QPainter>

#include <algorithm>

namespace plimvar {

QStringList RowModel::rows() const
{
    QStringList texts;
    texts.reserve(m_rows.count());
    for (int row = 0; row < m_rows.count(); ++row)
        texts.append(qtText(m_rows.text(row)));
    return texts;
}

void RowModel::insertRow(int row, ElementValue value)
{
    row = std::clamp(row, 0, m_rows.count());
    beginInsertRows({}, row, row);
    m_rows.insert(row, value);
    endInsertRows();
}

void RowModel::replaceRows(std::span<const ElementValue> values)
{
    beginResetModel();
    m_rows.replace(values);
    endResetModel();
}

int RowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.count();
}

QVariant RowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.count())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return qtText(m_rows.text(index.row()));
    return {};
}

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
    , m_rows(new RowModel(this))
{
    setModel(m_rows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows of one height let the list show tens of thousands of them without
    // measuring each.
    setUniformItemSizes(true);
    // Numbers read the same in every locale: rows are written left to right
    // and stand at the left edge, as in a Windows list box, also where the
    // user's language is written right to left ("-15", not "15-").
    setLayoutDirection(Qt::LeftToRight);
}

// Qt's styles mark a focused list only by its current row, and only once
// the keyboard has moved the focus: an empty list, or one given the focus
// at start, shows none (and Fusion's focus frame is a faint 1.6:1). The list
// draws a frame of two pixels in the highlight colour inside its border
// whenever it has the focus, as a Windows list box draws its dotted one.
void ListBox::paintEvent(QPaintEvent *event)
{
    QListView::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
}

// The frame is drawn anew whole: the focus came or went, or the rows moved
// and took a copy of its edge with them.
//
// Given the focus by the keyboard, Qt makes the first row current without
// selecting it and without a word to a screen reader; Down then goes to the
// second, and the first row is never heard. Left with no current row, the
// list goes to its first row on Down, as on the page.
void ListBox::focusInEvent(QFocusEvent *event)
{
    const bool hadCurrent = currentIndex().isValid();
    QListView::focusInEvent(event);
    if (!hadCurrent && !selectionModel()->hasSelection())
        selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    viewport()->update();
}

void ListBox::focusOutEvent(QFocusEvent *event)
{
    QListView::focusOutEvent(event);
    viewport()->update();
}

void ListBox::scrollContentsBy(int dx, int dy)
{
    QListView::scrollContentsBy(dx, dy);
    if (hasFocus())
        viewport()->update();
}

} // namespace plimvar
