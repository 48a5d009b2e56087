#include "picture_decoder.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

// stb_image, compiled here and nowhere else: its JPEG and GIF readers only, reading from
// memory, in plain C (no SSE2 or NEON paths, so the 32-bit Windows build runs on a 486),
// with every function private to this file and no thread-local state (the program has one
// thread, and the Windows build would otherwise link the compiler's emulation of it).
// Pictures larger than 4096 pixels either way are refused before anything is allocated
// for them.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_NO_STDIO
#define STBI_NO_SIMD
#define STBI_NO_FAILURE_STRINGS
#define STBI_NO_THREAD_LOCALS
#define STBI_MAX_DIMENSIONS 4096
#include <stb_image.h>

namespace lumox {

namespace {

// stb_image's own JPEG transform, upsampling and colour conversion round differently from
// libjpeg's, by up to 3 steps in a fifth of the splash picture's pixels. These three take
// their place, with libjpeg's arithmetic, so the pictures look exactly as libjpeg (and
// every reader built on it) decodes them.

constexpr std::uint8_t clampSample(int value)
{
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// The accurate integer inverse DCT (13-bit constants, 2 extra bits between the passes) of
// one block of dequantised coefficients, rows of 8, into 8 x 8 samples. Sums are 64-bit so
// that even the coefficients of damaged data cannot overflow them.
using Wide = std::int64_t;
constexpr int constBits = 13;
constexpr int pass1Bits = 2;

constexpr Wide descale(Wide value, int bits)
{
    return (value + (Wide{1} << (bits - 1))) >> bits;
}

// The one-dimensional transform of eight values, before descaling.
struct Idct1d
{
    Wide out[8];
};

inline Idct1d idct1d(Wide s0, Wide s1, Wide s2, Wide s3, Wide s4, Wide s5, Wide s6, Wide s7)
{
    constexpr Wide fix0_298631336 = 2446;
    constexpr Wide fix0_390180644 = 3196;
    constexpr Wide fix0_541196100 = 4433;
    constexpr Wide fix0_765366865 = 6270;
    constexpr Wide fix0_899976223 = 7373;
    constexpr Wide fix1_175875602 = 9633;
    constexpr Wide fix1_501321110 = 12299;
    constexpr Wide fix1_847759065 = 15137;
    constexpr Wide fix1_961570560 = 16069;
    constexpr Wide fix2_053119869 = 16819;
    constexpr Wide fix2_562915447 = 20995;
    constexpr Wide fix3_072711026 = 25172;

    // Even part.
    const Wide z1 = (s2 + s6) * fix0_541196100;
    const Wide even2 = z1 - s6 * fix1_847759065;
    const Wide even3 = z1 + s2 * fix0_765366865;
    const Wide even0 = (s0 + s4) * (Wide{1} << constBits);
    const Wide even1 = (s0 - s4) * (Wide{1} << constBits);
    const Wide tmp10 = even0 + even3;
    const Wide tmp13 = even0 - even3;
    const Wide tmp11 = even1 + even2;
    const Wide tmp12 = even1 - even2;

    // Odd part.
    const Wide sum73 = s7 + s3;
    const Wide sum51 = s5 + s1;
    const Wide z5 = (sum73 + sum51) * fix1_175875602;
    const Wide za = (s7 + s1) * -fix0_899976223;
    const Wide zb = (s5 + s3) * -fix2_562915447;
    const Wide zc = sum73 * -fix1_961570560 + z5;
    const Wide zd = sum51 * -fix0_390180644 + z5;
    const Wide odd0 = s7 * fix0_298631336 + za + zc;
    const Wide odd1 = s5 * fix2_053119869 + zb + zd;
    const Wide odd2 = s3 * fix3_072711026 + zb + zc;
    const Wide odd3 = s1 * fix1_501321110 + za + zd;

    return {{tmp10 + odd3, tmp11 + odd2, tmp12 + odd1, tmp13 + odd0, tmp13 - odd0, tmp12 - odd1,
             tmp11 - odd2, tmp10 - odd3}};
}

// libjpeg's post-transform range limit, as its table: the value, centred, clamped to a
// sample, with anything beyond +-512 wrapping around.
constexpr std::array<std::uint8_t, 1024> makeRangeLimit()
{
    std::array<std::uint8_t, 1024> table{};
    for (int i = 0; i < 1024; ++i)
        table[static_cast<std::size_t>(i)] = clampSample((i < 512 ? i : i - 1024) + 128);
    return table;
}

constexpr std::array<std::uint8_t, 1024> rangeLimitTable = makeRangeLimit();

std::uint8_t rangeLimit(Wide value)
{
    return rangeLimitTable[static_cast<std::size_t>(value & 1023)];
}

// The three kernels take the parameters stb_image's kernel pointers give them.
void idctBlock(stbi_uc *out, int outStride,
               short data[64]) // NOLINT(readability-non-const-parameter): stb's signature
{
    Wide workspace[64];
    for (int column = 0; column < 8; ++column) {
        const short *in = data + column;
        // A column of nothing but its DC term transforms to that term, scaled, as the full
        // transform would give it (libjpeg takes the same short cut).
        if ((in[8] | in[16] | in[24] | in[32] | in[40] | in[48] | in[56]) == 0) {
            for (int row = 0; row < 8; ++row)
                workspace[row * 8 + column] = static_cast<Wide>(in[0]) * (1 << pass1Bits);
            continue;
        }
        const Idct1d result = idct1d(in[0], in[8], in[16], in[24], in[32], in[40], in[48], in[56]);
        for (int row = 0; row < 8; ++row)
            workspace[row * 8 + column] = descale(result.out[row], constBits - pass1Bits);
    }
    for (int row = 0; row < 8; ++row) {
        const Wide *in = workspace + static_cast<std::ptrdiff_t>(row) * 8;
        stbi_uc *line = out + static_cast<std::ptrdiff_t>(row) * outStride;
        // Likewise a row of nothing but its DC term.
        if ((in[1] | in[2] | in[3] | in[4] | in[5] | in[6] | in[7]) == 0) {
            const stbi_uc sample = rangeLimit(descale(in[0], pass1Bits + 3));
            for (int column = 0; column < 8; ++column)
                line[column] = sample;
            continue;
        }
        const Idct1d result = idct1d(in[0], in[1], in[2], in[3], in[4], in[5], in[6], in[7]);
        for (int column = 0; column < 8; ++column)
            line[column] = rangeLimit(descale(result.out[column], constBits + pass1Bits + 3));
    }
}

// Chroma sampled 2 x 2 brought to full size, "fancy" (triangle-weighted) upsampling: one
// output row from the nearer input row (weight 3) and the farther one (weight 1), each
// input sample spread over two output samples with weights 3 and 1. The rounding biases
// alternate between 8 and 7, as libjpeg's do.
stbi_uc *upsampleH2V2(stbi_uc *out,
                      stbi_uc *near, // NOLINT(readability-non-const-parameter): stb's signature
                      stbi_uc *far, int width, int)
{
    const auto columnSum = [near, far](int i) { return 3 * near[i] + far[i]; };
    int current = columnSum(0);
    if (width == 1) {
        out[0] = static_cast<stbi_uc>((current * 4 + 8) >> 4);
        out[1] = static_cast<stbi_uc>((current * 4 + 7) >> 4);
        return out;
    }
    int previous = current;
    for (int i = 0; i < width; ++i) {
        const int next = i + 1 < width ? columnSum(i + 1) : current;
        stbi_uc *pair = out + static_cast<std::ptrdiff_t>(i) * 2;
        pair[0] = static_cast<stbi_uc>((current * 3 + previous + 8) >> 4);
        pair[1] = static_cast<stbi_uc>((current * 3 + next + 7) >> 4);
        previous = current;
        current = next;
    }
    return out;
}

// YCbCr to RGB with libjpeg's 16-bit fixed-point factors and rounding, through its tables.
struct ColourTables
{
    int crToRed[256];
    int cbToBlue[256];
    int crToGreen[256]; // unshifted
    int cbToGreen[256]; // unshifted, with the rounding half
};

constexpr ColourTables makeColourTables()
{
    constexpr int scaleBits = 16;
    constexpr int oneHalf = 1 << (scaleBits - 1);
    ColourTables tables{};
    for (int i = 0; i < 256; ++i) {
        const int x = i - 128;
        tables.crToRed[i] = (91881 * x + oneHalf) >> scaleBits;   // 1.40200
        tables.cbToBlue[i] = (116130 * x + oneHalf) >> scaleBits; // 1.77200
        tables.crToGreen[i] = -46802 * x;                         // 0.71414
        tables.cbToGreen[i] = -22554 * x + oneHalf;               // 0.34414
    }
    return tables;
}

constexpr ColourTables colourTables = makeColourTables();

// Samples from -256 to 511 clamped, at an offset of 256: the colour conversion's sums stay
// within that.
constexpr std::array<std::uint8_t, 768> makeClampTable()
{
    std::array<std::uint8_t, 768> table{};
    for (int i = 0; i < 768; ++i)
        table[static_cast<std::size_t>(i)] = clampSample(i - 256);
    return table;
}

constexpr std::array<std::uint8_t, 768> clampTable = makeClampTable();

std::uint8_t clampColour(int value)
{
    const int index = value + 256;
    return clampTable[static_cast<std::size_t>(index)];
}

// Unlike stb_image's own, it writes each pixel in its final form, a native 0xFFRRGGBB, so
// that the picture need not be converted again afterwards.
void yccToRgb(stbi_uc *out, const stbi_uc *y, const stbi_uc *cb, const stbi_uc *cr, int count,
              int step)
{
    for (int i = 0; i < count; ++i, out += step) {
        const int luma = y[i];
        const std::uint32_t red = clampColour(luma + colourTables.crToRed[cr[i]]);
        const std::uint32_t green = clampColour(
            luma + ((colourTables.cbToGreen[cb[i]] + colourTables.crToGreen[cr[i]]) >> 16));
        const std::uint32_t blue = clampColour(luma + colourTables.cbToBlue[cb[i]]);
        const std::uint32_t pixel = 0xFF000000u | red << 16 | green << 8 | blue;
        std::memcpy(out, &pixel, sizeof pixel);
    }
}

struct StbFree
{
    void operator()(stbi_uc *pixels) const { stbi_image_free(pixels); }
};
using StbPixels = std::unique_ptr<stbi_uc, StbFree>;

// The version of stb_image this is built with trusts a Huffman table's code counts: a table
// that claims more than 256 codes writes past the arrays it fills. Every place where its
// reader could meet a table definition (the marker 0xFF 0xC4, wherever it stands) is
// checked first, reading the tables as it would; data with an oversized table is refused.
bool huffmanTablesFit(const stbi_uc *data, int size)
{
    const auto byteAt = [data, size](int position) {
        return position >= 0 && position < size ? int{data[position]} : 0;
    };
    for (int marker = 1; marker < size; ++marker) {
        if (data[marker] != 0xC4 || data[marker - 1] != 0xFF)
            continue;
        int position = marker + 1;
        int left = (byteAt(position) << 8 | byteAt(position + 1)) - 2;
        position += 2;
        while (left > 0 && position < size) {
            const int classAndSlot = byteAt(position++);
            if (classAndSlot >> 4 > 1 || (classAndSlot & 15) > 3)
                break; // refused by the reader itself
            int codes = 0;
            for (int length = 0; length < 16; ++length)
                codes += byteAt(position++);
            if (codes > 256)
                return false;
            position += codes;
            left -= 17 + codes;
        }
    }
    return true;
}

// stb_image's JPEG reader with the three kernels above in place of its own.
std::unique_ptr<stbi__jpeg> makeJpegReader(stbi__context *context)
{
    context->img_n = 0; // no components yet, so none to free
    auto jpeg = std::make_unique<stbi__jpeg>();
    jpeg->s = context;
    stbi__setup_jpeg(jpeg.get());
    jpeg->idct_block_kernel = idctBlock;
    jpeg->YCbCr_to_RGB_kernel = yccToRgb;
    jpeg->resample_row_hv_2_kernel = upsampleH2V2;
    return jpeg;
}

// Frees what the reader allocated for the picture's components.
struct JpegComponentsFree
{
    void operator()(stbi__jpeg *jpeg) const { stbi__cleanup_jpeg(jpeg); }
};

// Decodes a colour (YCbCr) JPEG straight into the target's rows: each row is upsampled and
// converted as stb_image's load_jpeg_image does it, but written where it belongs, with no
// picture in between to allocate and copy (for the splash picture a third of a megabyte).
// Comes back false, having asked nothing of the target, for a JPEG of any other kind (grey,
// RGB, CMYK), which the caller decodes again the ordinary way; a picture that fails to
// decode is done with here, so `picture` stays empty and the result is true.
bool decodeColourJpeg(const stbi_uc *data, int size, const PixelTarget &target,
                      std::optional<DecodedPicture> &picture)
{
    stbi__context context;
    stbi__start_mem(&context, data, size);
    const auto jpeg = makeJpegReader(&context);
    const std::unique_ptr<stbi__jpeg, JpegComponentsFree> components(jpeg.get());
    if (stbi__decode_jpeg_image(jpeg.get()) == 0)
        return true;
    // The condition under which stb_image converts colours with the kernel.
    const bool rgb = jpeg->rgb == 3 || (jpeg->app14_color_transform == 0 && jpeg->jfif == 0);
    if (jpeg->s->img_n != 3 || rgb)
        return false;

    const int width = static_cast<int>(jpeg->s->img_x);
    const int height = static_cast<int>(jpeg->s->img_y);
    std::array<stbi__resample, 3> resamplers{};
    for (std::size_t k = 0; k < resamplers.size(); ++k) {
        auto &component = jpeg->img_comp[k];
        // Room for upsampling past the right edge by up to four.
        component.linebuf = static_cast<stbi_uc *>(stbi__malloc(jpeg->s->img_x + 3));
        if (component.linebuf == nullptr)
            return true;
        stbi__resample &r = resamplers[k];
        r.hs = jpeg->img_h_max / component.h;
        r.vs = jpeg->img_v_max / component.v;
        r.ystep = r.vs >> 1;
        r.w_lores = (width + r.hs - 1) / r.hs;
        r.ypos = 0;
        r.line0 = r.line1 = component.data;
        if (r.hs == 1 && r.vs == 1)
            r.resample = resample_row_1;
        else if (r.hs == 1 && r.vs == 2)
            r.resample = stbi__resample_row_v_2;
        else if (r.hs == 2 && r.vs == 1)
            r.resample = stbi__resample_row_h_2;
        else if (r.hs == 2 && r.vs == 2)
            r.resample = jpeg->resample_row_hv_2_kernel;
        else
            r.resample = stbi__resample_row_generic;
    }

    const PixelRows rows = target(width, height);
    if (rows.first == nullptr)
        return true;
    for (int y = 0; y < height; ++y) {
        std::array<stbi_uc *, 3> samples{};
        for (std::size_t k = 0; k < resamplers.size(); ++k) {
            stbi__resample &r = resamplers[k];
            const bool bottom = r.ystep >= (r.vs >> 1);
            samples[k] = r.resample(jpeg->img_comp[k].linebuf, bottom ? r.line1 : r.line0,
                                    bottom ? r.line0 : r.line1, r.w_lores, r.hs);
            if (++r.ystep >= r.vs) {
                r.ystep = 0;
                r.line0 = r.line1;
                if (++r.ypos < jpeg->img_comp[k].y)
                    r.line1 += jpeg->img_comp[k].w2;
            }
        }
        yccToRgb(reinterpret_cast<stbi_uc *>(rows.first + y * rows.stride), samples[0], samples[1],
                 samples[2], width, 4);
    }
    picture = DecodedPicture{width, height, false};
    return true;
}

// Decodes a JPEG of any kind into stb_image's red, green, blue and alpha bytes.
StbPixels decodeJpeg(const stbi_uc *data, int size, int *width, int *height)
{
    stbi__context context;
    stbi__start_mem(&context, data, size);
    const auto jpeg = makeJpegReader(&context);
    int components = 0;
    return StbPixels(load_jpeg_image(jpeg.get(), width, height, &components, 4));
}

} // namespace

std::optional<DecodedPicture> decodePicture(std::span<const std::byte> data,
                                            const PixelTarget &target)
{
    if (data.size() < 4 || data.size() > static_cast<std::size_t>(INT_MAX))
        return std::nullopt;
    const auto *bytes = reinterpret_cast<const stbi_uc *>(data.data());
    const int size = static_cast<int>(data.size());
    int width = 0;
    int height = 0;
    StbPixels rgba;
    if (bytes[0] == 0xFF && bytes[1] == 0xD8) {
        if (!huffmanTablesFit(bytes, size))
            return std::nullopt;
        std::optional<DecodedPicture> picture;
        if (decodeColourJpeg(bytes, size, target, picture))
            return picture;
        rgba = decodeJpeg(bytes, size, &width, &height);
    } else if (bytes[0] == 'G' && bytes[1] == 'I' && bytes[2] == 'F') {
        int components = 0;
        rgba = StbPixels(stbi_load_from_memory(bytes, size, &width, &height, &components, 4));
    }
    if (!rgba || width <= 0 || height <= 0)
        return std::nullopt;

    const PixelRows rows = target(width, height);
    if (rows.first == nullptr)
        return std::nullopt;
    DecodedPicture picture{width, height, false};
    const stbi_uc *in = rgba.get();
    std::uint32_t transparent = 0;
    for (int y = 0; y < height; ++y) {
        std::uint32_t *out = rows.first + y * rows.stride;
        for (int x = 0; x < width; ++x, in += 4) {
            // stb_image gives the bytes red, green, blue and alpha; alpha is 0 or 0xFF.
            const std::uint32_t opaque = 0u - std::uint32_t{in[3] != 0};
            out[x] = opaque & (0xFF000000u | std::uint32_t{in[0]} << 16 |
                               std::uint32_t{in[1]} << 8 | std::uint32_t{in[2]});
            transparent |= ~opaque;
        }
    }
    picture.transparent = transparent != 0;
    return picture;
}

} // namespace lumox
