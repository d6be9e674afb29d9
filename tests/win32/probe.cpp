// Reads the state of the running Plimvar.exe from its controls, as another
// program in the same Wine prefix (or Windows session) can: the window, its
// controls with their places and reading direction, the tab order, the list
// rows, row height and selection, the count box, the names screen readers
// hear and the line height of the message font; or the dialog it shows,
// whether it is active, and how wide its field draws its text. Reads the
// questions "window" or "dialog" from standard input, a line each, and
// answers each with one line a fact, "key<TAB>value...", then ".". Two more
// questions: "captions" measures each control's text in the user's message
// font, and "clip TEXT" puts TEXT (with \n and \r for line breaks) on the
// clipboard, for the test to paste.
#include "core/caption_fit.h"

#include <windows.h>

#include <initguid.h>
#include <oleacc.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// A message to a control of the program, never waiting on it for long: a
// busy or hung program makes the probe fail, and the test asks again.
LRESULT ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 300, &result))
        throw std::runtime_error("the program does not answer");
    return static_cast<LRESULT>(result);
}

void print(const std::vector<std::wstring> &fields)
{
    // Line breaks, tabs and backslashes in a text are escaped, so that one
    // fact stays one line.
    std::wstring line;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k)
            line += L'\t';
        for (wchar_t c : fields[k])
            line += c == L'\n'   ? L"\\n"
                    : c == L'\r' ? L"\\r"
                    : c == L'\t' ? L"\\t"
                    : c == L'\\' ? L"\\\\"
                                 : std::wstring(1, c);
    }
    line += L"\n";
    // UTF-8, so that the test reads every text as it is.
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, utf8.data(), size, nullptr, nullptr);
    std::fputs(utf8.c_str(), stdout);
}

