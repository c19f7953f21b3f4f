#!/usr/bin/env python3
"""Draws the default skin of Zandu SMS.

Writes skin/colors.ini, the eight dialog bitmaps skin/zandu.bmp, history.bmp,
about.bmp, feedback.bmp, inbox.bmp, pin.bmp, contacts.bmp and conversations.bmp
(32 bits per pixel with alpha, bottom-up rows,
premultiplied colours as AlphaBlend expects, pixels outside the outline
exactly 0 so that the window region leaves them out), the program icon
res/ZanduSMS.ico, and PNG renderings in docs/ for the README.

The bitmaps are sized and laid out from tools/skin/layout.txt, the dialogs'
pixel layout as measured by tools/skin/measure.sh. Python 3 standard library
only:  /usr/bin/python3 tools/skin/make_skin.py
"""
import math
import os
import struct
import zlib

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))

# The dark palette of the default colours, and one accent. The text is
# lighter than the defaults' AAAAAA: 5.1:1 against EditBg, where WCAG asks
# 4.5:1; disabled text 3.3:1 against ButtonBgDisabled.
EDIT_TEXT = 0xBBBBBB
STATIC_TEXT = 0xBBBBBB
TEXT_DISABLED = 0x8A8A8A
BORDER = 0x222222
EDIT_BG = 0x444444
EDIT_BG_DISABLED = 0x3A3A3A
BUTTON_BG = 0x444444
BUTTON_BG_DISABLED = 0x3A3A3A
GROUP_BOX = 0xAAAAAA

OUTLINE = 0x1B1B1B
BODY_TOP = 0x3A3A3A
BODY_BOTTOM = 0x2B2B2B
TITLE_TOP = 0x4A4A4A
TITLE_BOTTOM = 0x3B3B3B
HIGHLIGHT = 0x575757
PANEL_TOP = 0x343434
PANEL_BOTTOM = 0x2F2F2F
PANEL_EDGE = 0x262626
DISPLAY = 0x242424
TITLE_TEXT = 0xD2D2D2
ACCENT_LIGHT = 0x6FA3CF
ACCENT_DARK = 0x3F6F99

TITLE_HEIGHT = 34
CORNER = 12

# A 5 x 7 dot font for the titles.
GLYPHS = {
    "A": ".###.|#...#|#...#|#####|#...#|#...#|#...#",
    "B": "####.|#...#|#...#|####.|#...#|#...#|####.",
    "C": ".###.|#...#|#....|#....|#....|#...#|.###.",
    "D": "####.|#...#|#...#|#...#|#...#|#...#|####.",
    "E": "#####|#....|#....|####.|#....|#....|#####",
    "F": "#####|#....|#....|####.|#....|#....|#....",
    "H": "#...#|#...#|#...#|#####|#...#|#...#|#...#",
    "I": ".###.|..#..|..#..|..#..|..#..|..#..|.###.",
    "K": "#...#|#..#.|#.#..|##...|#.#..|#..#.|#...#",
    "M": "#...#|##.##|#.#.#|#.#.#|#...#|#...#|#...#",
    "P": "####.|#...#|#...#|####.|#....|#....|#....",
    "N": "#...#|##..#|#.#.#|#..##|#...#|#...#|#...#",
    "O": ".###.|#...#|#...#|#...#|#...#|#...#|.###.",
    "R": "####.|#...#|#...#|####.|#.#..|#..#.|#...#",
    "S": ".####|#....|#....|.###.|....#|....#|####.",
    "T": "#####|..#..|..#..|..#..|..#..|..#..|..#..",
    "U": "#...#|#...#|#...#|#...#|#...#|#...#|.###.",
    "V": "#...#|#...#|#...#|#...#|#...#|.#.#.|..#..",
    "X": "#...#|#...#|.#.#.|..#..|.#.#.|#...#|#...#",
    "Y": "#...#|#...#|.#.#.|..#..|..#..|..#..|..#..",
    "Z": "#####|....#|...#.|..#..|.#...|#....|#####",
    " ": ".....|.....|.....|.....|.....|.....|.....",
}


def rgb(color):
    return ((color >> 16) & 0xFF) / 255.0, ((color >> 8) & 0xFF) / 255.0, (color & 0xFF) / 255.0


def mix(c0, c1, t):
    a, b = rgb(c0), rgb(c1)
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def round_rect_sdf(x, y, left, top, right, bottom, radius):
    """Signed distance of point (x, y) to a rounded rectangle (negative inside)."""
    cx, cy = (left + right) / 2.0, (top + bottom) / 2.0
    hx, hy = (right - left) / 2.0 - radius, (bottom - top) / 2.0 - radius
    qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


