#include "main_window.h"

#include "platform.h"

#include <QAccessibleWidget>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace plimvar {

namespace {

enum class Kind { List, Button, TextBox, Label };

struct ControlPlace
{
    Kind kind;
    const char *name;
    const char *caption;
    const char *accessibleName;   // for controls that show no caption of their own
    int left, top, width, height; // in twips, in the window's client area
};

// The window's layout, in tab order. Twips keep the table independent of the
// screen: 1440 to the inch.
constexpr int kClientWidth = 5085;
constexpr int kClientHeight = 3330;
constexpr ControlPlace kLayout[] = {
    {Kind::List, "lstOriginalni", "", "Uneti niz", 240, 360, 1335, 2400},
    {Kind::List, "lstSortiran", "", "Sortiran niz", 2040, 360, 1335, 2400},
    {Kind::Button, "btnUnesiNiz", "Unesi niz", nullptr, 3600, 360, 1335, 375},
    {Kind::TextBox, "txtBrojElemenata", "", "n =", 600, 2880, 975, 315},
    {Kind::Label, "Label1", "n =", nullptr, 240, 2910, 375, 255},
    {Kind::Button, "btnSortirajNiz", "Sortiraj niz", nullptr, 3600, 840, 1335, 375},
    {Kind::Button, "btnUmetniBroj", "Umetni broj", nullptr, 3600, 1320, 1335, 375},
    {Kind::Button, "btnKraj", "Kraj", nullptr, 3600, 1800, 1335, 375},
};

// Screen readers announce a top-level widget as a window only when it says
// it is one; a plain QWidget says it is a client area.
QAccessibleInterface *accessibleWindow(const QString &className, QObject *object)
{
    if (className == QLatin1String(MainWindow::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

int twipsToPixels(int twips, int dotsPerInch)
{
    return qRound(twips * dotsPerInch / 1440.0);
}

QWidget *createControl(const ControlPlace &place, QWidget *parent)
{
    const QString caption = QString::fromUtf8(place.caption);
    QWidget *control = nullptr;
    switch (place.kind) {
    case Kind::List:
        control = new platform::ListBox(parent);
        break;
    case Kind::Button: {
        auto *button = new QPushButton(caption, parent);
        button->setAutoDefault(false);
        control = button;
        break;
    }
    case Kind::TextBox:
        control = new QLineEdit(parent);
        break;
    case Kind::Label:
        control = new QLabel(caption, parent);
        break;
    }
    control->setObjectName(QString::fromLatin1(place.name));
    if (place.accessibleName)
        control->setAccessibleName(QString::fromUtf8(place.accessibleName));
    control->setGeometry(twipsToPixels(place.left, parent->logicalDpiX()),
                         twipsToPixels(place.top, parent->logicalDpiY()),
                         twipsToPixels(place.width, parent->logicalDpiX()),
                         twipsToPixels(place.height, parent->logicalDpiY()));
    return control;
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleWindow);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("frmPlimvar"));
    setWindowTitle(QStringLiteral("Plimvar u sortiran niz"));
    resize(twipsToPixels(kClientWidth, logicalDpiX()), twipsToPixels(kClientHeight, logicalDpiY()));

    QWidget *previous = nullptr;
    for (const ControlPlace &place : kLayout) {
        QWidget *control = createControl(place, this);
        if (control->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }

    auto *count = findChild<QLineEdit *>(QStringLiteral("txtBrojElemenata"));
    findChild<QLabel *>(QStringLiteral("Label1"))->setBuddy(count);
    m_controls = {this, findChild<platform::ListBox *>(QStringLiteral("lstOriginalni")),
                  findChild<platform::ListBox *>(QStringLiteral("lstSortiran")), count};

    auto button = [this](const char *name) {
        return findChild<QPushButton *>(QString::fromLatin1(name));
    };
    connect(button("btnUnesiNiz"), &QPushButton::clicked, this, &MainWindow::enterArray);
    connect(button("btnSortirajNiz"), &QPushButton::clicked, this, &MainWindow::sortArray);
    connect(button("btnUmetniBroj"), &QPushButton::clicked, this, &MainWindow::insertNumber);
    connect(button("btnKraj"), &QPushButton::clicked, this, &QWidget::close);
}

void MainWindow::enterArray()
{
    platform::runCommand(this, [this] { commands::enterArray(m_controls); });
}

void MainWindow::sortArray()
{
    platform::runCommand(this, [this] { commands::sortArray(m_controls); });
}

void MainWindow::insertNumber()
{
    platform::runCommand(this, [this] { commands::insertNumber(m_controls); });
}

} // namespace plimvar
