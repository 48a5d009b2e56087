#include "controls.h"

#include "control_names.h"
#include "dib_picture.h"
#include "window_object.h"

#include <commctrl.h>
#include <windowsx.h>

#include <string>

namespace lumox::win32 {

namespace {

// Window extra bytes of a picture box: the picture it shows (a DibPicture*).
constexpr int pictureSlot = 0;

// Sends the children's notifications on to the top-level window.
bool forwardToTopLevel(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, LRESULT &result)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        break;
    default:
        return false;
    }
    HWND top = topLevelWindowOf(hwnd);
    if (top == hwnd || top == nullptr) {
        return false;
    }
    result = SendMessageA(top, message, wParam, lParam);
    return true;
}

// Etched frame.

void EtchedFrame_Paint(HWND hwnd)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT outline;
    GetClientRect(hwnd, &outline);
    outline.top += pixelsDown(layout::frameCaptionOffset);
    DrawEdge(dc, &outline, EDGE_ETCHED, BF_RECT);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK etchedFrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT forwarded = 0;
    if (forwardToTopLevel(hwnd, message, wParam, lParam, forwarded)) {
        return forwarded;
    }
    switch (message) {
        HANDLE_MSG(hwnd, WM_PAINT, EtchedFrame_Paint);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// Picture box.

DibPicture *pictureOf(HWND box)
{
    return reinterpret_cast<DibPicture *>(GetWindowLongPtrA(box, pictureSlot));
}

void PictureBox_Paint(HWND hwnd)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT inner;
    GetClientRect(hwnd, &inner);
    renderPicture(dc, pictureOf(hwnd), inner.left, inner.top, inner);
    if (GetFocus() == hwnd) {
        // A focused picture box shows a dotted rectangle inside its border.
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        DrawFocusRect(dc, &inner);
    }
    EndPaint(hwnd, &paint);
}

void PictureBox_FocusChanged(HWND hwnd, HWND)
{
    InvalidateRect(hwnd, nullptr, TRUE);
}

void PictureBox_NcDestroy(HWND hwnd)
{
    setPictureBoxPicture(hwnd, nullptr);
}

