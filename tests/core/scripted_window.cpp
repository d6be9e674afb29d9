#include "scripted_window.h"

namespace testing {

// Enough UTF-8 for the tests: every code point, no checks.
std::u16string utf16(std::string_view utf8)
{
    std::u16string out;
    for (std::size_t k = 0; k < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[k]);
        const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        for (int n = 1; n < length && k + n < utf8.size(); ++n)
            c = (c << 6) | (static_cast<unsigned char>(utf8[k + n]) & 0x3F);
        k += static_cast<std::size_t>(length);
        if (c >= 0x10000) {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
}

std::string utf8(std::u16string_view utf16)
{
    std::string out;
    for (std::size_t k = 0; k < utf16.size(); ++k) {
        char32_t c = utf16[k];
        if (c >= 0xD800 && c < 0xDC00 && k + 1 < utf16.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[++k] - 0xDC00);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string ScriptedWindow::askText(std::u16string_view prompt, std::u16string_view title)
{
    questions.push_back({std::u16string(prompt), std::u16string(title)});
    if (answers.empty())
        return {};
    std::u16string answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}

void ScriptedWindow::reportFailure(std::u16string_view failureName)
{
    reports.push_back(utf8(failureName));
}

void ScriptedWindow::appendRow(plimvar::List list, plimvar::ElementValue value)
{
    rowsOf(list).push_back(value);
}

void ScriptedWindow::insertRow(plimvar::List list, int row, plimvar::ElementValue value)
{
    Values &rows = rowsOf(list);
    rows.insert(rows.begin() + row, value);
}

void ScriptedWindow::replaceRows(plimvar::List list, std::span<const plimvar::ElementValue> values)
{
    ++rowsReplaced;
    rowsOf(list).assign(values.begin(), values.end());
}

} // namespace testing
