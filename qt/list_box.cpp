#include "list_box.h"

#include <algorithm>

namespace plimvar {

namespace {

QString textOf(ElementValue value)
{
    const std::u16string text = elementText(value);
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QStringList RowModel::rows() const
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(m_values.size()));
    for (ElementValue value : m_values)
        texts.append(textOf(value));
    return texts;
}

void RowModel::insertRow(int row, ElementValue value)
{
    row = std::clamp(row, 0, static_cast<int>(m_values.size()));
    beginInsertRows({}, row, row);
    m_values.insert(m_values.begin() + row, value);
    endInsertRows();
}

void RowModel::replaceRows(std::span<const ElementValue> values)
{
    beginResetModel();
    m_values.assign(values.begin(), values.end());
    endResetModel();
}

int RowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_values.size());
}

QVariant RowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= m_values.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return textOf(m_values[static_cast<std::size_t>(index.row())]);
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

} // namespace plimvar
