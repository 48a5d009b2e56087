#include "ole_picture.h"

#include <cstring>

namespace lumox::win32 {

namespace {

// HIMETRIC units (0.01 mm) in one inch.
constexpr int himetricPerInch = 2540;

} // namespace

IPicture *loadPictureResource(HINSTANCE instance, int id)
{
    HRSRC found =
        FindResourceA(instance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10) /* RT_RCDATA */);
    if (found == nullptr)
        return nullptr;
    const DWORD size = SizeofResource(instance, found);
    HGLOBAL loaded = LoadResource(instance, found);
    const void *bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0)
        return nullptr;

    // The stream needs memory of its own: resource memory is read-only and cannot be
    // handed to CreateStreamOnHGlobal.
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (copy == nullptr)
        return nullptr;
    void *target = GlobalLock(copy);
    if (target == nullptr) {
        GlobalFree(copy);
        return nullptr;
    }
    std::memcpy(target, bytes, size);
    GlobalUnlock(copy);

    IStream *stream = nullptr;
    // From here on the stream frees the memory when it is released.
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream)) || stream == nullptr) {
        GlobalFree(copy);
        return nullptr;
    }
    IPicture *picture = nullptr;
    const HRESULT result = OleLoadPicture(stream, static_cast<LONG>(size), FALSE, IID_IPicture,
                                          reinterpret_cast<void **>(&picture));
    stream->Release();
    if (FAILED(result)) {
        if (picture != nullptr)
            picture->Release();
        return nullptr;
    }
    return picture;
}

SIZE pictureSizeInPixels(HDC dc, IPicture *picture)
{
    SIZE pixels = {0, 0};
    if (picture == nullptr)
        return pixels;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height)))
        return pixels;
    // MulDiv rounds to the nearest integer, which undoes the rounding the picture
    // object made when it turned the file's pixels into HIMETRIC.
    pixels.cx = MulDiv(width, GetDeviceCaps(dc, LOGPIXELSX), himetricPerInch);
    pixels.cy = MulDiv(height, GetDeviceCaps(dc, LOGPIXELSY), himetricPerInch);
    return pixels;
}

void renderPicture(HDC dc, IPicture *picture, int x, int y, const RECT &clip)
{
    if (picture == nullptr)
        return;
    OLE_XSIZE_HIMETRIC width = 0;
    OLE_YSIZE_HIMETRIC height = 0;
    if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height)))
        return;
    const SIZE pixels = pictureSizeInPixels(dc, picture);
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    // HIMETRIC runs upwards: the source starts at the picture's bottom edge and spans
    // a negative height, so that the picture comes out the right way up.
    picture->Render(dc, x, y, pixels.cx, pixels.cy, 0, height, width, -height, nullptr);
    RestoreDC(dc, saved);
}

} // namespace lumox::win32
