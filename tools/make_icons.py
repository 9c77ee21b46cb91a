#!/usr/bin/env python3
"""Draws the demo tree's icons and writes them as XPM files.

The four message icons (confirm, error, info, warning), the installer icon
and the splash image share one palette and one style: a flat shape with a
light-to-base gradient, an outline in the darker shade of its colour and a
grey drop shadow. Shapes are signed distance functions sampled 4x4 per
pixel; pixels less than half covered become transparent, so outer edges
stay crisp on any background while inner edges are smoothed. Lettering
uses a small built-in 5x7 font, smoothed when scaled up.

Usage: make_icons.py [--out DIR] [--preview DIR]
  --out      where the .xpm files go (default: demo/icons beside this tool)
  --preview  also write PNG previews (4x for icons, over a grey background)
Only the Python standard library is used; the build does not run this.
"""

import argparse
import math
import os
import struct
import zlib

# ---- Palette -----------------------------------------------------------------

WHITE = (255, 255, 255)
INK = (0x20, 0x20, 0x20)
SHADOW = (0x6e, 0x6e, 0x6e)
RED = ((0xf0, 0x6a, 0x5a), (0xc8, 0x20, 0x20), (0x6c, 0x0c, 0x0c))
BLUE = ((0x6c, 0x9c, 0xec), (0x20, 0x56, 0xc0), (0x0c, 0x26, 0x66))
GREEN = ((0x7c, 0xd0, 0x7c), (0x24, 0x8c, 0x3c), (0x0c, 0x48, 0x18))
YELLOW = ((0xff, 0xec, 0x88), (0xf4, 0xc4, 0x20), (0x84, 0x5c, 0x00))
BROWN = ((0xec, 0xc4, 0x84), (0xc0, 0x88, 0x48), (0x5c, 0x38, 0x14))
NIGHT = ((0x4c, 0x7c, 0xc0), (0x18, 0x2c, 0x58), (0x0a, 0x14, 0x2c))
PREVIEW_BACKGROUND = (0xd9, 0xd9, 0xd9)  # the toolkit's default background

SAMPLES = 4  # per pixel and axis


# ---- Shapes: signed distance, negative inside ----------------------------------

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def box(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def sdf(x, y):
        dx, dy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(dx, 0.0), max(dy, 0.0))
        return outside + min(max(dx, dy), 0.0) - r
    return sdf


def segment_distance(x, y, ax, ay, bx, by):
    vx, vy = bx - ax, by - ay
    length2 = vx * vx + vy * vy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((x - ax) * vx + (y - ay) * vy) / length2))
    return math.hypot(x - ax - t * vx, y - ay - t * vy)


def capsule(ax, ay, bx, by, r):
    return lambda x, y: segment_distance(x, y, ax, ay, bx, by) - r


def polygon(points, r=0.0):
    """Exact distance to a simple polygon, made round by r."""
    edges = list(zip(points, points[1:] + points[:1]))

    def sdf(x, y):
        distance = min(segment_distance(x, y, ax, ay, bx, by) for (ax, ay), (bx, by) in edges)
        inside = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y) and x < ax + (y - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return (-distance if inside else distance) - r
    return sdf


def polyline(points, r):
    pieces = [capsule(ax, ay, bx, by, r) for (ax, ay), (bx, by) in zip(points, points[1:])]
    return union(*pieces)


def arc_points(cx, cy, radius, start, end, steps=24):
    """Points of an arc, angles in degrees counter-clockwise, y down."""
    return [(cx + radius * math.cos(math.radians(start + (end - start) * i / steps)),
             cy - radius * math.sin(math.radians(start + (end - start) * i / steps)))
            for i in range(steps + 1)]


def union(*shapes):
    return lambda x, y: min(s(x, y) for s in shapes)


def subtract(shape, cut):
    return lambda x, y: max(shape(x, y), -cut(x, y))


def moved(shape, dx, dy):
    return lambda x, y: shape(x - dx, y - dy)


def grown(shape, d):
    return lambda x, y: shape(x, y) - d


def transformed(shape, ox, oy, scale):
    """shape drawn at scale with its origin at ox, oy (distances scale too)."""
    return lambda x, y: shape((x - ox) / scale, (y - oy) / scale) * scale


def gradient(top_colour, bottom_colour, y0, y1):
    def colour(_x, y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top_colour, bottom_colour))
    return colour


