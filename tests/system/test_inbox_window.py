"""Received messages and delivery reports in the window under Wine, against
the phone simulator: the Inbox's Refresh shows the phone's messages joined
and decoded, newest first, with the phone book's names; they come back from
the inbox file after a restart; "Delete from phone after download" leaves
the phone's memory empty. A message sent with "Request delivery report"
becomes "Delivered ..." in the History after the next request, whose listing
stores the phone's received messages, new in the Inbox; a send running while
the Inbox is open is not the Inbox's to cancel. The Conversations show the
sent and the received as one thread, in local time; a reply from the thread
reaches the phone once, and Export... writes the thread. With Receive
messages on, what the phone announces shows at once (the Inbox button's
count, the notification icon's tip, whose click opens the sender's thread),
a report turns an open History's state to Delivered, and a message announced
while the cable was pulled is found when it is back."""
import csv
import tempfile
import time
import unittest

import zandu
from screen import click, window_rect
from zandu import (BUILD, RECEIVED, Phone, Program, SavedInbox, SavedSettings, cli, decode_submit, file_dialog,
                   local_time_text, messages_file, port_link, wait_for, window_text, winprobe)

HELD = "COM5 is held by Zandu SMS, which is receiving messages: turn Receive messages off there, or close it"

SEND, HISTORY_BUTTON = 1006, 57665
DELIVERY_REPORT, INBOX_BUTTON = 1040, 1041
HISTORY_STATE = 1042
LIST, SENDER, TIME, TEXT, REFRESH, DELETE, SEARCH, REPLY = 1050, 1052, 1054, 1055, 1056, 1057, 1089, 1090
STATUS = 1059
NUMBER_BOX = 1014
VK_ESCAPE = 0x1B
CONVERSATIONS = 1098
C_LIST, C_NAME, C_MESSAGES, C_REPLY, C_SEND, C_EXPORT, C_STATUS = 1102, 1103, 1104, 1107, 1109, 1110, 1111
ENDED = ("Message sent", "Failed", "Error")
# From a sender that is a name, the name of a contact at that: never taken for her.
ALPHANUMERIC = {"sender": "Anna", "time": "2024-05-16T08:00:00+02:00", "text": "Your parcel comes today"}


