#pragma once

#include "commands.h"

#include <QWidget>

class QLineEdit;

namespace plimvar {

// The program's one window: the entered and the sorted list side by side, the
// count box under the first, and a column of four buttons.
class MainWindow : public QWidget
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);

private:
    void enterArray();
    void sortArray();
    void insertNumber();

    commands::Controls m_controls{};
};

} // namespace plimvar
