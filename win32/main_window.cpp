#include "main_window.h"

#include "core/commands.h"
#include "core/layout.h"
#include "input_box.h"
#include "message_font.h"
#include "resource.h"

#include <commctrl.h>
#include <initguid.h>
#include <oleacc.h>

#include <algorithm>

namespace plimvar::win32 {

namespace {

constexpr int kFirstControlId = 100;

// Windows holds text in UTF-16, as the commands do.
std::wstring windowsText(std::u16string_view text)
{
    return {reinterpret_cast<const wchar_t *>(text.data()), text.size()};
}

std::u16string programText(std::wstring_view text)
{
    return {reinterpret_cast<const char16_t *>(text.data()), text.size()};
}

const wchar_t *classOf(layout::ControlKind kind)
{
    switch (kind) {
    case layout::ControlKind::List:
        return WC_LISTBOXW;
    case layout::ControlKind::Button:
        return WC_BUTTONW;
    case layout::ControlKind::TextBox:
        return WC_EDITW;
    case layout::ControlKind::Label:
        return WC_STATICW;
    }
    return WC_STATICW;
}

DWORD styleOf(layout::ControlKind kind)
{
    const DWORD child = WS_CHILD | WS_VISIBLE;
    switch (kind) {
    case layout::ControlKind::List:
        // Unsorted, one row selectable, exactly as tall as the table says.
        return child | WS_TABSTOP | WS_VSCROLL | LBS_NOINTEGRALHEIGHT | LBS_NOTIFY;
    case layout::ControlKind::Button:
        return child | WS_TABSTOP | BS_PUSHBUTTON;
    case layout::ControlKind::TextBox:
        // Several lines, so that a pasted text arrives whole, line breaks
        // and all, for the count reading to judge; a one-line box keeps only
        // what comes before the first line break.
        return child | WS_TABSTOP | ES_MULTILINE | ES_AUTOHSCROLL | ES_AUTOVSCROLL;
    case layout::ControlKind::Label:
        return child | SS_LEFT | SS_NOPREFIX;
    }
    return child;
}

// Screen readers take the name of a control that shows no caption of its
// own from an annotation; a list box, which shows no window text, carries
// it as its text too, for readers that ask only that.
void nameForScreenReaders(HWND control, layout::ControlKind kind, const std::wstring &name)
{
    if (kind == layout::ControlKind::List)
        SetWindowTextW(control, name.c_str());
    IAccPropServices *services = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                   IID_IAccPropServices, reinterpret_cast<void **>(&services)))) {
        services->SetHwndPropStr(control, static_cast<DWORD>(OBJID_CLIENT), CHILDID_SELF,
                                 PROPID_ACC_NAME, name.c_str());
        services->Release();
    }
}

// A box of several lines, in a dialog, takes Escape to close the dialog it
// stands in; here that would end the program. Escape in the count box does
// nothing, as on every other control of the window.
LRESULT CALLBACK countBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                              DWORD_PTR)
{
    if ((message == WM_KEYDOWN && wParam == VK_ESCAPE) || (message == WM_CHAR && wParam == 0x1B))
        return 0;
    return DefSubclassProc(box, message, wParam, lParam);
}

} // namespace

MainWindow::MainWindow(HINSTANCE instance)
{
    const std::wstring className = windowsText(layout::kWindowName);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    // Room for what the dialog manager keeps of a dialog-like window.
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_ICON1));
    windowClass.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_ICON1),
                                                        IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = className.c_str();
    RegisterClassExW(&windowClass);

    m_window = CreateWindowExW(WS_EX_CONTROLPARENT, className.c_str(),
                               windowsText(layout::kWindowCaption).c_str(),
                               WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, this);
    createControls();
    layOut(GetDpiForWindow(m_window));
}

MainWindow::~MainWindow()
{
    if (m_font)
        DeleteObject(m_font);
}

