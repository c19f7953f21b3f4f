"""The default skin fits the dialogs: each bitmap has the pixel size of its
dialog as the templates come out under Wine, and the layout the skin was
drawn from is the templates' current one."""
import os
import unittest

import zandu
from screen import read_bmp
from zandu import BUILD, winprobe

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
PROGRAM = os.environ.get("ZANDU_PROGRAM", "")
BITMAPS = {129: "zandu.bmp", 221: "history.bmp", 100: "about.bmp", 223: "feedback.bmp", 224: "inbox.bmp",
           225: "pin.bmp", 226: "contacts.bmp", 227: "conversations.bmp"}
REDRAW = "re-run tools/skin/measure.sh and tools/skin/make_skin.py after changing a dialog template"


def read_layout():
    sections, current = {}, None
    with open(os.path.join(ROOT, "tools", "skin", "layout.txt"), encoding="utf-8") as f:
        for line in f.read().splitlines():
            if line.startswith("["):
                current = sections.setdefault(int(line[1:-1]), [])
            elif line and not line.startswith("#"):
                current.append(line)
    return sections


@unittest.skipUnless(BUILD == "windows", "measures the dialogs under Wine")
class SkinLayout(unittest.TestCase):
    def test_the_skin_was_drawn_from_the_current_templates(self):
        layout = read_layout()
        self.assertEqual(sorted(layout), sorted(BITMAPS))
        for dialog, expected in layout.items():
            code, measured = winprobe("layout", "Z:" + PROGRAM, dialog)
            self.assertEqual(code, 0)
            self.assertEqual(measured, expected, "dialog %d has changed: %s" % (dialog, REDRAW))

    def test_each_bitmap_has_its_dialogs_size_and_outline(self):
        layout = read_layout()
        for dialog, name in BITMAPS.items():
            with self.subTest(bitmap=name):
                width, height = (int(v) for v in layout[dialog][0].split("\t")[1:3])
                bmp_w, bmp_h, bits, compression, rows = read_bmp(os.path.join(ROOT, "skin", name))
                self.assertEqual((bmp_w, bmp_h), (width, height), REDRAW)
                self.assertEqual((bits, compression), (32, 0))
                # Shaped: the corners are cut out (exactly 0), the inside is opaque.
                for x, y in [(0, 0), (width - 1, 0), (0, height - 1), (width - 1, height - 1)]:
                    self.assertEqual(rows[y][x], 0, (x, y))
                self.assertEqual(rows[height // 2][width // 2] >> 24, 0xFF)
                self.assertEqual(rows[0][width // 2] >> 24, 0xFF)
                # No pixel is white without alpha, which would turn transparent.
                self.assertNotIn(0x00FFFFFF, {p for row in rows for p in row})

    def test_the_program_gets_the_committed_skin_beside_it(self):
        for name in list(BITMAPS.values()) + ["colors.ini"]:
            with open(os.path.join(ROOT, "skin", name), "rb") as a, \
                    open(os.path.join(os.path.dirname(PROGRAM), "skin", name), "rb") as b:
                self.assertEqual(a.read(), b.read(), name)


if __name__ == "__main__":
    zandu.main()