// Asked of the control itself: GetWindowText gives only the caption a
// window of another process was created with.
std::wstring textOf(HWND window)
{
    const auto length = static_cast<std::size_t>(ask(window, WM_GETTEXTLENGTH, 0, 0));
    std::wstring text(length + 1, L'\0');
    text.resize(static_cast<std::size_t>(ask(window, WM_GETTEXT, static_cast<WPARAM>(text.size()),
                                             reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::wstring classOf(HWND window)
{
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

std::wstring number(long long value)
{
    return std::to_wstring(value);
}

std::vector<std::wstring> screenRect(HWND window)
{
    RECT r{};
    GetWindowRect(window, &r);
    return {number(r.left), number(r.top), number(r.right - r.left), number(r.bottom - r.top)};
}

std::wstring accessibleName(HWND control)
{
    IAccessible *accessible = nullptr;
    if (FAILED(AccessibleObjectFromWindow(control, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IAccessible, reinterpret_cast<void **>(&accessible))))
        return L"?";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    std::wstring result = L"?";
    if (accessible->get_accName(self, &name) == S_OK && name) {
        result = name;
        SysFreeString(name);
    }
    accessible->Release();
    return result;
}

// The user's message font at the given DPI, selected into a screen DC for
// the time of one measurement.
template <typename Measure> auto inMessageFont(UINT dpi, Measure measure)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    const auto result = measure(dc);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return result;
}

LONG messageFontLineHeight(UINT dpi)
{
    return inMessageFont(dpi, [](HDC dc) {
        TEXTMETRICW text{};
        GetTextMetricsW(dc, &text);
        return text.tmHeight;
    });
}

// An edit control's font cannot be read from another process, but where its
// characters stand can: the width of its text but the last character, as the
// control draws it and as the message font at the control's DPI would.
void printTextWidths(HWND edit)
{
    const std::wstring text = textOf(edit);
    if (text.size() < 2 || text.find_first_of(L"\r\n") != std::wstring::npos)
        return;
    const auto left = [&](std::size_t k) {
        return static_cast<short>(LOWORD(ask(edit, EM_POSFROMCHAR, k, 0)));
    };
    const SIZE extent = inMessageFont(GetDpiForWindow(edit), [&](HDC dc) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size() - 1), &size);
        return size;
    });
    print({L"text_width", number(GetDlgCtrlID(edit)), number(left(text.size() - 1) - left(0)),
           number(extent.cx)});
}

int probeWindow()
{
    HWND window = FindWindowW(L"frmPlimvar", nullptr);
    if (!window)
        return 2;
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    print({L"caption", textOf(window)});
    print({L"client", number(client.right), number(client.bottom), number(origin.x),
           number(origin.y)});
    print({L"dpi", number(GetDpiForWindow(window))});
    const LRESULT defaultId = ask(window, DM_GETDEFID, 0, 0);
    print({L"default_button",
           HIWORD(defaultId) == DC_HASDEFID ? number(LOWORD(defaultId)) : L"none"});
    HWND focus = nullptr;
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &thread))
        focus = thread.hwndFocus;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        POINT topLeft{r.left, r.top};
        ScreenToClient(window, &topLeft);
        const std::wstring kind = classOf(c);
        const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
        const LONG_PTR rightToLeft = WS_EX_LAYOUTRTL | WS_EX_RTLREADING | WS_EX_RIGHT;
        print({L"control", number(GetDlgCtrlID(c)), kind, number(topLeft.x), number(topLeft.y),
               number(r.right - r.left), number(r.bottom - r.top),
               number(style & WS_TABSTOP ? 1 : 0), c == focus ? L"focus" : L"-", textOf(c),
               accessibleName(c),
               GetWindowLongPtrW(c, GWL_EXSTYLE) & rightToLeft ? L"rtl" : L"ltr"});
        if (_wcsicmp(kind.c_str(), L"ListBox") == 0) {
            std::vector<std::wstring> rows{L"rows", number(GetDlgCtrlID(c))};
            const LRESULT count = ask(c, LB_GETCOUNT, 0, 0);
            for (LRESULT k = 0; k < count; ++k) {
                std::wstring row(
                    static_cast<std::size_t>(ask(c, LB_GETTEXTLEN, static_cast<WPARAM>(k), 0)) + 1,
                    L'\0');
                row.resize(static_cast<std::size_t>(ask(c, LB_GETTEXT, static_cast<WPARAM>(k),
                                                        reinterpret_cast<LPARAM>(row.data()))));
                rows.push_back(row);
            }
            print(rows);
            print({L"list", number(GetDlgCtrlID(c)), number(ask(c, LB_GETITEMHEIGHT, 0, 0)),
                   number(ask(c, LB_GETCURSEL, 0, 0))});
        }
    }
    print({L"line_height", number(messageFontLineHeight(GetDpiForWindow(window)))});
    std::vector<std::wstring> tabOrder{L"tab"};
    HWND first = GetNextDlgTabItem(window, nullptr, FALSE);
    for (HWND c = first; c; c = GetNextDlgTabItem(window, c, FALSE)) {
        tabOrder.push_back(number(GetDlgCtrlID(c)));
        if (tabOrder.size() > 20 || GetNextDlgTabItem(window, c, FALSE) == first)
            break;
    }
    print(tabOrder);
    return 0;
}

// The dialog the program shows now, owned by its window: an input box or
// the failure report.
int probeDialog()
{
    HWND window = FindWindowW(L"frmPlimvar", nullptr);
    HWND dialog = nullptr;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w;
         w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        if (IsWindowVisible(w) && GetWindow(w, GW_OWNER) == window)
            dialog = w;
    }
    if (!window || !dialog)
        return 2;
    print({L"title", textOf(dialog)});
    GUITHREADINFO thread{};
    thread.cbSize = sizeof thread;
    if (GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &thread) &&
        thread.hwndActive == dialog && GetForegroundWindow() == dialog)
        print({L"active"});
    std::vector<std::wstring> rect{L"rect"};
    for (const std::wstring &v : screenRect(dialog))
        rect.push_back(v);
    print(rect);
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring kind = classOf(c);
        const LONG_PTR style = GetWindowLongPtrW(c, GWL_STYLE);
        if (_wcsicmp(kind.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON)
            print({L"icon"});
        else
            print({L"child", kind, number(GetDlgCtrlID(c)), textOf(c), screenRect(c)[0],
                   screenRect(c)[1], screenRect(c)[2], screenRect(c)[3]});
        if (_wcsicmp(kind.c_str(), L"Edit") == 0)
            printTextWidths(c);
    }
    return 0;
}

