"""Baseline JPEG encoder: JFIF, YCbCr with 2 x 2 subsampled chroma, the example quantisation
tables scaled by a quality from 1 to 100, and the example Huffman tables of the JPEG standard.
"""

import math
import struct

# Example quantisation tables, row by row.
_LUMA_QUANT = [
    16, 11, 10, 16, 24, 40, 51, 61,
    12, 12, 14, 19, 26, 58, 60, 55,
    14, 13, 16, 24, 40, 57, 69, 56,
    14, 17, 22, 29, 51, 87, 80, 62,
    18, 22, 37, 56, 68, 109, 103, 77,
    24, 35, 55, 64, 81, 104, 113, 92,
    49, 64, 78, 87, 103, 121, 120, 101,
    72, 92, 95, 98, 112, 100, 103, 99,
]
_CHROMA_QUANT = [
    17, 18, 24, 47, 99, 99, 99, 99,
    18, 21, 26, 66, 99, 99, 99, 99,
    24, 26, 56, 99, 99, 99, 99, 99,
    47, 66, 99, 99, 99, 99, 99, 99,
] + [99] * 32

# Example Huffman tables: code counts per length 1..16, then the symbols in code order.
_DC_LUMA = ([0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0], list(range(12)))
_DC_CHROMA = ([0, 3, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0], list(range(12)))
_AC_LUMA = ([0, 2, 1, 3, 3, 2, 4, 3, 5, 5, 4, 4, 0, 0, 1, 0x7D], [
    0x01, 0x02, 0x03, 0x00, 0x04, 0x11, 0x05, 0x12, 0x21, 0x31, 0x41, 0x06, 0x13, 0x51, 0x61,
    0x07, 0x22, 0x71, 0x14, 0x32, 0x81, 0x91, 0xA1, 0x08, 0x23, 0x42, 0xB1, 0xC1, 0x15, 0x52,
    0xD1, 0xF0, 0x24, 0x33, 0x62, 0x72, 0x82, 0x09, 0x0A, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x25,
    0x26, 0x27, 0x28, 0x29, 0x2A, 0x34, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44, 0x45,
    0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63, 0x64,
    0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A, 0x83,
    0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99,
    0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6,
    0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xD2, 0xD3,
    0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8,
    0xE9, 0xEA, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA,
])
_AC_CHROMA = ([0, 2, 1, 2, 4, 4, 3, 4, 7, 5, 4, 4, 0, 1, 2, 0x77], [
    0x00, 0x01, 0x02, 0x03, 0x11, 0x04, 0x05, 0x21, 0x31, 0x06, 0x12, 0x41, 0x51, 0x07, 0x61,
    0x71, 0x13, 0x22, 0x32, 0x81, 0x08, 0x14, 0x42, 0x91, 0xA1, 0xB1, 0xC1, 0x09, 0x23, 0x33,
    0x52, 0xF0, 0x15, 0x62, 0x72, 0xD1, 0x0A, 0x16, 0x24, 0x34, 0xE1, 0x25, 0xF1, 0x17, 0x18,
    0x19, 0x1A, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x35, 0x36, 0x37, 0x38, 0x39, 0x3A, 0x43, 0x44,
    0x45, 0x46, 0x47, 0x48, 0x49, 0x4A, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5A, 0x63,
    0x64, 0x65, 0x66, 0x67, 0x68, 0x69, 0x6A, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A,
    0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97,
    0x98, 0x99, 0x9A, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xB2, 0xB3, 0xB4,
    0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA,
    0xD2, 0xD3, 0xD4, 0xD5, 0xD6, 0xD7, 0xD8, 0xD9, 0xDA, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7,
    0xE8, 0xE9, 0xEA, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA,
])


def _zigzag():
    """Natural (row-major) positions of the 64 coefficients in zig-zag order."""
    order = []
    for s in range(15):
        diagonal = [(r, s - r) for r in range(8) if 0 <= s - r < 8]
        if s % 2 == 0:
            diagonal.reverse()  # even diagonals run upwards (row decreasing)
        order.extend(r * 8 + c for r, c in diagonal)
    return order


ZIGZAG = _zigzag()

_COS = [[(math.sqrt(0.5) if u == 0 else 1.0) * 0.5 * math.cos((2 * x + 1) * u * math.pi / 16)
         for x in range(8)] for u in range(8)]


