#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

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

} // namespace
