#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

namespace lumox::win32 {

// The program's message boxes: modal, one OK button, the exclamation icon. Tests
// replace the real box with a presenter of their own so that nothing waits for a click.
class MessageBoxes
{
public:
    // What a presenter receives: the owner window, the title and the text.
    using Presenter = std::function<void(HWND, std::string, std::string)>;

    // Shows text under title, owned by owner, with MessageBoxA(owner, text, title,
    // MB_OK | MB_ICONEXCLAMATION), and returns when the user has closed it; returns
    // what MessageBoxA returned. While a presenter is set, calls it instead and
    // returns IDOK. Both texts are in the ANSI code page.
    static int exclamation(HWND owner, std::string_view title, std::string_view text);

    // Replaces the real box with presenter; an empty one restores the real box.
    static void setPresenter(Presenter presenter);

private:
    static Presenter &presenter();
};

} // namespace lumox::win32
