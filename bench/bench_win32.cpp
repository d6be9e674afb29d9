// How fast the commands answer in Plimvar.exe's window, as ratios: the sort
// and insert commands from the click to the painted list, each beside the
// list box's own cost of the same visible change (its rows replaced with
// ready texts and painted; one row inserted and painted). Under Wine the
// times themselves say nothing about Windows; their ratios do. Each ratio
// is the median of the rounds' own ratios.
#include "core/element_value.h"
#include "core/layout.h"
#include "win32/main_window.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <vector>

using namespace plimvar;

namespace {

constexpr int kLargest = 32766;
constexpr int kRounds = 21;
constexpr int kFirstControlId = 100;

// The window with its question answered in advance.
class AnsweredWindow : public win32::MainWindow
{
public:
    using MainWindow::MainWindow;
    std::u16string answer;
    int failures = 0;
    std::u16string askText(std::u16string_view, std::u16string_view) override { return answer; }
    void reportFailure(std::u16string_view) override { ++failures; }
};

double millisecondsOf(const std::function<void()> &work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::wstring textOf(ElementValue value)
{
    const std::u16string text = elementText(value);
    return {text.begin(), text.end()};
}

} // namespace

int wmain()
{
    AnsweredWindow window(GetModuleHandleW(nullptr));
    HWND frame = FindWindowW(L"frmPlimvar", nullptr);
    ShowWindow(frame, SW_SHOWNORMAL);
    UpdateWindow(frame);
    pumpMessages();
    auto control = [&](std::size_t index) {
        return GetDlgItem(frame, kFirstControlId + static_cast<int>(index));
    };
    HWND sorted = control(layout::kSortedList);
    auto press = [&](std::size_t index) {
        SendMessageW(frame, WM_COMMAND,
                     MAKEWPARAM(kFirstControlId + static_cast<int>(index), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control(index)));
        UpdateWindow(sorted);
    };

    std::mt19937 random(1);
    std::uniform_int_distribution<int> pick(kElementMin, kElementMax);
    std::vector<ElementValue> input(kLargest);
    for (ElementValue &v : input)
        v = static_cast<ElementValue>(pick(random));
    std::vector<ElementValue> ascending = input;
    std::sort(ascending.begin(), ascending.end());
    std::vector<std::wstring> ascendingTexts;
    for (ElementValue v : ascending)
        ascendingTexts.push_back(textOf(v));
    const std::vector<ElementValue> insertSorted(ascending.begin(), ascending.end() - 1);
    constexpr ElementValue kInserted = 123;
    const auto place = std::upper_bound(insertSorted.begin(), insertSorted.end(), kInserted) -
                       insertSorted.begin();
    window.answer = elementText(kInserted);
    window.replaceRows(List::Original, input);
    window.setCountText(elementText(kLargest));

    // The list box's own way to show rows: all at once, with no drawing
    // until the last, then painted.
    auto fillAndPaint = [&](const std::vector<std::wstring> &texts) {
        SendMessageW(sorted, WM_SETREDRAW, FALSE, 0);
        SendMessageW(sorted, LB_RESETCONTENT, 0, 0);
        SendMessageW(sorted, LB_INITSTORAGE, texts.size(), texts.size() * 8 * sizeof(wchar_t));
        for (const std::wstring &text : texts)
            SendMessageW(sorted, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        SendMessageW(sorted, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(sorted, nullptr, TRUE);
        UpdateWindow(sorted);
    };

    std::vector<double> sortRatios, insertRatios, sortMs, sortFloorMs, insertMs, insertFloorMs;
    for (int round = 0; round < kRounds; ++round) {
        std::fprintf(stderr, "round %d of %d\n", round + 1, kRounds);
        window.replaceRows(List::Sorted, {});
        pumpMessages();
        sortFloorMs.push_back(millisecondsOf([&] { fillAndPaint(ascendingTexts); }));
        window.replaceRows(List::Sorted, {});
        pumpMessages();
        sortMs.push_back(millisecondsOf([&] { press(5); }));
        const std::span<const ElementValue> shown = window.rows(List::Sorted);
        if (!std::equal(shown.begin(), shown.end(), ascending.begin(), ascending.end()))
            std::printf("the sort command gave a wrong result\n");
        sortRatios.push_back(sortMs.back() / sortFloorMs.back());

        window.replaceRows(List::Sorted, insertSorted);
        pumpMessages();
        const std::wstring insertedText = textOf(kInserted);
        insertFloorMs.push_back(millisecondsOf([&] {
            SendMessageW(sorted, LB_INSERTSTRING, static_cast<WPARAM>(place),
                         reinterpret_cast<LPARAM>(insertedText.c_str()));
            UpdateWindow(sorted);
        }));
        window.replaceRows(List::Sorted, insertSorted);
        pumpMessages();
        insertMs.push_back(millisecondsOf([&] { press(6); }));
        if (window.rows(List::Sorted).size() != kLargest)
            std::printf("the insert command gave a wrong result\n");
        insertRatios.push_back(insertMs.back() / insertFloorMs.back());
        pumpMessages();
    }
    if (window.failures)
        std::printf("a command reported %d failures\n", window.failures);
    std::printf("%-16s %12s   (%d rounds, under Wine; %d rows)\n", "figure", "median", kRounds,
                kLargest);
    std::printf("%-16s %12.3f ms\n%-16s %12.3f ms\n%-16s %12.3f ms\n%-16s %12.3f ms\n",
                "sort_command", median(sortMs), "sort_floor", median(sortFloorMs), "insert_command",
                median(insertMs), "insert_floor", median(insertFloorMs));
    std::printf("win_sort_over_floor=%.2f win_insert_over_floor=%.2f\n", median(sortRatios),
                median(insertRatios));
    DestroyWindow(frame);
    return 0;
}
