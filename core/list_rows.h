#pragma once

#include "element_value.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

namespace plimvar {

// The rows of a list as the values the program wrote them from, which every
// front end keeps and shows as their element texts.
class ListRows
{
public:
    int count() const { return static_cast<int>(m_values.size()); }
    std::span<const ElementValue> values() const { return m_values; }

    // A row's element text; a row at or past the end reads as the empty text.
    std::u16string text(int row) const
    {
        if (row < 0 || row >= count())
            return {};
        return elementText(m_values[static_cast<std::size_t>(row)]);
    }

    // Puts a row before the given one, or last at count(); gives where it went.
    int insert(int row, ElementValue value)
    {
        row = std::clamp(row, 0, count());
        m_values.insert(m_values.begin() + row, value);
        return row;
    }

    void replace(std::span<const ElementValue> values)
    {
        m_values.assign(values.begin(), values.end());
    }

private:
    std::vector<ElementValue> m_values;
};

} // namespace plimvar
