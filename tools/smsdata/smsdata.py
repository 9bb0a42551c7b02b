#!/usr/bin/env python3
"""Writes the compose windows' shipped data from the UTF-8 tables beside this script.

phrases.txt becomes the phrase bank res/app/SentenceBank/<group>/<set>.txt and texts.txt the
subjects file, the mail help text and the sender pages' help; every file is GBK text with "\\r\\n"
line ends, and a ".rtf" file is rich text in GBK (its first line a bold heading). The script
checks the tables first: every phrase must be encodable in GBK, non-empty and one line, every
group and set name a valid file name, no set given twice. With --check it compares the committed
files (and that no other file is in the bank) instead of writing.

    python3 tools/smsdata/smsdata.py            # writes the files
    python3 tools/smsdata/smsdata.py --check    # non-zero when a committed file differs
"""

import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
BAD_NAME_CHARS = set('\\/:*?"<>|')


def read_sections(path):
    """The "[name]" sections of a table with their non-empty lines, in order."""
    sections, current = [], None
    with open(path, encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if line.startswith("#") or not line.strip():
                continue
            if line.startswith("[") and line.endswith("]"):
                current = (line[1:-1], [])
                sections.append(current)
            elif current is None:
                raise SystemExit("%s:%d: text before the first section" % (path, number))
            else:
                current[1].append(line)
    return sections


def check_name(name, where):
    if not name or name in (".", "..") or BAD_NAME_CHARS & set(name):
        raise SystemExit("%s: %r is no valid file name" % (where, name))


def encode(lines, where):
    try:
        return "".join(line + "\r\n" for line in lines).encode("gbk")
    except UnicodeEncodeError as e:
        raise SystemExit("%s: not GBK: %s" % (where, e))


def rtf_escape(text, where):
    out = []
    for ch in text:
        if ch in "\\{}":
            out.append("\\" + ch)
        elif ord(ch) < 0x80:
            out.append(ch)
        else:
            try:
                out.extend("\\'%02x" % b for b in ch.encode("gbk"))
            except UnicodeEncodeError as e:
                raise SystemExit("%s: not GBK: %s" % (where, e))
    return "".join(out)


def encode_rtf(lines, where):
    """A heading and paragraphs as rich text: GBK code page, the Song typeface, 9 points."""
    if not lines:
        raise SystemExit("%s: no heading" % where)
    song = rtf_escape("宋体", where)
    out = ["{\\rtf1\\ansi\\ansicpg936\\deff0{\\fonttbl{\\f0\\fnil\\fcharset134 %s;}}" % song,
           "\\pard\\f0\\fs18\\b %s\\b0\\par" % rtf_escape(lines[0], where)]
    out += ["%s\\par" % rtf_escape(line, where) for line in lines[1:]]
    out.append("}")
    return "".join(line + "\r\n" for line in out).encode("ascii")


def wanted_files():
    files = {}
    seen = set()
    for name, lines in read_sections(os.path.join(HERE, "phrases.txt")):
        parts = name.split("/")
        if len(parts) != 2:
            raise SystemExit("phrases.txt: [%s] is not group/set" % name)
        for part in parts:
            check_name(part, "phrases.txt")
        if name in seen:
            raise SystemExit("phrases.txt: [%s] given twice" % name)
        seen.add(name)
        files[os.path.join("res", "app", "SentenceBank", parts[0], parts[1] + ".txt")] = encode(
            lines, name)
    for name, lines in read_sections(os.path.join(HERE, "texts.txt")):
        write = encode_rtf if name.endswith(".rtf") else encode
        files[os.path.join("res", "app", *name.split("/"))] = write(lines, name)
    return files


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true", help="compare instead of writing")
    parser.add_argument("--root", default=ROOT, help="the source tree")
    args = parser.parse_args()
    files = wanted_files()
    stale = []
    for rel, data in sorted(files.items()):
        path = os.path.join(args.root, rel)
        if args.check:
            try:
                with open(path, "rb") as f:
                    if f.read() != data:
                        stale.append(rel)
            except OSError:
                stale.append(rel)
        else:
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
    bank = os.path.join(args.root, "res", "app", "SentenceBank")
    for folder, _, names in os.walk(bank):
        for name in names:
            rel = os.path.relpath(os.path.join(folder, name), args.root)
            if rel not in files:
                stale.append(rel + " (not in the table)")
    for rel in stale:
        print("stale: " + rel, file=sys.stderr)
    return 1 if stale else 0


if __name__ == "__main__":
    sys.exit(main())
