#include "platform.h"

#include "array/element_value.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMessageBox>

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

int rowCount(const QListWidget *list)
{
    return list->count();
}

QString rowText(const QListWidget *list, int row)
{
    const QListWidgetItem *item = list->item(row);
    return item ? item->text() : QString();
}

void appendRow(QListWidget *list, const QString &text)
{
    list->addItem(text);
}

void replaceRows(QListWidget *list, const QStringList &rows)
{
    list->clear();
    list->addItems(rows);
}

void clearRows(QListWidget *list)
{
    list->clear();
}

QString boxText(const QLineEdit *box)
{
    return box->text();
}

void setBoxText(QLineEdit *box, const QString &text)
{
    box->setText(text);
}

QString decimalSeparator()
{
    return QLocale::system().decimalPoint();
}

void applyIdentity(QApplication &app)
{
    app.setApplicationName(QStringLiteral("Plimvar"));
    app.setApplicationVersion(QStringLiteral("1.00"));
}

} // namespace plimvar::platform
