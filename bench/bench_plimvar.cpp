// How fast the program answers: the exchange sort along each path, the sort
// and insert commands end to end, and start-up. Prints Google Benchmark's
// table, then one summary line.
#include "array/exchange_sort.h"
#include "window/main_window.h"
#include "window/platform.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <chrono>
#include <cstdio>
#include <map>
#include <random>
#include <span>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

using namespace plimvar;

namespace {

constexpr int kLargest = 32766;

std::vector<ElementValue> randomElements(int size)
{
    std::mt19937 random(static_cast<unsigned>(size));
    std::uniform_int_distribution<int> value(kElementMin, kElementMax);
    std::vector<ElementValue> elements(static_cast<std::size_t>(size));
    for (ElementValue &e : elements)
        e = static_cast<ElementValue>(value(random));
    return elements;
}

// Each iteration sorts a fresh copy of the same random array.
template <typename Sort> void sortBenchmark(benchmark::State &state, Sort sort)
{
    const auto input = randomElements(static_cast<int>(state.range(0)));
    WorkArray a(static_cast<ElementValue>(input.size()));
    for (auto _ : state) {
        std::copy(input.begin(), input.end(), a.elements().begin());
        sort(a);
        benchmark::DoNotOptimize(a.elements().data());
    }
}

void BM_SortReference(benchmark::State &state)
{
    sortBenchmark(state, [](WorkArray &a) { exchangeSortReference(a); });
}

// For scale: the same exchanges as a bare double loop, with no counters or
// bounds tested.
void BM_SortPlainLoop(benchmark::State &state)
{
    sortBenchmark(state, [](WorkArray &a) {
        const std::span<ElementValue> e = a.elements();
        for (std::size_t i = 0; i + 1 < e.size(); ++i) {
            for (std::size_t j = i + 1; j < e.size(); ++j) {
                if (e[i] > e[j])
                    std::swap(e[i], e[j]);
            }
        }
    });
}

void BM_SortPath(benchmark::State &state, SortPath path)
{
    if (!isSupported(path)) {
        state.SkipWithError("this processor lacks the path");
        return;
    }
    sortBenchmark(state, [path](WorkArray &a) { exchangeSort(a, path); });
}

QStringList rowTexts(const std::vector<ElementValue> &elements)
{
    QStringList rows;
    for (ElementValue e : elements)
        rows.append(QString::number(e));
    return rows;
}

QStringList sortedRowTexts(int size)
{
    auto elements = randomElements(size);
    std::sort(elements.begin(), elements.end());
    return rowTexts(elements);
}

struct Window
{
    MainWindow window;
    platform::ListBox *original =
        window.findChild<platform::ListBox *>(QStringLiteral("lstOriginalni"));
    platform::ListBox *sorted =
        window.findChild<platform::ListBox *>(QStringLiteral("lstSortiran"));
    QLineEdit *count = window.findChild<QLineEdit *>(QStringLiteral("txtBrojElemenata"));

