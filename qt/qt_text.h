#pragma once

#include <QString>

#include <string_view>

namespace plimvar {

// The core's texts are UTF-16, as Qt's are: a copy, with no conversion.
inline QString qtText(std::u16string_view text)
{
    return QStringView(text.data(), static_cast<qsizetype>(text.size())).toString();
}

} // namespace plimvar
