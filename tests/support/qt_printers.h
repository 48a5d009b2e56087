#pragma once

#include <QString>

#include <ostream>

// Lets GoogleTest print Qt strings (and lists of them) readably in failures.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}
