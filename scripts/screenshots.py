#!/usr/bin/env python3
"""Takes the README's pictures of the program's windows under Wine: the main
window after a phone-book download and sends asking for delivery reports,
in Contact mode with a contact selected (so that both radio buttons' states
and the contact list show), the History dialog with delivery states, the
Inbox with the simulated phone's messages, the Conversations window with
Anna's thread of messages each way and a reply sent from it, the Contacts
window with two own contacts in groups beside the phone's, the About
box, the Feedback dialog and the update notice. Run through
scripts/screenshots.sh, which builds what it needs and starts the display,
the Wine server and the phone simulator's port links; the pictures go to
docs/. The settings of the Wine prefix are put back as they were."""
import datetime
import json
import os
import subprocess
import sys
import tempfile
import time

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
sys.path.insert(0, os.path.join(ROOT, "tests", "system"))

import zandu  # noqa: E402
from screen import Compositor, window_rect  # noqa: E402
from zandu import Phone, Program, RefServer, SavedInbox, SavedSettings, port_link, wait_for, winprobe  # noqa: E402

DOCS = os.path.join(ROOT, "docs")
PHONEBOOK = [("+4917012345", "Anna Schmidt"), ("+442079460000", "Ben Carter"), ("5550001", "Jürgen Groß"),
             ("+74951234567", "Анна Петрова")]
MESSAGE = "Meeting moved to 10:30 tomorrow, room 4. See you there!"


def client_rect(hwnd):
    """(left, top, width, height) on the screen of a framed window's client
    area, from where its first child lies in it and on the screen."""
    left, top, width, height = window_rect(hwnd)
    item, _, x, y = winprobe("children", hwnd)[1][0].split("\t")[:4]
    child_left, child_top, _, _ = window_rect(hwnd, int(item))
    client_left, client_top = child_left - int(x), child_top - int(y)
    border = client_left - left
    return client_left, client_top, width - 2 * border, top + height - border - client_top


def shoot(hwnd, name, framed=False):
    """The window's rectangle of the display, as docs/<name>. Of a framed
    window (a message box) only the client area: on a display without a
    window manager Wine leaves the caption and frame undrawn, and their
    rectangle would show the windows and desktop around the box."""
    time.sleep(1)  # the last paint and the compositor's fade
    left, top, width, height = client_rect(hwnd) if framed else window_rect(hwnd)
    subprocess.run(["import", "-silent", "-window", "root", "-crop", "%dx%d+%d+%d" % (width, height, left, top),
                    "+repage", os.path.join(DOCS, name)], check=True, timeout=60)
    print("docs/%s" % name)


def wait_window(program, title):
    code, out = winprobe("wait", program.exe_name, title, "#32770", 30000)
    if code != 0:
        raise RuntimeError("no window %r" % title)
    return out[0]


def send(program, recipients, text):
    program.send(recipients, text, ("Message sent to " + recipients, "Failed", "Error"))


def received_messages(folder):
    """The simulator's sample messages and two from Anna earlier today, as a --messages file."""
    with open(os.path.join(ROOT, "tools", "phonesim", "sample-messages.json"), encoding="utf-8") as f:
        messages = json.load(f)["messages"]
    now = datetime.datetime.now(datetime.timezone.utc).replace(microsecond=0)
    for hours, text in ((2, "Are we still on for tomorrow?"), (1, "Which room was it again?")):
        messages.append({"sender": PHONEBOOK[0][0], "time": (now - datetime.timedelta(hours=hours)).isoformat(),
                         "text": text})
    return zandu.messages_file(folder, messages)


