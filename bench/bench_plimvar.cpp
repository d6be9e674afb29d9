// How fast the program answers. Times the shipped sort beside a plain double
// loop and std::sort; the sort and insert commands in the Qt window from the
// click to the painted list, each beside the list's own cost of the same
// visible change (the rows replaced with ready ones and painted; one row
// inserted and painted); one appended row at 100 and at 32000 rows; and the
// real program's start and peak memory beside a Qt window with the same
// controls. Each figure is the minimum and the median of its rounds; within a
// round every measurement takes its turn, so that a noisy machine shifts them
// all alike, and each ratio is the median of the rounds' own ratios. Ends
// with one summary line.
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
constexpr int kRounds = 21;

std::vector<ElementValue> randomElements(int size, unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> value(kElementMin, kElementMax);
    std::vector<ElementValue> elements(static_cast<std::size_t>(size));
    for (ElementValue &e : elements)
        e = static_cast<ElementValue>(value(random));
    return elements;
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
    PaintCounter originalPaints(original);
    auto press = [&](const char *button) {
        window.findChild<QPushButton *>(QString::fromLatin1(button))->click();
    };
    auto replace = [&](ListBox *list, const std::vector<ElementValue> &values) {
        list->rowModel().replaceRows(values);
        sortedPaints.waitForPaint();
    };

    const std::vector<ElementValue> input = randomElements(kLargest, 1);
    std::vector<ElementValue> ascending = input;
    std::sort(ascending.begin(), ascending.end());
    // The insert command's list: one row fewer, since the exchange sort of
    // 32767 elements would overflow.
    std::vector<ElementValue> insertSorted(ascending.begin(), ascending.end() - 1);
    constexpr ElementValue kInserted = 123;
    const auto insertPlace =
        static_cast<int>(std::upper_bound(insertSorted.begin(), insertSorted.end(), kInserted) -
                         insertSorted.begin());
    window.answer = elementText(kInserted);
    original->rowModel().replaceRows(input);
    window.setCountText(elementText(kLargest));

    std::map<std::string, Figures> figures;
    std::map<std::string, Figures> ratios;
    auto sortOnce = [&](const std::function<void(std::vector<ElementValue> &)> &sort) {
        std::vector<ElementValue> a = input;
        const double ms = millisecondsOf([&] { sort(a); });
        if (a != ascending)
            std::printf("a sort gave a wrong result\n");
        return ms;
    };
    auto measure = [&](const char *name, const std::function<void()> &work) {
        const double ms = millisecondsOf(work);
        figures[name].samples.push_back(ms);
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
        if (round < 3) {
            // The exchanges as a bare double loop, with no counters or bounds
            // tested: seconds a round, so only a few.
            figures["sort_plain_loop"].samples.push_back(sortOnce([](std::vector<ElementValue> &e) {
                for (std::size_t i = 0; i + 1 < e.size(); ++i) {
                    for (std::size_t j = i + 1; j < e.size(); ++j) {
                        if (e[i] > e[j])
                            std::swap(e[i], e[j]);
                    }
                }
            }));
        }

        // The sort: its floor is the sorted list replaced with ready rows.
        replace(sorted, {});
        const double sortFloor = measure("sort_floor", [&] { replace(sorted, ascending); });
        replace(sorted, {});
        const double sortCommand = measure("sort_command", [&] {
            press("btnSortirajNiz");
            sortedPaints.waitForPaint();
        });
        if (sorted->rowModel().values().size() != ascending.size() ||
            !std::equal(ascending.begin(), ascending.end(), sorted->rowModel().values().begin()))
            std::printf("the sort command gave a wrong result\n");
        ratios["sort"].samples.push_back(sortCommand / sortFloor);

        // The insertion: its floor is the list's own insertion of one row.
        replace(sorted, insertSorted);
        const double insertFloor = measure("insert_floor", [&] {
            sorted->rowModel().insertRow(insertPlace, kInserted);
            sortedPaints.waitForPaint();
        });
        replace(sorted, insertSorted);
        const double insertCommand = measure("insert_command", [&] {
            press("btnUmetniBroj");
            sortedPaints.waitForPaint();
        });
        if (sorted->rowModel().values().size() != kLargest ||
            sorted->rowModel().values()[static_cast<std::size_t>(insertPlace)] != kInserted)
            std::printf("the insert command gave a wrong result\n");
        ratios["insert"].samples.push_back(insertCommand / insertFloor);

        double append[2] = {};
        for (int k = 0; k < 2; ++k) {
            const int rows = k == 0 ? 100 : 32000;
            original->rowModel().replaceRows(
                std::span(input).first(static_cast<std::size_t>(rows)));
            QCoreApplication::processEvents();
            constexpr int kAppends = 50;
            append[k] = millisecondsOf([&] {
                            for (int a = 0; a < kAppends; ++a) {
                                window.appendRow(List::Original, -12345);
                                QCoreApplication::processEvents();
                            }
                        }) /
                        kAppends;
            figures[k == 0 ? "append_100" : "append_32000"].samples.push_back(append[k]);
        }
        ratios["append"].samples.push_back(append[1] / append[0]);

        // The entered list lays a whole entry out a batch at a time, so that
        // its first rows show at once: beside the sorted list's floor, which
        // lays the same rows out whole before it paints.
        original->rowModel().replaceRows({});
        originalPaints.waitForPaint();
        const double entered = measure("entered_rows", [&] {
            original->rowModel().replaceRows(input);
            originalPaints.waitForPaint();
        });
        ratios["entered"].samples.push_back(entered / sortFloor);

        const StartFigures start = measureStart(program);
        const StartFigures floor = measureStart(PLIMVAR_FLOOR_WINDOW);
        figures["start"].samples.push_back(start.milliseconds);
        figures["start_floor"].samples.push_back(floor.milliseconds);
        figures["peak_mb"].samples.push_back(start.peakMegabytes);
        figures["floor_peak_mb"].samples.push_back(floor.peakMegabytes);
        ratios["start"].samples.push_back(start.milliseconds / floor.milliseconds);
    }

    std::printf("%-16s %12s %12s   (%d rounds; %d elements and rows)\n", "figure", "min", "median",
                kRounds, kLargest);
    for (const auto &[name, f] : figures)
        std::printf("%-16s %12.3f %12.3f   %s\n", name.c_str(), f.min(), f.median(),
                    name.find("peak_mb") != std::string::npos ? "MB" : "ms");
    if (window.failures)
        std::printf("a command reported %d failures\n", window.failures);

    auto median = [&](const char *name) { return figures[name].median(); };
    std::printf("summary: speedup_vs_std_sort=%.2fx sort_command_over_floor=%.2f "
                "insert_command_over_floor=%.2f append_32000_over_100=%.2f "
                "entered_rows_over_sorted=%.2f start_over_floor=%.2f peak_mb=%.0f "
                "floor_peak_mb=%.0f\n",
                median("sort_std") / median("sort_shipped"), ratios["sort"].median(),
                ratios["insert"].median(), ratios["append"].median(), ratios["entered"].median(),
                ratios["start"].median(), median("peak_mb"), median("floor_peak_mb"));
    return 0;
}
