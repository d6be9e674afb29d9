#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QStringList>

namespace plimvar {

// The rows of a list box, held as one string list, so that a command can
// read or replace tens of thousands of them at once.
class RowModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    const QStringList &rows() const { return m_rows; }
    void appendRow(const QString &text) { insertRow(static_cast<int>(m_rows.size()), text); }
    void insertRow(int row, const QString &text);
    void replaceRows(const QStringList &rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    QStringList m_rows;
};

// A list box: one text per row, in the order added, one row selectable.
class ListBox : public QListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    RowModel &rowModel() { return *m_rows; }
    const RowModel &rowModel() const { return *m_rows; }

private:
    RowModel *m_rows;
};

} // namespace plimvar
