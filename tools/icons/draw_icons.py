#!/usr/bin/env python3
"""Draws the toolbar and tab icons of the main window as RGBA PNG files.

Every icon is a stack of filled shapes described by signed distance functions (negative inside). A shape is painted
on a grid of SS x SS samples per pixel, with an optional darker band just inside its edge as outline, and the
samples are averaged down to pixels. Only the standard library is used and the output is byte-for-byte repeatable.

    python3 tools/icons/draw_icons.py                  # writes resources/icon*.png
    python3 tools/icons/draw_icons.py --preview        # also writes build/preview.png, enlarged on two grounds
"""

import argparse
import math
import os
import struct
import sys
import zlib

SS = 8  # samples per pixel along each axis


# ---------------------------------------------------------------------------------------------------------------
# Shapes: a distance function f(x, y) in pixel units and a box (x0, y0, x1, y1) outside which f is positive.


class Shape:
    def __init__(self, f, box):
        self.f = f
        self.box = box


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    # Not an exact distance, but close enough for the thin outlines drawn on the flat ellipses used here.
    k = min(rx, ry)
    return Shape(lambda x, y: (math.hypot((x - cx) / rx, (y - cy) / ry) - 1.0) * k,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def rect(x0, y0, x1, y1, r=0.0):
    cx, cy, hx, hy = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2, (y1 - y0) / 2

    def f(x, y):
        qx = abs(x - cx) - hx + r
        qy = abs(y - cy) - hy + r
        return math.hypot(max(qx, 0.0), max(qy, 0.0)) + min(max(qx, qy), 0.0) - r

    return Shape(f, (x0, y0, x1, y1))


def capsule(ax, ay, bx, by, r):
    ex, ey = bx - ax, by - ay
    ee = ex * ex + ey * ey

    def f(x, y):
        wx, wy = x - ax, y - ay
        t = min(max((wx * ex + wy * ey) / ee, 0.0), 1.0)
        return math.hypot(wx - ex * t, wy - ey * t) - r

    return Shape(f, (min(ax, bx) - r, min(ay, by) - r, max(ax, bx) + r, max(ay, by) + r))


def polygon(points):
    pts = list(points)
    assert len(pts) >= 3

    def f(x, y):
        d = (x - pts[0][0]) ** 2 + (y - pts[0][1]) ** 2
        inside = False
        jx, jy = pts[-1]
        for ix, iy in pts:
            ex, ey = jx - ix, jy - iy
            wx, wy = x - ix, y - iy
            t = min(max((wx * ex + wy * ey) / (ex * ex + ey * ey), 0.0), 1.0)
            bx, by = wx - ex * t, wy - ey * t
            d = min(d, bx * bx + by * by)
            if (iy > y) != (jy > y) and x < ix + (y - iy) * ex / ey:
                inside = not inside
            jx, jy = ix, iy
        return -math.sqrt(d) if inside else math.sqrt(d)

    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(f, (min(xs), min(ys), max(xs), max(ys)))


def half_plane(px, py, nx, ny):
    """Everything on the side of the line through (px, py) that the normal (nx, ny) points away from."""
    k = math.hypot(nx, ny)
    nx, ny = nx / k, ny / k
    return Shape(lambda x, y: (x - px) * nx + (y - py) * ny, None)


def star(cx, cy, outer, inner, points=5, rotation=-90.0, rounding=0.0):
    """A star whose tips are rounded by `rounding` pixels while keeping the given outer radius."""
    o, i = outer - rounding * 1.9, inner - rounding * 0.6
    pts = []
    for k in range(points * 2):
        a = math.radians(rotation + k * 180.0 / points)
        r = o if k % 2 == 0 else i
        pts.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return grow(polygon(pts), rounding)


def _merge_boxes(boxes, pick):
    boxes = [b for b in boxes if b is not None]
    if not boxes:
        return None
    return (pick[0](b[0] for b in boxes), pick[0](b[1] for b in boxes),
            pick[1](b[2] for b in boxes), pick[1](b[3] for b in boxes))


def union(*shapes):
    fs = [s.f for s in shapes]
    return Shape(lambda x, y: min(f(x, y) for f in fs), _merge_boxes([s.box for s in shapes], (min, max)))


def intersect(*shapes):
    fs = [s.f for s in shapes]
    return Shape(lambda x, y: max(f(x, y) for f in fs), _merge_boxes([s.box for s in shapes], (max, min)))


def subtract(a, b):
    fa, fb = a.f, b.f
    return Shape(lambda x, y: max(fa(x, y), -fb(x, y)), a.box)


def grow(s, d):
    """The shape widened by d pixels (narrowed when d is negative)."""
    f = s.f
    b = s.box
    return Shape(lambda x, y: f(x, y) - d, None if b is None else (b[0] - d, b[1] - d, b[2] + d, b[3] + d))


def placed(s, angle, tx, ty):
    """A shape drawn in its own frame, turned by `angle` degrees and moved so its origin lands on (tx, ty)."""
    c, k = math.cos(math.radians(angle)), math.sin(math.radians(angle))
    f = s.f

    def g(x, y):
        dx, dy = x - tx, y - ty
        return f(dx * c + dy * k, -dx * k + dy * c)

    x0, y0, x1, y1 = s.box
    corners = [(tx + px * c - py * k, ty + px * k + py * c) for px in (x0, x1) for py in (y0, y1)]
    return Shape(g, (min(p[0] for p in corners), min(p[1] for p in corners),
                     max(p[0] for p in corners), max(p[1] for p in corners)))


def arc(cx, cy, radius, width, start, end):
    """A band of the given width along a circle from angle `start` to `end` (degrees, clockwise on screen, < 180)."""
    a0, a1 = math.radians(start), math.radians(end)
    ring = Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - width / 2,
                 (cx - radius - width, cy - radius - width, cx + radius + width, cy + radius + width))
    after_start = half_plane(cx, cy, math.sin(a0), -math.cos(a0))
    before_end = half_plane(cx, cy, -math.sin(a1), math.cos(a1))
    return intersect(ring, after_start, before_end)


