#pragma once

#include <QString>

#include <string>
#include <string_view>

namespace lumox {

// The shared core keeps its texts as UTF-8; these turn them into Qt's strings and back.
inline QString qs(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string utf8(const QString &text)
{
    return text.toUtf8().toStdString();
}

} // namespace lumox
