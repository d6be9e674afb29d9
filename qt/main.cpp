#include "identity.h"
#include "main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    plimvar::applyIdentity(app);
    plimvar::MainWindow window;
    window.show();
    return app.exec();
}
