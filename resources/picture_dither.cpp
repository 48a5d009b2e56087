#include "picture_dither.h"

#include <algorithm>
#include <vector>

namespace lumox {

namespace {

constexpr std::uint32_t rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue)
{
    return red << 16 | green << 8 | blue;
}

// The twenty static colours of a palette display: the first ten and the last ten places.
constexpr std::array<std::uint32_t, 10> staticLow = {
    rgb(0, 0, 0),     rgb(128, 0, 0),   rgb(0, 128, 0),     rgb(128, 128, 0),   rgb(0, 0, 128),
    rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192), rgb(192, 220, 192), rgb(166, 202, 240)};
constexpr std::array<std::uint32_t, 10> staticHigh = {
    rgb(255, 251, 240), rgb(160, 160, 164), rgb(128, 128, 128), rgb(255, 0, 0),
    rgb(0, 255, 0),     rgb(255, 255, 0),   rgb(0, 0, 255),     rgb(255, 0, 255),
    rgb(0, 255, 255),   rgb(255, 255, 255)};

constexpr int cubeStep = 51;

constexpr std::array<std::uint32_t, 256> makeHalftoneColours()
{
    std::array<std::uint32_t, 256> colours{};
    for (std::size_t i = 0; i < staticLow.size(); ++i)
        colours[i] = staticLow[i];
    for (std::uint32_t r = 0; r < 6; ++r) {
        for (std::uint32_t g = 0; g < 6; ++g) {
            for (std::uint32_t b = 0; b < 6; ++b)
                colours[halftoneCubeFirst + 36 * r + 6 * g + b] =
                    rgb(r * cubeStep, g * cubeStep, b * cubeStep);
        }
    }
    // Black and white have one place each, 0 and 255, wherever GDI matches a colour to
    // the table: the cube's black and white corners, and the unused places, repeat other
    // cube colours.
    colours[halftoneCubeFirst] = colours[halftoneCubeFirst + 1];
    colours[halftoneCubeFirst + 215] = colours[halftoneCubeFirst + 214];
    for (int i = halftoneUsedLow; i < 256 - static_cast<int>(staticHigh.size()); ++i)
        colours[static_cast<std::size_t>(i)] = colours[static_cast<std::size_t>(i - 200)];
    for (std::size_t i = 0; i < staticHigh.size(); ++i)
        colours[256 - staticHigh.size() + i] = staticHigh[i];
    return colours;
}

constexpr std::array<std::uint32_t, 256> halftoneTable = makeHalftoneColours();

constexpr std::array<std::uint32_t, 16> vgaTable = {
    rgb(0, 0, 0),       rgb(128, 0, 0),   rgb(0, 128, 0),   rgb(128, 128, 0),
    rgb(0, 0, 128),     rgb(128, 0, 128), rgb(0, 128, 128), rgb(192, 192, 192),
    rgb(128, 128, 128), rgb(255, 0, 0),   rgb(0, 255, 0),   rgb(255, 255, 0),
    rgb(0, 0, 255),     rgb(255, 0, 255), rgb(0, 255, 255), rgb(255, 255, 255)};

// The VGA index of each full-intensity colour, by its red (4), green (2) and blue (1) bits.
constexpr std::array<std::uint8_t, 8> fullIntensityIndex = {0, 12, 10, 14, 9, 13, 11, 15};

