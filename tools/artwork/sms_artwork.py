#!/usr/bin/env python3
"""Draws the phrase bank's pictures on the Canvas of artwork.py.

Bitmap 110, six 16 x 16 images on the mask colour RGB(255, 0, 255): 0 a closed folder (a phrase
group), 1 an open folder (the group selected), 2 and 3 unused blanks, 4 a page of lines (a phrase
set) and 5 the page with a pencil (the set selected). Images\\background5.bmp is the pale lined
paper tiled behind the phrase list (64 x 64).

The message lists: bitmap 245, five 16 x 14 state pictures on magenta (0 an opened envelope, a
read message; 1 a closed blue envelope, unread; 2 an envelope with an orange arrow, waiting to be
sent; 3 a page with a pencil, a draft; 4 an envelope with a green tick, sent); bitmaps 246 and 247,
two 16 x 14 bar pictures (a small box and a small stack of pages); icon 597, the recycle mark laid
over the rows of a recycle box (a red cross in the lower left corner, the rest transparent); and
the tiles behind the lists: Images\\background4.bmp (faint blue checks), background9.gif (a
contact's messages, pale green stripes) and background13.gif (pale blue stripes). Only the Python
3 standard library is used.

The sender account's settings: bitmap 248, six 32 x 32 pictures on magenta for the list of its
pages, in the pages' order (0 the gateway account, a card with a key; 1 the person; 2 the phone;
3 the servers, a globe; 4 sending, an envelope with an arrow going out; 5 receiving, an envelope
with an arrow coming in).

    python3 tools/artwork/sms_artwork.py            # writes the files
    python3 tools/artwork/sms_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from shell_artwork import small  # noqa: E402
from shell_artwork import (BLUE, GREEN, INK, MAGENTA_MASK, ORANGE, PAPER,  # noqa: E402
                           arrow, card, check, envelope, folder, globe, key, lines, page, person,
                           phone, reduce, write_bmp, write_icon)
from notes_artwork import write_gif  # noqa: E402


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


def opened_envelope(c):
    c.polygon([(3, 13), (15, 4), (28, 13)], (236, 236, 226, 255), INK)
    envelope(c, t=13, b=27)


def closed_envelope(c):
    envelope(c, fill=(170, 200, 245, 255))


def waiting_envelope(c):
    envelope(c)
    arrow(c, 8, 28, 28, 28, ORANGE)


def draft_page(c):
    page(c)
    lines(c, 10, 9, 21, 4)
    c.thick_line(13, 27, 27, 13, 3, ORANGE)


def sent_envelope(c):
    envelope(c)
    check(c)


def strip_of(parts, height=14):
    strip = Canvas(16 * len(parts), height)
    for i, part in enumerate(parts):
        big = Canvas(32, 32)
        part(big)
        little = reduce(big)
        for y in range(height):
            for x in range(16):
                strip.put(16 * i + x, y, little.pixels[y + (16 - height) // 2][x])
    return strip


def bar_box(c):
    c.rect(6, 8, 25, 25, (200, 210, 230, 255), INK)


def bar_pages(c):
    page(c, 10, 3, 27, 24)
    page(c, 5, 8, 22, 29)


def recycle_mark():
    c = Canvas(32, 32)
    c.thick_line(2, 18, 14, 30, 4, (210, 40, 40, 255))
    c.thick_line(14, 18, 2, 30, 4, (210, 40, 40, 255))
    return c


def stripes(colour, step):
    c = Canvas(64, 64)
    for y in range(64):
        for x in range(64):
            c.put(x, y, colour if (x + y) % step < 2 else (255, 255, 255, 255))
    return c


def checks():
    c = Canvas(64, 64)
    for y in range(64):
        for x in range(64):
            c.put(x, y, (240, 244, 252, 255) if (x // 16 + y // 16) % 2 else (252, 253, 255, 255))
    return c


def account_page(c):
    card(c)
    small(key, 12, 12)(c)


def server_page(c):
    globe(c)


def sending_page(c):
    envelope(c, t=12, b=28)
    arrow(c, 10, 8, 29, 8, ORANGE)


def receiving_page(c):
    envelope(c, t=12, b=28)
    arrow(c, 29, 5, 12, 5, GREEN)


def page_pictures():
    parts = [account_page, person, phone, server_page, sending_page, receiving_page]
    strip = Canvas(32 * len(parts), 32)
    for i, part in enumerate(parts):
        big = Canvas(32, 32)
        part(big)
        for y in range(32):
            for x in range(32):
                strip.put(32 * i + x, y, big.pixels[y][x])
    return strip


def artwork():
    return [
        ("res/bitmaps/245-smsstates.bmp",
         lambda: write_bmp(strip_of([opened_envelope, closed_envelope, waiting_envelope,
                                     draft_page, sent_envelope]), MAGENTA_MASK)),
        ("res/bitmaps/246-smsbar1.bmp", lambda: write_bmp(strip_of([bar_box]), MAGENTA_MASK)),
        ("res/bitmaps/247-smsbar2.bmp", lambda: write_bmp(strip_of([bar_pages]), MAGENTA_MASK)),
        ("res/icons/597-recycle-overlay.ico", lambda: write_icon(recycle_mark())),
        ("res/app/Images/background4.bmp", lambda: write_bmp(checks(), (255, 255, 255, 255))),
        ("res/app/Images/background9.gif", lambda: write_gif(stripes((232, 246, 232, 255), 16))),
        ("res/app/Images/background13.gif",
         lambda: write_gif(stripes((232, 240, 252, 255), 16))),
        ("res/bitmaps/110-phrasebank.bmp", lambda: write_bmp(images(), MAGENTA_MASK)),
        ("res/bitmaps/248-senderpages.bmp", lambda: write_bmp(page_pictures(), MAGENTA_MASK)),
        ("res/app/Images/background5.bmp", lambda: write_bmp(lined_paper(), (255, 255, 255, 255))),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
