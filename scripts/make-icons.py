#!/usr/bin/env python3
"""Draws Oxel's six window icons and writes them as .ico files.

The mark is a lens: a white ring (the "O") with a pupil on a deep blue tile.
The "_X" icons (key sending to the file manager is off) cross it out in red; the
"_SS" icons (slideshow running) carry a green play triangle. Large groups hold
48, 32 and 16 pixel images, small groups 16 and 20. Pure Python, no libraries.

Usage: make-icons.py OUTPUT_DIR
"""
import math
import os
import struct
import sys

SUPERSAMPLE = 4


def inside_rounded_square(x, y, size, radius):
    cx = min(max(x, radius), size - radius)
    cy = min(max(y, radius), size - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def inside_triangle(x, y, a, b, c):
    def side(p, q, r):
        return (p[0] - r[0]) * (q[1] - r[1]) - (q[0] - r[0]) * (p[1] - r[1])
    d1, d2, d3 = side((x, y), a, b), side((x, y), b, c), side((x, y), c, a)
    neg = d1 < 0 or d2 < 0 or d3 < 0
    pos = d1 > 0 or d2 > 0 or d3 > 0
    return not (neg and pos)


def near_segment(x, y, a, b, width):
    ax, ay = a
    bx, by = b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= (width / 2) ** 2


def shade(u, v, variant):
    """Colour (r, g, b, a) of the point (u, v) in the unit square."""
    color = (0, 0, 0, 0)
    if inside_rounded_square(u, v, 1.0, 0.2):
        color = (22, 58, 120, 255)
        r = math.hypot(u - 0.5, v - 0.5)
        if 0.25 <= r <= 0.38:
            color = (245, 245, 245, 255)
        elif r <= 0.11:
            color = (255, 196, 40, 255)
    if variant == "X":
        if near_segment(u, v, (0.12, 0.12), (0.88, 0.88), 0.16) or \
           near_segment(u, v, (0.88, 0.12), (0.12, 0.88), 0.16):
            color = (220, 30, 30, 255)
    elif variant == "SS":
        if inside_triangle(u, v, (0.48, 0.45), (0.48, 0.98), (0.98, 0.715)):
            color = (20, 150, 40, 255)
        elif inside_triangle(u, v, (0.42, 0.36), (0.42, 1.0), (1.0, 0.68)):
            color = (255, 255, 255, 255)
    return color


def render(size, variant):
    """Rows top to bottom of (b, g, r, a) tuples, antialiased by supersampling."""
    rows = []
    n = SUPERSAMPLE
    for y in range(size):
        row = []
        for x in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(n):
                for sx in range(n):
                    u = (x + (sx + 0.5) / n) / size
                    v = (y + (sy + 0.5) / n) / size
                    r, g, b, a = shade(u, v, variant)
                    acc[0] += b * a
                    acc[1] += g * a
                    acc[2] += r * a
                    acc[3] += a
            alpha = acc[3] / (n * n)
            if acc[3]:
                pixel = tuple(int(round(c / acc[3])) for c in acc[:3]) + (int(round(alpha)),)
            else:
                pixel = (0, 0, 0, 0)
            row.append(pixel)
        rows.append(row)
    return rows


def icon_image(size, variant):
    rows = render(size, variant)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes(c for px in row for c in px) for row in reversed(rows))
    mask_row = ((size + 31) // 32) * 4
    mask = bytes(mask_row * size)
    return header + pixels + mask


def write_icon(path, sizes, variant):
    images = [icon_image(s, variant) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


def main():
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for suffix, variant in (("", ""), ("_X", "X"), ("_SS", "SS")):
        write_icon(os.path.join(out_dir, "OxelICON%s.ico" % suffix), (48, 32, 16), variant)
        write_icon(os.path.join(out_dir, "OxelICON_SM%s.ico" % suffix), (16, 20), variant)


if __name__ == "__main__":
    main()