# ---------------------------------------------------------------------------------------------------------------
# Colours and paints


def rgb(text, alpha=1.0):
    text = text.lstrip("#")
    return (int(text[0:2], 16) / 255.0, int(text[2:4], 16) / 255.0, int(text[4:6], 16) / 255.0, alpha)


def vertical(y0, c0, y1, c1):
    """A linear gradient from colour c0 at y0 to c1 at y1, constant beyond."""
    def paint(x, y):
        t = min(max((y - y0) / (y1 - y0), 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))

    return paint


def linear(x0, y0, c0, x1, y1, c1):
    dx, dy = x1 - x0, y1 - y0
    dd = dx * dx + dy * dy

    def paint(x, y):
        t = min(max(((x - x0) * dx + (y - y0) * dy) / dd, 0.0), 1.0)
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))

    return paint


# One palette for the whole set: each hue has a light and a dark fill and a darker outline.
GOLD = (rgb("FFE680"), rgb("F5B50F"), rgb("A86A00"))
GREEN = (rgb("8EDB6A"), rgb("3A9F2F"), rgb("1F6419"))
BLUE = (rgb("7CC0F7"), rgb("2770CF"), rgb("17448A"))
RED = (rgb("FF8474"), rgb("D8342A"), rgb("861A13"))
PAPER = (rgb("FFFFFF"), rgb("E2E8EF"), rgb("66768A"))
FOLDER = (rgb("FFE89A"), rgb("F6BF45"), rgb("9E6A10"))
METAL = (rgb("E2E7EC"), rgb("8F9BA8"), rgb("414C59"))
SKIN = (rgb("FFDDBC"), rgb("EDB98C"), rgb("95633D"))
INK = rgb("9AA7B7")
WHITE = rgb("FFFFFF")


# ---------------------------------------------------------------------------------------------------------------
# Canvas


