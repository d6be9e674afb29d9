#include "list_box.h"

#include <algorithm>

namespace plimvar {

namespace {

QString qtText(const std::u16string &text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

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

} // namespace plimvar
