#include "command_line.h"

#include "plimvar_version.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plimvar {

namespace {

bool isSet(const char *variable)
{
    const char *value = std::getenv(variable);
    return value && *value;
}

} // namespace

std::optional<int> answerBeforeWindow(int argc, char *argv[])
{
    for (int k = 1; k < argc; ++k) {
        if (std::strcmp(argv[k], "--help") == 0 || std::strcmp(argv[k], "-h") == 0) {
            std::puts("Usage: plimvar [--help | --version]\n"
                      "\n"
                      "Opens Plimvar's window: enter an array of whole numbers (Unesi niz),\n"
                      "sort it (Sortiraj niz), and insert numbers in order (Umetni broj).\n"
                      "See plimvar(1).");
            return 0;
        }
        if (std::strcmp(argv[k], "--version") == 0) {
            std::puts("plimvar " PLIMVAR_VERSION);
            return 0;
        }
    }
    // Qt would abort without a display, advising a reinstall; where the
    // platform is left to Qt, an X11 or Wayland display is needed.
    if (!isSet("QT_QPA_PLATFORM") && !isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY")) {
        std::fputs("plimvar: no display to show the window on (neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set)\n",
                   stderr);
        return 1;
    }
    return std::nullopt;
}

} // namespace plimvar
