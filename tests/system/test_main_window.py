"""The main window under Wine, driven as a user and an automation tool would:
its start-up with the simulated phone on COM5, the port box, the message
counter, the closing question and the exit codes, and a machine without any
COM port."""
import time
import unittest

import zandu
from screen import click, press, window_rect
from zandu import BUILD, NoPorts, Phone, Program, port_link, remove_link

IDOK, IDCANCEL = 1, 2
PORT_BOX, MESSAGE, COUNTER, CLOSE, CANCEL = 1004, 1002, 1003, 1027, 1012
SEND, SAVE, REFRESH, TEST_PORT = 1006, 1013, 1010, 1015
RADIO_NUMBER = 1008
REQUEST_BUTTONS = (SEND, SAVE, REFRESH, TEST_PORT)

# What the counter under the message box says for a text: characters left in
# the last SMS and its number, counted as the message will really be sent.
COUNTER_CASES = [
    ("", "160 characters left in SMS 1"),
    ("x" * 160, "0 characters left in SMS 1"),
    ("x" * 161, "145 characters left in SMS 2"),
    ("x" * 306, "0 characters left in SMS 2"),
    ("x" * 307, "152 characters left in SMS 3"),
    # Extension characters take two septets each: 10 of them and 150 letters are two SMS.
    ("\u20ac[]{}~^|\\\u20ac" + "x" * 150, "136 characters left in SMS 2"),
    ("\u0414" * 70, "0 characters left in SMS 1 (Unicode)"),
    ("\u0414" * 71, "63 characters left in SMS 2 (Unicode)"),
]


@unittest.skipUnless(BUILD == "windows", "the window runs under Wine")
class MainWindow(unittest.TestCase):
    def setUp(self):
        zandu.keep_settings(self)

    def test_start_counter_and_closing(self):
        zandu.settings_set_string("Port", "COM5")
        remove_link("COM7")
        with Phone(port_link("COM5")), Program() as program:
            trail = program.wait_status("Ready")
            self.assertEqual(trail[:2], ["Enumerating COM ports...", "Ready"])
            selected, ports = program.items(PORT_BOX)
            self.assertIn("COM5", ports)
            self.assertNotIn("COM7", ports)  # listed by the spooler, but no device behind it
            self.assertEqual(ports[selected], "COM5")
            self.assertTrue(program.checked(RADIO_NUMBER))
            self.assertEqual([program.enabled(b) for b in REQUEST_BUTTONS], [True, True, False, True])

            for text, expected in COUNTER_CASES:
                with self.subTest(length=len(text)):
                    program.replace(MESSAGE, text)
                    self.assertEqual(program.text(COUNTER), expected)

            # Unsent text: the close button asks, and Cancel keeps the window.
            program.replace(MESSAGE, "x")
            program.click(CLOSE)
            box, question = program.wait_box("Confirm")
            self.assertEqual(question, "Your message has not been sent.\\r\\nClose anyway?")
            program.answer_box(box, IDCANCEL)
            time.sleep(0.5)
            self.assertTrue(program.has_window())
            # One more character: Esc, a real key press in the message box,
            # asks again, and OK ends the program with 2.
            program.replace(MESSAGE, "xy")
            left, top, width, height = window_rect(program.hwnd, MESSAGE)
            click(left + width // 2, top + height // 2)
            press("Escape")
            box, _ = program.wait_box("Confirm")
            program.answer_box(box, IDOK)
            self.assertEqual(program.exit_code(), 2)

    def test_a_stored_port_that_is_gone_selects_the_first(self):
        zandu.settings_set_string("Port", "COM7")
        remove_link("COM7")
        with Phone(port_link("COM5")), Program() as program:
            program.wait_status("Ready")
            selected, ports = program.items(PORT_BOX)
            self.assertEqual(selected, 0)
            program.close()  # nothing typed: no question
            self.assertEqual(program.exit_code(), 2)

    def test_the_stored_port_is_matched_exactly(self):
        # "COM1" never selects COM12: with COM1 gone the first port is
        # selected; the match ignores the letters' case only.
        with NoPorts("COM1"), Phone(port_link("COM5")), Phone(port_link("COM12")):
            for stored, expected in (("COM1", "COM5"), ("com12", "COM12")):
                zandu.settings_set_string("Port", stored)
                with Program() as program:
                    program.wait_status("Ready")
                    selected, ports = program.items(PORT_BOX)
                    self.assertEqual((ports[0], ports[-1]), ("COM5", "COM12"))
                    self.assertNotIn("COM1", ports)
                    self.assertEqual(ports[selected], expected)

    def test_without_any_port_the_requests_stay_disabled(self):
        with NoPorts(), Program() as program:
            self.assertEqual(program.wait_status("Ready")[:2], ["Enumerating COM ports...", "Ready"])
            self.assertEqual(program.items(PORT_BOX), (-1, []))
            self.assertEqual([program.enabled(b) for b in REQUEST_BUTTONS], [False] * 4)
            # Cancel still closes the port; its end must not enable requests
            # that would have no port to open.
            program.click(CANCEL)
            program.wait_status("Canceled")
            time.sleep(1)
            self.assertEqual([program.enabled(b) for b in REQUEST_BUTTONS], [False] * 4)
            program.click(CLOSE)
            self.assertEqual(program.exit_code(), 0)


if __name__ == "__main__":
    zandu.main()
