#include "main_window.h"

#include "banner_slot.h"
#include "control_names.h"
#include "controls.h"
#include "form_builder.h"

#include <commctrl.h>

#include <span>
#include <string>

// Building the main window from the layout table: its controls, the tab control with its
// pages, the banner slots and the tooltips.
namespace lumox::win32 {

using layout::pageNames;

const layout::Control *frmMain::tableControl(int id) const
{
    const std::span<const layout::Control> table = layout::mainWindowControls();
    const int index = id - firstControlId;
    if (index < 0 || index >= static_cast<int>(table.size())) {
        return nullptr;
    }
    return &table[static_cast<std::size_t>(index)];
}

HWND frmMain::control(std::string_view name) const
{
    const std::span<const layout::Control> table = layout::mainWindowControls();
    for (std::size_t i = 0; i < table.size() && i < m_controls.size(); ++i) {
        if (table[i].name == name) {
            return m_controls[i];
        }
    }
    for (std::size_t i = 0; i < pageNames.size(); ++i) {
        if (name == pageNames[i]) {
            return m_pages[i];
        }
    }
    return nullptr;
}

bool frmMain::createControls()
{
    const std::span<const layout::Control> table = layout::mainWindowControls();
    setControlName(m_hwnd, className);
    // Controls on a page sit on the page's window, which covers the tab control's
    // display area; their table positions are relative to the tab control.
    POINT pageOrigin = {0, 0};
    FormHooks hooks;
    hooks.place = [this, &pageOrigin](const layout::Control &entry) -> ControlPlace {
        if (!entry.parent.empty() && entry.parent != "SSTab1") {
            return {control(entry.parent), {0, 0}};
        }
        if (entry.page >= 0 && entry.page < static_cast<int>(m_pages.size())) {
            return {m_pages[static_cast<std::size_t>(entry.page)], {-pageOrigin.x, -pageOrigin.y}};
        }
        return {entry.parent == "SSTab1" ? SSTab1 : m_hwnd, {0, 0}};
    };
    hooks.make = [this, &pageOrigin](const layout::Control &entry, HWND parent, const RECT &pixels,
                                     int id) -> HWND {
        switch (entry.kind) {
        case layout::Kind::TabControl: {
            HWND window = createTabControl(entry, parent, pixels, id);
            if (window != nullptr) {
                RECT display;
                GetClientRect(window, &display);
                TabCtrl_AdjustRect(window, FALSE, &display);
                pageOrigin = {display.left, display.top};
            }
            return window;
        }
        case layout::Kind::BannerSlot:
            return createBanner(entry, parent, pixels, id);
        default:
            return createControl(m_instance, entry, parent, pixels, id, m_fonts);
        }
    };
    if (!buildFormControls(m_instance, m_hwnd, table, m_fonts, hooks, m_controls)) {
        return false;
    }
    txtMTU = control("txtMTU");
    txtRWIN = control("txtRWIN");
    lblCalc = control("lblCalc");
    m_banners = {control("imgAds"), control("imgAds2"), control("imgAds3"), control("imgAds4")};
    if (SSTab1 == nullptr || txtMTU == nullptr || txtRWIN == nullptr || lblCalc == nullptr) {
        return false;
    }
    return createToolTips();
}

bool frmMain::createToolTips()
{
    // The tooltips of the two boxes; long texts wrap.
    m_toolTip =
        CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                        WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, m_hwnd, nullptr, m_instance, nullptr);
    if (m_toolTip == nullptr) {
        return false;
    }
    // 300 pixels at 96 dots per inch.
    SendMessageA(m_toolTip, TTM_SETMAXTIPWIDTH, 0, pixelsAcross(4500));
    const std::span<const layout::Control> table = layout::mainWindowControls();
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!table[i].toolTip.empty() && m_controls[i] != nullptr) {
            addToolTip(m_toolTip, m_controls[i], table[i].toolTip);
        }
    }
    return true;
}

HWND frmMain::createTabControl(const layout::Control &entry, HWND parent, const RECT &pixels,
                               int id)
{
    const int width = pixels.right - pixels.left;
    SSTab1 =
        CreateWindowExA(0, WC_TABCONTROLA, "",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN | WS_CLIPSIBLINGS |
                            TCS_FIXEDWIDTH | TCS_SINGLELINE,
                        pixels.left, pixels.top, width, pixels.bottom - pixels.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), m_instance, nullptr);
    if (SSTab1 == nullptr) {
        return nullptr;
    }
    setControlName(SSTab1, entry.name);
    const std::string accessibleName(entry.accessibleName);
    SetWindowTextA(SSTab1, accessibleName.c_str());
    SendMessageA(SSTab1, WM_SETFONT, reinterpret_cast<WPARAM>(m_fonts.normal), FALSE);
    // Four tabs of equal width in one row. The selected tab stands out 2 pixels on
    // either side; wider tabs would not fit and the strip would scroll.
    constexpr int selectedTabOverhang = 2;
    TabCtrl_SetItemSize(
        SSTab1, (width - 2 * selectedTabOverhang) / static_cast<int>(layout::tabCaptions.size()),
        layout::hundredthsOfMillimetreToPixels(layout::tabStripHeight, displayDpi().y));
    for (std::size_t i = 0; i < layout::tabCaptions.size(); ++i) {
        std::string caption(layout::tabCaptions[i]);
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = caption.data();
        SendMessageA(SSTab1, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    RECT display;
    GetClientRect(SSTab1, &display);
    TabCtrl_AdjustRect(SSTab1, FALSE, &display);
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        const std::string caption(layout::tabCaptions[i]);
        m_pages[i] =
            CreateWindowExA(WS_EX_CONTROLPARENT, tabPageClassName, caption.c_str(),
                            WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, display.left, display.top,
                            display.right - display.left, display.bottom - display.top, SSTab1,
                            nullptr, m_instance, nullptr);
        if (m_pages[i] == nullptr) {
            return nullptr;
        }
        setControlName(m_pages[i], pageNames[i]);
    }
    return SSTab1;
}

HWND frmMain::createBanner(const layout::Control &entry, HWND parent, const RECT &pixels, int id)
{
    HWND slot = createBannerSlot(m_instance, parent, pixels, id);
    if (slot == nullptr) {
        return nullptr;
    }
    setControlName(slot, entry.name);
    const std::string name(entry.accessibleName);
    SetWindowTextA(slot, name.c_str());
    setBannerPicture(slot, initialBannerPicture(m_instance));
    return slot;
}

} // namespace lumox::win32
