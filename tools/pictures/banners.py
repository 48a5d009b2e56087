"""The eleven sponsor banners (120 x 60 palette pictures). All sponsors are made up."""

import colorsys
import math

from .font import centred_x, draw_text
from .palette import Palette
from .raster import Raster

WIDTH = 120
HEIGHT = 60

# The colour standing for "transparent": the grey behind the banners, so that the picture
# still looks right where a viewer ignores transparency.
CLEAR = (192, 192, 192)


class Banner:
    """A drawn banner: its sponsor, colour table, pixel indices and transparent index."""

    def __init__(self, sponsor, palette, raster, transparent=None):
        self.sponsor = sponsor
        self.palette = palette.colours()
        self.pixels = bytes(raster.planes[0])
        self.transparent = transparent
        assert len(self.palette) == palette.size


def _vgrad(r, ramp, x0, y0, x1, y1):
    for y in range(y0, y1):
        r.rect(x0, y, x1, y + 1, ramp[(y - y0) * len(ramp) // (y1 - y0)])


def _text(r, x, y, text, colour, shadow=None, scale=1, bold=False):
    if shadow is not None:
        draw_text(r, x + 1, y + 1, text, shadow, scale=scale, bold=bold)
    draw_text(r, x, y, text, colour, scale=scale, bold=bold)


def _centred(r, y, text, colour, shadow=None, scale=1, bold=False, left=0, right=WIDTH):
    _text(r, centred_x(text, left, right, scale, bold=bold), y, text, colour, shadow, scale,
          bold)


def _stars(r, count, colours, seed, region):
    """Single-pixel stars at pseudo-random (but fixed) places inside region (x0, y0, x1, y1)."""
    x0, y0, x1, y1 = region
    state = seed
    for k in range(count):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        x = x0 + state % (x1 - x0)
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        y = y0 + state % (y1 - y0)
        r.rect(x, y, x + 1, y + 1, colours[k % len(colours)])


def modemopolis():
    p = Palette(64)
    r = Raster(WIDTH, HEIGHT)
    _vgrad(r, p.ramp((6, 14, 64), (28, 80, 176), 30), 0, 0, WIDTH, HEIGHT)
    black, white = p.add((0, 0, 0)), p.add((255, 255, 255))
    yellow, cyan = p.add((255, 216, 40)), p.add((120, 220, 255))
    _centred(r, 4, "MODEMOPOLIS", yellow, black, bold=True)
    # The modem: a beige box seen slightly from above, with its row of lights.
    r.polygon([(8, 25), (46, 25), (42, 20), (12, 20)], p.add((236, 228, 200)))
    r.rect(8, 25, 46, 38, p.add((212, 204, 172)))
    r.rect(8, 34, 46, 38, p.add((160, 152, 124)))
    r.frame(8, 20, 46, 38, 1, black)
    for k, colour in enumerate([(255, 40, 40), (40, 255, 64), (40, 255, 64), (255, 200, 0)]):
        r.rect(12 + 5 * k, 35, 14 + 5 * k, 37, p.add(colour))
    _text(r, 26, 27, "56K", black)
    r.polygon([(4, 46), (50, 46), (46, 42), (8, 42)], p.add((40, 48, 96)))  # shadow
    _text(r, 60, 18, "56K", white, black, scale=2)
    _text(r, 60, 35, "MODEMS", cyan, bold=True)
    _text(r, 100, 24, "$99", yellow, black)
    _centred(r, 49, "www.example.com", white)
    return Banner("Modemopolis", p, r)


def webwick():
    p = Palette(64, reserved={50: CLEAR})
    r = Raster(WIDTH, HEIGHT, fill=50)
    ramp = p.ramp((40, 160, 72), (8, 72, 32), 24)
    r.round_rect(0, 0, WIDTH, HEIGHT, 10, lambda x, y: ramp[int(y * len(ramp) / HEIGHT)])
    r.ellipse(0, 30, 6, 6, 50)  # ticket notches
    r.ellipse(WIDTH, 30, 6, 6, 50)
    pale = p.add((168, 232, 176))
    for y in range(4, 57, 4):
        r.rect(35, y, 36, y + 2, pale)  # perforation
    black, white = p.add((0, 0, 0)), p.add((255, 255, 255))
    # A server tower with drive bays and a light.
    r.rect(12, 12, 29, 50, p.add((188, 188, 196)))
    r.rect(29, 14, 31, 50, p.add((112, 112, 124)))
    r.frame(12, 12, 29, 50, 1, black)
    for y in (16, 21, 26):
        r.rect(15, y, 26, y + 3, p.add((96, 96, 108)))
        r.rect(23, y + 1, 25, y + 2, p.add((40, 255, 64)))
    r.rect(15, 44, 18, 46, p.add((255, 200, 0)))
    _text(r, 40, 7, "WEBWICK", white, black, scale=2)
    _text(r, 40, 26, "HOSTING", p.add((255, 232, 96)), black, bold=True)
    _text(r, 40, 38, "10 MB space", pale)
    _text(r, 40, 47, "$9.95/month", white)
    return Banner("Webwick Hosting", p, r, transparent=50)


def chipstack():
    p = Palette(128, reserved={65: CLEAR})
    r = Raster(WIDTH, HEIGHT, fill=65)
    ramp = p.ramp((255, 176, 40), (168, 16, 56), 60)
    r.polygon([(0, 5), (WIDTH, 5), (106, 30), (WIDTH, 55), (0, 55)],
              lambda x, y: ramp[int(x * len(ramp) / WIDTH)])
    black, white = p.add((0, 0, 0)), p.add((255, 255, 255))
    silver, body = p.add((200, 200, 208)), p.add((36, 36, 44))
    # Three chips stacked with their legs showing.
    for k, y in enumerate((15, 27, 39)):
        x = 7 + 3 * (k % 2)
        for lx in range(x + 2, x + 26, 3):
            r.rect(lx, y - 2, lx + 1, y + 8, silver)
        r.rect(x, y, x + 27, y + 6, body)
        r.rect(x + 1, y + 1, x + 3, y + 3, p.add((96, 96, 104)))
    _text(r, 44, 10, "CHIPSTACK", white, black, bold=True)
    _text(r, 44, 21, "COMPUTERS", p.add((255, 240, 160)), black)
    _text(r, 44, 35, "Fast PCs", white)
    _text(r, 44, 44, "from $999", white)
    return Banner("ChipStack Computers", p, r, transparent=65)


def dialtone_dan():
    p = Palette(64)
    r = Raster(WIDTH, HEIGHT)
    _vgrad(r, p.ramp((96, 168, 248), (208, 236, 255), 30), 0, 0, WIDTH, HEIGHT)
    cloud = p.add((255, 255, 255))
    for cx, cy, rx in ((16, 12, 10), (26, 9, 8), (100, 52, 12), (112, 48, 9)):
        r.ellipse(cx, cy, rx, rx * 0.55, cloud)
    navy, red = p.add((16, 24, 96)), p.add((208, 24, 24))
    dark_red = p.add((120, 8, 16))
    # A desk telephone: body, dial and the handset on its cradle.
    r.polygon([(6, 50), (38, 50), (34, 32), (10, 32)], red)
    r.polygon([(6, 50), (38, 50), (38, 52), (6, 52)], dark_red)
    r.ellipse(22, 41, 7, 7, p.add((250, 240, 220)))
    r.ellipse(22, 41, 2.5, 2.5, red)
    for k in range(8):
        a = math.pi * (0.2 + k * 0.2)
        r.rect(22 + 5 * math.cos(a) - 0.5, 41 - 5 * math.sin(a) - 0.5,
               22 + 5 * math.cos(a) + 0.5, 41 - 5 * math.sin(a) + 0.5, navy)
    r.round_rect(4, 24, 40, 30, 3, dark_red)
    r.rect(8, 30, 12, 33, dark_red)
    r.rect(32, 30, 36, 33, dark_red)
    _text(r, 46, 6, "DIALTONE", navy, bold=True)
    _text(r, 46, 16, "DAN'S", red, p.add((255, 255, 160)), scale=2)
    _text(r, 46, 34, "Internet", navy)
    _text(r, 46, 43, "$19.95/mo", navy, bold=True)
    return Banner("Dialtone Dan's", p, r)


def pixelpine():
    p = Palette(64)
    r = Raster(WIDTH, HEIGHT)
    horizon = 42
    _vgrad(r, p.ramp((0, 8, 24), (0, 56, 48), 18), 0, 0, WIDTH, horizon)
    light, dark = p.ramp((40, 200, 96), (8, 80, 40), 2)

    def floor(x, y):
        depth = y - horizon + 3
        u = int((x - 60) * 3 / depth + 100)
        v = int(60 / depth)
        return light if (u + v) % 2 == 0 else dark

    r.rect(0, horizon, WIDTH, HEIGHT, floor)
    _stars(r, 18, [p.add((255, 255, 255)), p.add((160, 200, 255))], 7, (0, 0, WIDTH, 38))
    # A pine tree of stacked triangles.
    r.rect(18, 44, 23, 54, p.add((112, 64, 24)))
    for k, (top, base, half) in enumerate(((4, 20, 9), (12, 32, 13), (22, 46, 17))):
        r.polygon([(20.5 - half, base), (20.5, top), (20.5 + half, base)],
                  p.add((24, 176 - 30 * k, 72)))
    pale = p.add((200, 255, 208))
    _text(r, 44, 5, "PIXELPINE", pale, p.add((0, 0, 0)), bold=True)
    _text(r, 44, 17, "3D CARDS", p.add((255, 255, 255)), bold=True)
    _text(r, 44, 29, "Fast games!", p.add((255, 224, 96)))
    return Banner("PixelPine", p, r)


def zipzap():
    p = Palette(32)
    r = Raster(WIDTH, HEIGHT)
    _vgrad(r, p.ramp((48, 0, 96), (120, 24, 168), 12), 0, 0, WIDTH, HEIGHT)
    orange, yellow = p.add((255, 144, 0)), p.add((255, 232, 0))
    black, white = p.add((0, 0, 0)), p.add((255, 255, 255))
    for base, colour in ((8, orange), (52, orange)):
        points = [(x, base + (-4 if (x // 10) % 2 else 4)) for x in range(-10, 131, 10)]
        for a, b in zip(points, points[1:]):
            r.line(a[0], a[1], b[0], b[1], 3, colour)
    _centred(r, 14, "ZIPZAP", yellow, black, scale=2)
    _centred(r, 32, "CABLE MODEMS", white, black, bold=True)
    _centred(r, 42, "10 times faster!", yellow)
    return Banner("ZipZap Cable", p, r)


def diskorama():
    p = Palette(64)
    r = Raster(WIDTH, HEIGHT)
    _vgrad(r, p.ramp((0, 72, 96), (0, 168, 160), 30), 0, 0, WIDTH, HEIGHT)
    black, white = p.add((0, 0, 0)), p.add((255, 255, 255))
    # A floppy disk: body with a cut corner, metal shutter, paper label.
    r.polygon([(6, 14), (30, 14), (34, 18), (34, 44), (6, 44)], p.add((24, 40, 128)))
    r.rect(12, 14, 28, 24, p.add((200, 204, 212)))
    r.rect(22, 16, 26, 22, p.add((64, 68, 80)))
    r.rect(10, 30, 30, 44, white)
    for y in (33, 36, 39):
        r.rect(12, y, 28, y + 1, p.add((208, 48, 48)))
    # A compact disc with a coloured sheen.
    sheen = [p.add(tuple(int(c * 255 + 0.5) for c in colorsys.hsv_to_rgb(k / 12, 0.25, 1.0)))
             for k in range(12)]
    r.ellipse(102, 42, 13, 13, p.add((212, 216, 224)))
    r.ellipse(102, 42, 10, 10,
              lambda x, y: sheen[int((x + y - 124) * len(sheen) / 40) % len(sheen)])
    r.ellipse(102, 42, 4, 4, p.add((150, 156, 168)))
    r.ellipse(102, 42, 2, 2, p.add((0, 120, 132)))
    _text(r, 40, 5, "DISKORAMA", white, black, bold=True)
    _text(r, 40, 17, "Disks & CDs", p.add((255, 240, 120)))
    _text(r, 40, 31, "10 for", white, black, bold=True)
    _text(r, 40, 42, "$5!", white, black, scale=2)
    return Banner("Diskorama", p, r)


def kilobyte_kafe():
    p = Palette(16)
    r = Raster(WIDTH, HEIGHT, fill=p.add((255, 240, 204)))
    brown, dark = p.add((120, 64, 24)), p.add((64, 32, 8))
    white, grey = p.add((255, 255, 255)), p.add((168, 160, 152))
    red = p.add((176, 24, 24))
    r.frame(0, 0, WIDTH, HEIGHT, 2, brown)
    # A cup of coffee on its saucer, steaming.
    r.ellipse(22, 50, 17, 4, grey)
    r.ellipse(22, 49, 15, 3, white)
    r.ring(36, 36, 6, 6, 2, dark)
    r.round_rect(9, 26, 35, 49, 6, dark)
    r.round_rect(10, 27, 34, 48, 5, white)
    r.ellipse(22, 28, 11, 2.5, brown)
    for x0 in (15, 21, 27):
        for k in range(5):
            r.rect(x0 + (1 if k % 2 else 0), 8 + 3 * k, x0 + 2 + (1 if k % 2 else 0),
                   11 + 3 * k, grey)
    _text(r, 46, 8, "KILOBYTE", dark, bold=True)
    _text(r, 46, 19, "KAFE", red, dark, scale=2)
    _text(r, 46, 38, "Surf & sip!", brown)
    return Banner("Kilobyte Kafe", p, r)


def joystix():
    p = Palette(64)
    r = Raster(WIDTH, HEIGHT)
    _vgrad(r, p.ramp((0, 0, 0), (24, 0, 64), 20), 0, 0, WIDTH, HEIGHT)
    _stars(r, 40, [p.add((255, 255, 255)), p.add((255, 255, 128)), p.add((128, 160, 255))],
           2000, (0, 0, WIDTH, HEIGHT))
    # The joystick: base, stick and ball, fire button.
    r.round_rect(6, 42, 38, 54, 4, p.add((72, 72, 88)))
    r.round_rect(6, 42, 38, 46, 2, p.add((112, 112, 132)))
    r.ellipse(11, 44, 3, 1.5, p.add((255, 32, 32)))
    r.line(23, 45, 19, 21, 3, p.add((24, 24, 24)))
    r.ellipse(19, 18, 7, 7, p.add((200, 16, 24)))
    r.ellipse(17, 16, 2.5, 2.5, p.add((255, 160, 160)))
    ramp = p.ramp((255, 64, 224), (64, 224, 255), 14)
    _text(r, 40, 8, "JOYSTIX", p.add((0, 0, 0)), scale=2)
    draw_text(r, 39, 7, "JOYSTIX", lambda x, y: ramp[min(int(y - 7), 13)], scale=2)
    _text(r, 42, 30, "GAMES & MORE", p.add((255, 255, 255)))
    _text(r, 42, 42, "Arcade hits", p.add((255, 255, 128)))
    return Banner("Joystix Arcade", p, r)


def mousehouse():
    p = Palette(64)
    r = Raster(WIDTH, HEIGHT)
    _vgrad(r, p.ramp((255, 252, 216), (255, 220, 128), 24), 0, 0, WIDTH, HEIGHT)
    black, red = p.add((0, 0, 0)), p.add((200, 40, 32))
    # A little house with a computer mouse at its door.
    r.rect(8, 28, 36, 54, black)
    r.rect(9, 29, 35, 53, p.add((250, 250, 250)))
    r.polygon([(4, 29), (22, 12), (40, 29)], red)
    r.rect(29, 14, 33, 24, p.add((120, 72, 40)))
    r.rect(12, 33, 19, 40, p.add((96, 160, 232)))
    r.rect(24, 38, 31, 53, p.add((120, 72, 40)))
    r.line(44, 55, 38, 55, 1, black)
    r.ellipse(44, 48, 5, 7, black)
    r.ellipse(44, 48, 4, 6, p.add((200, 200, 208)))
    r.rect(44, 42, 45, 47, black)
    _text(r, 50, 6, "MOUSE", red, black, bold=True)
    _text(r, 50, 15, "HOUSE", red, black, bold=True)
    _text(r, 50, 28, "Mice &", black)
    _text(r, 50, 37, "keyboards", black)
    _text(r, 50, 48, "Free post!", p.add((0, 96, 160)))
    return Banner("MouseHouse", p, r)


def prismware():
    p = Palette(256)
    r = Raster(WIDTH, HEIGHT)
    # Hue changes down the banner, brightness across it in four bands.
    hues, bands = HEIGHT, 4
    grid = [[p.add(tuple(int(c * 255 + 0.5) for c in colorsys.hsv_to_rgb(
        h / hues * 0.8, 0.8, 1.0 - 0.15 * b))) for b in range(bands)] for h in range(hues)]
    r.rect(0, 0, WIDTH, HEIGHT,
           lambda x, y: grid[int(y)][min(int(abs(x - 60) * bands / 60), bands - 1)])
    black, white = p.add((0, 0, 0)), p.add((255, 255, 255))
    r.rect(0, 42, WIDTH, 56, black)
    _centred(r, 12, "PRISMWARE", white, black, scale=2)
    _centred(r, 30, "Paint in colour!", white, black)
    _centred(r, 45, "www.example.com", white)
    return Banner("Prismware", p, r)


DESIGNS = [modemopolis, webwick, chipstack, dialtone_dan, pixelpine, zipzap, diskorama,
           kilobyte_kafe, joystix, mousehouse, prismware]
