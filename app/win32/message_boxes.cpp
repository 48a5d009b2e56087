#include "message_boxes.h"

#include <utility>

namespace lumox::win32 {

MessageBoxes::Presenter &MessageBoxes::presenter()
{
    static Presenter installed;
    return installed;
}

int MessageBoxes::exclamation(HWND owner, std::string_view title, std::string_view text)
{
    if (presenter()) {
        presenter()(owner, std::string(title), std::string(text));
        return IDOK;
    }
    const std::string titleText(title);
    const std::string bodyText(text);
    return MessageBoxA(owner, bodyText.c_str(), titleText.c_str(), MB_OK | MB_ICONEXCLAMATION);
}

void MessageBoxes::setPresenter(Presenter replacement)
{
    presenter() = std::move(replacement);
}

} // namespace lumox::win32
