#!/usr/bin/env python3
"""Draws the notes' and the information base's pictures on the Canvas of artwork.py:

    res/bitmaps/110-infotree.bmp     the information tree's 9 images, 16 x 16 each on the mask
                                     colour RGB(255, 0, 255): base, open base, group, open group,
                                     item, selected item, row, web row, mail row
    res/bitmaps/112-browsefiles.bmp  the file list's 3 images, 48 x 48: address book, notebook,
                                     other file
    res/app/Images/background1.png   the file list's background tile (pale blue squares)
    res/app/Images/background6.png   the page list's background tile (ruled paper); the program
                                     names "background6.jpg", made from it with ImageMagick
    res/app/Images/background20.gif  the information list's background tile (faint dots)
    res/bitmaps/1400-fontmarks.bmp   the font box's marks, 16 x 15 each on white (they are
                                     blended in with AND): a printer for a device font, an
                                     outlined letter with its curve handles for an outline font

Only the Python 3 standard library is used, except the JPEG, which ImageMagick's `convert`
writes from the PNG when it is installed (the check leaves it out: encoders differ).

    python3 tools/artwork/notes_artwork.py            # writes the files
    python3 tools/artwork/notes_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import ROOT, Canvas, write_or_check  # noqa: E402
from shell_artwork import MAGENTA_MASK, write_bmp  # noqa: E402

INK = (60, 60, 60, 255)
PAPER = (252, 252, 240, 255)
LINE = (90, 120, 200, 255)
FOLDER = (240, 200, 90, 255)
FOLDER_EDGE = (140, 100, 20, 255)
COVER_RED = (200, 80, 60, 255)
COVER_BLUE = (60, 120, 200, 255)


def book(c, x, y, s, cover, open_):
    c.rect(x + 2 * s, y + 2 * s, x + 13 * s, y + 14 * s, cover, INK)
    c.rect(x + (5 if open_ else 4) * s, y + 3 * s, x + 12 * s, y + 13 * s, PAPER, INK)
    for row in range(5, 12, 2):
        c.line(x + 6 * s, y + row * s, x + 11 * s, y + row * s, LINE)


def folder(c, x, y, s, open_):
    c.rect(x + 1 * s, y + 3 * s, x + 6 * s, y + 5 * s, FOLDER, FOLDER_EDGE)
    c.rect(x + 1 * s, y + 4 * s, x + 14 * s, y + 13 * s, FOLDER, FOLDER_EDGE)
    if open_:
        c.rect(x + 3 * s, y + 7 * s, x + 15 * s, y + 13 * s, (250, 220, 130, 255), FOLDER_EDGE)


def page(c, x, y, s, fill, mark=None):
    c.rect(x + 3 * s, y + 1 * s, x + 13 * s, y + 15 * s, fill, INK)
    for row in range(4, 13, 2):
        c.line(x + 5 * s, y + row * s, x + 11 * s, y + row * s, LINE)
    if mark is not None:
        c.rect(x + 8 * s, y + 9 * s, x + 14 * s, y + 15 * s, mark, INK)


def info_tree():
    c = Canvas(16 * 9, 16)
    book(c, 0, 0, 1, COVER_BLUE, False)
    book(c, 16, 0, 1, COVER_BLUE, True)
    folder(c, 32, 0, 1, False)
    folder(c, 48, 0, 1, True)
    page(c, 64, 0, 1, PAPER)
    page(c, 80, 0, 1, (255, 250, 200, 255))
    page(c, 96, 0, 1, (255, 255, 255, 255))
    page(c, 112, 0, 1, (255, 255, 255, 255), (40, 140, 220, 255))
    page(c, 128, 0, 1, (255, 255, 255, 255), (230, 150, 40, 255))
    return c


def browse_files():
    c = Canvas(48 * 3, 48)
    book(c, 0, 0, 3, COVER_BLUE, False)
    book(c, 48, 0, 3, COVER_RED, False)
    folder(c, 96, 0, 3, False)
    return c


def tile(kind):
    c = Canvas(32, 32)
    for y in range(32):
        for x in range(32):
            if kind == "squares":
                v = (236, 244, 252, 255) if (x // 16 + y // 16) % 2 else (246, 250, 254, 255)
            elif kind == "ruled":
                v = (230, 236, 250, 255) if y % 16 == 15 else (255, 255, 248, 255)
            else:
                v = (232, 236, 232, 255) if x % 8 == 0 and y % 8 == 0 else (252, 252, 250, 255)
            c.put(x, y, v)
    return c


def write_png(canvas):
    raw = bytearray()
    for row in canvas.pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b))
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    ihdr = struct.pack(">IIBBBBB", canvas.width, canvas.height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def write_gif(canvas):
    """A GIF of at most 128 colours whose LZW stream clears its table before it grows, so every
    code is 8 bits wide."""
    colours = []
    index = []
    for row in canvas.pixels:
        for r, g, b, a in row:
            rgb = (r, g, b)
            if rgb not in colours:
                colours.append(rgb)
            index.append(colours.index(rgb))
    if len(colours) > 128:
        raise ValueError("too many colours for the GIF writer")
    palette = colours + [(0, 0, 0)] * (128 - len(colours))
    clear, stop = 128, 129
    codes = []
    for i, v in enumerate(index):
        if i % 120 == 0:
            codes.append(clear)
        codes.append(v)
    codes.append(stop)
    data = bytes(codes)  # 8-bit codes: each byte is one code
    blocks = bytearray()
    for i in range(0, len(data), 255):
        part = data[i:i + 255]
        blocks += bytes((len(part),)) + part
    blocks += b"\x00"
    w, h = canvas.width, canvas.height
    return (b"GIF89a" + struct.pack("<HHBBB", w, h, 0xF6, 0, 0) +
            b"".join(bytes(c) for c in palette) +
            b"," + struct.pack("<HHHHB", 0, 0, w, h, 0) + bytes((7,)) + bytes(blocks) + b";")


WHITE = (255, 255, 255)
MARK_INK = (40, 70, 150, 255)
MARK_HANDLE = (200, 60, 40, 255)
PRINTER = (110, 110, 110, 255)
PRINTER_PAPER = (235, 235, 235, 255)


def font_marks():
    c = Canvas(32, 15)
    # Device font: a small printer with a sheet coming out.
    c.rect(4, 1, 11, 5, PRINTER_PAPER, PRINTER)
    c.rect(1, 5, 14, 11, PRINTER, PRINTER)
    c.rect(3, 7, 12, 8, PRINTER_PAPER, PRINTER_PAPER)
    c.rect(4, 11, 11, 13, PRINTER_PAPER, PRINTER)
    # Outline font: a letter drawn as its outline, with two curve handles.
    x = 16
    c.line(x + 2, 13, x + 7, 1, MARK_INK)
    c.line(x + 7, 1, x + 12, 13, MARK_INK)
    c.line(x + 4, 13, x + 7, 5, MARK_INK)
    c.line(x + 7, 5, x + 10, 13, MARK_INK)
    c.line(x + 5, 9, x + 9, 9, MARK_INK)
    for hx, hy in ((x + 1, 13), (x + 13, 13)):
        c.rect(hx - 1, hy - 1, hx, hy, MARK_HANDLE, MARK_HANDLE)
    c.line(x + 13, 13, x + 14, 3, MARK_HANDLE)
    c.rect(x + 14, 2, x + 15, 3, MARK_HANDLE, MARK_HANDLE)
    return c


def artwork(check=False):
    files = [
        ("res/bitmaps/110-infotree.bmp", lambda: write_bmp(info_tree(), MAGENTA_MASK)),
        ("res/bitmaps/112-browsefiles.bmp", lambda: write_bmp(browse_files(), MAGENTA_MASK)),
        ("res/bitmaps/1400-fontmarks.bmp", lambda: write_bmp(font_marks(), WHITE)),
        ("res/app/Images/background1.png", lambda: write_png(tile("squares"))),
        ("res/app/Images/background6.png", lambda: write_png(tile("ruled"))),
        ("res/app/Images/background20.gif", lambda: write_gif(tile("dots"))),
    ]
    # The PNG is only a step to the JPEG, which is not compared.
    return [f for f in files if not (check and f[0].endswith("background6.png"))]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    status = write_or_check(artwork(args.check), args.check)
    if not args.check and status == 0 and shutil.which("convert"):
        images = os.path.join(ROOT, "res", "app", "Images")
        subprocess.run(["convert", os.path.join(images, "background6.png"), "-quality", "90",
                        os.path.join(images, "background6.jpg")], check=True)
        os.remove(os.path.join(images, "background6.png"))
    return status


if __name__ == "__main__":
    sys.exit(main())
