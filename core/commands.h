#pragma once

#include "layout.h"
#include "window_services.h"

// The commands behind the window's buttons. Each reads the controls, has the
// array logic compute, and writes the controls; a failure stops it where it
// arises, and what it wrote before then stays written.
namespace plimvar::commands {

// Asks for n, then for n elements; the new array replaces the entered one.
void enterArray(WindowServices &window);
// Sorts the first n entered rows into the sorted list.
void sortArray(WindowServices &window);
// Asks for a number and puts it into its place in the sorted list.
void insertNumber(WindowServices &window);

// Runs the command of a button to its end, or to its first failure, which
// the window reports. The end command closes the window.
void runCommand(layout::Command command, WindowServices &window);

} // namespace plimvar::commands
