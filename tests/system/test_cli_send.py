"""zandusms-cli send and store against the phone simulator (Windows build under
Wine): the status lines, what the phone received (decoded with python3-gammu),
several recipients on one open port, names from the stored phone book, and the
refusals before anything is sent."""
import os
import tempfile
import unittest

import zandu
from zandu import (BUILD, SETTINGS_KEY, Phone, cli, decode_submit, lines, port_link, settings_delete,
                   settings_export, settings_restore, settings_set_list)

EXTENSION = "^{}\\[~]|€"


def septets(text):
    return sum(2 if c in EXTENSION else 1 for c in text)


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class Send(unittest.TestCase):
    def test_done_when(self):
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", "--to", "0123456789", "--text", "Hi")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(lines(out.stdout)[-1], "Message sent to 0123456789")
        self.assertEqual(lines(out.stdout), ["Connecting...", "Handshaking...", "Sending message to 0123456789...",
                                             "Message sent to 0123456789"])
        self.assertEqual(out.stderr, "")
        self.assertEqual(phone.commands(), ["AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15"])
        [pdu] = phone.events("pdu")
        self.assertTrue(pdu["length_ok"])
        msg = decode_submit(pdu["pdu"])
        self.assertEqual((msg["Number"], msg["Text"], msg["MessageReference"]), ("0123456789", "Hi", 241))
        self.assertEqual(msg["UDH"]["Type"], "NoUDH")

    def test_three_parts_from_a_file(self):
        text = "".join("Grüße aus Köln {€%d} ÄÖÜ ñ @£$ ¿¡\n" % i for i in range(12))
        self.assertTrue(306 < septets(text) <= 459, septets(text))
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "msg.txt")
            with open(path, "w", encoding="utf-8", newline="") as f:
                f.write(text)
            with Phone(port_link("COM5")) as phone:
                out = cli("send", "--port", "COM5", "--to", "+44 20 7946 0000", "--file", path)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(lines(out.stdout), [
            "Connecting...", "Handshaking...",
            "Sending message 1 to +44 20 7946 0000...", "Sending message 2 to +44 20 7946 0000...",
            "Sending message 3 to +44 20 7946 0000...", "Message sent to +44 20 7946 0000"])
        pdus = phone.events("pdu")
        self.assertEqual([p["length_ok"] for p in pdus], [True] * 3)
        decoded = [decode_submit(p["pdu"]) for p in pdus]
        for part, msg in enumerate(decoded, 1):
            self.assertEqual(msg["Number"], "+442079460000")
            udh = msg["UDH"]
            self.assertEqual(udh["Type"], "ConcatenatedMessages")
            self.assertEqual((udh["ID8bit"], udh["PartNumber"], udh["AllParts"]), (241, part, 3))
        self.assertEqual("".join(m["Text"] for m in decoded), text)
        # "AT+CMGF=0" once per request, "AT+CMGS" once per part.
        self.assertEqual([c[:8] for c in phone.commands()], ["AT", "ATE0", "AT+CMGF=", "AT+CMGS=", "AT+CMGS=",
                                                             "AT+CMGS="])

    def test_cyrillic_text_in_two_parts(self):
        text = "Привет, Анна! Встречаемся завтра в 10:00 у главного входа вокзала. Не опаздывай, пожалуйста!"
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", "--to", "+4917012345", "--text", text)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(lines(out.stdout), [
            "Connecting...", "Handshaking...", "Sending message 1 to +4917012345...",
            "Sending message 2 to +4917012345...", "Message sent to +4917012345"])
        pdus = phone.events("pdu")
        # The simulator's own decoder, then python3-gammu: 67 code units, then the rest.
        self.assertEqual([(p["length_ok"], p["alphabet"], p["ref"], p["part"], p["parts"]) for p in pdus],
                         [(True, "ucs2", 241, 1, 2), (True, "ucs2", 241, 2, 2)])
        self.assertEqual([p["text"] for p in pdus], [text[:67], text[67:]])
        decoded = [decode_submit(p["pdu"]) for p in pdus]
        self.assertEqual([(m["Number"], m["Coding"], m["UDH"]["PartNumber"]) for m in decoded],
                         [("+4917012345", "Unicode_No_Compression", 1), ("+4917012345", "Unicode_No_Compression", 2)])
        self.assertEqual("".join(m["Text"] for m in decoded), text)

    def test_control_characters_go_whole_in_ucs2(self):
        text = "Name:\tAnna\vform\x0cfeed\x7f end\r\n"
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", "--to", "0123456789", "--text", text)
        self.assertEqual(out.returncode, 0, out.stderr)
        [pdu] = phone.events("pdu")
        self.assertEqual((pdu["alphabet"], pdu["text"]), ("ucs2", text))
        msg = decode_submit(pdu["pdu"])
        self.assertEqual((msg["Coding"], msg["Text"]), ("Unicode_No_Compression", text))

    def test_three_recipients_on_one_open_port(self):
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--trace", "--port", "COM5", "--to", "111; 222;;+333", "--text", "x" * 200)
        self.assertEqual(out.returncode, 0, out.stderr)
        status = lines(out.stdout)
        self.assertEqual([s for s in status if s.startswith("Message sent")],
                         ["Message sent to 111", "Message sent to 222", "Message sent to +333"])
        self.assertEqual(status.count("Handshaking..."), 3)
        # The whole handshake and PDU mode again for each recipient ...
        self.assertEqual([c for c in phone.commands() if not c.startswith("AT+CMGS")],
                         ["AT", "ATE0", "AT+CMGF=0"] * 3)
        pdus = phone.events("pdu")
        self.assertEqual([(decode_submit(p["pdu"])["Number"], p["ref"], p["part"]) for p in pdus],
                         [("111", 241, 1), ("111", 241, 2), ("222", 242, 1), ("222", 242, 2),
                          ("+333", 243, 1), ("+333", 243, 2)])
        # ... on a port that was closed once, at the end: each request's open
        # found it open (no 2 s pause after a fresh open between recipients).
        trace = out.stderr
        self.assertEqual(trace.count("Opening..."), 3)
        self.assertEqual(trace.count("Closing..."), 1)
        self.assertGreater(trace.index("Closing..."), trace.rindex("Opening..."))
        events = phone.events()
        for n in (2, 3):
            first_at = [e for e in events if e["event"] == "command" and e["text"] == "AT"][n - 1]
            last_reply = [e for e in events if e["t"] <= first_at["t"] and e["event"] == "reply"][-1]
            self.assertLess(first_at["t"] - last_reply["t"], 1500, "recipient %d waited for a fresh open" % n)

    def test_storing_in_the_phone(self):
        with Phone(port_link("COM5")) as phone:
            out = cli("store", "--port", "COM5", "--to", "12345;678", "--text", "y" * 170)
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(lines(out.stdout), ["Connecting...", "Handshaking...", "Uploading message to phone...",
                                             "Uploading message to phone...", "Message uploaded",
                                             "Connecting...", "Handshaking...", "Uploading message to phone...",
                                             "Uploading message to phone...", "Message uploaded",
                                             "12345: stored", "678: stored"])
        pdus = phone.events("pdu")
        self.assertEqual([(p["command"], p["index"]) for p in pdus],
                         [("AT+CMGW", 1), ("AT+CMGW", 2), ("AT+CMGW", 3), ("AT+CMGW", 4)])
        self.assertEqual([decode_submit(p["pdu"])["Number"] for p in pdus], ["12345", "12345", "678", "678"])
        self.assertFalse(any(c.startswith("AT+CMGS") for c in phone.commands()))


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class Names(unittest.TestCase):
    """Names are looked up in the program's stored phone book, which the
    command only reads."""

    @classmethod
    def setUpClass(cls):
        cls.saved = settings_export()

    @classmethod
    def tearDownClass(cls):
        settings_restore(cls.saved)

    def test_names_resolved_as_the_window_does(self):
        settings_set_list("Contacts", ["Anna", "+4917012345", "Jürgen Groß", "0301234", "anna", "999", "Orphan"])
        before = settings_export()
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", "--to", "ANNA;jürgen groß; 555", "--text", "Hallo")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual([s for s in lines(out.stdout) if s.startswith("Message sent")],
                         ["Message sent to Anna (+4917012345)", "Message sent to Jürgen Groß (0301234)",
                          "Message sent to 555"])
        self.assertEqual([decode_submit(p["pdu"])["Number"] for p in phone.events("pdu")],
                         ["+4917012345", "0301234", "555"])
        self.assertEqual(settings_export(), before, "send must not write to the registry")

        # Only A-Z are folded: Ü is not ü. Nothing is sent then.
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", "--to", "555;JÜRGEN GROß", "--text", "Hallo")
        self.assertEqual(out.returncode, 3)
        self.assertIn("The name 'JÜRGEN GROß' doesn't exist in your phone book.", out.stderr)
        self.assertEqual(out.stdout, "")
        self.assertEqual(phone.commands(), [])

    def test_without_settings_a_name_is_unknown_and_no_key_is_made(self):
        settings_delete()
        machine = settings_export(zandu.MACHINE_SETTINGS_KEY)
        out = cli("send", "--port", "COM5", "--to", "Anna", "--text", "Hi")
        self.assertEqual(out.returncode, 3)
        self.assertIn("The name 'Anna' doesn't exist in your phone book.", out.stderr)
        self.assertIsNone(settings_export(SETTINGS_KEY))
        self.assertEqual(settings_export(zandu.MACHINE_SETTINGS_KEY), machine)


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class Refusals(unittest.TestCase):
    """Nothing reaches the phone when the input cannot be sent."""

    def refused(self, *args, stdin=None):
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", *args, stdin=stdin)
        self.assertEqual(phone.commands(), [], args)
        self.assertEqual(out.stdout, "")
        return out

    def test_numbers_that_cannot_be_sent(self):
        for to in ["12a45", "123;+", "555; 123456789012345678901"]:
            out = self.refused("--to", to, "--text", "Hi")
            self.assertEqual(out.returncode, 3, to)
            self.assertIn("cannot send to", out.stderr)

    def test_no_recipients(self):
        out = self.refused("--to", ";;", "--text", "Hi")
        self.assertEqual(out.returncode, 3)
        self.assertIn("Please enter the recipients' numbers", out.stderr)

    def test_a_text_holding_nul(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "msg.txt")
            with open(path, "wb") as f:
                f.write("Grüße\r\n\0rest".encode())
            out = self.refused("--to", "1", "--file", path)
        self.assertEqual(out.returncode, 3)
        self.assertIn("the text holds a NUL character at position 8", out.stderr)

    def test_option_values_out_of_range(self):
        for value in ["0", "86401", "4294967297", "18446744073709551617", "-1"]:
            out = self.refused("--to", "1", "--text", "Hi", "--timeout", value)
            self.assertEqual(out.returncode, 3, value)
            self.assertIn("--timeout must be 1 to 86400", out.stderr)
        for command in (["test-port"], ["phonebook"]):
            out = cli(*command, "--port", "COM5", "--timeout", "4294967297")
            self.assertEqual((out.returncode, out.stdout), (3, ""), command)

    def test_more_than_255_parts(self):
        out = self.refused("--to", "1", "--file", "-", stdin=b"x" * (255 * 153 + 1))
        self.assertEqual(out.returncode, 3)
        self.assertIn("256 SMS", out.stderr)

    def test_usage(self):
        for args in [["--to", "1", "--text", "Hi"],                                # no port
                     ["--port", "COM5", "--text", "Hi"],                           # no recipients
                     ["--port", "COM5", "--to", "1"],                              # no text
                     ["--port", "COM5", "--to", "1", "--text", "a", "--file", "-"],
                     ["--port", "COM5", "--to", "1", "--text", "Hi", "extra"],
                     ["--port", "COM5", "--to", "1", "--text", "Hi", "--timeout", "x"],
                     ["--port", "COM5", "--to", "1", "--text", "Hi", "--bogus"]]:
            with self.subTest(args=args):
                out = cli("send", *args)
                self.assertEqual(out.returncode, 2)
                self.assertEqual(out.stdout, "")
        self.assertEqual(cli("test-port").returncode, 2)
        self.assertEqual(cli("phonebook", "--port", "COM5", "x").returncode, 2)


@unittest.skipUnless(BUILD == "host", "the host build has no serial port")
class OnHost(unittest.TestCase):
    def test_needs_windows(self):
        for args in [["send", "--port", "COM5", "--to", "1", "--text", "Hi"],
                     ["store", "--port", "COM5", "--to", "1", "--text", "Hi"],
                     ["test-port", "--port", "COM5"], ["phonebook", "--port", "COM5", "--save"]]:
            out = cli(*args)
            self.assertEqual(out.returncode, 2, args)
            self.assertIn("needs Windows", out.stderr)
        self.assertIn("usage: zandusms-cli send", cli("send", "--port", "COM5").stderr)


if __name__ == "__main__":
    zandu.main()
