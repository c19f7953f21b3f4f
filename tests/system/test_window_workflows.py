"""The workflows of the main window under Wine against the phone simulator:
sending to typed numbers, names and contacts, the phone book, storing in the
phone, the port test, every failure the simulator stages, the handshake
time-out and Cancel; what the phone received is decoded with python3-gammu
and the settings are read back from the registry."""
import os
import tempfile
import time
import unittest

import zandu
from zandu import (BUILD, Phone, Program, decode_submit, history_records, port_link, settings_list,
                   wait_for)

MESSAGE, NUMBER_BOX, CONTACT_BOX, PORT_BOX, COUNTER, STATUS, STATUS_NOTE = 1002, 1014, 1007, 1004, 1003, 1011, 1020
SEND, SAVE, REFRESH, TEST_PORT, CANCEL = 1006, 1013, 1010, 1015, 1012
RADIO_NUMBER, RADIO_CONTACT = 1008, 1009
IDOK = 1
CONTACTS = 1066
# The Contacts window.
C_SEARCH, C_LIST, C_NAME, C_NUMBER, C_GROUPS, C_NEW, C_SAVE, C_DELETE, C_STATUS, C_IMPORT, C_EXPORT, C_OK = (
    1071, 1072, 1074, 1076, 1078, 1080, 1081, 1082, 1083, 1085, 1086, 1087)
IMPORTED = ("\ufeffName;Mobile;Category\r\nBen;0301299;Team\r\nDora;;Team\r\nEve;+49 170 12345;Team\r\n"
            "Cleo;0170 12345;Team,Choir\r\n")

PHONEBOOK = [("+4917012345", "Anna"), ("5550001", "Jürgen Groß"), ("+74951234567", "Анна Петрова"),
             ("0301234", "2Pac")]


def texts(pdus):
    return [decode_submit(p["pdu"]) for p in pdus]


