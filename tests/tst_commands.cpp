#include "window/main_window.h"
#include "window/platform.h"

#include <QAccessible>
#include <QApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace plimvar;
using Question = platform::DialogScript::Question;

namespace {

const QString overflow = QStringLiteral("Overflow");
const QString subscript = QStringLiteral("Subscript out of range");
const QString mismatch = QStringLiteral("Type mismatch");

const QString enter = QStringLiteral("btnUnesiNiz");
const QString sort = QStringLiteral("btnSortirajNiz");
const QString insert = QStringLiteral("btnUmetniBroj");

QStringList numbers(int first, int last)
{
    QStringList rows;
    for (int v = first; v <= last; ++v)
        rows.append(QString::number(v));
    return rows;
}

// The window as a person sees it, with dialogs answered from a script.
class Session
{
public:
    Session()
    {
        platform::setDialogScript(&script);
        window.show();
    }
    ~Session() { platform::setDialogScript(nullptr); }

    platform::ListBox *list(const char *name) const
    {
        return window.findChild<platform::ListBox *>(QString::fromLatin1(name));
    }
    platform::ListBox *original() const { return list("lstOriginalni"); }
    platform::ListBox *sorted() const { return list("lstSortiran"); }
    QLineEdit *count() const
    {
        return window.findChild<QLineEdit *>(QStringLiteral("txtBrojElemenata"));
    }

    void press(const QString &button)
    {
        QPushButton *b = window.findChild<QPushButton *>(button);
        QVERIFY2(b, qPrintable(button));
        QTest::mouseClick(b, Qt::LeftButton);
    }

    static QStringList rows(const platform::ListBox *list)
    {
        QStringList texts;
        // What the view shows, read through its model.
        for (int row = 0; row < list->model()->rowCount(); ++row)
            texts.append(list->model()->index(row, 0).data().toString());
        return texts;
    }

    platform::DialogScript script;
    MainWindow window;
};

QList<Question> elementQuestions(int count)
{
    QList<Question> questions;
    for (int i = 1; i <= count; ++i)
        questions.append({"Uneti element niza:", QString::number(i) + " element"});
    return questions;
}

const Question countQuestion{"Uneti broj elemenata niza:", "Broj elemenata niza"};
const Question insertQuestion{"Unesi broj koji zelis da umetnes:", "Umetni broj"};

} // namespace

class TestCommands : public QObject
{
    Q_OBJECT

private slots:
    void startsEmpty();
    void typicalUse();
    void commands_data();
    void commands();
    void endButtonClosesTheWindow();
    void everyControlHasAnAccessibleName();
    void keyboardAlone();
    void applicationIdentity();
};

void TestCommands::startsEmpty()
{
    Session session;
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    QCOMPARE(session.window.windowTitle(), "Plimvar u sortiran niz");
    QCOMPARE(Session::rows(session.original()), QStringList());
    QCOMPARE(Session::rows(session.sorted()), QStringList());
    QCOMPARE(session.count()->text(), QString());
    QCOMPARE(session.window.findChild<QLabel *>("Label1")->text(), "n =");

    // The layout table, at 15 twips to the pixel on a 96 DPI screen.
    QCOMPARE(session.window.size(), QSize(339, 222));
    QCOMPARE(session.window.findChild<QPushButton *>("btnKraj")->geometry(),
             QRect(240, 120, 89, 25));
    QCOMPARE(session.count()->geometry(), QRect(40, 192, 65, 21));

    // Tab moves through the controls in table order; the label takes no focus.
    QStringList tabOrder;
    QWidget *w = session.original();
    for (int k = 0; k < 7; ++k, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus || !w->isVisibleTo(&session.window))
            w = w->nextInFocusChain();
        tabOrder << w->objectName();
    }
    QCOMPARE(tabOrder,
             QStringList({"lstOriginalni", "lstSortiran", "btnUnesiNiz", "txtBrojElemenata",
                          "btnSortirajNiz", "btnUmetniBroj", "btnKraj"}));
}

void TestCommands::typicalUse()
{
    Session session;
    session.script.answers = {"3", "4", "1", "3"};
    session.press(enter);
    QCOMPARE(session.count()->text(), "3");
    QCOMPARE(Session::rows(session.original()), QStringList({"4", "1", "3"}));
    QCOMPARE(Session::rows(session.sorted()), QStringList());
    QCOMPARE(session.script.questions, QList<Question>{countQuestion} + elementQuestions(3));

    session.press(sort);
    QCOMPARE(Session::rows(session.sorted()), QStringList({"1", "3", "4"}));
    QCOMPARE(Session::rows(session.original()), QStringList({"4", "1", "3"}));

    session.script.questions.clear();
    session.script.answers = {"2"};
    session.press(insert);
    QCOMPARE(session.script.questions, QList<Question>{insertQuestion});
    QCOMPARE(Session::rows(session.sorted()), QStringList({"1", "2", "3", "4"}));
    QCOMPARE(session.count()->text(), "3");
    QCOMPARE(session.script.reports, QStringList());
}

