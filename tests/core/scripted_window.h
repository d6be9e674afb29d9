#pragma once

// A window for tests of the commands: the controls are plain lists of texts,
// dialogs are answered from a script given in advance, and every question
// and report is recorded. Texts are written in UTF-8 here for reading ease.

#include "core/window_services.h"

#include <doctest/doctest.h>

#include <deque>
#include <string>
#include <vector>

namespace testing {

using Rows = std::vector<std::string>;

std::u16string utf16(std::string_view utf8);
std::string utf8(std::u16string_view utf16);

struct Question
{
    std::string prompt;
    std::string title;
    friend bool operator==(const Question &, const Question &) = default;
};

class ScriptedWindow : public plimvar::WindowServices
{
public:
    std::string count;
    Rows original;
    Rows sorted;
    std::deque<std::string> answers; // taken in order; once used up, every answer is empty
    std::vector<Question> questions; // every question asked
    Rows reports;                    // every failure reported
    plimvar::NumberFormat format;
    int rowsReplaced = 0; // how often a list was written anew

    std::u16string askText(std::u16string_view prompt, std::u16string_view title) override;
    void reportFailure(std::u16string_view failureName) override;
    plimvar::NumberFormat numberFormat() override { return format; }
    std::u16string countText() override { return utf16(count); }
    void setCountText(std::u16string_view text) override { count = utf8(text); }
    int rowCount(plimvar::List list) override;
    std::u16string_view rowText(plimvar::List list, int row) override;
    // The rows' values where every row is an element text, as the rows the
    // program writes are; none where a test put other texts there.
    std::span<const plimvar::ElementValue> keptValues(plimvar::List list) override;
    void appendRow(plimvar::List list, plimvar::ElementValue value) override;
    void insertRow(plimvar::List list, int row, plimvar::ElementValue value) override;
    void replaceRows(plimvar::List list, std::span<const plimvar::ElementValue> values) override;

private:
    std::u16string m_rowRead;
    std::vector<plimvar::ElementValue> m_kept;
    Rows &rowsOf(plimvar::List list) { return list == plimvar::List::Original ? original : sorted; }
};

} // namespace testing

// Rows in failure messages, as a short list.
template <> struct doctest::StringMaker<testing::Rows>
{
    static doctest::String convert(const testing::Rows &rows)
    {
        std::string text = "{";
        for (std::size_t k = 0; k < rows.size() && k < 12; ++k)
            text += (k ? ", \"" : "\"") + rows[k] + "\"";
        text += rows.size() > 12 ? ", ... " + std::to_string(rows.size()) + " rows}" : "}";
        return text.c_str();
    }
};
