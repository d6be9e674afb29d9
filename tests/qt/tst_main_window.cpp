#include "qt/identity.h"
#include "qt/list_box.h"
#include "qt/main_window.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QIcon>
#include <QInputDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
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
#include <memory>

using namespace plimvar;

namespace {

QJsonObject behaviourTable()
{
    QFile file(QStringLiteral(PLIMVAR_BEHAVIOUR_TABLE));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read the behaviour table");
    return QJsonDocument::fromJson(file.readAll()).object();
}

const QJsonObject &table()
{
    static const QJsonObject whole = behaviourTable();
    return whole;
}

QJsonObject windowTable()
{
    return table()["window"].toObject();
}

// A text of the table: a string, or parts that may repeat.
QString tableText(const QJsonValue &value, const QString &decimal)
{
    QString text;
    if (value.isString()) {
        text = value.toString();
    } else {
        for (const QJsonValue part : value.toArray())
            text +=
                part.isString() ? part.toString() : part[0].toString().repeated(part[1].toInt());
    }
    const QString other = decimal == "." ? "," : ".";
    return text.replace("{decimal}", decimal).replace("{other}", other);
}

int pixels(int twips, int dotsPerInch)
{
    return (twips * dotsPerInch + 720) / 1440;
}

Qt::Key keyNamed(const QString &name)
{
    static const QHash<QString, Qt::Key> keys{
        {"Tab", Qt::Key_Tab},     {"Return", Qt::Key_Return},      {"Escape", Qt::Key_Escape},
        {"space", Qt::Key_Space}, {"Home", Qt::Key_Home},          {"Down", Qt::Key_Down},
        {"End", Qt::Key_End},     {"BackSpace", Qt::Key_Backspace}};
    return keys.value(name, Qt::Key_unknown);
}

// Types as a person does; Qt Test types only ASCII, so other text is put in
// as an input method would.
void typeInto(QWidget *widget, const QString &text)
{
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        QTest::keyClicks(widget, text);
    else if (auto *field = qobject_cast<QLineEdit *>(widget))
        field->insert(text);
}

// Runs the steps of one scenario of the behaviour table on the real window
// and its real modal dialogs. A step that presses a button runs from a timer
// of its own, because the dialogs it opens run their own event loops; the
// poll goes on inside them, answering each dialog as it comes. A failure
// closes what is open, so that a test that goes wrong fails, never hangs.
class TableRun : public QObject
{
public:
    TableRun(QJsonArray steps, QString decimal)
        : m_steps(std::move(steps))
        , m_decimal(std::move(decimal))
    {
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        if (!QTest::qWaitForWindowActive(m_window.get()))
            m_failure = "the window did not become active";
        connect(&m_poll, &QTimer::timeout, this, &TableRun::advance);
        m_poll.start(5);
    }

    bool done() const { return !m_failure.isEmpty() || (m_next == m_steps.size() && !m_busy); }
    QString failure() const { return m_failure; }
    MainWindow &window() { return *m_window; }

private:
    template <typename T> T *control(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }
    QStringList rows(const QString &list) const
    {
        return control<ListBox>(list)->rowModel().rows();
    }

    void fail(const QString &what)
    {
        if (m_failure.isEmpty())
            m_failure = QStringLiteral("step %1: %2").arg(m_next).arg(what);
    }
    void check(const QString &what, const QVariant &seen, const QVariant &expected)
    {
        const auto shown = [](const QVariant &v) {
            return v.typeId() == QMetaType::QStringList ? v.toStringList().join('|') : v.toString();
        };
        if (seen != expected)
            fail(QStringLiteral("%1: expected %2, got %3").arg(what, shown(expected), shown(seen)));
    }

    // Runs an action that may open modal dialogs, from a timer of its own.
    void whileBusy(std::function<void()> action)
    {
        m_busy = true;
        QTimer::singleShot(0, this, [this, action] {
            action();
            m_busy = false;
        });
    }

