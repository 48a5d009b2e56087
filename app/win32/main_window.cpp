#include "main_window.h"

#include "ansi_text.h"
#include "banner_slot.h"
#include "control_names.h"
#include "controls.h"
#include "form_window.h"
#include "identity.h"
#include "labels.h"
#include "main_window_behaviour.h"
#include "message_boxes.h"
#include "resource.h"
#include "sponsor_launcher.h"
#include "win32/user_number_format.h"
#include "window_object.h"

#include <windowsx.h>

#include <algorithm>
#include <string>
#include <utility>

namespace lumox::win32 {

namespace {

// The banner timer, tmrAds.
constexpr UINT_PTR tmrAds = 1;

std::string windowText(HWND window)
{
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(std::max(length, 0)) + 1, '\0');
    const int copied = GetWindowTextA(window, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return text;
}

// Loads the common controls, whose tab and tooltip controls only this window uses:
// comctl32 is loaded here rather than by the program's imports, so that the splash
// shows without waiting for the score of window classes it registers when it loads.
// Returns false when the library or its InitCommonControls is missing.
bool loadCommonControls()
{
    HMODULE library = LoadLibraryA("comctl32.dll");
    if (library == nullptr) {
        return false;
    }
    using InitCommonControlsFunction = void(WINAPI *)();
    const auto initCommonControls = reinterpret_cast<InitCommonControlsFunction>(
        reinterpret_cast<void *>(GetProcAddress(library, "InitCommonControls")));
    if (initCommonControls == nullptr) {
        FreeLibrary(library);
        return false;
    }
    // The library stays loaded until the program ends.
    initCommonControls();
    return true;
}

BOOL CALLBACK findMainWindow(HWND window, LPARAM lParam)
{
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (std::string_view(name) == frmMain::className) {
        *reinterpret_cast<HWND *>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

// The window's controls and the system as the shared behaviour sees them. The boxes'
// texts are in the ANSI code page, as the calculator's number format is.
class frmMain::Face final : public MainWindowFace
{
public:
    explicit Face(frmMain &form) : m_form(form) {}

    std::string mtuText() const override { return windowText(m_form.txtMTU); }
    std::string rwinText() const override { return windowText(m_form.txtRWIN); }
    // The edit box sends EN_CHANGE before SetWindowTextA returns, so txtRWIN_Change
    // has run by then.
    void setRwinText(const std::string &text) override
    {
        SetWindowTextA(m_form.txtRWIN, text.c_str());
    }
    void setFormulaCaption(const std::string &caption) override
    {
        SetWindowTextA(m_form.lblCalc, caption.c_str());
        InvalidateRect(m_form.lblCalc, nullptr, FALSE);
    }
    void setFormulaVisible(bool visible) override
    {
        ShowWindow(m_form.lblCalc, visible ? SW_SHOWNA : SW_HIDE);
    }
    std::string toUtf8(const std::string &text) const override { return ansiToUtf8(text); }
    void showMessage(std::string_view title, std::string_view text) override
    {
        MessageBoxes::exclamation(m_form.m_hwnd, utf8ToAnsi(title), utf8ToAnsi(text));
    }
    bool openSponsorPage(std::string_view address) override
    {
        return SponsorLauncher::open(address);
    }
    void showSponsorPicture(std::int16_t sponsorNumber) override
    {
        if (!m_form.m_sponsors) {
            m_form.m_sponsors = frmSponsors::create(m_form.m_instance);
            if (!m_form.m_sponsors) {
                return;
            }
        }
        // The banners share the store's own picture.
        DibPicture *picture = m_form.m_sponsors->picture(sponsorNumber);
        for (HWND banner : m_form.m_banners) {
            setBannerPicture(banner, picture);
        }
    }
    // The window goes and the program ends with it; nothing runs after this.
    void unload() override { DestroyWindow(m_form.m_hwnd); }

private:
    frmMain &m_form;
};

frmMain::DestroyedHook &frmMain::destroyedHook()
{
    static DestroyedHook hook;
    return hook;
}

void frmMain::setDestroyedHook(DestroyedHook hook)
{
    destroyedHook() = std::move(hook);
}

frmMain::frmMain(HINSTANCE instance, std::unique_ptr<RegistryStore> store,
                 SystemReadsTuningValues system)
    : m_instance(instance), m_face(std::make_unique<Face>(*this)),
      m_behaviour(std::make_unique<MainWindowBehaviour>(*m_face, RwinRules(userNumberFormat()),
                                                        std::move(store), system))
{
}

frmMain::~frmMain()
{
    releaseFonts(m_fonts);
}

frmMain *frmMain::create(HINSTANCE instance, std::unique_ptr<RegistryStore> store,
                         SystemReadsTuningValues system)
{
    if (instance == nullptr || store == nullptr || frmMain::instance() != nullptr) {
        return nullptr;
    }
    const std::string title(identity::programTitle);
    // A popup with a taskbar button and the program's icon.
    const FormWindow form{className,
                          &frmMain::windowProc,
                          IDI_PROGRAM,
                          WS_EX_APPWINDOW,
                          title.c_str(),
                          pixelsAcross(layout::mainWindowClient.width),
                          pixelsDown(layout::mainWindowClient.height)};
    if (!registerFormClass(instance, form) || !registerControlClasses(instance) ||
        !loadCommonControls()) {
        return nullptr;
    }
    WindowCreation<frmMain> params{new frmMain(instance, std::move(store), system), false};
    HWND hwnd = createFormWindow(instance, form, &params);
    if (!params.adopted) {
        // The window never took the object over.
        delete params.form;
        return nullptr;
    }
    // When creation failed after WM_NCCREATE, WM_NCDESTROY has deleted the object.
    return hwnd != nullptr ? params.form : nullptr;
}

frmMain *frmMain::instance()
{
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &findMainWindow, reinterpret_cast<LPARAM>(&found));
    return found != nullptr ? fromWindow(found) : nullptr;
}

frmMain *frmMain::fromWindow(HWND hwnd)
{
    return reinterpret_cast<frmMain *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void frmMain::show()
{
    ShowWindow(m_hwnd, SW_SHOWNORMAL);
    UpdateWindow(m_hwnd);
    SetForegroundWindow(m_hwnd);
    HWND focus = GetFocus();
    if (focus != m_hwnd && IsChild(m_hwnd, focus)) {
        return;
    }
    const std::vector<HWND> chain = focusChain();
    if (!chain.empty()) {
        SetFocus(chain.front());
    }
}

LRESULT CALLBACK frmMain::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return formWindowProc(hwnd, message, wParam, lParam, &frmMain::m_hwnd, &frmMain::Form_Message);
}

LRESULT frmMain::Form_Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        HANDLE_MSG(hwnd, WM_CREATE, Form_Create);
        HANDLE_MSG(hwnd, WM_COMMAND, Form_Command);
        HANDLE_MSG(hwnd, WM_NOTIFY, Form_Notify);
        HANDLE_MSG(hwnd, WM_DRAWITEM, Form_DrawItem);
        HANDLE_MSG(hwnd, WM_TIMER, Form_Timer);
        HANDLE_MSG(hwnd, WM_ACTIVATE, Form_Activate);
        HANDLE_MSG(hwnd, WM_CLOSE, Form_Close);
        HANDLE_MSG(hwnd, WM_DESTROY, Form_Destroy);
        HANDLE_MSG(hwnd, WM_NCDESTROY, Form_NcDestroy);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

BOOL frmMain::Form_Create(HWND, LPCREATESTRUCT)
{
    m_fonts = makeFonts();
    if (!createControls()) {
        return FALSE;
    }
    selectPage(0);
    SetTimer(m_hwnd, tmrAds, bannerIntervalMs, nullptr);
    return TRUE;
}

void frmMain::Form_Command(HWND, int id, HWND, UINT code)
{
    const layout::Control *entry = tableControl(id);
    if (entry == nullptr) {
        return;
    }
    // The notification that stands for each kind's routed event.
    const bool routed = (entry->kind == layout::Kind::TextBox && code == EN_CHANGE) ||
                        (entry->kind == layout::Kind::Button && code == BN_CLICKED) ||
                        (entry->kind == layout::Kind::BannerSlot && code == STN_CLICKED);
    if (routed) {
        m_behaviour->handle(entry->name, entry->kind == layout::Kind::TextBox
                                             ? ControlEvent::Change
                                             : ControlEvent::Click);
    }
}

LRESULT frmMain::Form_Notify(HWND, int, NMHDR *header)
{
    if (header->hwndFrom == SSTab1 && header->code == TCN_SELCHANGE) {
        showPage(TabCtrl_GetCurSel(SSTab1));
    }
    return 0;
}

void frmMain::Form_DrawItem(HWND, const DRAWITEMSTRUCT *item)
{
    const layout::Control *entry = tableControl(static_cast<int>(item->CtlID));
    if (entry == nullptr || entry->kind != layout::Kind::Label) {
        return;
    }
    COLORREF colour = GetSysColor(COLOR_BTNTEXT);
    if (entry->style == layout::Style::Heading) {
        colour = ruleColour;
    } else if (entry->style == layout::Style::Donation) {
        colour = donationColour;
    }
    drawLabel(*item, colour,
              entry->style == layout::Style::Centred || entry->style == layout::Style::Heading);
}

void frmMain::Form_Timer(HWND, UINT id)
{
    if (id == tmrAds) {
        tmrAds_Timer();
    }
}

void frmMain::Form_Activate(HWND hwnd, UINT state, HWND, BOOL minimized)
{
    if (state == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (IsChild(hwnd, focus)) {
            m_lastFocus = focus;
        }
        return;
    }
    if (minimized) {
        return;
    }
    // A click that came first (its button already holds the focus) keeps it: moving the
    // focus away would cancel the button's press.
    if (IsChild(hwnd, GetFocus())) {
        return;
    }
    // Coming back (after a message box, say), the focus returns where it was.
    if (m_lastFocus != nullptr && IsWindow(m_lastFocus) && IsWindowVisible(m_lastFocus)) {
        SetFocus(m_lastFocus);
    } else {
        FORWARD_WM_ACTIVATE(hwnd, state, nullptr, minimized, DefWindowProcA);
    }
}

void frmMain::Form_Close(HWND hwnd)
{
    // Closing the window by any means ends the program, as "Quit" does.
    DestroyWindow(hwnd);
}

void frmMain::Form_Destroy(HWND hwnd)
{
    KillTimer(hwnd, tmrAds);
    forgetControlNames(hwnd);
}

void frmMain::Form_NcDestroy(HWND hwnd)
{
    delete fromWindow(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
    // Copied first: the hook may replace itself.
    const DestroyedHook hook = destroyedHook();
    if (hook) {
        hook();
    } else {
        PostQuitMessage(0);
    }
}

void frmMain::tmrAds_Timer()
{
    m_behaviour->handle(layout::bannerTimerName, ControlEvent::Timer);
}

} // namespace lumox::win32
