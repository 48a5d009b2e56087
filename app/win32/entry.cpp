// The program's own start and end, in place of the C runtime's start-up code: the
// executable links no C runtime DLL, so that Windows 95 as it was first sold, which
// has none, runs it. Everything here comes from kernel32.
//
// The start runs the static constructors, hands WinMain the instance, the command line
// after the program's name and the window state the program was started with, then
// ends through exit(): the functions registered with atexit() (the destructors of
// static objects among them, and the static destructors that the linker listed, which
// are registered right after the constructors have run) run in the reverse order of
// their registration, then the process ends with WinMain's result.

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "x87_precision.h"

#include <cstddef>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int show);

namespace {

using StaticFunction = void (*)();

// One function registered with atexit(), kept on the process heap; the newest first.
struct ExitFunction
{
    StaticFunction function;
    ExitFunction *next;
};

ExitFunction *g_exitFunctions = nullptr;

// The command line after the program's name (quoted or not) and the blanks after it,
// as the C runtime hands it to WinMain.
LPSTR argumentsOf(LPSTR commandLine)
{
    char *at = commandLine;
    if (*at == '"') {
        ++at;
        while (*at != '\0' && *at != '"') {
            ++at;
        }
        if (*at == '"') {
            ++at;
        }
    } else {
        while (*at != '\0' && *at != ' ' && *at != '\t') {
            ++at;
        }
    }
    while (*at == ' ' || *at == '\t') {
        ++at;
    }
    return at;
}

} // namespace

// The lists of static constructors and destructors that GNU ld's script for Windows
// programs builds from the .ctors and .dtors sections: a first entry of -1 (or the
// count), the functions, and a null entry at the end.
extern "C" StaticFunction __CTOR_LIST__[];
extern "C" StaticFunction __DTOR_LIST__[];

extern "C" int __cdecl atexit(StaticFunction function)
{
    auto *entry = static_cast<ExitFunction *>(HeapAlloc(GetProcessHeap(), 0, sizeof(ExitFunction)));
    if (entry == nullptr) {
        return -1;
    }
    entry->function = function;
    entry->next = g_exitFunctions;
    g_exitFunctions = entry;
    return 0;
}

extern "C" [[noreturn]] void __cdecl exit(int status)
{
    while (g_exitFunctions != nullptr) {
        ExitFunction *entry = g_exitFunctions;
        g_exitFunctions = entry->next;
        entry->function();
        HeapFree(GetProcessHeap(), 0, entry);
    }
    ExitProcess(static_cast<UINT>(status));
}

// Ends the program at once, without running anything registered, with the status the
// C runtime's abort() gives.
extern "C" [[noreturn]] void __cdecl abort()
{
    ExitProcess(3);
}

namespace {

void runStaticDestructors()
{
    for (std::size_t i = 1; __DTOR_LIST__[i] != nullptr; ++i) {
        __DTOR_LIST__[i]();
    }
}

} // namespace

// The entry point that GNU ld gives a Windows GUI program by default.
extern "C" void __cdecl WinMainCRTStartup()
{
    // The x87 unit as Windows gives it to a program: 53-bit precision, so that numbers
    // are read and computed exactly as on every other processor.
    lumox::useWindowsX87Precision();

    // The constructors run in the reverse order of the list, as the compiler's own
    // start-up code runs them.
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) {
        ++count;
    }
    for (std::size_t i = count; i > 0; --i) {
        __CTOR_LIST__[i]();
    }
    atexit(runStaticDestructors);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0
                         ? static_cast<int>(startup.wShowWindow)
                         : SW_SHOWDEFAULT;
    exit(WinMain(GetModuleHandleA(nullptr), nullptr, argumentsOf(GetCommandLineA()), show));
}
