"""Drawing on 16-colour pictures and writing them as BMP and PNG files.

A Canvas holds one palette index (0..15) per pixel, rows from the top. The palette is the standard
16-colour VGA palette, so every picture the program loads shares the same colours. Only the Python
standard library is used, so the pictures can be regenerated on any machine with Python 3.
"""

import math
import struct
import zlib

# The standard 16-colour palette, in its usual order, as (red, green, blue).
PALETTE = [
    (0, 0, 0),  # 0 black
    (128, 0, 0),  # 1 maroon
    (0, 128, 0),  # 2 green
    (128, 128, 0),  # 3 olive
    (0, 0, 128),  # 4 navy
    (128, 0, 128),  # 5 purple
    (0, 128, 128),  # 6 teal
    (192, 192, 192),  # 7 silver
    (128, 128, 128),  # 8 grey
    (255, 0, 0),  # 9 red
    (0, 255, 0),  # 10 lime
    (255, 255, 0),  # 11 yellow
    (0, 0, 255),  # 12 blue
    (255, 0, 255),  # 13 fuchsia
    (0, 255, 255),  # 14 aqua
    (255, 255, 255),  # 15 white
]

BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

# 4 x 4 ordered-dither thresholds (0..15); a fraction f of a second colour shows where
# BAYER4[y % 4][x % 4] < f * 16.
BAYER4 = [
    [0, 8, 2, 10],
    [12, 4, 14, 6],
    [3, 11, 1, 9],
    [15, 7, 13, 5],
]


class Canvas:
    def __init__(self, width, height, fill=BLACK):
        self.width = width
        self.height = height
        self.px = bytearray([fill]) * (width * height)

    def get(self, x, y):
        return self.px[y * self.width + x]

    def set(self, x, y, c):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y * self.width + x] = c

    def inside(self, x, y):
        return 0 <= x < self.width and 0 <= y < self.height

    def rect(self, x0, y0, x1, y1, c):
        """Fills columns x0..x1 and rows y0..y1, both inclusive."""
        for y in range(max(0, y0), min(self.height - 1, y1) + 1):
            row = y * self.width
            for x in range(max(0, x0), min(self.width - 1, x1) + 1):
                self.px[row + x] = c

    def hline(self, x0, x1, y, c):
        self.rect(min(x0, x1), y, max(x0, x1), y, c)

    def vline(self, x, y0, y1, c):
        self.rect(x, min(y0, y1), x, max(y0, y1), c)

    def line(self, x0, y0, x1, y1, c):
        """Bresenham line with both end points drawn."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        while True:
            self.set(x0, y0, c)
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def thick_line(self, x0, y0, x1, y1, c, width):
        """A line drawn with a square brush of width x width pixels."""
        lo = -(width // 2)
        hi = lo + width - 1
        steps = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(steps + 1):
            x = round(x0 + (x1 - x0) * i / steps)
            y = round(y0 + (y1 - y0) * i / steps)
            self.rect(x + lo, y + lo, x + hi, y + hi, c)

    def polygon(self, points, c):
        """Fills a simple polygon given by its corner points (pixel centres), even-odd rule."""
        ys = [p[1] for p in points]
        for y in range(max(0, int(math.floor(min(ys)))), min(self.height - 1, int(math.ceil(max(ys)))) + 1):
            yc = y + 0.5
            xs = []
            n = len(points)
            for i in range(n):
                ax, ay = points[i]
                bx, by = points[(i + 1) % n]
                if (ay <= yc < by) or (by <= yc < ay):
                    xs.append(ax + (yc - ay) * (bx - ax) / (by - ay))
            xs.sort()
            for i in range(0, len(xs) - 1, 2):
                x0 = int(math.ceil(xs[i] - 0.5))
                x1 = int(math.floor(xs[i + 1] - 0.5))
                if x1 >= x0:
                    self.hline(x0, x1, y, c)

    def ellipse(self, cx, cy, rx, ry, c):
        """Fills the ellipse of centre (cx, cy) and radii rx, ry (floats allowed)."""
        for y in range(int(math.floor(cy - ry)), int(math.ceil(cy + ry)) + 1):
            t = (y - cy) / ry if ry else 0.0
            if abs(t) > 1.0:
                continue
            half = rx * math.sqrt(1.0 - t * t)
            x0 = int(math.ceil(cx - half))
            x1 = int(math.floor(cx + half))
            if x1 >= x0:
                self.hline(x0, x1, y, c)

    def dither(self, x, y, base, other, fraction):
        """Sets base or other at (x, y) so that about fraction of an area shows other."""
        self.set(x, y, other if BAYER4[y & 3][x & 3] < fraction * 16.0 else base)

    def blit(self, other, x0, y0, transparent=None):
        for y in range(other.height):
            for x in range(other.width):
                c = other.get(x, y)
                if c != transparent:
                    self.set(x0 + x, y0 + y, c)

    def rgb_rows(self, scale=1):
        rows = []
        for y in range(self.height):
            row = bytearray()
            for x in range(self.width):
                row += bytes(PALETTE[self.get(x, y)]) * scale
            for _ in range(scale):
                rows.append(bytes(row))
        return rows


def canvas_from_art(rows, legend):
    """A canvas from rows of characters; legend maps each character to a palette index."""
    c = Canvas(len(rows[0]), len(rows))
    for y, row in enumerate(rows):
        if len(row) != c.width:
            raise ValueError("art row %d has %d characters, expected %d" % (y, len(row), c.width))
        for x, ch in enumerate(row):
            c.set(x, y, legend[ch])
    return c


def bmp4_bytes(canvas):
    """An uncompressed 4-bit BMP: BITMAPFILEHEADER, BITMAPINFOHEADER, 16 palette entries, and
    the rows from the bottom up, each padded to a multiple of 4 bytes."""
    stride = ((canvas.width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray(stride)
        for x in range(canvas.width):
            c = canvas.get(x, y)
            if x % 2 == 0:
                row[x // 2] = c << 4
            else:
                row[x // 2] |= c
        pixels += row
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 4, 0, len(pixels), 3780, 3780, 16, 16)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def png_bytes(rows):
    """A PNG of 8-bit RGB rows (each a bytes object of width * 3)."""
    width = len(rows[0]) // 3
    raw = b"".join(b"\x00" + r for r in rows)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def write_file(path, data):
    with open(path, "wb") as f:
        f.write(data)
