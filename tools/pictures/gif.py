"""GIF89a writer: one image with a global colour table, optional transparency and
interlacing, LZW-compressed, padded to an exact file size with a comment extension."""

import struct

MAX_CODE_BITS = 12


def lzw_encode(indices, min_code_size):
    """Variable-width LZW codes packed least significant bit first, as GIF stores them.

    The stream starts with a clear code, and the table is cleared again whenever all 4096
    codes are taken; it ends with the end-of-information code.
    """
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    acc = 0
    nbits = 0

    def emit(code, width):
        nonlocal acc, nbits
        acc |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            nbits -= 8

    def reset():
        return {}, end + 1, min_code_size + 1

    table, next_code, width = reset()
    emit(clear, width)
    prefix = None
    for index in indices:
        if prefix is None:
            prefix = index
            continue
        key = (prefix, index)
        code = table.get(key)
        if code is not None:
            prefix = code
            continue
        emit(prefix, width)
        table[key] = next_code
        next_code += 1
        # The decoder adds its entries one code later, so the width grows once the code
        # just added no longer fits.
        if next_code > (1 << width) and width < MAX_CODE_BITS:
            width += 1
        if next_code == 1 << MAX_CODE_BITS:
            emit(clear, width)
            table, next_code, width = reset()
        prefix = index
    if prefix is not None:
        emit(prefix, width)
        # The decoder adds an entry for this code too; the end code must be read at the
        # width that entry leads to.
        if next_code + 1 > (1 << width) and width < MAX_CODE_BITS and next_code > end + 1:
            width += 1
    emit(end, width)
    if nbits:
        out.append(acc & 0xFF)
    return bytes(out)


def interlaced_rows(height):
    """Row numbers in the order an interlaced GIF stores them."""
    order = []
    for start, step in ((0, 8), (4, 8), (2, 4), (1, 2)):
        order.extend(range(start, height, step))
    return order


def _sub_blocks(data, count=None):
    """Splits data into `count` sub-blocks (at most 255 bytes each) plus the terminator."""
    if count is None:
        count = (len(data) + 254) // 255
    out = bytearray()
    pos = 0
    for k in range(count):
        size = (len(data) - pos) // (count - k) + (1 if (len(data) - pos) % (count - k) else 0)
        out.append(size)
        out += data[pos:pos + size]
        pos += size
    out.append(0)
    return bytes(out)


def _comment(text, total):
    """A comment extension of exactly `total` bytes whose text starts with `text`, filled up
    with spaces."""
    room = total - 3  # introducer, label, terminator
    for count in range(1, room + 1):
        size = room - count
        if size < len(text) or size < count:
            break
        if (size + 254) // 255 <= count:
            payload = text + b" " * (size - len(text))
            return b"\x21\xFE" + _sub_blocks(payload, count)
    raise ValueError(f"no comment of {total} bytes holds {len(text)} bytes of text")


def write(width, height, palette, pixels, *, interlaced, transparent=None, comment=b"",
          size=None):
    """The bytes of a GIF89a file.

    `palette` is a list of RGB tuples whose length is a power of two from 2 to 256; `pixels`
    holds width * height palette indices row by row. With `size`, a comment extension holding
    `comment` is put before the trailer and grown until the file has exactly `size` bytes.
    """
    entries = len(palette)
    bits = entries.bit_length() - 1
    assert 2 <= entries <= 256 and entries == 1 << bits
    assert len(pixels) == width * height and max(pixels) < entries

    head = bytearray(b"GIF89a")
    head += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (bits - 1), 0, 0)
    for rgb in palette:
        head += bytes(rgb)
    if transparent is not None:
        head += b"\x21\xF9\x04" + bytes([0x01]) + struct.pack("<HB", 0, transparent) + b"\x00"
    head += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0x40 if interlaced else 0)

    order = interlaced_rows(height) if interlaced else range(height)
    stored = [pixels[y * width + x] for y in order for x in range(width)]
    min_code_size = max(bits, 2)
    data = lzw_encode(stored, min_code_size)
    image = bytes([min_code_size]) + _sub_blocks(data)

    if size is None:
        return bytes(head + image + (b"\x21\xFE" + _sub_blocks(comment) if comment else b"")
                     + b"\x3B")
    gap = size - len(head) - len(image) - 1
    return bytes(head + image + _comment(comment, gap) + b"\x3B")
