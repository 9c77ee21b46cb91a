#!/usr/bin/env python3
"""Draws the demo tree's icons and writes them as XPM files.

The four message icons (confirm, error, info, warning), the installer and
deinstaller icons, the release-notes (view), set-up and start (go) icons,
the three frames of the working animation (pic1 to pic3) and the splash
image share one palette and one style: a flat shape with a
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
PAPER = ((0xff, 0xff, 0xff), (0xe2, 0xe2, 0xdc), (0x5c, 0x5c, 0x58))
STEEL = ((0xec, 0xee, 0xf2), (0x98, 0xa0, 0xac), (0x34, 0x3a, 0x44))
GLASS = ((0xf4, 0xf8, 0xff), (0xc4, 0xd8, 0xf0), (0x3c, 0x54, 0x78))
SAND = ((0xfc, 0xdc, 0x64), (0xf4, 0xc4, 0x20), (0xb8, 0x84, 0x10))
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


def intersect(*shapes):
    return lambda x, y: max(s(x, y) for s in shapes)


def rotated(shape, cx, cy, degrees):
    """shape turned about cx, cy, counter-clockwise on screen (y down)."""
    c, s = math.cos(math.radians(degrees)), math.sin(math.radians(degrees))
    return lambda x, y: shape(cx + (x - cx) * c - (y - cy) * s, cy + (x - cx) * s + (y - cy) * c)


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


def install_shapes(arrow_out=False):
    """The installer icon as (shape, colours or colour) layers, back to front,
    in a 48 by 48 frame: an open carton with a green arrow going into it, or
    with arrow_out a red one coming out of it (the deinstaller's icon)."""
    inside = polygon([(8, 24), (40, 24), (36, 17), (12, 17)])
    left_flap = polygon([(8, 24), (12, 17), (3, 11), (0.5, 19)])
    right_flap = polygon([(40, 24), (36, 17), (45, 11), (47.5, 19)])
    back_flap = polygon([(12, 17), (36, 17), (38, 10), (10, 10)])
    front = box(7.5, 23.5, 40.5, 44.5, 1.0)
    label = box(14, 29, 34, 38, 1.0)
    if arrow_out:
        # The same outline turned upside down; its tail stays behind the front.
        arrow = polygon([(24, 1), (34, 14), (28.5, 14), (28.5, 27), (19.5, 27), (19.5, 14),
                         (14, 14)], 0.8)
        arrow_colours = RED
    else:
        arrow = polygon([(19.5, 1), (28.5, 1), (28.5, 14), (34, 14), (24, 27), (14, 14),
                         (19.5, 14)], 0.8)
        arrow_colours = GREEN
    return [("emblem", back_flap, BROWN), ("emblem", left_flap, BROWN),
            ("emblem", right_flap, BROWN),
            ("flat", inside, BROWN[2]), ("emblem", arrow, arrow_colours),
            ("emblem", front, BROWN), ("flat", label, (0xf4, 0xe8, 0xd0)),
            ("flat", grown(box(17, 32, 31, 33.4), 0), BROWN[2]),
            ("flat", box(17, 34.6, 26, 36, 0), BROWN[2])]


def draw_layers(canvas, layers, ox=0.0, oy=0.0, scale=1.0):
    """Draws (kind, shape, colours) layers back to front, placed at ox, oy
    and scaled; "emblem" layers take the house style without a shadow of
    their own, "flat" ones a plain colour or gradient."""
    bounds = (ox - 2, oy - 2, ox + 50 * scale, oy + 50 * scale)
    for kind, shape, colours in layers:
        placed = transformed(shape, ox, oy, scale)
        if kind == "emblem":
            canvas.emblem(placed, colours, outline=1.5 * scale, shadow=0, bounds=bounds)
        else:
            canvas.fill(placed, colours, bounds)


def draw_install(canvas, ox=0.0, oy=0.0, scale=1.0):
    draw_layers(canvas, install_shapes(), ox, oy, scale)


def shadowed_layers(canvas, layers):
    """Draws layers over one drop shadow of their joint outline, so parts
    lying on each other cast no shadow on one another."""
    frame = union(*(shape for _kind, shape, _colours in layers))
    canvas.fill(moved(frame, 2, 2), SHADOW)
    draw_layers(canvas, layers)


def install_icon(canvas):
    shadowed_layers(canvas, install_shapes())


def deinstall_icon(canvas):
    shadowed_layers(canvas, install_shapes(arrow_out=True))


def view_icon(canvas):
    """A sheet of release notes with a magnifying glass over its lower right."""
    sheet = polygon([(7, 3), (28, 3), (37, 12), (37, 44), (7, 44)], 0.5)
    fold = polygon([(28, 3), (28, 12), (37, 12)], 0.5)
    lines = [(11.5, 8.5, 23.5, 2.2)] + [(11.5, y, 33, 1.6) for y in (14, 19, 24, 29, 34)] + \
        [(11.5, 39, 22, 1.6)]
    text = union(*(box(x0, y, x1, y + h, h / 2) for x0, y, x1, h in lines))
    lens_x, lens_y, lens_r = 30.5, 30.5, 9.5
    rim = circle(lens_x, lens_y, lens_r)
    glass = circle(lens_x, lens_y, lens_r - 2.6)
    handle = capsule(lens_x + 8.5, lens_y + 8.5, 44.5, 44.5, 2.9)
    magnified = intersect(transformed(moved(text, -lens_x, -lens_y), lens_x, lens_y, 1.4),
                          grown(glass, -0.3))
    canvas.fill(moved(union(sheet, rim, handle), 2, 2), SHADOW)
    canvas.emblem(sheet, PAPER, outline=1.2, shadow=0)
    canvas.fill(text, (0x68, 0x68, 0x64))
    canvas.emblem(fold, PAPER, outline=1.2, shadow=0)
    canvas.emblem(handle, BROWN, outline=1.3, shadow=0)
    canvas.emblem(rim, STEEL, outline=1.3, shadow=0)
    canvas.fill(glass, gradient(GLASS[0], GLASS[1], lens_y - lens_r, lens_y + lens_r))
    canvas.fill(magnified, (0x50, 0x60, 0x78))
    # A light on the glass, up and left, to read as a lens rather than a disc.
    shine = intersect(polyline(arc_points(lens_x, lens_y, lens_r - 4.6, 105, 165, 8), 1.0), glass)
    canvas.fill(shine, WHITE)


def gear(cx, cy, teeth, tip, root, turn=0.0, rounding=0.7):
    """A toothed wheel centred on cx, cy; turn (degrees) rotates it."""
    pitch = 360.0 / teeth
    points = []
    for k in range(teeth):
        a = turn + k * pitch
        for offset, radius in ((-0.32, root), (-0.18, tip), (0.18, tip), (0.32, root)):
            angle = math.radians(a + offset * pitch)
            points.append((cx + radius * math.cos(angle), cy - radius * math.sin(angle)))
    return polygon(points, rounding)


def wrench(length, width, jaw):
    """A spanner lying along the x axis: an open jaw at the origin, facing
    -x, and a ring at x = length."""
    head = circle(0, 0, jaw)
    slot = box(-jaw - 1, -width * 0.5, 0.5, width * 0.5, 0.4)
    handle = capsule(0, 0, length, 0, width / 2)
    ring = subtract(circle(length, 0, width * 1.05), circle(length, 0, width * 0.45))
    return union(subtract(union(head, handle), slot), ring)


def setup_icon(canvas):
    """A gear with a small wrench laid across its lower right."""
    wheel = subtract(gear(19, 19, 8, 17, 13, 11.25), circle(19, 19, 5))
    tool = rotated(moved(wrench(16, 4.6, 6.6), 38, 38), 38, 38, 135)
    canvas.fill(moved(union(wheel, tool), 2, 2), SHADOW)
    canvas.emblem(wheel, BLUE, shadow=0)
    canvas.fill(moved(tool, 1, 1), BLUE[2])
    canvas.emblem(tool, STEEL, outline=1.1, shadow=0)


def go_icon(canvas):
    canvas.emblem(circle(23, 23, 20.5), GREEN)
    # Centred by its centroid, not its bounding box, so the triangle does not
    # look pushed to the right.
    play = polygon([(17.5, 12.5), (34, 23), (17.5, 33.5)], 1.2)
    canvas.fill(moved(play, 1, 1), GREEN[2])
    canvas.fill(play, WHITE)


def hourglass_frame(canvas, top_sand, bottom_sand, falling):
    """One frame of the working animation: an hourglass whose top bulb is
    top_sand full and bottom bulb bottom_sand full (0 to 1), with a thin
    stream between them when falling."""
    cx, neck_y, half = 23, 23, 14.5

    def glass_width(y):
        t = min(1.0, abs(y - neck_y) / half)
        return 1.6 + 9.6 * math.sin(t * math.pi / 2) ** 0.5 * (1 - 0.12 * t ** 8)

    steps = 16
    right = [(cx + glass_width(neck_y - half + 2 * half * i / steps),
              neck_y - half + 2 * half * i / steps) for i in range(steps + 1)]
    left = [(2 * cx - x, y) for x, y in reversed(right)]
    glass = polygon(right + left, 0.6)
    inner = grown(glass, -1.4)
    top_cap = box(8, 3, 38, 9, 1.5)
    bottom_cap = box(8, 37, 38, 43, 1.5)
    posts = union(box(9.5, 7, 12.5, 39, 0.8), box(33.5, 7, 36.5, 39, 0.8))

    def top_surface(level, dip):
        # Sand sinks in a funnel towards the neck as it runs out.
        return lambda x, y: (level + dip * max(0.0, 1 - abs(x - cx) / 7.0)) - y

    def bottom_surface(level, heap):
        # A heap that grows from the bottom.
        return lambda x, y: (level + heap * min(1.0, abs(x - cx) / 8.0)) - y

    piles = []
    if top_sand > 0:
        # Bulbs widen away from the neck, so half the sand stands lower than half way.
        surface = top_surface(neck_y - 1 - (half - 3) * top_sand ** 0.6,
                              1.0 + 2.0 * (1 - top_sand))
        piles.append(intersect(inner, surface, lambda x, y: y - neck_y - 0.5))
    if bottom_sand > 0:
        surface = bottom_surface(neck_y + half - 1 - (half - 4) * bottom_sand ** 0.6,
                                 2.5 + 1.5 * bottom_sand)
        piles.append(intersect(inner, surface))

    canvas.fill(moved(union(glass, top_cap, bottom_cap, posts), 2, 2), SHADOW)
    canvas.emblem(glass, GLASS, outline=1.2, shadow=0)
    if falling:
        canvas.fill(intersect(inner, box(cx - 0.8, neck_y - 2, cx + 0.8, neck_y + half, 0.3)),
                    SAND[1])
    if piles:
        canvas.emblem(union(*piles), SAND, outline=0.8, shadow=0)
    canvas.emblem(posts, BROWN, outline=1.0, shadow=0)
    canvas.emblem(top_cap, BROWN, outline=1.3, shadow=0)
    canvas.emblem(bottom_cap, BROWN, outline=1.3, shadow=0)


def pic1_icon(canvas):
    hourglass_frame(canvas, 1.0, 0.0, True)


def pic2_icon(canvas):
    hourglass_frame(canvas, 0.5, 0.5, True)


def pic3_icon(canvas):
    hourglass_frame(canvas, 0.0, 1.0, False)


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
    ("deinstall", 48, 48, deinstall_icon),
    ("view", 48, 48, view_icon),
    ("setup", 48, 48, setup_icon),
    ("go", 48, 48, go_icon),
    ("pic1", 48, 48, pic1_icon),
    ("pic2", 48, 48, pic2_icon),
    ("pic3", 48, 48, pic3_icon),
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
