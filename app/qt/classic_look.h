#pragma once

#include <QFont>
#include <QPalette>

class QApplication;

namespace lumox {

// The program looks like a classic desktop dialog on every desktop: Qt's
// built-in "Windows" style, button-face grey, and a small sans-serif dialog
// font. Fonts are given in points and sized in pixels at the display's
// resolution (displayDpi in twips.h), rounded as on Windows, so that text and
// layout grow together on a desktop of large fonts.

// The classic button-face palette (grey 192, white highlights, grey 128 shadows).
QPalette classicPalette();

// The dialog font: the nearest sans-serif to MS Sans Serif 8.25 pt, 11 pixels at
// 96 dots per inch, 13 at 120.
QFont dialogFont();

// The heading font: the nearest to Arial 9.75 pt bold, 13 pixels at 96 dots per
// inch, 16 at 120.
QFont headingFont();

// Applies style, palette and font to the whole application. Call once, right
// after the QApplication is created.
void applyClassicLook(QApplication &app);

} // namespace lumox
