// The benchmark's floor for the program's start: a Qt window with the same
// eight controls at the same places, and nothing else. Built with the same
// flags as the program, and started and timed the same way.
#include "core/caption_fit.h"
#include "core/layout.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>

int main(int argc, char *argv[])
{
    using namespace plimvar::layout;
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QString::fromStdU16String(std::u16string(kWindowCaption)));
    const int dpi = window.logicalDpiX();
    for (const ControlPlace &place : kLayout) {
        const QString caption = QString::fromStdU16String(std::u16string(place.caption));
        QWidget *control = nullptr;
        switch (place.kind) {
        case ControlKind::List: {
            auto *list = new QListView(&window);
            list->setModel(new QStringListModel(list));
            control = list;
            break;
        }
        case ControlKind::Button:
            control = new QPushButton(caption, &window);
            break;
        case ControlKind::TextBox:
            control = new QLineEdit(&window);
            break;
        case ControlKind::Label:
            control = new QLabel(caption, &window);
            break;
        }
        control->setGeometry(toPixels(place.left, dpi), toPixels(place.top, dpi),
                             toPixels(place.width, dpi), toPixels(place.height, dpi));
    }
    window.resize(toPixels(kClientWidth, dpi), toPixels(kClientHeight, dpi));
    window.show();
    return app.exec();
}
