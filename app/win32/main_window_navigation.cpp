#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <span>
#include <utility>
#include <vector>

// Page and focus navigation of the main window: the page in front, the Tab order over
// the visible controls, and the keys that turn pages.
namespace lumox::win32 {

int frmMain::currentPage() const
{
    return TabCtrl_GetCurSel(SSTab1);
}

void frmMain::selectPage(int index)
{
    const int count = static_cast<int>(m_pages.size());
    if (index < 0 || index >= count) {
        return;
    }
    if (TabCtrl_GetCurSel(SSTab1) != index) {
        TabCtrl_SetCurSel(SSTab1, index);
    }
    showPage(index);
}

void frmMain::showPage(int index)
{
    HWND focus = GetFocus();
    bool focusOnHiddenPage = false;
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (static_cast<int>(i) != index && IsChild(m_pages[i], focus)) {
            focusOnHiddenPage = true;
        }
    }
    ShowWindow(m_pages[static_cast<std::size_t>(index)], SW_SHOWNA);
    for (std::size_t i = 0; i < m_pages.size(); ++i) {
        if (static_cast<int>(i) != index) {
            ShowWindow(m_pages[i], SW_HIDE);
        }
    }
    if (focusOnHiddenPage) {
        // The focus never stays in a hidden page: it goes to the first control of
        // the focus order that can be seen now.
        const std::vector<HWND> chain = focusChain();
        SetFocus(chain.empty() ? SSTab1 : chain.front());
    }
}

std::vector<HWND> frmMain::focusChain() const
{
    const std::span<const layout::Control> table = layout::mainWindowControls();
    std::vector<std::pair<int, HWND>> ordered;
    for (std::size_t i = 0; i < table.size() && i < m_controls.size(); ++i) {
        HWND window = m_controls[i];
        if (table[i].focusOrder >= 0 && window != nullptr && IsWindowVisible(window) &&
            IsWindowEnabled(window)) {
            ordered.emplace_back(table[i].focusOrder, window);
        }
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<HWND> chain;
    chain.reserve(ordered.size());
    for (const auto &[order, window] : ordered) {
        chain.push_back(window);
    }
    return chain;
}

void frmMain::moveFocus(int step)
{
    const std::vector<HWND> chain = focusChain();
    if (chain.empty()) {
        return;
    }
    const int count = static_cast<int>(chain.size());
    HWND focus = GetFocus();
    // The control with the focus, or else the one that holds it (the tab control
    // holds the pages, so an exact match comes first).
    int current = -1;
    for (int i = 0; i < count && current < 0; ++i) {
        if (chain[static_cast<std::size_t>(i)] == focus) {
            current = i;
        }
    }
    for (int i = 0; i < count && current < 0; ++i) {
        if (IsChild(chain[static_cast<std::size_t>(i)], focus)) {
            current = i;
        }
    }
    int next = 0;
    if (current < 0) {
        next = step > 0 ? 0 : count - 1;
    } else {
        next = ((current + step) % count + count) % count;
    }
    HWND target = chain[static_cast<std::size_t>(next)];
    SetFocus(target);
    if (target == txtMTU || target == txtRWIN) {
        // Tabbing into a box selects its text, as in a dialog.
        SendMessageA(target, EM_SETSEL, 0, -1);
    }
}

void frmMain::turnPage(int step)
{
    const int count = static_cast<int>(m_pages.size());
    selectPage(((currentPage() + step) % count + count) % count);
}

bool frmMain::preTranslateMessage(MSG &message)
{
    if (message.hwnd != m_hwnd && !IsChild(m_hwnd, message.hwnd)) {
        return false;
    }
    if (message.message == WM_KEYDOWN) {
        const bool control = GetKeyState(VK_CONTROL) < 0;
        const bool shift = GetKeyState(VK_SHIFT) < 0;
        switch (message.wParam) {
        case VK_TAB:
            if (control) {
                turnPage(shift ? -1 : 1);
            } else {
                moveFocus(shift ? -1 : 1);
            }
            return true;
        case VK_NEXT:
        case VK_PRIOR:
            if (!control) {
                return false;
            }
            turnPage(message.wParam == VK_NEXT ? 1 : -1);
            return true;
        case VK_RETURN:
        case VK_ESCAPE:
            // No button is the default or the cancel button.
            return true;
        default:
            return false;
        }
    }
    if (message.message == WM_CHAR) {
        // What the keys above would type: nothing.
        return message.wParam == '\t' || message.wParam == '\r' || message.wParam == '\n' ||
               message.wParam == 27;
    }
    return false;
}

} // namespace lumox::win32
