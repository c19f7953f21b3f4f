"""The skin on the program's main window under Wine, seen the way a user sees
it: screenshots of the X display checked pixel by pixel, and real mouse moves
and key presses through the X server. The program runs from a folder of its
own with a skin in the test's colours, on a machine without COM ports, so
that its request buttons are disabled."""
import os
import shutil
import tempfile
import time
import unittest
from collections import Counter

import zandu
from screen import (Compositor, Screenshot, blend, contrast, drag, move_mouse, near, press, read_bmp, rgb,
                    click, window_rect)
from zandu import BUILD, PROGRAM, NoPorts, start_program, wait_for, winprobe

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

# Colours no pixel of the default skin's bitmap has, so that each one tells
# what drew it.
COLORS = {"StaticText": "00FF00", "Border": "FF0000", "ButtonBg": "0000FF", "ButtonBgDisabled": "FFFF00",
          "TextDisabled": "FF00FF", "EditBg": "444444", "EditText": "AAAAAA"}
TITLE = (250, 15)  # a point of the title row, clear of every control
SEND, TEST_PORT, CANCEL, HISTORY, STATUS, NUMBER, CONTACTS = 1006, 1015, 1012, 57665, 1011, 1014, 1066
RADIO_NUMBER, RADIO_CONTACT, ABOUT, ABOUT_STATS = 1008, 1009, 1021, 1034
BOTTOM_ROW = (ABOUT, HISTORY, 1022, 1041, 1098)  # Send Feedback..., Inbox..., Conversations...
COLOR_WINDOW, COLOR_WINDOWTEXT = 5, 8


