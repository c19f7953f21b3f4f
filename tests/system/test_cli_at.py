"""zandusms-cli at: raw AT commands through the serial layer, against the
phone simulator (Windows build under Wine); the host build refuses it."""
import unittest

import zandu
from zandu import BUILD, Phone, cli, port_link, remove_link


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class AtCommand(unittest.TestCase):
    def test_handshake_and_maker(self):
        with Phone(port_link("COM5"), "--maker", "ACME Mobile") as phone:
            out = cli("at", "--port", "COM5", "AT", "ATE0", "AT+CGMI")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout.split("\n"), [
            "> AT", "< AT\\r\\r\\nOK\\r\\n",
            "> ATE0", "< ATE0\\r\\r\\nOK\\r\\n",
            "> AT+CGMI", "< \\r\\nACME Mobile\\r\\n\\r\\nOK\\r\\n", ""])
        self.assertEqual(phone.commands(), ["AT", "ATE0", "AT+CGMI"])

    def test_reply_in_several_bursts(self):
        with Phone(port_link("COM5"), "--split-echo", "--late-ok", "--gap", "300"):
            out = cli("at", "--port", "COM5", "AT+CGMI")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout.split("\n"), [
            "> AT+CGMI", "< AT+CGMI\\r", "< \\r\\nPhoneSim\\r\\n", "< \\r\\nOK\\r\\n", ""])

    def test_a_message_through_the_prompt(self):
        with Phone(port_link("COM12"), "--no-echo") as phone:
            out = cli("at", "--port", "COM12", "AT+CMGF=0", "AT+CMGS=13", "0011F105812143F50000AA02C834")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertIn("< \\r\\n> ", out.stdout)
        self.assertIn("> 0011F105812143F50000AA02C834^Z", out.stdout)
        self.assertIn("< \\r\\n+CMGS: 1\\r\\n\\r\\nOK\\r\\n", out.stdout)
        pdus = phone.events("pdu")
        self.assertEqual(len(pdus), 1)
        self.assertTrue(pdus[0]["length_ok"])
        self.assertEqual((pdus[0]["number"], pdus[0]["text"]), ("12345", "Hi"))

    def test_error_reply_stops_with_exit_1(self):
        with Phone(port_link("COM5"), "--no-echo", "--error", "AT+CGMI") as phone:
            out = cli("at", "--port", "COM5", "AT+CGMI", "AT")
        self.assertEqual(out.returncode, 1)
        self.assertTrue(out.stdout.endswith("< \\r\\nERROR\\r\\n\n"), out.stdout)
        self.assertEqual(phone.commands(), ["AT+CGMI"])

    def test_silent_phone_times_out(self):
        with Phone(port_link("COM5"), "--silent"):
            out = cli("at", "--port", "COM5", "--timeout", "1", "AT")
        self.assertEqual(out.returncode, 5)
        self.assertIn("no reply to AT within 1 s", out.stderr)

    def test_missing_port(self):
        remove_link("COM7")
        out = cli("at", "--port", "COM7", "AT")
        self.assertEqual(out.returncode, 4)
        self.assertIn("cannot open COM7", out.stderr)
        self.assertIn("(error 2)", out.stderr)

    def test_usage(self):
        self.assertEqual(cli("at", "AT").returncode, 2)
        self.assertEqual(cli("at", "--port", "COM5").returncode, 2)
        self.assertEqual(cli("at", "--port", "COM5", "--timeout", "x", "AT").returncode, 2)
        for value in ["0", "3601", "4294967297"]:  # out of range: refused before the port is opened
            out = cli("at", "--port", "COM5", "--timeout", value, "AT")
            self.assertEqual((out.returncode, out.stdout), (3, ""), value)
            self.assertIn("--timeout must be 1 to 3600", out.stderr)


@unittest.skipUnless(BUILD == "host", "the host build has no serial port")
class AtOnHost(unittest.TestCase):
    def test_needs_windows(self):
        out = cli("at", "--port", "COM5", "AT")
        self.assertEqual(out.returncode, 2)
        self.assertIn("needs Windows", out.stderr)


if __name__ == "__main__":
    zandu.main()
