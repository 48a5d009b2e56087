// Fuzzes the program's own JPEG and GIF decoder with any bytes, most usefully damaged
// versions of its pictures (the corpus starts from the start-up picture and three banners).
//
// Checks what the front ends rely on: rows are asked for only once a picture has been
// decoded, once, for a size within the decoder's limit; a picture comes back only with the
// size it asked for; every pixel is opaque (alpha 0xFF) or all zero. The sanitizers of the
// fuzz build catch any read or write outside the input or the pixels.

#include "fuzz_support.h"
#include "picture_decoder.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    int asked = 0;
    int askedWidth = 0;
    int askedHeight = 0;
    std::vector<std::uint32_t> pixels;
    const auto decoded =
        lumox::decodePicture(std::as_bytes(std::span(data, size)), [&](int width, int height) {
            ++asked;
            LUMOX_FUZZ_CHECK(width > 0 && height > 0 && width <= 4096 && height <= 4096,
                             std::to_string(width) + " x " + std::to_string(height));
            askedWidth = width;
            askedHeight = height;
            // Filled with a value the decoder never writes, to find pixels it leaves out.
            pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                          0x12345678u);
            // Bottom-up, as the Win32 front end lays out its rows.
            return lumox::PixelRows{pixels.data() +
                                        (pixels.size() - static_cast<std::size_t>(width)),
                                    -static_cast<std::ptrdiff_t>(width)};
        });
    if (!decoded) {
        LUMOX_FUZZ_CHECK(asked == 0, "rows asked for, then no picture");
        return 0;
    }
    LUMOX_FUZZ_CHECK(asked == 1, std::to_string(asked) + " times asked for rows");
    LUMOX_FUZZ_CHECK(decoded->width == askedWidth && decoded->height == askedHeight,
                     "size differs from the rows asked for");
    bool transparent = false;
    for (const std::uint32_t pixel : pixels) {
        LUMOX_FUZZ_CHECK(pixel == 0 || pixel >> 24 == 0xFF, "pixel neither opaque nor clear");
        transparent = transparent || pixel == 0;
    }
    // A black opaque pixel is 0xFF000000, so all-zero pixels are exactly the transparent ones.
    LUMOX_FUZZ_CHECK(transparent == decoded->transparent, "transparency misreported");
    return 0;
}
