#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

// The program's own decoder for its pictures: the baseline JPEG of the splash window and the
// GIF89a banners. It needs neither Qt nor Windows, so both front ends show the very same
// pixels, each in its own container (a QImage, a DIB section).
namespace lumox {

// Where decoded pixels go: the first of `height` rows of `width` pixels each, rows `stride`
// pixels apart. A negative stride lays the rows out bottom-up, as a bottom-up DIB does.
struct PixelRows
{
    std::uint32_t *first = nullptr;
    std::ptrdiff_t stride = 0;
};

// Asked once a picture's size is known, after its data has been decoded; returns the rows
// to fill, or rows whose `first` is null to give up.
using PixelTarget = std::function<PixelRows(int width, int height)>;

// What decodePicture() found.
struct DecodedPicture
{
    int width = 0;
    int height = 0;
    // Whether any pixel is transparent (a GIF's transparent colour).
    bool transparent = false;
};

// Decodes a picture file held in memory, a JPEG or a GIF (its first image), into 32-bit
// pixels 0xAARRGGBB, native-endian: on a little-endian machine each pixel's bytes are blue,
// green, red and alpha, the layout of a 32-bit DIB and of QImage::Format_ARGB32. A pixel is
// either opaque (alpha 0xFF) or transparent, and a transparent one is all zero, so the same
// pixels also serve as premultiplied ones. A JPEG decodes to the pixels of libjpeg's accurate
// integer transform and smooth chroma upsampling (the pixels Qt's JPEG reader gives) when its
// chroma is sampled 2 x 2 (as the program's is), 1 x 1 or not at all; with other sampling,
// stb_image's own upsampling may round a step differently. A GIF decodes to its colour
// table's colours.
// Returns the picture's size, or nothing when the data is not a JPEG or GIF that can be
// decoded (damaged, cut short, larger than 4096 pixels either way) or `target` gave no rows.
// `target` is called only once the whole picture has been decoded, so a failed decoding
// leaves it untouched. Never reads outside `data`.
std::optional<DecodedPicture> decodePicture(std::span<const std::byte> data,
                                            const PixelTarget &target);

} // namespace lumox
