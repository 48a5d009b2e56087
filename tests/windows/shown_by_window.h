#pragma once

// What a test reads back from a window as the user sees it.

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lumox::testing {

// What window shows in its client area, as it is on the screen: one 32-bit BGRX value
// (0xXXRRGGBB) per pixel, top row first. size receives the area's width and height.
inline std::vector<std::uint32_t> clientAreaPixels(HWND window, SIZE &size)
{
    RECT client;
    GetClientRect(window, &client);
    size = {client.right, client.bottom};
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void *bits = nullptr;
    const HDC screen = GetDC(window);
    const HDC memory = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, size.cx, size.cy, screen, 0, 0, SRCCOPY);
    GdiFlush();
    const auto *first = static_cast<const std::uint32_t *>(bits);
    std::vector<std::uint32_t> pixels(first, first + size.cx * size.cy);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return pixels;
}

// The caption of the tab at index in the tab control tabs.
inline std::string tabCaption(HWND tabs, int index)
{
    char caption[64] = {};
    TCITEMA item = {};
    item.mask = TCIF_TEXT;
    item.pszText = caption;
    item.cchTextMax = sizeof caption;
    SendMessageA(tabs, TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return caption;
}

} // namespace lumox::testing
