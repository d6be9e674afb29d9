// How fast the program answers. Times the shipped sort beside a plain double
// loop and std::sort, the sort and insert commands in the Qt window from the
// click to the painted list beside the floor (the same list replaced with
// ready rows and painted), one appended row at 100 and at 32000 rows, and
// the real program's start. Each figure is the minimum and the median of
// several rounds; within a round every measurement takes its turn, so that a
// noisy machine shifts them all alike. Ends with one summary line.
#include "core/commands.h"
#include "core/exchange_sort.h"
#include "first_paint.h"
#include "qt/list_box.h"
#include "qt/main_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <vector>

using namespace plimvar;

namespace {

constexpr int kLargest = 32766;
constexpr int kRounds = 7;

std::vector<ElementValue> randomElements(int size, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(kElementMin, kElementMax);
    std::vector<ElementValue> elements(static_cast<std::size_t>(size));
    for (ElementValue &e : elements)
        e = static_cast<ElementValue>(value(random));
    return elements;
}

QStringList rowTexts(const std::vector<ElementValue> &elements)
{
    QStringList rows;
    for (ElementValue e : elements)
        rows.append(QString::number(e));
    return rows;
}

double millisecondsOf(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// Counts the paints of a list, so that a measurement can run to the painted
// list and no further.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(ListBox *list)
        : m_list(list)
    {
        list->viewport()->installEventFilter(this);
    }
    // Runs the event loop until the list has been painted again.
    void waitForPaint()
    {
        const int before = m_paints;
        QElapsedTimer bound;
        bound.start();
        while (m_paints == before && bound.elapsed() < 2000)
            QCoreApplication::processEvents();
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++m_paints;
        return false;
    }

private:
    ListBox *m_list;
    int m_paints = 0;
};

// The Qt window with a dialog answered in advance; everything else is the
// window's own.
class AnsweredWindow : public MainWindow
{
public:
    std::u16string answer = u"0";
    int failures = 0;
    std::u16string askText(std::u16string_view, std::u16string_view) override { return answer; }
    void reportFailure(std::u16string_view) override { ++failures; }
};

struct Figures
{
    std::vector<double> samples;
    double min() const { return *std::min_element(samples.begin(), samples.end()); }
    double median() const
    {
        std::vector<double> s = samples;
        std::sort(s.begin(), s.end());
        return s[s.size() / 2];
    }
};

} // namespace