class Canvas:
    """Premultiplied RGBA floats, painted with anti-aliased shapes."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, box, coverage, color, alpha=1.0):
        """Paints over box (left, top, right, bottom) where coverage(x, y) > 0;
        color is an RGB tuple or a function of (x, y) giving one."""
        left, top, right, bottom = box
        for y in range(max(0, int(top)), min(self.height, int(math.ceil(bottom)))):
            for x in range(max(0, int(left)), min(self.width, int(math.ceil(right)))):
                cov = coverage(x + 0.5, y + 0.5) * alpha
                if cov <= 0.0:
                    continue
                r, g, b = color(x, y) if callable(color) else color
                p = self.px[y * self.width + x]
                keep = 1.0 - cov
                p[0] = r * cov + p[0] * keep
                p[1] = g * cov + p[1] * keep
                p[2] = b * cov + p[2] * keep
                p[3] = cov + p[3] * keep

    def round_rect(self, left, top, right, bottom, radius, color, alpha=1.0):
        def coverage(x, y):
            return min(1.0, max(0.0, 0.5 - round_rect_sdf(x, y, left, top, right, bottom, radius)))
        self.paint((left - 1, top - 1, right + 1, bottom + 1), coverage, color, alpha)

    def rect(self, left, top, right, bottom, color, alpha=1.0):
        self.paint((left, top, right, bottom), lambda x, y: 1.0, color, alpha)

    def clip_to(self, mask):
        """Multiplies every pixel by a coverage mask (a list of floats)."""
        for p, m in zip(self.px, mask):
            for i in range(4):
                p[i] *= m

    def text(self, x, y, label, color, dot=2):
        """Dot-font text with its top left corner at (x, y); returns its width."""
        start = x
        for ch in label:
            rows = GLYPHS[ch].split("|")
            for row, bits in enumerate(rows):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.rect(x + col * dot, y + row * dot, x + (col + 1) * dot, y + (row + 1) * dot, color)
            x += 6 * dot
        return x - start - dot

    def bubble(self, left, top, size, light, dark, dots=0xE6E6E6):
        """A speech bubble with three dots: the program's emblem."""
        height = size * 0.72
        grad = lambda x, y: mix(light, dark, min(1.0, max(0.0, (y - top) / (height + size * 0.2))))
        self.round_rect(left, top, left + size, top + height, size * 0.2, grad)
        tail_x, tail_y = left + size * 0.22, top + height - 1

        def tail(x, y):
            # A triangle below the bubble's lower left, anti-aliased by its edges.
            u = (y - tail_y) / (size * 0.22)
            if u < 0 or u > 1:
                return 0.0
            x0 = tail_x + u * size * 0.02
            x1 = tail_x + size * 0.22 * (1 - u)
            return min(1.0, max(0.0, min(x - x0, x1 - x) + 0.5))
        self.paint((tail_x - 1, tail_y, tail_x + size * 0.25, tail_y + size * 0.24), tail, grad)
        r = size * 0.075
        for i in range(3):
            cx = left + size * (0.28 + 0.22 * i)
            cy = top + height / 2.0
            self.round_rect(cx - r, cy - r, cx + r, cy + r, r, rgb(dots))

    def pixels_bgra(self):
        """0xAARRGGBB values (premultiplied), top row first; transparent is exactly 0."""
        out = []
        for r, g, b, a in self.px:
            alpha = int(round(a * 255))
            if alpha <= 0:
                out.append(0)
                continue
            ch = [min(alpha, int(round(c * 255))) for c in (r, g, b)]
            out.append((alpha << 24) | (ch[0] << 16) | (ch[1] << 8) | ch[2])
        return out


