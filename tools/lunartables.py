#!/usr/bin/env python3
"""Compute the lunar calendar 1901..2050 and write core/LunarTables.inc.

The file holds the month sizes and the leap months of the lunar years
1901..2050.

A lunar month runs from the civil day of one new moon to the day before
the next, in China's time: Beijing local mean time (UTC+7:45:40) before
1929, UTC+8 from then on.  The month that holds the winter solstice is
the eleventh.  When thirteen months lie between one eleventh month and the
next, the first of them that holds no principal term (the sun's apparent
longitude reaching a multiple of 30 degrees) is a leap month and repeats
the number of the month before it.

The new moon is the moment the apparent geocentric longitudes of the sun
and the moon are equal.  The sun comes from tools/solarterms.py (truncated
VSOP87, nutation, aberration, Delta-T); the moon from the main periodic
terms of the ELP-2000/82 longitude as given in Meeus, "Astronomical
Algorithms", 2nd ed., chapter 47.  Both carry the same nutation, so it
cancels in the difference; it is kept so that each longitude is a true
apparent one and can be checked on its own.

Month sizes: one 16-bit word per lunar year, the months in calendar order
from bit 15 down (a leap month right after the month it follows), a set bit
for a 30-day month.  Leap months: one nibble per year, two years to a byte,
the year with even index (year - 1901) in the high nibble; 0 for no leap
month, else the number of the month the leap month follows.

The run compares the computed words with the reference tables below (the
words the calendar code was first written with), prints every year that
differs with the month starts on both sides, and lists the new moons and
principal terms close enough to midnight that the model could put them on
the other day, together with what would change if it did.

Usage: python3 tools/lunartables.py [--output PATH] [--margin MINUTES]
       python3 tools/lunartables.py --check     (compare, do not write)
Exits non-zero when a self-check fails; nothing is written then.
"""

import argparse
import math
import os
import sys

# The sun comes from the solar-term tool next to this one; importing it
# must not leave a byte-code cache in the source tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from solarterms import (  # noqa: E402
    J2000,
    TERM_NAMES,
    calendar_date,
    delta_t,
    julian_day,
    nutation_longitude,
    solve_term,
    sun_apparent_longitude,
)

FIRST_YEAR = 1901
LAST_YEAR = 2050
YEARS = LAST_YEAR - FIRST_YEAR + 1

# China's civil time.  Until the end of 1928 the calendar was reckoned in
# the local mean time of Beijing (116 deg 25' E), then in UTC+8.
LMT_OFFSET_DAYS = (7 * 3600 + 45 * 60 + 40) / 86400.0
CST_OFFSET_DAYS = 8.0 / 24.0
CST_FROM_JD_UT = julian_day(1929, 1, 1) - CST_OFFSET_DAYS

# Mean new moon of lunation 0 (2000-01-06, JDE) and the mean synodic month:
# the first guess for every true new moon.
MEAN_NEW_MOON_EPOCH = 2451550.09766
SYNODIC_MONTH = 29.530588861

# ---------------------------------------------------------------------------
# Moon: periodic terms of the longitude.  Each row: multiples of D, M, M', F
# and the sine coefficient in units of 1e-6 degree.
# ---------------------------------------------------------------------------