class Canvas:
    def __init__(self, size):
        self.size = size
        self.n = size * SS
        self.buf = [0.0] * (self.n * self.n * 4)  # premultiplied RGBA per sample

    def paint(self, shape, fill, outline=None, width=1.0, opacity=1.0):
        """Paints the shape with `fill`; with `outline`, the band `width` pixels inside its edge gets that colour."""
        n = self.n
        box = shape.box if shape.box is not None else (0, 0, self.size, self.size)
        sx0 = max(0, int(math.floor(box[0] * SS)))
        sy0 = max(0, int(math.floor(box[1] * SS)))
        sx1 = min(n, int(math.ceil(box[2] * SS)) + 1)
        sy1 = min(n, int(math.ceil(box[3] * SS)) + 1)
        f = shape.f
        buf = self.buf
        for sy in range(sy0, sy1):
            y = (sy + 0.5) / SS
            row = sy * n
            for sx in range(sx0, sx1):
                x = (sx + 0.5) / SS
                d = f(x, y)
                if d > 0.0:
                    continue
                c = outline if (outline is not None and d > -width) else fill
                if callable(c):
                    c = c(x, y)
                a = c[3] * opacity
                k = (row + sx) * 4
                keep = 1.0 - a
                buf[k] = c[0] * a + buf[k] * keep
                buf[k + 1] = c[1] * a + buf[k + 1] * keep
                buf[k + 2] = c[2] * a + buf[k + 2] * keep
                buf[k + 3] = a + buf[k + 3] * keep

    def paint_hue(self, shape, hue, top, bottom, width=1.0):
        """Paints a shape in one palette hue: light at `top`, dark at `bottom`, outlined."""
        self.paint(shape, vertical(top, hue[0], bottom, hue[1]), hue[2], width)

    def pixels(self):
        """The averaged image as rows of straight (not premultiplied) RGBA bytes."""
        n, size, buf = self.n, self.size, self.buf
        rows = []
        for py in range(size):
            row = bytearray()
            for px in range(size):
                acc = [0.0, 0.0, 0.0, 0.0]
                for sy in range(py * SS, py * SS + SS):
                    base = (sy * n + px * SS) * 4
                    for k in range(base, base + SS * 4, 4):
                        acc[0] += buf[k]
                        acc[1] += buf[k + 1]
                        acc[2] += buf[k + 2]
                        acc[3] += buf[k + 3]
                a = acc[3] / (SS * SS)
                if a <= 0.0:
                    row += b"\0\0\0\0"
                    continue
                color = [min(1.0, acc[i] / acc[3]) for i in range(3)]
                row += bytes(int(v * 255.0 + 0.5) for v in color + [a])
            rows.append(bytes(row))
        return rows


# ---------------------------------------------------------------------------------------------------------------
# The icons


def page_shape(x0, y0, x1, y1, ear):
    """A sheet of paper with its top right corner folded down by `ear` pixels."""
    return polygon([(x0, y0), (x1 - ear, y0), (x1, y0 + ear), (x1, y1), (x0, y1)])


def draw_page(cv, x0, y0, x1, y1, ear, lines):
    cv.paint(page_shape(x0, y0, x1, y1, ear), vertical(y0, PAPER[0], y1, PAPER[1]), PAPER[2])
    fold = polygon([(x1 - ear, y0), (x1, y0 + ear), (x1 - ear, y0 + ear)])
    cv.paint(fold, rgb("C9D2DD"), PAPER[2])
    for lx0, ly, lx1 in lines:
        cv.paint(rect(lx0, ly, lx1, ly + 1), INK)


def icon_star():
    cv = Canvas(32)
    cv.paint_hue(star(16, 17, 15.2, 6.4, rounding=1.2), GOLD, 3, 29)
    return cv


def icon_people():
    cv = Canvas(32)
    front_head = circle(16, 12.5, 5.0)
    front_body = intersect(rect(6.5, 19, 25.5, 33, 7), half_plane(0, 30, 0, 1))
    front = union(front_head, front_body)
    gap = grow(front, 1.3)
    for cx in (7, 25):
        head = circle(cx, 6.8, 3.9)
        body = intersect(rect(cx - 6.5, 12, cx + 6.5, 28, 5.5), half_plane(0, 24, 0, 1))
        cv.paint(subtract(body, gap), vertical(12, GREEN[0], 24, GREEN[1]), GREEN[2])
        cv.paint(subtract(head, gap), vertical(3, SKIN[0], 11, SKIN[1]), SKIN[2])
    cv.paint(front_body, vertical(19, BLUE[0], 30, BLUE[1]), BLUE[2])
    cv.paint(front_head, vertical(7, SKIN[0], 18, SKIN[1]), SKIN[2])
    return cv


