#include "platform_start.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace plimvar {

namespace {

// The context's texts live as long as the program.
struct HeldMessage
{
    QtMsgType type;
    const char *file, *function, *category;
    int line;
    QString text;
};

QtMessageHandler previousHandler = nullptr;
std::vector<HeldMessage> heldMessages;

std::string variable(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

// The display Qt was asked to open, as the user would name it.
std::string displayNamed()
{
    const std::string platform = variable("QT_QPA_PLATFORM");
    const std::string wayland = variable("WAYLAND_DISPLAY");
    const std::string x11 = variable("DISPLAY");
    if (platform.starts_with("wayland") || (x11.empty() && !wayland.empty()))
        return "the Wayland display \"" + (wayland.empty() ? "wayland-0" : wayland) + "\"";
    if (!x11.empty())
        return "the X display \"" + x11 + "\"";
    return "a display for the platform \"" + platform + "\"";
}

// Qt looked for its Wayland plugin and found none: the display may be fine,
// but this Qt cannot speak to it.
bool waylandPluginMissing()
{
    for (const HeldMessage &message : heldMessages)
        if (message.text.contains(
                QLatin1String("Could not find the Qt platform plugin \"wayland\"")))
            return true;
    return false;
}

void holdMessage(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type != QtFatalMsg) {
        heldMessages.push_back(
            {type, context.file, context.function, context.category, context.line, text});
        return;
    }
    const std::string display = displayNamed();
    if (display.starts_with("the Wayland") && waylandPluginMissing())
        std::fprintf(stderr,
                     "plimvar: cannot show the window on %s without Qt's Wayland plugin; install "
                     "qt6-wayland\n",
                     display.c_str());
    else
        std::fprintf(stderr, "plimvar: cannot open %s to show the window on\n", display.c_str());
    std::fflush(stderr);
    std::_Exit(1);
}

} // namespace

PlatformStart::PlatformStart()
{
    // On GNOME, Qt 6 on Wayland neither places a dialog over its window nor
    // draws GNOME's title bar, which cuts the dialogs' titles short; through
    // Xwayland it does both. The user's own choice of platform stands.
    if (variable("QT_QPA_PLATFORM").empty() && !variable("DISPLAY").empty() &&
        !variable("WAYLAND_DISPLAY").empty() &&
        (":" + variable("XDG_CURRENT_DESKTOP") + ":").find(":GNOME:") != std::string::npos)
        qputenv("QT_QPA_PLATFORM", "xcb");
    previousHandler = qInstallMessageHandler(holdMessage);
}

PlatformStart::~PlatformStart()
{
    opened();
}

void PlatformStart::opened()
{
    if (!previousHandler && heldMessages.empty())
        return;
    qInstallMessageHandler(std::exchange(previousHandler, nullptr));
    for (const HeldMessage &message : std::exchange(heldMessages, {}))
        qt_message_output(
            message.type,
            QMessageLogContext(message.file, message.line, message.function, message.category),
            message.text);
}

} // namespace plimvar
