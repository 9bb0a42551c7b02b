#!/usr/bin/env python3
"""Draws the phrase bank's pictures on the Canvas of artwork.py.

Bitmap 110, six 16 x 16 images on the mask colour RGB(255, 0, 255): 0 a closed folder (a phrase
group), 1 an open folder (the group selected), 2 and 3 unused blanks, 4 a page of lines (a phrase
set) and 5 the page with a pencil (the set selected). Images\\background5.bmp is the pale lined
paper tiled behind the phrase list (64 x 64). Only the Python 3 standard library is used.

    python3 tools/artwork/sms_artwork.py            # writes the files
    python3 tools/artwork/sms_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from shell_artwork import (INK, MAGENTA_MASK, ORANGE, folder,  # noqa: E402
                           lines, page, reduce, write_bmp)


def closed_folder(c):
    folder(c)


def open_folder(c):
    folder(c, fill=(250, 220, 120, 255))
    c.polygon([(6, 14), (30, 14), (26, 27), (3, 27)], (252, 232, 150, 255), INK)


def phrase_page(c):
    page(c)
    lines(c, 10, 9, 21, 5)


def phrase_page_open(c):
    phrase_page(c)
    c.thick_line(14, 26, 27, 13, 3, ORANGE)
    c.thick_line(27, 13, 29, 11, 3, INK)


def images():
    parts = [closed_folder, open_folder, None, None, phrase_page, phrase_page_open]
    strip = Canvas(16 * len(parts), 16)
    for i, part in enumerate(parts):
        if part is None:
            continue
        big = Canvas(32, 32)
        part(big)
        little = reduce(big)
        for y in range(16):
            for x in range(16):
                strip.put(16 * i + x, y, little.pixels[y][x])
    return strip


def lined_paper():
    c = Canvas(64, 64)
    for y in range(64):
        for x in range(64):
            c.put(x, y, (252, 252, 240, 255))
    for y in range(15, 64, 16):
        for x in range(64):
            c.put(x, y, (214, 226, 240, 255))
    return c


def artwork():
    return [
        ("res/bitmaps/110-phrasebank.bmp", lambda: write_bmp(images(), MAGENTA_MASK)),
        ("res/app/Images/background5.bmp", lambda: write_bmp(lined_paper(), (255, 255, 255, 255))),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
