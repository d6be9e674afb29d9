#include "command_line.h"
#include "identity.h"
#include "main_window.h"
#include "platform_start.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    if (const std::optional<int> status = plimvar::answerBeforeWindow(argc, argv))
        return *status;
    plimvar::PlatformStart start;
    QApplication app(argc, argv);
    start.opened();
    plimvar::applyIdentity(app);
    plimvar::MainWindow window;
    window.show();
    return app.exec();
}
