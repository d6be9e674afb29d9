#include "qt/identity.h"
#include "qt/list_box.h"
#include "qt/main_window.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QIcon>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

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
        // Qt Test types only ASCII; other text is put in as an input method would.
        bool ascii = true;
        for (QChar c : text)
            ascii = ascii && c.unicode() < 0x80;
        if (ascii)
            QTest::keyClicks(field, text);
        else
            field->insert(text);
        QTest::keyClick(field, key);
    };
}

// Pastes the text into the dialog's field and presses Return.
DialogDriver::Action paste(const QString &text)
{
    return [=](QWidget *dialog) {
        QLineEdit *field = dialog->findChild<QLineEdit *>();
        QVERIFY(field);
        QGuiApplication::clipboard()->setText(text);
        field->paste();
        QTest::keyClick(field, Qt::Key_Return);
    };
}

DialogDriver::Action element(int i, const QString &text, Qt::Key key = Qt::Key_Return)
{
    return answer(QString::number(i) + " element", "Uneti element niza:", text, key);
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

const QString countTitle = QStringLiteral("Broj elemenata niza");
const QString countPrompt = QStringLiteral("Uneti broj elemenata niza:");

struct Window
{
    MainWindow window;

    Window()
    {
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
    ListBox *list(const char *name) const
    {
        return window.findChild<ListBox *>(QString::fromLatin1(name));
    }
    QStringList rows(const char *name) const { return list(name)->rowModel().rows(); }
    QLineEdit *count() const { return window.findChild<QLineEdit *>("txtBrojElemenata"); }
    QPushButton *button(const char *name) const
    {
        return window.findChild<QPushButton *>(QString::fromLatin1(name));
    }
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void startsEmptyAsTheTableSays();
    void entryThroughRealDialogs();
    void userLocaleNumbers();
    void everyControlHasAnAccessibleName();
    void keyboardAlone_data();
    void keyboardAlone();
    void insertKeepsScrollAndSelection();
    void applicationIdentity();
    void pastedTextArrivesWhole_data();
    void pastedTextArrivesWhole();
    void captionsFitAnyFont_data();
    void captionsFitAnyFont();
    void qtButtonsInUserLanguage();
    void qtTextsAndRowDirection_data();
    void qtTextsAndRowDirection();
};

void TestMainWindow::startsEmptyAsTheTableSays()
{
    Window w;
    QCOMPARE(w.window.windowTitle(), "Plimvar u sortiran niz");
    QCOMPARE(w.window.objectName(), "frmPlimvar");
    QCOMPARE(w.rows("lstOriginalni"), QStringList());
    QCOMPARE(w.rows("lstSortiran"), QStringList());
    QCOMPARE(w.count()->text(), QString());
    QCOMPARE(w.window.findChild<QLabel *>("Label1")->text(), "n =");

    // The layout table, at 15 twips to the pixel on a 96 DPI screen.
    QCOMPARE(w.window.size(), QSize(339, 222));
    QCOMPARE(w.button("btnKraj")->geometry(), QRect(240, 120, 89, 25));
    QCOMPARE(w.count()->geometry(), QRect(40, 192, 65, 21));

    // Tab moves through the controls in table order; the label takes no focus.
    QStringList tabOrder;
    QWidget *c = w.list("lstOriginalni");
    for (int k = 0; k < 7; ++k, c = c->nextInFocusChain()) {
        while (c->focusPolicy() == Qt::NoFocus || !c->isVisibleTo(&w.window))
            c = c->nextInFocusChain();
        tabOrder << c->objectName();
    }
    QCOMPARE(tabOrder,
             QStringList({"lstOriginalni", "lstSortiran", "btnUnesiNiz", "txtBrojElemenata",
                          "btnSortirajNiz", "btnUmetniBroj", "btnKraj"}));
    for (QPushButton *button : w.window.findChildren<QPushButton *>())
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->text()));
}

void TestMainWindow::entryThroughRealDialogs()
{
    Window w;
    QString report;
    DialogDriver driver({
        answer(countTitle, countPrompt, "3"),
        element(1, "-5"),
        element(2, "12"),
        element(3, "7", Qt::Key_Escape),
        dismissReport(&report),
    });
    QTest::mouseClick(w.button("btnUnesiNiz"), Qt::LeftButton);

    QCOMPARE(driver.dialogsSeen(), 5);
    QCOMPARE(report, "Type mismatch");
    QVERIFY(w.window.isVisible());
    QCOMPARE(w.count()->text(), "3");
    QCOMPARE(w.rows("lstOriginalni"), QStringList({"-5", "12"}));
}