def read_layout():
    """{dialog id: {"size": (w, h), id: (x, y, w, h), ...}} from layout.txt."""
    layouts, current = {}, None
    with open(os.path.join(ROOT, "tools", "skin", "layout.txt"), encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line or line.startswith("#"):
                continue
            if line.startswith("["):
                current = layouts.setdefault(int(line[1:-1]), {"items": []})
                continue
            cols = line.split("\t")
            if cols[0] == "dialog":
                current["size"] = (int(cols[1]), int(cols[2]))
            else:
                item = (int(cols[0]), cols[1], int(cols[2]), int(cols[3]), int(cols[4]), int(cols[5]))
                current["items"].append(item)
                current[item[0]] = item[2:]
    return layouts


def window(width, height, title=None):
    """The common frame: outline, body gradient, title band, bevel."""
    c = Canvas(width, height)
    c.round_rect(0, 0, width, height, CORNER, rgb(OUTLINE))
    body = lambda x, y: mix(BODY_TOP, BODY_BOTTOM, y / float(height))
    c.round_rect(1, 1, width - 1, height - 1, CORNER - 1, body)
    if title is not None:
        band = lambda x, y: mix(TITLE_TOP, TITLE_BOTTOM, (y - 1) / float(TITLE_HEIGHT))
        c.paint((1, 1, width - 1, TITLE_HEIGHT),
                lambda x, y: min(1.0, max(0.0, 0.5 - round_rect_sdf(x, y, 1, 1, width - 1, height - 1, CORNER - 1))),
                band)
        c.rect(1, TITLE_HEIGHT, width - 1, TITLE_HEIGHT + 1, rgb(PANEL_EDGE))
        c.rect(CORNER, TITLE_HEIGHT + 1, width - CORNER, TITLE_HEIGHT + 2, rgb(ACCENT_DARK), 0.55)
        c.bubble(12, 8, 22, ACCENT_LIGHT, ACCENT_DARK)
        c.text(43, 11, title, rgb(0x151515))
        c.text(42, 10, title, rgb(TITLE_TEXT))
    # A one-pixel highlight just inside the top edge.
    c.rect(CORNER, 1, width - CORNER, 2, rgb(HIGHLIGHT))
    return c


def panel(c, left, top, right, bottom, radius=5):
    c.round_rect(left, top, right, bottom, radius, rgb(PANEL_EDGE))
    grad = lambda x, y: mix(PANEL_TOP, PANEL_BOTTOM, (y - top) / float(max(1, bottom - top)))
    c.round_rect(left + 1, top + 1, right - 1, bottom - 1, radius - 1, grad)


def group_panel(c, rect):
    """A recessed fill just inside a group box's frame, which the group box
    draws itself about 6 pixels below its top."""
    x, y, w, h = rect
    grad = lambda px, py: mix(PANEL_TOP, PANEL_BOTTOM, (py - y) / float(max(1, h)))
    c.round_rect(x + 3, y + 10, x + w - 3, y + h - 3, 3, grad)
    c.rect(x + 6, y + 10, x + w - 6, y + 11, rgb(PANEL_EDGE))


def draw_main(layout):
    width, height = layout["size"]
    c = window(width, height, "ZANDU SMS")
    for group in (1017, 1018, 1019, 1016):
        group_panel(c, layout[group])
    # The status line and the note under it read like a small display.
    x, y, w, h = layout[1011]
    bottom = layout[1020][1] + layout[1020][3]
    c.round_rect(x - 5, y - 4, x + w + 4, bottom + 3, 3, rgb(DISPLAY))
    # A separator above the row of buttons at the bottom.
    bottom_row = layout[1021][1]
    c.rect(CORNER, bottom_row - 6, width - CORNER, bottom_row - 5, rgb(PANEL_EDGE))
    c.rect(CORNER, bottom_row - 5, width - CORNER, bottom_row - 4, rgb(HIGHLIGHT), 0.5)
    return c


def box(left, top, last, margin=4):
    """A panel's box: from the left edge of one item and the top of another
    to the bottom right corner of a third, with a margin."""
    x, y, w, h = last
    return left[0] - margin, top[1] - margin, x + w + margin, y + h + margin


def draw_history(layout):
    width, height = layout["size"]
    c = window(width, height, "HISTORY")
    panel(c, *box(layout[1022], layout[1044], layout[1022]))  # the search box above the list
    panel(c, *box(layout[1030], layout[1022], layout[1023]))
    return c


def draw_inbox(layout):
    width, height = layout["size"]
    c = window(width, height, "INBOX")
    lx, ly, lw, lh = layout[1050]
    cx, cy, cw, ch = layout[1057]
    top = layout[1089][1]  # the search box above the list
    panel(c, lx - 4, top - 4, lx + lw + 4, cy + ch + 4)
    tx, ty, tw, th = layout[1055]
    sx, sy, sw, sh = layout[1059]
    rx = layout[1051][0]
    panel(c, rx - 4, ly - 4, tx + tw + 4, sy + sh + 4)
    return c


def draw_contacts(layout):
    width, height = layout["size"]
    c = window(width, height, "CONTACTS")
    sx, sy = layout[1071][:2]
    gx, gy, gw, gh = layout[1084]
    panel(c, layout[1070][0] - 4, sy - 4, gx + gw + 4, gy + gh + 4)
    nx, ny, nw = layout[1074][:3]
    ty, th = layout[1083][1], layout[1083][3]
    panel(c, layout[1073][0] - 4, ny - 4, nx + nw + 4, ty + th + 4)
    return c


def draw_conversations(layout):
    width, height = layout["size"]
    c = window(width, height, "CONVERSATIONS")
    panel(c, *box(layout[1102], layout[1101], layout[1102]))  # the search box above the threads
    panel(c, *box(layout[1104], layout[1103], layout[1107]))  # the thread's name down to the reply box
    return c


def draw_about(layout):
    width, height = layout["size"]
    c = window(width, height)
    vx, vy, vw, vh = layout[1033]
    size = 48
    c.bubble((width - size) / 2.0, vy - size - 6, size, ACCENT_LIGHT, ACCENT_DARK)
    # A fading rule between the version and the credits.
    credits_top = layout[1039][1]  # the credits (IDC_ABOUT_CREDITS)
    rule_y = (vy + vh + credits_top) // 2
    for x in range(40, width - 40):
        fade = 1.0 - abs((x - width / 2.0) / (width / 2.0 - 40))
        c.rect(x, rule_y, x + 1, rule_y + 1, rgb(HIGHLIGHT), fade)
    return c


def draw_feedback(layout):
    width, height = layout["size"]
    c = window(width, height, "FEEDBACK")
    labels = [item for item in layout["items"] if item[0] == -1]
    left = min(item[2] for item in labels) - 5
    right = max(layout[i][0] + layout[i][2] for i in (1035, 1038, 1036, 1022)) + 6
    top = min(item[3] for item in labels) - 7
    bottom = layout[1022][1] + layout[1022][3] + 7
    panel(c, left, top, right, bottom)
    # The emblem, large and faint, beside the form.
    size = min(64, width - right - 20)
    if size > 24:
        c.bubble(right + (width - right - size) / 2.0, top + 20, size, 0x4A5F72, 0x344656, dots=0x6A7F92)
    return c


def draw_icon(size):
    c = Canvas(size, size)
    c.round_rect(0.5, 0.5, size - 0.5, size - 0.5, size * 0.22, rgb(0x3A3A3A))
    c.round_rect(1.5, 1.5, size - 1.5, size - 1.5, size * 0.2,
                 lambda x, y: mix(0x4C4C4C, 0x2E2E2E, y / float(size)))
    inner = size * 0.74
    c.bubble((size - inner) / 2.0, size * 0.2, inner, ACCENT_LIGHT, ACCENT_DARK)
    return c


def write_bmp(path, canvas):
    pixels = canvas.pixels_bgra()
    w, h = canvas.width, canvas.height
    rows = b"".join(struct.pack("<%dI" % w, *pixels[y * w:(y + 1) * w]) for y in range(h - 1, -1, -1))
    header = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 32, 0, len(rows), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(rows), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + rows)


