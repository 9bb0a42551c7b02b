#!/usr/bin/env python3
"""Draws the main window's artwork on the Canvas of artwork.py and writes it as resource files.

Icons are drawn once at 32 x 32 and reduced to 16 x 16 (each small pixel the average of four),
so both sizes share one style: a symbol in a few flat colours with a dark outline. Faces are
32 x 32 bitmaps on the mask colour RGB(0, 128, 128). Only the Python 3 standard library is used.

    python3 tools/artwork/shell_artwork.py            # writes every file
    python3 tools/artwork/shell_artwork.py --check    # fails when a committed file differs
"""

import argparse
import math
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import (BLACK, CLEAR, RED, WHITE, Canvas, write_cursor,  # noqa: E402
                     write_or_check)

INK = (40, 48, 72, 255)
PAPER = (250, 250, 244, 255)
BLUE = (52, 108, 196, 255)
SKY = (120, 170, 230, 255)
GREEN = (40, 150, 70, 255)
YELLOW = (240, 196, 64, 255)
ORANGE = (230, 130, 40, 255)
GREY = (150, 150, 160, 255)
BROWN = (150, 100, 60, 255)
PURPLE = (130, 80, 170, 255)
TEAL_MASK = (0, 128, 128, 255)
MAGENTA_MASK = (255, 0, 255, 255)


# ---- Drawing helpers on top of Canvas --------------------------------------------------------

def disc(c, cx, cy, r, fill, outline=INK):
    for y in range(c.height):
        for x in range(c.width):
            d = math.hypot(x + 0.5 - cx, y + 0.5 - cy)
            if d <= r:
                c.put(x, y, outline if d > r - 1.2 and outline else fill)


def page(c, l=7, t=3, r=24, b=28, fill=PAPER):
    c.polygon([(l, t), (r - 5, t), (r, t + 5), (r, b), (l, b)], fill, INK)
    c.line(r - 5, t, r - 5, t + 5, INK)
    c.line(r - 5, t + 5, r, t + 5, INK)


def lines(c, l, t, r, n, step=4, colour=GREY):
    for i in range(n):
        c.line(l, t + i * step, r, t + i * step, colour)


def folder(c, l=3, t=8, r=28, b=26, fill=YELLOW):
    c.polygon([(l, t), (l + 8, t), (l + 10, t + 3), (r, t + 3), (r, b), (l, b)], fill, INK)
    c.line(l, t + 6, r, t + 6, INK)


def plus(c, cx, cy, colour=GREEN):
    c.rect(cx - 5, cy - 1, cx + 5, cy + 1, colour, colour)
    c.rect(cx - 1, cy - 5, cx + 1, cy + 5, colour, colour)


