// Starts the way the program starts, says "shown" on standard output once the
// window is on screen, then sorts and inserts at the largest sizes so that
// the benchmark can read the peak memory of a full run.
#include "window/main_window.h"
#include "window/platform.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    plimvar::platform::applyIdentity(app);
    plimvar::MainWindow window;
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QCoreApplication::processEvents();
    std::fputs("shown\n", stdout);
    std::fflush(stdout);

    QStringList rows;
    for (int k = 0; k < 32766; ++k)
        rows.append(QString::number((k * 7919) % 65536 - 32768));
    window.findChild<plimvar::platform::ListBox *>(QStringLiteral("lstOriginalni"))
        ->replaceRows(rows);
    window.findChild<QLineEdit *>(QStringLiteral("txtBrojElemenata"))
        ->setText(QStringLiteral("32765"));
    plimvar::platform::DialogScript script;
    script.answers = {QStringLiteral("0")};
    plimvar::platform::setDialogScript(&script);
    window.findChild<QPushButton *>(QStringLiteral("btnSortirajNiz"))->click();
    window.findChild<QPushButton *>(QStringLiteral("btnUmetniBroj"))->click();
    QCoreApplication::processEvents();
    plimvar::platform::setDialogScript(nullptr);
    return script.reports.isEmpty() ? 0 : 1;
}
