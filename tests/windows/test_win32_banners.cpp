// The Win32 banners in-process: the hidden picture store, the banner slots and the
// sponsor launcher. The pictures come from the resources linked into this program.
#include "banner_slot.h"
#include "decoded_resource.h"
#include "dib_picture.h"
#include "frm_sponsors.h"
#include "resource.h"
#include "sponsor_launcher.h"

#include "sponsor_draw.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

namespace {

using lumox::sponsorPictureCount;
using namespace lumox::win32;

HINSTANCE instance()
{
    return GetModuleHandleA(nullptr);
}

bool samePixels(const DibPicture &a, const DibPicture &b)
{
    if (a.width() != b.width() || a.height() != b.height())
        return false;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return false;
    return true;
}

// A top-level window on the screen that holds a page, which holds banner slots, as frmMain
// does; it records the WM_COMMAND messages it is sent.
class SlotHost
{
public:
    SlotHost()
    {
        static const ATOM hostClass = [] {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = &SlotHost::windowProc;
            windowClass.hInstance = instance();
            windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
            windowClass.lpszClassName = "LumoxBannerTestHost";
            return RegisterClassA(&windowClass);
        }();
        EXPECT_NE(hostClass, 0);
        m_top = CreateWindowExA(0, "LumoxBannerTestHost", "host", WS_POPUP, 0, 0, 200, 100, nullptr,
                                nullptr, instance(), nullptr);
        SetWindowLongPtrA(m_top, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        m_page = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 180, 80, m_top,
                                 nullptr, instance(), nullptr);
        // Shown without activation, so that Wine treats it as an unmanaged popup and
        // does not wait for a window manager when it goes.
        ShowWindow(m_top, SW_SHOWNOACTIVATE);
    }
    SlotHost(const SlotHost &) = delete;
    SlotHost &operator=(const SlotHost &) = delete;
    ~SlotHost() { DestroyWindow(m_top); }

    HWND top() const { return m_top; }
    HWND page() const { return m_page; }

    struct Command
    {
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Command> commands;

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto *self = reinterpret_cast<SlotHost *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message == WM_COMMAND && self != nullptr) {
            self->commands.push_back({wParam, lParam});
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }

