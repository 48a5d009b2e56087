#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// The program's pictures prepared for a display that shows few colours: each decoded
// picture (picture_decoder.h) dithered into the colours such a display shows exactly, so
// that the front end can draw it as a picture of colour indices. Pure computation, free of
// Qt and Windows.
namespace lumox {

// What a display can show, as far as the pictures are concerned.
enum class DisplayColours
{
    // 15 bits a pixel or more: the pictures are drawn as they are decoded.
    TrueColour,
    // 256 colours through a palette: the pictures are dithered into halftoneColours().
    Colours256,
    // 16 colours or fewer: the pictures are dithered into vgaColours().
    Colours16,
};

// The colours a display of `bitsPerPixel` (bits per pixel times planes) shows: true colour
// from 15 bits on; 256 colours from 8 bits on when the display has a palette to realize;
// 16 colours below that, and at 8 bits or more without a palette (whose fixed colours
// cannot be chosen, while the 16 VGA colours are there on every display).
DisplayColours displayColoursFor(int bitsPerPixel, bool hasPalette);

// The program's halftone palette, 0x00RRGGBB: the twenty static colours of a palette display
// at the places the display keeps them (0 to 9 and 246 to 255), and between them, from
// index halftoneCubeFirst, the 6 x 6 x 6 colour cube in steps of 51, the cube's colour
// (r, g, b), each 0 to 5, at halftoneCubeFirst + 36 r + 6 g + b, but for its black and
// white corners, which are the static black at 0 and white at 255, the places a display
// gives them. Black and white are nowhere else, so that a raster operation on indices
// treats them as it treats black and white: the cube's places of black and white, and
// the twenty unused places after the cube, repeat other cube colours.
const std::array<std::uint32_t, 256> &halftoneColours();
inline constexpr int halftoneCubeFirst = 10;
// The places in use are the first halftoneUsedLow (ten static colours and the cube) and
// the last ten: halftoneUsedCount in all.
inline constexpr int halftoneUsedLow = halftoneCubeFirst + 216;
inline constexpr int halftoneUsedCount = halftoneUsedLow + 10;

// The sixteen VGA colours, 0x00RRGGBB, in the order of a 16-colour display: black at 0,
// the eight half-intensity colours and light grey before, the eight full-intensity ones
// from 8 (dark grey) to 15 (white).
const std::array<std::uint32_t, 16> &vgaColours();

// The pixels of a decoded picture, 0xAARRGGBB as the decoder writes them (a transparent
// pixel is all zero), read-only: `top` is the top row's first pixel, and rows are `stride`
// pixels apart (negative for a bottom-up layout).
struct PictureView
{
    const std::uint32_t *top = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

// Dithers `picture` into the colours of `colours` and writes one colour index a pixel into
// `indices`, top row first, rows `width` bytes apart: indices of halftoneColours() for
// Colours256, of vgaColours() for Colours16. A transparent pixel gets index 0 (black) and
// takes no part in the dithering: no opaque pixel's index depends on it. On 256 colours
// the pixels are error-diffused (Floyd and Steinberg's weights, each row in the other
// direction from the last) into the colour cube; on 16 colours an 8 x 8 ordered dither
// takes each channel to 0 or 255, the eight full-intensity colours, so that each pixel's
// index depends on its own colour and its place in the picture only. `indices` must hold
// width x height bytes; nothing is written for TrueColour.
void ditherPicture(DisplayColours colours, const PictureView &picture,
                   std::span<std::uint8_t> indices);

} // namespace lumox
