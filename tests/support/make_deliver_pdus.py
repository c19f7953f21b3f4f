#!/usr/bin/python3
"""Prints the SMS-DELIVER PDUs of the decoder's test table (tests/unit/
deliver_pdu_test.cpp), made by python3-gammu, an independent encoder:

    /usr/bin/python3 tests/support/make_deliver_pdus.py
"""
import binascii
import datetime

import gammu

TIME = datetime.datetime(2024, 5, 17, 14, 3, 9)
CASES = [
    # name, sender, text, EncodeSMS entry id, unicode
    ("gsm7_extension", "+4917012345", "Price: 5€ [a] {b} ~|^\\ @£$¥ èé Ω", "ConcatenatedTextLong", False),
    ("ucs2_emoji", "+4917012345", "Привет 😀 мир 🎉!", "ConcatenatedTextLong", True),
    ("national_sender", "0123456789", "Hi", "ConcatenatedTextLong", False),
    ("alphanumeric_sender", "Zandu", "Code 1234", "ConcatenatedTextLong", False),
    ("concat8", "+4917012345", "".join("Part text %03d {x} " % i for i in range(24)), "ConcatenatedTextLong", False),
    ("concat16", "+4917012345", "".join("sixteen %03d " % i for i in range(20)), "ConcatenatedTextLong16bit", False),
    ("ucs2_concat", "+4917012345", "ж" * 66 + "😀" + "ж" * 10, "ConcatenatedTextLong", True),
]


def deliver(number, text, entry, unicode):
    parts = gammu.EncodeSMS({"Class": -1, "Unicode": unicode, "Entries": [{"ID": entry, "Buffer": text}]})
    out = []
    for msg in parts:
        msg.update(Number=number, SMSC={"Number": "+491710760000"}, DateTime=TIME, Type="Deliver")
        out.append(binascii.hexlify(gammu.EncodePDU(msg, Layout="Deliver")).decode().upper())
    return out


def eight_bit():
    msg = gammu.EncodeSMS({"Entries": [{"ID": "Text", "Buffer": "x"}]})[0]
    msg.update(Number="+4917012345", SMSC={"Number": "+491710760000"}, DateTime=TIME, Type="Deliver",
               Coding="8bit", Text=b"\x00\x01\xff\xfe", Class=1)
    return [binascii.hexlify(gammu.EncodePDU(msg, Layout="Deliver")).decode().upper()]


for name, number, text, entry, unicode in CASES:
    print(name, repr(text))
    for pdu in deliver(number, text, entry, unicode):
        print("   ", pdu)
print("eight_bit")
for pdu in eight_bit():
    print("   ", pdu)
