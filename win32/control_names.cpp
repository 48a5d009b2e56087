#include "control_names.h"

namespace lumox::win32 {

namespace {

ATOM nameAtom(HWND window)
{
    return static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, controlNameProperty)));
}

struct Search
{
    std::string_view name;
    HWND found = nullptr;
};

BOOL CALLBACK matchName(HWND window, LPARAM lParam)
{
    auto *search = reinterpret_cast<Search *>(lParam);
    if (nameAtom(window) != 0 && controlName(window) == search->name) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK forgetOne(HWND window, LPARAM)
{
    forgetControlName(window);
    return TRUE;
}

} // namespace

bool setControlName(HWND window, std::string_view name)
{
    forgetControlName(window);
    // Atom names are limited to 255 characters; the table's names are far shorter.
    const std::string text(name.substr(0, 255));
    const ATOM atom = GlobalAddAtomA(text.c_str());
    if (atom == 0) {
        return false;
    }
    if (!SetPropA(window, controlNameProperty,
                  reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)))) {
        GlobalDeleteAtom(atom);
        return false;
    }
    return true;
}

std::string controlName(HWND window)
{
    const ATOM atom = nameAtom(window);
    if (atom == 0) {
        return {};
    }
    char buffer[256] = {};
    const UINT length = GlobalGetAtomNameA(atom, buffer, sizeof buffer);
    return std::string(buffer, length);
}

HWND findControl(HWND top, std::string_view name)
{
    Search search{name};
    EnumChildWindows(top, &matchName, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void forgetControlName(HWND window)
{
    const ATOM atom = nameAtom(window);
    if (atom == 0) {
        return;
    }
    RemovePropA(window, controlNameProperty);
    GlobalDeleteAtom(atom);
}

void forgetControlNames(HWND top)
{
    EnumChildWindows(top, &forgetOne, 0);
    forgetControlName(top);
}

} // namespace lumox::win32