void MainWindow::createControls()
{
    // Created in table order, which is the tab order.
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::ControlPlace &place = layout::kLayout[k];
        const DWORD exStyle =
            place.kind == layout::ControlKind::List || place.kind == layout::ControlKind::TextBox
                ? WS_EX_CLIENTEDGE
                : 0;
        m_controls[k] = CreateWindowExW(
            exStyle, classOf(place.kind), windowsText(place.caption).c_str(), styleOf(place.kind),
            0, 0, 0, 0, m_window, reinterpret_cast<HMENU>(kFirstControlId + k),
            reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(m_window, GWLP_HINSTANCE)), nullptr);
        if (place.caption.empty())
            nameForScreenReaders(m_controls[k], place.kind, windowsText(place.accessibleName));
    }
    // As much text as memory holds, not the 30000 characters of the default.
    SendMessageW(m_controls[layout::kCountBox], EM_SETLIMITTEXT, 0, 0);
    SetWindowSubclass(m_controls[layout::kCountBox], countBoxProc, 0, 0);
    // Readers name a text box after the label just before it among the
    // window's children; the label takes no focus, so the tab order stays.
    SetWindowPos(m_controls[layout::kCountLabel],
                 GetWindow(m_controls[layout::kCountBox], GW_HWNDPREV), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void MainWindow::layOut(UINT dpi)
{
    HFONT font = createMessageFont(dpi);
    std::array<layout::Extent, layout::kLayout.size()> needs;
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::ControlPlace &place = layout::kLayout[k];
        needs[k] = captionNeed(font, place.kind, windowsText(place.caption), dpi);
    }
    const int dots = static_cast<int>(dpi);
    const layout::PixelLayout places = layout::inPixels(layout::fitCaptions(needs), dots, dots);
    for (std::size_t k = 0; k < layout::kLayout.size(); ++k) {
        const layout::Rect &place = places.controls[k];
        SetWindowPos(m_controls[k], nullptr, place.left, place.top, place.width, place.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(m_controls[k], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (m_font)
        DeleteObject(m_font);
    m_font = font;

    RECT frame{0, 0, places.client.width, places.client.height};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_STYLE)),
                             FALSE, static_cast<DWORD>(GetWindowLongPtrW(m_window, GWL_EXSTYLE)),
                             dpi);
    SetWindowPos(m_window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int MainWindow::run(int showCommand)
{
    ShowWindow(m_window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // The dialog manager gives the window its keyboard: Tab, Space and
        // Return on the focused button.
        if (!IsDialogMessageW(m_window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *self =
            static_cast<MainWindow *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        self->m_window = window;
        SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    }
    if (auto *self = reinterpret_cast<MainWindow *>(GetWindowLongPtrW(window, DWLP_USER)))
        return self->handleMessage(message, wParam, lParam);
    return DefDlgProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND: {
        // Buttons only; Return on no button and Escape (IDOK, IDCANCEL) do
        // nothing, since the window has no default or cancel button.
        const int index = LOWORD(wParam) - kFirstControlId;
        if (HIWORD(wParam) != BN_CLICKED || index < 0 ||
            index >= static_cast<int>(layout::kLayout.size()))
            return 0;
        commands::runCommand(layout::kLayout[static_cast<std::size_t>(index)].command, *this);
        return 0;
    }
    case WM_DPICHANGED: {
        layOut(HIWORD(wParam));
        const RECT *suggested = reinterpret_cast<const RECT *>(lParam);
        SetWindowPos(m_window, nullptr, suggested->left, suggested->top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        DestroyWindow(m_window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefDlgProcW(m_window, message, wParam, lParam);
}

HWND MainWindow::listBox(List list) const
{
    return m_controls[layout::controlOf(list)];
}

std::u16string MainWindow::askText(std::u16string_view prompt, std::u16string_view title)
{
    return programText(askInInputBox(m_window, windowsText(prompt), windowsText(title)));
}

void MainWindow::reportFailure(std::u16string_view failureName)
{
    MessageBoxW(m_window, windowsText(failureName).c_str(),
                windowsText(texts::kReportTitle).c_str(), MB_OK | MB_ICONERROR);
}

NumberFormat MainWindow::numberFormat()
{
    wchar_t separator[8] = {};
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
    NumberFormat format;
    if (separator[0])
        format.decimalSeparator = programText(separator);
    // A locale's own digits count only where the locale writes them, always
    // (2) or in its own script's text (0), as Arabic does: Hindi and Thai,
    // say, have digits of their own but write 0 to 9 (1).
    DWORD substitution = 1;
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_IDIGITSUBSTITUTION | LOCALE_RETURN_NUMBER,
                    reinterpret_cast<wchar_t *>(&substitution),
                    sizeof substitution / sizeof(wchar_t));
    wchar_t digits[16] = {};
    if (substitution != 1 &&
        GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SNATIVEDIGITS, digits, 16) && digits[0])
        format.zeroDigit = programText(std::wstring_view(digits, 1));
    return format;
}

std::u16string MainWindow::countText()
{
    HWND box = m_controls[layout::kCountBox];
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(box)) + 1, L'\0');
    text.resize(
        static_cast<std::size_t>(GetWindowTextW(box, text.data(), static_cast<int>(text.size()))));
    return programText(text);
}

void MainWindow::setCountText(std::u16string_view text)
{
    SetWindowTextW(m_controls[layout::kCountBox], windowsText(text).c_str());
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
    // The list box keeps its top row and moves its selection along. A row it
    // could not take is not kept either, so that what a command reads is
    // what the list shows.
    row = std::clamp(row, 0, rowsOf(list).count());
    const LRESULT added =
        SendMessageW(listBox(list), LB_INSERTSTRING, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(windowsText(elementText(value)).c_str()));
    if (added >= 0)
        rowsOf(list).insert(row, value);
}

void MainWindow::replaceRows(List list, std::span<const ElementValue> values)
{
    HWND box = listBox(list);
    SendMessageW(box, WM_SETREDRAW, FALSE, 0);
    SendMessageW(box, LB_RESETCONTENT, 0, 0);
    SendMessageW(box, LB_INITSTORAGE, values.size(), values.size() * 8 * sizeof(wchar_t));
    std::size_t taken = 0;
    wchar_t text[8];
    for (; taken < values.size(); ++taken) {
        const std::u16string row = elementText(values[taken]);
        std::copy(row.begin(), row.end(), text);
        text[row.size()] = L'\0';
        if (SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text)) < 0)
            break;
    }
    rowsOf(list).replace(values.first(taken));
    SendMessageW(box, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(box, nullptr, TRUE);
}

void MainWindow::closeWindow()
{
    DestroyWindow(m_window);
}

} // namespace plimvar::win32
