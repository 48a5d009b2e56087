#include "labels.h"

#include <algorithm>

namespace lumox::win32 {

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

int labelLineWidth(HDC dc, std::string_view line)
{
    return lineWidth(dc, line, isStandIn(dc));
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

} // namespace lumox::win32
