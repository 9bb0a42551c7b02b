#!/usr/bin/env python3
"""Draws res/beads.png, the bead strip of the send progress window (bitmap 123).

Three 10 x 10 beads side by side on magenta (255, 0, 255), the colour the image list masks out:
a part still waiting (grey), the part being sent (orange) and a part sent (green). Each bead is a
shaded disc: lighter towards the upper left, darker towards the lower right. Only the Python 3
standard library is used:

    python3 tools/beads.py            # writes res/beads.png
"""
import math
import os
import struct
import sys
import zlib

SIZE = 10
MASK = (255, 0, 255)
COLOURS = [(150, 150, 150), (245, 140, 20), (40, 170, 60)]


def bead_pixel(colour, x, y):
    cx = cy = (SIZE - 1) / 2.0
    r = SIZE / 2.0 - 0.5
    d = math.hypot(x - cx, y - cy)
    if d > r:
        return MASK
    # Light from the upper left.
    light = 1.0 - 0.35 * (math.hypot(x - cx + 2, y - cy + 2) / (r * 1.6))
    return tuple(max(0, min(255, int(c * light + (255 - c) * max(0.0, light - 0.85)))) for c in colour)


def png(width, height, rows):
    raw = b"".join(b"\x00" + bytes(v for px in row for v in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    rows = [[bead_pixel(COLOURS[x // SIZE], x % SIZE, y) for x in range(SIZE * len(COLOURS))]
            for y in range(SIZE)]
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "res", "beads.png")
    if len(sys.argv) > 1:
        out = sys.argv[1]
    with open(out, "wb") as f:
        f.write(png(SIZE * len(COLOURS), SIZE, rows))


if __name__ == "__main__":
    main()
