#pragma once

#include "controls.h"
#include "frm_sponsors.h"
#include "layout.h"
#include "main_window_behaviour.h"
#include "registry_access.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <commctrl.h>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace lumox::win32 {

// The program's only working window: a borderless popup of 378 x 373 pixels with a
// taskbar button, whose face is Frame1's etched outline around the tab control SSTab1
// with four pages. Its controls come from the layout table (layout.h) and carry
// their table names (control_names.h); its window procedure hands every control
// event, as the event routes (event_routes.h) name it, to the shared
// MainWindowBehaviour. There is at most one
// main window; the window owns this object, which is deleted when the window is
// destroyed. Destroying the window, by "Quit", WM_CLOSE or Alt+F4, calls the
// destroyed hook, whose default ends the program with PostQuitMessage(0).
class frmMain
{
public:
    // The class name of the window, and its window text.
    static constexpr const char *className = "frmMain";

    // What runs once the window has been destroyed.
    using DestroyedHook = std::function<void()>;

    // Creates the main window over store, centred on the screen and hidden, with
    // the "Information" page in front and the banner timer running. system says
    // whether the running Windows reads the values that saving writes; where it does
    // not, saving and resetting leave store alone and say why. Registers the window
    // classes on first use. Returns null when a main window exists already or the
    // window cannot be created. The returned object lives until its window is
    // destroyed.
    static frmMain *create(HINSTANCE instance, std::unique_ptr<RegistryStore> store,
                           SystemReadsTuningValues system);

    // The main window of the calling thread, or null when there is none.
    static frmMain *instance();

    // Replaces what runs after the main window has been destroyed; an empty hook
    // restores the default, PostQuitMessage(0).
    static void setDestroyedHook(DestroyedHook hook);

    frmMain(const frmMain &) = delete;
    frmMain &operator=(const frmMain &) = delete;

    // Shows the window, not modally and without an owner, and activates it.
    void show();
    HWND hwnd() const { return m_hwnd; }

    // The window of the table control with the given name, or null.
    HWND control(std::string_view name) const;
    // The tooltip control that serves txtMTU and txtRWIN.
    HWND toolTipWindow() const { return m_toolTip; }
    // The page in front, from 0 ("Information") to 3 ("Exit Lumox 2000").
    int currentPage() const;
    // Brings page index to the front, as a click on its tab does.
    void selectPage(int index);

    // Offered each message of the thread before it is translated and dispatched.
    // Handles the keyboard of the window: Tab and Shift+Tab move the focus along
    // the table's focus order over visible controls only; Ctrl+Tab and Ctrl+PgDn
    // turn to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the previous one;
    // Enter and Esc press nothing. Returns true when the message was used up and
    // must not be dispatched.
    bool preTranslateMessage(MSG &message);

    // The banner timer's handler, which draws the next sponsor; public so that the
    // banner rotation can be driven without waiting for the timer.
    void tmrAds_Timer();

    // The sponsor number drawn at the last banner change, 0 before the first.
    std::int16_t sponsorNumber() const { return m_behaviour->sponsorNumber(); }
    // The picture store, null until the first banner change creates it.
    const frmSponsors *sponsorStore() const { return m_sponsors.get(); }

private:
    // The window as the shared behaviour sees it.
    class Face;

    frmMain(HINSTANCE instance, std::unique_ptr<RegistryStore> store,
            SystemReadsTuningValues system);
    ~frmMain();

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static frmMain *fromWindow(HWND hwnd);
    static DestroyedHook &destroyedHook();

    // Hands each message of the window to its handler below.
    LRESULT Form_Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    // Message handlers.
    BOOL Form_Create(HWND hwnd, LPCREATESTRUCTA create);
    void Form_Command(HWND hwnd, int id, HWND control, UINT code);
    LRESULT Form_Notify(HWND hwnd, int id, NMHDR *header);
    void Form_DrawItem(HWND hwnd, const DRAWITEMSTRUCT *item);
    void Form_Timer(HWND hwnd, UINT id);
    void Form_Activate(HWND hwnd, UINT state, HWND other, BOOL minimized);
    void Form_Close(HWND hwnd);
    void Form_Destroy(HWND hwnd);
    static void Form_NcDestroy(HWND hwnd);

    bool createControls();
    bool createToolTips();
    HWND createTabControl(const layout::Control &control, HWND parent, const RECT &pixels, int id);
    HWND createBanner(const layout::Control &control, HWND parent, const RECT &pixels, int id);
    const layout::Control *tableControl(int id) const;
    std::vector<HWND> focusChain() const;
    void showPage(int index);
    void moveFocus(int step);
    void turnPage(int step);

    HINSTANCE m_instance;
    HWND m_hwnd = nullptr;
    Fonts m_fonts;
    std::unique_ptr<Face> m_face;
    std::unique_ptr<MainWindowBehaviour> m_behaviour;
    // The hidden picture store, made by the first banner change, kept until the end.
    std::unique_ptr<frmSponsors> m_sponsors;

    // The window of each table control, by its place in the table (null for the
    // registry control, which has none).
    std::vector<HWND> m_controls;
    std::array<HWND, 4> m_pages = {};
    HWND m_toolTip = nullptr;
    // Where the focus was when the window was last deactivated.
    HWND m_lastFocus = nullptr;
    HWND SSTab1 = nullptr;
    HWND txtMTU = nullptr;
    HWND txtRWIN = nullptr;
    HWND lblCalc = nullptr;
    std::array<HWND, 4> m_banners = {}; // imgAds, imgAds2, imgAds3, imgAds4
};

} // namespace lumox::win32