// The 8 x 8 ordered-dither matrix: each of 0 to 63 once, every 2 x 2, 4 x 4 and 8 x 8 block
// spreading its thresholds evenly.
constexpr std::uint8_t bayer[8][8] = {
    {0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
    {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
    {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
    {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};

// The halftone place of the cube's colour `cube` (36 r + 6 g + b): black and white at their
// static places.
constexpr std::uint8_t halftoneIndex(int cube)
{
    if (cube == 0)
        return 0;
    if (cube == 215)
        return 255;
    return static_cast<std::uint8_t>(halftoneCubeFirst + cube);
}

constexpr bool isTransparent(std::uint32_t pixel)
{
    return (pixel >> 24) == 0;
}

constexpr int channel(std::uint32_t pixel, int shift)
{
    return static_cast<int>((pixel >> shift) & 0xFFU);
}

const std::uint32_t *row(const PictureView &picture, int y)
{
    return picture.top + picture.stride * y;
}

// Each channel to 0 or 255 against the matrix's threshold for (x, y), which lies in the
// middle of one of 64 equal steps: a channel of value v is on at v / 255 of the places.
void orderedToFullIntensity(const PictureView &picture, std::span<std::uint8_t> indices)
{
    const auto width = static_cast<std::size_t>(picture.width);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t *source = row(picture, y);
        std::uint8_t *target = indices.data() + width * static_cast<std::size_t>(y);
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t pixel = source[x];
            if (isTransparent(pixel)) {
                target[x] = 0;
                continue;
            }
            const int threshold = (2 * bayer[y & 7][x & 7] + 1) * 255;
            unsigned bits = 0;
            for (int shift = 16; shift >= 0; shift -= 8)
                bits = bits << 1 | (128 * channel(pixel, shift) > threshold ? 1U : 0U);
            target[x] = fullIntensityIndex[bits];
        }
    }
}

// Floyd and Steinberg's error diffusion into the colour cube. Errors are carried in
// sixteenths, in two rows of three channels with a spare place at either end; the rows go
// left to right and right to left by turns. A transparent pixel is passed over: it takes
// no error and passes none on, and what opaque pixels would give it is lost.
void diffuseIntoCube(const PictureView &picture, std::span<std::uint8_t> indices)
{
    const auto width = static_cast<std::size_t>(picture.width);
    std::vector<int> current((width + 2) * 3, 0);
    std::vector<int> next((width + 2) * 3, 0);
    for (int y = 0; y < picture.height; ++y) {
        const std::uint32_t *source = row(picture, y);
        std::uint8_t *target = indices.data() + width * static_cast<std::size_t>(y);
        const bool forward = (y % 2) == 0;
        // From one pixel's place in the error rows to the next one's.
        const std::ptrdiff_t step = forward ? 3 : -3;
        std::fill(next.begin(), next.end(), 0);
        for (int i = 0; i < picture.width; ++i) {
            const int x = forward ? i : picture.width - 1 - i;
            const std::uint32_t pixel = source[x];
            if (isTransparent(pixel)) {
                target[x] = 0;
                continue;
            }
            // The pixel's place in the error rows, counting the spare place.
            const std::ptrdiff_t place = (static_cast<std::ptrdiff_t>(x) + 1) * 3;
            int level[3];
            for (int c = 0; c < 3; ++c) {
                const std::ptrdiff_t here = place + c;
                const int wanted = std::clamp(channel(pixel, 16 - 8 * c) +
                                                  current[static_cast<std::size_t>(here)] / 16,
                                              0, 255);
                level[c] = (wanted + cubeStep / 2) / cubeStep;
                const int error = wanted - level[c] * cubeStep;
                current[static_cast<std::size_t>(here + step)] += error * 7;
                next[static_cast<std::size_t>(here - step)] += error * 3;
                next[static_cast<std::size_t>(here)] += error * 5;
                next[static_cast<std::size_t>(here + step)] += error;
            }
            target[x] = halftoneIndex(36 * level[0] + 6 * level[1] + level[2]);
        }
        current.swap(next);
    }
}

} // namespace

DisplayColours displayColoursFor(int bitsPerPixel, bool hasPalette)
{
    if (bitsPerPixel >= 15)
        return DisplayColours::TrueColour;
    if (bitsPerPixel >= 8 && hasPalette)
        return DisplayColours::Colours256;
    return DisplayColours::Colours16;
}

const std::array<std::uint32_t, 256> &halftoneColours()
{
    return halftoneTable;
}

const std::array<std::uint32_t, 16> &vgaColours()
{
    return vgaTable;
}

void ditherPicture(DisplayColours colours, const PictureView &picture,
                   std::span<std::uint8_t> indices)
{
    if (picture.width <= 0 || picture.height <= 0 ||
        indices.size() <
            static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        return;
    if (colours == DisplayColours::Colours256)
        diffuseIntoCube(picture, indices);
    else if (colours == DisplayColours::Colours16)
        orderedToFullIntensity(picture, indices);
}

} // namespace lumox
