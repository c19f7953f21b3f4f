"""The History window of the program under Wine: the records of "NewHistory"
newest first, the selected one's recipient, time and whole text, the three
ways it closes, values with stray elements or of another type, and how long
it takes to open with ten thousand records (printed), and its list in the
skin's colours on the display."""
import os
import time
import unittest

import zandu
from screen import Screenshot, luminance, rgb, window_rect
from zandu import BUILD, Program, wait_for, window_text, winprobe

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

HISTORY_BUTTON = 57665
LIST, TEXT, OK, RECIPIENT, TIME, SEARCH, AGAIN = 1022, 1023, 1025, 1028, 1029, 1044, 1046
MESSAGE, NUMBER_BOX = 1002, 1014
VK_RETURN, VK_ESCAPE, VK_END, VK_HOME, VK_UP, VK_DOWN = 0x0D, 0x1B, 0x23, 0x24, 0x26, 0x28

# (name, number, time, text) as sent, oldest first.
RECORDS = [
    ("", "0123456789", "01/03/2026 09:15:00", "Typed as a number"),
    ("Anna", "+4917012345", "02/03/2026 10:30:00", "Line one\r\nLine two\r\n\r\nLast"),
    ("Борис", "555", "03/03/2026 11:45:00", "Bare\nline feeds\n"),
]
# What the list and the fields show, newest first: recipient, time, text.
SHOWN = [
    ("Борис (555)", "03/03/2026 11:45:00", "Bare\r\nline feeds\r\n"),
    ("Anna (+4917012345)", "02/03/2026 10:30:00", "Line one\r\nLine two\r\n\r\nLast"),
    ("0123456789", "01/03/2026 09:15:00", "Typed as a number"),
]
# Keys pressed in the list and the row each leaves selected.
KEYS = [(VK_DOWN, 1), (VK_DOWN, 2), (VK_DOWN, 2), (VK_HOME, 0), (VK_END, 2), (VK_UP, 1)]
BIG = 10000


def elements(records):
    return [" " + entry for record in records for entry in record]


def one_line(text):
    """A text as winprobe prints it."""
    return text.replace("\r", "\\r").replace("\n", "\\n").replace("\t", "\\t")