MOON_LONGITUDE = [
    (0, 0, 1, 0, 6288774),
    (2, 0, -1, 0, 1274027),
    (2, 0, 0, 0, 658314),
    (0, 0, 2, 0, 213618),
    (0, 1, 0, 0, -185116),
    (0, 0, 0, 2, -114332),
    (2, 0, -2, 0, 58793),
    (2, -1, -1, 0, 57066),
    (2, 0, 1, 0, 53322),
    (2, -1, 0, 0, 45758),
    (0, 1, -1, 0, -40923),
    (1, 0, 0, 0, -34720),
    (0, 1, 1, 0, -30383),
    (2, 0, 0, -2, 15327),
    (0, 0, 1, 2, -12528),
    (0, 0, 1, -2, 10980),
    (4, 0, -1, 0, 10675),
    (0, 0, 3, 0, 10034),
    (4, 0, -2, 0, 8548),
    (2, 1, -1, 0, -7888),
    (2, 1, 0, 0, -6766),
    (1, 0, -1, 0, -5163),
    (1, 1, 0, 0, 4987),
    (2, -1, 1, 0, 4036),
    (2, 0, 2, 0, 3994),
    (4, 0, 0, 0, 3861),
    (2, 0, -3, 0, 3665),
    (0, 1, -2, 0, -2689),
    (2, 0, -1, 2, -2602),
    (2, -1, -2, 0, 2390),
    (1, 0, 1, 0, -2348),
    (2, -2, 0, 0, 2236),
    (0, 1, 2, 0, -2120),
    (0, 2, 0, 0, -2069),
    (2, -2, -1, 0, 2048),
    (2, 0, 1, -2, -1773),
    (2, 0, 0, 2, -1595),
    (4, -1, -1, 0, 1215),
    (0, 0, 2, 2, -1110),
    (3, 0, -1, 0, -892),
    (2, 1, 1, 0, -810),
    (4, -1, -2, 0, 759),
    (0, 2, -1, 0, -713),
    (2, 2, -1, 0, -700),
    (2, 1, -2, 0, 691),
    (2, -1, 0, -2, 596),
    (4, 0, 1, 0, 549),
    (0, 0, 4, 0, 537),
    (4, -1, 0, 0, 520),
    (1, 0, -2, 0, -487),
    (2, 1, 0, -2, -399),
    (0, 0, 2, -2, -381),
    (1, 1, 1, 0, 351),
    (3, 0, -2, 0, -340),
    (4, 0, -3, 0, 330),
    (2, -1, 2, 0, 327),
    (0, 2, 1, 0, -323),
    (1, 1, -1, 0, 299),
    (2, 0, 3, 0, 294),
]


def moon_arguments(jde):
    """Mean longitude L', elongation D, the sun's and the moon's mean
    anomalies M and M', argument of latitude F (all degrees), the planetary
    arguments A1 and A2, the eccentricity factor E and T."""
    t = (jde - J2000) / 36525.0
    lp = (218.3164477 + 481267.88123421 * t - 0.0015786 * t * t
          + t ** 3 / 538841.0 - t ** 4 / 65194000.0)
    d = (297.8501921 + 445267.1114034 * t - 0.0018819 * t * t
         + t ** 3 / 545868.0 - t ** 4 / 113065000.0)
    m = (357.5291092 + 35999.0502909 * t - 0.0001536 * t * t
         + t ** 3 / 24490000.0)
    mp = (134.9633964 + 477198.8675055 * t + 0.0087414 * t * t
          + t ** 3 / 69699.0 - t ** 4 / 14712000.0)
    f = (93.2720950 + 483202.0175233 * t - 0.0036539 * t * t
         - t ** 3 / 3526000.0 + t ** 4 / 863310000.0)
    a1 = 119.75 + 131.849 * t
    a2 = 53.09 + 479264.290 * t
    e = 1.0 - 0.002516 * t - 0.0000074 * t * t
    return lp, d, m, mp, f, a1, a2, e, t


def moon_longitude_sum(jde):
    """The periodic part of the moon's longitude in 1e-6 degree."""
    lp, d, m, mp, f, a1, a2, e, _t = moon_arguments(jde)
    rd, rm, rmp, rf = (math.radians(x) for x in (d, m, mp, f))
    total = 0.0
    for cd, cm, cmp, cf, coeff in MOON_LONGITUDE:
        term = coeff * math.sin(cd * rd + cm * rm + cmp * rmp + cf * rf)
        # Terms with the sun's anomaly shrink with the Earth's eccentricity.
        total += term * e ** abs(cm)
    total += 3958.0 * math.sin(math.radians(a1))
    total += 1962.0 * math.sin(math.radians(lp - f))
    total += 318.0 * math.sin(math.radians(a2))
    return total


def moon_apparent_longitude(jde):
    """Apparent geocentric longitude of the moon in degrees, 0..360."""
    lp = moon_arguments(jde)[0]
    lam = lp + moon_longitude_sum(jde) * 1e-6
    lam += nutation_longitude(jde) / 3600.0
    return lam % 360.0


def elongation(jde):
    """Moon minus sun in apparent longitude, degrees in -180..180."""
    diff = moon_apparent_longitude(jde) - sun_apparent_longitude(jde)
    return (diff + 180.0) % 360.0 - 180.0


