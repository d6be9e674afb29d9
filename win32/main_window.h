#pragma once

#include "core/list_rows.h"
#include "core/window_services.h"

#include <windows.h>

#include <array>
#include <string>

namespace plimvar::win32 {

// The program's one window, built from the shared layout table with the
// standard Windows controls, and what the commands see of Windows. It is a
// dialog-like window, so that Tab, Space, Return and Escape work as they do
// in every dialog; no button is its default.
class MainWindow : public WindowServices
{
public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow() override;
    MainWindow(const MainWindow &) = delete;
    MainWindow &operator=(const MainWindow &) = delete;

    // Shows the window and runs it until it closes; gives the exit status.
    int run(int showCommand);

    std::u16string askText(std::u16string_view prompt, std::u16string_view title) override;
    void reportFailure(std::u16string_view failureName) override;
    NumberFormat numberFormat() override;
    std::u16string countText() override;
    void setCountText(std::u16string_view text) override;
    std::span<const ElementValue> rows(List list) override;
    void appendRow(List list, ElementValue value) override;
    void insertRow(List list, int row, ElementValue value) override;
    void replaceRows(List list, std::span<const ElementValue> values) override;
    void closeWindow() override;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void createControls();
    // Places the window and its controls for the screen's dots per inch,
    // with the system's message font at that size.
    void layOut(UINT dpi);
    HWND listBox(List list) const;
    ListRows &rowsOf(List list) { return m_rows[static_cast<int>(list)]; }

    HWND m_window = nullptr;
    std::array<HWND, 8> m_controls{};
    HFONT m_font = nullptr;
    // Each list's rows as the values they were written from, beside the
    // list box, which holds their texts: a command takes the values and
    // reads no text back.
    std::array<ListRows, 2> m_rows;
};

} // namespace plimvar::win32