# ---- Canvas ------------------------------------------------------------------------

class Canvas:
    """Premultiplied RGBA floats, composited shape by shape."""

    def __init__(self, width, height):
        self.width, self.height = width, height
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    def paint(self, x, y, colour, coverage):
        if coverage <= 0:
            return
        p = self.pixels[y * self.width + x]
        keep = 1.0 - coverage
        for c in range(3):
            p[c] = colour[c] * coverage + p[c] * keep
        p[3] = coverage + p[3] * keep

    def fill(self, shape, colour, bounds=None):
        """Fills shape with colour (a tuple or a function of x, y)."""
        x0, y0, x1, y1 = bounds or (0, 0, self.width, self.height)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(self.width, int(math.ceil(x1))), min(self.height, int(math.ceil(y1)))
        colour_at = colour if callable(colour) else (lambda _x, _y: colour)
        step = 1.0 / SAMPLES
        for y in range(y0, y1):
            for x in range(x0, x1):
                centre = shape(x + 0.5, y + 0.5)
                if centre > 0.75:
                    continue
                if centre < -0.75:
                    coverage = 1.0
                else:
                    hits = sum(1 for i in range(SAMPLES) for j in range(SAMPLES)
                               if shape(x + (i + 0.5) * step, y + (j + 0.5) * step) <= 0)
                    coverage = hits / (SAMPLES * SAMPLES)
                self.paint(x, y, colour_at(x + 0.5, y + 0.5), coverage)

    def emblem(self, shape, colours, outline=1.5, shadow=2.0, bounds=None):
        """The house style: shadow, dark outline, gradient fill."""
        light, base, dark = colours
        top, bottom = self.vertical_extent(shape, bounds)
        if shadow:
            self.fill(moved(shape, shadow, shadow), SHADOW, bounds)
        self.fill(shape, dark, bounds)
        self.fill(grown(shape, -outline), gradient(light, base, top, bottom), bounds)

    def vertical_extent(self, shape, bounds):
        x0, y0, x1, y1 = bounds or (0, 0, self.width, self.height)
        rows = [y for y in range(int(y0), int(y1))
                if any(shape(x + 0.5, y + 0.5) <= 0 for x in range(int(x0), int(x1)))]
        return (rows[0], rows[-1] + 1) if rows else (y0, y1)

    def rgba(self):
        """8-bit RGBA, each pixel opaque or transparent."""
        out = []
        for r, g, b, a in self.pixels:
            if a < 0.5:
                out.append((0, 0, 0, 0))
            else:
                out.append((round(r / a), round(g / a), round(b / a), 255))
        return out


# ---- Lettering: a 5x7 font (rows below the seventh are descenders) ------------------------

