#!/usr/bin/env python3
"""Draws the calendar's pictures in the style of shell_artwork.py: the tool-bar icons next year
521 (a double arrow to the right), previous year 522 (to the left) and today 523 (a calendar leaf
with a red ring), the calendar page cursor 7000 (an arrow with a small calendar), and the entry
icons of the program folder: Icons/Birthday.ico (a cake), Icons/Task.ico (a task sheet) and
Icons/TaskDone.ico (the sheet ticked), and the task list's flags: Icons/LowImportance.ico and Icons/HighImportance.ico (9 x 16:
a blue arrow down, a red exclamation mark), Icons/Recurrence.ico (two arrows in a circle) and
Icons/Remind.ico (a bell). The schedule windows' pictures: the tree's file 507 (a page with a
calendar), open file 508 (the page opened behind it), open group 509 (an open folder), and the
task list's tool bar: day mode 584 (one day marked), filter 585 (a funnel), new sub-task 587 (a
task sheet under another with a plus), week mode 588 (a row marked) and month mode 589 (every
day marked). Only the standard library is used.

    python3 tools/artwork/calendar_artwork.py            # writes every file
    python3 tools/artwork/calendar_artwork.py --check    # fails when a committed file differs
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from artwork import Canvas, write_cursor, write_or_check  # noqa: E402
from phone_artwork import write_icon  # noqa: E402
from shell_artwork import (BLUE, GREEN, GREY, INK, PAPER, RED, YELLOW, arrow,  # noqa: E402
                           calendar, disc, folder, lines, page, plus, reduce, small)

PINK = (240, 150, 180, 255)
CREAM = (255, 236, 200, 255)
FLAME = (250, 160, 40, 255)
WHITE = (255, 255, 255, 255)


def double_arrow(forward):
    c = Canvas(32, 32)
    if forward:
        arrow(c, 3, 16, 17, 16, BLUE, 4)
        arrow(c, 13, 16, 28, 16, BLUE, 4)
    else:
        arrow(c, 28, 16, 14, 16, BLUE, 4)
        arrow(c, 18, 16, 3, 16, BLUE, 4)
    return c


def today():
    c = Canvas(32, 32)
    calendar(c)
    c.ring(16, 20, 6, 2, RED)
    return c


def cake():
    c = Canvas(32, 32)
    c.rect(4, 18, 27, 28, PINK, INK)
    c.rect(4, 18, 27, 21, CREAM, INK)
    c.rect(7, 11, 24, 18, CREAM, INK)
    for x in (10, 15, 20):
        c.rect(x, 5, x + 1, 11, BLUE, INK)
        disc(c, x + 0.5, 3, 1.6, FLAME, None)
    for x in (8, 14, 20):
        c.rect(x, 24, x + 2, 25, WHITE, WHITE)
    return c


def task(done):
    c = Canvas(32, 32)
    page(c, 5, 2, 26, 29)
    lines(c, 9, 8, 22, 5, 4, GREY)
    if done:
        c.thick_line(9, 19, 15, 25, 4, GREEN)
        c.thick_line(15, 25, 28, 9, 4, GREEN)
    else:
        c.rect(17, 20, 24, 27, YELLOW, INK)
    return c


def page_cursor():
    c = Canvas(32, 32)
    points = [(0, 0), (0, 17), (4, 13), (7, 20), (10, 19), (7, 12), (12, 12)]
    c.polygon(points, WHITE, INK)
    c.rect(14, 15, 29, 29, PAPER, INK)
    c.rect(14, 15, 29, 19, RED, INK)
    for row in range(2):
        for col in range(3):
            x = 16 + col * 4
            y = 21 + row * 4
            c.rect(x, y, x + 1, y + 1, GREY, GREY)
    return c


def level(high):
    c = Canvas(9, 16)
    if high:
        c.rect(3, 2, 5, 10, RED, RED)
        c.rect(3, 12, 5, 14, RED, RED)
    else:
        c.rect(3, 2, 5, 9, BLUE, BLUE)
        c.polygon([(0, 9), (8, 9), (4, 14)], BLUE, BLUE)
    return c


def recurrence():
    c = Canvas(32, 32)
    c.ring(16, 16, 11, 3, GREEN)
    c.polygon([(22, 2), (30, 8), (20, 11)], GREEN, GREEN)
    c.polygon([(10, 30), (2, 24), (12, 21)], GREEN, GREEN)
    return c


def bell():
    c = Canvas(32, 32)
    c.polygon([(10, 24), (10, 13), (13, 7), (19, 7), (22, 13), (22, 24)], YELLOW, INK)
    c.rect(5, 24, 27, 26, YELLOW, INK)
    disc(c, 16, 28.5, 2.5, FLAME)
    disc(c, 16, 5, 2, YELLOW)
    return c


def schedule_file(opened):
    c = Canvas(32, 32)
    if opened:
        c.polygon([(2, 6), (18, 2), (22, 26), (6, 30)], (230, 230, 230, 255), INK)
    page(c, 7 if opened else 5, 3, 28 if opened else 26, 29)
    small(calendar, 11 if opened else 9, 12, 0.5)(c)
    return c


def open_folder():
    c = Canvas(32, 32)
    folder(c, 3, 6, 26, 26)
    c.polygon([(3, 26), (8, 14), (30, 14), (26, 26)], (255, 226, 120, 255), INK)
    return c


def mode(cells):
    """A month leaf whose marked cells (row, column) of its 3 x 4 days are blue."""
    c = Canvas(32, 32)
    c.rect(3, 5, 28, 28, PAPER, INK)
    c.rect(3, 5, 28, 11, RED, INK)
    for row in range(3):
        for col in range(4):
            x = 6 + col * 6
            y = 14 + row * 5
            if (row, col) in cells:
                c.rect(x - 1, y - 1, x + 3, y + 3, BLUE, BLUE)
            else:
                c.rect(x, y, x + 2, y + 2, GREY, GREY)
    c.rect(9, 2, 10, 7, INK, INK)
    c.rect(21, 2, 22, 7, INK, INK)
    return c


def funnel():
    c = Canvas(32, 32)
    c.polygon([(3, 4), (28, 4), (18, 16), (18, 28), (13, 24), (13, 16)], (120, 170, 230, 255), INK)
    return c


def new_subtask():
    c = Canvas(32, 32)
    page(c, 2, 1, 20, 22)
    lines(c, 5, 7, 15, 3, 4, GREY)
    page(c, 10, 9, 28, 30)
    lines(c, 13, 15, 23, 2, 4, GREY)
    plus(c, 22, 25)
    return c


def artwork():
    icons = [(521, "nextyear", lambda: double_arrow(True)),
             (522, "prevyear", lambda: double_arrow(False)),
             (523, "today", today),
             (507, "schedule-file", lambda: schedule_file(False)),
             (508, "schedule-file-open", lambda: schedule_file(True)),
             (509, "group-open", open_folder),
             (584, "day-mode", lambda: mode({(1, 1)})),
             (585, "task-filter", funnel),
             (587, "new-subtask", new_subtask),
             (588, "week-mode", lambda: mode({(1, c) for c in range(4)})),
             (589, "month-mode", lambda: mode({(r, c) for r in range(3) for c in range(4)}))]
    out = [("res/icons/%d-%s.ico" % (number, name),
            lambda draw=draw: write_icon([draw(), reduce(draw())]))
           for number, name, draw in icons]
    out.append(("res/cursors/7000-calendar.cur", lambda: write_cursor(page_cursor(), (0, 0))))
    for name, draw in (("Birthday", cake), ("Task", lambda: task(False)),
                       ("TaskDone", lambda: task(True)), ("Recurrence", recurrence),
                       ("Remind", bell)):
        out.append(("res/app/Icons/%s.ico" % name,
                     lambda draw=draw: write_icon([draw(), reduce(draw())])))
    for name, high in (("LowImportance", False), ("HighImportance", True)):
        out.append(("res/app/Icons/%s.ico" % name, lambda high=high: write_icon([level(high)])))
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    args = parser.parse_args()
    return write_or_check(artwork(), args.check)


if __name__ == "__main__":
    sys.exit(main())
