#!/usr/bin/env python3
"""Draws the program's own artwork and writes it as resource files.

Each piece of artwork is a function that draws on a Canvas and is listed in ARTWORK with
the file it becomes (a path relative to the repository root) and, for cursors, the hot
spot. Only the Python 3 standard library is used.

    python3 tools/artwork/artwork.py            # writes every file
    python3 tools/artwork/artwork.py --check    # fails when a committed file differs
    python3 tools/artwork/artwork.py --only res/cursors/dragmove.cur
"""

import argparse
import math
import os
import struct
import sys

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
RED = (200, 0, 0, 255)
CLEAR = (0, 0, 0, 0)


class Canvas:
    """A square of RGBA pixels with a few drawing primitives; (0, 0) is the top left."""

    def __init__(self, width, height):
        self.width = width
        self.height = height
        self.pixels = [[CLEAR] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def line(self, x0, y0, x1, y1, colour):
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            self.put(round(x0 + (x1 - x0) * i / steps), round(y0 + (y1 - y0) * i / steps), colour)

    def polygon(self, points, fill, outline):
        """Fills the pixels whose centres lie inside the polygon, then draws its edges."""
        for y in range(self.height):
            for x in range(self.width):
                if _inside(points, x + 0.5, y + 0.5):
                    self.put(x, y, fill)
        for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
            self.line(x0, y0, x1, y1, outline)

    def rect(self, left, top, right, bottom, fill, outline):
        """right and bottom are inclusive."""
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                edge = x in (left, right) or y in (top, bottom)
                self.put(x, y, outline if edge else fill)

    def ring(self, cx, cy, radius, thickness, colour):
        for y in range(self.height):
            for x in range(self.width):
                d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
                if radius - thickness <= d <= radius:
                    self.put(x, y, colour)

    def thick_line(self, x0, y0, x1, y1, thickness, colour):
        """Pixels whose centres lie within thickness / 2 of the segment."""
        dx, dy = x1 - x0, y1 - y0
        length2 = dx * dx + dy * dy
        for y in range(self.height):
            for x in range(self.width):
                px, py = x + 0.5 - x0, y + 0.5 - y0
                t = max(0.0, min(1.0, (px * dx + py * dy) / length2))
                if math.hypot(px - t * dx, py - t * dy) <= thickness / 2:
                    self.put(x, y, colour)


def _inside(points, x, y):
    inside = False
    for (x0, y0), (x1, y1) in zip(points, points[1:] + points[:1]):
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def write_cursor(canvas, hot_spot):
    """A one-image cursor file: 32-bit BGRA pixels bottom-up, then a 1-bit mask that is set
    where the picture is transparent."""
    w, h = canvas.width, canvas.height
    xor = bytearray()
    for row in reversed(canvas.pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((w + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(canvas.pixels):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    image = info + bytes(xor) + bytes(mask)
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, hot_spot[0], hot_spot[1],
                        len(image), 6 + 16)
    return header + entry + image


# ---- The artwork ----------------------------------------------------------------------------

ARROW = [(0, 0), (0, 17), (4, 13), (7, 20), (10, 19), (7, 12), (12, 12)]


def drag_move():
    """The arrow with a sheet under it: the dragged items move."""
    c = Canvas(32, 32)
    c.polygon(ARROW, WHITE, BLACK)
    c.rect(9, 19, 22, 28, WHITE, BLACK)
    for x in range(11, 21, 2):
        c.put(x, 22, BLACK)
        c.put(x, 25, BLACK)
    return c


def drag_copy():
    """The move cursor with a plus sign: the dragged items are copied."""
    c = drag_move()
    c.rect(19, 21, 29, 31, WHITE, BLACK)
    c.line(21, 26, 27, 26, BLACK)
    c.line(24, 23, 24, 29, BLACK)
    return c


def drag_no_drop():
    """A crossed-out circle: no drop here."""
    c = Canvas(32, 32)
    c.ring(16, 16, 12, 5, WHITE)
    c.ring(16, 16, 11, 3, RED)
    c.thick_line(8.5, 8.5, 23.5, 23.5, 5, WHITE)
    c.thick_line(8.5, 8.5, 23.5, 23.5, 3, RED)
    return c


# (output path, drawing function, writer, hot spot)
ARTWORK = [
    ("res/cursors/dragnodrop.cur", drag_no_drop, "cursor", (16, 16)),
    ("res/cursors/dragmove.cur", drag_move, "cursor", (0, 0)),
    ("res/cursors/dragcopy.cur", drag_copy, "cursor", (0, 0)),
]


def render(entry):
    path, draw, kind, hot_spot = entry
    if kind == "cursor":
        return write_cursor(draw(), hot_spot)
    raise ValueError("unknown kind " + kind)


def write_or_check(files, check):
    """Writes each (path under ROOT, bytes maker) file, or with check only compares them; answers
    the exit status: 1 when a committed file differs."""
    stale = []
    for path, make in files:
        data = make()
        full = os.path.join(ROOT, path)
        if check:
            try:
                with open(full, "rb") as f:
                    if f.read() != data:
                        stale.append(path)
            except OSError:
                stale.append(path)
            continue
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
    if stale:
        print("out of date:", " ".join(stale), file=sys.stderr)
        return 1
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    parser.add_argument("--only", action="append", help="a path of ARTWORK to make")
    args = parser.parse_args()
    stale = []
    for entry in ARTWORK:
        path = entry[0]
        if args.only and path not in args.only:
            continue
        data = render(entry)
        full = os.path.join(ROOT, path)
        if args.check:
            try:
                with open(full, "rb") as f:
                    if f.read() != data:
                        stale.append(path)
            except OSError:
                stale.append(path)
            continue
        os.makedirs(os.path.dirname(full), exist_ok=True)
        with open(full, "wb") as f:
            f.write(data)
        print("wrote", path)
    if stale:
        print("out of date:", " ".join(stale), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
