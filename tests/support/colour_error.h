#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

// How far a picture shown in few colours looks from the picture itself: both blurred
// alike, as the eye blurs them, by a Gaussian of sigma 1 pixel, then compared as the root
// mean square of the differences over the chosen pixels and their three channels, on a
// 0 to 255 scale.
namespace lumox::test {

// A picture as rows of 0x00RRGGBB (any alpha is ignored), top row first, with a flag for
// each pixel saying whether it counts.
struct ColourPicture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::vector<bool> counts;
};

namespace detail {

// One channel of a picture, blurred along x and then y by the Gaussian of sigma 1 over
// radius 4, the edge pixels repeated outside the picture.
inline std::vector<double> blurredChannel(const ColourPicture &picture, int shift)
{
    constexpr int radius = 4;
    double kernel[2 * radius + 1];
    double sum = 0;
    for (int i = -radius; i <= radius; ++i) {
        kernel[i + radius] = std::exp(-0.5 * i * i);
        sum += kernel[i + radius];
    }
    for (double &weight : kernel)
        weight /= sum;
    const int width = picture.width;
    const int height = picture.height;
    auto at = [width](int x, int y) { return static_cast<std::size_t>(y) * width + x; };
    std::vector<double> values(picture.pixels.size());
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = static_cast<double>((picture.pixels[i] >> shift) & 0xFF);
    std::vector<double> across(values.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double total = 0;
            for (int i = -radius; i <= radius; ++i) {
                const int from = x + i < 0 ? 0 : (x + i >= width ? width - 1 : x + i);
                total += kernel[i + radius] * values[at(from, y)];
            }
            across[at(x, y)] = total;
        }
    }
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double total = 0;
            for (int i = -radius; i <= radius; ++i) {
                const int from = y + i < 0 ? 0 : (y + i >= height ? height - 1 : y + i);
                total += kernel[i + radius] * across[at(x, from)];
            }
            values[at(x, y)] = total;
        }
    }
    return values;
}

} // namespace detail

// The blurred RMS difference of `shown` from `original`, two pictures of the same size,
// over the pixels that count in `original`; 0 when none does.
inline double blurredRmsDifference(const ColourPicture &original, const ColourPicture &shown)
{
    double squares = 0;
    std::size_t samples = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::vector<double> a = detail::blurredChannel(original, shift);
        const std::vector<double> b = detail::blurredChannel(shown, shift);
        for (std::size_t i = 0; i < a.size(); ++i) {
            if (!original.counts[i])
                continue;
            squares += (a[i] - b[i]) * (a[i] - b[i]);
            ++samples;
        }
    }
    return samples == 0 ? 0.0 : std::sqrt(squares / static_cast<double>(samples));
}

} // namespace lumox::test
