#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace lumox::win32 {

// Opening the sponsor's page in a web browser. Every banner click goes through
// open(), so that tests can replace the real browser start.
class SponsorLauncher
{
public:
    // Starts opening the address and returns whether that could be started.
    using Launch = std::function<bool(std::string_view address)>;

    // The signature of CreateProcessA, through which the real launcher starts programs.
    using ProcessStarter = BOOL(WINAPI *)(LPCSTR, LPSTR, LPSECURITY_ATTRIBUTES,
                                          LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                                          LPSTARTUPINFOA, LPPROCESS_INFORMATION);

    // Opens the address with the current launcher, without waiting for the browser,
    // and returns whether it could be started.
    static bool open(std::string_view address);

    // Replaces the launcher; an empty function restores the real one.
    static void setLauncher(Launch launcher);

    // The real launcher: starts the command line "explorer", a blank and the address
    // (sponsorCommandLine) as a separate program whose window is shown normally, and
    // returns at once whether it could be started.
    static bool openInSystemBrowser(std::string_view address);

    // Starts `commandLine` as a separate program (CreateProcessA with no application
    // name, so the first word is searched for on the path), its window shown normally
    // (STARTF_USESHOWWINDOW with SW_SHOWNORMAL). It does not wait for the program and
    // closes the process and thread handles at once. Returns false when the program
    // could not be started.
    static bool startProgram(const std::string &commandLine);

    // Replaces CreateProcessA for startProgram; nullptr restores the real one.
    static void setProcessStarter(ProcessStarter starter);
};

} // namespace lumox::win32
