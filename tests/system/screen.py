"""What the test display shows, and real input through the X server, for the
tests of windows drawn by the skin: screenshots read pixel by pixel, window
rectangles, the mouse and the keyboard, and a compositing manager, without
which the X server draws no window translucent.

Needs a DISPLAY (scripts/lib.sh starts Xvfb), imagemagick's import,
xdotool and xcompmgr (in scripts/lib.sh's package list).

    with Compositor():
        before = Screenshot()
        ...
        left, top, width, height = window_rect(hwnd, 1006)
        move_mouse(left + 5, top + 5)
        wait_for(lambda: Screenshot().pixel(left, top) == rgb("FF0000"))  # zandu's
"""
import struct
import subprocess
import time

from zandu import Stoppable, winprobe


def rgb(text):
    """(r, g, b) of an RRGGBB text as colors.ini writes it."""
    value = int(text, 16)
    return (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF


def near(a, b, tolerance=2):
    """Whether two colours differ by at most tolerance in each channel."""
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def blend(top, alpha, bottom):
    """A colour drawn with opacity alpha (0-255) over another, as the screen shows it."""
    return tuple((t * alpha + b * (255 - alpha)) // 255 for t, b in zip(top, bottom))


def luminance(color):
    """The relative luminance of an (r, g, b) colour, 0 to 1, as WCAG 2 defines it."""
    linear = [v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4 for v in (c / 255 for c in color)]
    return 0.2126 * linear[0] + 0.7152 * linear[1] + 0.0722 * linear[2]


def contrast(a, b):
    """The contrast ratio of two colours, 1 to 21 (WCAG 2; 3 is its least for graphics)."""
    high, low = sorted((luminance(a), luminance(b)), reverse=True)
    return (high + 0.05) / (low + 0.05)


class Screenshot:
    """The whole display at the moment of construction."""

    def __init__(self):
        data = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"],
                              stdin=subprocess.DEVNULL, capture_output=True, check=True, timeout=60).stdout
        # Binary PPM: "P6", width, height, maximum value, each after white space, then RGB bytes.
        fields, pos = [], 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        assert fields[0] == b"P6" and fields[3] == b"255", fields
        self.width, self.height = int(fields[1]), int(fields[2])
        self._pixels = data[pos + 1:]

    def pixel(self, x, y):
        """(r, g, b) at screen coordinates."""
        i = (y * self.width + x) * 3
        return tuple(self._pixels[i:i + 3])

    def pixels(self, left, top, width, height):
        """Every pixel of a rectangle, row by row."""
        return [self.pixel(x, y) for y in range(top, top + height) for x in range(left, left + width)]

    def save(self, path):
        """Writes the picture as a PNG, to look at when a check fails."""
        header = b"P6 %d %d 255\n" % (self.width, self.height)
        subprocess.run(["convert", "ppm:-", path], input=header + self._pixels, check=True, timeout=60)


def window_rect(hwnd, item=None):
    """(left, top, width, height) on the screen of a window or of its dialog item."""
    code, lines = winprobe("rect", hwnd, *([item] if item is not None else []))
    assert code == 0, "no window %s item %s" % (hwnd, item)
    return tuple(int(v) for v in lines[0].split("\t"))


# Real input, as a user gives it -------------------------------------------

def xdotool(*args):
    subprocess.run(["xdotool", *[str(a) for a in args]], stdin=subprocess.DEVNULL, check=True, timeout=30)


def move_mouse(x, y):
    xdotool("mousemove", "--sync", x, y)


def click(x, y):
    move_mouse(x, y)
    xdotool("click", 1)


def press(*keys, pause=0.3):
    """Key presses (X key names: 1, BackSpace, Escape ...), one at a time."""
    for key in keys:
        xdotool("key", key)
        time.sleep(pause)


def type_text(text):
    """Typed as a user types it, a key at a time."""
    xdotool("type", "--delay", 80, text)
    time.sleep(0.3)


def drag(x, y, dx, dy, steps=5):
    """Presses the left button at (x, y), moves by (dx, dy) in steps and releases it."""
    move_mouse(x, y)
    xdotool("mousedown", 1)
    for i in range(1, steps + 1):
        time.sleep(0.1)
        move_mouse(x + dx * i // steps, y + dy * i // steps)
    time.sleep(0.1)
    xdotool("mouseup", 1)


# Translucency --------------------------------------------------------------

class Compositor(Stoppable):
    """xcompmgr on the display for the life of the object: Wine hands a
    window's opacity to the X server as a property that only a compositing
    manager draws. Where no desktop image is set, it paints the desktop
    plain grey once a window is shown (before that the display may still
    show the X server's own black), which makes what shows through a window
    easy to tell."""

    def __init__(self):
        self.proc = subprocess.Popen(["xcompmgr"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.PIPE)
        time.sleep(0.5)
        if self.proc.poll() is not None:
            error = self.proc.stderr.read().decode("utf-8", "replace")
            self.proc.stderr.close()
            self.proc = None
            # A desktop that composites already needs no second one.
            if "composite manager" not in error:
                raise RuntimeError("xcompmgr did not start: %r" % error)

    def stop(self):
        if self.proc is None:
            return
        if self.proc.poll() is None:
            self.proc.terminate()
            self.proc.wait(timeout=10)
        self.proc.stderr.close()
        self.proc = None


# Skin bitmaps --------------------------------------------------------------

def read_bmp(path):
    """(width, height, bits per pixel, compression, pixel rows top row first);
    rows are read for 32-bit files only, as 0xAARRGGBB values."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:2] == b"BM", path
    offset = struct.unpack_from("<I", data, 10)[0]
    _, width, height, _, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    rows = []
    if bits == 32:
        for r in range(abs(height)):
            rows.append(struct.unpack_from("<%dI" % width, data, offset + r * width * 4))
        if height > 0:
            rows.reverse()
    return width, abs(height), bits, compression, rows

