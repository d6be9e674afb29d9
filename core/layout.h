#pragma once

#include <array>
#include <string_view>

// The window as one table, and the program's fixed texts. Every front end
// builds its window from here, so that they all look and read alike.
namespace plimvar {

// The two lists of the window: the array as entered, and the array in
// ascending order.
enum class List { Original, Sorted };

} // namespace plimvar

namespace plimvar::layout {

enum class ControlKind { List, Button, TextBox, Label };

// What a button does when it is pressed.
enum class Command { None, EnterArray, SortArray, InsertNumber, End };

struct ControlPlace
{
    ControlKind kind;
    std::u16string_view name;
    std::u16string_view caption;
    // For screen readers; controls that show no caption of their own need one.
    std::u16string_view accessibleName;
    int left, top, width, height; // in twips, in the window's client area
    Command command;
};

inline constexpr std::u16string_view kWindowName = u"frmPlimvar";
inline constexpr std::u16string_view kWindowCaption = u"Plimvar u sortiran niz";

// Twips keep the table independent of the screen: 1440 to the inch.
inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kClientWidth = 5085;
inline constexpr int kClientHeight = 3330;

// In tab order.
inline constexpr std::array<ControlPlace, 8> kLayout{{
    {ControlKind::List, u"lstOriginalni", u"", u"Uneti niz", 240, 360, 1335, 2400, Command::None},
    {ControlKind::List, u"lstSortiran", u"", u"Sortiran niz", 2040, 360, 1335, 2400, Command::None},
    {ControlKind::Button, u"btnUnesiNiz", u"Unesi niz", u"Unesi niz", 3600, 360, 1335, 375,
     Command::EnterArray},
    {ControlKind::TextBox, u"txtBrojElemenata", u"", u"n =", 600, 2880, 975, 315, Command::None},
    {ControlKind::Label, u"Label1", u"n =", u"n =", 240, 2910, 375, 255, Command::None},
    {ControlKind::Button, u"btnSortirajNiz", u"Sortiraj niz", u"Sortiraj niz", 3600, 840, 1335, 375,
     Command::SortArray},
    {ControlKind::Button, u"btnUmetniBroj", u"Umetni broj", u"Umetni broj", 3600, 1320, 1335, 375,
     Command::InsertNumber},
    {ControlKind::Button, u"btnKraj", u"Kraj", u"Kraj", 3600, 1800, 1335, 375, Command::End},
}};

// Where the controls the commands use stand in the table.
inline constexpr std::size_t kOriginalList = 0;
inline constexpr std::size_t kSortedList = 1;
inline constexpr std::size_t kCountBox = 3;
// The label that names the count box.
inline constexpr std::size_t kCountLabel = 4;

// The control that shows a list.
constexpr std::size_t controlOf(List list)
{
    return list == List::Original ? kOriginalList : kSortedList;
}

} // namespace plimvar::layout

namespace plimvar::texts {

inline constexpr std::u16string_view kCountPrompt = u"Uneti broj elemenata niza:";
inline constexpr std::u16string_view kCountTitle = u"Broj elemenata niza";
inline constexpr std::u16string_view kElementPrompt = u"Uneti element niza:";
// Follows the element's number: "3 element".
inline constexpr std::u16string_view kElementTitleEnd = u" element";
inline constexpr std::u16string_view kInsertPrompt = u"Unesi broj koji zelis da umetnes:";
inline constexpr std::u16string_view kInsertTitle = u"Umetni broj";
// The title of every failure report.
inline constexpr std::u16string_view kReportTitle = u"Plimvar";

} // namespace plimvar::texts