def solve_new_moon(k):
    """JDE (TT) of the true new moon of lunation k (k = 0 near 2000-01-06),
    found by Newton's method from the mean new moon."""
    jde = MEAN_NEW_MOON_EPOCH + SYNODIC_MONTH * k
    for _ in range(30):
        value = elongation(jde)
        slope = (elongation(jde + 0.01) - elongation(jde - 0.01)) / 0.02
        step = -value / slope
        jde += step
        if abs(step) < 1e-9:
            return jde
    raise RuntimeError("no convergence for lunation %d" % k)


# ---------------------------------------------------------------------------
# Time scales
# ---------------------------------------------------------------------------

def tt_to_ut(jde):
    """Julian Day in UT of a moment given in TT, with Delta-T taken at the
    middle of the moment's month as tools/solarterms.py does."""
    y, m, _d, _f = calendar_date(jde)
    return jde - delta_t(y + (m - 0.5) / 12.0) / 86400.0


def to_civil(jd_ut):
    """Julian Day in China's civil time of that moment."""
    if jd_ut < CST_FROM_JD_UT:
        return jd_ut + LMT_OFFSET_DAYS
    return jd_ut + CST_OFFSET_DAYS


def day_number(jd_civil):
    """Integer Julian Day Number of the civil day holding the moment."""
    return int(math.floor(jd_civil + 0.5))


def date_of(day):
    y, m, d, _f = calendar_date(day)
    return y, m, d


def day_of(y, m, d):
    return int(julian_day(y, m, d) + 0.5)


def iso(day):
    return "%04d-%02d-%02d" % date_of(day)


