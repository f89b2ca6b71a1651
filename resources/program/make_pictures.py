#!/usr/bin/env python3
"""Builds the program's pictures from the sources beside this file.

    python3 make_pictures.py            write the pictures next to this file
    python3 make_pictures.py --check    rebuild in memory, fail if a file differs
    python3 make_pictures.py --preview DIR
                                        also write enlarged PNG views into DIR
    python3 make_pictures.py --sheet FILE
                                        also write one PNG showing every picture

The icon, the cursor and the two arrows come from the text grids in src/ (one
character a pixel, with a colour table at the top of each grid); the icon's and
the cursor's larger and in-between sizes, for screens at 125 % to 200 %, are
made from those grids without new colours (see icon_pictures() and
cursor_pictures()). The banner is
drawn by the steps in draw_banner() below; only its lettering is rendered by
ImageMagick's `convert`, from the Liberation fonts. The output depends on
nothing else, so running this twice gives the same bytes.
"""

import math
import os
import struct
import subprocess
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
import pixel_scale  # noqa: E402  (resources/pixel_scale.py, shared with the emoticon strips)

SRC = os.path.join(HERE, "src")
FONTS = "/usr/share/fonts/truetype/liberation"

# The product's accent colour: COLORREF 0x3264FF, i.e. red 255, green 100, blue 50.
ACCENT = (255, 100, 50)

# A picture is (width, height, rows); a row is a list of (r, g, b, a) tuples, a = 0..255.


# ----------------------------------------------------------------------------- grids


class Grid:
    """A pixel grid read from src/: colour table, optional hot spot, pixels."""

    def __init__(self, name):
        self.name = name
        self.base = name[:-4]
        self.hotspot = None
        colours = {}
        rows = []
        in_grid = False
        with open(os.path.join(SRC, name), encoding="ascii") as f:
            for line in f.read().splitlines():
                if in_grid:
                    if line.strip():
                        rows.append(line.rstrip())
                    continue
                if line.startswith("#") or not line.strip():
                    continue
                if line.startswith("----"):
                    in_grid = True
                    continue
                key, value = (part.strip() for part in line.split("=", 1))
                if key == "hotspot":
                    x, y = (int(v) for v in value.split(","))
                    self.hotspot = (x, y)
                elif len(key) == 1:
                    colours[key] = None if value == "none" else _hex(value)
                else:
                    raise ValueError(f"{name}: unknown header line {line!r}")
        self.width = len(rows[0])
        self.height = len(rows)
        for y, row in enumerate(rows):
            if len(row) != self.width:
                raise ValueError(f"{name}: row {y} is {len(row)} wide, not {self.width}")
            for x, ch in enumerate(row):
                if ch not in colours:
                    raise ValueError(f"{name}: row {y} column {x}: no colour for {ch!r}")
        if self.hotspot and not (0 <= self.hotspot[0] < self.width and
                                 0 <= self.hotspot[1] < self.height):
            raise ValueError(f"{name}: hot spot outside the picture")
        self.pixels = [[(0, 0, 0, 0) if colours[ch] is None else colours[ch] + (255,)
                        for ch in row] for row in rows]


class Picture:
    """A picture made from grids: the same fields as a Grid."""

    def __init__(self, base, pixels, hotspot=None):
        self.name = self.base = base
        self.pixels = pixels
        self.width, self.height = len(pixels[0]), len(pixels)
        self.hotspot = hotspot


def _hex(text):
    text = text.lstrip("#")
    return (int(text[0:2], 16), int(text[2:4], 16), int(text[4:6], 16))


def mirrored(grid):
    """The grid flipped left to right (the left arrow from the right one)."""
    return [list(reversed(row)) for row in grid.pixels]


