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
    outline.top += layout::frameCaptionOffset;
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

RECT pixelRect(const layout::Control &control)
{
    using layout::twipsToPixels;
    const layout::TwipsRect &twips = control.rect;
    RECT pixels;
    pixels.left = twipsToPixels(twips.left);
    pixels.top = twipsToPixels(twips.top);
    if (control.kind == layout::Kind::Line) {
        pixels.right = twipsToPixels(twips.left + twips.width);
        pixels.bottom = pixels.top + 1;
    } else {
        pixels.right = pixels.left + twipsToPixels(twips.width);
        pixels.bottom = pixels.top + twipsToPixels(twips.height);
    }
    return pixels;
}

Fonts makeFonts()
{
    // 8 pt and 9.75 pt at 96 dots per inch: 11 and 13 pixels of character height.
    return {makeFont(-11, FW_NORMAL, "MS Sans Serif"), makeFont(-13, FW_BOLD, "Arial")};
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

HWND createControl(HINSTANCE instance, const layout::Control &control, HWND parent,
                   const RECT &pixels, int id, const Fonts &fonts)
{
    using layout::Kind;
    using layout::Style;
    const char *windowClass = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    DWORD extendedStyle = 0;
    std::string text(control.text);
    HFONT font = fonts.normal;
    switch (control.kind) {
    case Kind::Frame:
        windowClass = etchedFrameClassName;
        style |= WS_CLIPCHILDREN;
        break;
    case Kind::PictureBox:
    case Kind::BannerFrame:
        windowClass = pictureBoxClassName;
        style |= WS_CLIPCHILDREN;
        if (control.kind == Kind::BannerFrame || control.style == Style::Sunken) {
            extendedStyle |= WS_EX_CLIENTEDGE;
        }
        // A picture box shows no text; its window text is what it is called.
        text = std::string(control.accessibleName);
        break;
    case Kind::Label:
        // The parent draws it (drawLabel); the text stays the window text.
        windowClass = "STATIC";
        style |= SS_OWNERDRAW | SS_NOPREFIX;
        if (control.style == Style::Heading) {
            font = fonts.heading;
        }
        break;
    case Kind::Line:
        windowClass = ruleClassName;
        style &= ~WS_CLIPSIBLINGS;
        break;
    case Kind::TextBox:
        windowClass = "EDIT";
        style |= ES_LEFT | ES_AUTOHSCROLL;
        extendedStyle |= WS_EX_CLIENTEDGE;
        break;
    case Kind::Button:
        windowClass = "BUTTON";
        // Never the default button: Enter presses nothing.
        style |= BS_PUSHBUTTON;
        break;
    case Kind::TabControl:
    case Kind::BannerSlot:
    case Kind::Registry:
        return nullptr;
    }
    if (control.focusOrder >= 0) {
        style |= WS_TABSTOP;
    }
    HWND window =
        CreateWindowExA(extendedStyle, windowClass, text.c_str(), style, pixels.left, pixels.top,
                        pixels.right - pixels.left, pixels.bottom - pixels.top, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    setControlName(window, control.name);
    SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.kind == Kind::TextBox) {
        // No limit on the length of the text.
        SendMessageA(window, EM_LIMITTEXT, 0, 0);
    }
    return window;
}

namespace {

// Where MS Sans Serif is missing, the stand-in (Liberation Sans under Wine) runs a few
// per cent wider than the classic bitmap font the layout was drawn for; its lines are
// set this much tighter so that every caption stays inside its box.
constexpr int standInTightness = 96;

// Whether the font selected into dc stands in for a missing MS Sans Serif.
bool isStandIn(HDC dc)
{
    LOGFONTA requested = {};
    GetObjectA(GetCurrentObject(dc, OBJ_FONT), sizeof requested, &requested);
    char face[LF_FACESIZE] = {};
    GetTextFaceA(dc, sizeof face, face);
    return lstrcmpiA(requested.lfFaceName, "MS Sans Serif") == 0 &&
           lstrcmpiA(face, "MS Sans Serif") != 0;
}

// The pen positions after each character of text, as the label draws it.
std::vector<int> penPositions(HDC dc, std::string_view text, bool tighten)
{
    std::vector<int> positions(text.size(), 0);
    if (text.empty()) {
        return positions;
    }
    SIZE size = {};
    GetTextExtentExPointA(dc, text.data(), static_cast<int>(text.size()), 0, nullptr,
                          positions.data(), &size);
    if (tighten) {
        for (int &position : positions) {
            position = position * standInTightness / 100;
        }
    }
    return positions;
}

int lineWidth(HDC dc, std::string_view text, bool tighten)
{
    const std::vector<int> positions = penPositions(dc, text, tighten);
    return positions.empty() ? 0 : positions.back();
}

} // namespace

std::vector<std::string> wrapLabelText(HDC dc, std::string_view text, int width)
{
    const bool tighten = isStandIn(dc);
    const auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    const auto isBreak = [](char c) { return c == '\n' || c == '\r'; };
    std::vector<std::string> lines;
    std::string line;
    bool lineStarted = false;
    std::size_t at = 0;
    while (at < text.size()) {
        if (isBreak(text[at])) {
            // A line feed, alone or after a carriage return, ends the line.
            if (text[at] == '\r' && at + 1 < text.size() && text[at + 1] == '\n') {
                ++at;
            }
            ++at;
            lines.push_back(line);
            line.clear();
            lineStarted = false;
            continue;
        }
        std::size_t wordStart = at;
        while (wordStart < text.size() && isBlank(text[wordStart])) {
            ++wordStart;
        }
        std::size_t wordEnd = wordStart;
        while (wordEnd < text.size() && !isBlank(text[wordEnd]) && !isBreak(text[wordEnd])) {
            ++wordEnd;
        }
        const std::string_view blanks = text.substr(at, wordStart - at);
        const std::string_view word = text.substr(wordStart, wordEnd - wordStart);
        at = wordEnd;
        if (word.empty()) {
            // Blanks at the end of the text or of a line show nothing.
            continue;
        }
        if (!lineStarted) {
            line = std::string(word);
            lineStarted = true;
            continue;
        }
        std::string candidate = line;
        candidate += blanks;
        candidate += word;
        if (lineWidth(dc, candidate, tighten) <= width) {
            line = std::move(candidate);
        } else {
            lines.push_back(line);
            line = std::string(word);
        }
    }
    if (lineStarted) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> labelLines(HWND label)
{
    HDC dc = GetDC(label);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
    RECT area;
    GetClientRect(label, &area);
    char text[2048] = {};
    GetWindowTextA(label, text, sizeof text);
    std::vector<std::string> lines = wrapLabelText(dc, text, area.right - area.left);
    SelectObject(dc, old);
    ReleaseDC(label, dc);
    return lines;
}

void drawLabel(const DRAWITEMSTRUCT &item, COLORREF colour, bool centred)
{
    HDC dc = item.hDC;
    const RECT &area = item.rcItem;
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    const bool tighten = isStandIn(dc);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    SetTextColor(dc, colour);
    SetBkMode(dc, TRANSPARENT);
    char text[2048] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    const int width = area.right - area.left;
    int top = area.top;
    for (const std::string &line : wrapLabelText(dc, text, width)) {
        if (top >= area.bottom) {
            break;
        }
        // Each character's advance, from the pen positions.
        const std::vector<int> positions = penPositions(dc, line, tighten);
        std::vector<INT> advances(positions.size(), 0);
        for (std::size_t i = 0; i < positions.size(); ++i) {
            advances[i] = positions[i] - (i == 0 ? 0 : positions[i - 1]);
        }
        const int used = positions.empty() ? 0 : positions.back();
        const int left = area.left + (centred ? (width - used) / 2 : 0);
        ExtTextOutA(dc, left, top, ETO_CLIPPED, &area, line.c_str(), static_cast<UINT>(line.size()),
                    advances.data());
        top += metrics.tmHeight;
    }
    SelectObject(dc, old);
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
