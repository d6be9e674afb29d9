#include "main_window.h"

#include "core/commands.h"
#include "core/layout.h"
#include "list_box.h"

#include <QAccessibleWidget>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>

#include <algorithm>
#include <cmath>

namespace plimvar {

namespace {

QString qtText(std::u16string_view text)
{
    return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

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
    return qRound(twips * dotsPerInch / double(layout::kTwipsPerInch));
}

// How wide a control's caption may run, in twips: to its right edge, or to
// the next control on its row where that begins first (the table lets the
// label run under the count box, which would hide the end of a long one).
int captionWidth(std::size_t index)
{
    const layout::ControlPlace &place = layout::kLayout[index];
    int width = place.width;
    for (const layout::ControlPlace &other : layout::kLayout) {
        const bool sameRow =
            other.top < place.top + place.height && place.top < other.top + other.height;
        if (sameRow && other.left > place.left)
            width = std::min(width, other.left - place.left);
    }
    return width;
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

QWidget *createControl(const layout::ControlPlace &place, QWidget *parent)
{
    const QString caption = qtText(place.caption);
    QWidget *control = nullptr;
    switch (place.kind) {
    case layout::ControlKind::List:
        control = new ListBox(parent);
        break;
    case layout::ControlKind::Button: {
        auto *button = new QPushButton(caption, parent);
        // No button is the window's default: Return presses the focused one.
        button->setAutoDefault(false);
        control = button;
        break;
    }
    case layout::ControlKind::TextBox:
        control = new QLineEdit(parent);
        break;
    case layout::ControlKind::Label:
        control = new QLabel(caption, parent);
        break;
    }
    control->setObjectName(qtText(place.name));
    control->setAccessibleName(qtText(place.accessibleName));
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
    setObjectName(qtText(layout::kWindowName));
    setWindowTitle(qtText(layout::kWindowCaption));

    QWidget *previous = nullptr;
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::ControlPlace &place = layout::kLayout[k];
        QWidget *control = createControl(place, this);
        m_controls[k] = control;
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            button->installEventFilter(this);
            const layout::Command command = place.command;
            connect(button, &QPushButton::clicked, this, [this, command] {
                if (command == layout::Command::End)
                    close();
                else
                    commands::runCommand(command, *this);
            });
        }
        if (control->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
    static_cast<QLabel *>(m_controls[layout::kCountLabel])->setBuddy(m_controls[layout::kCountBox]);
    layOut();
    // The entered list grows a row at a time, so it is laid out a batch at a
    // time: appending a row then costs the same with tens of thousands of
    // rows as with a hundred. The sorted list is written whole or gains one
    // row in its place, and is laid out in one pass, which keeps the user's
    // place in it when a row goes in.
    listBox(List::Original)->setLayoutMode(QListView::Batched);
}

// Places the controls as the table says. Where a caption would not fit its
// control in the user's font (large text, say), the whole table stretches
// across or down just enough for the tightest one, and the window with it,
// so that the arrangement stays; at the default font nothing moves.
void MainWindow::layOut()
{
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    double across = 1;
    double down = 1;
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::ControlPlace &place = layout::kLayout[k];
        const QSize needed = roomForText(m_controls[k]);
        across = std::max(across, needed.width() / double(twipsToPixels(captionWidth(k), dpiX)));
        down = std::max(down, needed.height() / double(twipsToPixels(place.height, dpiY)));
    }
    auto x = [&](int twips) { return twipsToPixels(int(std::ceil(twips * across)), dpiX); };
    auto y = [&](int twips) { return twipsToPixels(int(std::ceil(twips * down)), dpiY); };
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::ControlPlace &place = layout::kLayout[k];
        m_controls[k]->setGeometry(x(place.left), y(place.top), x(place.width), y(place.height));
    }
    resize(x(layout::kClientWidth), y(layout::kClientHeight));
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
    return static_cast<ListBox *>(
        m_controls[list == List::Original ? layout::kOriginalList : layout::kSortedList]);
}

std::u16string MainWindow::askText(std::u16string_view prompt, std::u16string_view title)
{
    bool accepted = false;
    const QString answer = QInputDialog::getText(this, qtText(title), qtText(prompt),
                                                 QLineEdit::Normal, QString(), &accepted);
    return accepted ? answer.toStdU16String() : std::u16string();
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
    return static_cast<QLineEdit *>(m_controls[layout::kCountBox])->text().toStdU16String();
}

void MainWindow::setCountText(std::u16string_view text)
{
    static_cast<QLineEdit *>(m_controls[layout::kCountBox])->setText(qtText(text));
}

int MainWindow::rowCount(List list)
{
    return static_cast<int>(listBox(list)->rowModel().rows().size());
}

std::u16string_view MainWindow::rowText(List list, int row)
{
    const QStringList &rows = listBox(list)->rowModel().rows();
    if (row < 0 || row >= rows.size())
        return {};
    const QString &text = rows.at(row);
    return {reinterpret_cast<const char16_t *>(text.utf16()),
            static_cast<std::size_t>(text.size())};
}

void MainWindow::appendRow(List list, std::u16string_view text)
{
    listBox(list)->rowModel().appendRow(qtText(text));
}

void MainWindow::insertRow(List list, int row, std::u16string_view text)
{
    listBox(list)->rowModel().insertRow(row, qtText(text));
}

void MainWindow::replaceRows(List list, const std::vector<std::u16string> &rows)
{
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(rows.size()));
    for (const std::u16string &row : rows)
        texts.append(qtText(row));
    listBox(list)->rowModel().replaceRows(texts);
}

void MainWindow::replaceRows(List list, List source, std::span<const ElementValue> sourceRows)
{
    // The texts are shared with the source list, not copied.
    const QStringList from = listBox(source)->rowModel().rows();
    QStringList texts;
    texts.reserve(static_cast<qsizetype>(sourceRows.size()));
    for (ElementValue row : sourceRows)
        texts.append(from.value(row));
    listBox(list)->rowModel().replaceRows(texts);
}

} // namespace plimvar
