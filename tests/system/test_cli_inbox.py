"""zandusms-cli inbox, reports and send --report against the phone
simulator (Windows build under Wine): the messages the phone holds joined and
decoded, kept in the inbox file and deleted from the phone only when asked,
printed so that no control character reaches the terminal, and exported as
CSV; listen printing each message as it arrives until Ctrl+C;
a send that asks for delivery reports (TP-SRR) and the report the phone
then holds, matched to it."""
import json
import signal
import tempfile
import unittest

import zandu
from zandu import (BUILD, RECEIVED, Phone, SavedInbox, SavedSettings, cli, cli_start, decode_submit, lines,
                   messages_file, port_link, settings_list)


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class Inbox(unittest.TestCase):
    def test_read_kept_and_deleted(self):
        expected = [(m["sender"], m["time"], m["text"]) for m in RECEIVED]
        with tempfile.TemporaryDirectory() as tmp, SavedInbox() as inbox, SavedSettings(), \
                Phone(port_link("COM5"), "--messages", messages_file(tmp, RECEIVED)) as phone:
            out = cli("inbox", "--port", "COM5", "--json")
            self.assertEqual((out.returncode, out.stderr), (0, ""))
            printed = [json.loads(line) for line in lines(out.stdout)]
            self.assertEqual([(m["sender"], m["time"], m["text"]) for m in printed], expected)
            self.assertEqual([m["encoding"] for m in printed], ["gsm7", "ucs2"])
            self.assertEqual(phone.commands(), ["AT", "ATE0", "AT+CMGF=0", "AT+CPMS?", 'AT+CPMS="SM"', "AT+CMGL=4",
                                                'AT+CPMS="ME"', "AT+CMGL=4", 'AT+CPMS="SM"'])

            # Read again: the same messages, none new, none stored twice.
            out = cli("inbox", "--port", "COM5")
            self.assertEqual(out.returncode, 0, out.stderr)
            self.assertEqual(lines(out.stdout), ["Connecting...", "Handshaking...", "Reading messages from phone...",
                                                 "0 new messages"] + ["\t".join(m) for m in expected])
            self.assertEqual([(m["sender"], m["text"]) for m in inbox.messages()],
                             [(m[0], m[2]) for m in expected])

            out = cli("inbox", "--port", "COM5", "--delete")
            self.assertEqual(out.returncode, 0, out.stderr)
            self.assertEqual([c for c in phone.commands() if c.startswith("AT+CMGD=")][-3:],
                             ["AT+CMGD=1", "AT+CMGD=2", "AT+CMGD=1"])  # two in "SM", one in "ME"
            listing = cli("at", "--port", "COM5", "AT+CMGF=0", 'AT+CPMS="MT"', "AT+CMGL=4")
            self.assertNotIn("+CMGL:", listing.stdout)
            self.assertEqual(len(inbox.messages()), 2)

            # Exported as CSV, oldest first, the sender's contact name beside its number.
            zandu.settings_set_list("Contacts", ["Anna", "0170 12345"])
            out = cli("inbox", "export", tmp + "/inbox.csv")
            self.assertEqual(lines(out.stdout), ["2 messages exported to %s/inbox.csv" % tmp], out.stderr)
            with open(tmp + "/inbox.csv", encoding="utf-8", newline="") as f:
                self.assertEqual(f.read(), "\ufeffTime,Number,Name,State,Text\r\n" + "".join(
                    "%s,'%s,%s,received,%s\r\n" % (m["time"].replace("T", " "), m["sender"], name,
                                                   '"%s"' % m["text"] if "," in m["text"] else m["text"])
                    for m, name in zip(RECEIVED, ("Anna", ""))))

    def test_listen_prints_each_message_as_it_arrives(self):
        with tempfile.TemporaryDirectory() as tmp, SavedInbox() as inbox, SavedSettings(), \
                Phone(port_link("COM5"), "--incoming-at", "2,3", "--incoming", messages_file(tmp, RECEIVED)):
            listen = cli_start("listen", "--port", "COM5", "--json")
            printed = [json.loads(listen.stdout.readline()) for _ in RECEIVED]
            listen.send_signal(signal.SIGINT)  # Wine hands it to the console's Ctrl+C handler
            self.assertEqual(listen.wait(30), 0, listen.stderr.read())
            self.assertEqual([(m["sender"], m["text"]) for m in printed], [(m["sender"], m["text"]) for m in RECEIVED])
            self.assertEqual([m["sender"] for m in inbox.messages()], [m["sender"] for m in RECEIVED])

    def test_a_text_that_would_drive_the_terminal_is_escaped(self):
        text = "\x1b]0;owned\x07\x1b[2J \u009b31m red"
        held = [{"sender": "+4917012345", "time": "2024-05-17T14:03:09+02:00", "encoding": "ucs2", "text": text}]
        with tempfile.TemporaryDirectory() as tmp, SavedInbox(), SavedSettings(), \
                Phone(port_link("COM5"), "--messages", messages_file(tmp, held)):
            out, out_json = cli("inbox", "--port", "COM5"), cli("inbox", "--port", "COM5", "--json")
        self.assertEqual(lines(out.stdout)[-1],
                         "+4917012345\t2024-05-17T14:03:09+02:00\t\\x1B]0;owned\\x07\\x1B[2J \\u009B31m red")
        self.assertEqual(json.loads(lines(out_json.stdout)[-1])["text"], text)
        self.assertFalse(set(out.stdout + out_json.stdout) & {"\x1b", "\x07", "\u009b"})


@unittest.skipUnless(BUILD == "windows", "the port commands run under Wine")
class Reports(unittest.TestCase):
    def test_requested_reported_and_matched(self):
        with tempfile.TemporaryDirectory(), SavedSettings(), SavedInbox(), Phone(port_link("COM5")) as phone:
            out = cli("send", "--port", "COM5", "--to", "0123456789", "--text", "Hi", "--report")
            self.assertEqual(out.returncode, 0, out.stderr)
            [pdu] = phone.events("pdu")
            # python3-gammu reads it as the message sent without a report; the
            # first octet differs only in TP-SRR.
            msg = decode_submit(pdu["pdu"])
            self.assertEqual((msg["Number"], msg["Text"], msg["UDH"]["Type"]), ("0123456789", "Hi", "NoUDH"))
            self.assertEqual(pdu["pdu"][2:4], "31")
            [report] = phone.events("report")
            [element] = settings_list("Reports")
            self.assertEqual(element.split("\t")[1:5], ["0123456789", str(report["mr"]), element.split("\t")[3], "0"])

            out = cli("reports", "--port", "COM5")
            self.assertEqual(out.returncode, 0, out.stderr)
            number, ref, state, sent = lines(out.stdout)[-1].split("\t")
            self.assertEqual((number, ref, state[:10]), ("0123456789", str(report["mr"]), "Delivered "))
            self.assertNotEqual(sent, "not matched")
            self.assertEqual(settings_list("Reports")[0].split("\t")[4], "1")

            # Nothing awaited any more: a send without a report keeps its dialogue.
            before = len(phone.commands())
            out = cli("send", "--port", "COM5", "--to", "0123456789", "--text", "Hi")
            self.assertEqual(phone.commands()[before:], ["AT", "ATE0", "AT+CMGF=0", "AT+CMGS=15"])
            self.assertEqual(phone.events("pdu")[-1]["pdu"][2:4], "11")


if __name__ == "__main__":
    zandu.main()
