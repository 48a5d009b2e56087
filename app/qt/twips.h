#pragma once

#include "layout.h"

#include <QPoint>
#include <QRect>

namespace lumox {

// The window layout is drawn up in twips (1/1440 inch); at 96 dots per inch
// fifteen twips make one pixel (see layout::twipsToPixels for the rounding).
using layout::twipsToPixels;

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

inline QRect twipsRect(const layout::TwipsRect &rect)
{
    return twipsRect(rect.left, rect.top, rect.width, rect.height);
}

inline QPoint twipsPoint(int x, int y)
{
    return QPoint(twipsToPixels(x), twipsToPixels(y));
}

} // namespace lumox
