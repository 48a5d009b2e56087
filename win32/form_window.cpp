#include "form_window.h"

namespace lumox::win32 {

bool registerFormClass(HINSTANCE instance, const FormWindow &form)
{
    WNDCLASSA windowClass = {};
    if (GetClassInfoA(instance, form.className, &windowClass)) {
        return true;
    }
    windowClass.lpfnWndProc = form.windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(form.iconId));
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = form.className;
    return RegisterClassA(&windowClass) != 0;
}

HWND createFormWindow(HINSTANCE instance, const FormWindow &form, void *creationParams)
{
    const int left = (GetSystemMetrics(SM_CXSCREEN) - form.width) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - form.height) / 2;
    return CreateWindowExA(form.exStyle, form.className, form.title, WS_POPUP | WS_CLIPCHILDREN,
                           left, top, form.width, form.height, nullptr, nullptr, instance,
                           creationParams);
}

} // namespace lumox::win32