def _drop_repeats_1d(lines, n):
    """lines shortened to n by dropping repeated lines: every run of equal lines is shortened
    in proportion to its length (to 1 at least); a line unlike both neighbours always stays."""
    runs = []
    for line in lines:
        if runs and runs[-1][0] == line:
            runs[-1][1] += 1
        else:
            runs.append([line, 1])
    long_runs = [r for r in runs if r[1] > 1]
    room = n - (len(runs) - len(long_runs))
    if room < len(long_runs):
        raise ValueError(f"too few repeated lines to shrink {len(lines)} to {n}")
    total = sum(r[1] for r in long_runs)
    share = [r[1] * room / total for r in long_runs]
    counts = [max(1, int(v)) for v in share]
    # what is left over goes by the largest remainder, the earlier run first on a tie
    while sum(counts) < room:
        j = max(range(len(counts)), key=lambda j: (share[j] - counts[j], -j))
        counts[j] += 1
    while sum(counts) > room:
        j = max((j for j in range(len(counts)) if counts[j] > 1),
                key=lambda j: (counts[j] - share[j], -j))
        counts[j] -= 1
    for run, count in zip(long_runs, counts):
        run[1] = count
    return [line for line, count in runs for _ in range(count)]


def drop_repeats(pixels, n):
    """The picture shrunk to n x n by dropping repeated rows, then repeated columns. For a
    drawing of straight bars and boxes this keeps every outline 1 pixel wide and every corner
    exact, where sampling would drop some outlines and double others."""
    rows = _drop_repeats_1d([tuple(r) for r in pixels], n)
    cols = _drop_repeats_1d(list(zip(*rows)), n)
    return [list(r) for r in zip(*cols)]


def icon_pictures(g48, g32, g16):
    """The icon at the sizes Windows asks for from 100 % to 200 % (16, 20, 24, 32, 40, 48, 64),
    largest first. 48, 32 and 16 are drawn; 40 and 24 are the 48 and 32 grids with repeated rows
    and columns dropped, 20 is the 24 sampled (the 32 grid has too few repeats to reach 20),
    and 64 is the 48 grid doubled by Scale2x and sampled to 64, which rounds its corners
    and keeps its lines 1 to 2 pixels wide."""
    i24 = drop_repeats(g32.pixels, 24)
    return [Picture("icon64", pixel_scale.sample(pixel_scale.scale2x(g48.pixels), 64)), g48,
            Picture("icon40", drop_repeats(g48.pixels, 40)), g32, Picture("icon24", i24),
            Picture("icon20", pixel_scale.sample(i24, 20)), g16]


