#!/usr/bin/env python3
"""Synthesises the program's own sounds into res/app/Sound.

Each sound is a few bell-like notes: a sum of sine partials that die away exponentially,
with a short attack so that no note starts with a click. Only the Python standard library is
used and nothing is random, so running the script again writes the same bytes.

    python3 tools/sounds/make_sounds.py            # writes res/app/Sound/*.wav
    python3 tools/sounds/make_sounds.py --output /tmp/sounds
"""
import argparse
import math
import os
import struct
import wave

RATE = 22050

# Partials of a small bell: (ratio to the fundamental, relative loudness, decay factor).
BELL = [(1.0, 1.0, 1.0), (2.0, 0.45, 1.6), (2.76, 0.25, 2.2), (5.4, 0.08, 3.5)]


def note(freq, start, length, loudness, decay):
    """(start, samples) of one bell note lasting `length` seconds."""
    samples = []
    n = int(length * RATE)
    attack = int(0.004 * RATE)
    for i in range(n):
        t = i / RATE
        v = 0.0
        for ratio, level, speed in BELL:
            v += level * math.exp(-decay * speed * t) * math.sin(2 * math.pi * freq * ratio * t)
        if i < attack:
            v *= i / attack
        # The last 20 ms fade to silence.
        tail = n - i
        if tail < 0.02 * RATE:
            v *= tail / (0.02 * RATE)
        samples.append(v * loudness)
    return int(start * RATE), samples


def mix(notes, total):
    out = [0.0] * int(total * RATE)
    for start, samples in notes:
        for i, v in enumerate(samples):
            if start + i < len(out):
                out[start + i] += v
    peak = max(abs(v) for v in out) or 1.0
    return [v / peak * 0.8 for v in out]


def write(path, samples):
    with wave.open(path, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(round(v * 32767))) for v in samples))


def reminder():
    # Two falling then one rising note: a gentle "ding-dong-ding" of about 1.6 s.
    return mix([note(880.0, 0.00, 0.9, 1.0, 3.0),
                note(698.5, 0.30, 0.9, 0.9, 3.0),
                note(1046.5, 0.60, 1.0, 0.8, 2.5)], 1.6)


def message_arrival():
    # A short rising pair: about half a second.
    return mix([note(1318.5, 0.00, 0.35, 0.8, 7.0),
                note(1760.0, 0.12, 0.40, 1.0, 6.0)], 0.55)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--output", default=os.path.join(here, "..", "..", "res", "app", "Sound"))
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    for name, make in (("WAVE0025.wav", reminder), ("msgarrival.wav", message_arrival)):
        path = os.path.join(args.output, name)
        write(path, make())
        print("wrote", os.path.normpath(path))


if __name__ == "__main__":
    main()
