#!/usr/bin/env python3
"""Draws the e-mail windows' pictures on the Canvas of artwork.py.

Each picture is drawn at twice its size and halved, on the mask colour of its bitmap.

- Bitmap 1402, four 7 x 14 marks of the list's tag column: 0 low importance (a blue arrow
  down), 1 high importance (a red exclamation mark), 2 an attachment (a paper clip), 3 a red flag.
- Bitmap 1403, three 14 x 14 marks of the read column: 0 read (a grey ring), 1 unread (a blue
  dot), 2 a read receipt asked for (a small ticked envelope).
- Bitmap 1404, two 7 x 7 marks of the junk column: 0 not junk (a small grey dot), 1 junk (a red
  dot).
- Bitmap 1405, the list header's seven 16 x 14 pictures: 2 a tag (the tag column), 3 an envelope
  (the state column), 4 a blue dot (the read column), 6 a waste bin (the junk column); 0, 1 and 5
  are blank.
- Bitmap 2004, the compose frame's five 24 x 24 tool-bar buttons on grey RGB(192, 192, 192):
  send (an envelope with a green arrow), save (a blue disk), save for sending (an envelope over a
  tray), save as draft (a page with a pencil) and close (a red cross).

The state pictures of the list are the message lists' bitmap 245 (sms_artwork.py).

    python3 tools/artwork/mail_artwork.py            # writes the files
    python3 tools/artwork/mail_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from shell_artwork import (BLUE, GREEN, GREY, INK, MAGENTA_MASK, ORANGE, PAPER,  # noqa: E402
                           arrow, disc, envelope, lines, page, write_bmp)

RED = (210, 40, 40, 255)
GREY_MASK = (192, 192, 192, 255)


def halve(canvas):
    """Each pixel the alpha-weighted average of the four it covers, kept whole or dropped: the
    bitmaps carry no alpha, and a half-covered pixel would show the mask colour at the edges."""
    out = Canvas(canvas.width // 2, canvas.height // 2)
    for y in range(out.height):
        for x in range(out.width):
            quad = [canvas.pixels[2 * y + j][2 * x + i] for j in (0, 1) for i in (0, 1)]
            a = sum(p[3] for p in quad)
            if a == 0:
                continue
            rgb = tuple(round(sum(p[k] * p[3] for p in quad) / a) for k in range(3))
            if a >= 2 * 255:
                out.put(x, y, rgb + (255,))
    return out


def strip(parts, width, height):
    """The parts side by side, each drawn on a canvas twice the cell's size."""
    out = Canvas(width * len(parts), height)
    for i, part in enumerate(parts):
        if part is None:
            continue
        big = Canvas(2 * width, 2 * height)
        part(big)
        small = halve(big)
        for y in range(height):
            for x in range(width):
                out.put(width * i + x, y, small.pixels[y][x])
    return out


# ---- 1402: 14 x 28 drawings -------------------------------------------------------------------

def low(c):
    arrow(c, 7, 3, 7, 24, BLUE, 4)


def high(c):
    c.rect(5, 3, 9, 18, RED, RED)
    c.rect(5, 21, 9, 25, RED, RED)


def clip(c):
    c.thick_line(4, 6, 4, 22, 2, INK)
    c.thick_line(4, 22, 7, 25, 2, INK)
    c.thick_line(7, 25, 10, 22, 2, INK)
    c.thick_line(10, 22, 10, 3, 2, INK)
    c.thick_line(10, 3, 8, 1, 2, INK)
    c.thick_line(8, 1, 6, 3, 2, INK)
    c.thick_line(6, 3, 6, 19, 2, INK)


def flag(c):
    c.thick_line(3, 3, 3, 26, 2, INK)
    c.polygon([(4, 3), (12, 7), (4, 12)], RED, RED)


# ---- 1403: 28 x 28 ------------------------------------------------------------------------

def read_ring(c):
    c.ring(13.5, 13.5, 7, 2, GREY)


def unread_dot(c):
    disc(c, 13.5, 13.5, 7, BLUE)


def receipt(c):
    envelope(c, 2, 7, 25, 22)
    c.thick_line(10, 17, 14, 22, 3, GREEN)
    c.thick_line(14, 22, 24, 10, 3, GREEN)


# ---- 1404: 14 x 14 ------------------------------------------------------------------------

def not_junk(c):
    disc(c, 6.5, 6.5, 2.5, GREY, GREY)


def junk(c):
    disc(c, 6.5, 6.5, 5.5, RED)


# ---- 1405: 32 x 28 ------------------------------------------------------------------------

def tag(c):
    c.polygon([(4, 8), (20, 8), (28, 14), (20, 20), (4, 20)], (250, 220, 120, 255), INK)
    disc(c, 9, 14, 2, PAPER)


def state_envelope(c):
    envelope(c, 3, 6, 28, 22)


def read_dot(c):
    disc(c, 15.5, 13.5, 6, BLUE)


def bin_(c):
    c.rect(8, 4, 23, 7, GREY, INK)
    c.polygon([(9, 8), (22, 8), (20, 26), (11, 26)], (200, 200, 210, 255), INK)
    for x in (13, 16, 19):
        c.line(x, 11, x - (x - 15) // 3, 23, INK)


# ---- 2004: 48 x 48 ------------------------------------------------------------------------

def big_envelope(c, t=14, b=38):
    c.rect(4, t, 43, b, PAPER, INK)
    c.line(4, t, 23, (t + b) // 2 + 2, INK)
    c.line(43, t, 24, (t + b) // 2 + 2, INK)


def send(c):
    big_envelope(c, 16, 40)
    arrow(c, 14, 10, 40, 10, GREEN, 5)


def save(c):
    c.rect(6, 6, 41, 41, BLUE, INK)
    c.rect(13, 6, 34, 18, PAPER, INK)
    c.rect(28, 8, 32, 16, INK, INK)
    c.rect(11, 25, 36, 41, PAPER, INK)
    lines(c, 14, 30, 33, 3, 4)


def save_outbox(c):
    big_envelope(c, 4, 26)
    c.polygon([(2, 30), (45, 30), (41, 44), (6, 44)], (200, 170, 120, 255), INK)
    arrow(c, 24, 22, 24, 38, ORANGE, 4)


def draft(c):
    c.polygon([(10, 4), (31, 4), (38, 11), (38, 44), (10, 44)], PAPER, INK)
    lines(c, 15, 14, 33, 5, 5)
    c.thick_line(20, 42, 42, 18, 5, ORANGE)
    c.thick_line(42, 18, 45, 15, 5, INK)


def close(c):
    c.thick_line(11, 11, 36, 36, 7, RED)
    c.thick_line(36, 11, 11, 36, 7, RED)


def artwork():
    return [
        ("res/bitmaps/1402-mailtags.bmp",
         lambda: write_bmp(strip([low, high, clip, flag], 7, 14), MAGENTA_MASK)),
        ("res/bitmaps/1403-mailread.bmp",
         lambda: write_bmp(strip([read_ring, unread_dot, receipt], 14, 14), MAGENTA_MASK)),
        ("res/bitmaps/1404-mailjunk.bmp",
         lambda: write_bmp(strip([not_junk, junk], 7, 7), MAGENTA_MASK)),
        ("res/bitmaps/1405-mailheader.bmp",
         lambda: write_bmp(strip([None, None, tag, state_envelope, read_dot, None, bin_], 16, 14),
                           MAGENTA_MASK)),
        ("res/bitmaps/2004-mailcompose.bmp",
         lambda: write_bmp(strip([send, save, save_outbox, draft, close], 24, 24), GREY_MASK)),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
