#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>

#include "x87_precision.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The groups ctest runs one by one, each named after where its tests are written.
// A test belongs to the first group whose marker its source file's path contains.
struct Group
{
    const char *name;
    const char *pathMarker;
};

constexpr Group groups[] = {
    {"core", "tests/core/test_core_"},
    {"window", "tests/windows/test_win32_"},
    {"german", "tests/windows/german_desktop_test"},
    {"large_fonts", "tests/windows/large_fonts_test"},
    {"program", "tests/windows/program_process_test"},
};

std::string groupOf(const char *file)
{
    std::string path = file != nullptr ? file : "";
    std::replace(path.begin(), path.end(), '\\', '/');
    for (const Group &group : groups) {
        if (path.find(group.pathMarker) != std::string::npos) {
            return group.name;
        }
    }
    return "store";
}

// Takes "--lumox_groups=a,b" out of the arguments and returns the named groups.
std::vector<std::string> takeGroupsArgument(int &argc, char **argv)
{
    constexpr std::string_view option = "--lumox_groups=";
    std::vector<std::string> names;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument.substr(0, option.size()) != option) {
            argv[kept++] = argv[i];
            continue;
        }
        std::stringstream list{std::string(argument.substr(option.size()))};
        for (std::string name; std::getline(list, name, ',');) {
            if (!name.empty()) {
                names.push_back(name);
            }
        }
    }
    argc = kept;
    argv[argc] = nullptr;
    return names;
}

// Limits the run to the tests of the named groups. Fails when one of the groups holds
// no test at all, so that a group whose files went missing cannot pass unnoticed.
bool selectGroups(const std::vector<std::string> &names)
{
    std::vector<std::string> selected;
    std::vector<int> counts(names.size(), 0);
    const ::testing::UnitTest &unitTest = *::testing::UnitTest::GetInstance();
    for (int s = 0; s < unitTest.total_test_suite_count(); ++s) {
        const ::testing::TestSuite &suite = *unitTest.GetTestSuite(s);
        for (int t = 0; t < suite.total_test_count(); ++t) {
            const ::testing::TestInfo &test = *suite.GetTestInfo(t);
            const auto found = std::find(names.begin(), names.end(), groupOf(test.file()));
            if (found != names.end()) {
                ++counts[found - names.begin()];
                selected.push_back(std::string(suite.name()) + "." + test.name());
            }
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (counts[i] == 0) {
            std::fprintf(stderr, "The test group \"%s\" holds no tests.\n", names[i].c_str());
            return false;
        }
    }
    std::string filter;
    for (const std::string &name : selected) {
        filter += (filter.empty() ? "" : ":") + name;
    }
    GTEST_FLAG_SET(filter, filter);
    return true;
}

// Whether Wine claims to be the Windows that LUMOX_WINE_VERSION names (win95, win98 or
// winme), as the prefix was set up; any other or no name asks for nothing.
bool isTheClaimedWindows()
{
    struct Claim
    {
        const char *name;
        DWORD major;
        DWORD minor;
    };
    constexpr Claim claims[] = {{"win95", 4, 0}, {"win98", 4, 10}, {"winme", 4, 90}};
    const char *wanted = std::getenv("LUMOX_WINE_VERSION");
    for (const Claim &claim : claims) {
        if (wanted == nullptr || std::strcmp(wanted, claim.name) != 0) {
            continue;
        }
        OSVERSIONINFOA version = {};
        version.dwOSVersionInfoSize = sizeof version;
        GetVersionExA(&version);
        if (version.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS ||
            version.dwMajorVersion != claim.major || version.dwMinorVersion != claim.minor) {
            std::fprintf(stderr, "Wine claims to be Windows %lu.%lu (platform %lu), not %s.\n",
                         version.dwMajorVersion, version.dwMinorVersion, version.dwPlatformId,
                         claim.name);
            return false;
        }
    }
    return true;
}

} // namespace

// The tests delete and rewrite keys under HKEY_LOCAL_MACHINE\System, which only a
// throwaway Wine prefix can afford, so the program refuses to run anywhere else.
// Like the program, it starts the common controls (the tab control and the tooltips)
// before any window is made.
//
//   lumox_windows_tests [--lumox_groups=NAME,...] [GoogleTest options]
//
// runs the tests of the named groups only: core (tests/core), window (the Win32 front
// end in-process), german (the checks that the user's locale is German), large_fonts
// (the windows on a desktop of 120 dots per inch), program (the product executables
// driven from outside) and store (the rest).
int main(int argc, char **argv)
{
    // The x87 unit as the program's own start sets it up, which the C runtime's start
    // of this test program (64-bit precision) does not.
    lumox::useWindowsX87Precision();
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        std::fprintf(stderr, "These tests change HKEY_LOCAL_MACHINE and run only under Wine.\n");
        return 2;
    }
    if (!isTheClaimedWindows()) {
        return 1;
    }
    const std::vector<std::string> groupNames = takeGroupsArgument(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!groupNames.empty() && !selectGroups(groupNames)) {
        return 1;
    }

    InitCommonControls();
    return RUN_ALL_TESTS();
}