def format_moment(jd_civil):
    y, m, d, f = calendar_date(jd_civil)
    minutes = f * 1440.0
    h = int(minutes // 60)
    return "%04d-%02d-%02d %02d:%05.2f" % (y, m, d, h, minutes - 60 * h)


def minutes_from_midnight(jd_civil):
    """Signed minutes to the nearest midnight: negative before it."""
    frac = (jd_civil + 0.5) % 1.0
    minutes = frac * 1440.0
    return minutes if minutes < 720.0 else minutes - 1440.0


# ---------------------------------------------------------------------------
# Events
# ---------------------------------------------------------------------------

class Event:
    """A new moon (term None) or a principal term (its number 2, 4, ..,
    24): its moment in civil time and the civil day it falls on."""

    def __init__(self, term, jd_civil):
        self.term = term
        self.jd_civil = jd_civil
        self.day = day_number(jd_civil)

    def label(self):
        if self.term is None:
            return "new moon    "
        return "term %2d %s" % (self.term, TERM_NAMES[self.term - 1])


# The principal terms are the even-numbered ones (the sun at 300, 330, 0,
# ... 270 degrees); the last of the year is the winter solstice.
PRINCIPAL_TERMS = range(2, 25, 2)
WINTER_SOLSTICE = 24


def compute_events():
    """New moons from late 1900 to early 2052 and the principal terms of the
    Gregorian years 1900..2051."""
    def lunation(jd):
        return (jd - MEAN_NEW_MOON_EPOCH) / SYNODIC_MONTH

    first_k = int(math.floor(lunation(julian_day(1900, 10, 1))))
    last_k = int(math.ceil(lunation(julian_day(2052, 3, 1))))
    new_moons = []
    for k in range(first_k, last_k + 1):
        jd = to_civil(tt_to_ut(solve_new_moon(k)))
        new_moons.append(Event(None, jd))
    terms = []
    for year in range(1900, 2052):
        for term in PRINCIPAL_TERMS:
            jd = to_civil(tt_to_ut(solve_term(year, term)))
            terms.append(Event(term, jd))
    return new_moons, terms


# ---------------------------------------------------------------------------
# The calendar
# ---------------------------------------------------------------------------

class Month:
    def __init__(self, start, length, number, leap):
        self.year = None
        self.start = start
        self.length = length
        self.number = number
        self.leap = leap


def build_months(new_moon_days, term_days, solstice_days):
    """Number the months between the first and the last winter solstice.

    new_moon_days: sorted civil day numbers of the new moons; term_days:
    sorted days of every principal term; solstice_days: the days of the
    winter solstices (a subset of term_days).  Returns the list of Month
    from the eleventh month of the first solstice up to, not including,
    the eleventh month of the last one."""
    starts = sorted(new_moon_days)

    def month_index(day):
        # The month holding a day is the last one starting on or before it.
        lo, hi = 0, len(starts)
        while hi - lo > 1:
            mid = (lo + hi) // 2
            if starts[mid] <= day:
                lo = mid
            else:
                hi = mid
        if starts[lo] > day or lo + 1 >= len(starts):
            raise ValueError("no new moons around day %s" % iso(day))
        return lo

    # Terms outside the span of the new moons belong to no month here.
    has_term = set(month_index(day) for day in term_days
                   if starts[0] <= day < starts[-1])
    months = []
    solstices = sorted(solstice_days)
    for this, following in zip(solstices, solstices[1:]):
        first = month_index(this)
        stop = month_index(following)
        count = stop - first
        if count not in (12, 13):
            raise ValueError("%d months between the solstices of %s and %s"
                             % (count, iso(this), iso(following)))
        leap_index = None
        if count == 13:
            leap_index = next(i for i in range(first, stop)
                              if i not in has_term)
        number = 10
        for i in range(first, stop):
            leap = i == leap_index
            if not leap:
                number = number % 12 + 1
            months.append(Month(starts[i], starts[i + 1] - starts[i],
                                number, leap))
    return months


def assign_years(months):
    """Set each month's lunar year: the Gregorian year in which that
    year's first month begins."""
    first = next(i for i, m in enumerate(months)
                 if m.number == 1 and not m.leap)
    year = date_of(months[first].start)[0] - 1
    for month in months:
        if month.number == 1 and not month.leap:
            year = date_of(month.start)[0]
        month.year = year


def lunar_years(months):
    """Map lunar year -> its months in order, for the years whose months
    all lie in the list."""
    years = {}
    for month in months:
        years.setdefault(month.year, []).append(month)
    # The first and the last year are cut off by the ends of the list.
    del years[min(years)]
    del years[max(years)]
    return years


def encode_year(months):
    """(word, leap month) of one lunar year's months."""
    word = 0
    leap = 0
    for bit, month in zip(range(15, -1, -1), months):
        if month.length not in (29, 30):
            raise ValueError("month of %d days from %s"
                             % (month.length, iso(month.start)))
        if month.length == 30:
            word |= 1 << bit
        if month.leap:
            leap = month.number
    if len(months) != (13 if leap else 12):
        raise ValueError("lunar year from %s has %d months"
                         % (iso(months[0].start), len(months)))
    return word, leap


def build_tables(new_moon_days, term_days, solstice_days):
    """{year: (word, leap)} for 1901..2050 and the month list."""
    months = build_months(new_moon_days, term_days, solstice_days)
    assign_years(months)
    years = lunar_years(months)
    tables = {}
    for year in range(FIRST_YEAR, LAST_YEAR + 1):
        tables[year] = encode_year(years[year])
    return tables, months


# ---------------------------------------------------------------------------
# Reading a table back: month starts from (word, leap) and a new year's day
# ---------------------------------------------------------------------------

def decode_year(word, leap):
    """[(number, leap, days)] of the months of a table row."""
    months = []
    bit = 15
    for number in range(1, 13):
        months.append((number, False, 30 if word >> bit & 1 else 29))
        bit -= 1
        if number == leap:
            months.append((number, True, 30 if word >> bit & 1 else 29))
            bit -= 1
    return months


def table_month_starts(tables):
    """{(year, number, leap): start day} of every month the tables describe,
    the year 1901 starting on its recorded new year's day 1901-02-19."""
    starts = {}
    day = day_of(1901, 2, 19)
    for year in range(FIRST_YEAR, LAST_YEAR + 1):
        word, leap = tables[year]
        for number, is_leap, days in decode_year(word, leap):
            starts[(year, number, is_leap)] = day
            day += days
    starts[(LAST_YEAR + 1, 1, False)] = day
    return starts


def month_label(year, number, leap):
    return "%d %s%d" % (year, "leap " if leap else "", number)


# ---------------------------------------------------------------------------
# Reference tables: the words and leap months the calendar code was first
# written with, year 1901 first.
# ---------------------------------------------------------------------------

REFERENCE_TEXT = """
4AE0 A570 5268/5 D260 D950 6AA8/4 56A0 9AD0 4AE8/2 4AE0
A4D8/6 A4D0 D250 D548/5 B550 56A0 96D0/2 95B0 49B8/7 49B0
A4B0 B258/5 6A50 6D40 ADA8/4 2B60 9570 4978/2 4970 64B0/6
D4A0 EA50 6D48/5 5AD0 2B60 9370/3 92E0 C968/7 C950 D4A0
DA50/6 B550 56A0 AAD8/4 25D0 92D0 C958/2 A950 B4A8/7 6CA0
B550 55A8/5 4DA0 A5B0 52B8/3 52B0 A950/8 E950 6AA0 AD50/6
AB50 4B60 A570/4 A570 5260 E930/3 D950 5AA8/7 56A0 96D0
4AE8/5 4AD0 A4D0 D268/4 D250 D528/8 B540 B6A0 96D0/6 95B0
49B0 A4B8/4 A4B0 B258/10 6A50 6D40 ADA0/6 AB60 9370 4978/5
4970 64B0 6A50/3 EA50 6B28/8 5AC0 AB60 9368/5 92E0 C960
D4A8/4 D4A0 DA50 5AA8/2 56A0 AAD8/7 25D0 92D0 C958/5 A950
B4A0 B550/4 B550 55A8/9 4BA0 A5B0 52B8/6 52B0 A930 74A8/4
6AA0 AD50 4DA8/2 4B60 9570/6 A4E0 D260 E930/5 D530 5AA0
6B50/3 96D0 4AE8/11 4AD0 A4D0 D258/6 D250 D520 DAA0/5 B5A0
56D0 4AD8/2 49B0 A4B8/7 A4B0 AA50 B528/5 6D20 ADA0 55B0/3
"""


def parse_reference(text):
    tables = {}
    year = FIRST_YEAR
    for item in text.split():
        word, _, leap = item.partition("/")
        tables[year] = (int(word, 16), int(leap) if leap else 0)
        year += 1
    if year != LAST_YEAR + 1:
        raise ValueError("reference holds %d years" % (year - FIRST_YEAR))
    return tables


REFERENCE = parse_reference(REFERENCE_TEXT)

# ---------------------------------------------------------------------------
# Published facts the result must show.
# ---------------------------------------------------------------------------

# Gregorian date of the first day of the lunar year.  The new moon of
# 1916 fell at 23:51 Beijing local time on 3 February (00:05 on the 4th in
# UTC+8), so that year holds the pre-1929 time reckoning in place.
NEW_YEARS = {
    1901: (1901, 2, 19), 1902: (1902, 2, 8), 1912: (1912, 2, 18),
    1916: (1916, 2, 3),
    1920: (1920, 2, 20), 1933: (1933, 1, 26), 1950: (1950, 2, 17),
    1966: (1966, 1, 21), 1978: (1978, 2, 7), 1985: (1985, 2, 20),
    1996: (1996, 2, 19), 2000: (2000, 2, 5), 2001: (2001, 1, 24),
    2006: (2006, 1, 29), 2012: (2012, 1, 23), 2017: (2017, 1, 28),
    2020: (2020, 1, 25), 2023: (2023, 1, 22), 2024: (2024, 2, 10),
    2025: (2025, 1, 29), 2026: (2026, 2, 17), 2030: (2030, 2, 3),
    2033: (2033, 1, 31), 2034: (2034, 2, 19), 2050: (2050, 1, 23),
}

LEAP_MONTHS = {
    2001: 4, 2004: 2, 2006: 7, 2009: 5, 2012: 4, 2014: 9, 2017: 6,
    2020: 4, 2023: 2, 2025: 6, 2028: 5, 2031: 3, 2033: 11, 2036: 6,
}

# (lunar year, month, leap) -> Gregorian date of its first day.  The months
# of lunar 1900 are those the conversion code places 1901-01-01..02-18 in.
MONTH_STARTS = {
    (1900, 11, False): (1900, 12, 22),
    (1900, 12, False): (1901, 1, 20),
    (1906, 4, False): (1906, 4, 24),
    (2013, 5, False): (2013, 6, 8),
    (2025, 4, False): (2025, 4, 28),
    (2033, 11, False): (2033, 11, 22),
    (2033, 11, True): (2033, 12, 22),
    (2050, 11, False): (2050, 12, 14),
}

# (lunar year, month, leap) -> days, where a caller relies on the length.
MONTH_LENGTHS = {
    (1900, 12, False): 30,
    (2001, 3, False): 29,
    (2033, 11, False): 30,
    (2033, 11, True): 29,
}

# New moon days this calendar keeps although the computation puts the new
# moon on the neighbouring day: computed day -> kept day.  Only for new
# moons so close to midnight that the model cannot decide; every entry is
# shown on each run, and the run fails if the computation stops needing it.
#
# 1906: the new moon falls 8 minutes before midnight by the modern
# computation, but the calendar in force then was the imperial one, worked
# out by its observatory's own methods, and every published table of that
# year (the Hong Kong Observatory's among them) begins the fourth month on
# 1906-04-24.  Users check dates against the published calendar.
KEPT_NEW_MOON_DAYS = {"1906-04-23": "1906-04-24"}
KEPT_REASON = {"1906-04-23": "as the published calendar of 1906 has it"}

# ---------------------------------------------------------------------------
# Checks
# ---------------------------------------------------------------------------


def check_algorithm():
    """Reproduce worked examples of the moon series and published new
    moons; returns a list of failures."""
    failures = []
    # Moon, 1992 April 12.0 TD: sum of the longitude terms, apparent
    # longitude.
    jde = 2448724.5
    total = moon_longitude_sum(jde)
    if abs(total + 1127527) > 1.0:
        failures.append("moon longitude terms(1992-04-12) = %.1f" % total)
    lam = moon_apparent_longitude(jde)
    if abs(lam - 133.167265) > 2e-6:
        failures.append("moon apparent longitude(1992-04-12) = %.6f" % lam)
    # New moons (UTC) published by almanacs, to the minute.
    for text in PUBLISHED_NEW_MOONS:
        y, mo, d = (int(x) for x in text[:10].split("-"))
        h, mi = (int(x) for x in text[11:].split(":"))
        published = julian_day(y, mo, d) + (h * 60 + mi) / 1440.0
        k = round((published - MEAN_NEW_MOON_EPOCH) / SYNODIC_MONTH)
        computed = tt_to_ut(solve_new_moon(k))
        minutes = (computed - published) * 1440.0
        if abs(minutes) > NEW_MOON_TOLERANCE:
            failures.append("new moon %s UTC computed %+.2f min off"
                            % (text, minutes))
    return failures


PUBLISHED_NEW_MOONS = [
    "1977-02-18 03:37",  # 03:37:40 TT in Meeus's example; Delta-T 48 s
    "2000-01-06 18:14",
    "2009-07-22 02:35",
    "2017-08-21 18:30",
    "2024-04-08 18:21",
]
NEW_MOON_TOLERANCE = 2.0


def check_facts(tables, months):
    """Compare the built calendar with the published facts; returns a list
    of failures."""
    failures = []
    starts = table_month_starts(tables)
    by_key = dict(((m.year, m.number, m.leap), m) for m in months)
    for year, date in sorted(NEW_YEARS.items()):
        got = starts[(year, 1, False)]
        if got != day_of(*date):
            failures.append("new year %d on %s, published %04d-%02d-%02d"
                            % ((year, iso(got)) + date))
    for year, leap in sorted(LEAP_MONTHS.items()):
        if tables[year][1] != leap:
            failures.append("%d has leap month %d, published %d"
                            % (year, tables[year][1], leap))
    for key, date in sorted(MONTH_STARTS.items()):
        month = by_key.get(key)
        if month is None or month.start != day_of(*date):
            failures.append("%s starts on %s, published %04d-%02d-%02d" % (
                (month_label(*key), iso(month.start) if month else "-")
                + date))
    for key, days in sorted(MONTH_LENGTHS.items()):
        month = by_key.get(key)
        if month is None or month.length != days:
            failures.append("%s has %s days, expected %d" % (
                month_label(*key), month.length if month else "-", days))
    # The tables read back give the same month starts as the computation.
    for key, day in starts.items():
        month = by_key.get(key)
        if month is None or month.start != day:
            failures.append("table row of %s disagrees with the months"
                            % month_label(*key))
            break
    return failures


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

HEADER = """\
// Lunar month sizes and leap months of the lunar years {first}..{last},
// generated by tools/lunartables.py.  Do not edit by hand: change the tool
// and run it again.
//
// LUNAR_MONTH_SIZES_INIT: one word per lunar year, index year - {first}. From
// bit 15 down each bit is one month in calendar order (a leap month right
// after the month it follows); a set bit is a 30-day month, a clear bit a
// 29-day month.
//
// LUNAR_LEAP_MONTHS_INIT: one nibble per lunar year, two years to a byte:
// the year with even index (year - {first}) in the high nibble, the odd one in
// the low nibble. 0 = no leap month, else the month the leap month follows.
"""


def render(tables):
    lines = [HEADER.format(first=FIRST_YEAR, last=LAST_YEAR)]
    lines.append("// month sizes\n")
    lines.append("#define LUNAR_MONTH_SIZES_INIT \\\n")
    for start in range(FIRST_YEAR, LAST_YEAR + 1, 10):
        words = ", ".join("0x%04X" % tables[y][0]
                          for y in range(start, start + 10))
        last = start + 9 == LAST_YEAR
        lines.append("    %s%s /* %d */%s\n" % (
            words, "" if last else ",", start, "" if last else " \\"))
    lines.append("\n// leap months\n")
    lines.append("#define LUNAR_LEAP_MONTHS_INIT \\\n")
    for start in range(FIRST_YEAR, LAST_YEAR + 1, 20):
        stop = min(start + 20, LAST_YEAR + 1)
        packed = ", ".join(
            "0x%X%X" % (tables[y][1], tables[y + 1][1])
            for y in range(start, stop, 2))
        last = stop == LAST_YEAR + 1
        lines.append("    %s%s /* %d-%d */%s\n" % (
            packed, "" if last else ",", start, stop - 1,
            "" if last else " \\"))
    return "".join(lines)


def row_text(word, leap):
    return "%04X%s" % (word, "/%d" % leap if leap else "")


def describe_difference(year, computed_starts, reference_starts):
    """Lines naming the months of a year whose first day differs."""
    lines = []
    keys = sorted(set(k for k in computed_starts if k[0] == year)
                  | set(k for k in reference_starts if k[0] == year),
                  key=lambda k: (k[1], k[2]))
    for key in keys:
        new = computed_starts.get(key)
        old = reference_starts.get(key)
        if new != old:
            lines.append("    %-13s table %s  computed %s" % (
                month_label(*key), iso(old) if old else "(none)",
                iso(new) if new else "(none)"))
    return lines


def doubtful_events(new_moons, terms, tables, margin, kept_days=None):
    """Events within margin minutes of midnight, each with the years whose
    row would change if the event fell on the other side of midnight.
    kept_days: the new moon days the tables were built from (kept days
    applied), so that flipping one event leaves the kept ones in place."""
    result = []
    for index, event in enumerate(new_moons + terms):
        minutes = minutes_from_midnight(event.jd_civil)
        if abs(minutes) >= margin:
            continue
        other = event.day + (1 if minutes < 0 else -1)
        moon_days = list(kept_days) if kept_days else [e.day for e in new_moons]
        term_days = [e.day for e in terms]
        if index < len(new_moons):
            moon_days[index] = other
        else:
            term_days[index - len(new_moons)] = other
        solstices = [e.day for e in terms if e.term == WINTER_SOLSTICE]
        if event.term == WINTER_SOLSTICE:
            solstices = [other if d == event.day else d for d in solstices]
        try:
            flipped, _months = build_tables(moon_days, term_days, solstices)
            changed = [y for y in tables if flipped[y] != tables[y]]
        except (ValueError, KeyError):
            changed = None
        result.append((event, minutes, changed))
    return result


DEFAULT_OUTPUT = os.path.join(
    os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "core",
    "LunarTables.inc")


def parse_options():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=DEFAULT_OUTPUT,
                        help="the file to write (default: %(default)s)")
    parser.add_argument("--check", action="store_true",
                        help="only compare with --output, write nothing")
    parser.add_argument("--margin", type=float, default=10.0,
                        help="list new moons and principal terms this many "
                        "minutes from midnight")
    return parser.parse_args()