    HWND m_top = nullptr;
    HWND m_page = nullptr;
};

void pumpMessages()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

TEST(Win32PictureStore, DecodesEachPictureOnceAndIsNeverShown)
{
    std::array<int, sponsorPictureCount> before{};
    for (int n = 1; n <= sponsorPictureCount; ++n)
        before[n - 1] = frmSponsors::decodeCount(n);

    const auto store = frmSponsors::create(instance());
    ASSERT_NE(store, nullptr);
    ASSERT_NE(store->hwnd(), nullptr);
    char className[32] = {};
    GetClassNameA(store->hwnd(), className, sizeof className);
    EXPECT_STREQ(className, "frmSponsors");

    // A day's worth of ticks asks the store for pictures; it hands out the same objects.
    std::array<DibPicture *, sponsorPictureCount> first{};
    for (int n = 1; n <= sponsorPictureCount; ++n)
        first[n - 1] = store->picture(n);
    for (int tick = 0; tick < 50000; ++tick) {
        const int n = tick % sponsorPictureCount + 1;
        ASSERT_EQ(store->picture(n), first[n - 1]) << "picture " << n;
    }
    for (int n = 1; n <= sponsorPictureCount; ++n) {
        EXPECT_EQ(frmSponsors::decodeCount(n), before[n - 1] + 1) << "picture " << n;
        ASSERT_NE(first[n - 1], nullptr) << "picture " << n;
        for (int m = 1; m < n; ++m)
            EXPECT_NE(first[n - 1], first[m - 1]) << "pictures " << m << " and " << n;
    }
    EXPECT_EQ(store->picture(0), nullptr);
    EXPECT_EQ(store->picture(sponsorPictureCount + 1), nullptr);

    // Whoever tries to show or close it, the store stays hidden and alive.
    ShowWindow(store->hwnd(), SW_SHOWNORMAL);
    SetWindowPos(store->hwnd(), HWND_TOP, 0, 0, 120, 60, SWP_SHOWWINDOW);
    SendMessageA(store->hwnd(), WM_CLOSE, 0, 0);
    pumpMessages();
    ASSERT_TRUE(IsWindow(store->hwnd()));
    EXPECT_FALSE(IsWindowVisible(store->hwnd()));
    EXPECT_EQ(GetWindowLongPtrA(store->hwnd(), GWL_STYLE) & WS_VISIBLE, 0);

    // A second store decodes again: the count is of decodings, not of stores.
    const HWND firstWindow = store->hwnd();
    {
        const auto second = frmSponsors::create(instance());
        ASSERT_NE(second, nullptr);
        EXPECT_EQ(frmSponsors::decodeCount(1), before[0] + 2);
    }
    EXPECT_TRUE(IsWindow(firstWindow));
}

TEST(Win32PictureStore, PicturesAreBannerSizedAndTheInitialOneIsPictureEight)
{
    const auto store = frmSponsors::create(instance());
    ASSERT_NE(store, nullptr);
    for (int n = 1; n <= sponsorPictureCount; ++n) {
        ASSERT_NE(store->picture(n), nullptr) << "picture " << n;
        EXPECT_EQ(store->picture(n)->width(), 120) << "picture " << n;
        EXPECT_EQ(store->picture(n)->height(), 60) << "picture " << n;
        // Only the pictures with a transparent colour carry a mask.
        EXPECT_EQ(store->picture(n)->mask() != nullptr, n == 2 || n == 3) << "picture " << n;
    }

    DibPicture *initial = initialBannerPicture(instance());
    ASSERT_NE(initial, nullptr);
    EXPECT_EQ(initialBannerPicture(instance()), initial);
    EXPECT_TRUE(samePixels(*initial, *store->picture(8)));
    EXPECT_FALSE(samePixels(*initial, *store->picture(7)));
}

TEST(Win32BannerSlot, ShowsTheStoresOwnObjectAndRepaintsOnlyItselfOnAChange)
{
    const auto store = frmSponsors::create(instance());
    ASSERT_NE(store, nullptr);
    SlotHost host;
    const RECT area = {30, 10, 150, 70};
    const HWND slot = createBannerSlot(instance(), host.page(), area, 1234);
    ASSERT_NE(slot, nullptr);
    RECT client;
    GetClientRect(slot, &client);
    EXPECT_EQ(client.right, 120);
    EXPECT_EQ(client.bottom, 60);
    EXPECT_EQ(bannerPicture(slot), nullptr);

    setBannerPicture(slot, store->picture(5));
    EXPECT_EQ(bannerPicture(slot), store->picture(5));
    UpdateWindow(host.top());

    // The same picture again is no change; another one marks the slot alone.
    setBannerPicture(slot, store->picture(5));
    EXPECT_FALSE(GetUpdateRect(slot, nullptr, FALSE));
    setBannerPicture(slot, store->picture(6));
    EXPECT_EQ(bannerPicture(slot), store->picture(6));
    EXPECT_TRUE(GetUpdateRect(slot, nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(host.page(), nullptr, FALSE));
    EXPECT_FALSE(GetUpdateRect(host.top(), nullptr, FALSE));

    // Windows that are not slots are left alone.
    setBannerPicture(host.page(), store->picture(1));
    EXPECT_EQ(bannerPicture(host.page()), nullptr);

    // The slot holds its own reference: the picture outlives the store while shown.
    DibPicture *shown = store->picture(6);
    const unsigned long referencesWhileShown = shown->addRef();
    shown->release();
    setBannerPicture(slot, nullptr);
    const unsigned long referencesAfter = shown->addRef();
    shown->release();
    EXPECT_EQ(referencesAfter + 1, referencesWhileShown);
}

TEST(Win32BannerSlot, TransparentPixelsShowTheFaceColourAlsoAfterAChangeWhileHidden)
{
    const auto store = frmSponsors::create(instance());
    ASSERT_NE(store, nullptr);
    SlotHost host;
    const RECT area = {0, 0, 120, 60};
    const HWND slot = createBannerSlot(instance(), host.page(), area, 1);
    ASSERT_NE(slot, nullptr);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);

    for (const int n : {2, 3}) {
        DibPicture *picture = store->picture(n);
        ASSERT_NE(picture, nullptr);
        const lumox::testing::DecodedResource decoded =
            lumox::testing::decodeResource(IDR_SPONSOR_PICTURE_1 + n - 1);
        ASSERT_EQ(decoded.width, 120);
        ASSERT_EQ(decoded.height, 60);

        // Changed while its page is hidden, the slot shows the picture once it is shown.
        ShowWindow(host.page(), SW_HIDE);
        setBannerPicture(slot, picture);
        ShowWindow(host.page(), SW_SHOWNA);
        UpdateWindow(host.top());
        const HDC dc = GetDC(slot);
        int transparent = 0;
        int mismatches = 0;
        for (int y = 0; y < 60; ++y) {
            for (int x = 0; x < 120; ++x) {
                // The decoder makes a transparent pixel all zero.
                const bool clear = decoded.at(x, y) == 0;
                transparent += clear ? 1 : 0;
                const COLORREF expected = clear ? face : decoded.colourAt(x, y);
                mismatches += GetPixel(dc, x, y) != expected ? 1 : 0;
            }
        }
        ReleaseDC(slot, dc);
        EXPECT_GT(transparent, 0) << "picture " << n << " has no transparent pixel";
        EXPECT_LT(transparent, 120 * 60) << "picture " << n;
        EXPECT_EQ(mismatches, 0) << "picture " << n;
    }
}

TEST(Win32BannerSlot, HandPointerAndClickToTheTopLevelWindow)
{
    SlotHost host;
    const RECT area = {0, 0, 120, 60};
    const HWND slot = createBannerSlot(instance(), host.page(), area, 4321);
    ASSERT_NE(slot, nullptr);

    const HCURSOR hand = LoadCursorA(instance(), MAKEINTRESOURCEA(IDC_HAND_POINTER));
    ASSERT_NE(hand, nullptr);
    SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32512) /* IDC_ARROW */));
    SendMessageA(slot, WM_SETCURSOR, reinterpret_cast<WPARAM>(slot),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), hand);

    // Pressed and released inside: one click, sent past the page to the top window.
    SendMessageA(slot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(slot, WM_LBUTTONUP, 0, MAKELPARAM(60, 50));
    ASSERT_EQ(host.commands.size(), 1u);
    EXPECT_EQ(host.commands[0].wParam, MAKEWPARAM(4321, STN_CLICKED));
    EXPECT_EQ(host.commands[0].lParam, reinterpret_cast<LPARAM>(slot));
    EXPECT_NE(GetCapture(), slot);

    // Released outside, or a release without a press: no click.
    SendMessageA(slot, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(slot, WM_LBUTTONUP, 0, MAKELPARAM(130, 10));
    SendMessageA(slot, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(host.commands.size(), 1u);
}

// Stands in for CreateProcessA and records what it was asked to start.
struct StartRequest
{
    bool called = false;
    bool noApplicationName = false;
    std::string commandLine;
    DWORD startupFlags = 0;
    WORD showWindow = 0;
    HANDLE process = nullptr;
    HANDLE thread = nullptr;
};
StartRequest lastStart;
BOOL startResult = TRUE;

BOOL WINAPI recordingStarter(LPCSTR application, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                             LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID, LPCSTR,
                             LPSTARTUPINFOA startup, LPPROCESS_INFORMATION information)
{
    lastStart.called = true;
    lastStart.noApplicationName = application == nullptr;
    lastStart.commandLine = commandLine != nullptr ? commandLine : "";
    lastStart.startupFlags = startup->dwFlags;
    lastStart.showWindow = startup->wShowWindow;
    if (!startResult)
        return FALSE;
    // Real handles, so that the test can see whether the launcher closes them.
    information->hProcess = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    information->hThread = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    lastStart.process = information->hProcess;
    lastStart.thread = information->hThread;
    return TRUE;
}

bool handleIsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != 0;
}

TEST(Win32SponsorLauncher, StartsExplorerWithTheAddressShownNormallyWithoutKeepingHandles)
{
    SponsorLauncher::setLauncher({});
    SponsorLauncher::setProcessStarter(&recordingStarter);
    lastStart = {};
    startResult = TRUE;
    EXPECT_TRUE(SponsorLauncher::open("http://www.example.com/modem-mart/"));
    ASSERT_TRUE(lastStart.called);
    EXPECT_TRUE(lastStart.noApplicationName);
    EXPECT_EQ(lastStart.commandLine, "explorer http://www.example.com/modem-mart/");
    EXPECT_NE(lastStart.startupFlags & STARTF_USESHOWWINDOW, 0u);
    EXPECT_EQ(lastStart.showWindow, SW_SHOWNORMAL);
    EXPECT_FALSE(handleIsOpen(lastStart.process));
    EXPECT_FALSE(handleIsOpen(lastStart.thread));

    lastStart = {};
    startResult = FALSE;
    EXPECT_FALSE(SponsorLauncher::open("http://www.example.com/modem-mart/"));
    EXPECT_TRUE(lastStart.called);
    SponsorLauncher::setProcessStarter(nullptr);

    // The real CreateProcessA, asked for a program that does not exist.
    EXPECT_FALSE(SponsorLauncher::startProgram("lumox-no-such-program-here.exe /x"));
}

} // namespace
