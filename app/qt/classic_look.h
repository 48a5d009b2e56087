#pragma once

#include <QFont>
#include <QPalette>

class QApplication;

namespace lumox {

// The program looks like a classic 96-dpi desktop dialog on every desktop:
// Qt's built-in "Windows" style, button-face grey, and a small sans-serif
// dialog font. Fonts are sized in pixels, so the pixel layout holds at any
// desktop DPI; Qt's high-DPI scaling enlarges the whole window instead.

// The classic button-face palette (grey 192, white highlights, grey 128 shadows).
QPalette classicPalette();

// The dialog font: the nearest sans-serif to MS Sans Serif 8.25 pt, 11 pixels.
QFont dialogFont();

// The heading font: the nearest to Arial 9.75 pt bold, 13 pixels.
QFont headingFont();

// Applies style, palette and font to the whole application. Call once, right
// after the QApplication is created.
void applyClassicLook(QApplication &app);

} // namespace lumox
