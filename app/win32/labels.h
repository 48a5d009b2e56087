#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// The labels of the program's windows, which their parent draws (SS_OWNERDRAW) so that
// their text breaks into lines alike everywhere: the line breaking and the drawing.
namespace lumox::win32 {

// A label's text broken into lines for width pixels in the font selected into dc,
// at blanks, the way the form designer's labels break them: each line takes as many
// words as fit, the blanks where a line breaks are dropped, however many there are,
// and a word wider than the label stands alone on its line. A line feed breaks the
// line too. Where MS Sans Serif is missing, its wider stand-in is measured, and
// drawn, 4 per cent tighter, so that the captions keep to their boxes.
std::vector<std::string> wrapLabelText(HDC dc, std::string_view text, int width);

// The width in pixels that one line of text takes as drawLabel draws it in the font
// selected into dc (a stand-in for MS Sans Serif set tighter, as wrapLabelText measures).
int labelLineWidth(HDC dc, std::string_view line);

// The lines that label (a control made by createControl) shows, in its own font.
std::vector<std::string> labelLines(HWND label);

// Paints a label for WM_DRAWITEM: the button face, then its text wrapped as
// wrapLabelText does, in its own font and colour, each line left-aligned or centred,
// clipped to the label.
void drawLabel(const DRAWITEMSTRUCT &item, COLORREF colour, bool centred);

} // namespace lumox::win32