def fail(errors):
    for e in errors:
        print("error: " + e, file=sys.stderr)
    return 1


def new_moon_days(new_moons, errors):
    """The day each new moon starts a month on, with KEPT_NEW_MOON_DAYS
    applied; prints the kept days and adds stale entries to errors."""
    days = []
    used = set()
    print("new moon days kept against the computation:")
    for event in new_moons:
        kept = KEPT_NEW_MOON_DAYS.get(iso(event.day))
        if kept is None:
            days.append(event.day)
            continue
        used.add(iso(event.day))
        days.append(day_of(*(int(x) for x in kept.split("-"))))
        print("  computed %s, kept %s (%s)" % (
            format_moment(event.jd_civil), kept,
            KEPT_REASON.get(iso(event.day), "too close to midnight")))
    for day in sorted(set(KEPT_NEW_MOON_DAYS) - used):
        errors.append("kept new moon day for %s: no new moon is computed on "
                      "that day any more; drop the entry" % day)
    return days


def print_differences(tables):
    computed_starts = table_month_starts(tables)
    reference_starts = table_month_starts(REFERENCE)
    print("years where the computation and the reference differ:")
    for year in range(FIRST_YEAR, LAST_YEAR + 1):
        if tables[year] == REFERENCE[year]:
            continue
        print("  %d  reference %-7s computed %s" % (
            year, row_text(*REFERENCE[year]), row_text(*tables[year])))
        for line in describe_difference(year, computed_starts,
                                        reference_starts):
            print(line)
    after = (LAST_YEAR + 1, 1, False)
    print("  (new year of %d: reference %s, computed %s)" % (
        LAST_YEAR + 1, iso(reference_starts[after]),
        iso(computed_starts[after])))


