#include "message_font.h"

namespace plimvar::win32 {

HFONT createMessageFont(UINT dpi)
{
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    return CreateFontIndirectW(&metrics.lfMessageFont);
}

layout::Extent captionNeed(HFONT font, layout::ControlKind kind, std::wstring_view caption,
                           UINT dpi)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, font);
    TEXTMETRICW text{};
    GetTextMetricsW(dc, &text);
    SIZE extent{};
    GetTextExtentPoint32W(dc, caption.data(), static_cast<int>(caption.size()), &extent);
    SelectObject(dc, previous);
    ReleaseDC(nullptr, dc);

    // A button draws a raised edge and, inside it, the focus rectangle; an
    // edit box its sunken edge and a pixel of margin.
    const int edgeX = GetSystemMetricsForDpi(SM_CXEDGE, dpi);
    const int edgeY = GetSystemMetricsForDpi(SM_CYEDGE, dpi);
    int width = 0;
    int height = 0;
    switch (kind) {
    case layout::ControlKind::Button:
        width = extent.cx + 4 * edgeX;
        height = text.tmHeight + 4 * edgeY;
        break;
    case layout::ControlKind::Label:
        width = extent.cx;
        height = text.tmHeight;
        break;
    case layout::ControlKind::TextBox:
        height = text.tmHeight + 2 * edgeY + 2;
        break;
    case layout::ControlKind::List:
        break;
    }
    const int dots = static_cast<int>(dpi);
    return {layout::toTwips(width, dots), layout::toTwips(height, dots)};
}

} // namespace plimvar::win32
