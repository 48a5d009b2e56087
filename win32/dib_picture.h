#pragma once

#include "picture_dither.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumox::win32 {

// One decoded picture of the program (picture_decoder.h) as GDI draws it: a 32-bit
// bottom-up DIB section holding its pixels, and, when some of them are transparent, a
// monochrome mask that is white where they are and black elsewhere. The transparent pixels
// of the DIB section are black, so drawing the mask with SRCAND and the DIB section with
// SRCPAINT over any background leaves the background there. For a display of 256 or 16
// colours the picture is also held dithered into that display's colours (picture_dither.h),
// as an 8-bit or 4-bit DIB section whose transparent pixels are black too, prepared the
// first time it is drawn for that display and again when the display changes. Pictures
// are shared, not copied:
// whoever keeps one holds a reference (addRef), and the last release() destroys it. Only the
// user-interface thread touches them.
class DibPicture
{
public:
    // Decodes a JPEG or GIF held in memory. Returns a new picture holding one reference, which
    // the caller owns, or nullptr when the data cannot be decoded or GDI cannot hold it.
    static DibPicture *decode(std::span<const std::byte> data);

    DibPicture(const DibPicture &) = delete;
    DibPicture &operator=(const DibPicture &) = delete;

    // Adds a reference and returns how many there are now.
    unsigned long addRef();
    // Drops a reference and returns how many are left; at 0 the picture is destroyed.
    unsigned long release();

    int width() const { return m_width; }
    int height() const { return m_height; }
    // The DIB section, and the mask (nullptr when every pixel is opaque). Both stay the
    // picture's: a caller selects them into its own memory context and deletes neither.
    HBITMAP bitmap() const { return m_bitmap; }
    HBITMAP mask() const { return m_mask; }
    // The picture as drawn for a display of `colours`: bitmap() on true colour, otherwise
    // the picture dithered into the display's colours, as a DIB section whose colour table
    // holds them (halftoneColours(), vgaColours()), made at the first call for `colours`;
    // bitmap() when GDI cannot make it. Stays the picture's, as bitmap() does.
    HBITMAP bitmapFor(DisplayColours colours) const;
    // Pixel (x, y), counted from the top-left corner, as the decoder gave it: 0xAARRGGBB,
    // alpha 0xFF for an opaque pixel and the whole value 0 for a transparent one. Both
    // coordinates must lie inside the picture.
    std::uint32_t pixel(int x, int y) const;

private:
    DibPicture() = default;
    ~DibPicture();

    unsigned long m_references = 1;
    int m_width = 0;
    int m_height = 0;
    HBITMAP m_bitmap = nullptr;
    HBITMAP m_mask = nullptr;
    // The picture prepared for the display of the last bitmapFor() call that was not true
    // colour, and for which display: made when first asked for, kept until the display
    // asked for changes.
    mutable HBITMAP m_prepared = nullptr;
    mutable DisplayColours m_preparedFor = DisplayColours::TrueColour;
    // The DIB section's pixels, bottom row first.
    const std::uint32_t *m_bits = nullptr;
};

// Decodes the picture file held as the RCDATA resource `id` of `instance` (a GIF or a JPEG,
// as the file's own bytes), reading it where the resource lies. Returns a new reference that
// the caller releases, or nullptr when the resource is missing or cannot be decoded.
DibPicture *loadPictureResource(HINSTANCE instance, int id);

// Draws the picture unscaled, at its own size in pixels, with its top-left corner at (x, y),
// and nothing outside `clip` (logical coordinates of the context). Transparent pixels leave
// what is already there. The picture is drawn as prepared for displayColours()
// (display_palette.h), and on a palette display with the program's palette selected into the
// context and realized. Nothing is drawn for nullptr. The context's clipping region, text
// and background colours and its palette are the same afterwards as before.
void renderPicture(HDC dc, const DibPicture *picture, int x, int y, const RECT &clip);

// Holds one reference to a picture and releases it when it goes.
class PictureRef
{
public:
    PictureRef() = default;
    // Takes over a reference the caller owns (such as one from loadPictureResource).
    explicit PictureRef(DibPicture *owned) : m_picture(owned) {}
    PictureRef(const PictureRef &) = delete;
    PictureRef &operator=(const PictureRef &) = delete;
    PictureRef(PictureRef &&other) noexcept : m_picture(other.release()) {}
    PictureRef &operator=(PictureRef &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    ~PictureRef() { reset(); }

    DibPicture *get() const { return m_picture; }
    explicit operator bool() const { return m_picture != nullptr; }

    // Releases the held reference, if any, and takes over `owned` instead.
    void reset(DibPicture *owned = nullptr)
    {
        DibPicture *old = m_picture;
        m_picture = owned;
        if (old != nullptr)
            old->release();
    }

    // Gives up the held reference without releasing it and returns it.
    DibPicture *release()
    {
        DibPicture *held = m_picture;
        m_picture = nullptr;
        return held;
    }

private:
    DibPicture *m_picture = nullptr;
};

} // namespace lumox::win32
