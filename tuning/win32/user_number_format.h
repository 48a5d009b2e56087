#pragma once

#include "rwin_rules.h"

namespace lumox::win32 {

// How the user's own locale writes numbers (GetLocaleInfoA with LOCALE_USER_DEFAULT):
// its decimal and group separators and its signs, in the ANSI code page. The group
// separator is taken as the locale gives it, even empty; an empty decimal separator
// or sign, and anything the locale does not give, keeps the US English default (an
// empty positive sign, as most locales have, stands for "+").
NumberFormat userNumberFormat();

} // namespace lumox::win32
