#!/usr/bin/env python3
"""Draws the lists' sort arrows (bitmap 244) on the Canvas of artwork.py.

Two 14 x 14 images side by side on the mask colour RGB(255, 0, 255): image 0 the descending
arrow, a triangle pointing down, and image 1 the ascending arrow, a triangle pointing up, each a
grey body with a darker outline so that it reads on the header's button face. The contact list
and the message list both take them in this order. Only the Python 3 standard library is used.

    python3 tools/artwork/list_artwork.py            # writes the file
    python3 tools/artwork/list_artwork.py --check    # fails when the committed file differs
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from shell_artwork import MAGENTA_MASK, write_bmp  # noqa: E402

SIZE = 14
BODY = (128, 128, 136, 255)
EDGE = (72, 72, 84, 255)


def arrow(c, left, up):
    """A triangle 9 pixels wide and 5 high, centred in the 14 x 14 cell starting at left: rows
    1, 3, 5, 7 and 9 pixels wide, the ends of each row and the wide row in the outline colour."""
    mid = left + 6
    for i in range(5):
        y = (5 + i) if up else (9 - i)
        for x in range(mid - i, mid + i + 1):
            edge = i == 4 or x in (mid - i, mid + i)
            c.put(x, y, EDGE if edge else BODY)


def sort_arrows():
    c = Canvas(2 * SIZE, SIZE)
    arrow(c, 0, False)
    arrow(c, SIZE, True)
    return c


def artwork():
    return [("res/bitmaps/244-sortarrows.bmp", lambda: write_bmp(sort_arrows(), MAGENTA_MASK))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
