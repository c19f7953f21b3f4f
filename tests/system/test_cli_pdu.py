"""zandusms-cli pdu: the exact lines written to the phone, and its refusals."""
import os
import tempfile
import unittest

import zandu
from zandu import cli, decode_submit, pdu_lines


class PduCommand(unittest.TestCase):
    def test_worked_examples(self):
        out = cli("pdu", "0123456789", "Hi")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout, "AT+CMGS=15\n0011F10A8110325476980000AA02C834\n")
        out = cli("pdu", "12345", "Hi")
        self.assertEqual(out.stdout, "AT+CMGS=13\n0011F105812143F50000AA02C834\n")

    def test_a_text_beyond_the_alphabet_goes_in_ucs2(self):
        out = cli("pdu", "0123456789", "Привет")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout, "AT+CMGS=25\n0011F10A8110325476980008AA0C041F04400438043204350442\n")
        msg = decode_submit(pdu_lines(out.stdout)[0][1])
        self.assertEqual((msg["Coding"], msg["Text"]), ("Unicode_No_Compression", "Привет"))

    def test_three_parts_share_the_reference(self):
        pairs = pdu_lines(cli("pdu", "--ref", "7", "12345", "x" * 307).stdout)
        self.assertEqual(len(pairs), 3)
        for number, (length, pdu) in enumerate(pairs, 1):
            self.assertEqual(length, len(pdu) // 2 - 1)
            self.assertEqual(pdu[:6], "005107")
            self.assertIn("0500030703%02X" % number, pdu)

    def test_text_from_a_file(self):
        with tempfile.TemporaryDirectory() as tmp:
            path = os.path.join(tmp, "msg.txt")
            with open(path, "wb") as f:
                f.write("\ufeffHi".encode("utf-8"))  # the BOM is not part of the text
            out = cli("pdu", "--file", path, "0123456789")
            self.assertEqual(out.stdout, "AT+CMGS=15\n0011F10A8110325476980000AA02C834\n")
            with open(path, "wb") as f:
                f.write(b"Hi\0")
            out = cli("pdu", "--file", path, "0123456789")
            self.assertEqual((out.returncode, out.stdout), (3, ""))
            self.assertIn("the text holds a NUL character at position 3", out.stderr)
            with open(path, "wb") as f:
                f.write(b"H\xffi")
            out = cli("pdu", "0123456789", "--file", path)
            self.assertEqual(out.returncode, 3)
            self.assertIn("not UTF-8", out.stderr)
            self.assertEqual(out.stdout, "")

    def test_text_from_standard_input(self):
        out = cli("pdu", "12345", "--file", "-", stdin=b"Hi")
        self.assertEqual(out.stdout, "AT+CMGS=13\n0011F105812143F50000AA02C834\n")

    def test_numbers_that_cannot_be_sent_are_refused(self):
        for number in ["12a45", "", "+", "123456789012345678901", "*100#"]:
            out = cli("pdu", number, "Hi")
            self.assertEqual(out.returncode, 3, number)
            self.assertEqual(out.stdout, "")
            self.assertIn("cannot send to", out.stderr)

    def test_more_than_255_parts_is_refused(self):
        # Through standard input: a Windows command line holds at most 32767 characters.
        full = cli("pdu", "1", "--file", "-", stdin=b"x" * (255 * 153))
        self.assertEqual(full.returncode, 0)
        self.assertEqual(len(pdu_lines(full.stdout)), 255)
        out = cli("pdu", "1", "--file", "-", stdin=b"x" * (255 * 153 + 1))
        self.assertEqual(out.returncode, 3)
        self.assertIn("256 SMS", out.stderr)
        self.assertEqual(out.stdout, "")
        # In UCS-2, 67 code units a part.
        self.assertEqual(cli("pdu", "1", "--file", "-", stdin=("Ж" * (255 * 67)).encode()).returncode, 0)
        out = cli("pdu", "1", "--file", "-", stdin=("Ж" * (255 * 67 + 1)).encode())
        self.assertEqual(out.returncode, 3)
        self.assertIn("256 SMS", out.stderr)

    def test_usage_errors(self):
        self.assertEqual(cli().returncode, 2)
        self.assertEqual(cli("frobnicate").returncode, 2)
        self.assertEqual(cli("pdu", "12345").returncode, 2)
        self.assertEqual(cli("pdu", "12345", "Hi", "extra").returncode, 2)
        self.assertEqual(cli("pdu", "--bogus", "12345", "Hi").returncode, 2)
        for ref in ["x", "", "1x"]:
            self.assertEqual(cli("pdu", "--ref", ref, "12345", "Hi").returncode, 2, ref)
        self.assertEqual(cli("pdu", "12345", "--ref").returncode, 2)

    def test_references_out_of_range(self):
        for ref in ["0", "256", "4294967297", "-1"]:
            out = cli("pdu", "--ref", ref, "12345", "Hi")
            self.assertEqual((out.returncode, out.stdout), (3, ""), ref)
            self.assertIn("--ref must be 1 to 255", out.stderr)

    def test_a_text_that_looks_like_an_option(self):
        out = cli("pdu", "12345", "--", "-Hi")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(len(pdu_lines(out.stdout)), 1)

    def test_options_read_like_send(self):
        out = cli("pdu", "--to", "0123456789", "--text", "Hi")
        self.assertEqual(out.returncode, 0, out.stderr)
        self.assertEqual(out.stdout, "AT+CMGS=15\n0011F10A8110325476980000AA02C834\n")
        self.assertEqual(cli("pdu", "12345", "--text", "Hi").stdout, cli("pdu", "--to", "12345", "Hi").stdout)
        for args in [["--to", "1", "--text", "a", "b"], ["--to", "1", "--text", "a", "--file", "-"],
                     ["--to", "1"], ["--text", "Hi"], ["1", "--text", "a", "b"]]:
            self.assertEqual(cli("pdu", *args).returncode, 2, args)

    def test_help(self):
        out = cli("--help")
        self.assertEqual(out.returncode, 0)
        self.assertIn("pdu", out.stdout)
        self.assertIn("Exit codes", out.stdout)

    def test_trace_goes_to_standard_error(self):
        out = cli("pdu", "--trace", "12345", "Hi")
        self.assertEqual(out.returncode, 0)
        self.assertIn("m_dwRef: 241", out.stderr)
        self.assertIn("0011F105812143F50000AA02C834", out.stderr)


if __name__ == "__main__":
    zandu.main()
