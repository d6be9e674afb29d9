#include "platform.h"

#include <QApplication>
#include <QIcon>
#include <QInputDialog>
#include <QLocale>
#include <QMessageBox>
#include <QStringListModel>

namespace plimvar::platform {

namespace {
DialogScript *dialogScript = nullptr;
}

void setDialogScript(DialogScript *script)
{
    dialogScript = script;
}

QString askText(QWidget *parent, const QString &prompt, const QString &title)
{
    if (dialogScript) {
        dialogScript->questions.append({prompt, title});
        return dialogScript->answers.isEmpty() ? QString() : dialogScript->answers.takeFirst();
    }
    bool accepted = false;
    const QString answer =
        QInputDialog::getText(parent, title, prompt, QLineEdit::Normal, QString(), &accepted);
    return accepted ? answer : QString();
}

void reportFailure(QWidget *parent, const Failure &failure)
{
    const QString message = QString::fromLatin1(failure.what());
    if (dialogScript) {
        dialogScript->reports.append(message);
        return;
    }
    QMessageBox::critical(parent, QStringLiteral("Plimvar"), message);
}

ListBox::ListBox(QWidget *parent)
    : QListView(parent)
    , m_model(new QStringListModel(this))
{
    setModel(m_model);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Rows of one height let the list show tens of thousands of them without
    // measuring each.
    setUniformItemSizes(true);
}

int ListBox::rowCount() const
{
    return m_model->rowCount();
}

QStringList ListBox::rows() const
{
    return m_model->stringList();
}

void ListBox::appendRow(const QString &text)
{
    const int row = m_model->rowCount();
    m_model->insertRows(row, 1);
    m_model->setData(m_model->index(row), text);
}

void ListBox::replaceRows(const QStringList &rows)
{
    m_model->setStringList(rows);
}

void ListBox::clear()
{
    m_model->setStringList({});
}

QString decimalSeparator()
{
    return QLocale::system().decimalPoint();
}

void applyIdentity(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Plimvar"));
    app.setApplicationVersion(QStringLiteral("1.00"));
    // Ties the window to the installed desktop entry, plimvar.desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("plimvar"));
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/plimvar-16.png"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/plimvar-32.png"), QSize(32, 32));
    app.setWindowIcon(icon);
}

} // namespace plimvar::platform
