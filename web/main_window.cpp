#include "main_window.h"

#include "core/caption_fit.h"
#include "core/commands.h"
#include "core/layout.h"

#include <emscripten.h>

#include <cstdlib>

// The page's side of the window (page.js keeps it in the object Plimvar).
// Text crosses in UTF-16, as the core holds it; a text coming back from the
// page is put on the heap there and freed here.

// clang-format off
EM_JS(void, jsSetKinds, (int list, int button, int textBox, int label), {
    Plimvar.setKinds(list, button, textBox, label);
});
EM_JS(void, jsCreateControl, (int index, int kind, const char16_t *name, const char16_t *caption,
                              const char16_t *accessibleName, int command,
                              const char16_t *labelled), {
    Plimvar.createControl(index, kind, UTF16ToString(name), UTF16ToString(caption),
                          UTF16ToString(accessibleName), command, UTF16ToString(labelled));
});
EM_JS(void, jsSetCaption, (const char16_t *caption), {
    Plimvar.setCaption(UTF16ToString(caption));
});
EM_JS(int, jsCaptionNeed, (int index, int across), {
    return Plimvar.captionNeed(index, across);
});
EM_JS(void, jsPlace, (int index, int left, int top, int width, int height), {
    Plimvar.place(index, left, top, width, height);
});
EM_JS(void, jsScreen, (int *roomWidth, int *frameWidth, int *leastTarget), {
    const [room, frame, least] = Plimvar.screen();
    HEAP32[roomWidth >> 2] = room;
    HEAP32[frameWidth >> 2] = frame;
    HEAP32[leastTarget >> 2] = least;
});
EM_JS(void, jsSizeClient, (int width, int height, double scale, int leastRowHeight), {
    Plimvar.sizeClient(width, height, scale, leastRowHeight);
});
EM_ASYNC_JS(char16_t *, jsAskText, (const char16_t *prompt, const char16_t *title), {
    return Plimvar.toHeap(await Plimvar.ask(UTF16ToString(prompt), UTF16ToString(title)));
});
EM_ASYNC_JS(void, jsReport, (const char16_t *title, const char16_t *failureName), {
    await Plimvar.report(UTF16ToString(title), UTF16ToString(failureName));
});
EM_JS(char16_t *, jsDecimalSeparator, (), {
    return Plimvar.toHeap(Plimvar.decimalSeparator());
});
EM_JS(char16_t *, jsZeroDigit, (), {
    return Plimvar.toHeap(Plimvar.zeroDigit());
});
EM_JS(char16_t *, jsCountText, (), {
    return Plimvar.toHeap(Plimvar.countText());
});
EM_JS(void, jsSetCountText, (const char16_t *text), {
    Plimvar.setCountText(UTF16ToString(text));
});
EM_JS(void, jsRowsReplaced, (int list, int count), {
    Plimvar.rowsReplaced(list, count);
});
EM_JS(void, jsRowInserted, (int list, int row, int count), {
    Plimvar.rowInserted(list, row, count);
});
EM_JS(void, jsEnd, (), {
    Plimvar.end();
});
// clang-format on

namespace plimvar::web {

namespace {

std::u16string takeText(char16_t *text)
{
    std::u16string taken = text ? std::u16string(text) : std::u16string();
    std::free(text);
    return taken;
}

std::u16string zeroEnded(std::u16string_view text)
{
    return std::u16string(text);
}

// The page knows a list by the place of its control in the table.
int controlIndex(List list)
{
    return static_cast<int>(layout::controlOf(list));
}

} // namespace

MainWindow::MainWindow()
{
    jsSetCaption(zeroEnded(layout::kWindowCaption).c_str());
    using layout::ControlKind;
    jsSetKinds(static_cast<int>(ControlKind::List), static_cast<int>(ControlKind::Button),
               static_cast<int>(ControlKind::TextBox), static_cast<int>(ControlKind::Label));
    // In table order, which is the tab order.
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::ControlPlace &place = layout::kLayout[k];
        const std::u16string_view labelled =
            k == layout::kCountLabel ? layout::kLayout[layout::kCountBox].name : u"";
        jsCreateControl(static_cast<int>(k), static_cast<int>(place.kind),
                        zeroEnded(place.name).c_str(), zeroEnded(place.caption).c_str(),
                        zeroEnded(place.accessibleName).c_str(), static_cast<int>(place.command),
                        zeroEnded(labelled).c_str());
    }
    fitCaptions();
}

