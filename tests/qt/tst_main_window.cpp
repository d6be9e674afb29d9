#include "qt/identity.h"
#include "qt/list_box.h"
#include "qt/main_window.h"
#include "qt/qt_text.h"

#include "core/caption_fit.h"

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
#include <QPushButton>
#include <QQueue>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <memory>
#include <utility>

using namespace plimvar;

namespace {

QJsonObject readJson(const char *path)
{
    QFile file(QString::fromUtf8(path));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", path);
    return QJsonDocument::fromJson(file.readAll()).object();
}

const QJsonObject &table()
{
    static const QJsonObject whole = readJson(PLIMVAR_BEHAVIOUR_TABLE);
    return whole;
}

// The window's table and the program's texts, as the build writes them from the core.
const QJsonObject &programTexts()
{
    static const QJsonObject whole = readJson(PLIMVAR_TEXTS);
    return whole;
}

// An input box by its key in the table (count, element K, insert): its title and prompt.
std::pair<QString, QString> dialogNamed(const QString &key)
{
    const QString kind = key.section(' ', 0, 0), k = key.section(' ', 1);
    const QJsonObject dialog = programTexts()["dialogs"][kind].toObject();
    return {dialog["title"].toString().replace("{k}", k), dialog["prompt"].toString()};
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

Qt::Key keyNamed(const QString &name)
{
    static const QHash<QString, Qt::Key> keys{
        {"Tab", Qt::Key_Tab},     {"Return", Qt::Key_Return},       {"Escape", Qt::Key_Escape},
        {"space", Qt::Key_Space}, {"Home", Qt::Key_Home},           {"Down", Qt::Key_Down},
        {"End", Qt::Key_End},     {"BackSpace", Qt::Key_Backspace}, {"Up", Qt::Key_Up}};
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

QString focusName(QWidget *focus)
{
    return focus ? focus->objectName() : QString();
}

// Runs the steps of a scenario of the behaviour table on the real window.
// The dialogs a step opens are answered as each shows, from a zero timer
// inside its own event loop, by the answer and report steps that follow it;
// a dialog nobody expected, or one a failed check left open, is closed, so
// that a test that goes wrong fails and never hangs.
class TableRun : public QObject
{
public:
    explicit TableRun(QString decimal)
        : m_decimal(std::move(decimal))
    {
        qApp->installEventFilter(this);
        start();
    }
    ~TableRun() override { qApp->removeEventFilter(this); }

    MainWindow &window() { return *m_window; }

    void run(const QJsonArray &steps)
    {
        for (qsizetype k = 0; k < steps.size() && !QTest::currentTestFailed(); ++k) {
            const QJsonArray step = steps[k].toArray();
            // The dialogs this step opens take the steps after it.
            while (k + 1 < steps.size() &&
                   QStringList{"answer", "report"}.contains(steps[k + 1][0].toString()))
                m_dialogSteps.enqueue(steps[++k].toArray());
            doStep(step);
            const bool dialogsMissing = !m_dialogSteps.isEmpty();
            if (QTest::currentTestFailed() || dialogsMissing)
                qWarning("at step %lld: %s", static_cast<long long>(k),
                         QJsonDocument(step).toJson(QJsonDocument::Compact).constData());
            if (dialogsMissing && !QTest::currentTestFailed())
                QFAIL(qPrintable("no dialog came for: " + m_dialogSteps.head()[1].toString()));
        }
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *dialog = qobject_cast<QDialog *>(watched);
        if (event->type() == QEvent::Show && dialog && dialog->isModal())
            QTimer::singleShot(0, dialog, [this, dialog] { answerDialog(dialog); });
        return false;
    }

private:
    template <typename T> T *control(const QString &name) const
    {
        return m_window->findChild<T *>(name);
    }

    void start()
    {
        m_window = std::make_unique<MainWindow>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void doStep(const QJsonArray &step)
    {
        const QString action = step[0].toString();
        // The window's own focus, which it has again once it is active: the
        // offscreen platform does not give the window back its activation
        // when a dialog closes, as a desktop does.
        QWidget *focus = m_window->focusWidget();
        if (action == "press") {
            QTest::mouseClick(control<QPushButton>(step[1].toString()), Qt::LeftButton);
        } else if (action == "click") {
            QTest::mouseClick(control<QWidget>(step[1].toString()), Qt::LeftButton);
        } else if (action == "key" || action == "type" || action == "paste") {
            QVERIFY2(focus, "no control has the focus");
            if (action == "key" && step[1] == "ctrl+a")
                QTest::keyClick(focus, Qt::Key_A, Qt::ControlModifier);
            else if (action == "key" && step[1] == "KP_Enter")
                QTest::keyClick(focus, Qt::Key_Enter, Qt::KeypadModifier);
            else if (action == "key")
                QTest::keyClick(focus, keyNamed(step[1].toString()));
            else if (action == "type")
                typeInto(focus, tableText(step[1], m_decimal));
            else
                paste(qobject_cast<QLineEdit *>(focus), tableText(step[1], m_decimal));
        } else if (action == "end") {
            QTest::mouseClick(control<QPushButton>("btnKraj"), Qt::LeftButton);
            QCOMPARE(m_window->isVisible(), false);
        } else if (action == "start") {
            start();
        } else if (action == "expect") {
            expect(step[1].toObject());
        } else {
            QFAIL(qPrintable("no such step: " + action));
        }
    }

    static void paste(QLineEdit *field, const QString &text)
    {
        QVERIFY2(field, "the focus is on no text box");
        QGuiApplication::clipboard()->setText(text);
        field->paste();
    }

    void answerDialog(QDialog *dialog)
    {
        if (m_dialogSteps.isEmpty()) {
            dialog->done(QDialog::Rejected);
            QFAIL(qPrintable("a dialog nobody expected: " + dialog->windowTitle()));
        }
        const QJsonArray step = m_dialogSteps.dequeue();
        // A dialog is ready once it has the keyboard.
        QVERIFY(QTest::qWaitFor([dialog] { return dialog->isAncestorOf(qApp->focusWidget()); }));
        if (step[0] == "answer")
            answer(qobject_cast<QInputDialog *>(dialog), step);
        else
            report(qobject_cast<QMessageBox *>(dialog), step[1].toString());
        if (dialog->isVisible())
            dialog->done(QDialog::Rejected);
    }

    void answer(QInputDialog *input, const QJsonArray &step)
    {
        QVERIFY2(input, "an input box was expected");
        const auto [title, prompt] = dialogNamed(step[1].toString());
        QCOMPARE(input->windowTitle(), title);
        QCOMPARE(input->labelText(), prompt);
        QFont titleFont = input->font();
        titleFont.setBold(true);
        const QFontMetrics titleBar(titleFont);
        QVERIFY2(input->width() >=
                     layout::titleBarWidth(titleBar.horizontalAdvance(title), titleBar.height()),
                 "the dialog too narrow for its title in a title bar");
        QLineEdit *field = input->findChild<QLineEdit *>();
        QCOMPARE(field->text(), QString());
        QCOMPARE(focusName(qApp->focusWidget()), field->objectName());
        const QString text = tableText(step[2], m_decimal);
        const QString how = step.size() > 3 ? step[3].toString() : "Return";
        if (how == "paste")
            paste(field, text);
        else
            typeInto(field, text);
        if (how == "Cancel") {
            for (QPushButton *button : input->findChildren<QPushButton *>())
                if (button->text().remove('&') == "Cancel")
                    QTest::mouseClick(button, Qt::LeftButton);
        } else {
            QTest::keyClick(field, how == "Escape" ? Qt::Key_Escape : Qt::Key_Return);
        }
    }

    static void report(QMessageBox *box, const QString &failure)
    {
        QVERIFY2(box, "a failure report was expected");
        QCOMPARE(box->windowTitle(), programTexts()["report"]["title"].toString());
        QCOMPARE(box->text(), programTexts()["report"]["failures"][failure].toString());
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QTest::keyClick(qApp->focusWidget(), Qt::Key_Return);
    }

    void expect(const QJsonObject &expected)
    {
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_window->isVisible());
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            const QString key = it.key();
            const QJsonValue value = it.value();
            if (key == "entered" || key == "sorted") {
                const auto *list =
                    control<ListBox>(key == "entered" ? "lstOriginalni" : "lstSortiran");
                QCOMPARE(list->rowModel().rows(), value.toVariant().toStringList());
            } else if (key == "count") {
                QCOMPARE(control<QLineEdit>("txtBrojElemenata")->text(), value.toString());
            } else if (key == "focus") {
                QCOMPARE(focusName(m_window->focusWidget()), value.toString());
            } else if (key == "selected") {
                ListBox *list = control<ListBox>(value[0].toString());
                const QModelIndexList selected = list->selectionModel()->selectedIndexes();
                QCOMPARE(selected.size(), 1);
                QCOMPARE(selected[0].data().toString(), value[1].toString());
                QCOMPARE(list->currentIndex().data().toString(), value[1].toString());
            } else if (key == "left_to_right") {
                for (const char *name : {"lstOriginalni", "lstSortiran", "txtBrojElemenata"})
                    QVERIFY2(!control<QWidget>(name)->isRightToLeft(), name);
            } else if (key == "rows_apart") {
                for (const char *name : {"lstOriginalni", "lstSortiran"})
                    checkRowsApart(control<ListBox>(name));
            } else {
                QFAIL(qPrintable("no such expectation: " + key));
            }
        }
    }

    // Each row starts where the one above ends, and holds a line of the font.
    static void checkRowsApart(ListBox *list)
    {
        const int line = list->fontMetrics().height();
        for (int k = 0; k < list->model()->rowCount(); ++k) {
            const QRect row = list->visualRect(list->model()->index(k, 0));
            QVERIFY2(row.height() >= line, qPrintable(list->objectName()));
            if (k > 0)
                QCOMPARE(row.top(), list->visualRect(list->model()->index(k - 1, 0)).bottom() + 1);
        }
    }

    std::unique_ptr<MainWindow> m_window;
    QString m_decimal;
    QQueue<QJsonArray> m_dialogSteps;
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void behaviour_data();
    void behaviour();
    void theWindowAsTheTableSays();
    void insertKeepsScrollAndSelection();
    void listsShowTheFocus();
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
    TableRun(decimal).run(steps);
}

// At the application's font nothing needs stretching: the window stands as
// the core's table places it at this screen's dots per inch, its controls in
// the application's font, with the table's texts and tab order.
void TestMainWindow::theWindowAsTheTableSays()
{
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    const layout::PixelLayout places =
        layout::inPixels(layout::fitCaptions({}), w.logicalDpiX(), w.logicalDpiY());
    QCOMPARE(w.windowTitle(), programTexts()["window"]["title"].toString());
    QCOMPARE(w.objectName(), qtText(layout::kWindowName));
    QCOMPARE(w.size(), QSize(places.client.width, places.client.height));
    const QJsonArray controls = programTexts()["controls"].toArray();
    QCOMPARE(controls.size(), qsizetype(layout::kLayout.size()));
    QStringList tableOrder, tabOrder;
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::ControlPlace &place = layout::kLayout[k];
        auto *control = w.findChild<QWidget *>(qtText(place.name));
        QVERIFY2(control, qPrintable(qtText(place.name)));
        const layout::Rect &r = places.controls[k];
        QCOMPARE(control->geometry(), QRect(r.left, r.top, r.width, r.height));
        QCOMPARE(control->font(), QApplication::font());
        if (!place.caption.empty())
            QCOMPARE(control->property("text").toString(), qtText(place.caption));
        QCOMPARE(control->objectName(), controls[k]["name"].toString());
        if (place.kind != layout::ControlKind::Label)
            QCOMPARE(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name),
                     controls[k]["accessible name"].toString());
        if (control->focusPolicy() != Qt::NoFocus)
            tableOrder << control->objectName();
    }

