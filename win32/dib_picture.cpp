#include "dib_picture.h"

#include "display_palette.h"
#include "picture_decoder.h"
#include "picture_dither.h"

#include <vector>

namespace lumox::win32 {

namespace {

// The monochrome mask of a picture with transparent pixels: one bit a pixel, set where the
// pixel is transparent, rows top-down and padded to whole 16-bit words as CreateBitmap wants.
HBITMAP createMask(const DibPicture &picture)
{
    const int width = picture.width();
    const int height = picture.height();
    const std::size_t rowBytes = (static_cast<std::size_t>(width) + 15) / 16 * 2;
    std::vector<BYTE> bits(rowBytes * static_cast<std::size_t>(height), 0);
    for (int y = 0; y < height; ++y) {
        BYTE *row = bits.data() + rowBytes * static_cast<std::size_t>(y);
        for (int x = 0; x < width; ++x) {
            if (picture.pixel(x, y) == 0)
                row[x / 8] = static_cast<BYTE>(row[x / 8] | (0x80 >> (x % 8)));
        }
    }
    return CreateBitmap(width, height, 1, 1, bits.data());
}

// A BITMAPINFO with room for a colour table of 256 entries.
struct IndexedBitmapInfo
{
    BITMAPINFOHEADER header;
    RGBQUAD colours[256];
};

// A bottom-up DIB section of `bitsPerPixel` (8 or 4) holding `indices` (one a pixel, rows
// top-down and `width` apart) with `table` (0x00RRGGBB) as its colour table.
HBITMAP createIndexedBitmap(int width, int height, int bitsPerPixel,
                            std::span<const std::uint32_t> table,
                            std::span<const std::uint8_t> indices)
{
    IndexedBitmapInfo info = {};
    info.header.biSize = sizeof(info.header);
    info.header.biWidth = width;
    info.header.biHeight = height;
    info.header.biPlanes = 1;
    info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
    info.header.biCompression = BI_RGB;
    info.header.biClrUsed = static_cast<DWORD>(table.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::uint32_t colour = table[i];
        info.colours[i] = {static_cast<BYTE>(colour), static_cast<BYTE>(colour >> 8),
                           static_cast<BYTE>(colour >> 16), 0};
    }
    void *bits = nullptr;
    const HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO *>(&info),
                                            DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap == nullptr || bits == nullptr)
        return nullptr;
    // Rows of whole 32-bit words, the bottom row first.
    const auto rowBytes =
        (static_cast<std::size_t>(width) * static_cast<std::size_t>(bitsPerPixel) + 31) / 32 * 4;
    auto *target = static_cast<BYTE *>(bits);
    const auto columns = static_cast<std::size_t>(width);
    for (int y = 0; y < height; ++y) {
        BYTE *row = target + rowBytes * static_cast<std::size_t>(height - 1 - y);
        const std::uint8_t *source = indices.data() + columns * static_cast<std::size_t>(y);
        if (bitsPerPixel == 8) {
            for (std::size_t x = 0; x < columns; ++x)
                row[x] = source[x];
        } else {
            for (std::size_t x = 0; x < columns; ++x)
                row[x / 2] =
                    static_cast<BYTE>(row[x / 2] | (x % 2 == 0 ? source[x] << 4 : source[x]));
        }
    }
    return bitmap;
}

} // namespace

DibPicture *DibPicture::decode(std::span<const std::byte> data)
{
    PictureRef picture(new DibPicture);
    DibPicture *self = picture.get();
    const auto decoded = decodePicture(data, [self](int width, int height) -> PixelRows {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        // Bottom-up, as every Windows of the 95 family takes a DIB section.
        info.bmiHeader.biHeight = height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void *bits = nullptr;
        self->m_bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (self->m_bitmap == nullptr || bits == nullptr)
            return {};
        self->m_width = width;
        self->m_height = height;
        self->m_bits = static_cast<const std::uint32_t *>(bits);
        // The top row is the last one in memory.
        return {static_cast<std::uint32_t *>(bits) +
                    static_cast<std::ptrdiff_t>(height - 1) * width,
                -static_cast<std::ptrdiff_t>(width)};
    });
    if (!decoded)
        return nullptr;
    if (decoded->transparent) {
        self->m_mask = createMask(*self);
        if (self->m_mask == nullptr)
            return nullptr;
    }
    return picture.release();
}

DibPicture::~DibPicture()
{
    if (m_prepared != nullptr)
        DeleteObject(m_prepared);
    if (m_mask != nullptr)
        DeleteObject(m_mask);
    if (m_bitmap != nullptr)
        DeleteObject(m_bitmap);
}

unsigned long DibPicture::addRef()
{
    return ++m_references;
}

unsigned long DibPicture::release()
{
    const unsigned long left = --m_references;
    if (left == 0)
        delete this;
    return left;
}

std::uint32_t DibPicture::pixel(int x, int y) const
{
    return m_bits[static_cast<std::ptrdiff_t>(m_height - 1 - y) * m_width + x];
}

HBITMAP DibPicture::bitmapFor(DisplayColours colours) const
{
    if (colours == DisplayColours::TrueColour)
        return m_bitmap;
    if (m_prepared == nullptr || m_preparedFor != colours) {
        if (m_prepared != nullptr)
            DeleteObject(m_prepared);
        const auto width = static_cast<std::size_t>(m_width);
        std::vector<std::uint8_t> indices(width * static_cast<std::size_t>(m_height));
        // The top row is the last one in memory.
        const PictureView view{m_bits + static_cast<std::ptrdiff_t>(m_height - 1) * m_width,
                               -static_cast<std::ptrdiff_t>(m_width), m_width, m_height};
        ditherPicture(colours, view, indices);
        m_prepared = colours == DisplayColours::Colours256
                         ? createIndexedBitmap(m_width, m_height, 8, halftoneColours(), indices)
                         : createIndexedBitmap(m_width, m_height, 4, vgaColours(), indices);
        m_preparedFor = colours;
    }
    return m_prepared != nullptr ? m_prepared : m_bitmap;
}

DibPicture *loadPictureResource(HINSTANCE instance, int id)
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
    return DibPicture::decode(std::span(static_cast<const std::byte *>(bytes), size));
}

void renderPicture(HDC dc, const DibPicture *picture, int x, int y, const RECT &clip)
{
    if (picture == nullptr)
        return;
    const HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr)
        return;
    const HBITMAP image = picture->bitmapFor(displayColours());
    const int saved = SaveDC(dc);
    const PaletteSelection palette(dc);
    IntersectClipRect(dc, clip.left, clip.top, clip.right, clip.bottom);
    const HGDIOBJ previous = SelectObject(memory, image);
    if (picture->mask() != nullptr) {
        // A monochrome source turns into the target's background colour where it is white
        // and its text colour where it is black: the mask clears the opaque pixels, and the
        // picture, black where it is transparent, is then laid over them.
        SetBkColor(dc, RGB(255, 255, 255));
        SetTextColor(dc, RGB(0, 0, 0));
        SelectObject(memory, picture->mask());
        BitBlt(dc, x, y, picture->width(), picture->height(), memory, 0, 0, SRCAND);
        SelectObject(memory, image);
        BitBlt(dc, x, y, picture->width(), picture->height(), memory, 0, 0, SRCPAINT);
    } else {
        BitBlt(dc, x, y, picture->width(), picture->height(), memory, 0, 0, SRCCOPY);
    }
    SelectObject(memory, previous);
    RestoreDC(dc, saved);
    DeleteDC(memory);
}

} // namespace lumox::win32
