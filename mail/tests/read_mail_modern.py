#!/usr/bin/env python3
"""Reads a mail file as a reader that follows today's standards does (email.policy.default) and
prints what it makes of it, as UTF-8 lines:

"defects N" (the message's, every part's and every header's but the encoded words of an
attachment's Content-Type name, written so for older readers), "longest-header-line N" (in characters, without the
line end), "header NAME" for each header in order, "subject TEXT", "address FIELD NAME <ADDRESS>"
for each mailbox, and per leaf part "part TYPE CHARSET", "filename NAME" for an attachment and
"text TEXT" (line ends as \\n) for a text part.
"""
import email
import email.policy
import sys


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    head = data.split(b"\r\n\r\n", 1)[0]
    print("longest-header-line", max(len(line) for line in head.split(b"\r\n")))
    msg = email.message_from_bytes(data, policy=email.policy.default)
    defects = list(msg.defects)
    for part in msg.walk():
        defects += part.defects
        for name in part.keys():
            for defect in getattr(part[name], "defects", ()):
                # An attachment's name= is written as encoded words on purpose, for readers that
                # know no RFC 2231 file name; this reader takes the file name and flags the words.
                if name.lower() != "content-type" or "encoded-word" not in str(defect) and \
                        "encoded word" not in str(defect):
                    defects.append(defect)
    print("defects", len(defects), *[repr(d) for d in defects])
    for name in msg.keys():
        print("header", name)
    print("subject", msg["subject"])
    for field in ("From", "To", "Cc"):
        header = msg[field]
        for address in header.addresses if header is not None else ():
            print("address", field, address.display_name, "<" + address.addr_spec + ">")
    for part in msg.walk():
        if part.is_multipart():
            continue
        print("part", part.get_content_type(), part.get_content_charset() or "-")
        if part.get_filename() is not None:
            print("filename", part.get_filename())
        elif part.get_content_maintype() == "text":
            print("text", part.get_content().replace("\r\n", "\n").replace("\n", "\\n"))


main()
