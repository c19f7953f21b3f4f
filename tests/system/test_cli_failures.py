"""zandusms-cli against each failure the phone simulator can stage (Windows
build under Wine): every request ends with the window's text and a distinct
exit code, and none hangs. A phone's habits that need neither the console
nor the real serial layer (late OK, split echo, silence after the handshake,
repeated OK, no answer to a PDU) are in tests/rig/phone_families_test.cpp,
the console's words and exit codes for them in console_request_test.cpp."""
import json
import os
import tempfile
import time
import unittest

import zandu
from zandu import BUILD, Phone, cli, lines, port_link, remove_link

START = ["Connecting...", "Handshaking..."]
NOT_CONFIRMED = ("Not confirmed: the phone did not say whether the message to 0123456789 was sent; "
                 "check the phone before sending it again")


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class Failures(unittest.TestCase):
    def run_cli(self, phone_options, *args, timeout=60):
        with Phone(port_link("COM5"), *phone_options) as phone:
            started = time.monotonic()
            out = cli(*args, timeout=timeout)
            out.seconds = time.monotonic() - started
        out.phone = phone
        return out

    def send(self, phone_options, text="Hi", command="send", to="0123456789", *extra):
        return self.run_cli(phone_options, command, "--port", "COM5", "--to", to, "--text", text, *extra)

    def test_refusals_of_each_command(self):
        cases = [
            (["--error", "AT"], "send", START + ["Failed to send message to 0123456789"], "'ERROR' instead of 'OK'"),
            (["--error", "ATE0"], "send", START + ["Failed to send message to 0123456789"], "instead of 'OK'"),
            (["--error", "AT+CMGF"], "send", START + ["Failed to send message to 0123456789"], "'ERROR' instead of 'OK'"),
            (["--error", "AT+CMGS:500"], "send",
             START + ["Failed to send message to 0123456789: unknown error (+CMS ERROR: 500)"],
             "unknown error (+CMS ERROR: 500): the phone answered '+CMS ERROR: 500' instead of '>'"),
            (["--error", "PDU:304"], "send", START + ["Sending message to 0123456789...",
                                                      "Failed to send message to 0123456789: invalid PDU mode parameter (+CMS ERROR: 304)"],
             "'+CMS ERROR: 304' instead of '+CMGS: '"),
            (["--error", "AT+CMGW"], "store", START + ["Failed to save message"], "'ERROR' instead of '>'"),
            (["--error", "PDU:322"], "store", START + ["Uploading message to phone...",
                                                       "Failed to save message: memory full (+CMS ERROR: 322)"],
             "'+CMS ERROR: 322' instead of '+CMGW: '"),
        ]
        for options, command, status, detail in cases:
            with self.subTest(options=options, command=command):
                out = self.send(options, "Hi", command)
                self.assertEqual(out.returncode, 1, out.stderr)
                self.assertEqual(lines(out.stdout), status)
                self.assertIn(detail, out.stderr)

    def test_a_refused_part_leaves_the_parts_before_it_sent(self):
        out = self.send(["--error", "PDU@2"], "z" * 400, "send", "111;222")
        self.assertEqual(out.returncode, 1)
        self.assertEqual(lines(out.stdout), START + ["Sending message 1 to 111...", "Sending message 2 to 111...",
                                                    "Failed to send message to 111; sent to 0 of 2",
                                                    "111: failed", "222: not sent"])
        self.assertEqual([p.get("mr") for p in out.phone.events("pdu")], [1, None])
        self.assertEqual(out.phone.commands().count("AT"), 1)  # 222 is not served

    def test_device_test_and_phone_book_refused(self):
        out = self.run_cli(["--error", "AT+CGMI"], "test-port", "--port", "COM5")
        self.assertEqual((out.returncode, lines(out.stdout)), (1, START + ["Failed to get model"]))
        out = self.run_cli(["--error", "AT+CSCS"], "phonebook", "--port", "COM5")
        self.assertEqual((out.returncode, lines(out.stdout)), (1, START + ["Failed to download phonebook"]))
        # The second AT+CPBR is the first batch: nothing is printed of a failed download.
        out = self.run_cli(["--error", "AT+CPBR:21@2"], "phonebook", "--port", "COM5")
        self.assertEqual((out.returncode, lines(out.stdout)), (1, START + [
            "Downloading phonebook...", "Failed to download phonebook: invalid index (+CME ERROR: 21)"]))
        self.assertIn("'+CME ERROR: 21'", out.stderr)

    def test_silence_from_the_start_is_the_handshake_time_out(self):
        out = self.run_cli(["--silent"], "send", "--port", "COM5", "--to", "1", "--text", "Hi")
        self.assertEqual(out.returncode, 4)
        self.assertEqual(lines(out.stdout), START + ["Error: timed out waiting for data"])
        self.assertIn("no answer to AT on COM5 within 5 s", out.stderr)
        self.assertLess(out.seconds, 20)

    def test_disconnect_in_the_middle_of_a_message_does_not_hang(self):
        # The line drops while the PDU goes out: whether it was sent is not known.
        out = self.send(["--hangup-in-pdu", "2"], "v" * 300, "send", "0123456789", "--timeout", "60")
        self.assertEqual(out.returncode, 7, out.stdout + out.stderr)
        self.assertEqual(lines(out.stdout)[:-2], START + ["Sending message 1 to 0123456789...",
                                                         "Sending message 2 to 0123456789..."])
        self.assertRegex(lines(out.stdout)[-2], r"^Error: \S")  # with the system's text
        self.assertEqual(lines(out.stdout)[-1], NOT_CONFIRMED)
        self.assertRegex(out.stderr, r"COM5: .*\(error \d+\)")
        self.assertLess(out.seconds, 20)
        self.assertEqual(out.phone.events("hangup")[0]["during"], "pdu")

    def test_the_sims_pin_from_a_file_or_the_environment(self):
        with tempfile.TemporaryDirectory() as folder:
            pin_file = os.path.join(folder, "pin.txt")
            with open(pin_file, "w") as f:
                f.write("7391\n")
            out = self.send(["--sim-pin", "7391"], "Hi", "send", "0123456789", "--pin-file", pin_file)
        self.assertEqual(out.returncode, 0, out.stdout + out.stderr)
        self.assertEqual(lines(out.stdout)[-1], "Message sent to 0123456789")
        self.assertEqual(out.phone.commands().count('AT+CPIN="7391"'), 1)
        os.environ["ZANDU_SIM_PIN"] = "1111"
        try:
            out = self.send(["--sim-pin", "7391"], "Hi", "send", "0123456789")
        finally:
            del os.environ["ZANDU_SIM_PIN"]
        self.assertEqual(out.returncode, 1, out.stdout + out.stderr)
        self.assertEqual(lines(out.stdout)[-1], "Failed to send message to 0123456789: SIM PIN required")
        self.assertIn("the phone refused the PIN; it is not given again", out.stderr)
        self.assertEqual([c for c in out.phone.commands() if c.startswith("AT+CPIN=")], ['AT+CPIN="1111"'])
        out = self.send(["--sim-pin", "7391"], "Hi", "send", "0123456789")
        self.assertEqual((out.returncode, lines(out.stdout)[-1]), (1, "Failed to send message to 0123456789: SIM PIN required"))
        self.assertIn("give it with --pin-file FILE or ZANDU_SIM_PIN", out.stderr)

    def test_test_port_in_words_and_as_json(self):
        out = self.run_cli(["--signal", "9", "--network", "5"], "test-port", "--port", "COM5")
        self.assertEqual((out.returncode, lines(out.stdout)[-1]), (0, "Device on COM5 is a(n) PhoneSim; model: PhoneSim 1; "
                         "SIM: ready; signal 1 of 5; network: roaming; service centre: +4917010000"))
        out = self.run_cli(["--sim-pin", "7391"], "test-port", "--port", "COM5", "--json")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(json.loads(out.stdout), {"port": "COM5", "maker": "PhoneSim", "model": "PhoneSim 1",
                                                  "sim": "PIN required", "signal": 4, "network": "registered (home)",
                                                  "service_centre": None})

    def test_disconnect_at_a_command(self):
        out = self.send(["--hangup-after", "3"], "Hi", "send", "1", "--timeout", "60")
        self.assertEqual(out.returncode, 4, out.stdout + out.stderr)
        self.assertEqual(lines(out.stdout)[:-1], START)
        self.assertRegex(lines(out.stdout)[-1], r"^Error: \S")
        self.assertLess(out.seconds, 20)

    def test_ports_that_cannot_be_opened(self):
        # Windows says "access denied" for a port in use; Wine gives another code here.
        out = self.run_cli(["--busy"], "test-port", "--port", "COM5")
        self.assertEqual((out.returncode, lines(out.stdout)[0]), (4, "Connecting..."))
        self.assertRegex(lines(out.stdout)[1], r"^Error: \S")
        remove_link("COM7")
        out = cli("send", "--port", "COM7", "--to", "1", "--text", "Hi")
        self.assertEqual((out.returncode, lines(out.stdout)), (4, ["Connecting...", "Error: the port COM7 was not found"]))
        self.assertIn("COM7: the port COM7 was not found (error 2)", out.stderr)


if __name__ == "__main__":
    zandu.main()