def envelope(c, l=3, t=9, r=28, b=25, fill=PAPER):
    c.rect(l, t, r, b, fill, INK)
    c.line(l, t, (l + r) // 2, (t + b) // 2 + 1, INK)
    c.line(r, t, (l + r) // 2, (t + b) // 2 + 1, INK)


def arrow(c, x0, y0, x1, y1, colour, width=3):
    c.thick_line(x0, y0, x1, y1, width, colour)
    ang = math.atan2(y1 - y0, x1 - x0)
    p = [(x1, y1)]
    for da in (2.5, -2.5):
        p.append((round(x1 + 7 * math.cos(ang + da)), round(y1 + 7 * math.sin(ang + da))))
    c.polygon(p, colour, colour)


def person(c, cx=14, top=4, shirt=BLUE, skin=(246, 206, 170, 255), hair=BROWN):
    c.polygon([(cx - 10, 29), (cx - 9, 21), (cx - 4, 18), (cx + 4, 18), (cx + 9, 21),
               (cx + 10, 29)], shirt, INK)
    disc(c, cx + 0.5, top + 7, 6.5, skin)
    c.polygon([(cx - 6, top + 6), (cx - 4, top + 1), (cx + 4, top + 1), (cx + 7, top + 6),
               (cx + 4, top + 3), (cx - 3, top + 4)], hair, hair)


def phone(c, l=9, t=2, r=22, b=29, body=INK, screen=SKY):
    c.rect(l, t, r, b, body, INK)
    c.rect(l + 2, t + 3, r - 2, t + 12, screen, screen)
    for row in range(3):
        for col in range(3):
            x = l + 3 + col * 3
            y = t + 16 + row * 3
            c.rect(x, y, x + 1, y + 1, WHITE, WHITE)


def magnifier(c, cx=12, cy=12, r=8):
    c.ring(cx, cy, r, 2.5, INK)
    disc(c, cx, cy, r - 2.5, (210, 230, 250, 255), None)
    c.thick_line(cx + r * 0.7, cy + r * 0.7, 28, 28, 4, BROWN)


def check(c, colour=GREEN):
    c.thick_line(5, 17, 12, 25, 5, colour)
    c.thick_line(12, 25, 27, 7, 5, colour)


def cross(c, colour=RED, inset=6):
    c.thick_line(inset, inset, 31 - inset, 31 - inset, 5, colour)
    c.thick_line(31 - inset, inset, inset, 31 - inset, 5, colour)


def grid(c, n, size, gap):
    for row in range(n):
        for col in range(n):
            x = 3 + col * (size + gap)
            y = 3 + row * (size + gap)
            c.rect(x, y, x + size - 1, y + size - 1, SKY, INK)


def rows(c, columns):
    for i in range(5):
        y = 4 + i * 5
        c.rect(3, y, 6, y + 3, SKY, INK)
        c.line(9, y + 2, 28 if not columns else 15, y + 2, INK)
        if columns:
            c.line(18, y + 2, 22, y + 2, GREY)
            c.line(24, y + 2, 28, y + 2, GREY)


def bars(c, ascending):
    for i in range(4):
        h = 6 + i * 5 if ascending else 21 - i * 5
        c.rect(14 + i * 4, 28 - h, 16 + i * 4, 28, BLUE, INK)
    if ascending:
        arrow(c, 6, 27, 6, 6, GREEN)
    else:
        arrow(c, 6, 5, 6, 26, ORANGE)


def globe(c):
    disc(c, 16, 16, 13, SKY)
    c.ring(16, 16, 13, 1.5, INK)
    for dx in (-6, 0, 6):
        c.line(16 + dx, 4, 16 + dx, 28, BLUE)
    for dy in (-6, 0, 6):
        c.line(4, 16 + dy, 28, 16 + dy, BLUE)
    c.polygon([(9, 9), (15, 7), (16, 13), (11, 16)], GREEN, GREEN)
    c.polygon([(18, 18), (24, 17), (23, 24), (19, 25)], GREEN, GREEN)


def card(c, fill=(255, 240, 200, 255)):
    c.rect(2, 7, 29, 25, fill, INK)
    disc(c, 9, 14, 3.5, ORANGE)
    c.rect(5, 18, 13, 22, ORANGE, INK)
    lines(c, 16, 12, 26, 3, 4, INK)


def gear(c):
    for k in range(8):
        a = k * math.pi / 4
        c.thick_line(16, 16, 16 + 13 * math.cos(a), 16 + 13 * math.sin(a), 5, GREY)
    disc(c, 16, 16, 10, GREY)
    disc(c, 16, 16, 4, WHITE)


def calendar(c):
    c.rect(3, 5, 28, 28, PAPER, INK)
    c.rect(3, 5, 28, 11, RED, INK)
    for row in range(3):
        for col in range(4):
            x = 6 + col * 6
            y = 14 + row * 5
            c.rect(x, y, x + 2, y + 2, GREY, GREY)
    c.rect(9, 2, 10, 7, INK, INK)
    c.rect(21, 2, 22, 7, INK, INK)


def book(c, cover=GREEN):
    c.rect(6, 3, 26, 28, cover, INK)
    c.rect(8, 3, 9, 28, INK, INK)
    c.rect(13, 8, 23, 13, PAPER, INK)
    for y in (6, 12, 18, 24):
        c.rect(26, y, 28, y + 2, GREY, INK)


def notepad(c):
    c.rect(6, 4, 25, 29, (255, 250, 200, 255), INK)
    lines(c, 9, 11, 22, 5, 4, BLUE)
    for x in (9, 13, 17, 21):
        c.ring(x + 0.5, 4.5, 2.5, 1.2, INK)


def info(c):
    disc(c, 16, 16, 13, BLUE)
    c.rect(14, 13, 17, 25, WHITE, WHITE)
    disc(c, 15.5, 8.5, 2.2, WHITE, None)


def question(c):
    disc(c, 16, 16, 13, BLUE)
    c.ring(16, 12, 5, 2.5, WHITE)
    c.rect(9, 9, 16, 16, BLUE, BLUE)  # opens the ring on the lower left
    c.rect(15, 16, 17, 20, WHITE, WHITE)
    c.rect(15, 23, 17, 25, WHITE, WHITE)


def house(c):
    c.polygon([(3, 15), (16, 3), (29, 15)], RED, INK)
    c.rect(7, 15, 25, 28, PAPER, INK)
    c.rect(13, 20, 18, 28, BROWN, INK)


def board(c):
    c.rect(3, 4, 28, 22, (40, 90, 60, 255), BROWN)
    lines(c, 7, 9, 22, 3, 4, WHITE)
    c.thick_line(8, 22, 5, 30, 2, BROWN)
    c.thick_line(23, 22, 26, 30, 2, BROWN)


def window(c, left_pane):
    c.rect(2, 4, 29, 27, PAPER, INK)
    c.rect(2, 4, 29, 8, BLUE, INK)
    if left_pane:
        c.rect(3, 9, 11, 26, SKY, SKY)
        c.line(12, 9, 12, 26, INK)


def scissors(c):
    c.ring(9, 24, 5, 2, INK)
    c.ring(23, 24, 5, 2, INK)
    c.thick_line(11, 20, 22, 3, 2.5, GREY)
    c.thick_line(21, 20, 10, 3, 2.5, GREY)


def clipboard(c):
    c.rect(5, 5, 26, 29, BROWN, INK)
    c.rect(8, 9, 23, 27, PAPER, INK)
    c.rect(11, 3, 20, 7, GREY, INK)
    lines(c, 10, 13, 21, 3, 4)


def undo(c):
    for k in range(0, 181, 6):
        a = math.radians(k)
        c.thick_line(16 + 9 * math.cos(a), 18 - 9 * math.sin(a),
                     16 + 9 * math.cos(a + 0.1), 18 - 9 * math.sin(a + 0.1), 4, BLUE)
    c.polygon([(2, 16), (13, 16), (7, 25)], BLUE, BLUE)


def door(c):
    c.rect(8, 3, 24, 29, BROWN, INK)
    disc(c, 20.5, 16.5, 1.5, YELLOW, None)
    arrow(c, 14, 16, 30, 16, RED)


def key(c):
    c.ring(9, 16, 6, 3, YELLOW)
    c.thick_line(14, 16, 29, 16, 3, YELLOW)
    c.rect(24, 16, 26, 21, YELLOW, YELLOW)


def bubble(c, colour=SKY):
    c.polygon([(3, 4), (28, 4), (28, 19), (14, 19), (8, 26), (9, 19), (3, 19)], colour, INK)


def blank():
    return Canvas(32, 32)


def compose(*parts):
    def draw():
        c = Canvas(32, 32)
        for part in parts:
            part(c)
        return c
    return draw


def small(f, dx, dy, scale=0.55):
    """Draws part f at reduced size in the corner (dx, dy): a badge."""
    def draw(c):
        sub = Canvas(32, 32)
        f(sub)
        n = int(32 * scale)
        for y in range(n):
            for x in range(n):
                colour = sub.pixels[int(y / scale)][int(x / scale)]
                if colour[3]:
                    c.put(dx + x, dy + y, colour)
    return draw


def face_symbol(shirt, hair, skin=(246, 206, 170, 255)):
    return lambda c: person(c, 16, 3, shirt, skin, hair)


# ---- The pictures, by resource id ------------------------------------------------------------

ICONS = {
    80: ("app", compose(lambda c: c.rect(2, 2, 29, 29, (30, 60, 110, 255), INK),
                        lambda c: c.polygon([(8, 24), (12, 7), (16, 18), (20, 7), (24, 24)],
                                            (255, 255, 255, 255), WHITE),
                        lambda c: c.thick_line(5, 27, 27, 27, 2, SKY))),
    511: ("blank", blank),
    126: ("new", compose(page, small(lambda c: plus(c, 16, 16), 16, 16))),
    127: ("open", compose(folder, lambda c: arrow(c, 16, 22, 16, 10, GREEN))),
    130: ("save", compose(lambda c: c.rect(4, 4, 27, 27, BLUE, INK),
                          lambda c: c.rect(9, 4, 22, 12, PAPER, INK),
                          lambda c: c.rect(8, 17, 23, 27, GREY, INK))),
    141: ("saveall", compose(small(lambda c: (c.rect(4, 4, 27, 27, BLUE, INK),
                                              c.rect(9, 4, 22, 12, PAPER, INK)), 0, 0, 0.7),
                             small(lambda c: (c.rect(4, 4, 27, 27, BLUE, INK),
                                              c.rect(9, 4, 22, 12, PAPER, INK)), 9, 9, 0.7))),
    134: ("find", compose(magnifier)),
    135: ("up", compose(folder, lambda c: arrow(c, 16, 24, 16, 9, BLUE))),
    111: ("addressbook", compose(book)),
    430: ("smsmode", compose(phone)),
    530: ("subnodes", compose(lambda c: c.rect(3, 3, 12, 10, YELLOW, INK),
                              lambda c: c.line(7, 10, 7, 25, INK),
                              lambda c: c.line(7, 17, 15, 17, INK),
                              lambda c: c.line(7, 25, 15, 25, INK),
                              lambda c: c.rect(15, 14, 27, 20, YELLOW, INK),
                              lambda c: c.rect(15, 22, 27, 28, YELLOW, INK))),
    256: ("send", compose(envelope, lambda c: arrow(c, 12, 26, 30, 26, GREEN))),
    259: ("receive", compose(envelope, lambda c: arrow(c, 24, 0, 24, 16, BLUE))),
    131: ("newgroup", compose(folder, small(lambda c: plus(c, 16, 16), 14, 14))),
    132: ("newcontact", compose(lambda c: person(c, 13), small(lambda c: plus(c, 16, 16), 14, 14))),
    506: ("newpage", compose(notepad, small(lambda c: plus(c, 16, 16), 14, 14))),
    137: ("writesms", compose(phone, lambda c: c.thick_line(30, 8, 16, 26, 3, ORANGE))),
    136: ("confirm", compose(check)),
    133: ("discard", compose(cross)),
    138: ("sendsms", compose(lambda c: person(c, 11), small(bubble, 14, 1))),
    139: ("sendemail", compose(envelope, small(lambda c: arrow(c, 2, 16, 29, 16, GREEN), 14, 0))),
    143: ("largeicons", compose(lambda c: grid(c, 2, 12, 2))),
    144: ("smallicons", compose(lambda c: grid(c, 3, 7, 2))),
    145: ("list", compose(lambda c: rows(c, False))),
    146: ("details", compose(lambda c: rows(c, True))),
    147: ("ascending", compose(lambda c: bars(c, True))),
    149: ("descending", compose(lambda c: bars(c, False))),
    510: ("smscenter", compose(globe)),
    2000: ("ecard", compose(card, small(key, 14, 14))),
    150: ("close", compose(page, small(cross, 14, 14))),
    151: ("cut", compose(scissors)),
    152: ("copy", compose(small(page, 0, 0, 0.75), small(page, 8, 8, 0.75))),
    153: ("paste", compose(clipboard)),
    154: ("undo", compose(undo)),
    155: ("delete", compose(lambda c: cross(c, RED, 8))),
    156: ("replace", compose(page, small(magnifier, 12, 12))),
    157: ("options", compose(gear)),
    158: ("help", compose(question)),
    159: ("homepage", compose(house)),
    160: ("noticeboard", compose(board)),
    161: ("leftpane", compose(lambda c: window(c, True))),
    162: ("module-addressbook", compose(book)),
    163: ("module-sms", compose(phone, small(bubble, 14, 0))),
    164: ("module-notes", compose(notepad)),
    165: ("module-calendar", compose(calendar)),
    166: ("module-info", compose(info)),
    168: ("module-mail", compose(lambda c: envelope(c, fill=(255, 250, 200, 255)),
                                 small(lambda c: arrow(c, 2, 16, 29, 16, GREEN), 14, 14))),
    167: ("exit", compose(door)),
    # Images of the views: overlays, default faces and item icons.
    512: ("overlay-lock", compose(small(lambda c: (c.rect(6, 14, 25, 29, YELLOW, INK),
                                                   c.ring(16, 14, 8, 2.5, INK)), 0, 14, 0.55))),
    513: ("overlay-shared", compose(small(lambda c: (disc(c, 16, 16, 14, WHITE),
                                                     arrow(c, 6, 24, 24, 8, BLUE)), 0, 14, 0.55))),
    515: ("overlay-new", compose(small(lambda c: disc(c, 16, 16, 14, ORANGE), 0, 14, 0.55))),
    125: ("group", compose(folder)),
    182: ("face-male", compose(face_symbol(BLUE, BROWN))),
    183: ("face-female", compose(lambda c: person(c, 16, 3, (220, 90, 140, 255),
                                                  hair=(90, 50, 30, 255)),
                                 lambda c: c.rect(8, 9, 10, 18, (90, 50, 30, 255), INK),
                                 lambda c: c.rect(22, 9, 24, 18, (90, 50, 30, 255), INK))),
    514: ("face-unknown", compose(face_symbol(GREY, GREY, (220, 220, 220, 255)))),
    531: ("overlay-read", compose(small(check, 0, 14, 0.55))),
    532: ("overlay-sent", compose(small(lambda c: arrow(c, 2, 16, 29, 16, GREEN), 0, 14, 0.55))),
    533: ("overlay-failed", compose(small(cross, 0, 14, 0.55))),
    529: ("account", compose(lambda c: person(c, 16, 3, GREEN))),
    528: ("inbox", compose(envelope, lambda c: arrow(c, 16, 0, 16, 14, BLUE))),
    526: ("recycle", compose(lambda c: c.polygon([(7, 8), (25, 8), (23, 29), (9, 29)], GREY, INK),
                             lambda c: c.rect(5, 5, 26, 8, GREY, INK))),
    527: ("userbox", compose(folder, small(envelope, 12, 12))),
    # The document types (not yet the templates' own icons: the file-type registration of the
    # templates looks those up by the template ids 81-84).
    581: ("doc-addressbook", compose(page, small(book, 11, 11))),
    582: ("doc-senders", compose(page, small(phone, 11, 11))),
    583: ("doc-notebook", compose(page, small(notepad, 11, 11))),
    590: ("doc-contact", compose(page, small(lambda c: person(c, 16), 11, 11))),
    # The pages of the options dialog.
    431: ("opt-general", compose(lambda c: window(c, False), small(gear, 14, 14))),
    122: ("opt-sender", compose(lambda c: person(c, 12), small(phone, 14, 10))),
    578: ("opt-sms", compose(phone, small(lambda c: bubble(c, GREEN), 14, 0))),
    505: ("opt-notebook", compose(notepad, small(gear, 16, 16))),
    586: ("opt-task", compose(calendar, small(check, 14, 14))),
    572: ("opt-calendar", compose(calendar)),
}


def proxy_picture():
    """Bitmap 118: the globe reached through a relay box (the proxy page)."""
    c = Canvas(32, 32)
    small(globe, 13, 0, 0.6)(c)
    c.rect(1, 18, 14, 30, GREY, INK)
    c.rect(4, 21, 11, 23, GREEN, GREEN)
    arrow(c, 10, 18, 20, 12, BLUE, 2)
    return c

# The eleven 16 x 16 images of bitmap 237 (message kinds and states), in order. The senders tree
# gives its inbox, outbox, sent box and recycle box images 5 to 8: the outbox's messages have not
# gone yet (a red cross), the sent box's have (a tick).
STRIP = [envelope, lambda c: envelope(c, fill=(255, 250, 200, 255)), phone, bubble, card,
         lambda c: envelope(c, fill=SKY), lambda c: (envelope(c), cross(c)),
         lambda c: (envelope(c), check(c)), folder, notepad, calendar]


# ---- Writers -------------------------------------------------------------------------------

def reduce(canvas):
    """32 x 32 to 16 x 16: each pixel the alpha-weighted average of four."""
    out = Canvas(16, 16)
    for y in range(16):
        for x in range(16):
            quad = [canvas.pixels[2 * y + j][2 * x + i] for j in (0, 1) for i in (0, 1)]
            a = sum(p[3] for p in quad)
            if a == 0:
                continue
            rgb = tuple(round(sum(p[k] * p[3] for p in quad) / a) for k in range(3))
            out.put(x, y, rgb + (round(a / 4),))
    return out


def dib(canvas):
    """The image of an icon: the one image of a cursor file of the same picture."""
    return write_cursor(canvas, (0, 0))[6 + 16:]


def write_icon(canvas):
    images = [dib(canvas), dib(reduce(canvas))]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip((32, 16), images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def write_bmp(canvas, background):
    """A 24-bit bitmap; transparent pixels take the background (the mask colour)."""
    w, h = canvas.width, canvas.height
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(canvas.pixels):
        line = bytearray()
        for r, g, b, a in row:
            k = a / 255
            line += bytes(round(c * k + bg * (1 - k)) for c, bg in
                          ((b, background[2]), (g, background[1]), (r, background[0])))
        data += line + bytes(stride - len(line))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return header + info + bytes(data)


def strip_canvas():
    c = Canvas(16 * len(STRIP), 16)
    for i, part in enumerate(STRIP):
        big = Canvas(32, 32)
        part(big)
        little = reduce(big)
        for y in range(16):
            for x in range(16):
                c.put(16 * i + x, y, little.pixels[y][x])
    return c


def face(n):
    """Face n of 85: skin, hair, clothes and background vary with the number."""
    skins = [(246, 206, 170), (232, 184, 140), (200, 150, 110), (250, 220, 190), (170, 120, 90)]
    hairs = [(40, 30, 20), (90, 50, 30), (150, 100, 60), (200, 170, 90), (120, 120, 120)]
    shirts = [BLUE[:3], GREEN[:3], RED[:3], ORANGE[:3], PURPLE[:3], (60, 60, 60), SKY[:3]]
    skin = skins[n % 5] + (255,)
    hair = hairs[(n // 5) % 5] + (255,)
    shirt = shirts[(n // 2) % 7] + (255,)
    c = Canvas(32, 32)
    disc(c, 16, 16, 15, (235, 240, 250, 255) if n % 3 else (250, 240, 225, 255), None)
    person(c, 16, 3 + (n % 2), shirt, skin, hair)
    if n % 4 == 1:  # long hair
        c.rect(9, 8, 10, 17, hair, hair)
        c.rect(22, 8, 23, 17, hair, hair)
    if n % 6 == 2:  # glasses
        c.ring(13, 11, 2.5, 1, INK)
        c.ring(19, 11, 2.5, 1, INK)
        c.line(15, 11, 17, 11, INK)
    else:
        c.put(13, 11, INK)
        c.put(19, 11, INK)
    c.line(14, 14, 18, 14, (170, 70, 60, 255))
    return c


def hand_cursor():
    c = Canvas(32, 32)
    c.polygon([(7, 2), (10, 2), (10, 12), (20, 13), (22, 16), (21, 24), (17, 29), (8, 29),
               (3, 19), (4, 16), (7, 18)], WHITE, BLACK)
    for x in (13, 16, 19):
        c.line(x, 13, x, 18, BLACK)
    return c


def artwork():
    """(output path, bytes maker) for every file."""
    out = []
    for rid, (name, draw) in sorted(ICONS.items()):
        out.append(("res/icons/%d-%s.ico" % (rid, name), lambda d=draw: write_icon(d())))
    out.append(("res/bitmaps/237-itemstrip.bmp",
                lambda: write_bmp(strip_canvas(), (255, 255, 255, 255))))
    out.append(("res/cursors/218-hand.cur", lambda: write_cursor(hand_cursor(), (8, 2))))
    out.append(("res/bitmaps/118-proxy.bmp", lambda: write_bmp(proxy_picture(), MAGENTA_MASK)))
    for n in range(1, 86):
        out.append(("res/app/face/%d-1.bmp" % n, lambda n=n: write_bmp(face(n), TEAL_MASK)))
    return out


def rc_lines():
    """The resource script lines naming the icons, bitmap and cursor."""
    lines_out = []
    for rid, (name, _) in sorted(ICONS.items()):
        lines_out.append('%d ICON "icons/%d-%s.ico"' % (rid, rid, name))
    lines_out.append('237 BITMAP "bitmaps/237-itemstrip.bmp"')
    lines_out.append('218 CURSOR "cursors/218-hand.cur"')
    lines_out.append('118 BITMAP "bitmaps/118-proxy.bmp"')
    return lines_out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    parser.add_argument("--rc", action="store_true", help="print the resource script lines")
    args = parser.parse_args()
    if args.rc:
        print("\n".join(rc_lines()))
        return 0
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
