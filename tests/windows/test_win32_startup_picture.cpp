// The start-up picture decoded on a thread of its own: what the splash gets from it is
// what decoding the resource on the spot gives, pixel for pixel and at the same size.
#include "ole_picture.h"
#include "resource.h"
#include "startup_picture.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace lumox::win32 {
namespace {

struct Rendered
{
    SIZE size = {0, 0};
    std::vector<std::uint32_t> pixels;
};

// The picture drawn as the picture box draws it, at its own size in screen pixels,
// onto a white 32-bit bitmap of that size.
Rendered render(IPicture *picture)
{
    Rendered result;
    HDC screen = GetDC(nullptr);
    result.size = pictureSizeInPixels(screen, picture);
    ReleaseDC(nullptr, screen);
    if (result.size.cx <= 0 || result.size.cy <= 0) {
        return result;
    }
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = result.size.cx;
    info.bmiHeader.biHeight = -result.size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *bits = nullptr;
    HBITMAP target = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (target == nullptr) {
        return result;
    }
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, target);
    const RECT area = {0, 0, result.size.cx, result.size.cy};
    FillRect(dc, &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    renderPicture(dc, picture, 0, 0, area);
    GdiFlush();
    const auto count = static_cast<std::size_t>(result.size.cx) * result.size.cy;
    result.pixels.resize(count);
    std::memcpy(result.pixels.data(), bits, count * sizeof(std::uint32_t));
    SelectObject(dc, old);
    DeleteDC(dc);
    DeleteObject(target);
    return result;
}

TEST(StartupPicture, HandsOverThePictureDecodedOnTheSpotOnceAndNothingForAMissingOne)
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    PictureRef direct(loadPictureResource(instance, IDR_STARTUP_PICTURE));
    ASSERT_TRUE(direct) << "the start-up picture does not decode";
    const Rendered expected = render(direct.get());
    ASSERT_FALSE(expected.pixels.empty());

    StartupPicture startup(instance, IDR_STARTUP_PICTURE);
    PictureRef handedOver(startup.take());
    ASSERT_TRUE(handedOver);
    const Rendered actual = render(handedOver.get());
    EXPECT_EQ(actual.size.cx, expected.size.cx);
    EXPECT_EQ(actual.size.cy, expected.size.cy);
    EXPECT_TRUE(actual.pixels == expected.pixels) << "the pixels differ";
    EXPECT_EQ(startup.take(), nullptr) << "the picture is handed over twice";

    // A picture that is not there ends in nothing, on the thread and on the spot.
    StartupPicture missing(instance, IDR_STARTUP_PICTURE + 999);
    EXPECT_EQ(missing.take(), nullptr);
}

} // namespace
} // namespace lumox::win32
