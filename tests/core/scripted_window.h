#pragma once

// A window for the core's tests and the fuzzer: the lists are the values
// written, dialogs are answered from a script given in advance, and every
// question, report and close is recorded.

#include "core/window_services.h"

#include <deque>
#include <string>
#include <vector>

namespace testing {

using Values = std::vector<plimvar::ElementValue>;

std::u16string utf16(std::string_view utf8);
std::string utf8(std::u16string_view utf16);

struct Question
{
    std::u16string prompt;
    std::u16string title;
    friend bool operator==(const Question &, const Question &) = default;
};

class ScriptedWindow : public plimvar::WindowServices
{
public:
    std::u16string count;
    Values original;
    Values sorted;
    std::deque<std::u16string> answers; // taken in order; once used up, every dialog is cancelled
    std::vector<Question> questions;    // every question asked
    std::vector<std::string> reports;   // every failure reported
    plimvar::NumberFormat format;
    int rowsReplaced = 0; // how often a list was written anew
    bool closed = false;

    std::u16string askText(std::u16string_view prompt, std::u16string_view title) override;
    void reportFailure(std::u16string_view failureName) override;
    plimvar::NumberFormat numberFormat() override { return format; }
    std::u16string countText() override { return count; }
    void setCountText(std::u16string_view text) override { count = text; }
    std::span<const plimvar::ElementValue> rows(plimvar::List list) override
    {
        return rowsOf(list);
    }
    void appendRow(plimvar::List list, plimvar::ElementValue value) override;
    void insertRow(plimvar::List list, int row, plimvar::ElementValue value) override;
    void replaceRows(plimvar::List list, std::span<const plimvar::ElementValue> values) override;
    void closeWindow() override { closed = true; }

private:
    Values &rowsOf(plimvar::List list)
    {
        return list == plimvar::List::Original ? original : sorted;
    }
};

} // namespace testing