def _huffman_codes(table):
    """Maps each symbol of a (counts, symbols) table to its (code, length)."""
    counts, symbols = table
    assert sum(counts) == len(symbols)
    codes = {}
    code = 0
    k = 0
    for length in range(1, 17):
        for _ in range(counts[length - 1]):
            codes[symbols[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


def scaled_quant(table, quality):
    """A quantisation table scaled the way the Independent JPEG Group's quality setting does."""
    quality = min(max(quality, 1), 100)
    factor = 5000 // quality if quality < 50 else 200 - 2 * quality
    return [min(max((q * factor + 50) // 100, 1), 255) for q in table]


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def write(self, code, length):
        self.acc = (self.acc << length) | code
        self.n += length
        while self.n >= 8:
            self.n -= 8
            byte = (self.acc >> self.n) & 0xFF
            self.out.append(byte)
            if byte == 0xFF:
                self.out.append(0)  # stuffed zero keeps the data free of markers
        self.acc &= (1 << self.n) - 1

    def flush(self):
        if self.n:
            self.write((1 << (8 - self.n)) - 1, 8 - self.n)  # pad with one-bits
        return bytes(self.out)


def _fdct(block):
    """Two-dimensional forward DCT of 64 level-shifted samples (row-major)."""
    rows = []
    for y in range(8):
        r = block[y * 8:y * 8 + 8]
        rows.append([sum(c * v for c, v in zip(_COS[u], r)) for u in range(8)])
    out = [0.0] * 64
    for u in range(8):
        column = [rows[y][u] for y in range(8)]
        for v in range(8):
            out[v * 8 + u] = sum(c * s for c, s in zip(_COS[v], column))
    return out


def _planes(rgb_rows, width, height):
    """Y, Cb and Cr planes (level shifted by -128), padded to whole 16 x 16 units by repeating
    the last column and row; chroma averaged over 2 x 2 pixels."""
    pw = (width + 15) // 16 * 16
    ph = (height + 15) // 16 * 16
    ys, cbs, crs = [], [], []
    for y in range(ph):
        row = rgb_rows[min(y, height - 1)]
        row = row + [row[-1]] * (pw - width)
        ys.append([0.299 * r + 0.587 * g + 0.114 * b - 128 for r, g, b in row])
        cbs.append([-0.168736 * r - 0.331264 * g + 0.5 * b for r, g, b in row])
        crs.append([0.5 * r - 0.418688 * g - 0.081312 * b for r, g, b in row])

    def half(plane):
        return [[(plane[2 * y][2 * x] + plane[2 * y][2 * x + 1] + plane[2 * y + 1][2 * x]
                  + plane[2 * y + 1][2 * x + 1]) / 4 for x in range(pw // 2)]
                for y in range(ph // 2)]

    return ys, half(cbs), half(crs), pw, ph


def _block(plane, bx, by):
    return [v for row in plane[by * 8:by * 8 + 8] for v in row[bx * 8:bx * 8 + 8]]


class Encoder:
    """Encodes one RGB picture; the colour transform and DCT run once, so trying several
    qualities in a row is cheap."""

    def __init__(self, rgb_rows, width, height):
        self.width = width
        self.height = height
        ys, cbs, crs, pw, ph = _planes(rgb_rows, width, height)
        self.units = []  # per 16 x 16 unit: four luma blocks, Cb, Cr (DCT coefficients)
        for uy in range(ph // 16):
            for ux in range(pw // 16):
                blocks = [_fdct(_block(ys, ux * 2 + dx, uy * 2 + dy))
                          for dy in (0, 1) for dx in (0, 1)]
                blocks.append(_fdct(_block(cbs, ux, uy)))
                blocks.append(_fdct(_block(crs, ux, uy)))
                self.units.append(blocks)

    def encode(self, quality, comments=(), density=96):
        """The JPEG file at `quality`; `comments` are byte strings written as COM segments
        between the JFIF header and the frame header."""
        lq = scaled_quant(_LUMA_QUANT, quality)
        cq = scaled_quant(_CHROMA_QUANT, quality)
        out = bytearray(b"\xFF\xD8")
        out += _segment(0xE0, b"JFIF\x00" + struct.pack(">BBBHHBB", 1, 1, 1, density,
                                                        density, 0, 0))
        for comment in comments:
            out += _segment(0xFE, comment)
        out += _segment(0xDB, bytes([0]) + bytes(lq[i] for i in ZIGZAG)
                        + bytes([1]) + bytes(cq[i] for i in ZIGZAG))
        out += _segment(0xC0, struct.pack(">BHHB", 8, self.height, self.width, 3)
                        + bytes([1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1]))
        dht = bytearray()
        for cls_id, table in ((0x00, _DC_LUMA), (0x10, _AC_LUMA), (0x01, _DC_CHROMA),
                              (0x11, _AC_CHROMA)):
            dht += bytes([cls_id]) + bytes(table[0]) + bytes(table[1])
        out += _segment(0xC4, bytes(dht))
        out += _segment(0xDA, bytes([3, 1, 0x00, 2, 0x11, 3, 0x11, 0, 63, 0]))
        out += self._scan(lq, cq)
        out += b"\xFF\xD9"
        return bytes(out)

    def _scan(self, lq, cq):
        luma = (_huffman_codes(_DC_LUMA), _huffman_codes(_AC_LUMA), lq)
        chroma = (_huffman_codes(_DC_CHROMA), _huffman_codes(_AC_CHROMA), cq)
        bits = _BitWriter()
        previous_dc = [0, 0, 0]
        for blocks in self.units:
            for k, coefficients in enumerate(blocks):
                component = 0 if k < 4 else k - 3
                dc_codes, ac_codes, quant = luma if component == 0 else chroma
                q = [int(round(coefficients[i] / quant[i])) for i in ZIGZAG]
                diff = q[0] - previous_dc[component]
                previous_dc[component] = q[0]
                _put_value(bits, dc_codes, 0, diff)
                run = 0
                for value in q[1:]:
                    if value == 0:
                        run += 1
                        continue
                    while run > 15:
                        bits.write(*ac_codes[0xF0])
                        run -= 16
                    _put_value(bits, ac_codes, run << 4, value)
                    run = 0
                if run:
                    bits.write(*ac_codes[0x00])
        return bits.flush()


def _put_value(bits, codes, high, value):
    size = abs(value).bit_length()
    bits.write(*codes[high | size])
    if size:
        bits.write(value if value > 0 else value + (1 << size) - 1, size)


def _segment(marker, payload):
    assert len(payload) + 2 <= 0xFFFF
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload
