#include "display_palette.h"

#include <cstddef>
#include <cstdint>

namespace lumox::win32 {

namespace {

// What displayColours() says, once it is known.
struct DisplayState
{
    bool known = false;
    DisplayColours colours = DisplayColours::TrueColour;
};

DisplayState &displayState()
{
    static DisplayState state;
    return state;
}

HPALETTE &palette()
{
    static HPALETTE made = nullptr;
    return made;
}

// The halftone places in use, in a LOGPALETTE with room for all of them.
struct HalftoneLogPalette
{
    WORD version;
    WORD entries;
    PALETTEENTRY colours[halftoneUsedCount];
};

HPALETTE makeProgramPalette()
{
    HalftoneLogPalette log = {};
    log.version = 0x300;
    log.entries = halftoneUsedCount;
    const auto &table = halftoneColours();
    std::size_t place = 0;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (i >= halftoneUsedLow && i < table.size() - 10)
            continue;
        const std::uint32_t colour = table[i];
        log.colours[place++] = {static_cast<BYTE>(colour >> 16), static_cast<BYTE>(colour >> 8),
                                static_cast<BYTE>(colour), 0};
    }
    return CreatePalette(reinterpret_cast<const LOGPALETTE *>(&log));
}

// Marks the window and all its children for repainting, their backgrounds too.
void repaintAll(HWND hwnd)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Realizes the program's palette in a context of the window; true when it changed entries
// of the system palette.
bool realizeFor(HWND hwnd, bool background)
{
    const HDC dc = GetDC(hwnd);
    if (dc == nullptr)
        return false;
    UINT changed = 0;
    {
        const PaletteSelection selection(dc, background);
        changed = selection.changed();
    }
    ReleaseDC(hwnd, dc);
    return changed > 0;
}

} // namespace

DisplayColours displayColours()
{
    if (!displayState().known)
        readDisplayColours();
    return displayState().colours;
}

DisplayColours readDisplayColours()
{
    DisplayColours colours = DisplayColours::TrueColour;
    if (const HDC screen = GetDC(nullptr)) {
        const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
        const bool hasPalette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
        ReleaseDC(nullptr, screen);
        colours = displayColoursFor(bits, hasPalette);
    }
    displayState() = {true, colours};
    return colours;
}

void setDisplayColours(DisplayColours colours)
{
    displayState() = {true, colours};
}

HPALETTE programPalette()
{
    if (palette() == nullptr)
        palette() = makeProgramPalette();
    return palette();
}

void deleteProgramPalette()
{
    if (palette() != nullptr)
        DeleteObject(palette());
    palette() = nullptr;
}

PaletteSelection::PaletteSelection(HDC dc, bool background) : m_dc(dc)
{
    if (displayColours() != DisplayColours::Colours256)
        return;
    const HPALETTE own = programPalette();
    if (own == nullptr)
        return;
    m_previous = SelectPalette(dc, own, background ? TRUE : FALSE);
    const UINT realized = RealizePalette(dc);
    m_changed = realized == GDI_ERROR ? 0 : realized;
}

PaletteSelection::~PaletteSelection()
{
    if (m_previous != nullptr)
        SelectPalette(m_dc, m_previous, TRUE);
}

bool handlePaletteMessage(HWND hwnd, UINT message, WPARAM wParam, LRESULT &result)
{
    switch (message) {
    case WM_QUERYNEWPALETTE:
        if (displayColours() != DisplayColours::Colours256)
            return false;
        if (realizeFor(hwnd, false))
            repaintAll(hwnd);
        result = TRUE;
        return true;
    case WM_PALETTECHANGED: {
        if (displayColours() != DisplayColours::Colours256)
            return false;
        const auto changer = reinterpret_cast<HWND>(wParam);
        // What this window or one of its children realized needs nothing more.
        if (changer != hwnd && !IsChild(hwnd, changer)) {
            realizeFor(hwnd, true);
            repaintAll(hwnd);
        }
        result = 0;
        return true;
    }
    case WM_DISPLAYCHANGE:
        readDisplayColours();
        repaintAll(hwnd);
        result = 0;
        return true;
    default:
        return false;
    }
}

} // namespace lumox::win32
