#include "frm_sponsors.h"

#include "resource.h"

#include <windowsx.h>

#include <cstddef>

namespace lumox::win32 {

namespace {

constexpr char className[] = "frmSponsors";

// How often each sponsor picture has been decoded in this process.
std::array<int, sponsorPictureCount> &decodeCounts()
{
    static std::array<int, sponsorPictureCount> counts{};
    return counts;
}

bool registerClass(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSA existing;
    if (GetClassInfoA(instance, className, &existing))
        return true;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    return RegisterClassA(&windowClass) != 0;
}

} // namespace

std::unique_ptr<frmSponsors> frmSponsors::create(HINSTANCE instance)
{
    if (!registerClass(instance, &frmSponsors::windowProc))
        return nullptr;
    std::unique_ptr<frmSponsors> store(new frmSponsors);
    store->m_instance = instance;
    // A popup without WS_VISIBLE and, as a tool window, without a taskbar button.
    // Form_Load (WM_CREATE) decodes the pictures.
    const HWND window = CreateWindowExA(WS_EX_TOOLWINDOW, className, className, WS_POPUP, 0, 0, 0,
                                        0, nullptr, nullptr, instance, store.get());
    if (window == nullptr)
        return nullptr;
    return store;
}

frmSponsors::~frmSponsors()
{
    if (m_hwnd != nullptr)
        DestroyWindow(m_hwnd);
}

DibPicture *frmSponsors::picture(int number) const
{
    if (number < 1 || number > sponsorPictureCount)
        return nullptr;
    return m_pictures[static_cast<std::size_t>(number - 1)].get();
}

int frmSponsors::decodeCount(int number)
{
    if (number < 1 || number > sponsorPictureCount)
        return 0;
    return decodeCounts()[static_cast<std::size_t>(number - 1)];
}

BOOL frmSponsors::Form_Load(HWND hwnd, LPCREATESTRUCTA)
{
    m_hwnd = hwnd;
    for (int number = 1; number <= sponsorPictureCount; ++number) {
        const auto index = static_cast<std::size_t>(number - 1);
        m_pictures[index].reset(
            loadPictureResource(m_instance, IDR_SPONSOR_PICTURE_1 + number - 1));
        ++decodeCounts()[index];
    }
    return TRUE;
}

BOOL frmSponsors::Form_WindowPosChanging(HWND, LPWINDOWPOS position)
{
    // The store is never shown, whoever asks.
    position->flags &= ~static_cast<UINT>(SWP_SHOWWINDOW);
    return FALSE;
}

void frmSponsors::Form_QueryUnload(HWND)
{
    // The store lives as long as its owner: a close request from outside is refused.
}

void frmSponsors::Form_Terminate(HWND hwnd)
{
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    m_hwnd = nullptr;
}

LRESULT CALLBACK frmSponsors::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto *creation = reinterpret_cast<const CREATESTRUCTA *>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(creation->lpCreateParams));
    }
    auto *self = reinterpret_cast<frmSponsors *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    switch (message) {
        HANDLE_MSG(hwnd, WM_CREATE, self->Form_Load);
        HANDLE_MSG(hwnd, WM_WINDOWPOSCHANGING, self->Form_WindowPosChanging);
        HANDLE_MSG(hwnd, WM_CLOSE, Form_QueryUnload);
        HANDLE_MSG(hwnd, WM_NCDESTROY, self->Form_Terminate);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace lumox::win32