def cursor_pictures(h32, h16):
    """The hand at 64, 48, 32 and 16 pixels. 64 is the 32 grid doubled by Scale2x; 48 is the
    32 grid tripled by Scale3x and sampled to 48 (every second pixel), which keeps the curve of
    the hand smoother than sampling the grid itself. The hot spot is scaled with the picture
    and must stay on the drawn fingertip."""
    hands = []
    for n, scale in ((64, pixel_scale.scale2x), (48, pixel_scale.scale3x)):
        pixels = pixel_scale.sample(scale(h32.pixels), n)
        hot = (h32.hotspot[0] * n // h32.width, h32.hotspot[1] * n // h32.height)
        if pixels[hot[1]][hot[0]][3] < 128:
            raise ValueError(f"hand{n}: the hot spot {hot} is not on the hand")
        hands.append(Picture(f"hand{n}", pixels, hot))
    return hands + [h32, h16]


# ----------------------------------------------------------------------------- file formats


def _row_pad(n):
    return (-n) % 4


def _and_mask(pixels, w, h):
    """1 bit a pixel, set where the picture is transparent; rows bottom-up, 4-byte aligned."""
    out = bytearray()
    for y in reversed(range(h)):
        bits = bytearray((w + 7) // 8)
        for x in range(w):
            if pixels[y][x][3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits + bytes(_row_pad(len(bits)))
    return bytes(out)


def _icon_image_32bpp(pixels, w, h):
    """A DIB for an icon: header, 32-bit BGRA colour rows, then the AND mask."""
    xor = bytearray()
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b, a = pixels[y][x]
            if a < 128:
                xor += bytes((0, 0, 0, 0))
            else:
                xor += bytes((b, g, r, 255))
    mask = _and_mask(pixels, w, h)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + bytes(xor) + mask


def _icon_image_4bpp(pixels, w, h):
    """The same icon in 16 colours for displays without true colour; the grids use fewer
    than 16 colours, so this is exact: a palette of the picture's own colours."""
    palette = sorted({p[:3] for row in pixels for p in row if p[3] >= 128})
    palette = [(0, 0, 0)] + [c for c in palette if c != (0, 0, 0)]
    if len(palette) > 16:
        raise ValueError("an icon grid may use at most 16 colours")
    index = {c: i for i, c in enumerate(palette)}
    xor = bytearray()
    for y in reversed(range(h)):
        row = bytearray((w + 1) // 2)
        for x in range(w):
            p = pixels[y][x]
            i = index[p[:3]] if p[3] >= 128 else 0
            row[x // 2] |= i << (4 if x % 2 == 0 else 0)
        xor += row + bytes(_row_pad(len(row)))
    mask = _and_mask(pixels, w, h)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette + [(0, 0, 0)] * (16 - len(palette)))
    return header + table + bytes(xor) + mask


def _cursor_image_1bpp(pixels, w, h):
    """A monochrome DIB for a cursor: black, white or transparent pixels only."""
    xor = bytearray()
    for y in reversed(range(h)):
        bits = bytearray((w + 7) // 8)
        for x in range(w):
            r, g, b, a = pixels[y][x]
            if a >= 128 and (r, g, b) not in ((0, 0, 0), (255, 255, 255)):
                raise ValueError("a monochrome cursor has black and white pixels only")
            if a >= 128 and r == 255:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bits + bytes(_row_pad(len(bits)))
    mask = _and_mask(pixels, w, h)
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 1, 0, len(xor) + len(mask),
                         0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    return header + palette + bytes(xor) + mask


def ico_file(images):
    """images: list of (pixels, w, h), largest first; each goes in true colour and in 16."""
    entries = [(w, h, 0, 32, _icon_image_32bpp(p, w, h)) for p, w, h in images]
    entries += [(w, h, 16, 4, _icon_image_4bpp(p, w, h)) for p, w, h in images]
    out = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, colours, bits, blob in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, 1, bits, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blob for *_, blob in entries)


def cur_file(images):
    """images: list of (pixels, w, h, (hot x, hot y)), largest first."""
    blobs = [_cursor_image_1bpp(p, w, h) for p, w, h, _ in images]
    out = struct.pack("<HHH", 0, 2, len(images))
    offset = 6 + 16 * len(images)
    for (p, w, h, (hx, hy)), blob in zip(images, blobs):
        out += struct.pack("<BBBBHHII", w % 256, h % 256, 2, 0, hx, hy, len(blob), offset)
        offset += len(blob)
    return out + b"".join(blobs)


def bmp_file(pixels, w, h):
    """A 24-bit uncompressed bitmap; alpha is ignored (the pictures are opaque)."""
    rows = bytearray()
    for y in reversed(range(h)):
        for x in range(w):
            r, g, b = pixels[y][x][:3]
            rows += bytes((b, g, r))
        rows += bytes(_row_pad(3 * w))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(rows), 0, 0, 14 + len(info))
    return head + info + bytes(rows)


def png_file(pixels, w, h):
    """An RGBA PNG, for the preview sheets only."""
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        for x in range(w):
            raw += bytes(pixels[y][x])

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


# ----------------------------------------------------------------------------- banner canvas


class Canvas:
    """An opaque RGB picture of floats, with the few drawing operations the banner needs."""

    def __init__(self, w, h, colour):
        self.w, self.h = w, h
        self.px = [[list(map(float, colour)) for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.w and 0 <= y < self.h and alpha > 0:
            p = self.px[y][x]
            a = min(alpha, 1.0)
            for i in range(3):
                p[i] += (colour[i] - p[i]) * a

    def fill(self, inside, box, colour, alpha=1.0, samples=4):
        """Paints the region inside(x, y) (pixel centres at +0.5) within box, antialiased."""
        x0, y0, x1, y1 = (int(math.floor(v)) for v in box)
        step = 1.0 / samples
        for y in range(max(y0, 0), min(y1 + 1, self.h)):
            for x in range(max(x0, 0), min(x1 + 1, self.w)):
                hits = 0
                for sy in range(samples):
                    for sx in range(samples):
                        if inside(x + (sx + 0.5) * step, y + (sy + 0.5) * step):
                            hits += 1
                if hits:
                    self.blend(x, y, colour, alpha * hits / (samples * samples))

    def vertical_gradient(self, box, top, bottom, alpha=1.0):
        x0, y0, x1, y1 = box
        for y in range(y0, y1):
            t = (y - y0) / max(y1 - y0 - 1, 1)
            c = tuple(top[i] + (bottom[i] - top[i]) * t for i in range(3))
            for x in range(x0, x1):
                self.blend(x, y, c, alpha)

    def paint_mask(self, mask, left, top, colour, alpha=1.0):
        """mask: (w, h, rows of 0..1 coverage); colour: a tuple or a function of the mask row."""
        mw, mh, rows = mask
        for y in range(mh):
            c = colour(y) if callable(colour) else colour
            for x in range(mw):
                if rows[y][x] > 0:
                    self.blend(left + x, top + y, c, alpha * rows[y][x])

    def pixels(self):
        return [[tuple(int(round(min(max(v, 0.0), 255.0))) for v in p) + (255,) for p in row]
                for row in self.px]


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r

    return inside


def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def text_mask(text, font, size, trim=True):
    """Renders text with ImageMagick; returns (w, h, rows of coverage 0..1).

    Trimmed to the ink unless trim is False: then the box is the font's full line height,
    so texts of one font and size share their baseline."""
    data = subprocess.run(
        ["convert", "-density", "72", "-background", "black", "-fill", "white",
         "-font", os.path.join(FONTS, font), "-pointsize", str(size), "label:" + text]
        + (["-trim", "+repage"] if trim else []) + ["-depth", "8", "pgm:-"],
        check=True, capture_output=True).stdout
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    pos += 1
    if fields[0] != b"P5" or fields[3] != b"255":
        raise ValueError("convert gave an unexpected picture format")
    w, h = int(fields[1]), int(fields[2])
    body = data[pos:pos + w * h]
    return w, h, [[body[y * w + x] / 255.0 for x in range(w)] for y in range(h)]


def grown(mask, radius):
    """The mask widened by radius pixels (round), for outlines and halos."""
    w, h, rows = mask
    W, H = w + 2 * radius, h + 2 * radius
    out = [[0.0] * W for _ in range(H)]
    offsets = [(dx, dy) for dy in range(-radius, radius + 1) for dx in range(-radius, radius + 1)
               if dx * dx + dy * dy <= radius * radius + radius]
    for y in range(h):
        for x in range(w):
            v = rows[y][x]
            if v <= 0:
                continue
            for dx, dy in offsets:
                o = out[y + radius + dy]
                if o[x + radius + dx] < v:
                    o[x + radius + dx] = v
    return W, H, out


def blurred(mask, radius):
    """A box blur run twice (close to a Gaussian); the mask grows by 2 * radius."""
    w, h, rows = mask
    pad = 2 * radius
    W, H = w + 2 * pad, h + 2 * pad
    cur = [[0.0] * W for _ in range(H)]
    for y in range(h):
        cur[y + pad][pad:pad + w] = rows[y]
    n = 2 * radius + 1
    for _ in range(2):
        horiz = [[sum(r[max(0, x - radius):x + radius + 1]) / n for x in range(W)] for r in cur]
        cur = [[sum(horiz[yy][x] for yy in range(max(0, y - radius), min(H, y + radius + 1))) / n
                for x in range(W)] for y in range(H)]
    return W, H, cur


# ----------------------------------------------------------------------------- the banner

NAVY = (27, 37, 80)
BLUE = (58, 91, 184)
LINK = (22, 70, 190)


def buddy(canvas, cx, top, scale, colour, edge):
    """One buddy figure: a round head over rounded shoulders, with a thin light edge."""
    head_r = 7.5 * scale
    head_cy = top + head_r
    body_top = head_cy + head_r + 1.5 * scale
    body_rx, body_ry = 15 * scale, 14 * scale
    body_bottom = body_top + 17 * scale
    box = (cx - body_rx - 3, top - 3, cx + body_rx + 3, body_bottom + 3)

    def shapes(grow):
        head = ellipse(cx, head_cy, head_r + grow, head_r + grow)
        shoulders = ellipse(cx, body_top + body_ry, body_rx + grow, body_ry + grow)
        return head, lambda x, y: y <= body_bottom + grow and shoulders(x, y)

    # the edge is the same figure a little larger, painted first
    for shape in shapes(1.6):
        canvas.fill(shape, box, edge)
    for shape in shapes(0.0):
        canvas.fill(shape, box, colour)
    # a soft highlight on the head gives the figure some volume
    canvas.fill(ellipse(cx - 2.2 * scale, head_cy - 2.4 * scale, 2.6 * scale, 2.0 * scale),
                box, (255, 255, 255), 0.35)


def draw_banner():
    w, h = 325, 140
    c = Canvas(w, h, (236, 241, 249))

    # 1. A pale desktop: a soft blue gradient with two wide, faint hills.
    c.vertical_gradient((0, 0, w, h), (233, 239, 249), (206, 219, 240))
    c.fill(ellipse(70, 190, 210, 90), (0, 90, w, h), (255, 255, 255), 0.30)
    c.fill(ellipse(300, 200, 170, 95), (0, 90, w, h), (190, 206, 234), 0.45)

    # 2. Two faded windows on it, one behind the other.
    for (x0, y0, x1, y1), alpha in (((196, 34, 306, 104), 0.40), ((222, 58, 318, 128), 0.55)):
        c.fill(rounded_rect(x0 + 2, y0 + 3, x1 + 2, y1 + 3, 3), (x0, y0, x1 + 4, y1 + 5),
               (150, 165, 200), 0.25 * alpha)
        c.fill(rounded_rect(x0, y0, x1, y1, 3), (x0, y0, x1, y1), (255, 255, 255), alpha)
        c.fill(rounded_rect(x0, y0, x1, y0 + 10, 3), (x0, y0, x1, y0 + 10), BLUE, 0.45 * alpha)
        for i, length in enumerate((0.7, 0.85, 0.5, 0.75)):
            ly = y0 + 18 + 9 * i
            if ly + 3 < y1:
                c.fill(rounded_rect(x0 + 8, ly, x0 + 8 + (x1 - x0 - 16) * length, ly + 3, 1.5),
                       (x0, ly, x1, ly + 3), (170, 182, 210), alpha)

    # 3. The bar across the top of that screen, with a line scrolling through it.
    bar_h = 15
    # its shadow on the desktop first, then the bar itself with a one-pixel frame
    for i, a in enumerate((0.28, 0.16, 0.07)):
        for x in range(w):
            c.blend(x, bar_h + i, (90, 105, 150), a)
    c.vertical_gradient((0, 0, w, bar_h), (255, 255, 255), (238, 242, 250))
    x = 6
    for text, colour, bold in (("Sam says:", NAVY, True), ("lunch at one?", (60, 110, 60), False),
                               ("Robin has just signed in", ACCENT, False),
                               ("Jo says:", NAVY, True), ("on my way", (120, 40, 140), False)):
        m = text_mask(text, "LiberationSans-Bold.ttf" if bold else "LiberationSans-Regular.ttf", 9,
                      trim=False)
        c.paint_mask(m, x, (bar_h - m[1]) // 2, colour, 0.85)
        x += m[0] + (4 if bold else 14)
    # the menu button at the bar's right end, in front of the scrolling line
    frame = (150, 162, 196)
    c.fill(rounded_rect(w - 17, 1, w - 1, bar_h - 1, 0), (w - 17, 1, w - 1, bar_h - 1),
           (244, 246, 251))
    c.fill(rounded_rect(w - 14, 3, w - 3, bar_h - 3, 1.5), (w - 15, 2, w - 2, bar_h - 2), frame)
    c.fill(rounded_rect(w - 13, 4, w - 4, bar_h - 4, 1), (w - 14, 3, w - 3, bar_h - 3),
           (250, 251, 254))
    c.fill(lambda x, y: y >= 6.5 and abs(x - (w - 8.5)) <= (9.5 - y) * 0.9 + 0.1,
           (w - 12, 6, w - 5, 10), NAVY, 0.8)
    for x in range(w):
        c.blend(x, 0, frame, 1.0)
        c.blend(x, bar_h - 1, frame, 1.0)
    for y in range(bar_h):
        c.blend(0, y, frame, 1.0)
        c.blend(w - 1, y, frame, 1.0)

    # 4. The product name, large: a soft shadow, a white halo, a dark edge, a warm fill.
    name = text_mask("Glidebanner", "LiberationSans-Bold.ttf", 50)
    nx, ny = (w - name[0]) // 2, 27
    shadow = blurred(grown(name, 1), 2)
    c.paint_mask(shadow, nx - 5 + 2, ny - 5 + 3, (60, 70, 110), 0.35)
    halo = grown(name, 3)
    c.paint_mask(halo, nx - 3, ny - 3, (255, 255, 255), 0.9)
    edge = grown(name, 1)
    c.paint_mask(edge, nx - 1, ny - 1, (150, 45, 15))
    top_c, bottom_c = (255, 150, 95), (226, 72, 28)

    def warm(y):
        t = y / max(name[1] - 1, 1)
        if t < 0.5:
            s = t / 0.5
            return tuple(top_c[i] + (ACCENT[i] - top_c[i]) * s for i in range(3))
        s = (t - 0.5) / 0.5
        return tuple(ACCENT[i] + (bottom_c[i] - ACCENT[i]) * s for i in range(3))

    c.paint_mask(name, nx, ny, warm)

    # 5. The emblem: two buddies side by side, the second one in front.
    buddy(c, 36, 80, 1.15, BLUE, (255, 255, 255))
    buddy(c, 56, 86, 1.15, ACCENT, (255, 255, 255))

    # 6. The by-line and the home-page address, written as a link.
    by = text_mask("by the Glidebanner developers", "LiberationSans-Italic.ttf", 14)
    c.paint_mask(grown(by, 2), 86 - 2, 88 - 2, (255, 255, 255), 0.6)
    c.paint_mask(by, 86, 88, NAVY)
    url = text_mask("https://glidebanner.github.io/", "LiberationSans-Regular.ttf", 13)
    ux, uy = 86, 112
    c.paint_mask(grown(url, 2), ux - 2, uy - 2, (255, 255, 255), 0.6)
    c.paint_mask(url, ux, uy, LINK)
    for x in range(ux, ux + url[0]):
        c.blend(x, uy + url[1] + 2, LINK, 1.0)
    return w, h, c.pixels()


# ----------------------------------------------------------------------------- main


def build():
    """Every output file's name and bytes."""
    icons = icon_pictures(*(Grid(n) for n in ("icon48.txt", "icon32.txt", "icon16.txt")))
    hands = cursor_pictures(Grid("hand32.txt"), Grid("hand16.txt"))
    arrow = Grid("next.txt")
    bw, bh, banner = draw_banner()
    return {
        "glidebanner.ico": ico_file([(g.pixels, g.width, g.height) for g in icons]),
        "hand.cur": cur_file([(g.pixels, g.width, g.height, g.hotspot) for g in hands]),
        "next.bmp": bmp_file(arrow.pixels, arrow.width, arrow.height),
        "prev.bmp": bmp_file(mirrored(arrow), arrow.width, arrow.height),
        "banner.bmp": bmp_file(banner, bw, bh),
    }, {"icons": icons, "hands": hands, "arrow": arrow, "banner": (bw, bh, banner)}


def enlarged(pixels, w, h, k, backdrop=None):
    """pixels scaled up k times; transparent pixels show backdrop(x, y) (a checkerboard by default)."""
    def under(x, y):
        if backdrop:
            return backdrop
        return (204, 204, 204) if ((x // 4) + (y // 4)) % 2 else (255, 255, 255)

    out = []
    for y in range(h * k):
        row = []
        for x in range(w * k):
            p = pixels[y // k][x // k]
            row.append(p if p[3] >= 128 else under(x, y) + (255,))
        out.append(row)
    return out


def write_previews(directory, parts):
    os.makedirs(directory, exist_ok=True)

    def save(name, pixels, w, h):
        with open(os.path.join(directory, name), "wb") as f:
            f.write(png_file(pixels, w, h))

    for g in parts["icons"] + parts["hands"] + [parts["arrow"]]:
        base = g.base
        save(base + "-x8.png", enlarged(g.pixels, g.width, g.height, 8), 8 * g.width,
             8 * g.height)
        for label, colour in (("grey", (192, 192, 192)), ("dark", (32, 38, 48))):
            save(f"{base}-{label}.png", enlarged(g.pixels, g.width, g.height, 1, colour),
                 g.width, g.height)
    bw, bh, banner = parts["banner"]
    save("banner.png", banner, bw, bh)
    save("banner-x3.png", enlarged(banner, bw, bh, 3), 3 * bw, 3 * bh)


def write_sheet(path, parts):
    """One overview picture: the drawn grids enlarged 4 times, the sizes made from them twice,
    everything at real size on two taskbar shades, the banner."""
    W, H = 680, 960
    sheet = [[(236, 236, 236, 255)] * W for _ in range(H)]

    def put(pixels, left, top):
        for y, row in enumerate(pixels):
            for x, p in enumerate(row):
                if p[3] >= 128:
                    sheet[top + y][left + x] = p

    def band(top, height, colour):
        for y in range(top, top + height):
            sheet[y] = [colour + (255,)] * W

    icons, hands, arrow = parts["icons"], parts["hands"], parts["arrow"]
    x = 10
    for g in icons + hands:
        if isinstance(g, Grid):
            put(enlarged(g.pixels, g.width, g.height, 4), x, 10)
            x += 4 * g.width + 12
    x = 10
    for g in icons + hands:
        if not isinstance(g, Grid):
            put(enlarged(g.pixels, g.width, g.height, 2), x, 214)
            x += 2 * g.width + 12
    for top, shade in ((354, (192, 192, 192)), (430, (32, 38, 48))):
        band(top, 76, shade)
        x = 12
        for g in icons + hands:
            put(g.pixels, x, top + 38 - g.height // 2)
            x += g.width + 14
        for pixels in (mirrored(arrow), arrow.pixels):
            put(pixels, x, top + 22)
            x += arrow.width + 8
    bw, bh, banner = parts["banner"]
    put(banner, 10, 518)
    put(enlarged(mirrored(arrow), 32, 32, 2), 360, 518)
    put(enlarged(arrow.pixels, 32, 32, 2), 434, 518)
    put(enlarged(banner, bw, bh, 2), 10, 670)
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(png_file(sheet, W, H))


def main(argv):
    files, parts = build()
    if "--check" in argv:
        stale = []
        for name, data in files.items():
            path = os.path.join(HERE, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(name)
        if stale:
            print("out of date: " + ", ".join(stale))
            return 1
        print("all pictures match their sources")
        return 0
    for name, data in files.items():
        with open(os.path.join(HERE, name), "wb") as f:
            f.write(data)
    if "--preview" in argv:
        write_previews(argv[argv.index("--preview") + 1], parts)
    if "--sheet" in argv:
        write_sheet(argv[argv.index("--sheet") + 1], parts)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
