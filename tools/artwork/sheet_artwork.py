#!/usr/bin/env python3
"""Draws the contact sheet's own pictures in the style of shell_artwork.py and writes them as icon
files: 504, the photos tab (a framed picture of hills under the sun). Only the standard library
is used.

    python3 tools/artwork/sheet_artwork.py            # writes every file
    python3 tools/artwork/sheet_artwork.py --check    # fails when a committed file differs
"""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from phone_artwork import write_icon  # noqa: E402
from shell_artwork import GREEN, INK, PAPER, SKY, YELLOW, disc, reduce  # noqa: E402


def photo_picture():
    c = Canvas(32, 32)
    c.rect(2, 5, 29, 26, PAPER, INK)
    c.rect(5, 8, 26, 23, SKY, INK)
    disc(c, 20.5, 12.5, 3, YELLOW, None)
    c.polygon([(6, 22), (12, 14), (17, 19), (20, 16), (25, 22)], GREEN, INK)
    return c


def artwork():
    return [("res/icons/504-photo-tab.ico",
             lambda: write_icon([photo_picture(), reduce(photo_picture())]))]


if __name__ == "__main__":
    sys.exit(write_or_check(artwork(), "--check" in sys.argv[1:]))