FONT = {
    ' ': ["...", "...", "...", "...", "...", "...", "..."],
    '.': ["..", "..", "..", "..", "..", "##", "##"],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    '1': ["..#..", ".##..", "..#..", "..#..", "..#..", "..#..", ".###."],
    '8': [".###.", "#...#", "#...#", ".###.", "#...#", "#...#", ".###."],
    'I': ["###", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'N': ["#...#", "#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#"],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'U': ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'X': ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    'a': [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    'e': [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    'f': ["..##", ".#..", ".#..", "###.", ".#..", ".#..", ".#.."],
    'i': [".#.", "...", "##.", ".#.", ".#.", ".#.", "###"],
    'k': ["#...", "#...", "#..#", "#.#.", "##..", "#.#.", "#..#"],
    'l': ["##.", ".#.", ".#.", ".#.", ".#.", ".#.", "###"],
    'n': [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    'o': [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    'p': [".....", ".....", "####.", "#...#", "#...#", "#...#", "####.", "#....", "#...."],
    'r': [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    's': [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    't': [".#..", ".#..", "###.", ".#..", ".#..", ".#.#", "..#."],
    'u': [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
    'w': [".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."],
    'y': [".....", ".....", "#...#", "#...#", "#...#", "#...#", ".####", "....#", ".###."],
    'm': [".....", ".....", "##.#.", "#.#.#", "#.#.#", "#...#", "#...#"],
}


def text_width(text, scale):
    return (sum(len(FONT[c][0]) + 1 for c in text) - 1) * scale


def glyph_dots(text):
    """The font's dots of text, one (column, row) per mark."""
    dots = set()
    column = 0
    for c in text:
        glyph = FONT[c]
        for row, line in enumerate(glyph):
            for col, mark in enumerate(line):
                if mark == '#':
                    dots.add((column + col, row))
        column += len(glyph[0]) + 1
    return dots


def lettering(text, x, y, scale, weight=0.58):
    """The shape of text with its top left corner at x, y. Neighbouring dots
    of the font are joined by round strokes (diagonal ones only where no
    square corner joins them already), so scaled letters come out as clean
    rounded strokes rather than staircases."""
    dots = glyph_dots(text)
    strokes = {}
    for (u, v) in dots:
        ends = [(u, v)]
        ends += [(u + du, v + dv) for du, dv in ((1, 0), (0, 1)) if (u + du, v + dv) in dots]
        for du in (1, -1):
            corner_free = (u + du, v) not in dots and (u, v + 1) not in dots
            if (u + du, v + 1) in dots and corner_free:
                ends.append((u + du, v + 1))
        strokes[(u, v)] = ends

    def sdf(px, py):
        u, v = (px - x) / scale - 0.5, (py - y) / scale - 0.5
        near = float("inf")
        for cu in range(math.floor(u) - 1, math.floor(u) + 3):
            for cv in range(math.floor(v) - 1, math.floor(v) + 3):
                for eu, ev in strokes.get((cu, cv), ()):
                    near = min(near, segment_distance(u, v, cu, cv, eu, ev))
        return (min(near, 3.0) - weight / 1.0) * scale if near < float("inf") else 3.0 * scale
    return sdf


def write_text(canvas, text, x, y, scale, colour, shadow=None):
    bounds = (x - scale, y - scale, x + text_width(text, scale) + 2 * scale, y + 10 * scale)
    if shadow:
        offset = max(1, scale // 2)
        canvas.fill(lettering(text, x + offset, y + offset, scale), shadow, bounds)
    canvas.fill(lettering(text, x, y, scale), colour, bounds)


# ---- The icons (48 by 48) ---------------------------------------------------------------

def confirm_icon(canvas):
    bubble = union(circle(23, 21, 18.5), polygon([(10, 30), (21, 37), (5, 45)]))
    canvas.emblem(bubble, GREEN)
    hook = polyline(arc_points(23, 16, 6.5, 165, -55) + [(25.2, 23.5), (23, 26.5), (23, 28)], 2.4)
    dot = circle(23, 33.5, 2.7)
    canvas.fill(moved(union(hook, dot), 1, 1), GREEN[2])
    canvas.fill(union(hook, dot), WHITE)


def error_icon(canvas):
    corners = [(23 + 21 * math.cos(math.radians(22.5 + 45 * k)),
                23 + 21 * math.sin(math.radians(22.5 + 45 * k))) for k in range(8)]
    canvas.emblem(polygon(corners, 0.5), RED)
    cross = union(capsule(15, 15, 31, 31, 3.2), capsule(31, 15, 15, 31, 3.2))
    canvas.fill(moved(cross, 1, 1), RED[2])
    canvas.fill(cross, WHITE)


def info_icon(canvas):
    canvas.emblem(circle(23, 23, 20.5), BLUE)
    letter = union(circle(23.5, 12.5, 3.2),
                   box(20.5, 18.5, 26.5, 34.5, 0.5),
                   box(17.5, 18.5, 26.5, 21.5, 0.5),
                   box(17, 31.5, 30, 35, 0.5))
    canvas.fill(moved(letter, 1, 1), BLUE[2])
    canvas.fill(letter, WHITE)


def warning_icon(canvas):
    canvas.emblem(polygon([(23, 6), (42.5, 40), (3.5, 40)], 3.5), YELLOW)
    mark = union(polygon([(19.8, 15), (26.2, 15), (24.4, 29.5), (21.6, 29.5)], 0.6),
                 circle(23, 34.5, 2.6))
    canvas.fill(mark, INK)


def install_shapes():
    """The installer icon as (shape, colours or colour) layers, back to front,
    in a 48 by 48 frame: an open carton with a green arrow going into it."""
    inside = polygon([(8, 24), (40, 24), (36, 17), (12, 17)])
    left_flap = polygon([(8, 24), (12, 17), (3, 11), (0.5, 19)])
    right_flap = polygon([(40, 24), (36, 17), (45, 11), (47.5, 19)])
    back_flap = polygon([(12, 17), (36, 17), (38, 10), (10, 10)])
    front = box(7.5, 23.5, 40.5, 44.5, 1.0)
    label = box(14, 29, 34, 38, 1.0)
    arrow = polygon([(19.5, 1), (28.5, 1), (28.5, 14), (34, 14), (24, 27), (14, 14), (19.5, 14)], 0.8)
    return [("emblem", back_flap, BROWN), ("emblem", left_flap, BROWN),
            ("emblem", right_flap, BROWN),
            ("flat", inside, BROWN[2]), ("emblem", arrow, GREEN),
            ("emblem", front, BROWN), ("flat", label, (0xf4, 0xe8, 0xd0)),
            ("flat", grown(box(17, 32, 31, 33.4), 0), BROWN[2]),
            ("flat", box(17, 34.6, 26, 36, 0), BROWN[2])]


def draw_install(canvas, ox=0.0, oy=0.0, scale=1.0):
    bounds = (ox - 2, oy - 2, ox + 50 * scale, oy + 50 * scale)
    for kind, shape, colours in install_shapes():
        placed = transformed(shape, ox, oy, scale)
        if kind == "emblem":
            canvas.emblem(placed, colours, outline=1.5 * scale, shadow=0, bounds=bounds)
        else:
            canvas.fill(placed, colours, bounds)


def install_icon(canvas):
    frame = union(*(shape for _kind, shape, _colours in install_shapes()))
    canvas.fill(moved(frame, 2, 2), SHADOW)
    draw_install(canvas)


def splash_image(canvas):
    w, h = canvas.width, canvas.height
    canvas.fill(box(0, 0, w, h), gradient(NIGHT[0], NIGHT[1], 0, h))
    # A Motif bevel: light above and left, dark below and right.
    canvas.fill(polygon([(0, 0), (w, 0), (w - 3, 3), (3, 3), (3, h - 3), (0, h)]), (0x9c, 0xbc, 0xe8))
    canvas.fill(polygon([(w, h), (0, h), (3, h - 3), (w - 3, h - 3), (w - 3, 3), (w, 0)]), NIGHT[2])
    # The installer icon, twice its size, with its shadow.
    frame = union(*(shape for _kind, shape, _colours in install_shapes()))
    canvas.fill(transformed(moved(frame, 1.5, 1.5), 30, 58, 2.0), NIGHT[2], (28, 56, 134, 162))
    draw_install(canvas, 30, 58, 2.0)

    title_x = 150
    write_text(canvas, "kitsetup", title_x, 62, 5, WHITE, NIGHT[2])
    canvas.fill(box(title_x, 114, title_x + text_width("kitsetup", 5), 116), (0x9c, 0xbc, 0xe8))
    write_text(canvas, "Release 1.0.8", title_x, 126, 2, (0xdc, 0xe8, 0xf8), NIGHT[2])
    write_text(canvas, "Software Installation", title_x, 146, 2, (0xdc, 0xe8, 0xf8), NIGHT[2])
    footer = "for UNIX Systems"
    write_text(canvas, footer, (w - text_width(footer, 2)) // 2, 212, 2, (0x9c, 0xbc, 0xe8),
               NIGHT[2])


IMAGES = [
    ("confirm", 48, 48, confirm_icon),
    ("error", 48, 48, error_icon),
    ("info", 48, 48, info_icon),
    ("warning", 48, 48, warning_icon),
    ("install", 48, 48, install_icon),
    ("splash", 400, 250, splash_image),
]


# ---- Output ---------------------------------------------------------------------------------

# Characters that may name a colour in the XPM text (no quote or backslash);
# the first, a space, is kept for the transparent colour.
CODE_CHARACTERS = [chr(c) for c in range(32, 127) if chr(c) not in '"\\']


def xpm_text(name, width, height, pixels):
    colours = sorted({p for p in pixels if p[3] == 255})
    has_transparent = any(p[3] == 0 for p in pixels)
    count = len(colours) + has_transparent
    cpp = 1 if count <= len(CODE_CHARACTERS) else 2
    codes = []
    for i in range(count):
        if cpp == 1:
            codes.append(CODE_CHARACTERS[i])
        else:
            codes.append(CODE_CHARACTERS[i // len(CODE_CHARACTERS)] +
                         CODE_CHARACTERS[i % len(CODE_CHARACTERS)])
    code_of = {(0, 0, 0, 0): codes[0]} if has_transparent else {}
    code_of.update(zip(colours, codes[has_transparent:]))
    lines = ["/* XPM */", "static char *%s[] = {" % name,
             "/* width height ncolors chars_per_pixel */",
             '"%d %d %d %d",' % (width, height, count, cpp)]
    if has_transparent:
        lines.append('"%s c None",' % codes[0])
    for colour in colours:
        lines.append('"%s c #%02X%02X%02X",' % ((code_of[colour],) + colour[:3]))
    rows = []
    for y in range(height):
        row = pixels[y * width:(y + 1) * width]
        rows.append('"' + "".join(code_of[p if p[3] == 255 else (0, 0, 0, 0)] for p in row) + '"')
    lines.append(",\n".join(rows) + "};")
    return "\n".join(lines) + "\n"


def png_bytes(width, height, pixels, zoom, background):
    rows = []
    for y in range(height):
        row = bytearray()
        for x in range(width):
            r, g, b, a = pixels[y * width + x]
            colour = (r, g, b) if a else background
            row.extend(bytes(colour) * zoom)
        rows.extend([b"\x00" + bytes(row)] * zoom)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xffffffff)

    header = struct.pack(">IIBBBBB", width * zoom, height * zoom, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Draw the demo icons as XPM files.")
    parser.add_argument("--out", default=os.path.join(here, "..", "demo", "icons"))
    parser.add_argument("--preview", help="directory for PNG previews")
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    for name, width, height, draw in IMAGES:
        canvas = Canvas(width, height)
        draw(canvas)
        pixels = canvas.rgba()
        with open(os.path.join(args.out, name + ".xpm"), "w") as out:
            out.write(xpm_text(name, width, height, pixels))
        if args.preview:
            os.makedirs(args.preview, exist_ok=True)
            zoom = 4 if width <= 64 else 2
            with open(os.path.join(args.preview, name + ".png"), "wb") as out:
                out.write(png_bytes(width, height, pixels, zoom, PREVIEW_BACKGROUND))


if __name__ == "__main__":
    main()
