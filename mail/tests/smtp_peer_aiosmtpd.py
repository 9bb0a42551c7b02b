#!/usr/bin/python3
"""An SMTP server for the mail client's tests, on 127.0.0.1, with PLAIN, LOGIN and CRAM-MD5 logins
for one user.

Usage: smtp_peer_aiosmtpd.py USER PASSWORD PORT FOLDER

Each message taken is written to FOLDER as N.eml (the text as received, dot-stuffing undone) and
N.env: "peer PORT" (the client's port: one per session), "auth MECHANISM LOGIN" ("auth - -" when
there was no login), "from ADDRESS OPTIONS..." and one "rcpt ADDRESS" per accepted recipient.
A recipient whose address starts with "refused@" gets 550. FOLDER/ready appears once the server
listens; SIGTERM ends it.
"""
import hashlib
import hmac
import os
import signal
import sys

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword

USER = sys.argv[1].encode()
PASSWORD = sys.argv[2].encode()
PORT = int(sys.argv[3])
FOLDER = sys.argv[4]


def write(path, data):
    with open(path + ".tmp", "wb") as f:
        f.write(data)
    os.rename(path + ".tmp", path)


def authenticator(server, session, envelope, mechanism, auth_data):
    ok = auth_data.login == USER and auth_data.password == PASSWORD
    if ok:
        session.auth_mechanism = mechanism
    # Not "handled": the server itself answers a failure with 535.
    return AuthResult(success=ok, handled=False, auth_data=auth_data if ok else None)


class Handler:
    def __init__(self):
        self.count = 0

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.startswith("refused@"):
            return "550 5.1.1 No such user"
        envelope.rcpt_tos.append(address)
        envelope.rcpt_options.extend(rcpt_options)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(FOLDER, str(self.count))
        login = session.auth_data.login if isinstance(session.auth_data, LoginPassword) else None
        lines = ["peer %d" % session.peer[1],
                 "auth %s %s" % (getattr(session, "auth_mechanism", None) or "-",
                                 login.decode() if login else "-"),
                 " ".join(["from", envelope.mail_from] + list(envelope.mail_options))]
        lines += ["rcpt " + r for r in envelope.rcpt_tos]
        write(base + ".eml", envelope.original_content or envelope.content)
        write(base + ".env", ("\n".join(lines) + "\n").encode())
        return "250 OK queued as %d" % self.count


# RFC 2195: the server sends a unique challenge and checks the keyed digest of it.
async def auth_cram_md5(server, args):
    challenge = b"<%d.%d@127.0.0.1>" % (os.getpid(), id(server))
    answer = await server.challenge_auth(challenge)
    if not isinstance(answer, bytes):
        return AuthResult(success=False)  # the server has answered already
    if b" " not in answer:
        return AuthResult(success=False, handled=False)
    login, digest = answer.rsplit(b" ", 1)
    expected = hmac.new(PASSWORD, challenge, hashlib.md5).hexdigest().encode()
    if login != USER or not hmac.compare_digest(digest, expected):
        return AuthResult(success=False, handled=False)
    session = server.session
    session.auth_mechanism = "CRAM-MD5"
    return AuthResult(success=True, auth_data=LoginPassword(login, b""))


handler = Handler()
setattr(handler, "auth_CRAM-MD5", auth_cram_md5)


# A fixed name: looking up our own would wait for a resolver the tests must not reach.
controller = Controller(handler, hostname="127.0.0.1", port=PORT, authenticator=authenticator,
                        server_hostname="smtp.test",
                        auth_require_tls=False)
controller.start()
write(os.path.join(FOLDER, "ready"), b"")
signal.signal(signal.SIGTERM, lambda *a: (controller.stop(), sys.exit(0)))
while True:
    signal.pause()
