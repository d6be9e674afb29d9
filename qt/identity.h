#pragma once

class QApplication;
class QCoreApplication;
class QLocale;
class QTranslator;

namespace plimvar {

// Names the application, gives it its version and icon, and Qt's own texts
// in the user's language, the way every run of the program needs them.
void applyIdentity(QApplication &app);

// Installs Qt's own texts for the locale's language, or for the closest
// language Qt has; gives the translator installed, or none.
QTranslator *installQtTexts(QCoreApplication &app, const QLocale &locale);

} // namespace plimvar