// Each row sets up the controls, presses buttons with the answers given, and
// says what the user is told and what the controls then hold.
void TestCommands::commands_data()
{
    QTest::addColumn<QString>("count");
    QTest::addColumn<QStringList>("original");
    QTest::addColumn<QStringList>("sorted");
    QTest::addColumn<QStringList>("presses");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("reports");
    QTest::addColumn<QString>("countAfter");
    QTest::addColumn<QStringList>("originalAfter");
    QTest::addColumn<QStringList>("sortedAfter");

    const QStringList none;
    const QStringList old{"8", "9"};
    const QStringList oneFiveNine{"1", "5", "9"};

    // Entering an array.
    QTest::newRow("enter 5 -2 5") << "" << none << none << QStringList{enter}
                                  << QStringList{"3", "5", "-2", "5"} << none << "3"
                                  << QStringList{"5", "-2", "5"} << none;
    QTest::newRow("enter replaces the entered array")
        << "2" << old << old << QStringList{enter} << QStringList{"1", "7"} << none << "1"
        << QStringList{"7"} << old;
    QTest::newRow("enter stores normal forms")
        << "" << none << none << QStringList{enter}
        << QStringList{"4", " 007 ", "2.5", "-0.5", "+3"} << none << "4"
        << QStringList{"7", "2", "0", "3"} << none;
    QTest::newRow("enter 0 asks nothing more") << "2" << old << old << QStringList{enter}
                                               << QStringList{"0"} << none << "0" << none << old;
    QTest::newRow("enter -3 asks nothing more")
        << "" << none << none << QStringList{enter} << QStringList{"-3"} << none << "-3" << none
        << none;
    QTest::newRow("enter, count cancelled")
        << "2" << old << old << QStringList{enter} << QStringList{""} << QStringList{mismatch}
        << "2" << old << old;
    QTest::newRow("enter, count abc")
        << "2" << old << old << QStringList{enter} << QStringList{"abc"} << QStringList{mismatch}
        << "2" << old << old;
    QTest::newRow("enter, count 32768")
        << "2" << old << old << QStringList{enter} << QStringList{"32768"} << QStringList{overflow}
        << "2" << old << old;
    QTest::newRow("enter, second element cancelled keeps the first")
        << "2" << old << old << QStringList{enter} << QStringList{"3", "5", ""}
        << QStringList{mismatch} << "3" << QStringList{"5"} << old;
    QTest::newRow("enter, element -40000")
        << "" << none << none << QStringList{enter} << QStringList{"2", "-40000"}
        << QStringList{overflow} << "2" << none << none;

    const QStringList ones(32767, QStringLiteral("1"));
    QTest::newRow("enter 32767 appends every row, then its counter overflows")
        << "" << none << none << QStringList{enter} << QStringList{"32767"} + ones
        << QStringList{overflow} << "32767" << ones << none;

    // Sorting.
    QTest::newRow("sort 2 2 1 keeps duplicates")
        << "3" << QStringList{"2", "2", "1"} << none << QStringList{sort} << none << none << "3"
        << QStringList{"2", "2", "1"} << QStringList{"1", "2", "2"};
    QTest::newRow("sort -7 3 0") << "3" << QStringList{"3", "-7", "0"} << none << QStringList{sort}
                                 << none << none << "3" << QStringList{"3", "-7", "0"}
                                 << QStringList{"-7", "0", "3"};
    QTest::newRow("sort twice gives the same rows")
        << "2" << QStringList{"5", "1"} << none << QStringList{sort, sort} << none << none << "2"
        << QStringList{"5", "1"} << QStringList{"1", "5"};
    QTest::newRow("sort takes only the first n rows")
        << "2" << QStringList{"9", "4", "1"} << none << QStringList{sort} << none << none << "2"
        << QStringList{"9", "4", "1"} << QStringList{"4", "9"};
    QTest::newRow("sort reads the count box leniently")
        << "2.5 rows" << QStringList{"9", "4", "1"} << none << QStringList{sort} << none << none
        << "2.5 rows" << QStringList{"9", "4", "1"} << QStringList{"4", "9"};
    QTest::newRow("sort after insert drops the inserted number")
        << "2" << QStringList{"5", "1"} << none << QStringList{sort, insert, sort}
        << QStringList{"3"} << none << "2" << QStringList{"5", "1"} << QStringList{"1", "5"};
    QTest::newRow("sort, empty count box") << "" << old << old << QStringList{sort} << none
                                           << QStringList{subscript} << "" << old << old;
    QTest::newRow("sort, count -2") << "-2" << old << old << QStringList{sort} << none
                                    << QStringList{subscript} << "-2" << old << old;
    QTest::newRow("sort, count 40000") << "40000" << old << old << QStringList{sort} << none
                                       << QStringList{overflow} << "40000" << old << old;
    QTest::newRow("sort, fewer rows than n")
        << "3" << old << oneFiveNine << QStringList{sort} << none << QStringList{mismatch} << "3"
        << old << oneFiveNine;
    QTest::newRow("sort, n = 32767")
        << "32767" << numbers(1, 32767) << old << QStringList{sort} << none << QStringList{overflow}
        << "32767" << numbers(1, 32767) << old;

    // Inserting.
    QTest::newRow("insert 4 into 1 5 9")
        << "3" << none << oneFiveNine << QStringList{insert} << QStringList{"4"} << none << "3"
        << none << QStringList{"1", "4", "5", "9"};
    QTest::newRow("insert 5 into 1 5 9")
        << "3" << none << oneFiveNine << QStringList{insert} << QStringList{"5"} << none << "3"
        << none << QStringList{"1", "5", "5", "9"};
    QTest::newRow("insert below the smallest")
        << "3" << none << oneFiveNine << QStringList{insert} << QStringList{"-32768"} << none << "3"
        << none << QStringList{"-32768", "1", "5", "9"};
    QTest::newRow("insert above the largest")
        << "3" << none << oneFiveNine << QStringList{insert} << QStringList{"32767"} << none << "3"
        << none << QStringList{"1", "5", "9", "32767"};
    QTest::newRow("insert twice keeps every row")
        << "3" << none << oneFiveNine << QStringList{insert, insert} << QStringList{"4", "2"}
        << none << "3" << none << QStringList{"1", "2", "4", "5", "9"};
    QTest::newRow("insert into an empty sorted list")
        << "" << old << none << QStringList{insert} << QStringList{"6"} << none << "" << old
        << QStringList{"6"};
    QTest::newRow("insert ignores the count box")
        << "junk" << none << oneFiveNine << QStringList{insert} << QStringList{"0"} << none
        << "junk" << none << QStringList{"0", "1", "5", "9"};
    QTest::newRow("insert, cancelled")
        << "3" << none << oneFiveNine << QStringList{insert} << QStringList{""}
        << QStringList{mismatch} << "3" << none << oneFiveNine;
    QTest::newRow("insert, 32768")
        << "3" << none << oneFiveNine << QStringList{insert} << QStringList{"32768"}
        << QStringList{overflow} << "3" << none << oneFiveNine;
    QTest::newRow("insert into 32766 rows")
        << "" << none << numbers(1, 32766) << QStringList{insert} << QStringList{"0"}
        << QStringList{overflow} << "" << none << numbers(1, 32766);
    QTest::newRow("insert into 32765 rows")
        << "" << none << numbers(2, 32766) << QStringList{insert} << QStringList{"1"} << none << ""
        << none << numbers(1, 32766);

    // A failure leaves the window working.
    QTest::newRow("a failed sort, then an entry and a sort")
        << "" << none << none << QStringList{sort, enter, sort} << QStringList{"2", "9", "3"}
        << QStringList{subscript} << "2" << QStringList{"9", "3"} << QStringList{"3", "9"};
}

