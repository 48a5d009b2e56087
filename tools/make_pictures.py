#!/usr/bin/env python3
"""Draws every picture of Lumox 2000 and writes them into resources/.

    python3 tools/make_pictures.py [--out DIR]

Pure standard-library Python; the same bytes come out on every run. Each file must keep the
exact byte size, colour table and layout listed in SPONSORS and in the functions below, so
the pictures are padded with comments up to their sizes.

The comments also carry what tests/pictures checks the decoded pictures against:
  - a sponsor banner's comment ends its text with "Pixel-index CRC-32: 0xXXXXXXXX", the
    CRC-32 of the colour-table index of every pixel, row by row from the top;
  - the start-up picture's comment holds "Block means (24 x 24, RGB hex):" followed by the
    average colour of each 24 x 24 pixel block of the drawing before compression, row by
    row, two hex digits per channel; then "Luma means (12 x 12, hex):" followed by the
    average luma (0.299 R + 0.587 G + 0.114 B) of each 12 x 12 block, two hex digits each.
    The 12-pixel blocks cut across the encoder's 8 x 8 blocks, so their averages depend on
    the AC coefficients too, not only on the DC ones.
"""

import argparse
import os
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from pictures import banners, gif, icon_art, icons, jpeg, splash  # noqa: E402

# Sponsor banner number: (file size, colour table entries, interlaced, transparent index).
SPONSORS = {
    1: (2146, 64, True, None),
    2: (2174, 64, True, 50),
    3: (2618, 128, True, 65),
    4: (2107, 64, False, None),
    5: (2170, 64, True, None),
    6: (1828, 32, True, None),
    7: (2231, 64, True, None),
    8: (1850, 16, True, None),
    9: (2113, 64, True, None),
    10: (2154, 64, True, None),
    11: (3793, 256, True, None),
}
INITIAL_BANNER = 8

STARTUP_SIZE = 14458
STARTUP_COLOUR_BLOCK = 24
STARTUP_LUMA_BLOCK = 12
HAND_HOT_SPOT = (12, 1)


def make_banners():
    files = {}
    for number, design in zip(sorted(SPONSORS), banners.DESIGNS):
        size, entries, interlaced, transparent = SPONSORS[number]
        banner = design()
        assert len(banner.palette) == entries, (number, len(banner.palette))
        assert banner.transparent == transparent, number
        crc = zlib.crc32(banner.pixels) & 0xFFFFFFFF
        comment = (f"Lumox 2000 sponsor banner {number:02d}: {banner.sponsor}, a made-up "
                   f"sponsor. Pixel-index CRC-32: 0x{crc:08X}").encode("ascii")
        files[f"banners/sponsor{number:02d}.gif"] = gif.write(
            banners.WIDTH, banners.HEIGHT, banner.palette, banner.pixels,
            interlaced=interlaced, transparent=transparent, comment=comment, size=size)
    files["banners/initial.gif"] = files[f"banners/sponsor{INITIAL_BANNER:02d}.gif"]
    return files


def block_means(rows, width, height, block, value):
    """Rounded average of value(pixel) over each block x block square (cut short at the
    edges), row by row."""
    means = []
    for by in range(0, height, block):
        for bx in range(0, width, block):
            values = [value(rows[y][x]) for y in range(by, min(by + block, height))
                      for x in range(bx, min(bx + block, width))]
            means.append(int(sum(values) / len(values) + 0.5))
    return means


def make_startup():
    width, height, rows = splash.draw()
    colour = [block_means(rows, width, height, STARTUP_COLOUR_BLOCK, lambda p, c=c: p[c])
              for c in range(3)]
    luma = block_means(rows, width, height, STARTUP_LUMA_BLOCK,
                       lambda p: 0.299 * p[0] + 0.587 * p[1] + 0.114 * p[2])
    text = ("Lumox 2000 start-up picture. Block means (%d x %d, RGB hex): %s. "
            "Luma means (%d x %d, hex): %s." % (
                STARTUP_COLOUR_BLOCK, STARTUP_COLOUR_BLOCK,
                "".join("%02x%02x%02x" % rgb for rgb in zip(*colour)),
                STARTUP_LUMA_BLOCK, STARTUP_LUMA_BLOCK,
                "".join("%02x" % y for y in luma))).encode()
    encoder = jpeg.Encoder(rows, width, height)
    # The best quality whose file, with the comment, still fits; spaces fill the rest.
    for quality in range(95, 0, -1):
        plain = encoder.encode(quality, [text])
        if len(plain) <= STARTUP_SIZE:
            break
    else:
        raise SystemExit("start-up picture does not fit at any quality")
    fill = STARTUP_SIZE - len(plain)
    comments = [text + b" " * min(fill, 0xFFFD - len(text))]
    fill -= len(comments[0]) - len(text)
    while fill:
        # Further segments cost 4 bytes of marker and length each.
        assert fill >= 4, "cannot pad the start-up picture by fewer than 4 bytes"
        chunk = min(fill - 4, 0xFFFD)
        comments.append(b" " * chunk)
        fill -= chunk + 4
    data = encoder.encode(quality, comments)
    assert len(data) == STARTUP_SIZE
    print(f"startup.jpg: quality {quality}")
    return {"startup.jpg": data}


def make_icons():
    big, small = icon_art.icon(32), icon_art.icon(16)
    hand = icon_art.hand()
    files = {
        "lumox.ico": icons.write_ico([big.ico_image(), small.ico_image()]),
        "hand.cur": icons.write_cur(hand.ico_image(), *HAND_HOT_SPOT),
        "icons/hicolor/32x32/apps/lumox2000.png": big.png(),
        "icons/hicolor/16x16/apps/lumox2000.png": small.png(),
        # The same two images for the program's windows, which it decodes itself.
        "icons/lumox-32.gif": big.gif(),
        "icons/lumox-16.gif": small.gif(),
    }
    return files


QRC_ALIASES = (
    ["startup.jpg", "banners/initial.gif"]
    + [f"banners/sponsor{n:02d}.gif" for n in sorted(SPONSORS)]
    + ["hand.cur", "lumox.ico", "icons/lumox-16.gif", "icons/lumox-32.gif"])


def make_qrc():
    lines = ["<!DOCTYPE RCC>", '<RCC version="1.0">', '    <qresource prefix="/">']
    for alias in QRC_ALIASES:
        lines.append(f'        <file alias="{alias}">{alias}</file>')
    lines += ["    </qresource>", "</RCC>", ""]
    return {"pictures.qrc": "\n".join(lines).encode()}


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(here, "..", "resources"),
                        help="folder to write into (default: resources/)")
    args = parser.parse_args()
    files = {}
    for make in (make_banners, make_startup, make_icons, make_qrc):
        files.update(make())
    for name, data in sorted(files.items()):
        path = os.path.join(args.out, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)
        print(f"{len(data):6d}  {name}")


if __name__ == "__main__":
    main()
