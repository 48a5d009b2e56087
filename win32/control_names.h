#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

// Every window of the program carries its name from the layout table (txtMTU,
// imgAds, pageMTU ...) as a window property holding a global atom, so that tests
// in this process, and tools in another, can find controls by name.
namespace lumox::win32 {

// The window property that holds the atom of a window's name.
inline constexpr const char *controlNameProperty = "LumoxControl";

// Gives window its name: adds name to the global atom table and stores the atom
// in the window's "LumoxControl" property. A name the window already had is
// released first. Returns false when the atom or the property cannot be made.
bool setControlName(HWND window, std::string_view name);

// The name of window, or an empty text when it has none.
std::string controlName(HWND window);

// The first window below top (top itself excluded; children, grandchildren and
// so on, in the order EnumChildWindows visits them) that carries name, or null.
HWND findControl(HWND top, std::string_view name);

// Removes the name of window and releases its atom. Does nothing for a window
// without a name.
void forgetControlName(HWND window);

// Removes the names of top and of every window below it. A window calls this
// for itself while it handles WM_DESTROY, when its children still exist.
void forgetControlNames(HWND top);

} // namespace lumox::win32
