#pragma once

#include <optional>

namespace plimvar {

// What the program does before any window: answers --help and --version on
// the terminal, refuses an option it does not know (Qt's own pass), and says
// so plainly when there is no display to open its window on. Gives the exit
// status when the program is to end there.
std::optional<int> answerBeforeWindow(int argc, char *argv[]);

} // namespace plimvar