def icon_refresh():
    cv = Canvas(24)
    cx = cy = 12.0
    radius, width = 7.3, 3.6
    for turn in (0.0, 180.0):
        start, end = 200.0 + turn, 315.0 + turn
        body = arc(cx, cy, radius, width, start, end + 1.0)
        a = math.radians(end)
        tip_a = math.radians(end + 42.0)
        ux, uy = math.cos(a), math.sin(a)
        head = polygon([(cx + ux * (radius - 4.7), cy + uy * (radius - 4.7)),
                        (cx + ux * (radius + 4.7), cy + uy * (radius + 4.7)),
                        (cx + math.cos(tip_a) * radius, cy + math.sin(tip_a) * radius)])
        cv.paint_hue(union(body, head), GREEN, 3, 21)
    return cv


def icon_info():
    cv = Canvas(24)
    cv.paint_hue(circle(12, 12, 11), BLUE, 2, 22)
    # Three pixels wide, so the letter sits half a pixel right of centre but keeps crisp edges.
    cv.paint(circle(12.5, 6.5, 1.75), WHITE)
    cv.paint(union(rect(11, 10, 14, 18), rect(9, 10, 14, 11.5), rect(9, 16.5, 16, 18)), WHITE)
    return cv


def icon_folder():
    cv = Canvas(16)
    back = union(rect(1, 2, 7, 6, 1), rect(1, 4, 15, 14, 1))
    cv.paint(back, rgb("EDB445"), FOLDER[2])
    front = rect(1, 6, 15, 14, 1)
    cv.paint(front, vertical(6, FOLDER[0], 14, FOLDER[1]), FOLDER[2])
    cv.paint(rect(2, 7, 14, 8), rgb("FFF6D2"), opacity=0.8)
    return cv


def icon_spreadsheet():
    cv = Canvas(24)
    sheet = rect(2, 3, 22, 21, 1.5)
    cv.paint(sheet, vertical(3, PAPER[0], 21, PAPER[1]), GREEN[2])
    header = intersect(grow(sheet, -1), half_plane(0, 8, 0, 1))
    cv.paint(header, vertical(4, GREEN[0], 8, GREEN[1]))
    grid = rgb("6DB75A")
    for y in (8, 12, 16):
        cv.paint(rect(3, y, 21, y + 1), grid)
    for x in (8, 15):
        cv.paint(rect(x, 4, x + 1, 20), grid)
    return cv


def icon_details():
    cv = Canvas(24)
    draw_page(cv, 2, 1, 17, 21, 5, [(5, 6, 11), (5, 9, 14), (5, 12, 9), (5, 15, 8), (5, 18, 8)])
    lens_c = (14.0, 14.0)
    handle = capsule(17.8, 17.8, 21.6, 21.6, 1.9)
    cv.paint(handle, linear(17, 17, rgb("7D8A99"), 22, 22, rgb("5E6B7A")), METAL[2], width=0.8)
    cv.paint(circle(*lens_c, 4.1), rgb("BFE2FF"), opacity=0.55)
    cv.paint(intersect(circle(*lens_c, 3.2), circle(lens_c[0] - 1.9, lens_c[1] - 1.9, 2.6)), WHITE, opacity=0.7)
    ring = subtract(circle(*lens_c, 5.6), circle(*lens_c, 3.9))
    cv.paint(ring, linear(9, 9, METAL[0], 19, 19, METAL[1]), METAL[2], width=0.9)
    return cv


def icon_delete():
    cv = Canvas(24)
    bar_a = capsule(5.5, 5.5, 18.5, 18.5, 2.9)
    bar_b = capsule(18.5, 5.5, 5.5, 18.5, 2.9)
    cv.paint_hue(union(bar_a, bar_b), RED, 3, 21)
    return cv


