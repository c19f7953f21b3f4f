"""The command exchange under Wine, with the phone simulator on mapped COM
ports: what the dialog thread is told, in which order and when, and what the
phone received."""
import os
import unittest

import zandu
from zandu import (BUILD, OP_CLOSE, OP_OPEN, OP_READ, OP_WRITE, Announcement, Phone, port_link, probe,
                   remove_link)

ERROR_FILE_NOT_FOUND = 2


def anns(lines):
    return [a for a in lines if isinstance(a, Announcement)]


@unittest.skipUnless(BUILD == "windows", "the serial layer runs under Wine")
class Exchange(unittest.TestCase):
    def test_open_write_read_are_announced_in_order(self):
        with Phone(port_link("COM5")) as phone:
            out = anns(probe("open=COM5", "write=AT\\r\\n", "read=512", "wait=3,8000",
                             "open=COM5", "wait=1,3000", "close", "wait=1,3000"))
        self.assertEqual([(a.op, a.err) for a in out],
                         [(OP_OPEN, 0), (OP_WRITE, 0), (OP_READ, 0), (OP_OPEN, 0), (OP_CLOSE, 0)], out)
        opened, written, read, reopened = out[:4]
        # A fresh open pauses 2 s for the phone to settle.
        self.assertGreaterEqual(opened.t, 1950)
        self.assertLess(opened.t, 4000)
        # Echo and answer in one burst; the rest of the 512 bytes are zeros.
        self.assertEqual(read.text, "AT\r\r\nOK\r\n")
        self.assertTrue(read.zeros)
        # Opening the open port is announced at once, without the pause.
        self.assertLess(reopened.t - read.t, 500)
        self.assertEqual(phone.commands(), ["AT"])

    def test_a_burst_then_silence_ends_a_read(self):
        with Phone(port_link("COM5"), "--split-echo", "--gap", "600"):
            out = anns(probe("open=COM5", "wait=1,5000", "write=AT\\r\\n", "read=512", "read=512",
                             "wait=3,5000"))
        written, first, second = out[1:]
        self.assertEqual((first.op, first.text), (OP_READ, "AT\r"))
        self.assertEqual((second.op, second.text), (OP_READ, "\r\nOK\r\n"))
        # The first read ended after the echo and 50 ms of silence, not with the answer.
        self.assertLess(first.t - written.t, 450)
        self.assertGreaterEqual(second.t - first.t, 400)

    def test_missing_port_error_2_and_the_port_stays_closed(self):
        remove_link("COM7")
        with Phone(port_link("COM5"), "--no-echo") as phone:
            out = anns(probe("open=COM7", "wait=1,3000", "open=COM5", "write=AT\\r\\n", "read=512",
                             "wait=3,6000"))
        self.assertEqual((out[0].op, out[0].err), (OP_OPEN, ERROR_FILE_NOT_FOUND))
        self.assertLess(out[0].t, 1500)  # no pause after a failed open
        # Had COM7 counted as open, COM5 would not have been opened.
        self.assertEqual([(a.op, a.err) for a in out[1:]], [(OP_OPEN, 0), (OP_WRITE, 0), (OP_READ, 0)])
        self.assertEqual(out[3].text, "\r\nOK\r\n")
        self.assertEqual(phone.commands(), ["AT"])

    def test_what_came_before_the_pause_after_the_open_ended_is_discarded(self):
        # A message cancelled after its PDU: the phone answers it 1 s later,
        # while the port is closed and opened again. The pause after the open
        # ends with a purge, so the next command reads its own answer.
        with Phone(port_link("COM5"), "--no-echo", "--pdu-delay", "1000") as phone:
            out = anns(probe("open=COM5", "wait=1,5000", "write=AT+CMGS=15\\r", "read=512", "wait=2,5000",
                             "write=0011F10A8110325476980000AA02C834\\x1A", "close", "wait=2,3000",
                             "open=COM5", "write=AT\\r\\n", "read=512", "wait=3,6000"))
            self.assertEqual([p.get("mr") for p in phone.events("pdu")], [1])  # the phone took the PDU
        self.assertEqual([(a.op, a.err) for a in out[-3:]], [(OP_OPEN, 0), (OP_WRITE, 0), (OP_READ, 0)], out)
        self.assertEqual(out[-1].text, "\r\nOK\r\n")

    def test_port_held_by_another_program(self):
        # The simulator refuses every open of its port, as a port in use does;
        # the announcement carries the code the system gives for that.
        with Phone(port_link("COM6"), "--busy"):
            out = probe("direct=COM6", "open=COM6", "wait=1,3000")
        direct = int(out[0].split("=")[1])
        self.assertNotIn(direct, (0, ERROR_FILE_NOT_FOUND))
        self.assertEqual((out[1].op, out[1].err), (OP_OPEN, direct))

    def test_ports_above_com9_open_through_the_device_namespace(self):
        with Phone(port_link("COM12"), "--no-echo") as phone:
            out = anns(probe("open=COM12", "write=AT\\r\\n", "read=512", "wait=3,6000"))
        self.assertEqual([(a.op, a.err) for a in out], [(OP_OPEN, 0), (OP_WRITE, 0), (OP_READ, 0)])
        self.assertEqual(out[2].text, "\r\nOK\r\n")
        self.assertEqual(phone.commands(), ["AT"])

    def test_cancel_aborts_a_pending_read_silently_and_the_next_read_works(self):
        with Phone(port_link("COM5"), "--no-echo") as phone:
            out = probe("open=COM5", "wait=1,5000", "read=512", "quiet=600", "cancel", "quiet=400",
                        "write=AT\\r\\n", "read=512", "wait=2,5000")
        self.assertEqual([(a.op, a.err) for a in anns(out)], [(OP_OPEN, 0), (OP_WRITE, 0), (OP_READ, 0)])
        self.assertEqual(anns(out)[2].text, "\r\nOK\r\n")
        self.assertNotIn("timeout", out)
        self.assertEqual(phone.commands(), ["AT"])

    def test_cancel_aborts_only_what_is_in_progress(self):
        # What the modem driver does on every open: cancel, then "AT" and a
        # read. Not one of them may be aborted by the cancel before it.
        cycles = 150
        with Phone(port_link("COM5"), "--no-echo") as phone:
            out = probe("open=COM5", "wait=1,5000", "cycles=%d,COM5" % cycles, timeout=120)
        self.assertIn("cycles ok=%d failed=0" % cycles, out)
        self.assertEqual(phone.commands(), ["AT"] * cycles)

    def test_stop(self):
        out = probe("stop", "close", "quiet=300")
        stopped = [line for line in out if isinstance(line, str) and line.startswith("stopped")]
        self.assertLess(int(stopped[0].split("=")[1]), 1000)
        self.assertEqual(anns(out), [])  # queued after the stop: never performed

    def test_a_phone_that_disappears_during_a_read(self):
        with Phone(port_link("COM8"), "--no-echo", "--hangup-after", "2") as phone:
            out = anns(probe("open=COM8", "write=AT\\r\\n", "read=512", "wait=3,6000",
                             "write=ATE0\\r\\n", "read=512", "wait=2,5000",
                             "write=AT\\r\\n", "wait=1,3000", "close", "wait=1,3000", "stop"))
            self.assertEqual([e["during"] for e in phone.events("hangup")], ["command"])
        self.assertEqual(out[2].text, "\r\nOK\r\n")
        write, read, later, close = out[3:]
        self.assertEqual((write.op, write.err), (OP_WRITE, 0))
        # The pending read ends with the device's error instead of waiting forever.
        self.assertEqual(read.op, OP_READ)
        self.assertNotEqual(read.err, 0)
        self.assertEqual(later.op, OP_WRITE)
        self.assertNotEqual(later.err, 0)
        self.assertEqual((close.op, close.err), (OP_CLOSE, 0))


if __name__ == "__main__":
    zandu.main()
