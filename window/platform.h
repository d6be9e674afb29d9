#pragma once

#include "array/element_value.h"

#include <QList>
#include <QListView>
#include <QString>
#include <QStringList>

class QApplication;
class QStringListModel;

// The few window services the commands use: questions in modal dialogs, the
// failure report, list rows, the count box and start-up. Commands reach
// dialogs only through here, so tests can answer them in advance.
namespace plimvar::platform {

// Asks one question. Gives the typed text on OK, the empty text on Cancel or
// when the dialog is closed.
QString askText(QWidget *parent, const QString &prompt, const QString &title);

// Tells the user that a command stopped, and why. The window stays open.
void reportFailure(QWidget *parent, const Failure &failure);

// Runs one command to its end, or to its first failure, which is reported.
template <typename Command> void runCommand(QWidget *parent, Command &&command);

// In tests, dialogs are answered from a script instead of being shown, and
// what they would have shown is recorded.
struct DialogScript
{
    struct Question
    {
        QString prompt;
        QString title;
        friend bool operator==(const Question &, const Question &) = default;
    };

    QStringList answers;       // taken in order; once used up, every answer is empty
    QList<Question> questions; // every question asked
    QStringList reports;       // every failure reported
};
void setDialogScript(DialogScript *script); // nullptr: the real dialogs again

// A list box: one text per row, in the order added. Rows are held in a
// string list, so that a command can read or replace tens of thousands of
// them at once.
class ListBox : public QListView
{
    Q_OBJECT

public:
    explicit ListBox(QWidget *parent = nullptr);

    int rowCount() const;
    // Every row, in order. A command reads rows from this copy, where a row
    // at or past the end reads as the empty text (QStringList::value).
    QStringList rows() const;

    void appendRow(const QString &text);
    void replaceRows(const QStringList &rows);
    void clear();

private:
    QStringListModel *m_model;
};

// What the user's locale writes between the whole part and the fraction.
QString decimalSeparator();

// Sets up the application the way every run of the program needs it.
void applyIdentity(QApplication &app);

template <typename Command> void runCommand(QWidget *parent, Command &&command)
{
    try {
        command();
    } catch (const Failure &failure) {
        reportFailure(parent, failure);
    }
}

} // namespace plimvar::platform
