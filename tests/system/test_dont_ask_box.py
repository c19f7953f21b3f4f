"""The Yes/No question with "Don't ask again" under Wine, shown by
tests/win/fixtures/DontAskProbe.cpp: the answer and the check box as the
caller reads them, where the check box sits and how much the box grows
beside the system's plain box, a box that could not get its check box, and
the update notice's long text, which with the check box must show whole."""
import os
import subprocess
import tempfile
import unittest

import zandu
from zandu import BUILD, winprobe

IDYES, IDNO = 6, 7
CAPTION = "Question"
DONT_ASK = "Don't ask again"

# mode, tick the check box, answer, expected output
CASES = [
    ("plain", False, IDYES, "result=6 dontask=0"),
    ("ask", True, IDNO, "result=7 dontask=1"),
    ("ask", False, IDYES, "result=6 dontask=0"),
    ("ask", True, IDYES, "result=6 dontask=1"),
    ("refuse", False, IDNO, "result=7 dontask=0"),
    ("notice", True, IDNO, "result=7 dontask=1 fits=1"),
]


def children(box):
    """{id or text: (left, top, width, height)} of the box's children."""
    found = {}
    for line in winprobe("children", box)[1]:
        cols = line.split("\t")
        rect = tuple(int(c) for c in cols[2:6])
        found[cols[7] if cols[7] == DONT_ASK else int(cols[0])] = rect
    return found


def checked(box):
    """Whether the check box (item 0) is ticked, once the posted click is handled."""
    def ticked():
        code, out = winprobe("state", box, 0)
        return code == 0 and out[0].endswith("checked=1")
    return zandu.wait_for(ticked, 10, fail=False)


@unittest.skipUnless(BUILD == "windows", "the box runs under Wine")
class DontAskBox(unittest.TestCase):
    def show(self, mode, tick, answer):
        """Runs the fixture through one box: (its output, box height, children)."""
        exe = os.environ["ZANDU_DONTASK_PROBE"]
        with tempfile.TemporaryFile() as out:
            proc = subprocess.Popen([os.environ["ZANDU_WINE_RUN"], exe, mode], stdin=subprocess.DEVNULL,
                                    stdout=out, stderr=subprocess.DEVNULL)
            try:
                code, found = winprobe("wait", os.path.basename(exe), CAPTION, "#32770", 20000)
                self.assertEqual(code, 0, "no box")
                box = found[0]
                height = int(winprobe("rect", box)[1][0].split("\t")[3])
                items = children(box)
                if tick:
                    self.assertEqual(winprobe("click", box, 0)[0], 0)
                    self.assertTrue(checked(box))
                self.assertEqual(winprobe("click", box, answer)[0], 0)
                self.assertEqual(proc.wait(timeout=30), 0)
            finally:
                if proc.poll() is None:
                    proc.kill()
            out.seek(0)
            return out.read().decode().strip(), height, items

    def test_answers_check_box_and_size(self):
        plain_height = None
        for mode, tick, answer, expected in CASES:
            with self.subTest(mode=mode, tick=tick, answer=answer):
                output, height, items = self.show(mode, tick, answer)
                self.assertEqual(output, expected)
                if mode == "notice":
                    continue
                if mode != "ask":
                    self.assertNotIn(DONT_ASK, items)
                    plain_height = plain_height or height
                    self.assertEqual(height, plain_height)
                    continue
                # Under Yes, as far below it as the buttons are apart; the box
                # grows by that gap and the check box's height.
                yes, no, check = items[IDYES], items[IDNO], items[DONT_ASK]
                gap = no[0] - (yes[0] + yes[2])
                self.assertGreater(gap, 0)
                self.assertEqual(check[:2], (yes[0], yes[1] + yes[3] + gap))
                self.assertTrue(0 < check[3] <= 13, check)
                self.assertEqual(height, plain_height + gap + check[3])


if __name__ == "__main__":
    zandu.main()
