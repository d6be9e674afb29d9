#include "input_box.h"

#include "message_font.h"
#include "resource.h"

#include <algorithm>

namespace plimvar::win32 {

namespace {

struct Question
{
    const std::wstring &prompt;
    const std::wstring &title;
    std::wstring answer;
    HFONT font = nullptr;
};

// The average width and the height of a font's characters: what dialog
// units are measured in.
SIZE baseUnitsOf(HWND window, HFONT font)
{
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    static const wchar_t letters[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE extent{};
    GetTextExtentPoint32W(dc, letters, 52, &extent);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    return {(extent.cx / 26 + 1) / 2, text.tmHeight};
}

// The template is laid out in the dialog font; the dialog is shown in the
// user's message font, like the main window and the failure report, and
// grows or shrinks with it.
void showInMessageFont(HWND dialog, HFONT font)
{
    const SIZE from =
        baseUnitsOf(dialog, reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0)));
    const SIZE to = baseUnitsOf(dialog, font);
    auto across = [&](LONG x) { return MulDiv(x, to.cx, from.cx); };
    auto down = [&](LONG y) { return MulDiv(y, to.cy, from.cy); };
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&r), 2);
        SetWindowPos(child, nullptr, across(r.left), down(r.top), across(r.right - r.left),
                     down(r.bottom - r.top), SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    RECT client{};
    GetClientRect(dialog, &client);
    RECT frame{0, 0, across(client.right), down(client.bottom)};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)),
                             FALSE, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)),
                             GetDpiForWindow(dialog));
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    // Centred on the screen's work area, as the template asks.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT &work = monitor.rcWork;
    SetWindowPos(dialog, nullptr, std::max(work.left, (work.left + work.right - width) / 2),
                 std::max(work.top, (work.top + work.bottom - height) / 2), width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK inputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto *question = reinterpret_cast<Question *>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        question->font = createMessageFont(GetDpiForWindow(dialog));
        showInMessageFont(dialog, question->font);
        SetWindowTextW(dialog, question->title.c_str());
        SetDlgItemTextW(dialog, IDC_PROMPT, question->prompt.c_str());
        // A pasted answer arrives whole, however long, for the reading to
        // judge: the field has no limit of its own.
        HWND field = GetDlgItem(dialog, IDC_ANSWER);
        SendMessageW(field, EM_SETLIMITTEXT, 0, 0);
        // The answer field takes the keyboard at once.
        SetFocus(field);
        return FALSE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto *question = reinterpret_cast<Question *>(GetWindowLongPtrW(dialog, DWLP_USER));
            HWND field = GetDlgItem(dialog, IDC_ANSWER);
            std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
            text.resize(static_cast<std::size_t>(
                GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
            question->answer = std::move(text);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

} // namespace

std::wstring askInInputBox(HWND owner, const std::wstring &prompt, const std::wstring &title)
{
    Question question{prompt, title, {}};
    const INT_PTR result =
        DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INPUT_BOX), owner,
                        inputBoxProc, reinterpret_cast<LPARAM>(&question));
    if (question.font)
        DeleteObject(question.font);
    return result == IDOK ? question.answer : std::wstring();
}

} // namespace plimvar::win32
