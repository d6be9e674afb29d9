#pragma once

class QLineEdit;
class QWidget;

namespace plimvar::platform {
class ListBox;
}

// The commands behind the window's buttons. Each reads the controls, has the
// array logic compute, and writes the controls; a failure stops it where it
// arises, and what it wrote before then stays written.
namespace plimvar::commands {

struct Controls
{
    QWidget *window;
    platform::ListBox *original; // the array as entered
    platform::ListBox *sorted;   // the array in ascending order
    QLineEdit *count;            // the element count n
};

// Asks for n, then for n elements; the new array replaces the entered one.
void enterArray(const Controls &controls);
// Sorts the first n entered rows into the sorted list.
void sortArray(const Controls &controls);
// Asks for a number and puts it into its place in the sorted list.
void insertNumber(const Controls &controls);

} // namespace plimvar::commands
