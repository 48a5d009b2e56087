#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "display_palette.h"

namespace lumox::win32 {

// How a window of one of our forms finds the object that stands behind it. The form's
// create() passes a WindowCreation in CreateWindowExA's last argument; at WM_NCCREATE the
// window takes the object over (adopted becomes true, and from then on the window's
// WM_NCDESTROY deletes it) and keeps it in its user data.
template <class Form> struct WindowCreation
{
    Form *form = nullptr;
    bool adopted = false;
};

// The object behind the window, for the window procedure of Form's class: at WM_NCCREATE
// the one being adopted, afterwards the one the window keeps; null before WM_NCCREATE and
// after the object is gone.
template <class Form> Form *windowObject(HWND hwnd, UINT message, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto *creation = static_cast<WindowCreation<Form> *>(
            reinterpret_cast<LPCREATESTRUCTA>(lParam)->lpCreateParams);
        creation->adopted = true;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(creation->form));
        return creation->form;
    }
    return reinterpret_cast<Form *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

// The window procedure of a form's class, for Form::windowProc to call: hands every
// message to the object behind the window through dispatch, after noting the window in
// the object's member window at WM_NCCREATE. The messages about palettes and the display
// go to handlePaletteMessage() first. Messages before WM_NCCREATE and after the object is
// gone get the default handling.
template <class Form>
LRESULT formWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, HWND Form::*window,
                       LRESULT (Form::*dispatch)(HWND, UINT, WPARAM, LPARAM))
{
    Form *form = windowObject<Form>(hwnd, message, lParam);
    if (form == nullptr) {
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    if (message == WM_NCCREATE) {
        form->*window = hwnd;
    }
    LRESULT result = 0;
    if (handlePaletteMessage(hwnd, message, wParam, result)) {
        return result;
    }
    return (form->*dispatch)(hwnd, message, wParam, lParam);
}

// The top-level window that window belongs to: window itself when it is not a child
// window. (GetAncestor, which would say the same, came only with Windows 98.)
inline HWND topLevelWindowOf(HWND window)
{
    while (window != nullptr && (GetWindowLongA(window, GWL_STYLE) & WS_CHILD) != 0) {
        HWND parent = GetParent(window);
        if (parent == nullptr) {
            break;
        }
        window = parent;
    }
    return window;
}

} // namespace lumox::win32
