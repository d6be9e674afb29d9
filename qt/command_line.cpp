#include "command_line.h"

#include "plimvar_version.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace plimvar {

namespace {

constexpr const char *kUsage = "Usage: plimvar [-h | --help] [-v | --version]\n";

bool isSet(const char *variable)
{
    const char *value = std::getenv(variable);
    return value && *value;
}

// The options every Qt program takes (QGuiApplication's and QApplication's),
// with one dash or two; Qt reads them when the window is made. These take a
// value, as the next argument or after "=".
constexpr std::array<std::string_view, 13> kQtOptionsWithValue{
    "platform",    "platformpluginpath", "platformtheme",
    "plugin",      "qmljsdebugger",      "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "session",
    "display",     "geometry",           "style",
    "stylesheet"};
constexpr std::array<std::string_view, 4> kQtFlags{"reverse", "widgetcount", "nograb", "dograb"};

// How many arguments a Qt option takes up, its value included; 0 where the
// argument is none of Qt's.
int qtOptionLength(std::string_view argument)
{
    std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
    const std::size_t equals = name.find('=');
    const bool valueAttached = equals != std::string_view::npos;
    name = name.substr(0, equals);
    if (std::ranges::find(kQtOptionsWithValue, name) != kQtOptionsWithValue.end())
        return valueAttached ? 1 : 2;
    if (!valueAttached && std::ranges::find(kQtFlags, name) != kQtFlags.end())
        return 1;
    return 0;
}

} // namespace

std::optional<int> answerBeforeWindow(int argc, char *argv[])
{
    for (int k = 1; k < argc; ++k) {
        const std::string_view argument = argv[k];
        if (argument == "--help" || argument == "-h") {
            std::printf("%s\n"
                        "Opens Plimvar's window: enter an array of whole numbers (Unesi niz),\n"
                        "sort it (Sortiraj niz), and insert numbers in order (Umetni broj).\n"
                        "\n"
                        "Options:\n"
                        "  -h, --help     Show this help and exit.\n"
                        "  -v, --version  Show the version and exit.\n"
                        "\n"
                        "Qt's own options (-platform, -style and others) are taken too.\n"
                        "See plimvar(1).\n",
                        kUsage);
            return 0;
        }
        if (argument == "--version" || argument == "-v") {
            std::puts("plimvar " PLIMVAR_VERSION);
            return 0;
        }
        if (const int length = argument.starts_with("-") ? qtOptionLength(argument) : 0) {
            k += length - 1;
            continue;
        }
        // Nothing else is taken: a mistyped option must not open the
        // window as if it were understood.
        std::fprintf(stderr, "plimvar: unknown %s '%s'\n%sTry 'plimvar --help'.\n",
                     argument.starts_with("-") ? "option" : "argument", argv[k], kUsage);
        return 2;
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
