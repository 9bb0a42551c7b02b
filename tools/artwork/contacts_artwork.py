#!/usr/bin/env python3
"""Draws the pictures of the address book's contact views in the style of shell_artwork.py: the
two tab images of a contact's details (bitmap 279: the message records, then the basic details)
and the row icon of the information list (icon 140). Only the standard library is used.

    python3 tools/artwork/contacts_artwork.py            # writes every file
    python3 tools/artwork/contacts_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from shell_artwork import (BLUE, INK, ORANGE, PAPER, SKY, card, disc, envelope,  # noqa: E402
                           reduce, write_bmp, write_icon)

WHITE_MASK = (255, 255, 255, 255)


def records_picture():
    """Two envelopes, one behind the other: the messages sent and received."""
    c = Canvas(32, 32)
    envelope(c, 8, 3, 30, 18, SKY)
    envelope(c, 2, 12, 24, 28, PAPER)
    return c


def details_picture():
    """A name card: the contact's basic details."""
    c = Canvas(32, 32)
    card(c)
    return c


def field_picture():
    """A blue bullet with a highlight and a short orange line: one field of the list."""
    c = Canvas(32, 32)
    disc(c, 11, 16, 9, BLUE, INK)
    disc(c, 8, 13, 3, SKY, None)
    c.thick_line(22, 16, 30, 16, 4, ORANGE)
    return c


def tabs_canvas():
    strip = Canvas(32, 16)
    for i, draw in enumerate((records_picture, details_picture)):
        little = reduce(draw())
        for y in range(16):
            for x in range(16):
                strip.put(16 * i + x, y, little.pixels[y][x])
    return strip


def artwork():
    return [("res/bitmaps/279-persontabs.bmp", lambda: write_bmp(tabs_canvas(), WHITE_MASK)),
            ("res/icons/140-field.ico", lambda: write_icon(field_picture()))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
