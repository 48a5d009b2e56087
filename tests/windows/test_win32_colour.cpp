// The pictures on displays of 256 and 16 colours: each drawn through renderPicture, as the
// windows draw it, into a DIB section of such a display's colours, and compared with the
// picture itself as the eye sees both (colour_error.h). GDI matches colours into a DIB
// section as it matches them on such a display.
#include "colour_error.h"
#include "dib_picture.h"
#include "display_palette.h"
#include "picture_dither.h"
#include "resource.h"

#include "sponsor_draw.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <vector>

namespace {

using namespace lumox;
using namespace lumox::win32;

// The button face on which the banners stand, a colour both tables hold exactly.
constexpr std::uint32_t background = 0xC0C0C0;

// A DIB section of `bitsPerPixel` (8 or 4) whose colour table is `table`, top-down, every
// pixel of it the table's colour `fill`, selected into a memory context of its own.
class IndexedCanvas
{
public:
    IndexedCanvas(int width, int height, int bitsPerPixel, std::span<const std::uint32_t> table,
                  int fill)
        : m_width(width), m_height(height), m_bitsPerPixel(bitsPerPixel),
          m_table(table.begin(), table.end())
    {
        struct
        {
            BITMAPINFOHEADER header;
            RGBQUAD colours[256];
        } info = {};
        info.header.biSize = sizeof(info.header);
        info.header.biWidth = width;
        info.header.biHeight = -height;
        info.header.biPlanes = 1;
        info.header.biBitCount = static_cast<WORD>(bitsPerPixel);
        info.header.biCompression = BI_RGB;
        info.header.biClrUsed = static_cast<DWORD>(table.size());
        for (std::size_t i = 0; i < table.size(); ++i)
            info.colours[i] = {static_cast<BYTE>(table[i]), static_cast<BYTE>(table[i] >> 8),
                               static_cast<BYTE>(table[i] >> 16), 0};
        void *bits = nullptr;
        m_bitmap = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO *>(&info), DIB_RGB_COLORS,
                                    &bits, nullptr, 0);
        m_bits = static_cast<BYTE *>(bits);
        m_rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
        if (m_bits != nullptr) {
            const BYTE byte =
                bitsPerPixel == 8 ? static_cast<BYTE>(fill) : static_cast<BYTE>(fill << 4 | fill);
            std::fill(m_bits, m_bits + static_cast<std::size_t>(m_rowBytes) * height, byte);
        }
        m_dc = CreateCompatibleDC(nullptr);
        m_previous = SelectObject(m_dc, m_bitmap);
    }
    IndexedCanvas(const IndexedCanvas &) = delete;
    IndexedCanvas &operator=(const IndexedCanvas &) = delete;
    ~IndexedCanvas()
    {
        SelectObject(m_dc, m_previous);
        DeleteDC(m_dc);
        DeleteObject(m_bitmap);
    }

    bool valid() const { return m_bits != nullptr && m_dc != nullptr; }
    HDC dc() const { return m_dc; }

    int index(int x, int y) const
    {
        GdiFlush();
        const BYTE *row = m_bits + static_cast<std::ptrdiff_t>(m_rowBytes) * y;
        if (m_bitsPerPixel == 8)
            return row[x];
        return x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F;
    }
    std::uint32_t colour(int x, int y) const
    {
        return m_table[static_cast<std::size_t>(index(x, y))];
    }

private:
    int m_width;
    int m_height;
    int m_bitsPerPixel;
    std::vector<std::uint32_t> m_table;
    HBITMAP m_bitmap = nullptr;
    BYTE *m_bits = nullptr;
    int m_rowBytes = 0;
    HDC m_dc = nullptr;
    HGDIOBJ m_previous = nullptr;
};

// What a display of 256 colours shows of a picture drawn without a palette: the twenty
// static colours only, at their places; the places between repeat static colours other
// than black and white, so that black and white keep one place each.
std::vector<std::uint32_t> staticColoursOnly()
{
    std::vector<std::uint32_t> table(halftoneColours().begin(), halftoneColours().end());
    for (std::size_t i = 10; i < 246; ++i)
        table[i] = table[1 + i % 9];
    return table;
}

struct Measured
{
    double error = 0;
    // Transparent pixels that do not show the background.
    int coveredBackground = 0;
};

// Draws `picture` as for `colours` into a canvas of `table` filled with the background,
// and measures it against the picture on the same background.
Measured measure(const DibPicture &picture, DisplayColours colours, int bitsPerPixel,
                 std::span<const std::uint32_t> table)
{
    const int width = picture.width();
    const int height = picture.height();
    int fill = 0;
    while (table[static_cast<std::size_t>(fill)] != background)
        ++fill;
    IndexedCanvas canvas(width, height, bitsPerPixel, table, fill);
    EXPECT_TRUE(canvas.valid());
    if (!canvas.valid())
        return {};
    setDisplayColours(colours);
    renderPicture(canvas.dc(), &picture, 0, 0, RECT{0, 0, width, height});
    readDisplayColours();

    test::ColourPicture original{width, height, {}, {}};
    test::ColourPicture shown{width, height, {}, {}};
    Measured measured;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = picture.pixel(x, y);
            const bool opaque = (pixel >> 24) != 0;
            original.pixels.push_back(opaque ? pixel & 0xFFFFFF : background);
            original.counts.push_back(opaque);
            shown.pixels.push_back(canvas.colour(x, y));
            if (!opaque && canvas.index(x, y) != fill)
                ++measured.coveredBackground;
        }
    }
    measured.error = test::blurredRmsDifference(original, shown);
    return measured;
}

TEST(PicturesOnFewColours, EachPictureLooksCloseToItselfOn256And16ColoursAndKeepsItsTransparency)
{
    std::vector<std::pair<std::string, int>> pictures = {{"startup", IDR_STARTUP_PICTURE},
                                                         {"initial", IDR_INITIAL_BANNER}};
    for (int number = 1; number <= sponsorPictureCount; ++number)
        pictures.emplace_back("sponsor" + std::to_string(number),
                              IDR_SPONSOR_PICTURE_1 + number - 1);
    const std::vector<std::uint32_t> staticTable = staticColoursOnly();
    std::printf("%-10s %10s %10s %10s %10s\n", "picture", "256 before", "256 after", "16 before",
                "16 after");
    for (const auto &[name, id] : pictures) {
        SCOPED_TRACE(name);
        const PictureRef picture(loadPictureResource(GetModuleHandleA(nullptr), id));
        ASSERT_TRUE(picture);
        // As the program drew before it knew the display: the true-colour picture, matched
        // by GDI to the colours there are.
        const Measured before256 =
            measure(*picture.get(), DisplayColours::TrueColour, 8, staticTable);
        const Measured before16 =
            measure(*picture.get(), DisplayColours::TrueColour, 4, vgaColours());
        const Measured after256 =
            measure(*picture.get(), DisplayColours::Colours256, 8, halftoneColours());
        const Measured after16 =
            measure(*picture.get(), DisplayColours::Colours16, 4, vgaColours());
        std::printf("%-10s %10.2f %10.2f %10.2f %10.2f\n", name.c_str(), before256.error,
                    after256.error, before16.error, after16.error);
        EXPECT_LE(after256.error, 4.0);
        EXPECT_LE(after16.error, 14.0);
        EXPECT_EQ(after256.coveredBackground, 0);
        EXPECT_EQ(after16.coveredBackground, 0);
    }
}

} // namespace