// The page measures in CSS pixels, 96 to the inch at every zoom; the
// browser scales them with its zoom.
void MainWindow::fitCaptions()
{
    constexpr int kCssPixelsPerInch = 96;
    std::array<layout::Extent, layout::kLayout.size()> needs;
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const int index = static_cast<int>(k);
        needs[k] = {layout::toTwips(jsCaptionNeed(index, 1), kCssPixelsPerInch),
                    layout::toTwips(jsCaptionNeed(index, 0), kCssPixelsPerInch)};
    }
    layout::Screen screen;
    screen.dotsPerInch = kCssPixelsPerInch;
    jsScreen(&screen.roomWidth, &screen.frameWidth, &screen.leastTarget);
    const layout::FittedLayout fitted = layout::fitToScreen(needs, screen);
    const layout::PixelLayout places =
        layout::inPixels(fitted, kCssPixelsPerInch, kCssPixelsPerInch);
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::Rect &r = places.controls[k];
        jsPlace(static_cast<int>(k), r.left, r.top, r.width, r.height);
    }
    jsSizeClient(places.client.width, places.client.height, fitted.scale,
                 layout::toPixels(fitted.leastRowHeight, kCssPixelsPerInch));
}

void MainWindow::press(layout::Command command)
{
    commands::runCommand(command, *this);
}

void MainWindow::restart()
{
    for (List list : {List::Original, List::Sorted})
        replaceRows(list, {});
    setCountText(u"");
}

const char16_t *MainWindow::shownRow(int control, int row)
{
    const List list = control == controlIndex(List::Original) ? List::Original : List::Sorted;
    m_rowText = rowsOf(list).text(row);
    return m_rowText.c_str();
}

std::u16string MainWindow::askText(std::u16string_view prompt, std::u16string_view title)
{
    return takeText(jsAskText(zeroEnded(prompt).c_str(), zeroEnded(title).c_str()));
}

void MainWindow::reportFailure(std::u16string_view failureName)
{
    jsReport(zeroEnded(texts::kReportTitle).c_str(), zeroEnded(failureName).c_str());
}

NumberFormat MainWindow::numberFormat()
{
    NumberFormat format;
    if (std::u16string separator = takeText(jsDecimalSeparator()); !separator.empty())
        format.decimalSeparator = std::move(separator);
    if (std::u16string zero = takeText(jsZeroDigit()); !zero.empty())
        format.zeroDigit = std::move(zero);
    return format;
}

std::u16string MainWindow::countText()
{
    return takeText(jsCountText());
}

void MainWindow::setCountText(std::u16string_view text)
{
    jsSetCountText(zeroEnded(text).c_str());
}

std::span<const ElementValue> MainWindow::rows(List list)
{
    return rowsOf(list).values();
}

void MainWindow::appendRow(List list, ElementValue value)
{
    insertRow(list, rowsOf(list).count(), value);
}

void MainWindow::insertRow(List list, int row, ElementValue value)
{
    const int placed = rowsOf(list).insert(row, value);
    jsRowInserted(controlIndex(list), placed, rowsOf(list).count());
}

void MainWindow::replaceRows(List list, std::span<const ElementValue> values)
{
    rowsOf(list).replace(values);
    jsRowsReplaced(controlIndex(list), rowsOf(list).count());
}

void MainWindow::closeWindow()
{
    jsEnd();
}

} // namespace plimvar::web
