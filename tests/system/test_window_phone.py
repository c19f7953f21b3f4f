"""The main window under Wine against simulated phones, for what needs the
window or the real serial layer: a late answer after Cancel and what the
recipients box keeps, the phone's error in words, "not found" for empty
phone-book ranges, what the recipients box holds after a download, the
closing question during and after a send; then real modems: a phone left at
its prompt (the ESC of the real open), a SIM that wants its PIN (the PIN
dialog), and Test Port's words. The families and habits of phones that need
neither (unsolicited codes, refusals for a moment, a late prompt, a network
that answers late, silence) are in tests/rig/phone_families_test.cpp, on
the in-process phone. One window start for each group."""
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
ENDED = ("Message sent", "Failed", "Error", "Phonebook downloaded", "Not confirmed")
TEST_PORT = 1015
PIN_EDIT, PIN_REFUSED, PIN_OK, PIN_CANCEL = 1061, 1063, 1064, 1065
NOT_CONFIRMED = ("Not confirmed: the phone did not say whether the message to 0123456789 was sent; "
                 "check the phone before sending it again")


def unconfirmed():
    """The numbers of the messages the History shows as not confirmed: their
    mark in the "Reports" list (state 3), which the History reads."""
    parts = [element.split("\t") for element in zandu.settings_list("Reports") or []]
    return [fields[1] for fields in parts if len(fields) > 4 and fields[4] == "3"]


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
            self.recipients_box_after_a_download(program)
            self.not_found_for_empty_ranges(program)
            self.closing_after_a_partial_send(program)
            self.silence_and_closing_during_a_request(program)

    def test_real_modems(self):
        startup = self.phone()
        with Program() as program:
            program.wait_status("Ready")
            startup.stop()
            self.left_at_its_prompt(program)
            self.the_sims_pin(program)
            self.a_refused_pin_is_never_given_again(program)
            self.port_test_says_whether_the_phone_can_send(program)

    def sent_pdus(self, phone):
        return [p for p in phone.events("pdu") if p.get("mr") is not None]

    def left_at_its_prompt(self, program):
        # Another program, or a crash, left the phone waiting for a PDU.
        records = len(history_records())
        with self.phone("--left-at-prompt") as phone:
            trail = program.send("0123456789", "Found at its prompt", ENDED)
            self.assertEqual(len(phone.events("abort")), 1)
            self.assertEqual(len(self.sent_pdus(phone)), 1)
        self.assertTrue(trail[-1].startswith("Message sent to 0123456789 at "), trail)
        self.assertEqual(len(history_records()), records + 1)

    def answer_pin(self, program, pin, refused=False):
        """Answers the SIM PIN dialog (None: Cancel); it says whether the phone refused the last PIN."""
        box, _ = program.wait_box("SIM PIN")
        self.assertEqual(zandu.window_text(box, PIN_REFUSED), "The phone refused the PIN" if refused else "")
        if pin is not None:
            self.assertEqual(zandu.winprobe("settext", box, PIN_EDIT, pin)[0], 0)
        program.answer_box(box, PIN_CANCEL if pin is None else PIN_OK)
        wait_for(lambda: zandu.window_text(box) is None, what="the dialog to close")

    def pin_request(self, program, button, pins, done):
        """Presses the button, answers the PIN dialogs in turn; the status trail."""
        before = len(program.status_trail())
        program.click(button)
        for pin, refused in pins:
            self.answer_pin(program, pin, refused)
        wait_for(lambda: any(t.startswith(done) for t in program.status_trail()[before:]), 60, "a status %r" % (done,))
        wait_for(lambda: program.enabled(SEND))
        return program.status_trail()[before:]

    def the_sims_pin(self, program):
        with self.phone("--sim-pin", "7391", "--sim-busy", "1500") as phone:
            program.compose("0123456789", "With the PIN")
            trail = self.pin_request(program, SEND, [("7391", False)], ENDED)
            self.assertEqual([c for c in phone.commands() if c.startswith("AT+CPIN=")], ['AT+CPIN="7391"'])
            self.assertEqual(len(self.sent_pdus(phone)), 1)
        self.assertTrue(trail[-1].startswith("Message sent to 0123456789 at "), trail)
        self.assertFalse([s for s in program.debug_strings() if "7391" in s])  # never traced

    def a_refused_pin_is_never_given_again(self, program):
        with self.phone("--sim-pin", "7391") as phone:
            program.compose("0123456789", "Wrong PIN")
            trail = self.pin_request(program, SEND, [("1111", False), ("1111", True), (None, True)], "Failed")
            self.assertEqual([c for c in phone.commands() if c.startswith("AT+CPIN=")], ['AT+CPIN="1111"'])
            self.assertFalse(phone.events("pdu"))
        self.assertEqual(trail[-1], "Failed to send message to 0123456789: SIM PIN required")

    def port_test_says_whether_the_phone_can_send(self, program):
        with self.phone("--sim-pin", "7391"):
            trail = self.pin_request(program, TEST_PORT, [(None, False)], "Device on")
        self.assertEqual(trail[-1], "Device on COM5 is a(n) PhoneSim; model: PhoneSim 1; SIM: PIN required; "
                                    "signal 4 of 5; network: registered (home)")
        with self.phone("--signal", "99", "--network", "0", "--sca", ""):
            trail = program.request(TEST_PORT, "Device on")
        self.assertEqual(trail[-1], "Device on COM5 is a(n) PhoneSim; model: PhoneSim 1; SIM: ready; no signal; "
                                    "network: not registered; no service centre number set")

    def late_answer_after_cancel(self, program):
        # Cancelled after its PDU: the message may have left, and says so; the
        # answer comes while the next Send opens the port.
        records = len(history_records())
        with self.phone("--pdu-delay", "1500") as phone:
            program.compose("0123456789", "Late")
            program.click(SEND)
            wait_for(lambda: phone.events("pdu"))
            program.click(CANCEL)
            wait_for(lambda: NOT_CONFIRMED in program.status_trail() and program.enabled(SEND))
            self.assertNotIn("Canceled", program.status_trail())
            # Left out of the recipients box: sending it again is the user's choice.
            self.assertEqual(program.text(NUMBER_BOX), "")
            program.compose("0123456789", "Late")
            trail = program.request(SEND, ENDED)
            pdus = phone.events("pdu")
        self.assertTrue(trail[-1].startswith("Message sent to 0123456789 at "), trail)
        self.assertEqual(len(pdus), 2)  # the cancelled one, and one of the second request
        self.assertEqual(decode_submit(pdus[1]["pdu"])["Text"], "Late")
        self.assertEqual(len(history_records()), records + 2)  # not confirmed, then sent
        self.assertEqual(unconfirmed(), ["0123456789"])

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
        self.assertEqual(trail[-1], "Failed to send message to 222; sent to 1 of 2")
        program.click(CLOSE)
        box, question = program.wait_box("Confirm")
        self.assertEqual(question, "Your message has been sent to 1 of 2 recipients; 1 has not got it.\\r\\nClose anyway?")
        program.answer_box(box, IDCANCEL)
        time.sleep(0.5)
        self.assertTrue(program.has_window())

    def silence_and_closing_during_a_request(self, program):
        with self.phone():
            self.assertTrue(program.send("0123456789", "Whole", ENDED)[-1].startswith("Message sent"))
        # AT, ATE0 and AT+CMGF=0 answered, AT+CMGS never; the time-out that
        # would end it is the in-process phone's (tests/rig).
        with self.phone("--silent-after", "3") as phone:
            before = len(program.status_trail())
            program.click(SEND)
            wait_for(lambda: any(c.startswith("AT+CMGS=") for c in phone.commands()))
            # Sent whole before, yet this request may still be on its way with it.
            program.click(CLOSE)
            box, _ = program.wait_box("Confirm")
            program.answer_box(box, IDCANCEL)
            program.click(CANCEL)
            wait_for(lambda: "Canceled" in program.status_trail()[before:] and program.enabled(SEND))
        self.assertTrue(program.has_window())


if __name__ == "__main__":
    zandu.main()
