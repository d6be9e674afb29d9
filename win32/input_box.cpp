#include "input_box.h"

#include "resource.h"

namespace plimvar::win32 {

namespace {

struct Question
{
    const std::wstring &prompt;
    const std::wstring &title;
    std::wstring answer;
};

INT_PTR CALLBACK inputBoxProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG: {
        auto *question = reinterpret_cast<Question *>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetWindowTextW(dialog, question->title.c_str());
        SetDlgItemTextW(dialog, IDC_PROMPT, question->prompt.c_str());
        // The answer field takes the keyboard at once.
        SetFocus(GetDlgItem(dialog, IDC_ANSWER));
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
    return result == IDOK ? question.answer : std::wstring();
}

} // namespace plimvar::win32