// What each caption of the window takes in the user's message font: its
// width and the font's line height, in pixels.
int probeCaptions()
{
    HWND window = FindWindowW(L"frmPlimvar", nullptr);
    if (!window)
        return 2;
    const UINT dpi = GetDpiForWindow(window);
    const LONG lineHeight = messageFontLineHeight(dpi);
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        const std::wstring caption = textOf(c);
        const SIZE extent = inMessageFont(dpi, [&](HDC dc) {
            SIZE size{};
            GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
            return size;
        });
        print({L"caption", number(GetDlgCtrlID(c)), number(extent.cx), number(lineHeight)});
    }
    return 0;
}

// The window as the core's table places it at the given dots per inch, with
// nothing stretched: each control's identifier, name, caption, name for
// screen readers and place, then the client area.
int printTable(int dpi)
{
    const plimvar::layout::PixelLayout places =
        plimvar::layout::inPixels(plimvar::layout::fitCaptions({}), dpi, dpi);
    const auto wide = [](std::u16string_view text) {
        return std::wstring(text.begin(), text.end());
    };
    for (std::size_t k = 0; k < plimvar::layout::kLayout.size(); ++k) {
        const plimvar::layout::ControlPlace &place = plimvar::layout::kLayout[k];
        const plimvar::layout::Rect &r = places.controls[k];
        print({L"place", number(100 + static_cast<long long>(k)), wide(place.name),
               wide(place.caption), wide(place.accessibleName), number(r.left), number(r.top),
               number(r.width), number(r.height)});
    }
    print({L"client", number(places.client.width), number(places.client.height)});
    print({L"caption", wide(plimvar::layout::kWindowCaption)});
    return 0;
}

int putOnClipboard(const std::string &escaped)
{
    std::string utf8;
    for (std::size_t k = 0; k < escaped.size(); ++k) {
        if (escaped[k] == '\\' && k + 1 < escaped.size()) {
            const char next = escaped[++k];
            utf8 += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            utf8 += escaped[k];
        }
    }
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (static_cast<std::size_t>(length) + 1) * 2);
    auto *text = static_cast<wchar_t *>(GlobalLock(memory));
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text, length);
    text[length] = L'\0';
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr))
        return 4;
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    return 0;
}

// Answers one question, then a line "." whatever the answer, so that the
// test can keep one probe running and ask it again and again.
void answer(const std::string &question)
{
    int status = 3;
    try {
        if (question == "window")
            status = probeWindow();
        else if (question == "dialog")
            status = probeDialog();
        else if (question == "captions")
            status = probeCaptions();
        else if (question.rfind("table ", 0) == 0)
            status = printTable(std::stoi(question.substr(6)));
        else if (question.rfind("clip ", 0) == 0)
            status = putOnClipboard(question.substr(5));
    } catch (const std::runtime_error &) {
        status = 4;
    }
    std::printf("status\t%d\n.\n", status);
    std::fflush(stdout);
}

} // namespace

int wmain()
{
    // Aware of the DPI as the program is: otherwise Windows (and Wine 10)
    // scales every place read back to 96 dots per inch.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    CoInitialize(nullptr);
    std::string question;
    for (int c; (c = std::getchar()) != EOF;) {
        if (c != '\n') {
            question += static_cast<char>(c);
            continue;
        }
        while (!question.empty() && question.back() == '\r')
            question.pop_back();
        answer(question);
        question.clear();
    }
    CoUninitialize();
    return 0;
}