// CTest runs this once in the C locale, once in a German one (a decimal
// comma) and once in an Egyptian Arabic one (a separator and digits of its own).
void TestMainWindow::userLocaleNumbers()
{
    const QLocale locale = QLocale::system();
    const QString separator = locale.decimalPoint();
    const QString expected = qEnvironmentVariable("PLIMVAR_EXPECTED_SEPARATOR");
    if (!expected.isEmpty())
        QCOMPARE(separator, expected);
    const QString other = separator == "." ? "," : ".";
    // 3.5 and 2.5 written the way the user's locale writes them.
    const QString threeAndAHalf = locale.toString(3) + separator + locale.toString(5);
    const QString twoAndAHalf = locale.toString(2) + other + locale.toString(5);

    Window w;
    QString report;
    DialogDriver driver({
        answer(countTitle, countPrompt, "2"),
        element(1, threeAndAHalf),
        element(2, twoAndAHalf),
        dismissReport(&report),
    });
    QTest::mouseClick(w.button("btnUnesiNiz"), Qt::LeftButton);

    QCOMPARE(report, "Type mismatch");
    QCOMPARE(w.rows("lstOriginalni"), QStringList({"4"}));
}

void TestMainWindow::everyControlHasAnAccessibleName()
{
    Window w;
    const QList<QWidget *> controls =
        w.window.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 8);
    for (QWidget *control : controls) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(control->objectName()));
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(&w.window)->role(), QAccessible::Window);
}

void TestMainWindow::keyboardAlone_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("Space") << int(Qt::Key_Space);
    QTest::newRow("Return") << int(Qt::Key_Return);
}

// Tab moves to a button, and the key presses it.
void TestMainWindow::keyboardAlone()
{
    QFETCH(int, key);
    Window w;
    w.list("lstOriginalni")->setFocus();

    DialogDriver driver({answer(countTitle, countPrompt, "2"), element(1, "5"), element(2, "1")});
    QTest::keyClick(w.window.focusWidget(), Qt::Key_Tab);
    QTest::keyClick(w.window.focusWidget(), Qt::Key_Tab);
    QCOMPARE(w.window.focusWidget()->objectName(), "btnUnesiNiz");
    QTest::keyClick(w.window.focusWidget(), Qt::Key(key));
    QCOMPARE(w.rows("lstOriginalni"), QStringList({"5", "1"}));

    QTest::keyClick(w.window.focusWidget(), Qt::Key_Tab);
    QTest::keyClick(w.window.focusWidget(), Qt::Key_Tab);
    QCOMPARE(w.window.focusWidget()->objectName(), "btnSortirajNiz");
    QTest::keyClick(w.window.focusWidget(), Qt::Key(key));
    QCOMPARE(w.rows("lstSortiran"), QStringList({"1", "5"}));
}

// Inserting into a long sorted list adds one row: the user's place in the
// list and the row they picked stay as they were.
void TestMainWindow::insertKeepsScrollAndSelection()
{
    Window w;
    ListBox *sorted = w.list("lstSortiran");
    std::vector<ElementValue> rows;
    for (int v = 0; v < 2000; ++v)
        rows.push_back(static_cast<ElementValue>(v * 2));
    sorted->rowModel().replaceRows(rows);
    // The list lays its rows out a batch at a time.
    QTRY_VERIFY(sorted->verticalScrollBar()->maximum() > 1500);
    sorted->setCurrentIndex(sorted->model()->index(1500, 0));
    sorted->scrollTo(sorted->currentIndex(), QAbstractItemView::PositionAtTop);
    QTRY_VERIFY(sorted->verticalScrollBar()->value() > 0);
    const int scrolled = sorted->verticalScrollBar()->value();

    DialogDriver driver({answer("Umetni broj", "Unesi broj koji zelis da umetnes:", "3001")});
    QTest::mouseClick(w.button("btnUmetniBroj"), Qt::LeftButton);
    QCoreApplication::processEvents();

    QCOMPARE(sorted->rowModel().rows().size(), 2001);
    QCOMPARE(sorted->rowModel().rows().at(1501), "3001");
    QCOMPARE(sorted->verticalScrollBar()->value(), scrolled);
    QCOMPARE(sorted->currentIndex().row(), 1500);
    QCOMPARE(sorted->selectionModel()->selectedIndexes().value(0).data().toString(), "3000");
}

void TestMainWindow::applicationIdentity()
{
    applyIdentity(*qApp);
    QCOMPARE(QApplication::applicationName(), "Plimvar");
    QCOMPARE(QApplication::applicationVersion(), "1.00");
    QCOMPARE(QGuiApplication::desktopFileName(), "org.plimvar.plimvar");
    const QList<QSize> sizes = QApplication::windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
}

void TestMainWindow::pastedTextArrivesWhole_data()
{
    const QString longZeros(40000, '0');
    QTest::addColumn<bool>("intoCountBox");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QStringList>("sorted");
    QTest::newRow("answer after a line break") << false << "\n42"
                                               << "" << QStringList{"42"};
    QTest::newRow("answer broken by a line") << false << "4\n2"
                                             << "Type mismatch" << QStringList{};
    QTest::newRow("answer of 40001 characters") << false << longZeros + "7"
                                                << "" << QStringList{"7"};
    QTest::newRow("count after a line break") << true << "\r\n3"
                                              << "" << QStringList{"1", "3", "4"};
    QTest::newRow("count of 40001 characters") << true << longZeros + "2"
                                               << "" << QStringList{"1", "4"};
}

