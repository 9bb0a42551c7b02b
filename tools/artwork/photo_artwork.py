#!/usr/bin/env python3
"""Draws the tool-bar pictures of the contact photo page in the style of shell_artwork.py and
writes them as icon files (32 x 32 and 16 x 16). Only the standard library is used.

    python3 tools/artwork/photo_artwork.py            # writes every file
    python3 tools/artwork/photo_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from phone_artwork import write_icon  # noqa: E402
from shell_artwork import (BLUE, INK, RED, SKY, YELLOW, arrow, disc,  # noqa: E402
                           magnifier, plus, reduce)

HILL = (70, 150, 80, 255)


def photo(c, l=2, t=5, r=25, b=24):
    """A framed picture: sky, a sun and a hill."""
    c.rect(l, t, r, b, SKY, INK)
    disc(c, l + 7, t + 6, 3, YELLOW, None)
    c.polygon([(l + 1, b - 1), (l + 8, t + 10), (l + 13, t + 14), (l + 17, t + 9), (r - 1, b - 6),
               (r - 1, b - 1)], HILL, HILL)
    for x in range(l, r + 1):
        c.put(x, t, INK)
        c.put(x, b, INK)
    for y in range(t, b + 1):
        c.put(l, y, INK)
        c.put(r, y, INK)


def step(forward):
    c = Canvas(32, 32)
    if forward:
        arrow(c, 5, 16, 26, 16, BLUE, 5)
    else:
        arrow(c, 26, 16, 5, 16, BLUE, 5)
    return c


def add_picture():
    c = Canvas(32, 32)
    photo(c)
    plus(c, 24, 24)
    return c


def delete_picture():
    c = Canvas(32, 32)
    photo(c)
    c.thick_line(17, 17, 29, 29, 4, RED)
    c.thick_line(29, 17, 17, 29, 4, RED)
    return c


def edit_picture():
    """Three pictures behind each other: the whole list."""
    c = Canvas(32, 32)
    photo(c, 10, 2, 29, 17)
    photo(c, 6, 7, 25, 22)
    photo(c, 2, 12, 21, 27)
    return c


def actual_size_picture():
    c = Canvas(32, 32)
    photo(c, 2, 2, 27, 24)
    magnifier(c, 18, 17, 7)
    return c


def artwork():
    pieces = [(500, "photo-previous", lambda: step(False)),
              (501, "photo-next", lambda: step(True)),
              (502, "photo-delete", delete_picture),
              (503, "photo-add", add_picture),
              (524, "photo-actual-size", actual_size_picture),
              (525, "photo-edit", edit_picture)]
    return [("res/icons/%d-%s.ico" % (number, name),
             lambda draw=draw: write_icon([draw(), reduce(draw())]))
            for number, name, draw in pieces]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
