#pragma once

#include "core/layout.h"
#include "core/list_rows.h"
#include "core/window_services.h"

#include <array>
#include <string>

namespace plimvar::web {

// The program's one window in a web page, built from the shared layout
// table, and what the commands see of the browser. The page draws it
// (page.js); this side holds the rows, as the values they were written
// from, and gives the page the text of each as it comes into view, so that
// a list of tens of thousands of rows crosses nothing.
class MainWindow : public WindowServices
{
public:
    // Builds the window in the page and fits it to the page's font.
    MainWindow();

    // Stretches the table where a caption would not fit in the page's
    // font, as it is now (after a change of zoom or font size, say), and
    // scales it down where the page is narrower than the window.
    void fitCaptions();
    // Runs a button's command; the end command takes the window away.
    void press(layout::Command command);
    // A new window, as the program has when it starts.
    void restart();
    // The text of a row of the list that the control at this place in the
    // table shows, ended by a zero; valid until the next call.
    const char16_t *shownRow(int control, int row);

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
    ListRows &rowsOf(List list) { return m_rows[static_cast<int>(list)]; }

    std::array<ListRows, 2> m_rows;
    std::u16string m_rowText;
};

} // namespace plimvar::web
