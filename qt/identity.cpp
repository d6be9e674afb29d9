#include "identity.h"

#include <QApplication>
#include <QIcon>

namespace plimvar {

void applyIdentity(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Plimvar"));
    app.setApplicationVersion(QStringLiteral("1.00"));
    // Ties the window to the installed desktop entry, plimvar.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("plimvar"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/plimvar-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/plimvar-32.png"), QSize(32, 32));
    app.setWindowIcon(icon);
}

} // namespace plimvar