    // Tab moves through the controls in table order; the label takes no focus.
    QWidget *c = w.findChild<QWidget *>(tableOrder.first());
    for (qsizetype k = 0; k < tableOrder.size(); ++k, c = c->nextInFocusChain()) {
        while (c->focusPolicy() == Qt::NoFocus || !c->isVisibleTo(&w))
            c = c->nextInFocusChain();
        tabOrder << c->objectName();
    }
    QCOMPARE(tabOrder, tableOrder);
    for (QPushButton *button : w.findChildren<QPushButton *>())
        QVERIFY2(!button->isDefault() && !button->autoDefault(), qPrintable(button->text()));
    QCOMPARE(QAccessible::queryAccessibleInterface(&w)->role(), QAccessible::Window);
}

// Inserting into a long sorted list adds one row: the user's place in the
// list and the row they picked stay as they were.
void TestMainWindow::insertKeepsScrollAndSelection()
{
    TableRun run(".");
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

    run.run({QJsonArray{"press", "btnUmetniBroj"}, QJsonArray{"answer", "insert", "3001"}});
    QCOMPARE(sorted->rowModel().rows().size(), 2001);
    QCOMPARE(sorted->rowModel().rows().at(1501), "3001");
    QCOMPARE(sorted->verticalScrollBar()->value(), scrolled);
    QCOMPARE(sorted->currentIndex().row(), 1500);
    QCOMPARE(sorted->selectionModel()->selectedIndexes().value(0).data().toString(), "3000");
}

// A list shows that it has the keyboard from the moment it takes it, empty
// or not, as the buttons and the count box do.
void TestMainWindow::listsShowTheFocus()
{
    MainWindow w;
    w.show();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto *button = w.findChild<QPushButton *>("btnKraj");
    for (const char *name : {"lstOriginalni", "lstSortiran"}) {
        auto *list = w.findChild<ListBox *>(name);
        for (const std::vector<ElementValue> &rows : {std::vector<ElementValue>{}, {7, 8}}) {
            list->rowModel().replaceRows(rows);
            button->setFocus();
            const QImage unfocused = list->grab().toImage();
            list->setFocus();
            QVERIFY(list->hasFocus());
            const QImage focused = list->grab().toImage();
            QVERIFY2(focused != unfocused,
                     qPrintable(QStringLiteral("%1 with %2 rows").arg(name).arg(rows.size())));
        }
    }
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
