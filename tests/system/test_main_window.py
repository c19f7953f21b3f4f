"""The main window under Wine, driven as a user and an automation tool would:
its start-up with the simulated phone on COM5, the port box, the message
counter, the closing question and the exit codes, a machine without any
COM port, and everything done from the keyboard alone (real key presses)
with what a screen reader is told."""
import time
import unittest

import zandu
from screen import click, press, type_text, window_rect
from zandu import BUILD, NameChanges, NoPorts, Phone, Program, port_link, remove_link, wait_for, winprobe

IDOK, IDCANCEL = 1, 2
PORT_BOX, MESSAGE, COUNTER, CLOSE, CANCEL, NUMBER_BOX = 1004, 1002, 1003, 1027, 1012, 1014
SEND, SAVE, REFRESH, TEST_PORT = 1006, 1013, 1010, 1015
RADIO_NUMBER, CONTACTS, DELIVERY_REPORT = 1008, 1066, 1040
ABOUT, HISTORY, FEEDBACK, INBOX, CONVERSATIONS = 1021, 57665, 1022, 1041, 1098
RECEIVE = 1097
REQUEST_BUTTONS = (SEND, SAVE, REFRESH, TEST_PORT)
# Tab from the port box, in Number mode: top to bottom, left to right, past
# the contact box and Refresh (disabled) and the caption's X and _.
TAB_ORDER = [TEST_PORT, RECEIVE, RADIO_NUMBER, NUMBER_BOX, CONTACTS, MESSAGE, SAVE, SEND, DELIVERY_REPORT, CANCEL,
             ABOUT, HISTORY, FEEDBACK, INBOX, CONVERSATIONS, PORT_BOX]

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

    def test_the_keyboard_alone(self):
        zandu.fresh_window_settings(self)
        zandu.forget_window_position(self)
        with Phone(port_link("COM5"), "--no-echo") as phone, Program() as program:
            program.wait_status("Ready")
            left, top, _, _ = window_rect(program.hwnd)
            click(left + 250, top + 15)  # the window's background: the keyboard is the window's
            wait_for(program.focused, 10, "the port box's focus", until=lambda item: item == PORT_BOX)
            order = []
            for _ in TAB_ORDER:
                press("Tab")
                order.append(program.focused())
            self.assertEqual(order, TAB_ORDER)

            # The text, the number and Enter: one message sent, none stored in
            # the phone; a screen reader is told.
            press("alt+m")
            type_text("Hello")
            press("alt+r")
            self.assertEqual(program.focused(), NUMBER_BOX)
            type_text("0123456789")
            with NameChanges(program.exe_name, "Message sent to") as events:
                press("Return")
            self.assertEqual(events.code, 0, events.lines())
            self.assertIn(str(1011), [item for item, text in events.lines() if text.startswith("Message sent to 0123456789")])
            wait_for(lambda: program.enabled(SEND), 30, "the request buttons")
            self.assertEqual(len([c for c in phone.commands() if c.startswith("AT+CMGS=")]), 1)
            self.assertFalse([c for c in phone.commands() if c.startswith("AT+CMGW")])
            self.assertEqual(program.focused(), NUMBER_BOX)

            # Ctrl+Enter in the message box sends and adds no line.
            press("alt+m", "ctrl+Return")
            wait_for(lambda: len([c for c in phone.commands() if c.startswith("AT+CMGS=")]), 30, "the second message",
                     until=lambda n: n == 2)
            wait_for(lambda: program.enabled(SEND), 30, "the request buttons")
            self.assertEqual(program.text(MESSAGE), "Hello")

            # Send pressed with the space bar: the focus waits on Cancel, and comes back.
            press("Tab", "Tab")
            self.assertEqual(program.focused(), SEND)
            before = len(program.status_trail())
            press("space", pause=0)
            wait_for(lambda: program.status_trail()[before:], 10, "the request", until=lambda t: "Connecting..." in t)
            self.assertEqual(program.focused(), CANCEL)
            wait_for(lambda: program.enabled(SEND), 30, "the request buttons")
            wait_for(program.focused, 10, "the focus back on Send", until=lambda item: item == SEND)

            # Contacts, Inbox and Conversations give the focus back to what opened them.
            for keys, button, title in ((["alt+m", "shift+Tab"], CONTACTS, "Contacts"),
                                        (["alt+p", "shift+Tab", "shift+Tab"], INBOX, "Inbox"),
                                        (["alt+p", "shift+Tab"], CONVERSATIONS, "Conversations")):
                press(*keys)
                self.assertEqual(program.focused(), button)
                press("space")
                window, _ = program.wait_box(title)
                press("Escape")
                wait_for(lambda: winprobe("rect", window)[0], 10, "the %s window to close" % title,
                         until=lambda code: code == 1)
                wait_for(program.focused, 10, "the focus back on %s" % title, until=lambda item: item == button)

            # The system menu moves the window from the keyboard.
            press("alt+space", "m", "Right", "Right", "Right", "Return")
            wait_for(lambda: window_rect(program.hwnd)[0], 10, "the window to move", until=lambda x: x > left)
            press("Escape")
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
