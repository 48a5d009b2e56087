"""The start-up picture: 288 x 264 pixels, drawn four times larger and averaged down.

The splash window shows only the top-left 285 x 253 pixels, so everything that matters stays
clear of the last 3 columns and the last 11 rows.
"""

import math

from .font import HEIGHT as FONT_HEIGHT
from .font import draw_text, text_width
from .raster import Raster, mix

WIDTH = 288
HEIGHT = 264
VISIBLE_WIDTH = 285
VISIBLE_HEIGHT = 253
SUPERSAMPLING = 4

NIGHT = (6, 14, 56)
TEAL = (6, 112, 124)
GOLD = (255, 214, 48)
ORANGE = (255, 128, 16)
WHITE = (255, 255, 255)
SHADOW = (2, 8, 30)


def _background(x, y):
    t = 0.35 * x / WIDTH + 0.65 * y / HEIGHT
    return mix(NIGHT, TEAL, t)


def _centred_text(r, y, text, colour, scale, shadow=None, offset=1.0):
    x = (VISIBLE_WIDTH - text_width(text, scale)) / 2
    if shadow is not None:
        draw_text(r, x + offset, y + offset, text, shadow, scale=scale)
    draw_text(r, x, y, text, colour, scale=scale)


def _globe(r, cx, cy, radius):
    # Radio waves spreading from the globe.
    for k in range(1, 5):
        rr = radius + 10 * k
        r.ring(cx, cy, rr, rr, 1.5, (120, 230, 255), alpha=0.28 - 0.05 * k)
    r.ellipse(cx, cy, radius + 3, radius + 3, (60, 200, 255), alpha=0.25)

    def sphere(x, y):
        # Lit from the upper left.
        d = math.hypot(x - (cx - radius * 0.35), y - (cy - radius * 0.4)) / (radius * 1.6)
        return mix((90, 170, 255), (10, 40, 130), d)

    r.ellipse(cx, cy, radius, radius, sphere)
    land = (48, 168, 72)
    continents = [
        [(-30, -28), (-10, -38), (8, -30), (2, -16), (-8, -8), (-4, 6), (-18, 10), (-24, -6),
         (-36, -10)],
        [(-8, 14), (6, 12), (12, 24), (4, 40), (-6, 32)],
        [(16, -24), (36, -20), (42, -4), (30, 4), (20, -6)],
        [(24, 18), (36, 14), (34, 28), (26, 30)],
    ]
    for shape in continents:
        r.polygon([(cx + x * radius / 50, cy + y * radius / 50) for x, y in shape], land)
    for k in (0.35, 0.7):
        r.ring(cx, cy, radius * k, radius, 1.2, WHITE, alpha=0.3)
    r.rect(cx - radius, cy - 0.6, cx + radius, cy + 0.6, WHITE, alpha=0.3)
    for dy in (-0.5, 0.5):
        half = radius * math.sqrt(1 - dy * dy)
        r.rect(cx - half, cy + dy * radius - 0.6, cx + half, cy + dy * radius + 0.6, WHITE,
               alpha=0.3)
    r.ring(cx, cy, radius, radius, 2, (150, 230, 255))
    r.ellipse(cx - radius * 0.4, cy - radius * 0.45, radius * 0.22, radius * 0.14, WHITE,
              alpha=0.35)


def _bolt(r, cx, cy, size):
    shape = [(-2, -50), (22, -50), (8, -12), (26, -12), (-20, 52), (-6, 4), (-22, 4)]
    points = [(cx + x * size / 50, cy + y * size / 50) for x, y in shape]
    for grow, alpha in ((7, 0.12), (4.5, 0.2), (2.5, 0.3)):
        # Glow: the bolt blown up around its middle.
        r.polygon([(cx + (x - cx) * (1 + grow / size), cy + (y - cy) * (1 + grow / size))
                   for x, y in points], (255, 240, 160), alpha=alpha)
    r.polygon([(x + 2, y + 2) for x, y in points], SHADOW, alpha=0.7)
    top, bottom = cy - size, cy + size
    r.polygon(points, lambda x, y: mix(GOLD, ORANGE, (y - top) / (bottom - top)))
    r.polygon([points[0], points[1], (cx + 14 * size / 50, cy - 34 * size / 50),
               (cx + 1 * size / 50, cy - 34 * size / 50)], WHITE, alpha=0.45)


def _meter(r, x0, y, x1):
    """A row of lit connection-speed segments, green to gold."""
    r.round_rect(x0 - 3, y - 3, x1 + 3, y + 11, 3, SHADOW, alpha=0.6)
    count = 16
    step = (x1 - x0) / count
    for k in range(count):
        colour = mix((40, 220, 90), GOLD, k / (count - 1))
        r.rect(x0 + k * step + 1, y, x0 + (k + 1) * step - 1, y + 8, colour,
               alpha=1.0 if k < 12 else 0.3)


def draw():
    """Returns (width, height, rows of RGB tuples)."""
    r = Raster(WIDTH, HEIGHT, channels=3, scale=SUPERSAMPLING, fill=NIGHT)
    r.rect(0, 0, WIDTH, HEIGHT, _background)
    mid = VISIBLE_WIDTH / 2
    _globe(r, mid, 74, 46)
    _bolt(r, mid + 4, 74, 56)

    title = "LUMOX 2000"
    scale = 4
    y = 142
    x = (VISIBLE_WIDTH - text_width(title, scale)) / 2
    draw_text(r, x + 3, y + 3, title, SHADOW, scale=scale, alpha=0.8)
    top = y
    bottom = y + FONT_HEIGHT * scale
    draw_text(r, x, y, title,
              lambda px, py: mix(WHITE, (150, 235, 255), (py - top) / (bottom - top)),
              scale=scale)
    r.rect(40, 180, VISIBLE_WIDTH - 40, 181.5, (150, 235, 255), alpha=0.6)
    _centred_text(r, 188, "Version 1.00", GOLD, 2, SHADOW, 1.5)
    _centred_text(r, 208, "Speed up your connection", WHITE, 1.5, SHADOW, 1.0)
    _meter(r, 62, 228, VISIBLE_WIDTH - 62)
    r.frame(0, 0, VISIBLE_WIDTH, VISIBLE_HEIGHT, 1, (60, 150, 200))

    small = r.downsample()
    rows = list(small.rows())
    return WIDTH, HEIGHT, rows
