"""The program icon and the hand pointer: 16-colour pictures with transparency."""

from . import gif, icons
from .raster import Raster

# The sixteen standard colours of 4-bit Windows pictures.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, NAVY, TEAL, SILVER, LIME, YELLOW, BLUE, WHITE = 0, 2, 4, 6, 7, 10, 11, 12, 15
NONE = 255  # marks transparent pixels while drawing


class Art:
    """A square 16-colour picture; NONE pixels are transparent."""

    def __init__(self, raster):
        self.size = raster.width
        self.pixels = list(raster.planes[0])

    def ico_image(self):
        opaque = [p != NONE for p in self.pixels]
        indices = [p if p != NONE else 0 for p in self.pixels]
        return self.size, self.size, VGA16, indices, opaque

    def png(self):
        rgba = [(0, 0, 0, 0) if p == NONE else VGA16[p] + (255,) for p in self.pixels]
        return icons.write_png(self.size, self.size, rgba)

    def gif(self):
        """The picture as a GIF, the format the program decodes itself: the sixteen colours
        and, after them, one more index for the transparent pixels (a GIF palette's length
        is a power of two)."""
        transparent = len(VGA16)
        palette = VGA16 + [(0, 0, 0)] * len(VGA16)
        indices = [transparent if p == NONE else p for p in self.pixels]
        return gif.write(self.size, self.size, palette, indices, interlaced=False,
                         transparent=transparent)


def icon(size):
    """A lightning bolt striking across a globe, drawn for 32 or 16 pixels."""
    r = Raster(size, size, fill=NONE)
    k = size / 32
    cx, cy, radius = 14 * k, 18 * k, 13 * k
    r.ellipse(cx, cy, radius, radius, NAVY)
    r.ellipse(cx, cy, radius - 1, radius - 1, BLUE)
    if size >= 32:
        r.ring(cx, cy, 6, radius - 1, 1, TEAL)
        r.rect(cx - radius + 1, cy - 0.5, cx + radius - 1, cy + 0.5, TEAL)
    land = [
        [(7, 11), (12, 8), (16, 10), (14, 14), (16, 18), (12, 22), (9, 17), (6, 15)],
        [(18, 20), (23, 19), (25, 23), (21, 28), (17, 25)],
    ]
    for shape in land:
        r.polygon([(x * k, y * k) for x, y in shape], GREEN)
    if size >= 32:
        r.polygon([(8, 12), (12, 9), (14, 11), (11, 14)], LIME)
    bolt = [(19, 1), (29.5, 1), (24, 10.5), (30, 10.5), (12, 31), (17, 15.5), (12, 15.5)]
    outline = 1.0 if size >= 32 else 0.9
    for dx, dy in ((-1, 0), (1, 0), (0, -1), (0, 1), (-1, -1), (1, -1), (-1, 1), (1, 1)):
        r.polygon([(x * k + dx * outline, y * k + dy * outline) for x, y in bolt], BLACK)
    r.polygon([(x * k, y * k) for x, y in bolt], YELLOW)
    if size >= 32:
        r.polygon([(20.5, 3), (26, 3), (22, 10), (19, 10)], WHITE)
    return Art(r)


_HAND = """
................................
...........###..................
..........#ooo#.................
..........#ooo#.................
..........#ooo#.................
..........#ooo#.................
..........#ooo#.................
..........#ooo#.................
..........#ooo###...............
..........#ooo#oo###............
..........#ooo#oo#oo###.........
..........#ooo#oo#oo#oo#........
.......####ooo#oo#oo#oo#........
......#ooo#ooo#oo#oo#oo#........
......#ooo#oooooooooooo#........
......#oooooooooooooooo#........
......#oooooooooooooooo#........
.......#ooooooooooooooo#........
.......#ooooooooooooooo#........
........#oooooooooooooo#........
........#ooooooooooooo#.........
.........#oooooooooooo#.........
.........#oooooooooooo#.........
..........#ooooooooooo#.........
..........#ooooooooooo#.........
..........#############.........
..........#sssssssssss#.........
..........#sssssssssss#.........
..........#############.........
................................
................................
................................
"""


def hand():
    """A hand pointing upwards with its index finger; the fingertip is at column 12, row 1."""
    rows = _HAND.split()
    assert len(rows) == 32 and all(len(row) == 32 for row in rows)
    r = Raster(32, 32, fill=NONE)
    colours = {"#": BLACK, "o": WHITE, "s": SILVER}
    for y, row in enumerate(rows):
        for x, cell in enumerate(row):
            if cell in colours:
                r.set(x, y, colours[cell])
    return Art(r)
