#include "sponsor_launcher.h"

#include "sponsor_draw.h"

#include <string>
#include <utility>
#include <vector>

namespace lumox::win32 {

namespace {

SponsorLauncher::Launch &currentLauncher()
{
    static SponsorLauncher::Launch launcher;
    return launcher;
}

SponsorLauncher::ProcessStarter &currentStarter()
{
    static SponsorLauncher::ProcessStarter starter = nullptr;
    return starter;
}

} // namespace

bool SponsorLauncher::open(std::string_view address)
{
    if (currentLauncher())
        return currentLauncher()(address);
    return openInSystemBrowser(address);
}

void SponsorLauncher::setLauncher(Launch launcher)
{
    currentLauncher() = std::move(launcher);
}

bool SponsorLauncher::openInSystemBrowser(std::string_view address)
{
    // "explorer" given a web address opens it in the user's browser.
    return startProgram(sponsorCommandLine(address));
}

bool SponsorLauncher::startProgram(const std::string &commandLine)
{
    // CreateProcessA may write into the command line, so it gets a buffer of its own.
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};

    const ProcessStarter start = currentStarter() != nullptr ? currentStarter() : &CreateProcessA;
    if (!start(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
               &process))
        return false;
    // Not waited for: the browser lives on its own.
    if (process.hThread != nullptr)
        CloseHandle(process.hThread);
    if (process.hProcess != nullptr)
        CloseHandle(process.hProcess);
    return true;
}

void SponsorLauncher::setProcessStarter(ProcessStarter starter)
{
    currentStarter() = starter;
}

} // namespace lumox::win32
