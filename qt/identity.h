#pragma once

class QApplication;

namespace plimvar {

// Names the application, gives it its version and icon, and Qt's own texts
// in the user's language, the way every run of the program needs them.
void applyIdentity(QApplication &app);

} // namespace plimvar
