#!/usr/bin/env python3
"""Draws the pictures of the e-card windows (tool-bar and account icons, the busy animation, the
unread-message badge, the login banner and the registration wizard's side picture) in the style
of shell_artwork.py. Only the standard library is used.

    python3 tools/artwork/ecard_artwork.py            # writes every file
    python3 tools/artwork/ecard_artwork.py --check    # fails when a committed file differs
"""

import argparse
import math
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_or_check  # noqa: E402
from notes_artwork import write_gif  # noqa: E402
from shell_artwork import (BLUE, GREEN, GREY, INK, ORANGE, PAPER, RED, SKY, YELLOW,  # noqa: E402
                           arrow, card, check, cross, disc, key, person, question, reduce, small,
                           write_bmp, write_icon)


def picture(*parts):
    c = Canvas(32, 32)
    for part in parts:
        part(c)
    return c


def lock(c, l=18, t=17):
    c.ring(l + 6, t + 3, 5, 2, GREY)
    c.rect(l, t + 3, l + 12, t + 13, YELLOW, INK)


def cycle(c, colour=GREEN):
    arrow(c, 6, 22, 24, 22, colour)
    arrow(c, 26, 10, 8, 10, colour)


def shield(c):
    c.polygon([(6, 4), (26, 4), (26, 16), (16, 29), (6, 16)], SKY, INK)
    check(c)


def hourglass_frame(k):
    """One of four frames of the busy animation: a globe whose band turns."""
    c = Canvas(32, 32)
    disc(c, 16, 16, 13, SKY)
    for i in range(4):
        a = (k * 22.5 + i * 90) * math.pi / 180
        x = 16 + int(9 * math.cos(a))
        y = 16 + int(9 * math.sin(a))
        disc(c, x, y, 3, ORANGE if i == 0 else GREEN)
    return c


def unread_badge():
    c = Canvas(32, 32)
    c.rect(3, 8, 28, 25, PAPER, INK)
    c.line(3, 8, 16, 18, INK)
    c.line(28, 8, 16, 18, INK)
    disc(c, 25, 8, 6, RED, RED)
    return c


def stranger(c):
    """A person in grey with a question badge: someone not yet a friend."""
    person(c, 13, shirt=GREY, hair=INK)
    small(question, 15, 15)(c)


def card_stack(c):
    """Two cards, one behind the other: the user's e-card contacts."""
    c.rect(6, 3, 31, 20, (200, 220, 250, 255), INK)
    card(c)


def banner():
    """The login dialog's banner: a blue band with a card and a person."""
    w, h = 416, 58
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = x / w
            c.put(x, y, (int(40 + 60 * t), int(90 + 70 * t), int(170 + 60 * t), 255))
    for k in range(6):
        c.ring(360 + 6 * k, 29, 18 + 6 * k, 1, (255, 255, 255, 60))
    c.rect(14, 8, 70, 48, (255, 240, 200, 255), INK)
    for i in range(3):
        c.line(40, 18 + 8 * i, 64, 18 + 8 * i, GREY)
    disc(c, 27, 22, 6, (246, 206, 170, 255))
    c.rect(19, 30, 35, 42, BLUE, BLUE)
    return c


def side_picture():
    """The wizard pages' side picture: a tall band with stacked cards."""
    w, h = 80, 200
    c = Canvas(w, h)
    for y in range(h):
        for x in range(w):
            t = y / h
            c.put(x, y, (int(230 - 80 * t), int(236 - 60 * t), 250, 255))
    for i, top in enumerate((30, 80, 130)):
        c.rect(12 + 4 * i, top, 62 + 4 * i, top + 36, (255, 240, 200, 255), INK)
        disc(c, 24 + 4 * i, top + 12, 5, (246, 206, 170, 255))
        c.line(34 + 4 * i, top + 10, 56 + 4 * i, top + 10, GREY)
        c.line(34 + 4 * i, top + 18, 56 + 4 * i, top + 18, GREY)
    return c


ICONS = [
    (542, "access-list", lambda: picture(lambda c: card(c), lambda c: lock(c))),
    (543, "default-access", lambda: picture(shield)),
    (544, "card-upload", lambda: picture(lambda c: card(c), lambda c: arrow(c, 24, 30, 24, 14, GREEN))),
    (545, "card-download", lambda: picture(lambda c: card(c), lambda c: arrow(c, 24, 14, 24, 30, BLUE))),
    (546, "find-id", lambda: picture(lambda c: card(c), lambda c: c.ring(22, 20, 7, 2, INK))),
    (547, "change-password", lambda: picture(key)),
    (548, "sync", lambda: picture(cycle)),
    (549, "refresh", lambda: picture(lambda c: cycle(c, BLUE))),
    (550, "unread", unread_badge),
    # Tool-bar pictures of the add-a-stranger button and the leftmost (contacts) button.
    (551, "stranger", lambda: picture(stranger)),
    (552, "contacts", lambda: picture(card_stack)),
    # The access table's readable and hidden field marks, and the card's state tab.
    (536, "readable", lambda: picture(lambda c: disc(c, 16, 16, 13, GREEN),
                                     lambda c: check(c, (255, 255, 255, 255)))),
    (537, "hidden", lambda: picture(lambda c: disc(c, 16, 16, 13, RED),
                                   lambda c: cross(c, (255, 255, 255, 255), 9))),
    (538, "state", lambda: picture(lambda c: person(c), lambda c: disc(c, 25, 8, 5, ORANGE))),
] + [(560 + k, "busy%d" % k, lambda k=k: hourglass_frame(k)) for k in range(4)]


def card_background():
    """The e-card lists' background tile: faint blue diagonal lines on white."""
    c = Canvas(32, 32)
    for y in range(32):
        for x in range(32):
            c.put(x, y, (236, 242, 252, 255) if (x + y) % 16 == 0 else (253, 254, 255, 255))
    return c


def artwork():
    out = [("res/app/Images/background19.gif", lambda: write_gif(card_background()))]
    for number, name, draw in ICONS:
        out.append(("res/icons/%d-ecard-%s.ico" % (number, name),
                    lambda d=draw: write_icon(d())))
    out.append(("res/bitmaps/6000-ecard-banner.bmp", lambda: write_bmp(banner(), (255, 255, 255))))
    out.append(("res/bitmaps/6001-ecard-wizard.bmp",
                lambda: write_bmp(side_picture(), (255, 255, 255))))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