// Pasted text reaches the reading whole, line breaks and all, at any length.
// An answer goes to the insert command, a count to the sort command.
void TestMainWindow::pastedTextArrivesWhole()
{
    QFETCH(bool, intoCountBox);
    QFETCH(QString, text);
    QFETCH(QString, report);
    QFETCH(QStringList, sorted);
    Window w;
    const ElementValue entered[] = {4, 1, 3};
    w.list("lstOriginalni")->rowModel().replaceRows(entered);
    QString reported;
    if (intoCountBox) {
        QGuiApplication::clipboard()->setText(text);
        w.count()->paste();
        QCOMPARE(w.count()->text(), text);
        QTest::mouseClick(w.button("btnSortirajNiz"), Qt::LeftButton);
    } else {
        DialogDriver driver({paste(text), dismissReport(&reported)});
        QTest::mouseClick(w.button("btnUmetniBroj"), Qt::LeftButton);
    }
    QCOMPARE(reported, report);
    QCOMPARE(w.rows("lstSortiran"), sorted);
}

void TestMainWindow::captionsFitAnyFont_data()
{
    QTest::addColumn<int>("points");
    QTest::newRow("12 points") << 12;
    QTest::newRow("16 points") << 16;
}

// With large text, every caption fits its control and no two controls meet.
void TestMainWindow::captionsFitAnyFont()
{
    QFETCH(int, points);
    const QFont original = QApplication::font();
    QFont large = original;
    large.setPointSize(points);
    QApplication::setFont(large);
    MainWindow window;
    QApplication::setFont(original);

    const QList<QWidget *> controls =
        window.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *control : controls) {
        const QFontMetrics metrics = control->fontMetrics();
        QVERIFY2(metrics.height() > QFontMetrics(original).height(),
                 "the large font was not taken");
        QRect room = control->contentsRect();
        QString text;
        if (auto *button = qobject_cast<QPushButton *>(control)) {
            QStyleOptionButton option;
            option.initFrom(button);
            room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
            text = button->text();
        } else if (auto *label = qobject_cast<QLabel *>(control)) {
            text = label->text();
        } else if (!qobject_cast<QLineEdit *>(control)) {
            continue;
        }
        QVERIFY2(metrics.horizontalAdvance(text) <= room.width(),
                 qPrintable(control->objectName()));
        QVERIFY2(metrics.height() <= room.height(), qPrintable(control->objectName()));
    }
    // What each control shows: a label only its text, which the count box
    // may not cover.
    auto shown = [](QWidget *control) {
        QRect r = control->geometry();
        if (auto *label = qobject_cast<QLabel *>(control))
            r.setWidth(label->fontMetrics().horizontalAdvance(label->text()));
        return r;
    };
    for (QWidget *a : controls) {
        QVERIFY(window.rect().contains(a->geometry()));
        for (QWidget *b : controls)
            QVERIFY2(a == b || !shown(a).intersects(shown(b)),
                     qPrintable(a->objectName() + " meets " + b->objectName()));
    }
}

// Qt's own texts follow the user's locale where Qt has them translated.
void TestMainWindow::qtButtonsInUserLanguage()
{
    applyIdentity(*qApp);
    const QStringList expected =
        qEnvironmentVariable("PLIMVAR_EXPECTED_BUTTONS", QStringLiteral("OK|Cancel")).split('|');
    QInputDialog dialog;
    dialog.show();
    QStringList texts;
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        texts.append(button->text().remove('&'));
    texts.sort();
    QStringList sortedExpected = expected;
    sortedExpected.sort();
    QCOMPARE(texts, sortedExpected);
}

void TestMainWindow::qtTextsAndRowDirection_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("buttons");
    const QStringList croatian{"Odustani", "U redu"};
    QTest::newRow("hr_HR") << "hr_HR" << croatian;
    QTest::newRow("sr_RS@latin") << "sr_Latn_RS" << croatian;
    QTest::newRow("sr_RS") << "sr_Cyrl_RS" << croatian;
    QTest::newRow("bs_BA") << "bs_BA" << croatian;
    QTest::newRow("ar_EG") << "ar_EG" << QStringList{"ألغِ", "حسنًا"};
}

// Qt's own buttons in the user's language or the closest Qt has; the rows
// and the count left to right in every locale, also where Qt's texts turn
// the application right to left.
void TestMainWindow::qtTextsAndRowDirection()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, buttons);
    QTranslator *texts = installQtTexts(*qApp, QLocale(locale));
    QVERIFY(texts);
    QCoreApplication::processEvents();
    QInputDialog dialog;
    dialog.show();
    QStringList shown;
    for (QPushButton *button : dialog.findChildren<QPushButton *>())
        shown.append(button->text().remove('&'));
    shown.sort();
    MainWindow window;
    const bool rightToLeft = QGuiApplication::isRightToLeft();
    QCoreApplication::removeTranslator(texts);
    delete texts;
    QCoreApplication::processEvents();

    QCOMPARE(shown, buttons);
    QCOMPARE(rightToLeft, locale.startsWith("ar"));
    for (const char *name : {"lstOriginalni", "lstSortiran", "txtBrojElemenata"})
        QVERIFY2(!window.findChild<QWidget *>(name)->isRightToLeft(), name);
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