def main_window_and_dialogs(book):
    messages = received_messages(os.path.dirname(book))
    with Phone(port_link("COM5"), "--phonebook-file", book, "--messages", messages), Program() as program:
        program.wait_status("Ready")
        program.click(1009)  # Contact
        program.click(1010)  # Refresh
        program.wait_status(lambda t: t.startswith("Phonebook downloaded"))
        program.click(1008)  # Number
        winprobe("settext", program.hwnd, 1014, "Anna Schmidt; 0123456789")
        program.replace(1002, MESSAGE)
        program.click(1006)
        program.wait_status(lambda t: t.startswith("Message sent to 0123456789"))
        # With reports asked for: the next send reads the first one's report.
        program.click(1040)  # Request delivery report
        send(program, "0123456789", "Running late, start without me.")
        send(program, "0123456789", "Start at 10:45 then.")
        program.replace(1002, "See you there.")
        program.click(1009)  # Contact: the stored contact is selected
        if not wait_for(lambda: winprobe("state", program.hwnd, 1009)[1] == ["enabled=1 checked=1"]
                        and program.items(1007)[0] >= 0, 10, fail=False):
            raise RuntimeError("Contact mode without a selected contact")
        shoot(program.hwnd, "main-window.png")

        program.click(57665)
        history = wait_window(program, "History")
        winprobe("focus", history, 1022)
        winprobe("key", history, 0x28)  # the delivered one
        shoot(history, "history.png")
        winprobe("key", history, 0x1B)

        program.click(1041)
        inbox = wait_window(program, "Inbox")
        winprobe("click", inbox, 1056)  # Refresh
        program.wait_status(lambda t: " new message" in t)
        time.sleep(1)
        shoot(inbox, "inbox.png")
        winprobe("key", inbox, 0x1B)

        program.click(1098)
        conversations = wait_window(program, "Conversations")
        winprobe("focus", conversations, 1102)
        winprobe("key", conversations, 0x28)  # Anna's, below the last one sent to
        wait_for(lambda: zandu.window_text(conversations, 1103).startswith("Anna Schmidt"), 10)
        winprobe("replace", conversations, 1107, "Room 4. See you there!")
        winprobe("click", conversations, 1109)  # Send
        wait_for(lambda: zandu.window_text(conversations, 1111).startswith("Message sent"), 60)
        winprobe("focus", conversations, 1104)
        shoot(conversations, "conversations.png")
        winprobe("key", conversations, 0x1B)

        program.click(1066)
        contacts = wait_window(program, "Contacts")
        for name, number, groups in (("Carla Rossi", "+39 06 1234567", "Team; Choir"), ("Dan Okafor", "0170 5550101",
                                                                                       "Team")):
            winprobe("click", contacts, 1080)  # New
            for item, text in ((1074, name), (1076, number), (1078, groups)):
                winprobe("settext", contacts, item, text)
            winprobe("click", contacts, 1081)  # Save
            wait_for(lambda: zandu.window_text(contacts, 1083).startswith("Saved"), 10)
        shoot(contacts, "contacts.png")
        winprobe("key", contacts, 0x1B)

        program.click(1021)
        about = wait_window(program, "About Zandu SMS")
        shoot(about, "about.png")
        winprobe("key", about, 0x1B)

        program.click(1022)
        feedback = wait_window(program, "Send Feedback")
        winprobe("replace", feedback, 1035, "me@example.com")
        winprobe("replace", feedback, 1036, "Works well with my phone. Could it keep drafts?")
        shoot(feedback, "feedback.png")
        winprobe("key", feedback, 0x1B)


def main_window_at_144_dpi():
    with zandu.ScreenDpi(144), Phone(port_link("COM5")), Program() as program:
        program.wait_status("Ready")
        send(program, "0123456789", MESSAGE)
        shoot(program.hwnd, "main-window-144dpi.png")


def update_notice():
    server = RefServer()
    try:
        zandu.settings_set_string("Server", server.url)
        zandu.settings_delete_value("AllowCheck")
        with Program() as program:
            box, _ = program.wait_box("New Version Available", 30000)
            shoot(box, "update-notice.png", framed=True)
            program.answer_box(box, 7)  # No
    finally:
        server.stop()


def main():
    with SavedSettings(), SavedInbox(), Compositor(), tempfile.TemporaryDirectory() as tmp:
        for name in ("Numbers", "NewHistory", "Contacts", "Contact", "Reports", "DeliveryReport", "ContactGroups",
                     "OwnContacts"):
            zandu.settings_delete_value(name)
        zandu.settings_set_string("Port", "COM5")
        zandu.settings_set_dword("AllowCheck", 0)
        book = os.path.join(tmp, "book.txt")
        with open(book, "w", encoding="utf-8") as f:
            f.writelines("%s\t%s\n" % entry for entry in PHONEBOOK)
        main_window_and_dialogs(book)
        main_window_at_144_dpi()
        update_notice()


if __name__ == "__main__":
    main()
