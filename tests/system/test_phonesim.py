"""The phone simulator seen from its pseudo-terminal, as a program (or Wine)
sees it: the link, replies and their timing, the disconnect, a busy port, the
log and the printout. Host build only; the Windows tree uses it under Wine.
Beside it, the tools' reading of a program's output while it is written."""
import errno
import os
import select
import subprocess
import sys
import tempfile
import time
import tty
import unittest

import zandu
from zandu import BUILD, PHONESIM, Phone, cli, pdu_lines


def open_port(link):
    fd = os.open(link, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    return fd


def bursts(fd, quiet=0.15, limit=5.0):
    """Reads until nothing more comes for `quiet` seconds; returns
    [(seconds after the call, bytes)] per read."""
    start = time.monotonic()
    out = []
    last = start
    while time.monotonic() - start < limit:
        ready, _, _ = select.select([fd], [], [], quiet)
        if not ready:
            if out and time.monotonic() - last >= quiet:
                break
            if not out and time.monotonic() - start > limit:
                break
            continue
        try:
            data = os.read(fd, 4096)
        except OSError as e:
            if e.errno == errno.EIO:
                out.append((time.monotonic() - start, None))
                break
            raise
        last = time.monotonic()
        out.append((last - start, data or None))  # end of file: the line dropped
        if not data:
            break
    return out


def text(chunks):
    return b"".join(d for _, d in chunks if d)


@unittest.skipUnless(BUILD == "host", "the simulator is a host program")
class PhoneSim(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.link = os.path.join(self.tmp.name, "COM5")

    def tearDown(self):
        self.tmp.cleanup()

    def test_answers_and_keeps_the_line_when_the_port_is_closed(self):
        with Phone(self.link) as phone:
            self.assertTrue(os.readlink(self.link).startswith("/dev/pts/"))
            fd = open_port(self.link)
            os.write(fd, b"AT\r\n")
            self.assertEqual(text(bursts(fd)), b"AT\r\r\nOK\r\n")
            os.close(fd)
            # Reopened, the phone is still there and remembers its state.
            fd = open_port(self.link)
            os.write(fd, b"ATE0\r\n")
            self.assertEqual(text(bursts(fd)), b"ATE0\r\r\nOK\r\n")
            os.write(fd, b"AT\r\n")
            self.assertEqual(text(bursts(fd)), b"\r\nOK\r\n")
            os.close(fd)
            self.assertEqual(phone.commands(), ["AT", "ATE0", "AT"])
        self.assertFalse(os.path.lexists(self.link))  # removed at exit
        events = phone.events()
        self.assertEqual(events[0]["event"], "ready")
        self.assertEqual(events[-1]["event"], "stop")

    def test_bursts_are_separated_by_the_gap(self):
        with Phone(self.link, "--split-echo", "--late-ok", "--gap", "250"):
            fd = open_port(self.link)
            os.write(fd, b"AT+CGMI\r")
            chunks = bursts(fd, quiet=0.4)
            os.close(fd)
        self.assertEqual(text(chunks), b"AT+CGMI\r\r\nPhoneSim\r\n\r\nOK\r\n")
        starts = [chunks[0][0]]
        for (t0, _), (t1, _) in zip(chunks, chunks[1:]):
            if t1 - t0 > 0.1:
                starts.append(t1)
        self.assertEqual(len(starts), 3)
        self.assertGreaterEqual(starts[1] - starts[0], 0.2)
        self.assertGreaterEqual(starts[2] - starts[1], 0.2)

    def test_pacing_at_9600_baud(self):
        with Phone(self.link, "--no-echo", "--baud", "9600", "--phonebook", "20"):
            fd = open_port(self.link)
            os.write(fd, b'AT+CSCS="UTF-8"\r')
            bursts(fd)
            start = time.monotonic()
            os.write(fd, b"AT+CPBR=1,20\r")
            reply = text(bursts(fd, quiet=0.2))
            elapsed = time.monotonic() - start - 0.2
            os.close(fd)
        # 13 bytes in and the reply out, at about 1.04 ms a byte: neither
        # faster nor much slower (waking for every byte, it ran at half speed).
        expected = (13 + len(reply)) * 10 / 9600
        self.assertTrue(reply.endswith(b"\r\nOK\r\n"))
        self.assertGreater(elapsed, expected * 0.9)
        self.assertLess(elapsed, expected * 1.15 + 0.03, "%d bytes in %.3f s" % (13 + len(reply), elapsed))

    def test_hangup_drops_the_line(self):
        with Phone(self.link, "--no-echo", "--hangup-after", "2") as phone:
            fd = open_port(self.link)
            os.write(fd, b"AT\r")
            self.assertEqual(text(bursts(fd)), b"\r\nOK\r\n")
            os.write(fd, b"AT+CGMI\r")
            chunks = bursts(fd)
            self.assertEqual(chunks[-1][1], None)  # the device reports an error
            os.close(fd)
            self.assertEqual(phone.proc.wait(timeout=5), 0)
            self.assertFalse(os.path.lexists(self.link))
            self.assertEqual([e["during"] for e in phone.events("hangup")], ["command"])

    def test_unplugged_the_port_fails_vanishes_and_comes_back(self):
        # From the first open: the cable out at 1 s for 2 s, a message at 2 s.
        with Phone(self.link, "--no-echo", "--unplug-at", "1", "--unplug-for", "2", "--incoming-at", "2") as phone:
            fd = open_port(self.link)
            os.write(fd, b"AT+CNMI=2,1,0,2,0\r")
            self.assertEqual(text(bursts(fd)), b"\r\nOK\r\n")
            self.assertEqual(bursts(fd, limit=3)[-1][1], None)  # the device reports an error
            with self.assertRaises(FileNotFoundError):
                open_port(self.link)
            os.close(fd)
            zandu.wait_for(lambda: os.path.lexists(self.link), 5, "the link back")
            fd = open_port(self.link)
            os.write(fd, b"AT+CNMI?\rAT+CMGL=0\r")
            reply = text(bursts(fd))
            os.close(fd)
            self.assertTrue(reply.startswith(b"\r\n+CNMI: 0,0,0,0,0\r\n\r\nOK\r\n\r\n+CMGL: 1,0,,47\r\n"), reply)
            events = [(e["event"], e.get("open")) for e in phone.events()
                      if e["event"] in ("port", "unplug", "incoming", "replug", "announce")]
        self.assertEqual(events[:6], [("port", True), ("port", False), ("unplug", None), ("incoming", None),
                                      ("replug", None), ("port", True)])

    def test_busy_port_cannot_be_opened(self):
        with Phone(self.link, "--busy"):
            with self.assertRaises(OSError):
                os.open(self.link, os.O_RDWR | os.O_NOCTTY)

    def test_one_line_per_message(self):
        with Phone(self.link, "--no-echo", quiet=False) as phone:
            fd = open_port(self.link)
            long_part = pdu_lines(cli("pdu", "--ref", "7", "0123456789", "x" * 200).stdout)[0][1]
            for pdu in (b"0011F105812143F50000AA02C834", long_part.encode()):
                os.write(fd, b"AT+CMGS=%d\r" % (len(pdu) // 2 - 1))
                self.assertEqual(text(bursts(fd)), b"\r\n> ")
                os.write(fd, pdu + b"\x1a")
                self.assertTrue(text(bursts(fd)).startswith(b"\r\n+CMGS: "))
            os.close(fd)
            out = phone.stop()
        lines = out.strip().split("\n")
        self.assertEqual(lines[1:], ["Message 1 to 12345: Hi", "Message 2 to 0123456789 (part 1/2, ref 7): " + "x" * 153])
        pdus = phone.events("pdu")
        self.assertEqual([(p["part"], p["parts"], p["ref"]) for p in pdus[1:]], [(1, 2, 7)])

    def test_late_prompt_after_an_escape_and_answers_in_pieces(self):
        with Phone(self.link, "--no-echo", "--prompt-delay", "600", "--split-random", "3") as phone:
            fd = open_port(self.link)
            sent = time.monotonic()
            os.write(fd, b"AT+CMGS=13\r")
            time.sleep(0.1)
            os.write(fd, b"\x1b")  # before the prompt came
            waited = time.monotonic() - sent
            chunks = bursts(fd, quiet=0.4)
            os.close(fd)
            self.assertEqual(text(chunks), b"\r\n> \r\nOK\r\n")
            self.assertGreaterEqual(waited + chunks[0][0], 0.55)
            self.assertEqual([e["command"] for e in phone.events("abort")], ["AT+CMGS"])
            # The pieces come in reads of their own, 60 ms or more apart.
            pieces = sum(e["pieces"] for e in phone.events("reply"))
            self.assertGreater(pieces, 2)
            self.assertGreaterEqual(len(chunks), 2)

    def test_phonebook_file_and_help(self):
        book = os.path.join(self.tmp.name, "book.txt")
        with open(book, "w", encoding="utf-8") as f:
            f.write("+491701\tZo\u00eb\n\n0302\tBob\n")
        with Phone(self.link, "--no-echo", "--phonebook-file", book):
            fd = open_port(self.link)
            os.write(fd, b'AT+CSCS="UTF-8"\rAT+CPBR=?\r')
            self.assertEqual(text(bursts(fd)), b"\r\nOK\r\n\r\n+CPBR: (1-3),40,24\r\n\r\nOK\r\n")
            os.write(fd, b"AT+CPBR=1,3\r")
            self.assertEqual(text(bursts(fd)), '\r\n+CPBR: 1,"491701",145,"Zo\u00eb"\r\n'
                             '+CPBR: 3,"0302",129,"Bob"\r\n\r\nOK\r\n'.encode("utf-8"))
            os.close(fd)
        out = subprocess.run([PHONESIM, "--help"], capture_output=True, text=True, timeout=10)
        self.assertEqual(out.returncode, 0)
        for option in ("--link", "--log", "--split-echo", "--late-ok", "--error", "--silent-after",
                       "--hangup-in-pdu", "--baud", "--phonebook", "--left-at-prompt", "--prompt-delay", "--sim-pin",
                       "--sim-puk", "--sim-busy", "--split-random", "--model", "--signal", "--network", "--sca",
                       "--profile", "--profile-seed", "--network-quirks"):
            self.assertIn(option, out.stdout)
        bad = subprocess.run([PHONESIM, "--bogus"], capture_output=True, text=True, timeout=10)
        self.assertEqual(bad.returncode, 2)
        bad = subprocess.run([PHONESIM, "--phonebook-file", "/nonexistent"], capture_output=True, text=True,
                             timeout=10)
        self.assertEqual(bad.returncode, 2)


class ChildOutputReading(unittest.TestCase):
    def test_every_line_read_once_in_order_while_the_child_writes(self):
        # Written a line a write, as Wine writes a program's trace, and read
        # all along: none lost, none read twice, none torn.
        count = 100000
        out = zandu.ChildOutput()
        child = subprocess.Popen([sys.executable, "-c", "import os, time\nfor i in range(%d):\n"
                                  "    os.write(2, b'line %%07d\\n' %% i)\n"
                                  "    if i %% 50 == 0: time.sleep(0.0005)" % count], stderr=out.writer)
        out.child_started()
        got = []
        while child.poll() is None:
            got += out.new_lines()
        child.wait(timeout=60)
        got += out.new_lines()
        out.close()
        self.assertEqual(got, [b"line %07d" % i for i in range(count)])


if __name__ == "__main__":
    zandu.main()