// bench_plimvar [PROGRAM]: the start is timed for PROGRAM, another build of
// the program say, instead of this build's.
int main(int argc, char *argv[])
{
    const char *program = argc > 1 ? argv[1] : PLIMVAR_PROGRAM;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    AnsweredWindow window;
    window.show();
    QCoreApplication::processEvents();
    auto *original = window.findChild<ListBox *>(QStringLiteral("lstOriginalni"));
    auto *sorted = window.findChild<ListBox *>(QStringLiteral("lstSortiran"));
    PaintCounter sortedPaints(sorted);
    auto press = [&](const char *button) {
        window.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    };

    const std::vector<ElementValue> input = randomElements(kLargest, 1);
    std::vector<ElementValue> ascending = input;
    std::sort(ascending.begin(), ascending.end());
    const QStringList inputRows = rowTexts(input);
    const QStringList sortedRows = rowTexts(ascending);
    const QStringList insertRows = rowTexts(randomElements(kLargest - 1, 2));
    QStringList insertSorted = insertRows;
    std::sort(insertSorted.begin(), insertSorted.end(),
              [](const QString &a, const QString &b) { return a.toInt() < b.toInt(); });
    original->rowModel().replaceRows(inputRows);
    window.setCountText(elementText(kLargest));

    std::map<std::string, Figures> figures;
    auto sortOnce = [&](const std::function<void(std::vector<ElementValue> &)> &sort) {
        std::vector<ElementValue> a = input;
        const double ms = millisecondsOf([&] { sort(a); });
        if (a != ascending)
            std::printf("a sort gave a wrong result\n");
        return ms;
    };

    for (int round = 0; round < kRounds; ++round) {
        std::fprintf(stderr, "round %d of %d\n", round + 1, kRounds);
        figures["sort_shipped"].samples.push_back(sortOnce([](std::vector<ElementValue> &v) {
            WorkArray a(static_cast<ElementValue>(v.size()));
            std::copy(v.begin(), v.end(), a.elements().begin());
            exchangeSort(a);
            std::copy(a.elements().begin(), a.elements().end(), v.begin());
        }));
        figures["sort_std"].samples.push_back(
            sortOnce([](std::vector<ElementValue> &v) { std::sort(v.begin(), v.end()); }));
        // The exchanges as a bare double loop, with no counters or bounds tested.
        figures["sort_plain_loop"].samples.push_back(sortOnce([](std::vector<ElementValue> &e) {
            for (std::size_t i = 0; i + 1 < e.size(); ++i) {
                for (std::size_t j = i + 1; j < e.size(); ++j) {
                    if (e[i] > e[j])
                        std::swap(e[i], e[j]);
                }
            }
        }));

        // The floor: the sorted list replaced with ready rows, then painted.
        sorted->rowModel().replaceRows({});
        sortedPaints.waitForPaint();
        figures["floor"].samples.push_back(millisecondsOf([&] {
            sorted->rowModel().replaceRows(sortedRows);
            sortedPaints.waitForPaint();
        }));

        sorted->rowModel().replaceRows({});
        sortedPaints.waitForPaint();
        figures["sort_command"].samples.push_back(millisecondsOf([&] {
            press("btnSortirajNiz");
            sortedPaints.waitForPaint();
        }));
        if (sorted->rowModel().rows() != sortedRows)
            std::printf("the sort command gave a wrong result\n");

        // A list of its own, as the sort command leaves it, not one shared
        // with this benchmark, which the insertion would have to copy first.
        QStringList own;
        for (const QString &row : insertSorted)
            own.append(QString(row.data(), row.size()));
        sorted->rowModel().replaceRows(own);
        own.clear();
        sortedPaints.waitForPaint();
        figures["insert_command"].samples.push_back(millisecondsOf([&] {
            press("btnUmetniBroj");
            sortedPaints.waitForPaint();
        }));
        if (sorted->rowModel().rows().size() != kLargest)
            std::printf("the insert command failed\n");

        for (int rows : {100, 32000}) {
            QStringList start = inputRows.mid(0, rows);
            original->rowModel().replaceRows(start);
            QCoreApplication::processEvents();
            constexpr int kAppends = 50;
            const double ms = millisecondsOf([&] {
                for (int k = 0; k < kAppends; ++k) {
                    window.appendRow(List::Original, u"-12345");
                    QCoreApplication::processEvents();
                }
            });
            figures[rows == 100 ? "append_100" : "append_32000"].samples.push_back(ms / kAppends);
        }
        original->rowModel().replaceRows(inputRows);

        const StartFigures start = measureStart(program);
        figures["start"].samples.push_back(start.milliseconds);
        figures["peak_mb"].samples.push_back(start.peakMegabytes);
    }

    std::printf("%-16s %12s %12s   (%d rounds; %d elements and rows)\n", "figure", "min", "median",
                kRounds, kLargest);
    for (const auto &[name, f] : figures)
        std::printf("%-16s %12.3f %12.3f   %s\n", name.c_str(), f.min(), f.median(),
                    name == "peak_mb" ? "MB" : "ms");
    if (window.failures)
        std::printf("a command reported %d failures\n", window.failures);

    auto median = [&](const char *name) { return figures[name].median(); };
    std::printf("summary: speedup_vs_plain_loop=%.0fx speedup_vs_std_sort=%.2fx "
                "sort_command_over_floor=%.2f insert_command_over_floor=%.2f "
                "append_32000_over_100=%.2f start_ms=%.0f peak_mb=%.0f\n",
                median("sort_plain_loop") / median("sort_shipped"),
                median("sort_std") / median("sort_shipped"),
                median("sort_command") / median("floor"),
                median("insert_command") / median("floor"),
                median("append_32000") / median("append_100"), median("start"), median("peak_mb"));
    return 0;
}
