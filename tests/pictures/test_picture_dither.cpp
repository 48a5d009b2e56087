// The pictures dithered for displays of 256 and 16 colours (picture_dither.h).
#include "picture_dither.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

namespace {

using lumox::DisplayColours;
using lumox::ditherPicture;
using lumox::PictureView;

constexpr std::uint32_t opaque(std::uint32_t rgb)
{
    return 0xFF000000U | rgb;
}

std::vector<std::uint8_t> dither(DisplayColours colours, const std::vector<std::uint32_t> &pixels,
                                 int width, int height)
{
    std::vector<std::uint8_t> indices(pixels.size(), 0xEE);
    ditherPicture(colours, PictureView{pixels.data(), width, width, height}, indices);
    return indices;
}

const std::uint32_t *tableOf(DisplayColours colours)
{
    return colours == DisplayColours::Colours256 ? lumox::halftoneColours().data()
                                                 : lumox::vgaColours().data();
}

// A flat area comes out, on average, as its own colour: each channel's mean over a 32 x 32
// block lies within a few steps of it, on both displays, for colours between the ones
// either display has. A wrong weight, threshold or channel order moves the mean.
TEST(PictureDither, AFlatColourKeepsItsMeanOnBothDisplays)
{
    constexpr int size = 32;
    for (const DisplayColours colours : {DisplayColours::Colours256, DisplayColours::Colours16}) {
        for (const std::uint32_t rgb : {0x1F6FC8U, 0xC0C0C0U, 0xE0400AU, 0x3A3A3AU, 0x10F080U}) {
            SCOPED_TRACE(::testing::Message()
                         << std::hex << rgb << " on "
                         << (colours == DisplayColours::Colours256 ? 256 : 16));
            const std::vector<std::uint32_t> pixels(size * size, opaque(rgb));
            const std::vector<std::uint8_t> indices = dither(colours, pixels, size, size);
            for (int shift = 0; shift <= 16; shift += 8) {
                long total = 0;
                for (const std::uint8_t index : indices)
                    total += (tableOf(colours)[index] >> shift) & 0xFF;
                const double mean = static_cast<double>(total) / (size * size);
                EXPECT_NEAR(mean, static_cast<double>((rgb >> shift) & 0xFF), 4.0)
                    << "channel at bit " << shift;
            }
        }
    }
}

// Transparent pixels take no part: they get index 0, black, which the masked drawing
// needs and which, like white, has that one place in its table; and a picture framed by transparent
// pixels (8 of them, a whole period of the ordered dither and an even number of rows for the error
// diffusion's turns) comes out inside the frame exactly as the same picture without it: no error
// flows into the frame and back.
TEST(PictureDither, TransparentPixelsAreBlackAndChangeNoOpaquePixel)
{
    constexpr int inner = 20;
    constexpr int frame = 8;
    constexpr int outer = inner + 2 * frame;
    std::vector<std::uint32_t> alone(inner * inner);
    std::vector<std::uint32_t> framed(outer * outer, 0);
    for (int y = 0; y < inner; ++y) {
        for (int x = 0; x < inner; ++x) {
            const auto rgb = static_cast<std::uint32_t>((x * 13) << 16 | (y * 12) << 8 | 0x55);
            alone[static_cast<std::size_t>(y * inner + x)] = opaque(rgb);
            framed[static_cast<std::size_t>((y + frame) * outer + x + frame)] = opaque(rgb);
        }
    }
    for (const DisplayColours colours : {DisplayColours::Colours256, DisplayColours::Colours16}) {
        const int size = colours == DisplayColours::Colours256 ? 256 : 16;
        for (int i = 0; i < size; ++i) {
            const std::uint32_t colour = tableOf(colours)[i];
            EXPECT_EQ(colour == 0, i == 0) << "black at " << i;
            EXPECT_EQ(colour == 0xFFFFFF, i == size - 1) << "white at " << i;
        }
        const std::vector<std::uint8_t> plain = dither(colours, alone, inner, inner);
        const std::vector<std::uint8_t> held = dither(colours, framed, outer, outer);
        int differing = 0;
        int nonBlackTransparent = 0;
        for (int y = 0; y < outer; ++y) {
            for (int x = 0; x < outer; ++x) {
                const auto at = static_cast<std::size_t>(y * outer + x);
                if (framed[at] == 0) {
                    nonBlackTransparent += held[at] != 0 ? 1 : 0;
                    continue;
                }
                const auto plainAt = static_cast<std::size_t>((y - frame) * inner + x - frame);
                differing += held[at] != plain[plainAt] ? 1 : 0;
            }
        }
        EXPECT_EQ(nonBlackTransparent, 0);
        EXPECT_EQ(differing, 0);
    }
}

} // namespace
