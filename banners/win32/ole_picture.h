#pragma once

#include <windows.h>

#include <ole2.h>
#include <olectl.h>

namespace lumox::win32 {

// Decodes the picture file held as the RCDATA resource `id` of `instance` (a GIF or
// a JPEG, as the file's own bytes) with the OLE picture object. The bytes are copied
// into memory of their own and read from a stream over it, with the resource's exact
// size. Returns a new reference that the caller releases, or nullptr when the resource
// is missing or cannot be decoded. OLE must be initialised on the calling thread.
IPicture *loadPictureResource(HINSTANCE instance, int id);

// The size of a picture in pixels of the given device context: its HIMETRIC size
// (hundredths of a millimetre) turned into pixels at the context's own LOGPIXELSX
// and LOGPIXELSY, rounded to the nearest pixel. A picture decoded from a file of
// 120 x 60 pixels measures 120 x 60 on a screen context. Returns 0 x 0 for nullptr.
SIZE pictureSizeInPixels(HDC dc, IPicture *picture);

// Draws the picture unscaled, at its own size in pixels (see pictureSizeInPixels),
// with its top-left corner at (x, y), and nothing outside `clip` (logical coordinates
// of the context). Transparent pixels leave what is already there. Nothing is drawn
// for nullptr. The context's clipping region is the same afterwards as before.
void renderPicture(HDC dc, IPicture *picture, int x, int y, const RECT &clip);

// Holds one reference to a picture and releases it when it goes.
class PictureRef
{
public:
    PictureRef() = default;
    // Takes over a reference the caller owns (such as one from loadPictureResource).
    explicit PictureRef(IPicture *owned) : m_picture(owned) {}
    PictureRef(const PictureRef &) = delete;
    PictureRef &operator=(const PictureRef &) = delete;
    PictureRef(PictureRef &&other) noexcept : m_picture(other.release()) {}
    PictureRef &operator=(PictureRef &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~PictureRef() { reset(); }

    IPicture *get() const { return m_picture; }
    explicit operator bool() const { return m_picture != nullptr; }

    // Releases the held reference, if any, and takes over `owned` instead.
    void reset(IPicture *owned = nullptr)
    {
        IPicture *old = m_picture;
        m_picture = owned;
        if (old != nullptr)
            old->Release();
    }

    // Gives up the held reference without releasing it and returns it.
    IPicture *release()
    {
        IPicture *held = m_picture;
        m_picture = nullptr;
        return held;
    }

private:
    IPicture *m_picture = nullptr;
};

} // namespace lumox::win32