@unittest.skipUnless(BUILD == "windows", "the window runs under Wine")
class HistoryWindow(unittest.TestCase):
    def setUp(self):
        zandu.keep_settings(self)

    def open(self, program):
        """Clicks History... from one winprobe process: (hwnd, milliseconds from
        the click until the window is shown and done with its initialisation)."""
        code, out = winprobe("open", program.hwnd, HISTORY_BUTTON, "History", 20000)
        self.assertEqual(code, 0, "no History window")
        window, ms = out[0].split("\t")
        return window, float(ms)

    def rows(self, window, most, must=True):
        """(count, selected row, [(recipient, time)]) of the list; None when it
        could not be read and need not be (a wait reads again)."""
        code, out = winprobe("rows", window, LIST, most)
        if code != 0 and not must:
            return None
        self.assertEqual(code, 0)
        fields = dict(kv.split("=") for kv in out[0].split())
        return int(fields["count"]), int(fields["sel"]), [tuple(row.split("\t")) for row in out[1:]]

    def fields(self, window):
        return tuple(window_text(window, item) for item in (RECIPIENT, TIME, TEXT))

    def shown_fields(self, window, expected):
        """The fields once they show what is expected (posted input is handled in its own time)."""
        return wait_for(lambda: self.fields(window), 10, until=lambda got: got == expected, fail=False)

    def closed(self, window):
        return wait_for(lambda: winprobe("rect", window)[0] == 1, 10, fail=False)

    def test_records_selection_closing_and_ten_thousand(self):
        # Two stray elements after the last whole record are no record.
        zandu.settings_set_list("NewHistory", elements(RECORDS) + [" stray", " half"])
        shown = [(r, t, one_line(x)) for r, t, x in SHOWN]
        with Program() as program:
            program.wait_status("Ready")
            window, ms_small = self.open(program)
            # The newest is selected as the window opens.
            self.assertEqual(self.rows(window, 10), (3, 0, [s[:2] for s in shown]))
            self.assertEqual(self.shown_fields(window, shown[0]), shown[0])
            for key, row in KEYS:
                with self.subTest(key=key, row=row):
                    self.assertEqual(winprobe("key", window, key)[0], 0)
                    self.assertEqual(self.shown_fields(window, shown[row]), shown[row])
                    self.assertEqual(self.rows(window, 0)[1], row)

            # The search keeps what holds its text in the recipient, name or
            # text, case and accents aside; Send again fills the main window.
            for query, rows in (("ANNA", [1]), ("борис", [0]), ("0123 456", [2]), ("line", [0, 1]), ("", [0, 1, 2]),
                                ("nobody", [])):
                with self.subTest(query=query):
                    self.assertEqual(winprobe("replace", window, SEARCH, query)[0], 0)
                    expected = [shown[r][:2] for r in rows]
                    read = lambda: (self.rows(window, 10, must=False) or (0, 0, None))[2]
                    self.assertEqual(wait_for(read, 10, until=lambda got: got == expected, fail=False), expected)
            winprobe("replace", window, SEARCH, "anna")
            wait_for(lambda: self.fields(window), 10, until=lambda got: got == shown[1])
            self.assertEqual(winprobe("click", window, AGAIN)[0], 0)
            self.assertTrue(self.closed(window))
            self.assertEqual((program.text(NUMBER_BOX), program.text(MESSAGE)), ("+4917012345", shown[1][2]))
            program.replace(MESSAGE, "")  # nothing to ask about when closing
            window = None

            # Esc, Enter and OK close it; the main window goes on.
            for verb, arg in (("key", VK_ESCAPE), ("key", VK_RETURN), ("click", OK)):
                with self.subTest(close=(verb, arg)):
                    window = window or self.open(program)[0]
                    self.assertEqual(winprobe(verb, window, arg)[0], 0)
                    self.assertTrue(self.closed(window))
                    self.assertTrue(program.has_window())
                    window = None

            # The value is read at every opening; one of another type is no history.
            zandu.settings_set_string("NewHistory", "x")
            window, _ = self.open(program)
            self.assertEqual(self.rows(window, 1), (0, -1, []))
            self.assertEqual(self.fields(window), ("", "", ""))
            self.assertEqual(winprobe("key", window, VK_ESCAPE)[0], 0)
            self.assertTrue(self.closed(window))

            big = [("" if i % 2 else "Name %d" % i, "+49%08d" % i,
                    "04/03/2026 %02d:%02d:%02d" % (i // 3600, i // 60 % 60, i % 60),
                    "Message %d\nof the test" % i) for i in range(BIG)]
            zandu.settings_set_list("NewHistory", elements(big))
            window, ms_big = self.open(program)
            newest = ("+49%08d" % (BIG - 1), big[-1][2])
            self.assertEqual(self.rows(window, 1), (BIG, 0, [newest]))
            self.assertEqual(self.fields(window), newest + (one_line("Message %d\r\nof the test" % (BIG - 1)),))
            print("\nHistory window shown and ready %.1f ms after the click with %d records (%.1f ms with %d)"
                  % (ms_big, BIG, ms_small, len(RECORDS)))
            self.assertEqual(winprobe("key", window, VK_ESCAPE)[0], 0)
            self.assertTrue(self.closed(window))
            program.close()
            self.assertEqual(program.exit_code(), 2)

    def test_the_list_is_drawn_in_the_skin_colours(self):
        # The build's default skin; without a compositor the window is opaque.
        with open(os.path.join(ROOT, "skin", "colors.ini"), encoding="ascii") as f:
            colors = dict(line.strip().split("=") for line in f if line[:1].isupper() and "=" in line)
        brightest = max(luminance(rgb(colors[key])) for key in ("EditText", "StaticText", "Border", "EditBg"))
        zandu.settings_set_list("NewHistory", elements(RECORDS))
        with Program() as program:
            program.wait_status("Ready")
            window, _ = self.open(program)
            time.sleep(1)  # its first paint
            left, top, width, height = window_rect(window, LIST)
            shot = Screenshot()
            rows = [shot.pixels(left, y, width, 1) for y in range(top, top + height)]
            # Header, frame and rows: no surface brighter than the skin's colours.
            bright = [(x, y) for y, row in enumerate(rows) for x, pixel in enumerate(row)
                      if luminance(pixel) > brightest + 0.01]
            self.assertEqual(bright[:5], [], "%d pixels brighter than the skin" % len(bright))
            # The selected row: a band in the text colour (light on the dark rows).
            band = [row for row in rows if row.count(rgb(colors["StaticText"])) > width // 2]
            self.assertGreaterEqual(len(band), 8)
            self.assertEqual(winprobe("key", window, VK_ESCAPE)[0], 0)
            self.assertTrue(self.closed(window))
            program.close()


if __name__ == "__main__":
    zandu.main()
