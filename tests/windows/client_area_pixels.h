#pragma once

#include <windows.h>

#include <cstdint>
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

} // namespace lumox::testing