@unittest.skipUnless(BUILD == "windows", "the windows run under Wine only")
class SkinWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        width, height, _, _, cls.bitmap = read_bmp(os.path.join(ROOT, "skin", "zandu.bmp"))
        cls.size = (width, height)
        cls.compositor = Compositor()

    @classmethod
    def tearDownClass(cls):
        cls.compositor.stop()

    def setUp(self):
        self.folder = tempfile.mkdtemp(prefix="zandu_skin_", dir=os.path.dirname(PROGRAM))
        self.addCleanup(shutil.rmtree, self.folder, True)
        self.exe_name = "ZanduSkin%d.exe" % os.getpid()
        shutil.copy(PROGRAM, os.path.join(self.folder, self.exe_name))
        os.mkdir(os.path.join(self.folder, "skin"))
        zandu.keep_settings(self)
        zandu.settings_delete_value("Contacts")
        zandu.settings_set_string("Port", "COM5")
        zandu.settings_set_list("Numbers", [" 12345", " 4711", " 98765"])
        zandu.settings_set_dword("AllowCheck", 0)
        zandu.forget_window_position(self)
        zandu.clear_outbox()  # what a killed program of another test left would come back, and be asked about at Esc
        ports = NoPorts().__enter__()
        self.addCleanup(ports.__exit__)
        self.proc = None
        move_mouse(0, 0)

    @staticmethod
    def kill(proc):
        if proc.poll() is None:
            proc.kill()
            proc.wait()

    def start(self, alpha, colors=COLORS, system_colors=False):
        """The program with these colours (none: the defaults) and opacity,
        or the system's colours; its window handle."""
        skin = os.path.join(self.folder, "skin")
        for name in ["zandu.bmp", "history.bmp", "about.bmp", "feedback.bmp"]:
            shutil.copy(os.path.join(ROOT, "skin", name), skin)
        with open(os.path.join(skin, "colors.ini"), "w", encoding="ascii") as f:
            f.write("[Colors]\n%s\n[Misc]\nEnableBorderHover=yes\nAlpha=%d\nSystemColors=%s\n"
                    % ("\n".join("%s=%s" % kv for kv in colors.items()), alpha, "yes" if system_colors else "no"))
        self.proc = start_program(os.path.join(self.folder, self.exe_name))
        self.addCleanup(self.kill, self.proc)  # each start's, also when a test starts several
        code, lines = winprobe("wait", self.exe_name, "Zandu SMS", "#32770", 30000)
        self.assertEqual(code, 0, "the window did not appear")
        self.hwnd = lines[0]
        self.left, self.top, _, _ = window_rect(self.hwnd)
        x, y = TITLE
        self.assertTrue(wait_for(lambda: Screenshot().pixel(self.left + x, self.top + y)
                                 != self.desktop(Screenshot(), y), 10, fail=False), "the window was not drawn")
        return self.hwnd

    def desktop(self, shot, y):
        """The desktop just left of the window, in row y of the window."""
        return shot.pixel(self.left - 1, self.top + y)

    def stop(self):
        self.assertEqual(winprobe("key", self.hwnd, 0x1B)[0], 0)  # Esc
        self.assertEqual(self.proc.wait(timeout=30), 2)

    def skin_pixel(self, x, y):
        """The bitmap's colour at (x, y) and its alpha."""
        value = self.bitmap[y][x]
        return ((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF), value >> 24

    def count(self, item, color):
        """How many pixels of a control show exactly this colour."""
        left, top, width, height = window_rect(self.hwnd, item)
        return Screenshot().pixels(left, top, width, height).count(rgb(color))

    def face(self, item, shot):
        """A pixel of a push button's face, clear of its rounded corner and caption."""
        left, top, _, _ = window_rect(self.hwnd, item)
        return shot.pixel(left + 4, top + 10)

    def outline(self, item, shot):
        """The middle of a push button's top edge."""
        left, top, width, _ = window_rect(self.hwnd, item)
        return shot.pixel(left + width // 2, top)

    def test_shape_colours_hover_completion_and_drag(self):
        self.start(alpha=100)
        width, _ = self.size
        # The status line's text in StaticText (and the controls drawn).
        self.assertTrue(wait_for(lambda: winprobe("text", self.hwnd, STATUS)[1] == ["Ready"], 10, fail=False))
        self.assertTrue(wait_for(lambda: self.count(STATUS, COLORS["StaticText"]) > 10, 10, fail=False))
        shot = Screenshot()
        # The outline: the bitmap's cut-out corner shows the desktop; its
        # opaque top edge shows the bitmap exactly (opacity 100).
        self.assertEqual(self.skin_pixel(0, 0)[1], 0)
        self.assertEqual(shot.pixel(self.left, self.top), self.desktop(shot, 0))
        self.assertNotEqual(self.desktop(shot, 0), (0, 0, 0))  # what a rectangular window would show
        color, alpha = self.skin_pixel(width // 2, 0)
        self.assertEqual(alpha, 0xFF)
        self.assertEqual(shot.pixel(self.left + width // 2, self.top), color)

        # Faces: enabled in ButtonBg, disabled (no port) in ButtonBgDisabled;
        # with border hover on, no outline until the mouse is on the button.
        self.assertEqual(self.face(CANCEL, shot), rgb(COLORS["ButtonBg"]))
        for disabled in [SEND, TEST_PORT]:
            self.assertEqual(self.face(disabled, shot), rgb(COLORS["ButtonBgDisabled"]), disabled)
        self.assertGreater(self.count(SEND, COLORS["TextDisabled"]), 5)
        self.assertEqual(self.outline(HISTORY, shot), rgb(COLORS["ButtonBg"]))
        self.assertEqual(self.outline(SEND, shot), rgb(COLORS["Border"]))  # the default button, which Enter presses
        left, top, _, _ = window_rect(self.hwnd, HISTORY)
        move_mouse(left + 20, top + 10)
        self.assertTrue(wait_for(lambda: self.outline(HISTORY, Screenshot()) == rgb(COLORS["Border"]), 10, fail=False),
                        "no outline under the mouse")
        # A pointer resting on a control wakes nothing up (a hover timer that
        # kept firing cost about 4 % of a core).
        used = zandu.cpu_seconds(self.proc.pid)
        time.sleep(3)
        used = zandu.cpu_seconds(self.proc.pid) - used
        self.assertLess(used, 0.03, "%.2f s of CPU in 3 s with the pointer at rest" % used)
        self.assertEqual(self.outline(CANCEL, Screenshot()), rgb(COLORS["ButtonBg"]))
        move_mouse(0, 0)
        self.assertTrue(wait_for(lambda: self.outline(HISTORY, Screenshot()) == rgb(COLORS["ButtonBg"]), 10, fail=False),
                        "the outline stayed after the mouse left")

        # Completion in the number box (its list holds 12345 from "Numbers"), real keys.
        left, top, width, height = window_rect(self.hwnd, NUMBER)
        click(left + width // 3, top + height // 2)
        for keys, text, selection in [(["1", "2"], "12345", "2\t5"), (["BackSpace"], "12", "2\t2"),
                                      (["3"], "12345", "3\t5")]:
            press(*keys)
            self.assertTrue(wait_for(lambda: winprobe("text", self.hwnd, NUMBER)[1] == [text], 10, fail=False),
                            "after %s: %r" % (keys, winprobe("text", self.hwnd, NUMBER)[1]))
            self.assertEqual(winprobe("sel", self.hwnd, NUMBER)[1], [selection], keys)
        # Tab on to the next button: it shows the focus, dotted in the caption's colour.
        caption = self.count(CONTACTS, COLORS["StaticText"])
        press("Tab")
        self.assertTrue(wait_for(lambda: self.count(CONTACTS, COLORS["StaticText"]) > caption + 40, 10, fail=False),
                        "no focus cue: %d pixels, %d before" % (self.count(CONTACTS, COLORS["StaticText"]), caption))

        # Pressing on the background (the title row) drags the window; the
        # next start finds it where it was left.
        drag(self.left + TITLE[0], self.top + TITLE[1], 60, 40)
        moved = (self.left + 60, self.top + 40)
        self.assertTrue(wait_for(lambda: window_rect(self.hwnd)[:2] == moved, 10, fail=False), window_rect(self.hwnd))
        self.stop()
        self.start(alpha=100)
        self.assertEqual((self.left, self.top), moved)
        self.stop()

    def changed(self, hwnd, item, before):
        """A screenshot once the item no longer looks as in before."""
        left, top, width, height = window_rect(hwnd, item)
        shot = wait_for(lambda: (lambda s: s if s.pixels(left, top, width, height)
                                 != before.pixels(left, top, width, height) else None)(Screenshot()), 10, fail=False)
        self.assertTrue(shot, "item %d was not drawn again" % item)
        return shot

    def mark(self, hwnd, item, checked, unchecked):
        """The checked mark of a radio button or check box between two screenshots:
        how many pixels of its circle (the square as high as the control at its
        left) change, and the contrast of the mark's colour to the circle's fill."""
        left, top, _, side = window_rect(hwnd, item)
        square = [(left + x, top + y) for y in range(side) for x in range(side)]
        changed = [p for p in square if checked.pixel(*p) != unchecked.pixel(*p)]
        if not changed:
            return 0, 1.0
        dot = Counter(checked.pixel(*p) for p in changed).most_common(1)[0][0]
        fill = Counter(unchecked.pixel(*p) for p in changed).most_common(1)[0][0]
        return len(changed), contrast(dot, fill)

    def text_lines(self, hwnd, item, bitmap):
        """The rows of text of a label of a dialog drawn over its skin bitmap at
        full opacity: runs of screen rows where the label differs from the bitmap."""
        left, top, width, height = window_rect(hwnd, item)
        origin_left, origin_top, _, _ = window_rect(hwnd)
        shot, lines, inside = Screenshot(), 0, False
        for y in range(top, top + height):
            value = lambda x: bitmap[y - origin_top][x - origin_left] & 0xFFFFFF
            ink = any(shot.pixel(x, y) != rgb("%06X" % value(x)) for x in range(left, left + width))
            lines += ink and not inside
            inside = ink
        return lines

    def assert_mark(self, window, item, checked, unchecked):
        """The checked one shows a mark of clear contrast to the circle or box."""
        pixels, ratio = self.mark(window, item, checked, unchecked)
        self.assertGreaterEqual(pixels, 12, item)
        self.assertGreaterEqual(ratio, 3.0, item)

    def test_checked_marks_and_the_about_text_in_the_default_skin(self):
        hwnd = self.start(alpha=100, colors={})
        checked = lambda window, item: winprobe("state", window, item)[1] == ["enabled=1 checked=1"]
        self.assertTrue(checked(hwnd, RADIO_NUMBER))
        number = Screenshot()
        self.assertEqual(winprobe("click", hwnd, RADIO_CONTACT)[0], 0)
        self.assertTrue(wait_for(lambda: checked(hwnd, RADIO_CONTACT), 10, fail=False))
        contact = self.changed(hwnd, RADIO_CONTACT, number)
        self.assert_mark(hwnd, RADIO_NUMBER, number, contact)
        self.assert_mark(hwnd, RADIO_CONTACT, contact, number)

        self.assertEqual(winprobe("click", hwnd, ABOUT)[0], 0)
        code, lines = winprobe("wait", self.exe_name, "About Zandu SMS", "#32770", 30000)
        self.assertEqual(code, 0, "no About box")
        about = lines[0]
        time.sleep(1)  # its first paint
        stats_off = Screenshot()
        self.assertEqual(winprobe("click", about, ABOUT_STATS)[0], 0)
        self.assertTrue(wait_for(lambda: checked(about, ABOUT_STATS), 10, fail=False))
        self.assert_mark(about, ABOUT_STATS, self.changed(about, ABOUT_STATS, stats_off), stats_off)
        # The credits in two lines, one per sentence: no word left alone on a line.
        credits = [line.split("\t")[0] for line in winprobe("children", about)[1] if "Sends SMS" in line]
        self.assertEqual(len(credits), 1)
        bitmap = read_bmp(os.path.join(ROOT, "skin", "about.bmp"))[4]
        self.assertEqual(self.text_lines(about, int(credits[0]), bitmap), 2)
        self.assertEqual(winprobe("key", about, 0x1B)[0], 0)
        self.assertTrue(wait_for(lambda: winprobe("rect", about)[0] == 1, 10, fail=False))
        self.stop()

    def test_every_item_drawn_at_144_and_192_dpi(self):
        for dpi in (144, 192):
            with self.subTest(dpi=dpi), zandu.ScreenDpi(dpi):
                hwnd = self.start(alpha=100)
                _, _, width, height = window_rect(hwnd)
                self.assertGreaterEqual(width, self.size[0] * dpi // 96)
                self.assertGreater(height, self.size[1] * dpi // 96 * 9 // 10)
                # Every control inside the window, drawn inside its outline,
                # whose corners are still cut out.
                for line in winprobe("children", hwnd)[1]:
                    item, _, x, y, w, h = line.split("\t")[:6]
                    self.assertLessEqual(int(x) + int(w), width, item)
                    self.assertLessEqual(int(y) + int(h), height, item)
                self.assertTrue(wait_for(lambda: self.count(STATUS, COLORS["StaticText"]) > 10, 10, fail=False))
                shot = Screenshot()
                self.assertEqual(shot.pixel(self.left, self.top), self.desktop(shot, 0))
                self.assertEqual(self.face(SEND, shot), rgb(COLORS["ButtonBgDisabled"]))
                for item in BOTTOM_ROW + (CANCEL,):
                    self.assertEqual(self.face(item, shot), rgb(COLORS["ButtonBg"]), item)
                self.stop()

    def test_the_system_colours(self):
        # The skin's switch takes the path of high contrast, which Wine
        # cannot turn on: the system's colours (set apart from Wine's own),
        # opaque. (A program under Wine keeps the colours it started with,
        # so their change is not seen here.)
        text, window = "0000C0", "FFFFE0"
        for index, color in ((COLOR_WINDOW, window), (COLOR_WINDOWTEXT, text)):
            code, before = winprobe("syscolor", index, color)
            self.assertEqual(code, 0)
            self.addCleanup(winprobe, "syscolor", index, before[0])
        hwnd = self.start(alpha=50, system_colors=True)
        self.assertTrue(wait_for(lambda: self.count(STATUS, text) > 10, 10, fail=False))
        left, top, width, height = window_rect(hwnd, STATUS)
        shot = Screenshot()
        self.assertEqual(shot.pixel(left + width - 2, top + height // 2), rgb(window))
        self.assertEqual(shot.pixel(self.left + TITLE[0], self.top + TITLE[1]), rgb(window))  # opaque
        self.assertEqual(self.count(STATUS, COLORS["StaticText"]), 0)
        self.stop()

    def test_the_opacity_follows_alpha(self):
        self.start(alpha=50)
        x, y = TITLE
        color, alpha = self.skin_pixel(x, y)
        self.assertEqual(alpha, 0xFF)
        shot = Screenshot()
        expected = blend(color, 50 * 255 // 100, self.desktop(shot, y))
        shown = shot.pixel(self.left + x, self.top + y)
        self.assertTrue(near(shown, expected), "%r shown, %r expected" % (shown, expected))
        self.assertFalse(near(shown, color))
        self.stop()


if __name__ == "__main__":
    zandu.main()
