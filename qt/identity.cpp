#include "identity.h"

#include "plimvar_version.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace plimvar {

void applyIdentity(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Plimvar"));
    app.setApplicationVersion(QStringLiteral(PLIMVAR_VERSION));
    // Ties the window to the installed desktop entry and AppStream metadata.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.plimvar.plimvar"));
    // The title bar and the task switcher take these; every larger size
    // comes from the installed icon theme, and sending it to the window
    // system would slow the start.
    QIcon icon;
    for (int size : {16, 32})
        icon.addFile(QStringLiteral(":/icons/plimvar-%1.png").arg(size), QSize(size, size));
    app.setWindowIcon(icon);

    installQtTexts(app, QLocale::system());
}

QTranslator *installQtTexts(QCoreApplication &app, const QLocale &locale)
{
    // Qt's own texts, such as the dialogs' OK and Cancel, in the user's
    // language where Qt has them; the program's own texts stay as they are.
    // Qt has no Serbian or Bosnian: their speakers, for whom the program's
    // texts are written, read Croatian's as their own.
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto *qtTexts = new QTranslator(&app);
    const bool closeToCroatian =
        locale.language() == QLocale::Serbian || locale.language() == QLocale::Bosnian;
    if (qtTexts->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"), folder) ||
        (closeToCroatian && qtTexts->load(QStringLiteral("qtbase_hr"), folder))) {
        QCoreApplication::installTranslator(qtTexts);
        return qtTexts;
    }
    delete qtTexts;
    return nullptr;
}

} // namespace plimvar