    Window()
    {
        window.show();
        QCoreApplication::processEvents();
    }
    void press(const char *button)
    {
        window.findChild<QPushButton *>(QString::fromLatin1(button))->click();
        // Until the lists have been laid out and painted again.
        QCoreApplication::processEvents();
    }
};

// The sort command on 32766 entered rows.
void BM_SortCommand(benchmark::State &state)
{
    Window w;
    w.original->replaceRows(rowTexts(randomElements(kLargest)));
    w.count->setText(QString::number(kLargest));
    platform::DialogScript script;
    platform::setDialogScript(&script);
    for (auto _ : state)
        w.press("btnSortirajNiz");
    platform::setDialogScript(nullptr);
    if (!script.reports.isEmpty() || w.sorted->rowCount() != kLargest)
        state.SkipWithError("the sort command failed");
}

// The insert command on 32765 sorted rows, the most it takes.
void BM_InsertCommand(benchmark::State &state)
{
    Window w;
    const QStringList rows = sortedRowTexts(kLargest - 1);
    platform::DialogScript script;
    platform::setDialogScript(&script);
    for (auto _ : state) {
        state.PauseTiming();
        w.sorted->replaceRows(rows);
        QCoreApplication::processEvents();
        script.answers = {QStringLiteral("0")};
        state.ResumeTiming();
        w.press("btnUmetniBroj");
    }
    platform::setDialogScript(nullptr);
    if (!script.reports.isEmpty() || w.sorted->rowCount() != kLargest)
        state.SkipWithError("the insert command failed");
}

// Start-up, from launching the program to its window on screen, and the
// peak memory of a run that then sorts and inserts at the largest sizes.
void BM_StartToShownWindow(benchmark::State &state)
{
    double peakMegabytes = 0;
    for (auto _ : state) {
        int out[2];
        if (pipe(out) != 0) {
            state.SkipWithError("no pipe");
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char probePath[] = PLIMVAR_STARTUP_PROBE;
        char *argv[] = {probePath, nullptr};
        const auto start = std::chrono::steady_clock::now();
        pid_t child = 0;
        const int spawned = posix_spawn(&child, probePath, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        if (spawned != 0) {
            close(out[0]);
            state.SkipWithError("could not start the probe");
            return;
        }
        char line[16] = {};
        const ssize_t got = read(out[0], line, sizeof line - 1);
        const auto shown = std::chrono::steady_clock::now();
        close(out[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        if (got <= 0 || std::string(line).rfind("shown", 0) != 0 || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            state.SkipWithError("the probe did not show its window and finish cleanly");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(shown - start).count());
        peakMegabytes = std::max(peakMegabytes, usage.ru_maxrss / 1024.0);
    }
    state.counters["peak_mb"] = peakMegabytes;
}

// Keeps every run's time in milliseconds, for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration)
                continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            milliseconds[run.benchmark_name()] = seconds * 1e3;
            for (const auto &[name, counter] : run.counters)
                counters[name] = counter.value;
        }
    }

    void printSpeedups()
    {
        std::printf("\nspeed-up over the reference loop:\n");
        for (int size : {100, 1000, 10000, kLargest}) {
            const double reference = time("BM_SortReference", size);
            for (SortPath path : {SortPath::Scalar, SortPath::Avx2, SortPath::Avx512}) {
                const double fast = time("BM_SortPath/" + std::string(nameOf(path)), size);
                if (reference > 0 && fast > 0)
                    std::printf("  %-6s size %5d: %7.1fx\n", nameOf(path).data(), size,
                                reference / fast);
            }
        }
        const double plain = time("BM_SortPlainLoop", kLargest);
        const double reference = time("BM_SortReference", kLargest);
        const double shipped =
            time("BM_SortPath/" + std::string(nameOf(fastestSortPath())), kLargest);
        if (plain > 0 && shipped > 0)
            std::printf("  shipped path at size %d over the bare double loop: %.1fx\n", kLargest,
                        plain / shipped);
        std::printf("\nsummary: speedup_32766=%.1fx sort_command_ms=%.0f insert_command_ms=%.0f "
                    "start_ms=%.0f peak_mb=%.0f\n",
                    shipped > 0 ? reference / shipped : 0.0, find("BM_SortCommand"),
                    find("BM_InsertCommand"), find("BM_StartToShownWindow"), counters["peak_mb"]);
    }

private:
    double time(const std::string &name, int size)
    {
        return find(name + "/" + std::to_string(size));
    }
    double find(const std::string &prefix)
    {
        for (const auto &[name, ms] : milliseconds) {
            if (name.rfind(prefix, 0) == 0)
                return ms;
        }
        return 0;
    }

    std::map<std::string, double> milliseconds;
    std::map<std::string, double> counters;
};

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    const std::vector<std::int64_t> sizes{100, 1000, 10000, kLargest};
    benchmark::RegisterBenchmark("BM_SortReference", BM_SortReference)
        ->ArgsProduct({sizes})
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_SortPlainLoop", BM_SortPlainLoop)
        ->ArgsProduct({sizes})
        ->Unit(benchmark::kMillisecond);
    for (SortPath path : {SortPath::Scalar, SortPath::Avx2, SortPath::Avx512}) {
        benchmark::RegisterBenchmark(("BM_SortPath/" + std::string(nameOf(path))).c_str(),
                                     BM_SortPath, path)
            ->ArgsProduct({sizes})
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_SortCommand", BM_SortCommand)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_InsertCommand", BM_InsertCommand)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("BM_StartToShownWindow", BM_StartToShownWindow)
        ->UseManualTime()
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond);

    benchmark::Initialize(&argc, argv);
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printSpeedups();
    benchmark::Shutdown();
    return 0;
}
