#include "core/list_rows.h"

#include <doctest/doctest.h>

using namespace plimvar;

// What every front end keeps of a list: the values, read back as the texts
// the list shows, a row past either end as the empty text.
TEST_CASE("a list's rows kept as values")
{
    ListRows rows;
    const ElementValue values[] = {-15, 0, 32767};
    rows.replace(values);
    CHECK(rows.insert(1, 7) == 1);
    CHECK(rows.insert(99, -32768) == 4); // past the end: last
    CHECK(rows.insert(-1, 3) == 0);      // before the first: first
    const std::u16string expected[] = {u"3", u"-15", u"7", u"0", u"32767", u"-32768"};
    REQUIRE(rows.count() == 6);
    for (int row = 0; row < rows.count(); ++row)
        CHECK(rows.text(row) == expected[row]);
    CHECK(rows.text(-1).empty());
    CHECK(rows.text(6).empty());
    CHECK(rows.values()[1] == -15);
}