def write_ico(path, canvases):
    images = []
    for c in canvases:
        pixels = c.pixels_bgra()
        w, h = c.width, c.height
        xor = b"".join(struct.pack("<%dI" % w, *pixels[y * w:(y + 1) * w]) for y in range(h - 1, -1, -1))
        mask_stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for y in range(h - 1, -1, -1):
            row = bytearray(mask_stride)
            for x in range(w):
                if pixels[y * w + x] == 0:
                    row[x // 8] |= 0x80 >> (x % 8)
            mask += row
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        images.append((w, h, header + xor + bytes(mask)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for w, h, data in images:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(data for _, _, data in images))


def write_png(path, width, height, pixels):
    """pixels: straight (not premultiplied) RGBA tuples of 0-255, top row first."""
    raw = b"".join(b"\0" + bytes(v for p in pixels[y * width:(y + 1) * width] for v in p) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def preview(path, placed, width, height, outlines=()):
    """Composites bitmaps (premultiplied) over a desktop-like background."""
    bg = [mix(0x5B6E82, 0x27323E, y / float(height)) for y in range(height)]
    out = [tuple(int(round(v * 255)) for v in bg[y]) + (255,) for y in range(height) for _ in range(width)]
    for x0, y0, canvas in placed:
        pixels = canvas.pixels_bgra()
        for y in range(canvas.height):
            for x in range(canvas.width):
                p = pixels[y * canvas.width + x]
                a = (p >> 24) / 255.0
                if a == 0:
                    continue
                i = (y0 + y) * width + x0 + x
                d = out[i]
                out[i] = (int(((p >> 16) & 0xFF) + d[0] * (1 - a)), int(((p >> 8) & 0xFF) + d[1] * (1 - a)),
                          int((p & 0xFF) + d[2] * (1 - a)), 255)
    for x0, y0, w, h in outlines:
        for x in range(x0, x0 + w):
            for y in (y0, y0 + h - 1):
                out[y * width + x] = (0xE0, 0x8A, 0x3C, 255)
        for y in range(y0, y0 + h):
            for x in (x0, x0 + w - 1):
                out[y * width + x] = (0xE0, 0x8A, 0x3C, 255)
    write_png(path, width, height, out)


COLORS_INI = """; The default skin of Zandu SMS. Colours are RRGGBB in hexadecimal.
[Colors]
EditText=%06X
StaticText=%06X
TextDisabled=%06X
Border=%06X
EditBg=%06X
EditBgDisabled=%06X
ButtonBg=%06X
ButtonBgDisabled=%06X
GroupBox=%06X

[Font]
Size=7
Face=Verdana

[Misc]
EnableBorderHover=yes
Alpha=98
""" % (EDIT_TEXT, STATIC_TEXT, TEXT_DISABLED, BORDER, EDIT_BG, EDIT_BG_DISABLED, BUTTON_BG, BUTTON_BG_DISABLED,
       GROUP_BOX)


def draw_pin(layout):
    width, height = layout["size"]
    c = window(width, height, "SIM PIN")
    px, py, pw, ph = layout[1060]
    wx, wy, ww, wh = layout[1062]
    right = max(layout[i][0] + layout[i][2] for i in (1060, 1062, 1063)) + 6
    panel(c, px - 6, py - 7, right, wy + wh + 7)
    # A padlock, large and faint, beside the form.
    size = min(56, width - right - 24)
    if size > 24:
        x0 = right + (width - right - size) // 2
        y0 = py
        body_top = y0 + size * 2 // 5
        c.round_rect(x0, body_top, x0 + size, y0 + size, 5, rgb(ACCENT_DARK))
        c.round_rect(x0 + 2, body_top + 2, x0 + size - 2, y0 + size - 2, 4, rgb(ACCENT_LIGHT), 0.6)
        shackle = size // 5
        for x in range(x0 + shackle, x0 + size - shackle):  # the shackle: two sides and a bar
            side = x < x0 + shackle + 5 or x >= x0 + size - shackle - 5
            c.rect(x, y0, x + 1, body_top if side else y0 + 5, rgb(ACCENT_DARK))
    return c


def main():
    layouts = read_layout()
    skin = os.path.join(ROOT, "skin")
    docs = os.path.join(ROOT, "docs")
    os.makedirs(skin, exist_ok=True)
    os.makedirs(docs, exist_ok=True)
    with open(os.path.join(skin, "colors.ini"), "w", newline="\r\n") as f:
        f.write(COLORS_INI)
    main_dlg = draw_main(layouts[129])
    history = draw_history(layouts[221])
    about = draw_about(layouts[100])
    feedback = draw_feedback(layouts[223])
    inbox = draw_inbox(layouts[224])
    pin = draw_pin(layouts[225])
    contacts = draw_contacts(layouts[226])
    conversations = draw_conversations(layouts[227])
    for name, canvas in (("zandu", main_dlg), ("history", history), ("about", about), ("feedback", feedback),
                         ("inbox", inbox), ("pin", pin), ("contacts", contacts), ("conversations", conversations)):
        write_bmp(os.path.join(skin, name + ".bmp"), canvas)
    write_ico(os.path.join(ROOT, "res", "ZanduSMS.ico"), [draw_icon(48), draw_icon(32), draw_icon(16)])

    # docs/skin.png: the bitmaps; docs/skin-layout.png: where the main dialog's controls sit.
    gap = 24
    column = gap + max(main_dlg.width, feedback.width) + gap
    placed = [(gap, gap, main_dlg), (gap, 2 * gap + main_dlg.height, feedback),
              (gap, 3 * gap + main_dlg.height + feedback.height, pin),
              (column, gap, history), (column, 2 * gap + history.height, about),
              (column, 3 * gap + history.height + about.height, inbox),
              (column, 4 * gap + history.height + about.height + inbox.height, contacts),
              (column, 5 * gap + history.height + about.height + inbox.height + contacts.height, conversations)]
    width = max(x + c.width for x, _, c in placed) + gap
    height = max(y + c.height for _, y, c in placed) + gap
    preview(os.path.join(docs, "skin.png"), placed, width, height)
    outlines = [(gap + x, gap + y, w, h) for _, _, x, y, w, h in layouts[129]["items"]]
    preview(os.path.join(docs, "skin-layout.png"), [(gap, gap, main_dlg)], main_dlg.width + 2 * gap,
            main_dlg.height + 2 * gap, outlines)


if __name__ == "__main__":
    main()