@unittest.skipUnless(BUILD == "windows", "the window runs under Wine")
class Workflows(unittest.TestCase):
    def setUp(self):
        zandu.fresh_window_settings(self)
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)

    def phone(self, *options):
        path = os.path.join(self.tmp.name, "book.txt")
        with open(path, "w", encoding="utf-8") as f:
            f.writelines("%s\t%s\n" % entry for entry in PHONEBOOK)
        return Phone(port_link("COM5"), "--no-echo", "--phonebook-file", path, *options)

    def refused(self, program, button, text):
        """The button shows an Error box with the text and nothing is sent."""
        program.click(button)
        box, shown = program.wait_box("Error")
        self.assertEqual(shown, text)
        program.answer_box(box, IDOK)

    def sent(self, phone):
        """(number, text) of each PDU the phone took."""
        return [(p["number"], p["text"]) for p in phone.events("pdu") if p.get("mr") is not None]

    def test_each_recipient_once(self):
        zandu.settings_set_list("Contacts", ["Anna", "0123456789"])
        startup = self.phone()
        with Program() as program:
            program.wait_status("Ready")
            startup.stop()
            self.the_rest_after_a_refusal(program)
            self.the_text_frozen_at_send(program)
            self.one_phone_one_sms(program)
        self.killed_during_a_send()

    def the_rest_after_a_refusal(self, program):
        with self.phone("--error", "PDU:500@2") as phone:
            trail = program.send("111;222;333", "Rest", ("Message sent to 333", "Failed"))
            self.assertEqual(trail[-1], "Failed to send message to 222: unknown error (+CMS ERROR: 500); sent to 1 of 3")
            self.assertEqual(program.text(NUMBER_BOX), "222; 333")
            trail = program.request(SEND, ("Message sent to 333", "Failed"))
            self.assertEqual(self.sent(phone), [("111", "Rest"), ("222", "Rest"), ("333", "Rest")])

    def the_text_frozen_at_send(self, program):
        with self.phone("--pdu-delay", "800") as phone:
            program.compose("444;555;666", "Frozen")
            program.click(SEND)
            wait_for(lambda: phone.events("pdu"), what="the first PDU")
            program.replace(MESSAGE, "The next message")
            program.wait_status(lambda t: t.startswith("Message sent to 666"))
            self.assertEqual(self.sent(phone), [("444", "Frozen"), ("555", "Frozen"), ("666", "Frozen")])

    def one_phone_one_sms(self, program):
        with self.phone() as phone:
            program.send("Anna; 0123456789", "Once", ("Message sent", "Failed"))
            self.assertEqual(self.sent(phone), [("0123456789", "Once")])
        self.assertEqual(program.text(STATUS_NOTE), "1 recipient with the same number as another merged")

    def killed_during_a_send(self):
        # Killed while the third of five waits for the network's answer.
        with self.phone("--pdu-delay", "3000") as phone, Program() as program:
            program.wait_status("Ready")
            program.compose("111;222;333;444;555", "Five")
            program.click(SEND)
            wait_for(lambda: len(phone.events("pdu")) == 3, 60, "the third PDU")
        self.assertEqual(len(zandu.outbox_files()), 1)
        with self.phone() as phone, Program(outbox=True) as program:
            program.wait_status("Ready")
            note = "Restored a message that was not sent to everyone: sent to 2, waiting 2, not confirmed 1 (333)"
            wait_for(lambda: program.text(STATUS_NOTE) == note, what="the restored message")
            self.assertEqual((program.text(NUMBER_BOX), program.text(MESSAGE)), ("444; 555", "Five"))
            program.request(SEND, "Message sent to 555")
            self.assertEqual(self.sent(phone), [("444", "Five"), ("555", "Five")])
            program.close_and_wait()
        self.assertEqual(zandu.outbox_files(), [])

    def test_sending_to_numbers_names_and_contacts(self):
        with self.phone() as phone, Program() as program:
            program.wait_status("Ready")
            # Refusals first, while the list holds no contact: each with its box, nothing sent.
            program.click(RADIO_CONTACT)
            self.refused(program, SEND, "Please select a recipient")
            program.click(RADIO_NUMBER)
            program.replace(MESSAGE, "Hi")
            for field, text in [("", "Please enter the recipients' numbers"),
                                ("bob", "The name 'bob' doesn't exist in your phone book."),
                                (" 123", "The name ' 123' doesn't exist in your phone book."),
                                ("123;12a", None)]:
                with self.subTest(field=field):
                    zandu.winprobe("settext", program.hwnd, NUMBER_BOX, field)
                    program.click(SEND)
                    box, shown = program.wait_box("Error")
                    if text:
                        self.assertEqual(shown, text)
                    else:
                        self.assertTrue(shown.startswith("Cannot send to '12a'"), shown)
                    program.answer_box(box, IDOK)
            self.assertEqual(phone.commands(), [])

            # The phone book, with its non-ASCII names, into the contact list and "Contacts".
            program.click(RADIO_CONTACT)
            trail = program.request(REFRESH, "Phonebook downloaded at ")
            self.assertEqual(trail[:3], ["Connecting...", "Handshaking...", "Downloading phonebook..."])
            selected, contacts = program.items(CONTACT_BOX)
            self.assertEqual(sorted(contacts), sorted("%s (%s)" % (n, num) for num, n in PHONEBOOK))
            self.assertEqual(settings_list("Contacts"), [x for num, n in PHONEBOOK for x in (n, num)])
            self.assertEqual((settings_list("ContactGroups"), settings_list("OwnContacts")), (None, None))

            # Contact mode: the selected contact itself, even one whose name begins with a digit.
            self.assertTrue(contacts[selected].startswith("2Pac"))  # first in sorted order
            program.request(SEND, "Message sent to 2Pac (0301234) at ")
            self.assertEqual(texts(phone.events("pdu"))[-1]["Number"], "0301234")
            self.assertIsNone(settings_list("Numbers"))

            # Number mode: one typed number, then a name and a number.
            program.click(RADIO_NUMBER)
            zandu.winprobe("settext", program.hwnd, NUMBER_BOX, "0123456789")
            trail = program.request(SEND, "Message sent to 0123456789 at ")
            self.assertEqual(trail[:3], ["Connecting...", "Handshaking...", "Sending message to 0123456789..."])
            zandu.winprobe("settext", program.hwnd, NUMBER_BOX, "anna;555")
            program.request(SEND, "Message sent to 555 at ")
            sent = texts(phone.events("pdu"))
            self.assertEqual([(m["Number"], m["Text"]) for m in sent[-2:]], [("+4917012345", "Hi"), ("555", "Hi")])
            self.assertIn("Message sent to Anna (+4917012345) at ", " ".join(program.status_trail()))

            # Three recipients, two parts each: one open port, the whole handshake
            # for each, a reference each, one history record each after its last part.
            text = "".join("%d" % (i % 10) for i in range(200))
            program.replace(MESSAGE, text)
            self.assertEqual(program.text(COUNTER), "106 characters left in SMS 2")
            records = len(history_records())
            commands = len(phone.commands())
            zandu.winprobe("settext", program.hwnd, NUMBER_BOX, "123; 456;;789")
            trail = program.request(SEND, "Message sent to 789 at ")
            flow = [t.split(" at ")[0] for t in trail if t.startswith(("Sending", "Message sent"))]
            self.assertEqual(flow, [s.format(n, i) for i, n in enumerate(("123", "456", "789"), 1) for s in (
                "Sending message 1 to {}... ({} of 3)", "Sending message 2 to {}... ({} of 3)", "Message sent to {}")])
            self.assertEqual(phone.commands()[commands:].count("AT"), 3)
            self.assertEqual(phone.commands()[commands:].count("AT+CMGF=0"), 3)
            parts = texts(phone.events("pdu"))[-6:]
            self.assertEqual([(m["Number"], m["UDH"]["PartNumber"], m["UDH"]["AllParts"]) for m in parts],
                             [(n, p, 2) for n in ("123", "456", "789") for p in (1, 2)])
            refs = [m["UDH"]["ID8bit"] for m in parts]
            self.assertEqual(refs[0::2], refs[1::2])
            self.assertEqual(len(set(refs)), 3)
            self.assertEqual("".join(m["Text"] for m in parts[:2]), text)
            history = history_records()
            self.assertEqual(len(history), records + 3)
            self.assertEqual([(r[0], r[1], r[3]) for r in history[-3:]],
                             [(" ", " " + n, " " + text) for n in ("123", "456", "789")])

            # A Russian text goes whole as Unicode, and the counter says so.
            russian = "Привет! Как дела?"
            program.replace(MESSAGE, russian)
            self.assertEqual(program.text(COUNTER), "53 characters left in SMS 1 (Unicode)")
            zandu.winprobe("settext", program.hwnd, NUMBER_BOX, "0123456789")
            program.request(SEND, "Message sent to 0123456789 at ")
            last = texts(phone.events("pdu"))[-1]
            self.assertEqual((last["Text"], last["Coding"]), (russian, "Unicode_No_Compression"))

            # Each typed number once, the most recently used last; no contact's
            # number from Contact mode.
            self.assertEqual(settings_list("Numbers"),
                             [" +4917012345", " 555", " 123", " 456", " 789", " 0123456789"])
            # Four entries a recipient; a typed number's name entry is one space.
            self.assertEqual(history[0][:2], [" 2Pac", " 0301234"])
            self.assertEqual(history[1][:2], [" ", " 0123456789"])
            self.assertEqual(len(settings_list("NewHistory")) % 4, 0)
            # Sent whole: closing asks nothing.
            program.close()
            self.assertEqual(program.exit_code(), 2)

    def test_own_contacts_groups_import_and_sending_to_a_group(self):
        path = os.path.join(self.tmp.name, "contacts.csv")
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(IMPORTED)
        with self.phone() as phone, Program() as program:
            program.wait_status("Ready")
            code, out = zandu.winprobe("open", program.hwnd, CONTACTS, "Contacts", 20000)
            self.assertEqual(code, 0, "no Contacts window")
            window = out[0].split("\t")[0]
            # Refused with the reason, or saved as the user's own.
            for name, number, groups, status in [
                    ("Zed", "12a", "", "Cannot send to '12a'"), ("Zed", "555", "42", "The group '42' is named like a number"),
                    ("Cleo", "0170 12345", "Team", "Saved Cleo (0170 12345)"),
                    ("Dan", "555 0101", "Team; Band", "Saved Dan (555 0101)")]:
                with self.subTest(name=name, number=number, groups=groups):
                    self.save_contact(window, name, number, groups, status, enter=name == "Dan")

            # A file of megabytes is read on a worker: the window answers
            # meanwhile, and its button, Cancel then, stops the reading.
            big = os.path.join(self.tmp.name, "big.csv")
            with open(big, "w", encoding="utf-8", newline="") as f:
                f.write("Name,Mobile\r\n" + "".join("Big %d,+49170%07d\r\n" % (i, i) for i in range(600000)))
            self.file_dialog(window, C_IMPORT, "Import Contacts", big)
            wait_for(lambda: zandu.window_text(window, C_IMPORT), 10, until=lambda t: t == "Cancel")
            answers = dict(x.split("=") for x in zandu.winprobe("responds", window, 500, 20)[1][0].split())
            self.assertTrue(answers["failed"] == "0" and float(answers["worst_ms"]) < 1000, answers)
            zandu.winprobe("click", window, C_IMPORT)
            wait_for(lambda: zandu.window_text(window, C_STATUS), 30,
                     until=lambda t: t == "Import cancelled: nothing was stored")
            self.assertEqual(zandu.window_text(window, C_IMPORT), "Import...")

            # The import says what it will do; then the list shows it, sorted by name.
            self.file_dialog(window, C_IMPORT, "Import Contacts", path)
            box, text = program.wait_box("Zandu SMS - Import")
            self.assertEqual(text, "4 contacts: 2 new, 1 updated, 1 refused\\r\\nline 3: no number\\r\\n\\r\\nImport them?")
            program.answer_box(box, IDOK)
            wait_for(lambda: zandu.window_text(window, C_STATUS), 10, until=lambda t: t.startswith("Imported: "))
            rows = zandu.winprobe("rows", window, C_LIST, 10)[1]
            self.assertEqual(rows, ["count=4 sel=0", "Ben\t0301299\t", "Cleo\t0170 12345\t", "Dan\t555 0101\t",
                                    "Eve\t+49 170 12345\t"])
            # A second contact of a name is refused; the search narrows the list;
            # Export... writes what the group box shows.
            self.save_contact(window, "ben", "1", "", "A contact named 'Ben' exists already")
            zandu.winprobe("replace", window, C_SEARCH, "DAN")
            wait_for(lambda: zandu.winprobe("rows", window, C_LIST, 10)[1], 10,
                     until=lambda rows: rows == ["count=1 sel=0", "Dan\t555 0101\t"])
            zandu.winprobe("replace", window, C_SEARCH, "")
            vcf = os.path.join(self.tmp.name, "all.vcf")
            self.file_dialog(window, C_EXPORT, "Export", vcf)
            wait_for(lambda: zandu.window_text(window, C_STATUS), 10, until=lambda t: t.startswith("4 contacts exported"))
            with open(vcf, encoding="utf-8", newline="") as f:
                self.assertEqual(f.read().count("BEGIN:VCARD\r\nVERSION:3.0\r\n"), 4)
            zandu.settings_set_string("Contact", "Team (group)")  # selected when the list is filled again
            zandu.winprobe("click", window, C_OK)
            wait_for(lambda: not program.items(CONTACT_BOX)[1] == [], 10)
            self.assertTrue({"Band (group)", "Choir (group)", "Team (group)"} <= set(program.items(CONTACT_BOX)[1]))

            # Contact mode: the group selected goes to its members.
            program.replace(MESSAGE, "Hi team")
            program.click(RADIO_CONTACT)
            self.assertEqual(program.text(NUMBER_BOX), "Team")
            program.request(SEND, ("Message sent to Dan", "Failed", "Error"))
            self.assertEqual([m["Number"] for m in texts(phone.events("pdu"))], ["0301299", "017012345", "5550101"])
            program.click(RADIO_NUMBER)

            # A group stands for its members, by name; each number once, in order.
            trail = program.send("Team; 0301299", "Hi team", ("Message sent to Dan", "Failed", "Error"))
            sent = [m["Number"] for m in texts(phone.events("pdu"))[3:]]
            self.assertEqual(sent, ["0301299", "017012345", "5550101"])
            self.assertEqual(program.text(STATUS_NOTE), "2 recipients with the same number as others merged")
            self.assertIn("Message sent to Ben (0301299)", " ".join(trail))

            # The phone book replaces what came from the phone; the own contacts
            # stay, and an entry with an own contact's number (Anna's) is left out.
            program.click(RADIO_CONTACT)
            program.request(REFRESH, "Phonebook downloaded at ")
            own = ["Cleo", "0170 12345", "Dan", "555 0101", "Ben", "0301299", "Eve", "+49 170 12345"]
            self.assertEqual(settings_list("Contacts"), own + [x for num, n in PHONEBOOK[1:] for x in (n, num)])
            self.assertEqual(settings_list("OwnContacts"), [" " + x for x in own])
            # A phone entry deleted is gone until the next download.
            code, out = zandu.winprobe("open", program.hwnd, CONTACTS, "Contacts", 20000)
            window = out[0].split("\t")[0]
            zandu.winprobe("replace", window, C_SEARCH, "2pac")
            wait_for(lambda: zandu.winprobe("rows", window, C_LIST, 10)[1], 10,
                     until=lambda rows: rows == ["count=1 sel=0", "2Pac\t0301234\tphone"])
            zandu.winprobe("click", window, C_DELETE)
            wait_for(lambda: zandu.window_text(window, C_STATUS), 10,
                     until=lambda t: t == "Deleted 2Pac (0301234): the next phone-book download brings it back")
            self.assertNotIn("2Pac", settings_list("Contacts"))
            # A phone entry edited is the user's own.
            zandu.winprobe("replace", window, C_SEARCH, "jurgen")
            wait_for(lambda: zandu.window_text(window, C_NAME), 10, until=lambda t: t == "Jürgen Groß")
            zandu.winprobe("settext", window, C_NUMBER, "5550002")
            zandu.winprobe("click", window, C_SAVE)
            wait_for(lambda: zandu.winprobe("rows", window, C_LIST, 10)[1], 10,
                     until=lambda rows: rows == ["count=1 sel=0", "Jürgen Groß\t5550002\t"])
            self.assertEqual(settings_list("OwnContacts")[-2:], [" Jürgen Groß", " 5550002"])
            zandu.winprobe("click", window, C_OK)
            program.click(RADIO_NUMBER)

    def save_contact(self, window, name, number, groups, status, enter=False):
        """New, the fields, Save (or Enter in a field: the window stays): the
        status the Contacts window then shows begins with status."""
        # New ends with the focus in the name field: seen there, it has
        # cleared the fields, and what is typed next stays.
        zandu.winprobe("focus", window, C_LIST)
        zandu.winprobe("click", window, C_NEW)
        wait_for(lambda: zandu.winprobe("focused", window)[1], 10, "New", until=lambda out: out == [str(C_NAME)])
        for item, text in ((C_NAME, name), (C_NUMBER, number), (C_GROUPS, groups)):
            zandu.winprobe("settext", window, item, text)
        if enter:
            zandu.winprobe("focus", window, C_GROUPS)
            zandu.winprobe("key", window, 0x0D)
        else:
            zandu.winprobe("click", window, C_SAVE)
        wait_for(lambda: zandu.window_text(window, C_STATUS), 10, until=lambda t: t.startswith(status))

    def file_dialog(self, window, button, title, path):
        self.assertEqual(zandu.file_dialog(window, button, title, path), 0, "no %s dialog" % title)

    def test_storing_failures_time_out_and_cancel(self):
        # A phone on COM5 while the ports are enumerated; later ones replace it.
        first = self.phone("--maker", "Acme Mobile")
        with Program() as program:
            program.wait_status("Ready")
            program.replace(MESSAGE, "Stored")
            zandu.winprobe("settext", program.hwnd, NUMBER_BOX, "0123456789")
            with first:
                trail = program.request(SAVE, "Message uploaded at ")
                self.assertEqual(trail[:3], ["Connecting...", "Handshaking...", "Uploading message to phone..."])
                self.assertEqual(history_records()[-1][:2], [" ", " 0123456789"])
                self.assertTrue(program.request(TEST_PORT, "Device on ")[-1].startswith(
                                "Device on COM5 is a(n) Acme Mobile; model: "))
            self.failures_time_out_and_cancel(program)

    def failures_time_out_and_cancel(self, program):
        # Each failure the phone stages ends with its text and gives the buttons back.
        cases = [(SEND, "AT+CMGS", "Failed to send message"), (SAVE, "AT+CMGW", "Failed to save message"),
                 (TEST_PORT, "AT+CGMI", "Failed to get model"), (REFRESH, "AT+CPBR", "Failed to download phonebook")]
        program.replace(MESSAGE, "Hi")
        records = len(history_records())
        for button, command, failure in cases:
            with self.subTest(failure=failure), self.phone("--error", command):
                if button == REFRESH:
                    program.click(RADIO_CONTACT)
                done = failure + " to 0123456789" if button == SEND else failure
                self.assertEqual(program.request(button, failure)[-1], done)
        program.click(RADIO_NUMBER)
        self.assertEqual(len(history_records()), records)

        # No answer to AT: the time-out after about 5 s, and the buttons come back.
        with self.phone("--silent"):
            started = time.monotonic()
            trail = program.request(SEND, "Error: timed out waiting for data")
            self.assertGreater(time.monotonic() - started, 5)
            self.assertEqual(trail[-1], "Error: timed out waiting for data")

        # Cancel in the middle of a two-part message: no record; the next Send
        # goes on with the second part, under the first one's reference.
        program.replace(MESSAGE, "y" * 200)
        with self.phone("--silent-after", "4") as phone:
            program.click(SEND)
            program.wait_status("Sending message 1 to 0123456789...")
            time.sleep(1)
            program.click(CANCEL)
            program.wait_status("Canceled")
            wait_for(lambda: program.enabled(SEND), what="the request buttons to come back")
            self.assertEqual(len(phone.events("pdu")), 1)
            first = phone.events("pdu")[0]
        self.assertEqual(len(history_records()), records)
        with self.phone() as phone:
            program.request(SEND, "Message sent to 0123456789 at ")
            pdus = phone.events("pdu")
        self.assertEqual([(p["ref"], p["part"], p["parts"]) for p in pdus], [(first["ref"], 2, 2)])
        self.assertEqual(len(history_records()), records + 1)

        # A history that lacks its final zero is not overwritten by the next
        # send: it stays byte for byte, and the status line says so under the
        # sent text.
        damaged = "".join(" %s\0" % e for e in ("", "555", "01/03/2026 09:15:00", "Kept")).encode("utf-16-le")
        zandu.settings_set_raw("NewHistory", 7, damaged)
        with self.phone():
            program.request(SEND, "Message sent to 0123456789 at ")
        self.assertEqual(zandu.settings_raw("NewHistory"), (7, damaged))
        self.assertTrue(program.text(STATUS).startswith("Message sent to 0123456789 at "))
        self.assertEqual(program.text(STATUS_NOTE), "Could not update the history: the stored value is damaged")


if __name__ == "__main__":
    zandu.main()
