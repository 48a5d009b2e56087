#pragma once

#include "rwin_rules.h"

#include <QLocale>

// The number format of the Qt front end's calculator: the user's locale, as the
// shared rules read it.
namespace lumox {

// The number format of a Qt locale, as the shared rules read it: what
// QLocale::toDouble reads with group separators refused, a text trimmed of
// blanks and the result finite, the rules read in this format too.
NumberFormat numberFormatOf(const QLocale &locale);

} // namespace lumox
