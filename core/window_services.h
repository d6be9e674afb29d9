#pragma once

#include "element_value.h"
#include "layout.h"

#include <span>
#include <string>
#include <string_view>

namespace plimvar {

// What the commands need of a window, and all they see of it. Each window
// system implements it once; tests implement it with answers given in
// advance. Text crosses in UTF-16, which is what the window systems hold.
class WindowServices
{
public:
    virtual ~WindowServices() = default;

    // Asks one question in a modal dialog. Gives the typed text on OK, the
    // empty text on Cancel or when the dialog is closed.
    virtual std::u16string askText(std::u16string_view prompt, std::u16string_view title) = 0;
    // Tells the user that a command stopped, naming the failure. The window
    // stays open with what it holds.
    virtual void reportFailure(std::u16string_view failureName) = 0;
    // How the user's locale writes numbers.
    virtual NumberFormat numberFormat() = 0;

    // The count box.
    virtual std::u16string countText() = 0;
    virtual void setCountText(std::u16string_view text) = 0;

    // The values of a list's rows, in order: the program writes every row
    // from a value, and the window keeps it beside the row's text. Valid
    // until the list changes.
    virtual std::span<const ElementValue> rows(List list) = 0;

    // Rows are written from values; the window shows each value's element
    // text. A new row goes before the given one, or last at the end; the
    // list keeps its scroll position and selection.
    virtual void appendRow(List list, ElementValue value) = 0;
    virtual void insertRow(List list, int row, ElementValue value) = 0;
    virtual void replaceRows(List list, std::span<const ElementValue> values) = 0;

    // Closes the window, and the program ends.
    virtual void closeWindow() = 0;
};

} // namespace plimvar
