#pragma once

#include "dib_picture.h"

#include <windows.h>

namespace lumox::win32 {

// The window class of the banner slots.
inline constexpr char bannerSlotClassName[] = "LumoxBannerSlot";

// Creates one banner slot: a visible child window of `parent` that covers `pixels`
// (left, top, right and bottom in the parent's client coordinates) and has the
// control identifier `controlId`. The slot paints its whole area itself: the
// button-face colour (COLOR_BTNFACE), then its picture unscaled from its top-left
// corner, so that transparent pixels show the face colour. The hand pointer
// (IDC_HAND_POINTER of `instance`) is shown over it. A left button pressed and
// released inside the slot sends WM_COMMAND with MAKEWPARAM(controlId, STN_CLICKED)
// and the slot's window as lParam to the slot's top-level window. A new slot shows no
// picture. Registers the window class on first use; returns nullptr when the slot
// cannot be created.
HWND createBannerSlot(HINSTANCE instance, HWND parent, const RECT &pixels, int controlId);

// Makes the slot show `shared` (nullptr: no picture, the face colour only). The slot
// shows that very object, not a copy, and holds a reference of its own to it (addRef
// here, release when it gets another picture or is destroyed), so the picture lives
// at least as long as it is shown. Giving the picture the slot already shows changes
// nothing. Otherwise, when the slot is on the screen (IsWindowVisible), its own area
// and nothing else is marked for repainting; a hidden slot is painted with its new
// picture when it is shown. Nothing happens when `slot` is not a banner slot.
void setBannerPicture(HWND slot, DibPicture *shared);

// The picture the slot shows, without a new reference; nullptr when it shows none or
// `slot` is not a banner slot.
DibPicture *bannerPicture(HWND slot);

// The picture every banner shows when the main window opens (the RCDATA resource
// IDR_INITIAL_BANNER of `instance`). It is decoded at the first call and then kept,
// unreleased, until the process ends, so every later call returns the same object.
// nullptr when it cannot be decoded.
DibPicture *initialBannerPicture(HINSTANCE instance);

} // namespace lumox::win32
