#!/usr/bin/env python3
"""Draws the pictures of the phone link (set-up dialog, call records, status indicator) in the
style of shell_artwork.py and writes them as icon files. Only the standard library is used.

    python3 tools/artwork/phone_artwork.py            # writes every file
    python3 tools/artwork/phone_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from shell_artwork import (GREEN, GREY, INK, ORANGE, RED, SKY, YELLOW,  # noqa: E402
                           dib, phone, reduce)


def handset_waves(c, colour=GREEN):
    """Arcs beside the phone: it rings or talks."""
    for r in (4, 7):
        for k in range(-r, r + 1):
            y = 9 + k
            x = 23 + int((r * r - k * k) ** 0.5)
            c.put(x, y, colour)


def cable(c):
    c.thick_line(15, 29, 15, 31, 2, GREY)
    c.rect(11, 29, 19, 31, GREY, INK)


def setup_picture():
    c = Canvas(32, 32)
    phone(c, 6, 2, 19, 27)
    cable(c)
    # A small gear at the bottom right: the phone is set up.
    for dx, dy in ((0, -5), (0, 5), (-5, 0), (5, 0), (-4, -4), (4, 4), (-4, 4), (4, -4)):
        c.rect(25 + dx - 1, 23 + dy - 1, 25 + dx + 1, 23 + dy + 1, YELLOW, YELLOW)
    c.ring(25, 23, 4, 2.5, INK)
    return c


def call_picture():
    c = Canvas(32, 32)
    phone(c, 6, 2, 19, 29)
    handset_waves(c)
    return c


def indicator(state):
    """0 no phone (grey, crossed), 1 and 2 the two frames of a connected phone."""
    c = Canvas(32, 32)
    if state == 0:
        phone(c, 9, 2, 22, 29, body=GREY, screen=(200, 200, 200, 255))
        c.thick_line(4, 4, 28, 28, 3, RED)
    else:
        phone(c, 9, 2, 22, 29, screen=SKY if state == 1 else ORANGE)
        if state == 2:
            handset_waves(c, ORANGE)
    return c


def enlarge(canvas, size):
    """Nearest-pixel enlargement of a 32 x 32 picture."""
    out = Canvas(size, size)
    for y in range(size):
        for x in range(size):
            out.put(x, y, canvas.pixels[y * 32 // size][x * 32 // size])
    return out


def write_icon(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    data = []
    for canvas in images:
        image = dib(canvas)
        out += struct.pack("<BBBBHHII", canvas.width % 256, canvas.height % 256, 0, 0, 1, 32,
                           len(image), offset)
        offset += len(image)
        data.append(image)
    return out + b"".join(data)


def artwork():
    setup = setup_picture()
    out = [("res/icons/4030-phonesetup.ico",
            lambda: write_icon([enlarge(setup, 48), setup, reduce(setup)])),
           ("res/icons/4031-phonecall.ico",
            lambda: write_icon([call_picture(), reduce(call_picture())]))]
    for state, name in ((0, "phoneoff"), (1, "phoneon"), (2, "phonebusy")):
        out.append(("res/icons/%d-%s.ico" % (4032 + state, name),
                    lambda s=state: write_icon([indicator(s), reduce(indicator(s))])))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
