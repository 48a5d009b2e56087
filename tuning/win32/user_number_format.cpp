#include "user_number_format.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace lumox::win32 {

namespace {

// The locale's text for item, which may be empty, or fallback when the locale gives none.
std::string localeText(LCTYPE item, const std::string &fallback)
{
    char buffer[16] = {};
    const int length = GetLocaleInfoA(LOCALE_USER_DEFAULT, item, buffer, sizeof buffer);
    // The length counts the terminating zero.
    return length > 0 ? std::string(buffer, static_cast<std::size_t>(length - 1)) : fallback;
}

} // namespace

NumberFormat userNumberFormat()
{
    NumberFormat format;
    const std::string decimal = localeText(LOCALE_SDECIMAL, format.decimalSeparator);
    if (!decimal.empty()) {
        format.decimalSeparator = decimal;
    }
    format.groupSeparator = localeText(LOCALE_STHOUSAND, format.groupSeparator);
    const std::string minus = localeText(LOCALE_SNEGATIVESIGN, format.minusSign);
    if (!minus.empty()) {
        format.minusSign = minus;
    }
    // Most locales leave the positive sign empty: it is "+" all the same.
    const std::string plus = localeText(LOCALE_SPOSITIVESIGN, format.plusSign);
    if (!plus.empty()) {
        format.plusSign = plus;
    }
    return format;
}

} // namespace lumox::win32