LRESULT CALLBACK pictureBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT forwarded = 0;
    if (forwardToTopLevel(hwnd, message, wParam, lParam, forwarded)) {
        return forwarded;
    }
    switch (message) {
        HANDLE_MSG(hwnd, WM_PAINT, PictureBox_Paint);
        HANDLE_MSG(hwnd, WM_SETFOCUS, PictureBox_FocusChanged);
        HANDLE_MSG(hwnd, WM_KILLFOCUS, PictureBox_FocusChanged);
        HANDLE_MSG(hwnd, WM_NCDESTROY, PictureBox_NcDestroy);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// Rule.

void Rule_Paint(HWND hwnd)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT area;
    GetClientRect(hwnd, &area);
    HBRUSH grey = CreateSolidBrush(ruleColour);
    FillRect(dc, &area, grey);
    DeleteObject(grey);
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK ruleProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        HANDLE_MSG(hwnd, WM_PAINT, Rule_Paint);
    case WM_NCHITTEST:
        // Clicks go through the rule to whatever lies below it.
        return HTTRANSPARENT;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// Tab page: a plain container.

LRESULT CALLBACK tabPageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT forwarded = 0;
    if (forwardToTopLevel(hwnd, message, wParam, lParam, forwarded)) {
        return forwarded;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

bool registerClass(HINSTANCE instance, const char *name, WNDPROC procedure, int extraBytes)
{
    WNDCLASSA existing;
    if (GetClassInfoA(instance, name, &existing)) {
        return true;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = extraBytes;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = name;
    return RegisterClassA(&windowClass) != 0;
}

HFONT makeFont(int height, int weight, const char *face)
{
    return CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_SWISS, face);
}

} // namespace

bool registerControlClasses(HINSTANCE instance)
{
    return registerClass(instance, etchedFrameClassName, &etchedFrameProc, 0) &&
           registerClass(instance, pictureBoxClassName, &pictureBoxProc, sizeof(LONG_PTR)) &&
           registerClass(instance, ruleClassName, &ruleProc, 0) &&
           registerClass(instance, tabPageClassName, &tabPageProc, 0);
}

layout::Dpi displayDpi()
{
    static const layout::Dpi dpi = [] {
        layout::Dpi read = layout::standardDpi;
        if (HDC screen = GetDC(nullptr)) {
            const int across = GetDeviceCaps(screen, LOGPIXELSX);
            const int down = GetDeviceCaps(screen, LOGPIXELSY);
            ReleaseDC(nullptr, screen);
            if (across > 0 && down > 0) {
                read = {across, down};
            }
        }
        return read;
    }();
    return dpi;
}

int pixelsAcross(int twips)
{
    return layout::twipsToPixels(twips, displayDpi().x);
}

int pixelsDown(int twips)
{
    return layout::twipsToPixels(twips, displayDpi().y);
}

RECT pixelRect(const layout::Control &control)
{
    const layout::TwipsRect &twips = control.rect;
    const layout::PixelRect converted = layout::toPixels(twips, displayDpi());
    RECT pixels;
    pixels.left = converted.left;
    pixels.top = converted.top;
    if (control.kind == layout::Kind::Line) {
        pixels.right = pixelsAcross(twips.left + twips.width);
        pixels.bottom = pixels.top + 1;
    } else {
        pixels.right = pixels.left + converted.width;
        pixels.bottom = pixels.top + converted.height;
    }
    return pixels;
}

Fonts makeFonts()
{
    // A negative height asks for the character height, as a point size gives it.
    const int dpi = displayDpi().y;
    return {
        makeFont(-layout::pointsToPixels(layout::dialogFontSize, dpi), FW_NORMAL, "MS Sans Serif"),
        makeFont(-layout::pointsToPixels(layout::headingFontSize, dpi), FW_BOLD, "Arial")};
}

void releaseFonts(Fonts &fonts)
{
    for (HFONT *font : {&fonts.normal, &fonts.heading}) {
        if (*font != nullptr) {
            DeleteObject(*font);
            *font = nullptr;
        }
    }
}

namespace {

// The window that stands for a table control: its class, styles, text and font.
struct ControlWindow
{
    const char *windowClass = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD extendedStyle = 0;
    std::string text;
    HFONT font = nullptr;
};

// The window of control, or one without a class for the kinds the form makes itself.
ControlWindow controlWindow(const layout::Control &control, const Fonts &fonts)
{
    using layout::Kind;
    ControlWindow window;
    window.text = std::string(control.text);
    window.font = fonts.normal;
    switch (control.kind) {
    case Kind::Frame:
        window.windowClass = etchedFrameClassName;
        window.style |= WS_CLIPCHILDREN;
        break;
    case Kind::PictureBox:
    case Kind::BannerFrame:
        window.windowClass = pictureBoxClassName;
        window.style |= WS_CLIPCHILDREN;
        if (control.kind == Kind::BannerFrame || control.style == layout::Style::Sunken) {
            window.extendedStyle |= WS_EX_CLIENTEDGE;
        }
        // A picture box shows no text; its window text is what it is called.
        window.text = std::string(control.accessibleName);
        break;
    case Kind::Label:
        // The parent draws it (drawLabel); the text stays the window text.
        window.windowClass = "STATIC";
        window.style |= SS_OWNERDRAW | SS_NOPREFIX;
        if (control.style == layout::Style::Heading) {
            window.font = fonts.heading;
        }
        break;
    case Kind::Line:
        window.windowClass = ruleClassName;
        window.style &= ~WS_CLIPSIBLINGS;
        break;
    case Kind::TextBox:
        window.windowClass = "EDIT";
        window.style |= ES_LEFT | ES_AUTOHSCROLL;
        window.extendedStyle |= WS_EX_CLIENTEDGE;
        break;
    case Kind::Button:
        window.windowClass = "BUTTON";
        // Never the default button: Enter presses nothing.
        window.style |= BS_PUSHBUTTON;
        break;
    case Kind::TabControl:
    case Kind::BannerSlot:
    case Kind::Registry:
        break;
    }
    if (control.focusOrder >= 0) {
        window.style |= WS_TABSTOP;
    }
    return window;
}

} // namespace

HWND createControl(HINSTANCE instance, const layout::Control &control, HWND parent,
                   const RECT &pixels, int id, const Fonts &fonts)
{
    const ControlWindow made = controlWindow(control, fonts);
    if (made.windowClass == nullptr) {
        return nullptr;
    }
    HWND window = CreateWindowExA(
        made.extendedStyle, made.windowClass, made.text.c_str(), made.style, pixels.left,
        pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    setControlName(window, control.name);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(made.font), FALSE);
    if (control.kind == layout::Kind::TextBox) {
        // No limit on the length of the text.
        SendMessageA(window, EM_LIMITTEXT, 0, 0);
    }
    return window;
}

void setPictureBoxPicture(HWND box, DibPicture *picture)
{
    DibPicture *old = pictureOf(box);
    if (old == picture) {
        return;
    }
    if (picture != nullptr) {
        picture->addRef();
    }
    SetWindowLongPtrA(box, pictureSlot, reinterpret_cast<LONG_PTR>(picture));
    if (old != nullptr) {
        old->release();
    }
    InvalidateRect(box, nullptr, TRUE);
}

bool addToolTip(HWND toolTip, HWND window, std::string_view text)
{
    std::string copy(text);
    TTTOOLINFOA tool = {};
    // The first version of the structure, which every comctl32 understands.
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(window);
    tool.uId = reinterpret_cast<UINT_PTR>(window);
    // The tooltip control keeps its own copy of the text.
    tool.lpszText = copy.data();
    return SendMessageA(toolTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool)) != FALSE;
}

} // namespace lumox::win32
