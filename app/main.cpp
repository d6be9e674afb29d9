#include "window/main_window.h"
#include "window/platform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    plimvar::platform::applyIdentity(app);
    plimvar::MainWindow window;
    window.show();
    return app.exec();
}
