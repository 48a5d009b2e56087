#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

// The tests delete and rewrite keys under HKEY_LOCAL_MACHINE\System, which only a
// throwaway Wine prefix can afford, so the program refuses to run anywhere else.
int main(int argc, char **argv)
{
    const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (ntdll == nullptr || GetProcAddress(ntdll, "wine_get_version") == nullptr) {
        std::fprintf(stderr, "These tests change HKEY_LOCAL_MACHINE and run only under Wine.\n");
        return 2;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
