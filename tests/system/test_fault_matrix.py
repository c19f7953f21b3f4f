"""Faults through the real window under Wine, the phone simulator and a
server of the test's own: the phone gone between two parts and between two
recipients, the port held by another program or gone after start-up, a line
flooded with noise; every setting of the wrong type or malformed; a server
that sends garbage, 10 MB, or a byte a second. Each case checks what the
user sees, and that nothing is lost or sent twice: the phone's log holds
every PDU it took, the registry every history record. One program start per
group. (Broken skins are in test_startup.py.)"""
import os
import random
import unittest

import zandu
from zandu import (BUILD, NoPorts, Phone, Program, SavedSettings, history_messages, port_link, remove_link,
                   wait_for)

PORT_BOX, STATUS, STATUS_NOTE = 1004, 1011, 1020
FEEDBACK, FB_SEND, FB_TEXT = 1022, 1022, 1036
IDOK = 1
ENDED = ("Message sent", "Failed", "Error", "Canceled")
REG_SZ, REG_BINARY, REG_DWORD, REG_MULTI_SZ = 1, 3, 4, 7


def taken(phone):
    """(number, text) of every PDU the phone took, in order."""
    return [(p["number"], p["text"]) for p in phone.events("pdu") if "mr" in p]


def stored(name):
    """A value of the settings key as 'reg export' writes it."""
    rows = zandu.settings_export().replace("\r\n", "\n").split("\n")
    at = [i for i, row in enumerate(rows) if row.startswith('"%s"=' % name)][0]
    end = at
    while rows[end].endswith("\\"):
        end += 1
    return rows[at:end + 1]


class BadServer(zandu.MisbehavingServer):
    """A web server that answers the update check with a body of 10 MB,
    a feedback report saying "garbage" with bytes that are no HTTP, and any
    other with a byte a second."""

    def answer(self, conn, line):
        if "updatecheck" in line:
            body = b"1.0.1\r\n" + b"x" * (10 << 20)
            conn.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: %d\r\n\r\n" % len(body) + body)
        elif "msg=garbage" in line:
            conn.sendall(random.Random(1).randbytes(5000))
        else:
            self.trickle(conn, b"HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", 1)