def plus_shape(cx, cy, arm, half):
    return union(rect(cx - arm, cy - half, cx + arm, cy + half, 0.8),
                 rect(cx - half, cy - arm, cx + half, cy + arm, 0.8))


def icon_favourite_add():
    cv = Canvas(32)
    plus = plus_shape(24, 24, 7, 2.5)
    body = star(14, 15, 13.6, 5.8, rounding=1.1)
    cv.paint_hue(subtract(body, grow(plus, 1.4)), GOLD, 2, 26)
    cv.paint_hue(plus, GREEN, 17, 31)
    return cv


def icon_filter():
    cv = Canvas(32)
    funnel = polygon([(3, 5), (29, 5), (19, 17), (19, 26), (13, 30), (13, 17)])
    cv.paint(funnel, linear(4, 0, BLUE[0], 28, 0, BLUE[1]), BLUE[2])
    cv.paint(ellipse(16, 6.5, 11.8, 2.2), rgb("CFE8FF"), BLUE[2], width=0.8)
    return cv


def icon_restore():
    cv = Canvas(24)
    arrow = polygon([(1, 15), (8, 8.5), (8, 12.5), (15, 12.5), (15, 17.5), (8, 17.5), (8, 21.5)])
    page = page_shape(7, 1, 21, 21, 5)
    gap = grow(arrow, 1.3)
    cv.paint(subtract(page, gap), vertical(1, PAPER[0], 21, PAPER[1]), PAPER[2])
    cv.paint(polygon([(16, 1), (21, 6), (16, 6)]), rgb("C9D2DD"), PAPER[2])
    for x0, y, x1 in [(10, 6, 14), (10, 9, 18), (10, 18, 18)]:
        cv.paint(subtract(rect(x0, y, x1, y + 1), gap), INK)
    cv.paint_hue(arrow, GREEN, 8, 21)
    return cv


def icon_settings():
    cv = Canvas(24)
    # The wrench runs from its jaw at the top right to the bottom left; the screwdriver lies on top of it, tip at
    # the top left and handle at the bottom right.
    wrench = placed(union(
        subtract(circle(0, 0, 5.3), union(rect(-7, -1.8, 0.8, 1.8), circle(0.8, 0, 1.8))),
        capsule(3, 0, 17, 0, 2.3),
    ), 135.0, 18.2, 5.8)
    blade = placed(union(polygon([(0, -1.2), (2, -1.6), (2, 1.6), (0, 1.2)]), rect(1.5, -1.4, 12.5, 1.4)),
                   45.0, 2.8, 2.8)
    handle = placed(union(rect(11.5, -2.4, 14, 2.4, 0.5), rect(13, -3.2, 23, 3.2, 2.4)), 45.0, 2.8, 2.8)
    gap = grow(union(blade, handle), 1.1)
    cv.paint(subtract(wrench, gap), linear(6, 6, METAL[0], 18, 18, METAL[1]), METAL[2])
    cv.paint(blade, linear(3, 3, METAL[0], 14, 14, METAL[1]), METAL[2], width=0.7)
    cv.paint(handle, linear(12, 12, BLUE[0], 21, 21, BLUE[1]), BLUE[2])
    return cv


def icon_statistics():
    cv = Canvas(24)
    # Three bars rising to the right on an axis, the way the statistics window charts a run of good weeks.
    axis = union(rect(2, 2.5, 4, 22, 0.6), rect(2, 20, 22.5, 22, 0.6))
    cv.paint(axis, linear(2, 2, METAL[0], 22, 22, METAL[1]), METAL[2], width=0.7)
    for x0, top, hue in ((5.5, 12.5, BLUE), (11, 8, GREEN), (16.5, 3, GOLD)):
        cv.paint_hue(rect(x0, top, x0 + 5, 20, 0.8), hue, top, 20)
    return cv