    void advance()
    {
        if (done()) {
            if (QWidget *open = QApplication::activeModalWidget())
                open->close();
            return;
        }
        const QJsonArray step = m_steps[m_next].toArray();
        const QString action = step[0].toString();
        QWidget *modal = QApplication::activeModalWidget();
        if (modal == m_handled)
            modal = nullptr;
        if (action == "answer" || action == "report") {
            // A dialog is ready once it has the keyboard.
            if (!modal || !modal->isAncestorOf(QApplication::focusWidget()))
                return;
            m_handled = modal;
            ++m_next;
            return action == "answer" ? answer(modal, step) : report(modal, step[1].toString());
        }
        if (modal || m_busy)
            return;
        ++m_next;
        // The window's own focus, which it has again once it is active: the
        // offscreen platform does not give the window back its activation
        // when a dialog closes, as a desktop does.
        QWidget *focus = m_window->focusWidget();
        auto *field = qobject_cast<QLineEdit *>(focus);
        if ((action == "key" || action == "type") && !focus)
            return fail("no control has the focus");
        if (action == "paste" && !field)
            return fail("the focus is on no text box");
        if (action == "press") {
            auto *button = control<QPushButton>(step[1].toString());
            whileBusy([button] { QTest::mouseClick(button, Qt::LeftButton); });
        } else if (action == "key" && step[1] == "ctrl+a") {
            QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
        } else if (action == "key") {
            const Qt::Key key = keyNamed(step[1].toString());
            whileBusy([focus, key] { QTest::keyClick(focus, key); });
        } else if (action == "click") {
            QTest::mouseClick(control<QWidget>(step[1].toString()), Qt::LeftButton);
        } else if (action == "type") {
            typeInto(focus, tableText(step[1], m_decimal));
        } else if (action == "paste") {
            QGuiApplication::clipboard()->setText(tableText(step[1], m_decimal));
            field->paste();
        } else if (action == "end") {
            QTest::mouseClick(control<QPushButton>("btnKraj"), Qt::LeftButton);
            check("the window after Kraj", m_window->isVisible(), false);
        } else if (action == "start") {
            m_window = std::make_unique<MainWindow>();
            m_window->show();
            if (!QTest::qWaitForWindowActive(m_window.get()))
                fail("the new window did not become active");
        } else if (action == "expect") {
            expect(step[1].toObject());
        } else {
            fail("no such step: " + action);
        }
    }

    void answer(QWidget *dialog, const QJsonArray &step)
    {
        auto *input = qobject_cast<QInputDialog *>(dialog);
        if (!input)
            return fail("an input box was expected");
        const QString title = step[1].toString();
        const QJsonObject prompts = windowTable()["prompts"].toObject();
        check("title", input->windowTitle(), title);
        check("question", input->labelText(),
              prompts.value(title).toString(prompts["element"].toString()));
        QLineEdit *field = input->findChild<QLineEdit *>();
        check("the field, empty and focused", QStringList{field->text(), focusName()},
              QStringList{"", field->objectName()});
        const QString text = tableText(step[2], m_decimal);
        const QString how = step.size() > 3 ? step[3].toString() : "Return";
        if (how == "paste") {
            QGuiApplication::clipboard()->setText(text);
            field->paste();
        } else {
            typeInto(field, text);
        }
        if (how == "Cancel") {
            for (QPushButton *button : input->findChildren<QPushButton *>())
                if (button->text().remove('&') == "Cancel")
                    QTest::mouseClick(button, Qt::LeftButton);
        } else {
            QTest::keyClick(field, how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        }
    }

    void report(QWidget *dialog, const QString &failure)
    {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        if (!box)
            return fail("a failure report was expected");
        check("report", QStringList{box->windowTitle(), box->text()},
              QStringList{windowTable()["report_title"].toString(), failure});
        check("the report's icon", box->icon(), QMessageBox::Critical);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }

    QString focusName() const
    {
        QWidget *focus = QApplication::focusWidget();
        return focus ? focus->objectName() : QString();
    }

    void expect(const QJsonObject &expected)
    {
        check("the window is there", m_window->isVisible(), true);
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QString key = it.key();
            const QVariant value = it.value().toVariant();
            if (key == "entered" || key == "sorted") {
                check(key, rows(key == "entered" ? "lstOriginalni" : "lstSortiran"),
                      value.toStringList());
            } else if (key == "count") {
                check(key, control<QLineEdit>("txtBrojElemenata")->text(), value);
            } else if (key == "focus") {
                check(key, m_window->focusWidget() ? m_window->focusWidget()->objectName() : "",
                      value);
            } else if (key == "selected") {
                ListBox *list = control<ListBox>(it.value()[0].toString());
                const QModelIndexList selected = list->selectionModel()->selectedIndexes();
                check(key, selected.size() == 1 ? selected[0].data().toString() : QString(),
                      it.value()[1].toString());
                check("the current row", list->currentIndex().data().toString(),
                      it.value()[1].toString());
            } else if (key == "left_to_right") {
                for (const char *name : {"lstOriginalni", "lstSortiran", "txtBrojElemenata"})
                    check(QStringLiteral("%1 left to right").arg(name),
                          control<QWidget>(name)->isRightToLeft(), false);
            } else if (key == "rows_apart") {
                for (const char *name : {"lstOriginalni", "lstSortiran"})
                    checkRowsApart(control<ListBox>(name));
            } else {
                fail("no such expectation: " + key);
            }
        }
    }

