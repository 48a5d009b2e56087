#pragma once

#include "controls.h"
#include "tuning_actions.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace lumox::win32 {

// The splash window: a borderless popup of 306 x 277 pixels without a taskbar
// button, centred on the screen, showing the start-up picture inside Frame1's
// etched outline. Its timer ticks once, 1250 ms after Form_Load: the tick shows
// the main window, creating it first, and then destroys the splash window. Clicks
// and keys change nothing. The window owns this object, which is deleted when the
// window is destroyed.
class frmStartup
{
public:
    // The class name of the window.
    static constexpr const char *className = "frmStartup";

    // Creates the splash window, hidden, and runs Form_Load. system says whether the
    // running Windows reads the values that saving writes, and goes to the main
    // window. Registers the window classes on first use. Returns null when the window
    // cannot be created.
    static frmStartup *create(HINSTANCE instance, SystemReadsTuningValues system);

    frmStartup(const frmStartup &) = delete;
    frmStartup &operator=(const frmStartup &) = delete;

    // Shows the window.
    void show();
    HWND hwnd() const { return m_hwnd; }

    // Enables tmrSplash; runs once, from create(), before the window is shown.
    void Form_Load();
    // The one tick of tmrSplash: shows frmMain over the platform's registry store,
    // creating it unless it exists, then destroys the splash window (and so this
    // object). When no main window can be made the program ends instead.
    void tmrSplash_Timer();

private:
    frmStartup(HINSTANCE instance, SystemReadsTuningValues system)
        : m_instance(instance), m_system(system)
    {
    }
    ~frmStartup();

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static frmStartup *fromWindow(HWND hwnd);

    // Hands each message of the window to its handler below.
    LRESULT Form_Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Message handlers.
    BOOL Form_Create(HWND hwnd, LPCREATESTRUCT create);
    void Form_Timer(HWND hwnd, UINT id);
    void Form_Close(HWND hwnd);
    void Form_Destroy(HWND hwnd);
    static void Form_NcDestroy(HWND hwnd);

    HINSTANCE m_instance;
    SystemReadsTuningValues m_system;
    HWND m_hwnd = nullptr;
    Fonts m_fonts;
};

} // namespace lumox::win32
