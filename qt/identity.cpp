#include "identity.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace plimvar {

void applyIdentity(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Plimvar"));
    app.setApplicationVersion(QStringLiteral("1.00"));
    // Ties the window to the installed desktop entry and AppStream metadata.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.plimvar.plimvar"));
    // The title bar and the task switcher take these; every larger size
    // comes from the installed icon theme, and sending it to the window
    // system would slow the start.
    QIcon icon;
    for (int size : {16, 32})
        icon.addFile(QStringLiteral(":/icons/plimvar-%1.png").arg(size), QSize(size, size));
    app.setWindowIcon(icon);

    // Qt's own texts, such as the dialogs' OK and Cancel, in the user's
    // language where Qt has them; the program's own texts stay as they are.
    auto *qtTexts = new QTranslator(&app);
    if (qtTexts->load(QLocale::system(), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
}

} // namespace plimvar