@unittest.skipUnless(BUILD == "windows", "the window runs under Wine")
class InboxWindow(unittest.TestCase):
    def setUp(self):
        self.settings = SavedSettings().__enter__()
        self.addCleanup(self.settings.__exit__)
        self.inbox = SavedInbox().__enter__()
        self.addCleanup(self.inbox.__exit__)
        for name in ("NewHistory", "Reports", "DeliveryReport", "DeleteAfterDownload"):
            zandu.settings_delete_value(name)
        zandu.settings_set_string("Port", "COM5")
        zandu.settings_set_list("Contacts", ["Anna", "+4917012345"])
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def open_inbox(self, program):
        code, out = winprobe("open", program.hwnd, INBOX_BUTTON, "Inbox", 20000)
        self.assertEqual(code, 0, "no Inbox window")
        return out[0].split("\t")[0]

    def rows(self, window, item=LIST):
        code, out = winprobe("rows", window, item, 10)
        self.assertEqual(code, 0)
        return [tuple(row.split("\t")) for row in out[1:]]

    def refresh(self, program, window):
        before = len(program.status_trail())
        self.assertEqual(winprobe("click", window, REFRESH)[0], 0)
        wait_for(lambda: any(t.startswith(("Reading messages", "Failed", "Error"))
                             for t in program.status_trail()[before:]))
        wait_for(lambda: window_text(window, REFRESH) == "Refresh")
        return program.status_trail()[before:]

    def test_refresh_restart_and_delete(self):
        shown = [("+447700900123", local_time_text("2024-05-18T09:15:00+00:00")),
                 ("Anna", local_time_text("2024-05-17T14:03:09+02:00")),
                 ('"Anna" (alphanumeric sender)', local_time_text("2024-05-16T08:00:00+02:00"))]
        shown_new = [("[new] " + sender, at) for sender, at in shown]  # until the Inbox is closed
        with Phone(port_link("COM5"), "--messages", messages_file(self.tmp.name, RECEIVED + [ALPHANUMERIC])) as phone:
            with Program() as program:
                program.wait_status("Ready")
                window = self.open_inbox(program)
                self.assertEqual(self.rows(window), [])
                trail = self.refresh(program, window)
                self.assertEqual(trail[:3], ["Connecting...", "Handshaking...", "Reading messages from phone..."])
                self.assertTrue(trail[-1].startswith("3 new messages at "), trail)
                self.assertEqual(self.rows(window), shown_new)
                self.assertEqual(window_text(window, TEXT), RECEIVED[1]["text"])
                winprobe("focus", window, LIST)
                self.assertEqual(winprobe("key", window, 0x28)[0], 0)  # down: the older one
                wait_for(lambda: window_text(window, SENDER) == "Anna (+4917012345)")
                self.assertEqual(window_text(window, TEXT), RECEIVED[0]["text"])
                self.assertFalse(any(c.startswith("AT+CMGD") for c in phone.commands()))

                self.assertEqual(winprobe("click", window, DELETE)[0], 0)
                self.assertTrue(self.refresh(program, window)[-1].startswith("0 new messages at "))
                self.assertEqual(len([c for c in phone.commands() if c.startswith("AT+CMGD=")]), 4)
                self.assertIn('"DeleteAfterDownload"=dword:00000001', zandu.settings_export())
                self.assertEqual(self.rows(window), shown_new)
                winprobe("key", window, VK_ESCAPE)
                wait_for(lambda: winprobe("rect", window)[0] == 1)
            listing = cli("at", "--port", "COM5", "AT+CMGF=0", 'AT+CPMS="MT"', "AT+CMGL=4")
            self.assertEqual(listing.returncode, 0, listing.stderr)
            self.assertNotIn("+CMGL:", listing.stdout)

        # Without the phone: the messages come from the inbox file.
        with Program() as program:
            program.wait_status("Ready")
            window = self.open_inbox(program)
            self.assertEqual(self.rows(window), shown)
            self.assertTrue(winprobe("state", window, DELETE)[1][0].endswith("checked=1"))
            # Searched by the sender's name: the contact and the alphanumeric
            # sender, to whom no reply can go (the name would be the contact's).
            winprobe("replace", window, SEARCH, "anna")
            wait_for(lambda: self.rows(window), 10, until=lambda rows: rows == shown[1:])
            winprobe("focus", window, LIST)
            winprobe("key", window, 0x28)
            wait_for(lambda: window_text(window, SENDER) == shown[2][0])
            self.assertEqual(winprobe("state", window, REPLY)[1][0][:9], "enabled=0")
            self.assertEqual(window_text(window, STATUS), "Cannot reply to an alphanumeric sender")
            # Reply to the contact: her conversation opens.
            winprobe("key", window, 0x26)
            wait_for(lambda: window_text(window, SENDER) == "Anna (+4917012345)")
            self.assertEqual(window_text(window, STATUS), "")
            self.assertEqual(winprobe("click", window, REPLY)[0], 0)
            wait_for(lambda: winprobe("rect", window)[0] == 1)
            code, out = winprobe("wait", program.exe_name, "Conversations", "#32770", 20000)
            self.assertEqual(code, 0, "no Conversations window")
            wait_for(lambda: window_text(out[0], C_NAME), 10, until=lambda t: t == "Anna (+4917012345)")
            self.assertEqual(program.text(NUMBER_BOX), "")
            winprobe("key", out[0], VK_ESCAPE)

    def test_delivered_after_the_next_request(self):
        # The PDU's answer late enough that the Inbox opens and is looked at
        # during the last send, on a machine busy with other work too.
        with Phone(port_link("COM5"), "--no-echo", "--pdu-delay", "8000",
                   "--messages", messages_file(self.tmp.name, RECEIVED)) as phone, Program() as program:
            program.wait_status("Ready")
            program.click(DELIVERY_REPORT)
            program.send("0123456789", "Did it arrive?", ENDED)
            self.assertEqual(phone.commands(), ["AT", "ATE0", "AT+CNMI=2,1,0,2,0", "AT+CMGF=0", "AT+CMGS=26"])
            self.assertEqual(phone.events("pdu")[0]["pdu"][2:4], "31")
            self.assertEqual(self.history_state(program), "Pending")

            # The next send reads the report first and settles the record.
            program.click(DELIVERY_REPORT)
            before = len(phone.commands())
            program.request(SEND, ENDED)
            self.assertEqual(phone.commands()[before:], ["AT", "ATE0", "AT+CMGF=0", "AT+CMGL=4", "AT+CMGS=26"])
            self.assertEqual(self.history_state(program, row=1)[:10], "Delivered ")
            self.assertEqual(self.history_state(program), "Sent")

            # That listing marked the phone's messages read: the Inbox has them, new until it has shown them.
            anna = ("Anna", local_time_text("2024-05-17T14:03:09+02:00"))
            window = self.open_inbox(program)
            self.assertEqual(self.rows(window), [("[new] " + anna[0], anna[1])])
            self.assertEqual(window_text(window, STATUS), "1 new message")
            winprobe("key", window, VK_ESCAPE)
            wait_for(lambda: winprobe("rect", window)[0] == 1)

            # A send runs while the Inbox is open: its button neither cancels nor disturbs it.
            before = len(program.status_trail())
            program.click(SEND)
            wait_for(lambda: any(t.startswith("Sending message") for t in program.status_trail()[before:]))
            window = self.open_inbox(program)
            self.assertEqual(self.rows(window), [anna])
            self.assertEqual(window_text(window, REFRESH), "Refresh")
            self.assertEqual(winprobe("state", window, REFRESH)[1][0][:9], "enabled=0")
            winprobe("click", window, REFRESH)
            # The send's own end (the click, posted, may come after it, to a button enabled again).
            ends = lambda: [t for t in program.status_trail()[before:] if t.startswith(ENDED + ("Not confirmed", "Canceled"))]
            wait_for(ends)
            self.assertTrue(ends()[0].startswith("Message sent to 0123456789"), program.status_trail()[before:])
            wait_for(lambda: winprobe("state", window, REFRESH)[1][0][:9] == "enabled=1")
            winprobe("key", window, VK_ESCAPE)

    def test_received_as_announced(self):
        zandu.settings_set_dword("ReceiveMessages", 1)
        tips = lambda: winprobe("tips", "explorer.exe")[1]  # the notification area's icons are the explorer's
        # Anna's message at 3 s; the other while the cable is out (from 18 s for 3 s).
        with Phone(port_link("COM5"), "--incoming-at", "3,19", "--incoming", messages_file(self.tmp.name, RECEIVED),
                   "--report-after", "2", "--unplug-at", "18", "--unplug-for", "3") as phone, Program() as program:
            program.wait_status("Receiving messages on COM5")
            self.assertNotIn("Zandu SMS: COM5 lost; trying again", tips())
            held = cli("at", "--port", "COM5", "AT")
            self.assertEqual(held.stderr.strip(), "zandusms-cli: " + HELD)
            wait_for(lambda: program.text(INBOX_BUTTON), 15, until=lambda text: text == "&Inbox (1)")
            self.assertIn("New message from Anna", tips())
            # The shell started again (the explorer crashed): the icon comes back as it was.
            self.assertEqual(winprobe("newshell", program.hwnd, 1)[0], 0)
            wait_for(tips, 10, until=lambda shown: "New message from Anna" in shown)

            # A send on the open port; its report turns the History's state as it comes.
            program.click(DELIVERY_REPORT)
            self.assertTrue(program.send("0123456789", "Did it arrive?", ENDED)[-1].startswith("Message sent"))
            code, out = winprobe("open", program.hwnd, HISTORY_BUTTON, "History", 20000)
            history = out[0].split("\t")[0]
            wait_for(lambda: window_text(history, HISTORY_STATE), 15, until=lambda state: state.startswith("Delivered"))
            winprobe("key", history, VK_ESCAPE)

            program.wait_status("COM5 lost; trying again", 40)
            self.assertIn("Zandu SMS: COM5 lost; trying again", tips())
            wait_for(lambda: program.text(INBOX_BUTTON), 40, until=lambda text: text == "&Inbox (2)")
            self.assertEqual(program.status_trail()[-1], "Receiving messages on COM5")
            self.assertNotIn("Zandu SMS: COM5 lost; trying again", tips())
            self.assertEqual(len(phone.events("announce")), 3)  # not the one while it was out
            self.assertEqual([m["sender"] for m in self.inbox.messages()], [m["sender"] for m in RECEIVED])

            # The icon clicked: the last sender's conversation, which is seen once shown.
            [tray] = [w[0] for w in zandu.top_level_windows("explorer.exe") if w[2] == "__winex11_standalone_tray"]
            left, top, width, height = window_rect(tray, 0)  # its icon
            click(left + width // 2, top + height // 2)
            code, out = winprobe("wait", program.exe_name, "Conversations", "#32770", 20000)
            self.assertEqual(code, 0, "no Conversations window")
            self.assertEqual(window_text(out[0], C_NAME), RECEIVED[1]["sender"])
            winprobe("key", out[0], VK_ESCAPE)
            wait_for(lambda: program.text(INBOX_BUTTON), 10, until=lambda text: text == "&Inbox (1)")
            program.click(1097)  # Receive messages off: the icon goes, the port is free
            wait_for(tips, 10, until=lambda shown: not any(t.startswith("Zandu SMS") or t.startswith("New") for t in shown))
            self.assertEqual(program.text(INBOX_BUTTON), "&Inbox...")
            self.assertEqual(cli("at", "--port", "COM5", "AT").returncode, 0)

    def test_conversation_in_local_time_reply_and_export(self):
        # Sent before Anna's message came, as the History wrote it: in the
        # prefix's locale and local time.
        zandu.settings_set_list("NewHistory", [" Anna", " +4917012345", " 5/16/2024 10:00:00 AM", " Are you coming?"])
        with Phone(port_link("COM5"), "--messages", messages_file(self.tmp.name, RECEIVED),
                   "--error", "PDU:500@1") as phone:
            self.assertEqual(cli("inbox", "--port", "COM5").returncode, 0)
            with Program() as program:
                program.wait_status("Ready")
                # The main window's message refused: its recipients kept for its next Send, and in its journal.
                self.assertTrue(program.send("0555; 0666", "Later", ("Message sent", "Failed"))[-1].startswith("Failed"))
                self.assertEqual(program.text(NUMBER_BOX), "0555; 0666")
                journal = zandu.outbox_files()
                self.assertEqual(len(journal), 1)
                code, out = winprobe("open", program.hwnd, CONVERSATIONS, "Conversations", 20000)
                self.assertEqual(code, 0, "no Conversations window")
                window = out[0].split("\t")[0]
                # Newest first; the thread shown is seen, the other keeps its unread count.
                threads = self.rows(window, C_LIST)
                self.assertEqual(threads[0], ("+447700900123", RECEIVED[1]["text"]))
                self.assertEqual(threads[1][0], "[1 new] Anna")
                winprobe("focus", window, C_LIST)
                winprobe("key", window, 0x28)
                wait_for(lambda: window_text(window, C_NAME), 10, until=lambda t: t == "Anna (+4917012345)")
                self.assertEqual(self.rows(window, C_MESSAGES), [
                    ("Out", "5/16/2024 10:00:00 AM", "Sent", "Are you coming?"),
                    ("In", local_time_text(RECEIVED[0]["time"]), "", RECEIVED[0]["text"])])
                self.assertEqual([m.get("new", False) for m in self.inbox.messages()], [False, False])

                winprobe("replace", window, C_REPLY, "On my way")
                winprobe("click", window, C_SEND)
                wait_for(lambda: window_text(window, C_STATUS), 60,
                         until=lambda t: t.startswith(("Message sent", "Failed", "Error")))
                self.assertTrue(window_text(window, C_STATUS).startswith("Message sent to Anna (+4917012345)"))
                pdus = [e["pdu"] for e in phone.events("pdu") if e.get("mr") is not None]
                self.assertEqual([(m["Number"], m["Text"]) for m in map(decode_submit, pdus)],
                                 [("+4917012345", "On my way")])
                # The reply kept a journal of its own: the window's is still there for its recipient.
                self.assertEqual(zandu.outbox_files(), journal)
                self.assertEqual(program.text(NUMBER_BOX), "0555; 0666")
                shown = wait_for(lambda: self.rows(window, C_MESSAGES), 10, until=lambda rows: len(rows) == 3)
                self.assertEqual((shown[2][0], shown[2][2], shown[2][3]), ("Out", "Sent", "On my way"))
                self.assertEqual(window_text(window, C_REPLY), "")

                path = self.tmp.name + "/anna.csv"
                self.assertEqual(file_dialog(window, C_EXPORT, "Export", path), 0)
                wait_for(lambda: window_text(window, C_STATUS), 10, until=lambda t: t.startswith("3 messages exported to "))
                with open(path, encoding="utf-8-sig", newline="") as f:
                    rows = list(csv.reader(f))
                self.assertEqual(rows[0], ["Time", "Number", "Name", "State", "Text"])
                self.assertEqual([row[1:] for row in rows[1:]], [
                    ["'+4917012345", "Anna", "Sent", "Are you coming?"],
                    ["'+4917012345", "Anna", "received", RECEIVED[0]["text"]],
                    ["'+4917012345", "Anna", "Sent", "On my way"]])
                self.assertEqual(rows[2][0], "2024-05-17 12:03:09+00:00")
                winprobe("key", window, VK_ESCAPE)

    def history_state(self, program, row=0):
        code, out = winprobe("open", program.hwnd, HISTORY_BUTTON, "History", 20000)
        self.assertEqual(code, 0)
        window = out[0].split("\t")[0]
        for _ in range(row):
            winprobe("key", window, 0x28)
        time.sleep(0.3)
        state = window_text(window, HISTORY_STATE)
        winprobe("key", window, VK_ESCAPE)
        wait_for(lambda: winprobe("rect", window)[0] == 1)
        return state


if __name__ == "__main__":
    zandu.main()
