#pragma once

#include "layout.h"

#include <QPoint>
#include <QRect>

namespace lumox {

// The window layout is drawn up in twips (1/1440 inch) and shown in the display's own
// pixels, as on Windows: 1440 / DPI twips make one pixel (see layout::twipsToPixels for
// the rounding), fifteen at 96 dots per inch, twelve at 120.

// Keeps Qt from scaling the program's windows itself. Qt would otherwise turn a
// 120-dpi desktop into a device pixel ratio of 1.25 and a nominal 96 dpi: the windows
// would come out a fraction of a pixel off the Windows program's, and the pictures
// would be stretched. With it off, the program converts at the desktop's DPI itself and
// its pictures keep their own pixel size. Call before the QApplication is made; a
// QT_ENABLE_HIGHDPI_SCALING the user has set is left as it is.
void keepDevicePixels();

// The primary screen's logical resolution (Xft.dpi, or QT_FONT_DPI), read at the first
// call, which must come after the QApplication is made, and kept for the rest of the
// program: every window is laid out at the resolution the program started with. 96
// dots per inch when there is no screen to ask.
layout::Dpi displayDpi();

// Twips in pixels at the display's resolution, across and down.
inline int pixelsAcross(int twips)
{
    return layout::twipsToPixels(twips, displayDpi().x);
}

inline int pixelsDown(int twips)
{
    return layout::twipsToPixels(twips, displayDpi().y);
}

inline QRect twipsRect(const layout::TwipsRect &rect)
{
    const layout::PixelRect pixels = layout::toPixels(rect, displayDpi());
    return QRect(pixels.left, pixels.top, pixels.width, pixels.height);
}

inline QPoint twipsPoint(int x, int y)
{
    return QPoint(pixelsAcross(x), pixelsDown(y));
}

// The height of the tab strip in pixels at the display's resolution.
inline int tabStripPixels()
{
    return layout::hundredthsOfMillimetreToPixels(layout::tabStripHeight, displayDpi().y);
}

} // namespace lumox
