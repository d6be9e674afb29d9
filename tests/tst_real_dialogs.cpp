#include "window/main_window.h"
#include "window/platform.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace plimvar;

namespace {

// Answers the real modal dialogs, one action for each dialog in the order
// they appear. Every dialog is closed after its action, so that a test that
// goes wrong fails instead of hanging.
class DialogDriver : public QObject
{
public:
    using Action = std::function<void(QWidget *)>;

    explicit DialogDriver(QList<Action> actions)
        : m_actions(std::move(actions))
    {
        connect(&m_poll, &QTimer::timeout, this, &DialogDriver::poll);
        m_poll.start(10);
    }

    int dialogsSeen() const { return m_seen; }

private:
    void poll()
    {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog == m_handled)
            return;
        m_handled = dialog;
        ++m_seen;
        if (!m_actions.isEmpty())
            m_actions.takeFirst()(dialog);
        if (dialog->isVisible())
            dialog->close();
    }

    QList<Action> m_actions;
    QPointer<QWidget> m_handled;
    QTimer m_poll;
    int m_seen = 0;
};

QStringList rowsOf(const platform::ListBox *list)
{
    QStringList rows;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        rows.append(list->model()->index(row, 0).data().toString());
    return rows;
}

// Checks the question a dialog asks, then types the answer and presses a key.
DialogDriver::Action answer(const QString &title, const QString &prompt, const QString &text,
                            Qt::Key key = Qt::Key_Return)
{
    return [=](QWidget *dialog) {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        QVERIFY2(input, "an input dialog was expected");
        QCOMPARE(input->windowTitle(), title);
        QCOMPARE(input->labelText(), prompt);
        QLineEdit *field = input->findChild<QLineEdit *>();
        QVERIFY(field);
        QCOMPARE(field->text(), QString());
        QTest::keyClicks(field, text);
        QTest::keyClick(field, key);
    };
}

DialogDriver::Action dismissReport(QString *message)
{
    return [=](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        QVERIFY2(box, "a message box was expected");
        QCOMPARE(box->windowTitle(), "Plimvar");
        QCOMPARE(box->icon(), QMessageBox::Critical);
        *message = box->text();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    };
}

} // namespace

class TestRealDialogs : public QObject
{
    Q_OBJECT

private slots:
    void entryThroughRealDialogs();
    void userLocaleDecimalSeparator();
};

void TestRealDialogs::entryThroughRealDialogs()
{
    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QString report;
    DialogDriver driver({
        answer("Broj elemenata niza", "Uneti broj elemenata niza:", "3"),
        answer("1 element", "Uneti element niza:", "-5"),
        answer("2 element", "Uneti element niza:", "12"),
        answer("3 element", "Uneti element niza:", "7", Qt::Key_Escape),
        dismissReport(&report),
    });
    QTest::mouseClick(window.findChild<QPushButton *>("btnUnesiNiz"), Qt::LeftButton);

    QCOMPARE(driver.dialogsSeen(), 5);
    QCOMPARE(report, "Type mismatch");
    QVERIFY(window.isVisible());
    QCOMPARE(window.findChild<QLineEdit *>("txtBrojElemenata")->text(), "3");
    QCOMPARE(rowsOf(window.findChild<platform::ListBox *>("lstOriginalni")),
             QStringList({"-5", "12"}));
}

void TestRealDialogs::userLocaleDecimalSeparator()
{
    // CTest runs this test once in the C locale and once in a German one.
    const QString separator = QLocale::system().decimalPoint();
    const QString expected = qEnvironmentVariable("PLIMVAR_EXPECTED_SEPARATOR");
    if (!expected.isEmpty())
        QCOMPARE(separator, expected);
    const QString other = separator == "." ? "," : ".";

    MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QString report;
    DialogDriver driver({
        answer("Broj elemenata niza", "Uneti broj elemenata niza:", "2"),
        answer("1 element", "Uneti element niza:", "3" + separator + "5"),
        answer("2 element", "Uneti element niza:", "2" + other + "5"),
        dismissReport(&report),
    });
    QTest::mouseClick(window.findChild<QPushButton *>("btnUnesiNiz"), Qt::LeftButton);

    QCOMPARE(report, "Type mismatch");
    QCOMPARE(rowsOf(window.findChild<platform::ListBox *>("lstOriginalni")), QStringList({"4"}));
}

QTEST_MAIN(TestRealDialogs)
#include "tst_real_dialogs.moc"