void TestCommands::commands()
{
    QFETCH(QString, count);
    QFETCH(QStringList, original);
    QFETCH(QStringList, sorted);
    QFETCH(QStringList, presses);
    QFETCH(QStringList, answers);
    QFETCH(QStringList, reports);
    QFETCH(QString, countAfter);
    QFETCH(QStringList, originalAfter);
    QFETCH(QStringList, sortedAfter);

    Session session;
    session.count()->setText(count);
    session.original()->replaceRows(original);
    session.sorted()->replaceRows(sorted);
    session.script.answers = answers;

    for (const QString &button : presses)
        session.press(button);

    QCOMPARE(session.script.reports, reports);
    QCOMPARE(session.script.answers, QStringList()); // every answer was asked for
    QVERIFY(session.window.isVisible());
    QCOMPARE(session.count()->text(), countAfter);
    QCOMPARE(Session::rows(session.original()), originalAfter);
    QCOMPARE(Session::rows(session.sorted()), sortedAfter);
}

void TestCommands::endButtonClosesTheWindow()
{
    Session session;
    session.original()->replaceRows({"1", "2"});
    QVERIFY(QTest::qWaitForWindowExposed(&session.window));
    session.press(QStringLiteral("btnKraj"));
    QVERIFY(!session.window.isVisible());
    QVERIFY(session.script.questions.isEmpty());
}

void TestCommands::everyControlHasAnAccessibleName()
{
    Session session;
    const QList<QWidget *> controls =
        session.window.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 8);
    for (QWidget *control : controls) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
    }
}

// Tab moves to a button, Space presses it, and the dialogs take the answers.
void TestCommands::keyboardAlone()
{
    Session session;
    QVERIFY(QTest::qWaitForWindowActive(&session.window));
    session.original()->setFocus();
    session.script.answers = {"2", "5", "1"};

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), "btnUnesiNiz");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(Session::rows(session.original()), QStringList({"5", "1"}));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), "btnSortirajNiz");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QCOMPARE(Session::rows(session.sorted()), QStringList({"1", "5"}));
}

void TestCommands::applicationIdentity()
{
    platform::applyIdentity(*qApp);
    QCOMPARE(QApplication::applicationName(), "Plimvar");
    QCOMPARE(QApplication::applicationVersion(), "1.00");
    QCOMPARE(QGuiApplication::desktopFileName(), "plimvar");
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
}

QTEST_MAIN(TestCommands)
#include "tst_commands.moc"
