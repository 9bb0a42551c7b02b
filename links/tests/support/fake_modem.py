#!/usr/bin/env python3
"""A GSM phone in PDU mode on a pseudo-terminal, for the tests of the AT-command engine.

fake_modem.py LINK [JSON]: makes a pseudo-terminal, links its device to LINK and answers AT
commands on it until it is ended. Every command line it receives is logged to LINK.log as
"CMD <text>", every PDU sent after AT+CMGS as "PDU <hex> <length given>".

The JSON object scripts the test's phone (all keys optional):
  echo      true: commands are echoed until ATE0 (the default)
  csca      the service-centre number of AT+CSCA?
  messages  [[index, status, pdu], ...] listed by AT+CMGL
  errors    {command: error line} answered instead of OK
  silent    [command, ...] never answered
  before    {command: [line, ...]} unasked lines sent before the reply
  after     {command: [line, ...]} lines sent after the reply
  raw       {command: text} sent exactly as it stands instead of the reply
  garbage   {command: text} sent before the reply
  vanish    command on which the phone goes away at once
  prompt_delay  seconds before the "> " prompt of AT+CMGS
"""
import json
import os
import pty
import select
import sys
import time
import tty

link = sys.argv[1]
cfg = json.loads(sys.argv[2]) if len(sys.argv) > 2 else {}
master, slave = pty.openpty()
tty.setraw(slave)
tmp = link + ".tmp"
os.symlink(os.ttyname(slave), tmp)
os.rename(tmp, link)
log = open(link + ".log", "a", buffering=1)
echo = cfg.get("echo", True)


def send(data):
    if isinstance(data, str):
        data = data.encode("latin-1")
    os.write(master, data)


def line(text):
    send("\r\n" + text + "\r\n")


def reply(cmd, lines):
    if cmd in cfg.get("garbage", {}):
        send(cfg["garbage"][cmd])
    for extra in cfg.get("before", {}).get(cmd, []):
        line(extra)
    if cmd in cfg.get("raw", {}):
        send(cfg["raw"][cmd])
    else:
        for text in lines:
            line(text)
        line(cfg.get("errors", {}).get(cmd, "OK"))
    for extra in cfg.get("after", {}).get(cmd, []):
        line(extra)


def answer(cmd):
    global echo
    log.write("CMD " + cmd + "\n")
    if cmd == cfg.get("vanish"):
        os._exit(0)
    if cmd in cfg.get("silent", []):
        return None
    if cmd.upper() == "ATE0" and cmd not in cfg.get("errors", {}):
        echo = False
    if cmd == "AT+CSCA?":
        return reply(cmd, ['+CSCA: "+%s",145' % cfg.get("csca", "8613800100500")])
    if cmd.startswith("AT+CMGL="):
        lines = []
        for index, status, pdu in cfg.get("messages", []):
            lines.append("+CMGL: %d,%d,,%d" % (index, status, len(pdu) // 2 - 1 - int(pdu[:2], 16)))
            lines.append(pdu)
        return reply(cmd, lines)
    if cmd.startswith("AT+CMGS="):
        if cmd in cfg.get("errors", {}) or cmd in cfg.get("raw", {}):
            return reply(cmd, [])
        time.sleep(cfg.get("prompt_delay", 0))
        send("\r\n> ")
        return "pdu:" + cmd[8:]
    return reply(cmd, [])


buf = b""
pdu_length = None
while True:
    ready, _, _ = select.select([master], [], [], 30)
    if not ready:
        continue
    try:
        data = os.read(master, 1024)
    except OSError:
        # No one holds the device: wait for the next opener.
        time.sleep(0.05)
        continue
    if echo and pdu_length is None:
        send(data)
    buf += data
    while True:
        if pdu_length is not None:
            end = buf.find(b"\x1a")
            if end < 0:
                break
            pdu = buf[:end].decode("latin-1")
            buf = buf[end + 1:]
            log.write("PDU %s %s\n" % (pdu, pdu_length))
            pdu_length = None
            reply("PDU", ["+CMGS: 7"])
            continue
        end = buf.find(b"\r")
        if end < 0:
            break
        cmd = buf[:end].decode("latin-1").strip()
        buf = buf[end + 1:]
        if not cmd:
            continue
        state = answer(cmd)
        if isinstance(state, str) and state.startswith("pdu:"):
            pdu_length = state[4:]