def print_doubtful(new_moons, terms, tables, margin, kept_days=None):
    print("new moons and principal terms within %g minutes of midnight "
          "(China's civil time):" % margin)
    for event, minutes, changed in doubtful_events(new_moons, terms, tables,
                                                   margin, kept_days):
        side = ("%.2f min after midnight" % minutes if minutes >= 0
                else "%.2f min before midnight" % -minutes)
        kept = KEPT_NEW_MOON_DAYS.get(iso(event.day))
        if kept is not None and event.term is None:
            effect = "kept on %s %s" % (
                kept, KEPT_REASON.get(iso(event.day), "against the computation"))
        elif changed is None:
            effect = "the calendar cannot be built then"
        elif changed:
            effect = "on the other day it changes " + ", ".join(
                "%d (%s)" % (y, row_text(*tables[y])) for y in changed)
            if any(tables[y] != REFERENCE[y] for y in changed):
                effect += " [the reference differs]"
        else:
            effect = "no row depends on it"
        print("  %s  %s  %s; %s" % (event.label(),
                                  format_moment(event.jd_civil), side,
                                  effect))


def main():
    options = parse_options()
    errors = ["algorithm check: " + e for e in check_algorithm()]
    if errors:
        return fail(errors)

    new_moons, terms = compute_events()
    moon_days = new_moon_days(new_moons, errors)
    term_days = [e.day for e in terms]
    solstices = [e.day for e in terms if e.term == WINTER_SOLSTICE]
    tables, months = build_tables(moon_days, term_days, solstices)
    errors.extend(check_facts(tables, months))
    print_differences(tables)
    print_doubtful(new_moons, terms, tables, options.margin, moon_days)
    if errors:
        return fail(errors)

    text = render(tables)
    if options.check:
        try:
            with open(options.output, encoding="utf-8") as existing:
                current = existing.read()
        except OSError as e:
            return fail([str(e)])
        if current != text:
            return fail(["%s is not what the tool writes" % options.output])
        print("%s is up to date" % options.output)
        return 0
    with open(options.output, "w", encoding="utf-8", newline="\n") as out:
        out.write(text)
    print("wrote %s (%d years)" % (options.output, YEARS))
    return 0


if __name__ == "__main__":
    sys.exit(main())
