#!/usr/bin/env python3
"""Reads a mail file with Python's email package and prints what a mail client would see.

Texts are printed as the hexadecimal of their bytes in the declared charset, so that GBK texts can
be compared byte for byte (Python's gb2312 codec refuses the characters only GBK has).

Lines: "defects N", "header NAME HEX" for each decoded header, "address FIELD NAME-HEX ADDRESS" for
each mailbox, and "part TYPE CHARSET FILENAME-HEX PAYLOAD-HEX" for each leaf part (the file name
of Content-Disposition, an RFC 2231 value included).
"""
import email
import email.header
import email.policy
import email.utils
import sys


def header_bytes(raw):
    out = b""
    for chunk, charset in email.header.decode_header(raw):
        out += chunk if isinstance(chunk, bytes) else chunk.encode("ascii")
    return out


def main():
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    msg = email.message_from_bytes(data, policy=email.policy.compat32)
    defects = list(msg.defects)
    for part in msg.walk():
        defects += part.defects
    print("defects", len(defects))
    for name in ("Subject", "X-Mailer", "X-Priority", "MIME-Version"):
        if msg[name] is not None:
            print("header", name, header_bytes(msg[name]).hex())
    for field in ("From", "To", "Cc", "Bcc", "Reply-To", "Disposition-Notification-To"):
        for raw in msg.get_all(field, []):
            for piece in raw.split(","):
                name, address = email.utils.parseaddr(piece)
                print("address", field, header_bytes(name).hex() or "-", address)
    for part in msg.walk():
        if part.is_multipart():
            continue
        filename = part.get_param("filename", header="content-disposition")
        if isinstance(filename, tuple):
            # RFC 2231: (charset, language, the value's bytes as Latin-1 characters)
            filename_hex = filename[2].encode("latin-1").hex()
        else:
            filename_hex = header_bytes(filename).hex() if filename else "-"
        payload = part.get_payload(decode=True) or b""
        print("part", part.get_content_type(), part.get_content_charset() or "-", filename_hex,
              payload.hex() or "-")


main()
