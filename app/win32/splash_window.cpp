#include "splash_window.h"

#include "control_names.h"
#include "controls.h"
#include "dib_picture.h"
#include "form_builder.h"
#include "form_window.h"
#include "layout.h"
#include "main_window.h"
#include "registry_access.h"
#include "resource.h"
#include "tuning_actions.h"
#include "window_object.h"

#include <windowsx.h>

#include <memory>
#include <vector>

namespace lumox::win32 {

namespace {

// The splash timer, tmrSplash.
constexpr UINT_PTR tmrSplash = 1;

} // namespace

frmStartup::~frmStartup()
{
    releaseFonts(m_fonts);
}

frmStartup *frmStartup::create(HINSTANCE instance, SystemReadsTuningValues system)
{
    if (instance == nullptr) {
        return nullptr;
    }
    // A popup with no taskbar button and the program's icon.
    const FormWindow form{className,
                          &frmStartup::windowProc,
                          IDI_PROGRAM,
                          WS_EX_TOOLWINDOW,
                          "",
                          pixelsAcross(layout::splashWindowClient.width),
                          pixelsDown(layout::splashWindowClient.height)};
    if (!registerFormClass(instance, form) || !registerControlClasses(instance)) {
        return nullptr;
    }
    WindowCreation<frmStartup> params{new frmStartup(instance, system), false};
    HWND hwnd = createFormWindow(instance, form, &params);
    if (!params.adopted) {
        delete params.form;
        return nullptr;
    }
    if (hwnd == nullptr) {
        return nullptr;
    }
    params.form->Form_Load();
    return params.form;
}

frmStartup *frmStartup::fromWindow(HWND hwnd)
{
    return reinterpret_cast<frmStartup *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
}

void frmStartup::show()
{
    // Shown without taking the activation: the splash takes no input, so the focus
    // stays where the user left it until the main window takes it. A window that is
    // never activated also needs no word from a window manager to be shown or taken
    // down again, so destroying it after the hand-over does not wait for one.
    ShowWindow(m_hwnd, SW_SHOWNA);
    UpdateWindow(m_hwnd);
}

LRESULT CALLBACK frmStartup::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return formWindowProc(hwnd, message, wParam, lParam, &frmStartup::m_hwnd,
                          &frmStartup::Form_Message);
}

LRESULT frmStartup::Form_Message(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        HANDLE_MSG(hwnd, WM_CREATE, Form_Create);
        HANDLE_MSG(hwnd, WM_TIMER, Form_Timer);
        HANDLE_MSG(hwnd, WM_CLOSE, Form_Close);
        HANDLE_MSG(hwnd, WM_DESTROY, Form_Destroy);
        HANDLE_MSG(hwnd, WM_NCDESTROY, Form_NcDestroy);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

BOOL frmStartup::Form_Create(HWND hwnd, LPCREATESTRUCT)
{
    m_fonts = makeFonts();
    setControlName(hwnd, className);
    std::vector<HWND> windows;
    if (!buildFormControls(m_instance, hwnd, layout::splashWindowControls(), m_fonts, {},
                           windows)) {
        return FALSE;
    }
    // The start-up picture, shown unscaled and clipped to the box's inner area.
    PictureRef picture(loadPictureResource(m_instance, IDR_STARTUP_PICTURE));
    setPictureBoxPicture(findControl(hwnd, "picStartup"), picture.get());
    return TRUE;
}

void frmStartup::Form_Load()
{
    SetTimer(m_hwnd, tmrSplash, static_cast<UINT>(layout::splashIntervalMs), nullptr);
}

void frmStartup::tmrSplash_Timer()
{
    // One tick only: the window and its timer go at the end of it.
    KillTimer(m_hwnd, tmrSplash);
    frmMain *main = frmMain::instance();
    if (main == nullptr) {
        main = frmMain::create(m_instance, makeDefaultRegistryStore(), m_system);
    }
    if (main != nullptr) {
        main->show();
    } else {
        // Without a main window nothing would ever end the program.
        PostQuitMessage(1);
    }
    DestroyWindow(m_hwnd);
}

void frmStartup::Form_Timer(HWND, UINT id)
{
    if (id == tmrSplash) {
        tmrSplash_Timer();
    }
}

void frmStartup::Form_Close(HWND)
{
    // Alt+F4 and the like change nothing: the splash goes by its timer alone.
}

void frmStartup::Form_Destroy(HWND hwnd)
{
    KillTimer(hwnd, tmrSplash);
    forgetControlNames(hwnd);
}

void frmStartup::Form_NcDestroy(HWND hwnd)
{
    delete fromWindow(hwnd);
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
}

} // namespace lumox::win32
