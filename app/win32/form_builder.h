#pragma once

#include "controls.h"
#include "layout.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <functional>
#include <span>
#include <vector>

// Building a window's controls from its layout table, for frmMain and frmStartup alike.
namespace lumox::win32 {

// Where a table control goes: the window it is a child of, and the offset in pixels
// that moves its table position into that window's client coordinates.
struct ControlPlace
{
    HWND parent = nullptr;
    POINT offset = {0, 0};
};

// What a form adds to the building of its controls. Either hook may be left empty.
struct FormHooks
{
    // The place of a control. When empty, a control goes on the control named as its
    // parent if that one was made before it, and on the form itself otherwise.
    std::function<ControlPlace(const layout::Control &control)> place;
    // Makes the window of a control at pixels on parent with control identifier id, and
    // returns null when it cannot. When empty, createControl makes every control.
    std::function<HWND(const layout::Control &control, HWND parent, const RECT &pixels, int id)>
        make;
};

// Makes the controls of table on the window form, in table order, each with the
// identifier firstControlId plus its place in the table. windows is given one entry per
// table control and filled as the windows are made, so that the hooks can find the
// windows made before the control at hand; the registry control has no window at run
// time and keeps null. Afterwards the labels lie under every other control and, as in
// the form designer, a later label over an earlier one. Returns false as soon as a
// control has no parent or its window cannot be made; the windows made until then stay
// the form's children.
bool buildFormControls(HINSTANCE instance, HWND form, std::span<const layout::Control> table,
                       const Fonts &fonts, const FormHooks &hooks, std::vector<HWND> &windows);

} // namespace lumox::win32
