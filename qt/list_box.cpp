#include "list_box.h"

namespace plimvar {

void RowModel::insertRow(int row, const QString &text)
{
    beginInsertRows({}, row, row);
    m_rows.insert(row, text);
    endInsertRows();
}

void RowModel::replaceRows(const QStringList &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

int RowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

QVariant RowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return m_rows.at(index.row());
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
