#pragma once

#include <QPoint>
#include <QRect>

#include <cmath>

namespace lumox {

// The window layout is drawn up in twips (1/1440 inch); at 96 dots per inch
// fifteen twips make one pixel. Values in between are rounded to the nearest
// pixel, halves away from zero.
constexpr int twipsToPixels(int twips)
{
    return twips >= 0 ? (twips + 7) / 15 : -((-twips + 7) / 15);
}

inline QRect twipsRect(int left, int top, int width, int height)
{
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

inline QPoint twipsPoint(int x, int y)
{
    return QPoint(twipsToPixels(x), twipsToPixels(y));
}

} // namespace lumox
