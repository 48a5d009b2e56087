#pragma once

#include "layout.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

// The window controls both windows are made of, beyond the system's own edit boxes,
// buttons and tab control: the etched frame, the picture box, the rule and the tab
// page, each a window class of its own, and the labels, statics that the main window
// draws (SS_OWNERDRAW) so that their text breaks into lines alike everywhere. The
// containers hand the notifications of their children (WM_COMMAND, WM_NOTIFY,
// WM_DRAWITEM, WM_CTLCOLOR*) on to their top-level window, so that one window
// procedure sees every control event.
namespace lumox::win32 {

class DibPicture;

inline constexpr char etchedFrameClassName[] = "LumoxEtchedFrame";
inline constexpr char pictureBoxClassName[] = "LumoxPictureBox";
inline constexpr char ruleClassName[] = "LumoxRule";
inline constexpr char tabPageClassName[] = "LumoxTabPage";

// The control identifier of a window built from a layout table: the control's place
// in the table plus this.
inline constexpr int firstControlId = 1000;

// The layout table's colours as Windows takes them.
constexpr COLORREF colourRef(layout::Colour colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}
// The colour of rules and headings.
inline constexpr COLORREF ruleColour = colourRef(layout::headingGrey);
// The colour of the donation notices.
inline constexpr COLORREF donationColour = colourRef(layout::donationBlue);

// Registers the classes above for instance; later calls do nothing. Returns false
// when a class cannot be registered.
bool registerControlClasses(HINSTANCE instance);

// The screen's logical resolution (LOGPIXELSX and LOGPIXELSY), read at the first call
// and kept for the rest of the program: every window is laid out at the resolution
// the program started with. 96 dots per inch when the screen cannot be asked.
layout::Dpi displayDpi();

// Twips in pixels at the display's resolution, across and down.
int pixelsAcross(int twips);
int pixelsDown(int twips);

// The control's rectangle in pixels (left, top, right, bottom) relative to its
// parent's inner area, converted from the table's twips field by field at the
// display's resolution; a line becomes a one-pixel-high rectangle from its start to
// its end point.
RECT pixelRect(const layout::Control &control);

// The two fonts of the windows, from their point sizes at the display's resolution:
// MS Sans Serif 8.25 pt for everything, Arial 9.75 pt bold for headings. Made by
// makeFonts, released by releaseFonts.
struct Fonts
{
    HFONT normal = nullptr;
    HFONT heading = nullptr;
};
Fonts makeFonts();
void releaseFonts(Fonts &fonts);

// Creates the window of one table control as a visible child of parent, at
// pixels in parent's client coordinates, with control identifier id, the
// control's name (control_names.h), text, style and font. Handles every kind
// but the tab control, the banner slot and the registry control, which have
// more to them (see frmMain). Returns null when the window cannot be made.
HWND createControl(HINSTANCE instance, const layout::Control &control, HWND parent,
                   const RECT &pixels, int id, const Fonts &fonts);

// Makes the picture box show picture unscaled from its inner area's top-left
// corner, clipped to the inner area. The box holds a reference of its own
// (addRef here, release when replaced or destroyed); null shows no picture.
void setPictureBoxPicture(HWND box, DibPicture *picture);

// Adds a tool for window to the tooltip control, showing text while the mouse
// pointer rests on the window (TTF_IDISHWND | TTF_SUBCLASS). The tooltip control
// keeps a copy of the text.
bool addToolTip(HWND toolTip, HWND window, std::string_view text);

} // namespace lumox::win32
