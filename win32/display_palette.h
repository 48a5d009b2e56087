#pragma once

#include "picture_dither.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace lumox::win32 {

// What the screen shows (picture_dither.h): read from the screen's device context at the
// first call, and again by readDisplayColours(). Every picture is drawn for it.
DisplayColours displayColours();

// Reads what the screen shows anew, from its bits per pixel times planes and whether it
// has a palette (RC_PALETTE), makes that what displayColours() says and returns it. The
// program's windows call it when the display changes (WM_DISPLAYCHANGE).
DisplayColours readDisplayColours();

// Makes displayColours() say `colours` until the next readDisplayColours(), whatever the
// screen shows: the pictures are then drawn as for such a display, into whatever context
// they are drawn.
void setDisplayColours(DisplayColours colours);

// The program's halftone palette (halftoneColours(), the places in use), made at the first
// call and kept until deleteProgramPalette(); nullptr when GDI cannot make it.
HPALETTE programPalette();

// Deletes the program's palette, if it was made; the program calls it as it ends, when no
// context holds the palette any more. A later programPalette() makes it anew.
void deleteProgramPalette();

// Selects the program's palette into a context, and realizes it, while it lives, when
// displayColours() is Colours256; does nothing otherwise. In the background, the palette
// takes the colours of the system palette as they are, without changing them.
class PaletteSelection
{
public:
    explicit PaletteSelection(HDC dc, bool background = false);
    PaletteSelection(const PaletteSelection &) = delete;
    PaletteSelection &operator=(const PaletteSelection &) = delete;
    ~PaletteSelection();

    // How many entries of the system palette the realization changed.
    UINT changed() const { return m_changed; }

private:
    HDC m_dc;
    HPALETTE m_previous = nullptr;
    UINT m_changed = 0;
};

// The messages about palettes and the display, for the window procedure of each of the
// program's top-level windows to offer first. On a palette display, WM_QUERYNEWPALETTE
// realizes the program's palette in the foreground and repaints the window and its
// children when colours changed; WM_PALETTECHANGED from another program's window realizes
// it in the background and repaints them. WM_DISPLAYCHANGE reads what the display shows
// anew (readDisplayColours) and repaints them, so the pictures are drawn for the new
// depth. Returns true, and what the window procedure returns in `result`, when it handled
// the message; false for any other message, and for the palette messages where the
// display has no palette.
bool handlePaletteMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT &result);

} // namespace lumox::win32
