#!/usr/bin/env python3
"""The dates of recurrence rules as python-dateutil's rrule computes them.

Reads one rule a line from standard input:
    kind every flags anchor(YYYYMMDD) first last from to v0 .. v11
(first and last 0 for none) and writes, for each, one line with the matching dates of
from..to as YYYYMMDD numbers. Kinds: 0 day, 1 week, 3 month, 4 season, 5 year. Period 0 of
the every-N count is the anchor's period, so each rule starts whole periods before it.
"""
import sys
from datetime import date, datetime, time, timedelta

from dateutil.relativedelta import relativedelta
from dateutil.rrule import DAILY, MONTHLY, SU, WEEKLY, YEARLY, rrule, weekdays


def ymd(n):
    return date(n // 10000, n // 100 % 100, n % 100)


def bits(word):
    return [i for i in range(32) if word >> i & 1]


def rules_for(kind, every, flags, anchor, values, lead):
    """Rules whose union is the recurrence; `lead` periods of `every` before the anchor."""
    if kind == 0:
        return [rrule(DAILY, interval=every, dtstart=anchor - timedelta(days=every * lead))]
    if kind == 1:
        sunday = anchor - timedelta(days=(anchor.weekday() + 1) % 7)
        days = [weekdays[b] for b in bits(values[0]) if b < 7]
        if not days:
            return []
        return [rrule(WEEKLY, interval=every, wkst=SU, byweekday=days,
                      dtstart=sunday - timedelta(weeks=every * lead))]
    if kind == 3:
        first = anchor.replace(day=1) - relativedelta(months=every * lead)
        days = [-(b + 1) if flags & 1 else b + 1 for b in bits(values[0]) if b < 31]
        if not days:
            return []
        return [rrule(MONTHLY, interval=every, bymonthday=days, dtstart=first)]
    if kind == 4:
        quarter = anchor.replace(month=(anchor.month - 1) // 3 * 3 + 1, day=1)
        out = []
        for c in range(3):
            days = [b + 1 for b in bits(values[c]) if b < 31]
            if days:
                start = quarter + relativedelta(months=c - 3 * every * lead)
                out.append(rrule(MONTHLY, interval=3 * every, bymonthday=days, dtstart=start))
        return out
    if kind == 5:
        out = []
        for m in range(12):
            days = [b + 1 for b in bits(values[m]) if b < 31]
            if days:
                start = date(anchor.year - every * lead, 1, 1)
                out.append(rrule(YEARLY, interval=every, bymonth=m + 1, bymonthday=days,
                                 dtstart=start))
        return out
    raise ValueError("kind %d" % kind)


def lead_periods(kind, every, anchor, frm):
    """How many runs of `every` periods the rule starts before the anchor to cover `frm`."""
    days = max((anchor - frm).days, 0)
    months = max((anchor.year - frm.year) * 12 + anchor.month - frm.month, 0)
    per_kind = {0: days // every, 1: days // (7 * every), 3: months // every,
                4: months // (3 * every), 5: (anchor.year - frm.year) // every}
    return per_kind[kind] + 2


def main():
    for line in sys.stdin:
        f = [int(x) for x in line.split()]
        if not f:
            continue
        kind, every, flags, anchor, first, last, frm, to = f[:8]
        values = f[8:20]
        anchor, frm, to = ymd(anchor), ymd(frm), ymd(to)
        lead = lead_periods(kind, every, anchor, frm)
        found = set()
        for rule in rules_for(kind, every, flags, anchor, values, lead):
            for dt in rule.between(datetime.combine(frm, time()), datetime.combine(to, time()),
                                   inc=True):
                d = dt.date()
                n = d.year * 10000 + d.month * 100 + d.day
                if (first and n < first) or (last and n > last):
                    continue
                found.add(n)
        print(" ".join(str(n) for n in sorted(found)))
        sys.stdout.flush()


if __name__ == "__main__":
    main()
