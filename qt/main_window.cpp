#include "main_window.h"

#include "core/caption_fit.h"
#include "core/commands.h"
#include "core/layout.h"
#include "list_box.h"
#include "qt_text.h"

#include <QAccessibleWidget>
#include <QFontMetrics>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include <limits>

namespace plimvar {

namespace {

// Screen readers announce a top-level widget as a window only when it says
// it is one; a plain QWidget says it is a client area.
QAccessibleInterface *accessibleWindow(const QString &className, QObject *object)
{
    if (className == QLatin1String(MainWindow::staticMetaObject.className()) &&
        object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
    return nullptr;
}

// The room a control's text needs in the control's own font, with the
// margins its style draws around it.
QSize roomForText(const QWidget *control)
{
    const QFontMetrics metrics = control->fontMetrics();
    const QStyle *style = control->style();
    if (auto *button = qobject_cast<const QPushButton *>(control)) {
        const int margin = style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        return {metrics.horizontalAdvance(button->text()) + 2 * margin, metrics.height() + margin};
    }
    if (auto *label = qobject_cast<const QLabel *>(control))
        return {metrics.horizontalAdvance(label->text()), metrics.height()};
    if (qobject_cast<const QLineEdit *>(control)) {
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, control);
        return {0, metrics.height() + 2 * frame};
    }
    return {0, 0};
}

// A line edit keeps 32767 characters unless told otherwise, and would cut a
// long pasted number into another one; the reading judges the whole text.
void takeWholeText(QLineEdit *field)
{
    field->setMaxLength(std::numeric_limits<int>::max());
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
    setObjectName(qtText(layout::kWindowName));
    setWindowTitle(qtText(layout::kWindowCaption));

    QWidget *previous = nullptr;
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        QWidget *control = createControl(k);
        m_controls[k] = control;
        if (control->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
    m_countLabel->setBuddy(m_countBox);
    layOut();
    // The entered list grows a row at a time, so it is laid out a batch at a
    // time: appending a row then costs the same with tens of thousands of
    // rows as with a hundred. The sorted list is written whole or gains one
    // row in its place, and is laid out in one pass, which keeps the user's
    // place in it when a row goes in.
    listBox(List::Original)->setLayoutMode(QListView::Batched);
}

// Makes the control of the table's row k, and keeps by its type each one
// the commands or the window use.
QWidget *MainWindow::createControl(std::size_t k)
{
    const layout::ControlPlace &place = layout::kLayout[k];
    const QString caption = qtText(place.caption);
    QWidget *control = nullptr;
    switch (place.kind) {
    case layout::ControlKind::List: {
        auto *list = new ListBox(this);
        (k == layout::controlOf(List::Original) ? m_originalList : m_sortedList) = list;
        control = list;
        break;
    }
    case layout::ControlKind::Button: {
        auto *button = new QPushButton(caption, this);
        // No button is the window's default: Return presses the focused one.
        button->setAutoDefault(false);
        button->installEventFilter(this);
        const layout::Command command = place.command;
        connect(button, &QPushButton::clicked, this,
                [this, command] { commands::runCommand(command, *this); });
        control = button;
        break;
    }
    case layout::ControlKind::TextBox:
        m_countBox = new QLineEdit(this);
        takeWholeText(m_countBox);
        // The count, like the rows, reads left to right in every locale.
        m_countBox->setLayoutDirection(Qt::LeftToRight);
        control = m_countBox;
        break;
    case layout::ControlKind::Label:
        m_countLabel = new QLabel(caption, this);
        control = m_countLabel;
        break;
    }
    control->setObjectName(qtText(place.name));
    control->setAccessibleName(qtText(place.accessibleName));
    return control;
}

// Places the controls as the table says, stretched where a caption would
// not fit its control in the user's font (large text, say).
void MainWindow::layOut()
{
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    std::array<layout::Extent, layout::kLayout.size()> needs;
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const QSize needed = roomForText(m_controls[k]);
        needs[k] = {layout::toTwips(needed.width(), dpiX), layout::toTwips(needed.height(), dpiY)};
    }
    const layout::PixelLayout places = layout::inPixels(layout::fitCaptions(needs), dpiX, dpiY);
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::Rect &place = places.controls[k];
        m_controls[k]->setGeometry(place.left, place.top, place.width, place.height);
    }
    resize(places.client.width, places.client.height);
}

// Return presses the focused button, as Space does.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        auto *button = qobject_cast<QPushButton *>(watched);
        if (button && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

ListBox *MainWindow::listBox(List list) const
{
    return list == List::Original ? m_originalList : m_sortedList;
}

std::u16string MainWindow::askText(std::u16string_view prompt, std::u16string_view title)
{
    QInputDialog dialog(this);
    dialog.setWindowTitle(qtText(title));
    dialog.setLabelText(qtText(prompt));
    dialog.setInputMode(QInputDialog::TextInput);
    // The window manager draws the title, in a face of about this size; the
    // dialog's layout keeps its own width, so the field asks for the room.
    QFont titleFont = dialog.font();
    titleFont.setBold(true);
    const QFontMetrics titleMetrics(titleFont);
    const int titleBar = layout::titleBarWidth(titleMetrics.horizontalAdvance(dialog.windowTitle()),
                                               titleMetrics.height());
    if (auto *field = dialog.findChild<QLineEdit *>()) {
        takeWholeText(field);
        const QStyle *style = dialog.style();
        field->setMinimumWidth(titleBar - style->pixelMetric(QStyle::PM_LayoutLeftMargin) -
                               style->pixelMetric(QStyle::PM_LayoutRightMargin));
    }
    if (dialog.exec() != QDialog::Accepted)
        return {};
    return dialog.textValue().toStdU16String();
}

void MainWindow::reportFailure(std::u16string_view failureName)
{
    QMessageBox::critical(this, qtText(texts::kReportTitle), qtText(failureName));
}

NumberFormat MainWindow::numberFormat()
{
    const QLocale locale = QLocale::system();
    return {locale.decimalPoint().toStdU16String(), locale.zeroDigit().toStdU16String()};
}

std::u16string MainWindow::countText()
{
    return m_countBox->text().toStdU16String();
}

void MainWindow::setCountText(std::u16string_view text)
{
    m_countBox->setText(qtText(text));
}

std::span<const ElementValue> MainWindow::rows(List list)
{
    return listBox(list)->rowModel().values();
}

void MainWindow::appendRow(List list, ElementValue value)
{
    listBox(list)->rowModel().appendRow(value);
}

void MainWindow::insertRow(List list, int row, ElementValue value)
{
    listBox(list)->rowModel().insertRow(row, value);
}

void MainWindow::replaceRows(List list, std::span<const ElementValue> values)
{
    listBox(list)->rowModel().replaceRows(values);
}

void MainWindow::closeWindow()
{
    close();
}

} // namespace plimvar
