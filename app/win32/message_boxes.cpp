#include "message_boxes.h"

#include <utility>

namespace lumox::win32 {

MessageBoxes::Hook &MessageBoxes::hook()
{
    static Hook installed;
    return installed;
}

int MessageBoxes::exclamation(HWND owner, std::string_view title, std::string_view text)
{
    if (hook()) {
        hook()(owner, std::string(title), std::string(text));
        return IDOK;
    }
    const std::string titleText(title);
    const std::string bodyText(text);
    return MessageBoxA(owner, bodyText.c_str(), titleText.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void MessageBoxes::setHook(Hook replacement)
{
    hook() = std::move(replacement);
}

} // namespace lumox::win32
