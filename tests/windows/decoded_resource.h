#pragma once

#include "picture_decoder.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace lumox::testing {

// A picture resource of this program decoded by the shared decoder into memory of the
// test's own, rows top-down, apart from any DIB section: what a window showing it must show.
struct DecodedResource
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    // Pixel (x, y) from the top-left corner, 0xAARRGGBB; 0 where it is transparent.
    std::uint32_t at(int x, int y) const
    {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }

    // The colour GDI shows for the opaque pixel (x, y).
    COLORREF colourAt(int x, int y) const
    {
        const std::uint32_t pixel = at(x, y);
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
};

// Decodes the RCDATA resource `id` of this program; an empty picture when it is missing or
// cannot be decoded.
inline DecodedResource decodeResource(int id)
{
    DecodedResource picture;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    const HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    const HGLOBAL loaded = found != nullptr ? LoadResource(instance, found) : nullptr;
    const void *bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return picture;
    const auto data =
        std::span(static_cast<const std::byte *>(bytes), SizeofResource(instance, found));
    decodePicture(data, [&picture](int width, int height) {
        picture.width = width;
        picture.height = height;
        picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        return PixelRows{picture.pixels.data(), width};
    });
    return picture;
}

} // namespace lumox::testing
