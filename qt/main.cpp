#include "command_line.h"
#include "identity.h"
#include "main_window.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = plimvar::answerBeforeWindow(argc, argv))
        return *status;
    QApplication app(argc, argv);
    plimvar::applyIdentity(app);
    plimvar::MainWindow window;
    window.show();
    return app.exec();
}
