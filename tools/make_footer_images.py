#!/usr/bin/env python3
"""Draws the two rooftop silhouettes that the Splash scene scrolls at its bottom edge.

    tools/make_footer_images.py [output-dir]

Writes footer_roofs_front.png and footer_roofs_middle.png (default output directory:
resources/Splash/assets/images). Both are RGBA images, transparent above the roofs, and tile
seamlessly in the horizontal direction: buildings are laid out on a ring, so a building that
crosses the right edge continues at the left one. The output is deterministic.
"""

import os
import random
import struct
import sys
import zlib

WIDTH = 1024
SUBSAMPLES = 4  # horizontal sub-columns per pixel for the anti-aliased roof edges


def write_png(path, width, height, rows):
    """rows: list of bytearrays of width * 4 bytes (straight RGBA)."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


class Building:
    def __init__(self, x0, width, body_top, roof, rng):
        self.x0 = x0
        self.width = width
        self.body_top = body_top  # y of the top of the walls
        self.roof = roof
        self.peak = rng.uniform(0.25, 0.6) * width if roof == "gable" else 0.0
        self.peak = min(self.peak, 40.0)
        # Small things standing on the roof: (offset, width, height).
        self.extras = []
        if roof in ("flat", "stepped") and rng.random() < 0.7:
            for _ in range(rng.randint(1, 2)):
                w = rng.randint(5, 9)
                self.extras.append((rng.uniform(2, max(3, width - w - 2)), w, rng.randint(6, 14)))
        if rng.random() < 0.35:
            self.extras.append((rng.uniform(3, max(4, width - 4)), 1.5, rng.randint(14, 30)))
        self.step = rng.uniform(0.3, 0.5) if roof == "stepped" else 0.0
        self.step_height = rng.randint(8, 18)

    def local(self, x):
        """x relative to the building's left edge, following the ring."""
        return (x - self.x0) % WIDTH

    def top(self, x):
        """y of the silhouette at x, or None where the building is not."""
        u = self.local(x)
        if u >= self.width:
            return None
        y = self.body_top
        if self.roof == "gable":
            y -= self.peak * (1.0 - abs(2.0 * u / self.width - 1.0))
        elif self.roof == "stepped":
            lo, hi = self.width * self.step, self.width * (1.0 - self.step)
            if lo <= u <= hi:
                y -= self.step_height
        for off, w, h in self.extras:
            if off <= u < off + w:
                y = min(y, self.body_top - h)
        return y


def layout(rng, height, min_h, max_h, min_w, max_w):
    """Buildings side by side round the ring, overlapping a little."""
    buildings = []
    x = 0.0
    while x < WIDTH:
        w = rng.randint(min_w, max_w)
        if x + w > WIDTH and WIDTH - x < min_w:
            # Too small a gap to the first building: widen the last one to close the ring.
            buildings[-1].width += WIDTH - x
            break
        roof = rng.choice(["flat", "gable", "gable", "stepped"])
        buildings.append(Building(x, w, height - rng.randint(min_h, max_h), roof, rng))
        x += w - rng.randint(0, 6)
    return buildings


def skyline(buildings, x):
    tops = [t for t in (b.top(x) for b in buildings) if t is not None]
    return min(tops) if tops else float("inf")


def render(buildings, height, colour, windows=None):
    r, g, b = colour
    rows = [bytearray(WIDTH * 4) for _ in range(height)]
    for px in range(WIDTH):
        tops = [skyline(buildings, px + (i + 0.5) / SUBSAMPLES) for i in range(SUBSAMPLES)]
        for y in range(height):
            cover = sum(min(max(y + 1 - t, 0.0), 1.0) for t in tops) / SUBSAMPLES
            if cover > 0.0:
                o = px * 4
                rows[y][o:o + 4] = bytes((r, g, b, round(255 * cover)))
    if windows:
        for (x, y, w, h, rgba) in windows:
            for yy in range(y, y + h):
                for xx in range(x, x + w):
                    o = (xx % WIDTH) * 4
                    rows[yy][o:o + 4] = bytes(rgba)
    return rows


def lit_windows(buildings, height, rng):
    """Rows of small windows in the walls of the middle layer, some of them lit."""
    out = []
    for b in buildings:
        for wy in range(int(b.body_top) + 8, height - 10, 14):
            for wx in range(int(b.x0) + 5, int(b.x0 + b.width) - 9, 11):
                if rng.random() < 0.22:
                    warm = rng.choice([(255, 206, 110), (255, 228, 160), (250, 180, 90)])
                    out.append((wx, wy, 5, 7, warm + (235,)))
    return out


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "resources", "Splash", "assets", "images")
    os.makedirs(out_dir, exist_ok=True)

    rng = random.Random(20240611)
    middle_h = 176
    middle = layout(rng, middle_h, 70, 150, 40, 96)
    rows = render(middle, middle_h, (34, 42, 74), lit_windows(middle, middle_h, rng))
    write_png(os.path.join(out_dir, "footer_roofs_middle.png"), WIDTH, middle_h, rows)

    front_h = 128
    front = layout(rng, front_h, 40, 100, 48, 120)
    rows = render(front, front_h, (9, 10, 20))
    write_png(os.path.join(out_dir, "footer_roofs_front.png"), WIDTH, front_h, rows)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
