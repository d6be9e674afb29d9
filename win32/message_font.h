#pragma once

#include "core/caption_fit.h"

#include <windows.h>

#include <string_view>

namespace plimvar::win32 {

// The font Windows users choose for messages and dialogs (Settings,
// Accessibility, Text size), at the given dots per inch. The caller deletes it.
HFONT createMessageFont(UINT dpi);

// What a caption needs, in twips, written in font inside a control of the
// given kind, with the margins that kind of control draws around its text.
layout::Extent captionNeed(HFONT font, layout::ControlKind kind, std::wstring_view caption,
                           UINT dpi);

} // namespace plimvar::win32
