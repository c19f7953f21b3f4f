"""Figures of the serial layer under Wine against the phone simulator (not a
test: it prints timings). Run from the worktree after scripts/test.sh:

    bash -c 'source scripts/lib.sh; ensure_display; start_wine; map_ports;
             /usr/bin/python3 tools/bench/bench_serial.py'
"""
import os
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WIN = os.path.join(ROOT, "build", "windows")
os.environ.setdefault("ZANDU_BUILD", "windows")
os.environ.setdefault("ZANDU_WINE_RUN", os.path.join(WIN, "wine-run.sh"))
os.environ.setdefault("ZANDU_SERIAL_PROBE", os.path.join(WIN, "tests", "win", "serial_probe.exe"))
os.environ.setdefault("ZANDU_PORTS_DIR", os.path.join(WIN, "ports"))
os.environ.setdefault("ZANDU_PHONESIM", os.path.join(ROOT, "build", "host", "tools", "phonesim", "phonesim"))
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))  # zandu.py, the system tests' helpers

from zandu import Announcement, Phone, port_link, probe  # noqa: E402


def reply_times(*options, command="AT", rounds=20):
    with Phone(port_link("COM5"), "--no-echo", *options):
        out = probe("open=COM5", "wait=1,5000", *(["write=%s\\r\\n" % command, "read=512", "wait=2,3000"] * rounds))
    anns = [a for a in out if isinstance(a, Announcement)]
    return [anns[i + 1].t - anns[i].t for i in range(1, len(anns) - 1, 2)]


def main():
    cycles = 200
    with Phone(port_link("COM5"), "--no-echo"):
        start = time.monotonic()
        out = probe("open=COM5", "wait=1,5000", "cycles=%d,COM5" % cycles, timeout=300)
        elapsed = time.monotonic() - start - 2.0
    print("%s: %.1f ms per cycle of open (already open), cancel, AT, read" % (out[-1], elapsed * 1000 / cycles))
    for label, options, command in (("no pacing", (), "AT"), ("9600 baud", ("--baud", "9600"), "AT+CGMI")):
        d = reply_times(*options, command=command)
        print("%s, %s: write announced to reply announced: min %d ms, max %d ms, mean %.1f ms (%d rounds)"
              % (label, command, min(d), max(d), sum(d) / len(d), len(d)))


if __name__ == "__main__":
    main()
