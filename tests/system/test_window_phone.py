"""The main window under Wine against simulated phones that behave as real
ones do: a late answer after Cancel, unsolicited codes, refusals for a moment
retried, the phone's error in words, "not found" for empty phone-book ranges,
a phone gone silent, what the recipients box holds after a download, and the
closing question. One window start for all of it, the minute of silence
last."""
import os
import tempfile
import time
import unittest

import zandu
from zandu import BUILD, Phone, Program, decode_submit, history_records, port_link, wait_for

NUMBER_BOX, CONTACT_BOX = 1014, 1007
SEND, REFRESH, CANCEL, CLOSE = 1006, 1010, 1012, 1027
RADIO_NUMBER, RADIO_CONTACT = 1008, 1009
IDCANCEL = 2
PHONEBOOK = [("+4917012345", "Anna"), ("5550001", "Bob")]
ENDED = ("Message sent", "Failed", "Error", "Phonebook downloaded")


@unittest.skipUnless(BUILD == "windows", "the window runs under Wine")
class PhoneDialogue(unittest.TestCase):
    def setUp(self):
        zandu.fresh_window_settings(self)
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.book = os.path.join(self.tmp.name, "book.txt")
        with open(self.book, "w", encoding="utf-8") as f:
            f.writelines("%s\t%s\n" % entry for entry in PHONEBOOK)

    def phone(self, *options):
        return Phone(port_link("COM5"), "--no-echo", "--phonebook-file", self.book, *options)

    def test_a_phone_as_real_ones_are(self):
        startup = self.phone()  # COM5 must be there when the ports are listed
        with Program() as program:
            program.wait_status("Ready")
            startup.stop()
            self.late_answer_after_cancel(program)
            self.unsolicited_codes(program)
            self.refusals_for_a_moment(program)
            self.recipients_box_after_a_download(program)
            self.not_found_for_empty_ranges(program)
            self.closing_after_a_partial_send(program)
            self.silence_and_closing_during_a_request(program)

    def late_answer_after_cancel(self, program):
        # Cancelled after its PDU: the answer comes while the next Send opens the port.
        records = len(history_records())
        with self.phone("--pdu-delay", "1500") as phone:
            program.compose("0123456789", "Late")
            program.click(SEND)
            wait_for(lambda: phone.events("pdu"))
            program.click(CANCEL)
            wait_for(lambda: "Canceled" in program.status_trail() and program.enabled(SEND))
            trail = program.request(SEND, ENDED)
            pdus = phone.events("pdu")
        self.assertTrue(trail[-1].startswith("Message sent to 0123456789 at "), trail)
        self.assertEqual(len(pdus), 2)  # the cancelled one, and one of the second request
        self.assertEqual(decode_submit(pdus[1]["pdu"])["Text"], "Late")
        self.assertEqual(len(history_records()), records + 1)

    def unsolicited_codes(self, program):
        records = len(history_records())
        with self.phone("--unsolicited", 'AT+CMGS=+CMTI: "SM",3', "--unsolicited", 'PDU=+CMTI: "SM",4') as phone:
            trail = program.send("111;222", "Hi", ENDED)
            replies = " ".join(r["text"] for r in phone.events("reply"))
            numbers = [decode_submit(p["pdu"])["Number"] for p in phone.events("pdu")]
        self.assertTrue(trail[-1].startswith("Message sent to 222 at "), trail)
        self.assertEqual(replies.count("+CMTI:"), 4)
        self.assertEqual(numbers, ["111", "222"])
        self.assertEqual([r[1] for r in history_records()[records:]], [" 111", " 222"])

    def refusals_for_a_moment(self, program):
        records = len(history_records())
        with self.phone("--error", "PDU:42@1") as phone:
            trail = program.send("0123456789", "Retry", ENDED)
            pdus = phone.events("pdu")
        self.assertTrue(trail[-1].startswith("Message sent to 0123456789 at "), trail)
        self.assertIn("Retrying message to 0123456789 (congestion)", trail)
        self.assertEqual([p.get("mr") for p in pdus], [None, 1])  # one accepted
        self.assertEqual(pdus[0]["pdu"], pdus[1]["pdu"])  # the same PDU, the same reference
        self.assertEqual(len(history_records()), records + 1)

        started = time.monotonic()
        with self.phone(*["--error", "PDU:38@1", "--error", "PDU:38@2", "--error", "PDU:38@3"]) as phone:
            trail = program.request(SEND, ENDED)
            self.assertEqual(len(phone.events("pdu")), 3)
        self.assertEqual(trail[-1], "Failed to send message: network out of order (+CMS ERROR: 38)")
        self.assertEqual(trail.count("Retrying message to 0123456789 (network out of order)"), 2)
        self.assertGreater(time.monotonic() - started, 7)  # after 2 s, then after 5 s

        with self.phone("--error", "PDU:500") as phone:
            trail = program.request(SEND, ENDED)
            self.assertEqual(len(phone.events("pdu")), 1)
        self.assertEqual(trail[-1], "Failed to send message: unknown error (+CMS ERROR: 500)")
        self.assertFalse([t for t in trail if t.startswith("Retrying")])
        self.assertEqual(len(history_records()), records + 1)

    def recipients_box_after_a_download(self, program):
        # Number mode chosen and a number typed while the phone book comes:
        # the box keeps it, and Send goes there.
        program.click(RADIO_CONTACT)
        with self.phone("--late-ok", "--gap", "1000") as phone:  # long enough for a loaded machine
            before = len(program.status_trail())
            program.click(REFRESH)
            program.click(RADIO_NUMBER)
            zandu.winprobe("settext", program.hwnd, NUMBER_BOX, "111")
            self.assertFalse(program.enabled(SEND))  # still downloading
            wait_for(lambda: any(t.startswith("Phonebook downloaded") for t in program.status_trail()[before:]))
            self.assertEqual(program.text(NUMBER_BOX), "111")
            wait_for(lambda: program.enabled(SEND))
            trail = program.request(SEND, ENDED)
            self.assertEqual(decode_submit(phone.events("pdu")[-1]["pdu"])["Number"], "111")
        self.assertTrue(trail[-1].startswith("Message sent to 111 at "), trail)

    def not_found_for_empty_ranges(self, program):
        program.click(RADIO_CONTACT)
        with self.phone("--phonebook-size", "250", "--cpbr-not-found") as phone:
            trail = program.request(REFRESH, ENDED)
            self.assertIn("AT+CPBR=241,250", phone.commands())
            self.assertIn("+CME ERROR: 22", " ".join(r["text"] for r in phone.events("reply")))
        self.assertTrue(trail[-1].startswith("Phonebook downloaded at "), trail)
        _, contacts = program.items(CONTACT_BOX)
        self.assertEqual(sorted(contacts), ["Anna (+4917012345)", "Bob (5550001)"])
        program.click(RADIO_NUMBER)

    def closing_after_a_partial_send(self, program):
        with self.phone("--error", "PDU@2"):
            trail = program.send("111;222", "Partial", ENDED)
        self.assertEqual(trail[-1], "Failed to send message")
        program.click(CLOSE)
        box, _ = program.wait_box("Confirm")
        program.answer_box(box, IDCANCEL)
        time.sleep(0.5)
        self.assertTrue(program.has_window())

    def silence_and_closing_during_a_request(self, program):
        with self.phone():
            self.assertTrue(program.send("0123456789", "Whole", ENDED)[-1].startswith("Message sent"))
        # AT, ATE0 and AT+CMGF=0 answered, AT+CMGS never.
        with self.phone("--silent-after", "3") as phone:
            before = len(program.status_trail())
            started = time.monotonic()
            program.click(SEND)
            wait_for(lambda: any(c.startswith("AT+CMGS=") for c in phone.commands()))
            # Sent whole before, yet this request may still be on its way with it.
            program.click(CLOSE)
            box, _ = program.wait_box("Confirm")
            program.answer_box(box, IDCANCEL)
            wait_for(lambda: "Error: timed out waiting for data" in program.status_trail()[before:], timeout=90)
            elapsed = time.monotonic() - started
            wait_for(lambda: program.enabled(SEND))
        self.assertGreaterEqual(elapsed, 60)
        self.assertLess(elapsed, 70)


if __name__ == "__main__":
    zandu.main()
