#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "rwin_rules.h"
#include "win32/user_number_format.h"

#include <gtest/gtest.h>

#include <optional>

#include <string>

namespace {

std::string userLocaleInfo(LCTYPE type)
{
    char buffer[16] = {};
    if (GetLocaleInfoA(LOCALE_USER_DEFAULT, type, buffer, sizeof buffer) == 0) {
        return "(GetLocaleInfoA failed)";
    }
    return buffer;
}

// The core tests run a second time as on a German desktop; this makes sure they really
// do, so that the German number reading they check cannot pass on an English locale.
TEST(GermanDesktop, TheUserLocaleWritesNumbersTheGermanWay)
{
    EXPECT_EQ(GetUserDefaultLCID(),
              MAKELCID(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), SORT_DEFAULT));
    EXPECT_EQ(userLocaleInfo(LOCALE_SDECIMAL), ",");
    EXPECT_EQ(userLocaleInfo(LOCALE_STHOUSAND), ".");
    EXPECT_EQ(userLocaleInfo(LOCALE_SNEGATIVESIGN), "-");
}

// What a German user types is read with the separators of the user's own locale.
TEST(GermanDesktop, TheCalculatorReadsTheUsersDecimalComma)
{
    const lumox::RwinRules rules(lumox::win32::userNumberFormat());
    EXPECT_EQ(rules.proposalText("1500,5"), std::optional<std::string>("5842"));
    EXPECT_EQ(rules.proposalText("1500.5"), std::nullopt) << "a group separator was read";
    EXPECT_EQ(rules.writeNumber(5842.5), "5842,5");
}

} // namespace
