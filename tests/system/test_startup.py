"""Start-up and shutdown of ZanduSMS.exe under Wine: the skin failure box,
the exit codes, and the main window that appears only when start-up succeeds."""
import os
import random
import shutil
import struct
import subprocess
import tempfile
import unittest

import zandu
from zandu import BUILD, start_program, top_level_windows, wine_reg, winprobe

PROGRAM = os.environ.get("ZANDU_PROGRAM", "")
SKIN_FILES = ["colors.ini", "zandu.bmp", "history.bmp", "about.bmp", "feedback.bmp"]


def bmp24(width, height):
    """A grey 24-bit bitmap file of that size."""
    stride = (width * 3 + 3) & ~3
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, stride * height, 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 54 + stride * height, 0, 0, 54) + info + b"\x80" * (stride * height)


@unittest.skipUnless(BUILD == "windows", "the window program runs under Wine only")
class StartUp(unittest.TestCase):
    SETTINGS = zandu.SETTINGS_KEY

    @classmethod
    def setUpClass(cls):
        # The program creates its settings key; the prefix gets it back as it was.
        cls.had_settings = subprocess.run(wine_reg("query", cls.SETTINGS), stdin=subprocess.DEVNULL,
                                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode == 0

    @classmethod
    def tearDownClass(cls):
        if not cls.had_settings:
            subprocess.run(wine_reg("delete", cls.SETTINGS, "/f"), stdin=subprocess.DEVNULL,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def setUp(self):
        # A copy of the program's folder under its own name, so that windows
        # are found by the executable's name.
        self.folder = tempfile.mkdtemp(prefix="zandu_startup_", dir=os.path.dirname(PROGRAM))
        self.exe_name = "ZanduStart%d.exe" % os.getpid()
        self.exe = os.path.join(self.folder, self.exe_name)
        shutil.copy(PROGRAM, self.exe)
        os.mkdir(os.path.join(self.folder, "skin"))
        for name in SKIN_FILES:
            shutil.copy(os.path.join(os.path.dirname(PROGRAM), "skin", name), os.path.join(self.folder, "skin"))
        self.proc = None
        zandu.clear_outbox()  # what a killed program of another test left would come back

    def tearDown(self):
        self.tearDownProcess()
        shutil.rmtree(self.folder, ignore_errors=True)

    def tearDownProcess(self):
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()

    def wait_window(self, title, window_class="*", timeout_ms=30000):
        code, lines = winprobe("wait", self.exe_name, title, window_class, timeout_ms)
        self.assertEqual(code, 0, "no window %r appeared" % title)
        return lines[0]

    def main_windows(self):
        return [w for w in top_level_windows(self.exe_name) if w[3] == "Zandu SMS"]

    def test_a_skin_that_cannot_be_loaded_shows_the_error_box_and_exits_with_0(self):
        # Each case spoils one file of the skin (None: removes it); the file is put back after it.
        cases = [
            ("about.bmp missing", "about.bmp", None),
            ("history.bmp missing", "history.bmp", None),
            ("zandu.bmp cut to 200 bytes", "zandu.bmp", lambda data: data[:200]),  # headers without pixels
            ("zandu.bmp of 5000 x 10", "zandu.bmp", lambda data: bmp24(5000, 10)),  # wider than a skin may be
            ("zandu.bmp of random bytes", "zandu.bmp", lambda data: random.Random(3).randbytes(len(data))),
            ("history.bmp without its pixels' end", "history.bmp", lambda data: data[:len(data) // 2]),
        ]
        for case, name, spoil in cases:
            with self.subTest(case=case):
                path = os.path.join(self.folder, "skin", name)
                with open(path, "rb") as f:
                    original = f.read()
                if spoil:
                    with open(path, "wb") as f:
                        f.write(spoil(original))
                else:
                    os.remove(path)
                try:
                    self.proc = start_program(self.exe)
                    box = self.wait_window("Error", "#32770")
                    self.assertEqual(winprobe("text", box)[1], ["Error"])
                    self.assertEqual(winprobe("text", box, 0xFFFF)[1], ["Couldn't load skin!"])
                    self.assertEqual(self.main_windows(), [])
                    self.assertEqual(winprobe("close", box)[0], 0)
                    # Until the process has ended, no main window may appear.
                    seen = zandu.wait_for(self.main_windows, 30, until=lambda found: found or
                                          self.proc.poll() is not None, fail=False)
                    self.assertEqual(seen, [])
                    self.assertEqual(self.proc.wait(timeout=30), 0)
                finally:
                    self.tearDownProcess()
                    with open(path, "wb") as f:
                        f.write(original)

    def test_a_colors_ini_of_random_bytes_gives_the_default_look(self):
        with open(os.path.join(self.folder, "skin", "colors.ini"), "wb") as f:
            f.write(random.Random(4).randbytes(4096))
        self.proc = start_program(self.exe)
        window = self.wait_window("Zandu SMS", "#32770")
        self.assertTrue([w for w in self.main_windows() if w[1]], "the main window is not visible")
        self.assertEqual(winprobe("close", window)[0], 0)
        self.assertEqual(self.proc.wait(timeout=30), 2)

    def test_escape_ends_the_program_with_2(self):
        self.proc = start_program(self.exe)
        window = self.wait_window("Zandu SMS", "#32770")
        self.assertTrue([w for w in self.main_windows() if w[1]], "the main window is not visible")
        # Esc reaches the dialog through the message loop's filter.
        self.assertEqual(winprobe("key", window, 0x1B)[0], 0)
        self.assertEqual(self.proc.wait(timeout=30), 2)

    def test_the_close_button_ends_the_program_with_0(self):
        self.proc = start_program(self.exe)
        window = self.wait_window("Zandu SMS", "#32770")
        self.assertEqual(winprobe("text", window, 1027)[1], ["Close"])  # drawn "X", named for screen readers
        self.assertEqual(winprobe("click", window, 1027)[0], 0)
        self.assertEqual(self.proc.wait(timeout=30), 0)

    def test_a_close_request_from_the_system_ends_the_program_with_2(self):
        self.proc = start_program(self.exe)
        window = self.wait_window("Zandu SMS", "#32770")
        self.assertEqual(winprobe("close", window)[0], 0)
        self.assertEqual(self.proc.wait(timeout=30), 2)


if __name__ == "__main__":
    zandu.main()
