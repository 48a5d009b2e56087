#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace lumox::win32 {

// The window of one of the program's forms: a popup without border or title bar, of
// a fixed size, centred on the screen, whose class carries the given icon, the arrow
// pointer and the button face as background.
struct FormWindow
{
    const char *className = nullptr;
    WNDPROC windowProc = nullptr;
    // The resource identifier of the class icon.
    int iconId = 0;
    // WS_EX_APPWINDOW gives the window a taskbar button, WS_EX_TOOLWINDOW none.
    DWORD exStyle = 0;
    const char *title = "";
    int width = 0;
    int height = 0;
};

// Registers the window class of form unless instance has it already. Returns false
// when it cannot be registered.
bool registerFormClass(HINSTANCE instance, const FormWindow &form);

// Creates the window of form, hidden, centred on the primary screen, handing
// creationParams to its window procedure (see window_object.h). Returns the window,
// or null when it cannot be created.
HWND createFormWindow(HINSTANCE instance, const FormWindow &form, void *creationParams);

} // namespace lumox::win32