    // Each row starts where the one above ends, and holds a line of the font.
    void checkRowsApart(ListBox *list)
    {
        const int line = list->fontMetrics().height();
        for (int k = 0; k < list->model()->rowCount(); ++k) {
            const QRect row = list->visualRect(list->model()->index(k, 0));
            if (row.height() < line ||
                (k > 0 &&
                 row.top() != list->visualRect(list->model()->index(k - 1, 0)).bottom() + 1))
                fail(QStringLiteral("%1: row %2 overlaps or is less than a line")
                         .arg(list->objectName())
                         .arg(k));
        }
    }

    std::unique_ptr<MainWindow> m_window;
    QJsonArray m_steps;
    QString m_decimal;
    qsizetype m_next = 0;
    bool m_busy = false;
    QString m_failure;
    QPointer<QWidget> m_handled;
    QTimer m_poll;
};

// Runs steps of the table's kind to their end; gives the failure, if any.
QString runSteps(TableRun &run)
{
    if (!QTest::qWaitFor([&] { return run.done(); }, 30000))
        return QStringLiteral("timed out");
    return run.failure();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void behaviour_data();
    void behaviour();
    void theWindowAsTheTableSays();
    void everyControlHasAnAccessibleName();
    void insertKeepsScrollAndSelection();
    void applicationIdentity();
    void captionsFitAnyFont_data();
    void captionsFitAnyFont();
    void qtButtonsInUserLanguage();
    void qtTextsInUserLanguage_data();
    void qtTextsInUserLanguage();
};

void TestMainWindow::initTestCase()
{
    // Qt's own texts in the user's language, as the program has them.
    applyIdentity(*qApp);
}

// CTest runs the table once for each of its locales, in that locale.
void TestMainWindow::behaviour_data()
{
    const QString locale = qEnvironmentVariable("PLIMVAR_TABLE_LOCALE", QStringLiteral("en"));
    const QJsonObject numbers = table()["locales"][locale].toObject();
    QTest::addColumn<QJsonArray>("steps");
    QTest::addColumn<QString>("decimal");
    for (const QJsonValue scenario : table()["scenarios"].toArray()) {
        if (scenario["locale"].toString(QStringLiteral("en")) == locale)
            QTest::newRow(qPrintable(scenario["name"].toString()))
                << scenario["steps"].toArray() << numbers["decimal"].toString(".");
    }
}

void TestMainWindow::behaviour()
{
    QFETCH(QJsonArray, steps);
    QFETCH(QString, decimal);
    if (QLocale::system().language() == QLocale::Arabic)
        QVERIFY2(QGuiApplication::isRightToLeft(), "Qt's Arabic texts turn the application");
    TableRun run(steps, decimal);
    const QString failure = runSteps(run);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
}

// The layout table at this screen's dots per inch, every control in the
// application's font, each caption clear of its button's sides.
void TestMainWindow::theWindowAsTheTableSays()
{
    const QJsonObject window = windowTable();
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const int dpi = w.logicalDpiX();
    QCOMPARE(w.windowTitle(), window["title"].toString());
    QCOMPARE(w.objectName(), "frmPlimvar");
    QCOMPARE(w.size(), QSize(pixels(window["client"][0].toInt(), dpi),
                             pixels(window["client"][1].toInt(), dpi)));
    const QJsonObject controls = window["controls"].toObject();
    for (auto it = controls.begin(); it != controls.end(); ++it) {
        QWidget *control = w.findChild<QWidget *>(it.key());
        const QJsonArray twips = it.value().toArray();
        QCOMPARE(control->geometry(),
                 QRect(pixels(twips[0].toInt(), dpi), pixels(twips[1].toInt(), dpi),
                       pixels(twips[2].toInt(), dpi), pixels(twips[3].toInt(), dpi)));
        QCOMPARE(control->font(), QApplication::font());
    }
    const QJsonObject captions = window["captions"].toObject();
    const int margin = pixels(window["button_caption_margin"].toInt(), dpi);
    for (auto it = captions.begin(); it != captions.end(); ++it) {
        QWidget *control = w.findChild<QWidget *>(it.key());
        QCOMPARE(control->property("text").toString(), it.value().toString());
        if (qobject_cast<QPushButton *>(control))
            QVERIFY2(control->width() -
                             control->fontMetrics().horizontalAdvance(it.value().toString()) >=
                         2 * margin,
                     qPrintable(it.key()));
    }

    // Tab moves through the controls in table order; the label takes no focus.
    QStringList tabOrder;
    QWidget *c = w.findChild<QWidget *>("lstOriginalni");
    for (int k = 0; k < 7; ++k, c = c->nextInFocusChain()) {
        while (c->focusPolicy() == Qt::NoFocus || !c->isVisibleTo(&w))
            c = c->nextInFocusChain();
        tabOrder << c->objectName();
    }
    QCOMPARE(QJsonArray::fromStringList(tabOrder), window["tab_order"].toArray());
    for (QPushButton *button : w.findChildren<QPushButton *>())
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->text()));
}

