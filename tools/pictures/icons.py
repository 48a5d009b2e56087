"""Writers for Windows icon (ICO) and cursor (CUR) files holding 16-colour pictures, and for
RGBA PNG files."""

import struct
import zlib


def _bmp_4bpp(width, height, palette, pixels, opaque):
    """A 4-bit BMP as stored inside ICO and CUR files: the header states twice the height,
    the colour (XOR) bitmap and the transparency (AND) mask follow the palette, both bottom-up
    with rows padded to 4 bytes. Transparent pixels use palette entry 0 and a set mask bit."""
    assert len(palette) == 16
    xor_row = (width * 4 + 31) // 32 * 4
    and_row = (width + 31) // 32 * 4
    xor = bytearray()
    mask = bytearray()
    for y in reversed(range(height)):
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(width):
            i = y * width + x
            index = pixels[i] if opaque[i] else 0
            row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            if not opaque[i]:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += row
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
    return header + colours + bytes(xor) + bytes(mask)


def _directory(kind, images, hot_spots):
    out = bytearray(struct.pack("<HHH", 0, kind, len(images)))
    offset = 6 + 16 * len(images)
    bodies = bytearray()
    for (width, height, palette, pixels, opaque), (field1, field2) in zip(images, hot_spots):
        body = _bmp_4bpp(width, height, palette, pixels, opaque)
        out += struct.pack("<BBBBHHII", width % 256, height % 256, 16, 0, field1, field2,
                           len(body), offset + len(bodies))
        bodies += body
    return bytes(out + bodies)


def write_ico(images):
    """An icon file. Each image is (width, height, palette of 16 RGB tuples, pixel indices row
    by row from the top, opaque flags row by row)."""
    return _directory(1, images, [(1, 4)] * len(images))


def write_cur(image, hot_x, hot_y):
    """A cursor file with one image; the hot spot takes the directory entry's planes and
    bit-count fields."""
    return _directory(2, [image], [(hot_x, hot_y)])


def write_png(width, height, rgba):
    """An 8-bit RGBA PNG; `rgba` holds width * height (r, g, b, a) tuples row by row."""
    raw = bytearray()
    for y in range(height):
        raw.append(0)  # no filter
        for pixel in rgba[y * width:(y + 1) * width]:
            raw += bytes(pixel)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))
