#pragma once

#include <windows.h>

#include <string>

namespace plimvar::win32 {

// Asks one question in a modal dialog with the prompt, an answer field, OK
// and Cancel. Gives the typed text on OK, the empty text on Cancel, Escape
// or when the dialog is closed.
std::wstring askInInputBox(HWND owner, const std::wstring &prompt, const std::wstring &title);

} // namespace plimvar::win32
