#pragma once

#include "core/list_rows.h"

#include <QAbstractListModel>
#include <QListView>

#include <span>

namespace plimvar {

// The rows of a list box. Every row the program writes comes from a value,
// so the rows are held as their values and shown as their element texts:
// a command takes the values back as they are, and replacing tens of
// thousands of rows copies a few kilobytes.
class RowModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using QAbstractListModel::QAbstractListModel;

    std::span<const ElementValue> values() const { return m_rows.values(); }
    // The rows as the list shows them.
    QStringList rows() const;
    void insertRow(int row, ElementValue value);
    void appendRow(ElementValue value) { insertRow(m_rows.count(), value); }
    void replaceRows(std::span<const ElementValue> values);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

private:
    ListRows m_rows;
};

// A list box: one text per row, in the order added, one row selectable.
class ListBox : public QListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    RowModel &rowModel() { return *m_rows; }
    const RowModel &rowModel() const { return *m_rows; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    RowModel *m_rows;
};

} // namespace plimvar
