#include "display_palette.h"
#include "main_window.h"
#include "splash_window.h"
#include "tuning_actions.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdlib>

// An exception that escapes ends the program at once. The compiler's own handler
// would first print the exception's demangled type to a console that a windowed
// program does not have, and bring 46 KB of demangler into the executable for it.
namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx

namespace {

// Whether this Windows reads MaxMTU and DefaultRcvWindow where the program saves them.
// GetVersion sets its top bit on the Windows 95 family (95, 98 and Me), which does;
// Windows NT and every later Windows clear it and keep their TCP/IP settings elsewhere.
lumox::SystemReadsTuningValues runningSystemReadsTuningValues()
{
    return (GetVersion() & 0x80000000U) != 0 ? lumox::SystemReadsTuningValues::Yes
                                             : lumox::SystemReadsTuningValues::No;
}

bool isKeyboardMessage(const MSG &message)
{
    return message.message >= WM_KEYFIRST && message.message <= WM_KEYLAST;
}

} // namespace

// The program's entry: the splash window is the start-up object; it hands over to
// the main window, whose destruction ends the message loop and the program.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    int status = 1;
    if (lumox::win32::frmStartup *splash =
            lumox::win32::frmStartup::create(instance, runningSystemReadsTuningValues())) {
        splash->show();
        MSG message;
        BOOL got = FALSE;
        while ((got = GetMessageA(&message, nullptr, 0, 0)) > 0) {
            if (isKeyboardMessage(message)) {
                lumox::win32::frmMain *main = lumox::win32::frmMain::instance();
                if (main != nullptr && main->preTranslateMessage(message)) {
                    continue;
                }
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        status = got == 0 ? static_cast<int>(message.wParam) : 1;
    }
    // Every window is gone, and with it every context that held the palette.
    lumox::win32::deleteProgramPalette();
    return status;
}
