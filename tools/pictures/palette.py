"""Colour tables for palette pictures."""

from .raster import mix


class Palette:
    """A colour table of a fixed size being filled while a picture is drawn.

    Every colour is stored once, so a pixel's colour always names its index; entries that
    the drawing leaves unused get distinct filler colours. `reserved` pins colours to indices
    (a transparent colour, for instance); no other colour takes those indices.
    """

    def __init__(self, size, reserved=None):
        self.size = size
        self.entries = [None] * size
        self.reserved = dict(reserved or {})
        for index, rgb in self.reserved.items():
            self.entries[index] = tuple(rgb)

    def add(self, rgb):
        """Index of a colour, adding it to the table if it is new."""
        rgb = tuple(rgb)
        if rgb in self.entries:
            return self.entries.index(rgb)
        for index, entry in enumerate(self.entries):
            if entry is None:
                self.entries[index] = rgb
                return index
        raise ValueError(f"colour table of {self.size} entries is full")

    def ramp(self, c0, c1, steps):
        """Indices of `steps` colours blending evenly from c0 to c1."""
        return [self.add(mix(c0, c1, k / max(steps - 1, 1))) for k in range(steps)]

    def colours(self):
        """The full table; unused entries become dark greys not used elsewhere."""
        table = list(self.entries)
        taken = set(e for e in table if e is not None)
        level = 0
        for index, entry in enumerate(table):
            if entry is not None:
                continue
            while (level, level, level) in taken:
                level += 1
            table[index] = (level, level, level)
            taken.add(table[index])
        assert len(set(table)) == len(table)
        return table