@unittest.skipUnless(BUILD == "windows", "the window runs under Wine")
class FaultMatrix(unittest.TestCase):
    def setUp(self):
        self.settings = SavedSettings().__enter__()
        self.addCleanup(self.settings.__exit__)
        for name in ("Numbers", "NewHistory", "Contacts", "Contact", "PendingFeedback", "Server", "AllowCheck"):
            zandu.settings_delete_value(name)
        zandu.settings_set_string("Port", "COM5")
        zandu.settings_set_dword("AllowCheck", 0)

    def test_the_phone_and_the_port_failing(self):
        startup = Phone(port_link("COM5"))  # COM5 must be there when the ports are listed
        with Program() as program:
            program.wait_status("Ready")
            startup.stop()
            long_text = "".join(chr(ord("a") + i % 26) for i in range(200))  # two parts
            # (case, phone options, recipients, text, what the phone takes, what the history gains: None for the same)
            cases = [
                ("gone between two parts", ["--hangup-after", "5"], "0123456789", long_text,
                 [("0123456789", long_text[:153])], []),
                ("gone between two recipients", ["--hangup-after", "5"], "111;222", "Hi", [("111", "Hi")], None),
                # Line noise before the answer is passed over, line by line.
                ("a flood of 100 KB of noise", ["--noise", "102400"], "333", "Noise", [("333", "Noise")], None),
            ]
            for case, options, recipients, text, pdus, records in cases:
                with self.subTest(case=case):
                    before = len(history_messages())
                    with Phone(port_link("COM5"), "--no-echo", *options) as phone:
                        trail = program.send(recipients, text, ENDED)
                        self.assertEqual(taken(phone), pdus, trail)
                        hung_up = phone.events("hangup")
                    self.assertEqual(history_messages()[before:], pdus if records is None else records)
                    if hung_up:
                        self.assertRegex(trail[-1], r"^Error: \S", trail)
                    else:
                        self.assertTrue(trail[-1].startswith("Message sent to 333 at "), trail)
            # The message cut short goes whole with the next Send, and once.
            with Phone(port_link("COM5"), "--no-echo") as phone:
                self.assertTrue(program.send("0123456789", long_text, ENDED)[-1].startswith("Message sent"))
                self.assertEqual("".join(t for _, t in taken(phone)), long_text)
            self.assertEqual(history_messages()[-1], ("0123456789", long_text))

            # Ports that cannot be opened: nothing sent, nothing recorded, the buttons back.
            records = len(history_messages())
            with Phone(port_link("COM5"), "--busy") as phone:
                trail = program.send("444", "Busy", ENDED)
                self.assertEqual(phone.commands(), [])
            self.assertRegex(trail[-1], r"^Error: \S", trail)
            remove_link("COM5")
            trail = program.send("444", "Gone", ENDED)
            self.assertEqual(trail[-1], "Error: the port COM5 was not found")
            self.assertEqual(len(history_messages()), records)

    def test_every_setting_of_the_wrong_type_or_malformed(self):
        garbage = random.Random(2).randbytes(301)
        damaged = {
            "Numbers": (REG_SZ, "0123456789\0".encode("utf-16-le")),
            "NewHistory": (REG_BINARY, garbage),
            "Contacts": (REG_MULTI_SZ, " Anna\0 +4917012345".encode("utf-16-le")),  # no final zeros
            "PendingFeedback": (REG_DWORD, b"\x01\x00\x00\x00"),
        }
        others = {"Port": (REG_DWORD, b"\x05\x00\x00\x00"), "Contact": (REG_BINARY, garbage[:17]),
                  "AllowCheck": (REG_SZ, "0\0".encode("utf-16-le")), "AllowStats": (REG_MULTI_SZ, "1\0\0".encode("utf-16-le")),
                  "Model": (REG_DWORD, b"\xff\xff\xff\xff"), "Server": (REG_SZ, "http://[::1\0".encode("utf-16-le")),
                  "NumRadio": (REG_SZ, "yes\0".encode("utf-16-le"))}
        for name, (reg_type, data) in {**damaged, **others}.items():
            zandu.settings_set_raw(name, reg_type, data)
        before = {name: stored(name) for name in damaged}
        # COM1 gone, the default, the first port, is the phone's.
        with NoPorts("COM1"), Phone(port_link("COM5"), "--no-echo") as phone, Program() as program:
            program.wait_status("Ready")
            self.assertEqual(program.items(PORT_BOX), (0, ["COM5"]))
            trail = program.send("0123456789", "Defaults", ENDED)
            self.assertEqual(len([t for t in trail if t.startswith("Message sent to 0123456789 at ")]), 1, trail)
            self.assertEqual(taken(phone), [("0123456789", "Defaults")])
            self.assertEqual(program.text(STATUS_NOTE), "Could not update the history: the stored value is damaged")
        self.assertIn("Could not save the number: the stored value is damaged", trail)
        self.assertEqual({name: stored(name) for name in damaged}, before)

    def test_a_server_sending_garbage_10_mb_or_a_byte_a_second(self):
        server = BadServer()
        self.addCleanup(server.close)
        zandu.settings_set_string("Server", server.url)
        zandu.settings_delete_value("AllowCheck")
        with Program() as program:
            program.wait_status("Ready")
            for text in ["garbage", "slow"]:
                program.click(FEEDBACK)
                code, out = zandu.winprobe("wait", program.exe_name, "Send Feedback", "#32770", 20000)
                self.assertEqual(code, 0)
                zandu.winprobe("replace", out[0], FB_TEXT, text)
                zandu.winprobe("click", out[0], FB_SEND)
                box, _ = program.wait_box("Zandu SMS")
                program.answer_box(box, IDOK)
            wait_for(lambda: any("msg=slow" in line for line in server.lines), 30, "the slow report",
                     interval=0.2)
            self.assertTrue(any("updatecheck" in line for line in server.lines))
            self.assertFalse([w for w in zandu.top_level_windows(program.exe_name)
                              if w[3] == "New Version Available"])
            self.assertEqual(program.text(STATUS), "Ready")  # the window answers
            took = program.close_and_wait()
        print("the process ended %.1f s after the close" % took)
        self.assertLess(took, 3.0)
        pending = zandu.settings_list("PendingFeedback") or []
        self.assertEqual(sorted(p.split("&")[0] for p in pending), ["1 msg=garbage", "1 msg=slow"])


if __name__ == "__main__":
    zandu.main()
