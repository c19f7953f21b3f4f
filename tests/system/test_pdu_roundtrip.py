"""Every part the program builds, decoded by an independent decoder (python3-gammu).

A text whose every character the GSM alphabet carries goes in the GSM 7-bit
alphabet: characters of the GSM 03.38 default alphabet and its extension table
arrive as themselves, the grave accent as an apostrophe. Any other text (one
with a control character other than CR and LF too) goes whole in UCS-2 and
arrives exactly as typed, in parts of 67 UTF-16 code units that never split a
surrogate pair.
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
# the extension's only control character, is left out: like TAB it is not carried).
DEFAULT = ("@£$¥èéùìòÇ\nØø\rÅåΔ_ΦΓΛΩΠΨΣΘΞ\x1bÆæßÉ !\"#¤%&'()*+,-./0123456789:;<=>?"
           "¡ABCDEFGHIJKLMNOPQRSTUVWXYZÄÖÑÜ§¿abcdefghijklmnopqrstuvwxyzäöñüà")
EXTENSION = "^{}\\[~]|€"
ALPHABET = set(DEFAULT.replace("\x1b", "")) | set(EXTENSION)
SUBSTITUTED = "`"                     # sent as an apostrophe
CONTROL = "\t\x0b\x0c\x7f\x01\x1b"         # not carried: the text goes in UCS-2
FOREIGN = "áçÿЖѡ中😀"                 # not in the alphabet: the text goes in UCS-2
OUTSIDE = SUBSTITUTED + CONTROL + FOREIGN
SCRIPTS = ["Привет, как дела? Всё хорошо.", "αβγδ ελληνικά Ωμέγα", "中文短信测试，你好世界。",
           "مرحبا بالعالم، كيف حالك؟", "😀👍🎉 emoji 🇩🇪", "नमस्ते दुनिया"]
NUMBERS = ["0123456789", "12345", "+441234567890", "+1 (555) 010-9999", "7",
           "12345678901234567890", "+3", "012.345.67"]


def typed(text):
    return text.split("\0")[0]


def is_gsm(text):
    return all(ch in ALPHABET or ch in SUBSTITUTED for ch in typed(text))


def expected_text(text):
    if not is_gsm(text):
        return typed(text)
    out = []
    for ch in typed(text):
        out.append("'" if ch == "`" else ch)
    return "".join(out)


def units(text):
    return len(text.encode("utf-16-be")) // 2


def ucs2_parts(text):
    """Code units per part: one SMS of up to 70, else parts of 67, one less
    where the 67th would be the first half of a surrogate pair."""
    data = typed(text).encode("utf-16-be")
    n = len(data) // 2
    if n <= 70:
        return [n]
    parts, pos = [], 0
    while pos < n:
        size = min(67, n - pos)
        if pos + size < n and 0xD8 <= data[2 * (pos + size - 1)] <= 0xDB:
            size -= 1
        parts.append(size)
        pos += size
    return parts


def ucs2_user_data(octets):
    """The text of a UCS-2 SMS-SUBMIT (with its service-centre octet), after
    any user data header, decoded by Python's own codec: python3-gammu turns
    a '~' of UCS-2 text into two (dropping as many characters at the end) and
    U+0001 into '~'."""
    pos = 1 + octets[0]
    first = octets[pos]
    pos += 3 + 1 + (octets[pos + 2] + 1) // 2  # first octet, TP-MR, address
    pos += 3                                   # TP-PID, TP-DCS, TP-VP (relative)
    data = octets[pos + 1:pos + 1 + octets[pos]]
    if first & 0x40:
        data = data[data[0] + 1:]
    return data.decode("utf-16-be")


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
    pool = sorted(ALPHABET) * 3 + list(SUBSTITUTED)
    while len(texts) < 320:
        # Not empty: "" is a case of its own, and the decoder refuses it after a 20-digit number.
        texts.append("".join(rnd.choice(pool) for _ in range(rnd.randint(1, 480))))
    # UCS-2: every script, the part sizes on both sides of each cut, emoji
    # across the cuts, and a GSM text with one letter beyond the alphabet.
    texts += SCRIPTS + ["".join(SCRIPTS) * 2, "Hello, see you at 10 in the café! Ж", "Tab\tand\r\nline"]
    for n in (70, 71, 134, 135, 201, 202):
        texts += ["Ж" * n, ("Ωμέγα " * 40)[:n]]
    for before in (64, 65, 66, 67, 68, 69):
        texts += ["x" * before + "😀" * 3 + "y" * 70, "Ж" * before + "🎉" + "x" * 66 + "👍" * 40]
    texts.append("😀" * 150)
    pool = sorted(ALPHABET) + list(FOREIGN + CONTROL) * 3 + list("".join(SCRIPTS))
    while len(texts) < 420:
        texts.append("".join(rnd.choice(pool) for _ in range(rnd.randint(1, 300))) + "Ж")
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
            octets = binascii.unhexlify(pdu)
            msg = gammu.DecodePDU(octets, SMSC=True)
            self.assertEqual(msg["Type"], "Submit")
            self.assertEqual(msg["Number"], expected_number(number))
            self.assertEqual(msg["MessageReference"], ref)
            self.assertEqual(msg["Coding"], "Default_No_Compression" if is_gsm(text) else "Unicode_No_Compression")
            udh = msg["UDH"]
            if total == 1:
                self.assertEqual(udh["Type"], "NoUDH")
            else:
                self.assertEqual(udh["Type"], "ConcatenatedMessages")
                self.assertEqual((udh["ID8bit"], udh["PartNumber"], udh["AllParts"]),
                                 (ref, part, total))
            # The decoder's text is NUL-terminated; '@' decodes as '@', not NUL.
            text_part = msg["Text"].split("\0")[0]
            if not is_gsm(text):
                text_part = ucs2_user_data(octets)
                if not any(c == "~" or c < " " for c in text_part):
                    self.assertEqual(msg["Text"], text_part)
            decoded.append(text_part)
        self.assertEqual("".join(decoded), expected_text(text))
        if is_gsm(text):
            if septets(text) <= 160:
                self.assertEqual(total, 1)
        else:
            self.assertEqual([units(d) for d in decoded], ucs2_parts(text))

    def test_round_trip(self):
        texts = generate_texts()
        cases = list(enumerate(texts))
        if BUILD == "windows":
            # Each run starts a Windows process under Wine, and the host tree
            # runs every case: here what the platform changes, the UTF-8 file
            # read into UTF-16 (surrogate pairs above all), on a sample.
            cases = [(i, text) for i, text in cases
                     if i % 20 == 0 or (max(text, default=" ") > "\uffff" and i % 3 == 0)]
        for index, text in cases:
            number = NUMBERS[index % len(NUMBERS)]
            with self.subTest(index=index, number=number, length=len(text)):
                self.check(text, number, index)


if __name__ == "__main__":
    zandu.main()
