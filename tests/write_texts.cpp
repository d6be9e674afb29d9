// Writes the window's table and the program's fixed texts, from the core's
// own definitions, as the JSON that every test but the core's reads: so that
// a new control or a renamed report is one edit in the core and none in a
// driver.
#include "core/element_value.h"
#include "core/layout.h"

#include <fstream>
#include <string>
#include <string_view>

using namespace plimvar;

namespace {

// The table's texts are ASCII; anything else is written as \u escapes.
std::string quoted(std::u16string_view text)
{
    std::string out = "\"";
    for (char16_t c : text) {
        if (c == u'"' || c == u'\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else {
            static const char *digits = "0123456789abcdef";
            out += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += digits[(c >> shift) & 0xf];
        }
    }
    return out + "\"";
}

std::string quoted(std::string_view text)
{
    return quoted(std::u16string(text.begin(), text.end()));
}

const char *kindName(layout::ControlKind kind)
{
    switch (kind) {
    case layout::ControlKind::List:
        return "list";
    case layout::ControlKind::Button:
        return "button";
    case layout::ControlKind::TextBox:
        return "text box";
    case layout::ControlKind::Label:
        break;
    }
    return "label";
}

std::string dialog(std::u16string_view title, std::u16string_view prompt)
{
    return "{\"title\": " + quoted(title) + ", \"prompt\": " + quoted(prompt) + "}";
}

} // namespace

// write_texts FILE
int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    std::ofstream out(argv[1]);
    out << "{\"window\": {\"name\": " << quoted(layout::kWindowName)
        << ", \"title\": " << quoted(layout::kWindowCaption) << "},\n \"controls\": [";
    // In the table's order, which is the tab order.
    const char *separator = "\n  ";
    for (const layout::ControlPlace &c : layout::kLayout) {
        out << separator << "{\"name\": " << quoted(c.name) << ", \"kind\": \"" << kindName(c.kind)
            << "\", \"caption\": " << quoted(c.caption)
            << ", \"accessible name\": " << quoted(c.accessibleName) << "}";
        separator = ",\n  ";
    }
    const std::u16string element = u"{k}" + std::u16string(texts::kElementTitleEnd);
    out << "],\n \"dialogs\": {\"count\": " << dialog(texts::kCountTitle, texts::kCountPrompt)
        << ", \"element\": " << dialog(element, texts::kElementPrompt)
        << ", \"insert\": " << dialog(texts::kInsertTitle, texts::kInsertPrompt)
        << "},\n \"report\": {\"title\": " << quoted(texts::kReportTitle)
        << ", \"failures\": {\"overflow\": " << quoted(Failure(FailureKind::Overflow).what())
        << ", \"subscript\": " << quoted(Failure(FailureKind::Subscript).what())
        << ", \"type mismatch\": " << quoted(Failure(FailureKind::TypeMismatch).what()) << "}}}\n";
    return out ? 0 : 1;
}
