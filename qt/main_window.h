#pragma once

#include "core/layout.h"
#include "core/window_services.h"

#include <QWidget>

#include <array>

class QLabel;
class QLineEdit;

namespace plimvar {

class ListBox;

// The program's one window, built from the shared layout table: the entered
// and the sorted list side by side, the count box under the first, and a
// column of four buttons. It is also what the commands see of Qt.
class MainWindow : public QWidget, public WindowServices
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

    std::u16string askText(std::u16string_view prompt, std::u16string_view title) override;
    void reportFailure(std::u16string_view failureName) override;
    NumberFormat numberFormat() override;
    std::u16string countText() override;
    void setCountText(std::u16string_view text) override;
    std::span<const ElementValue> rows(List list) override;
    void appendRow(List list, ElementValue value) override;
    void insertRow(List list, int row, ElementValue value) override;
    void replaceRows(List list, std::span<const ElementValue> values) override;
    void closeWindow() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *createControl(std::size_t k);
    void layOut();
    ListBox *listBox(List list) const;

    // In the table's order, to be placed as it says.
    std::array<QWidget *, layout::kLayout.size()> m_controls{};
    ListBox *m_originalList = nullptr;
    ListBox *m_sortedList = nullptr;
    QLineEdit *m_countBox = nullptr;
    QLabel *m_countLabel = nullptr;
};

} // namespace plimvar
