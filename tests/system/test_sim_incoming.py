"""The messages and status reports the phone simulator holds for the program,
read by an independent decoder (python3-gammu): sender, time, text, parts and
their headers, and every status. Host build only, like the simulator."""
import binascii
import json
import os
import subprocess
import tempfile
import unittest

import gammu

import zandu
from zandu import BUILD

DUMP = os.environ.get("ZANDU_SIM_PDU_DUMP", "")
LONG = "".join("Line %03d [ok] " % i for i in range(30))  # extension characters across part boundaries
EMOJI = "Привет 😀 " * 18
MESSAGES = [
    {"sender": "+4917012345", "time": "2024-05-17T14:03:09+02:00", "text": "Price 5€ {a} ~|^\\ @£$¥ èé Ω"},
    {"sender": "0123456789", "time": "2024-02-29T23:59:59-05:30", "text": "national"},
    {"sender": "Zandu", "time": "2024-05-17T14:03:09+00:00", "text": "Code 1234"},
    {"sender": "+4917012345", "time": "2024-05-17T14:04:00+02:00", "text": LONG, "reference": 77},
    {"sender": "+4917012345", "time": "2024-05-17T14:05:00+02:00", "text": EMOJI, "encoding": "ucs2",
     "reference": 4660, "reference_bits": 16, "parts": [3, 1]},
    {"sender": "+4917012345", "time": "2024-05-17T14:06:00+02:00", "text": "data\u00ff", "encoding": "8bit"},
]


def ucs2_text(octets):
    """The user data of a UCS-2 SMS-DELIVER decoded by Python's own codec:
    python3-gammu alters some characters of UCS-2 text."""
    smsc = octets[0] + 1
    first = octets[smsc]
    pos = smsc + 1
    pos += 2 + (octets[pos] + 1) // 2  # originating address
    pos += 1 + 1 + 7                   # PID, DCS, time stamp
    udl = octets[pos]
    data = octets[pos + 1:pos + 1 + udl]
    if first & 0x40:
        data = data[data[0] + 1:]
    return data.decode("utf-16-be", "surrogatepass")


@unittest.skipUnless(BUILD == "host", "the simulator is a host program")
class IncomingMessages(unittest.TestCase):
    def dump(self, *args):
        proc = subprocess.run([DUMP, *args], capture_output=True, text=True, timeout=30)
        self.assertEqual(proc.returncode, 0, proc.stderr)
        return proc.stdout.split()

    def test_messages(self):
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "incoming.json")
            with open(path, "w", encoding="utf-8") as f:
                json.dump({"messages": MESSAGES}, f)
            words = self.dump(path)
        pdus = {}
        for number, pdu in zip(words[0::2], words[1::2]):
            pdus.setdefault(int(number) - 1, []).append(binascii.unhexlify(pdu))
        self.assertEqual([len(pdus[i]) for i in range(len(MESSAGES))], [1, 1, 1, 4, 2, 1])
        for i, plan in enumerate(MESSAGES):
            texts = []
            for octets in pdus[i]:
                msg = gammu.DecodePDU(octets, SMSC=True)
                self.assertEqual(msg["Type"], "Deliver")
                self.assertEqual(msg["Number"], plan["sender"])
                self.assertEqual(msg["SMSC"]["Number"], "+491710760000")
                self.assertEqual(msg["DateTime"].isoformat(), plan["time"][:19])  # it drops the zone
                udh = msg["UDH"]
                if len(pdus[i]) > 1 or plan is MESSAGES[4]:
                    self.assertEqual(udh["AllParts"], 3 if plan is MESSAGES[4] else len(pdus[i]))
                    key = "ID16bit" if plan.get("reference_bits") == 16 else "ID8bit"
                    self.assertEqual(udh[key], plan["reference"])
                else:
                    self.assertEqual(udh["Type"], "NoUDH")
                coding = plan.get("encoding", "gsm7")
                if coding == "ucs2":
                    texts.append((udh["PartNumber"], ucs2_text(octets)))
                elif coding == "8bit":
                    self.assertEqual(msg["Text"], plan["text"].encode("utf-8"))
                else:
                    texts.append((udh.get("PartNumber", 1), msg["Text"].split("\0")[0]))
            if plan is MESSAGES[4]:
                self.assertEqual([n for n, _ in texts], [3, 1])
                self.assertTrue(EMOJI.startswith(texts[1][1]))
                self.assertTrue(EMOJI.endswith(texts[0][1]))
            elif texts:
                self.assertEqual("".join(t for _, t in sorted(texts)), plan["text"])

    def test_status_reports(self):
        for status, kind in [(0x00, "Delivered"), (0x21, "Pending"), (0x46, "Failed"), (0x62, "Failed")]:
            pdu, = self.dump("--report", "241", "+4917012345", str(status))
            msg = gammu.DecodePDU(binascii.unhexlify(pdu), SMSC=True)
            self.assertEqual(msg["Type"], "Status_Report")
            self.assertEqual(msg["MessageReference"], 241)
            self.assertEqual(msg["Number"], "+4917012345")
            self.assertEqual(msg["DeliveryStatus"], status)
            self.assertEqual(msg["Text"], kind)
            self.assertEqual(msg["DateTime"].isoformat(), "2024-05-17T14:03:09")
            self.assertEqual(msg["SMSCDateTime"].isoformat(), "2024-05-17T14:03:20")


if __name__ == "__main__":
    zandu.main()
