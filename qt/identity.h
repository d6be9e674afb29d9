#pragma once

class QApplication;

namespace plimvar {

// Names the application, and gives it its version and icon, the way every
// run of the program needs them.
void applyIdentity(QApplication &app);

} // namespace plimvar
