"""Pixel grids and the shapes drawn on them.

A Raster holds either palette indices (one channel) or RGB colours (three channels).
Shapes are given in picture coordinates (floats, origin top left); a raster created with
`scale` > 1 stores that many device pixels per picture pixel in each direction, so that
shapes drawn on it can later be averaged down into smooth edges (see `downsample`).
A pixel is covered by a shape when its centre lies inside the shape.
"""

import math


class Raster:
    def __init__(self, width, height, channels=1, scale=1, fill=0):
        self.width = width
        self.height = height
        self.channels = channels
        self.scale = scale
        self.dw = width * scale
        self.dh = height * scale
        values = fill if isinstance(fill, tuple) else (fill,)
        self.planes = [bytearray([v]) * (self.dw * self.dh) for v in values]

    # ----------------------------------------------------------------- painting

    def paint(self, spans, value, alpha=1.0):
        """Paints device-pixel spans (y, x0, x1) with a value.

        `value` is an index or RGB tuple, or a callable (x, y) -> value taking picture
        coordinates of the pixel centre. `alpha` < 1 blends RGB values over what is there.
        """
        dw = self.dw
        s = self.scale
        for y, x0, x1 in spans:
            x0 = max(x0, 0)
            x1 = min(x1, dw)
            if y < 0 or y >= self.dh or x0 >= x1:
                continue
            base = y * dw
            if callable(value):
                py = (y + 0.5) / s
                for x in range(x0, x1):
                    self._put(base + x, value((x + 0.5) / s, py), alpha)
            elif alpha >= 1.0:
                vals = value if self.channels > 1 else (value,)
                for plane, v in zip(self.planes, vals):
                    plane[base + x0:base + x1] = bytes([v]) * (x1 - x0)
            else:
                for x in range(x0, x1):
                    self._put(base + x, value, alpha)

    def _put(self, i, value, alpha):
        if self.channels == 1:
            self.planes[0][i] = value
            return
        if alpha >= 1.0:
            for plane, v in zip(self.planes, value):
                plane[i] = v
            return
        for plane, v in zip(self.planes, value):
            plane[i] = int(plane[i] + (v - plane[i]) * alpha + 0.5)

    def set(self, x, y, value):
        """Sets one device pixel."""
        self._put(y * self.dw + x, value, 1.0)

    # ------------------------------------------------------------------- shapes

    def rect(self, x0, y0, x1, y1, value, alpha=1.0):
        self.paint(rect_spans(*self._dev(x0, y0, x1, y1)), value, alpha)

    def polygon(self, points, value, alpha=1.0):
        s = self.scale
        self.paint(polygon_spans([(x * s, y * s) for x, y in points]), value, alpha)

    def ellipse(self, cx, cy, rx, ry, value, alpha=1.0):
        s = self.scale
        self.paint(ellipse_spans(cx * s, cy * s, rx * s, ry * s), value, alpha)

    def ring(self, cx, cy, rx, ry, width, value, alpha=1.0):
        """Outline of an ellipse, `width` thick, lying inside the ellipse (rx, ry)."""
        s = self.scale
        outer = ellipse_spans(cx * s, cy * s, rx * s, ry * s)
        inner = ellipse_spans(cx * s, cy * s, (rx - width) * s, (ry - width) * s)
        self.paint(subtract_spans(outer, inner), value, alpha)

    def line(self, x0, y0, x1, y1, width, value, alpha=1.0):
        """A straight stroke of the given width with square ends at the two points."""
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy)
        if length == 0:
            return
        nx, ny = -dy / length * width / 2, dx / length * width / 2
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny),
                      (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)], value, alpha)

    def round_rect(self, x0, y0, x1, y1, r, value, alpha=1.0):
        s = self.scale
        self.paint(round_rect_spans(x0 * s, y0 * s, x1 * s, y1 * s, r * s), value, alpha)

    def frame(self, x0, y0, x1, y1, width, value):
        """A rectangular border `width` thick lying inside the rectangle."""
        self.rect(x0, y0, x1, y0 + width, value)
        self.rect(x0, y1 - width, x1, y1, value)
        self.rect(x0, y0 + width, x0 + width, y1 - width, value)
        self.rect(x1 - width, y0 + width, x1, y1 - width, value)

    def _dev(self, *coords):
        return [c * self.scale for c in coords]

    # --------------------------------------------------------------- resampling

    def downsample(self):
        """Returns a scale-1 raster whose pixels average the device pixels of each picture pixel."""
        s = self.scale
        out = Raster(self.width, self.height, self.channels, fill=(0,) * self.channels)
        area = s * s
        for plane_in, plane_out in zip(self.planes, out.planes):
            for y in range(self.height):
                sums = [0] * self.width
                for sy in range(s):
                    row = plane_in[(y * s + sy) * self.dw:(y * s + sy + 1) * self.dw]
                    for k in range(s):
                        part = row[k::s]
                        sums = [a + b for a, b in zip(sums, part)]
                plane_out[y * self.width:(y + 1) * self.width] = bytes(
                    (v + area // 2) // area for v in sums)
        return out

    def rows(self):
        """Yields each row as a list of values (indices or RGB tuples)."""
        for y in range(self.dh):
            a = y * self.dw
            if self.channels == 1:
                yield list(self.planes[0][a:a + self.dw])
            else:
                yield list(zip(*(p[a:a + self.dw] for p in self.planes)))


# ----------------------------------------------------------------------- spans


def _first_pixel(x):
    """First device pixel whose centre lies at or right of x."""
    return math.ceil(x - 0.5)


def rect_spans(x0, y0, x1, y1):
    return [(y, _first_pixel(x0), _first_pixel(x1))
            for y in range(_first_pixel(y0), _first_pixel(y1))]


def polygon_spans(points):
    """Even-odd fill of a closed polygon."""
    ys = [p[1] for p in points]
    spans = []
    n = len(points)
    for y in range(_first_pixel(min(ys)), _first_pixel(max(ys)) + 1):
        yc = y + 0.5
        xs = []
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            if (ay <= yc < by) or (by <= yc < ay):
                xs.append(ax + (yc - ay) * (bx - ax) / (by - ay))
        xs.sort()
        for a, b in zip(xs[0::2], xs[1::2]):
            spans.append((y, _first_pixel(a), _first_pixel(b)))
    return spans


def ellipse_spans(cx, cy, rx, ry):
    spans = []
    if rx <= 0 or ry <= 0:
        return spans
    for y in range(_first_pixel(cy - ry), _first_pixel(cy + ry) + 1):
        d = (y + 0.5 - cy) / ry
        if abs(d) < 1:
            half = rx * math.sqrt(1 - d * d)
            spans.append((y, _first_pixel(cx - half), _first_pixel(cx + half)))
    return spans


def round_rect_spans(x0, y0, x1, y1, r):
    spans = []
    for y in range(_first_pixel(y0), _first_pixel(y1)):
        yc = y + 0.5
        inset = 0.0
        if yc < y0 + r:
            d = y0 + r - yc
            inset = r - math.sqrt(max(r * r - d * d, 0.0))
        elif yc > y1 - r:
            d = yc - (y1 - r)
            inset = r - math.sqrt(max(r * r - d * d, 0.0))
        spans.append((y, _first_pixel(x0 + inset), _first_pixel(x1 - inset)))
    return spans


def subtract_spans(spans, holes):
    """The parts of `spans` not covered by `holes` (at most one hole span per row)."""
    cut = {}
    for y, a, b in holes:
        cut[y] = (a, b)
    out = []
    for y, a, b in spans:
        if y not in cut or cut[y][0] >= cut[y][1]:
            out.append((y, a, b))
            continue
        ha, hb = cut[y]
        if a < ha:
            out.append((y, a, min(b, ha)))
        if hb < b:
            out.append((y, max(a, hb), b))
    return out


# ---------------------------------------------------------------------- colours


def mix(c0, c1, t):
    """Linear blend of two RGB colours, t from 0 (c0) to 1 (c1)."""
    t = min(max(t, 0.0), 1.0)
    return tuple(int(a + (b - a) * t + 0.5) for a, b in zip(c0, c1))