void TestMainWindow::everyControlHasAnAccessibleName()
{
    MainWindow w;
    const QJsonObject names = windowTable()["names"].toObject();
    const QList<QWidget *> controls =
        w.findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    QCOMPARE(controls.size(), 8);
    for (QWidget *control : controls) {
        QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(control);
        QVERIFY(accessible);
        const QString name = accessible->text(QAccessible::Name);
        QVERIFY2(!name.isEmpty(), qPrintable(control->objectName()));
        if (names.contains(control->objectName()))
            QCOMPARE(name, names[control->objectName()].toString());
    }
    QCOMPARE(QAccessible::queryAccessibleInterface(&w)->role(), QAccessible::Window);
}

// Inserting into a long sorted list adds one row: the user's place in the
// list and the row they picked stay as they were.
void TestMainWindow::insertKeepsScrollAndSelection()
{
    TableRun run(
        {QJsonArray{"press", "btnUmetniBroj"}, QJsonArray{"answer", "Umetni broj", "3001"}}, ".");
    MainWindow &w = run.window();
    auto *sorted = w.findChild<ListBox *>("lstSortiran");
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

    const QString failure = runSteps(run);
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
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

void TestMainWindow::qtTextsInUserLanguage_data()
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

// Qt's own buttons in the user's language or the closest Qt has; Arabic
// turns the application right to left (the table checks that the rows and
// the count box do not follow).
void TestMainWindow::qtTextsInUserLanguage()
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
    const bool rightToLeft = QGuiApplication::isRightToLeft();
    QCoreApplication::removeTranslator(texts);
    delete texts;
    QCoreApplication::processEvents();

    QCOMPARE(shown, buttons);
    QCOMPARE(rightToLeft, locale.startsWith("ar"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_main_window.moc"
