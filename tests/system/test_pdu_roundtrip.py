"""Every part the program builds, decoded by an independent decoder (python3-gammu).

The expected text follows the alphabet rules: characters of the GSM 03.38 default
alphabet and its extension table arrive as themselves, the grave accent as an
apostrophe, other characters below U+0080 as '?', and everything else is dropped.
"""
import binascii
import os
import random
import tempfile
import unittest

import gammu

import zandu
from zandu import BUILD, cli, pdu_lines

# The default alphabet in septet order, then the extension table (form feed,
# the extension's only control character, is left out: it is sent as '?').
DEFAULT = ("@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞ\x1bÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
           "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà")
EXTENSION = "^{}\\[~]|€"
ALPHABET = set(DEFAULT.replace("\x1b", "")) | set(EXTENSION)
OUTSIDE = "á\tçÿ\x0c\x7f\x01Жѡ中😀`\x1b"
NUMBERS = ["0123456789", "12345", "+441234567890", "+1 (555) 010-9999", "7",
           "12345678901234567890", "+3", "012.345.67"]


def expected_text(text):
    out = []
    for ch in text:
        if ch == "\0":
            break
        if ch in ALPHABET:
            out.append(ch)
        elif ch == "`":
            out.append("'")
        elif ord(ch) < 0x80:
            out.append("?")
    return "".join(out)


def expected_number(number):
    digits = "".join(c for c in number if c.isdigit())
    return "+" + digits if number.lstrip().startswith("+") else digits


def septets(text):
    return sum(2 if c in EXTENSION else 1 for c in expected_text(text))


def generate_texts():
    rnd = random.Random(2026)
    texts = ["", "x", "Hi", "\r\n", "line one\r\nline two\r\n", "\r\n" * 90]
    texts += ["a" * n for n in (1, 159, 160, 161, 305, 306, 307, 459, 460)]
    for cut in (0, 152, 153, 159, 160, 305, 306, 307):  # '@' (septet 0) at the cut points
        texts.append("b" * cut + "@" + "c" * (320 - cut))
    for ext in EXTENSION:  # extension characters on both sides of a 153 cut
        texts.append("a" * 152 + ext + "b" * 20)
        texts.append("a" * 151 + ext + "b" * 20)
        texts.append("a" * 305 + ext * 3 + "b")
    texts.append(DEFAULT.replace("\x1b", "") + EXTENSION)
    texts.append((EXTENSION * 40)[:300])
    texts.append("".join(sorted(ALPHABET)) + OUTSIDE)
    for ch in sorted(ALPHABET | set(OUTSIDE)):
        texts.append("<" + ch + ">")
    pool = sorted(ALPHABET) * 3 + list(OUTSIDE)
    while len(texts) < 320:
        texts.append("".join(rnd.choice(pool) for _ in range(rnd.randint(0, 480))))
    return texts


class RoundTrip(unittest.TestCase):
    def check(self, text, number, index):
        with tempfile.NamedTemporaryFile("wb", suffix=".txt", delete=False) as f:
            f.write(text.encode("utf-8", "surrogatepass"))
            path = f.name
        try:
            ref = index % 255 + 1
            out = cli("pdu", "--ref", str(ref), number, "--file", path)
        finally:
            os.unlink(path)
        self.assertEqual(out.returncode, 0, out.stderr)
        pairs = pdu_lines(out.stdout)
        total = len(pairs)
        decoded = []
        for part, (length, pdu) in enumerate(pairs, 1):
            self.assertEqual(length, len(pdu) // 2 - 1)
            msg = gammu.DecodePDU(binascii.unhexlify(pdu), SMSC=True)
            self.assertEqual(msg["Type"], "Submit")
            self.assertEqual(msg["Number"], expected_number(number))
            self.assertEqual(msg["MessageReference"], ref)
            self.assertEqual(msg["Coding"], "Default_No_Compression")
            udh = msg["UDH"]
            if total == 1:
                self.assertEqual(udh["Type"], "NoUDH")
            else:
                self.assertEqual(udh["Type"], "ConcatenatedMessages")
                self.assertEqual((udh["ID8bit"], udh["PartNumber"], udh["AllParts"]),
                                 (ref, part, total))
            # The decoder's text is NUL-terminated; '@' decodes as '@', not NUL.
            decoded.append(msg["Text"].split("\0")[0])
        self.assertEqual("".join(decoded), expected_text(text))
        if septets(text) <= 160:
            self.assertEqual(total, 1)

    def test_round_trip(self):
        texts = generate_texts()
        cases = list(enumerate(texts))
        if BUILD == "windows":
            cases = cases[::4]  # each run starts a Windows process under Wine
        for index, text in cases:
            number = NUMBERS[index % len(NUMBERS)]
            with self.subTest(index=index, number=number, length=len(text)):
                self.check(text, number, index)


if __name__ == "__main__":
    zandu.main()