# Image number, file stem and drawing; there is no image 2.
ICONS = [
    (0, "star", icon_star),
    (1, "people", icon_people),
    (3, "refresh", icon_refresh),
    (4, "info", icon_info),
    (5, "folder", icon_folder),
    (6, "spreadsheet", icon_spreadsheet),
    (7, "details", icon_details),
    (8, "delete", icon_delete),
    (9, "favourite_add", icon_favourite_add),
    (10, "filter", icon_filter),
    (11, "restore", icon_restore),
    (12, "settings", icon_settings),
    (13, "statistics", icon_statistics),
]


# ---------------------------------------------------------------------------------------------------------------
# PNG output


def png_bytes(rows):
    height, width = len(rows), len(rows[0]) // 4

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in rows)  # filter type 0 on every row
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)  # 8-bit RGBA
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def file_name(number, stem):
    return "icon%02d_%s.png" % (number, stem)


# ---------------------------------------------------------------------------------------------------------------
# Preview sheet: every icon enlarged 4 times (nearest neighbour) on white and on a dark ground, and at its own size.

DIGITS = ["111101101101111", "010110010010111", "111001111100111", "111001111001111", "101101111001001",
          "111100111001111", "111100111101111", "111001001001001", "111101111101111", "111101111001111"]


def preview_rows(images):
    scale, cell, label = 4, 32 * 4 + 16, 14
    grounds = [(255, 255, 255), (45, 48, 54)]
    width = cell * len(images)
    band = label + cell + 80
    height = band * len(grounds)
    canvas = [[list(grounds[0]) for _ in range(width)] for _ in range(height)]

    def fill(x0, y0, w, h, color):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                canvas[y][x] = list(color)

    def blend(x, y, px):
        a = px[3] / 255.0
        dst = canvas[y][x]
        canvas[y][x] = [int(px[i] * a + dst[i] * (1.0 - a) + 0.5) for i in range(3)]

    def text(x, y, number, color):
        for digit in str(number):
            bits = DIGITS[int(digit)]
            for i, bit in enumerate(bits):
                if bit == "1":
                    fill(x + (i % 3) * 2, y + (i // 3) * 2, 2, 2, color)
            x += 8

    top = 0
    for ground in grounds:
        ink = (120, 120, 120) if ground[0] > 128 else (170, 170, 170)
        fill(0, top, width, band, ground)
        for column, (number, rows) in enumerate(images):
            size = len(rows)
            x0 = column * cell + (cell - size * scale) // 2
            y0 = top + label + (cell - size * scale) // 2
            text(column * cell + 4, top + 2, number, ink)
            for y in range(size * scale):
                for x in range(size * scale):
                    blend(x0 + x, y0 + y, rows[y // scale][(x // scale) * 4:(x // scale) * 4 + 4])
            # The same icon at its own size, and beside it twice as large.
            nx = column * cell + 8
            ny = top + label + cell + 4
            for y in range(size):
                for x in range(size):
                    blend(nx + x, ny + y, rows[y][x * 4:x * 4 + 4])
            for y in range(size * 2):
                for x in range(size * 2):
                    blend(nx + 48 + x, ny + y, rows[y // 2][(x // 2) * 4:(x // 2) * 4 + 4])
        top += band
    return [bytes(v for px in line for v in px + [255]) for line in canvas]


def main():
    root = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(root, "resources"), help="folder for the icon files")
    parser.add_argument("--preview", nargs="?", const=os.path.join(root, "build", "preview.png"),
                        help="also write an enlarged preview sheet (default build/preview.png)")
    parser.add_argument("--only", type=int, action="append", help="draw only these image numbers")
    args = parser.parse_args()

    os.makedirs(args.out, exist_ok=True)
    images = []
    for number, stem, draw in ICONS:
        if args.only and number not in args.only:
            continue
        rows = draw().pixels()
        with open(os.path.join(args.out, file_name(number, stem)), "wb") as out:
            out.write(png_bytes(rows))
        images.append((number, rows))
    if args.preview:
        os.makedirs(os.path.dirname(os.path.abspath(args.preview)), exist_ok=True)
        with open(args.preview, "wb") as out:
            out.write(png_bytes(preview_rows(images)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
