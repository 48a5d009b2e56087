#pragma once

#include "texts.h"

#include <array>
#include <span>
#include <string_view>

// The layout of the program's windows as one table of controls, drawn up in
// twips as the form designer gives them. Both front ends build their windows
// from it; nothing here depends on a toolkit.
namespace lumox::layout {

// The display's logical resolution in dots per inch, across (x) and down (y): 96 on
// a desktop with small fonts, 120 with large fonts. Horizontal lengths convert at x,
// vertical ones and font sizes at y.
struct Dpi
{
    int x = 96;
    int y = 96;
};

// The resolution the layout was drawn up at, where fifteen twips make one pixel.
inline constexpr Dpi standardDpi = {96, 96};

// A length in twips (1/1440 inch) in pixels at dpi dots per inch, where 1440 / dpi
// twips make one pixel: 15 at 96, 12 at 120. Values in between are rounded to the
// nearest pixel, halves away from zero, so that a length and its negation convert
// alike; at 96 no value falls on a half.
constexpr int twipsToPixels(int twips, int dpi)
{
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>(scaled >= 0 ? (scaled + 720) / 1440 : -((-scaled + 720) / 1440));
}

// A font size in hundredths of a point (1/72 inch) as the character height in pixels
// at dpi dots per inch down, rounded down: a font never grows faster than the layout,
// so that captions drawn snugly into their boxes at 96 dots per inch still fit at any
// other resolution (8.25 pt at 120 dots per inch is 13.75 pixels: 13, where 14 would
// make the text 27 per cent larger in boxes 25 per cent larger).
constexpr int pointsToPixels(int hundredthsOfPoint, int dpi)
{
    return hundredthsOfPoint * dpi / 7200;
}

// A length in hundredths of a millimetre in pixels at dpi dots per inch, rounded to
// the nearest pixel, halves up.
constexpr int hundredthsOfMillimetreToPixels(int length, int dpi)
{
    return (length * dpi + 1270) / 2540;
}

// Left, top, width and height in twips, relative to the top-left corner of the
// parent's inner area (for a control on a page: of the tab control, strip included).
struct TwipsRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// A rectangle in pixels: left, top, width and height.
struct PixelRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// rect in pixels at dpi, each field converted on its own: left and width across, top
// and height down.
constexpr PixelRect toPixels(const TwipsRect &rect, Dpi dpi)
{
    return {twipsToPixels(rect.left, dpi.x), twipsToPixels(rect.top, dpi.y),
            twipsToPixels(rect.width, dpi.x), twipsToPixels(rect.height, dpi.y)};
}

enum class Kind
{
    Frame,       // a frame without caption: an etched outline
    TabControl,  // the tabbed-dialog control; its pages are numbered from 0
    PictureBox,  // a container, with or without the sunken border (see Style)
    BannerFrame, // a picture box of 1860 x 960 with the sunken border, holding one banner
    BannerSlot,  // an image control showing one 120 x 60 banner
    Label,
    Line,     // a horizontal rule: from (left, top) to (left + width, top)
    TextBox,  // one line, no length limit, sunken border, tooltip
    Button,   // a push button that is neither default nor cancel
    Registry, // the invisible registry control
};

enum class Style
{
    None,     // nothing beyond the kind's own look
    Centred,  // a label: default font and colours, centred (also help texts)
    Heading,  // a label: Arial 9.75 pt bold, grey RGB(128, 128, 128), centred
    Donation, // a label: default font, blue RGB(0, 0, 255), left-aligned
    Sunken,   // a picture box with the standard sunken border of 2 pixels
    Rule,     // a line: one pixel, grey RGB(128, 128, 128)
};

// One control of a window. A control whose parent is empty sits on the window
// itself; page is the tab page it belongs to (0 to 3), or -1 when it is on no
// page. focusOrder is its place in the window's Tab order, counted from 0, or -1
// when it takes no focus. Texts are UTF-8 (all of them are plain ASCII).
struct Control
{
    std::string_view name;
    Kind kind;
    std::string_view parent;
    int page;
    TwipsRect rect;
    std::string_view text;
    Style style;
    int focusOrder;
    std::string_view toolTip;
    // What assistive technologies call the control, and what they read out for it.
    // A label's name is its text; the name is empty only for pure decoration
    // (the etched frames and the rules), which assistive technologies skip.
    std::string_view accessibleName;
    std::string_view accessibleDescription;
};

// The main window, frmMain: client area 5670 x 5595 twips (378 x 373 pixels at 96 dots
// per inch, 473 x 466 at 120).
inline constexpr TwipsRect mainWindowClient = {0, 0, 5670, 5595};
// The splash window, frmStartup: client area 4590 x 4155 twips (306 x 277 pixels at 96
// dots per inch, 383 x 346 at 120).
inline constexpr TwipsRect splashWindowClient = {0, 0, 4590, 4155};

// The tab captions of SSTab1, left to right; page 0 is in front when the window opens.
inline constexpr std::array<std::string_view, 4> tabCaptions = {
    texts::informationTab, texts::mtuTab, texts::rwinTab, texts::exitTab};
// The height of SSTab1's one row of tabs in hundredths of a millimetre: 20 pixels at
// 96 dots per inch, 25 at 120.
inline constexpr int tabStripHeight = 520;
// The names of SSTab1's pages (objectName on Qt, the control name on Win32), in tab order.
inline constexpr std::array<std::string_view, 4> pageNames = {"pageInformation", "pageMTU",
                                                              "pageRWIN", "pageExit"};

// How far below an etched frame's own top its outline runs, in twips: where a caption
// would sit. A frame placed this far above its window's top edge outlines the window,
// at any resolution, since twipsToPixels rounds a length and its negation alike.
inline constexpr int frameCaptionOffset = 70;

// The two fonts, in hundredths of a point: MS Sans Serif 8.25 pt for everything, Arial
// 9.75 pt bold for the headings (11 and 13 pixels high at 96 dots per inch, 13 and 16
// at 120).
inline constexpr int dialogFontSize = 825;
inline constexpr int headingFontSize = 975;

// A colour as its red, green and blue parts, 0 to 255 each.
struct Colour
{
    int red;
    int green;
    int blue;
};
// The text colour of the headings and the colour of the rules (Style::Heading, Rule).
inline constexpr Colour headingGrey = {128, 128, 128};
// The text colour of the donation notices (Style::Donation).
inline constexpr Colour donationBlue = {0, 0, 255};

// The name of frmMain's banner timer, which has no place in the table.
inline constexpr std::string_view bannerTimerName = "tmrAds";

// The splash timer's interval in milliseconds.
inline constexpr int splashIntervalMs = 1250;

// Every control of frmMain, outermost first: Frame1, SSTab1, then page by page
// in the order of the form's tables, each container before what it holds.
std::span<const Control> mainWindowControls();

// Every control of frmStartup: Frame1 and picStartup.
std::span<const Control> splashWindowControls();

// The control of the given name in the main window's or the splash window's
// table, or nullptr when there is none.
const Control *findMainWindowControl(std::string_view name);
const Control *findSplashWindowControl(std::string_view name);

} // namespace lumox::layout
