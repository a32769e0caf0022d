#!/usr/bin/env python3
"""Draws the wizard's three pictures as 512 x 512 PNG files with an alpha channel.

product.png  the product picture of the welcome and installer pages (IMAGE_BLOB 101)
finish.png   the picture of the finish pages (IMAGE_BLOB2 102)
error.png    the picture of the error page (IMAGE_BLOB3 103)

Only Python's standard library is used: shapes are described by signed distance functions,
each pixel is covered by how far it lies inside a shape (which smooths the edges), and the
result is written as PNG with zlib and struct. Run it from any folder; it writes next to itself.
"""

import math
import os
import struct
import zlib

SIZE = 512
ACCENT_LIGHT = (3, 155, 229)
ACCENT = (2, 119, 189)
GREEN = (67, 160, 71)
RED = (211, 47, 47)
WHITE = (255, 255, 255)


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def rounded_square(cx, cy, half, radius):
    def distance(x, y):
        qx = abs(x - cx) - half + radius
        qy = abs(y - cy) - half + radius
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - radius
    return distance


def stroke(x0, y0, x1, y1, width):
    """A straight line with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def distance(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        return math.hypot(x - x0 - t * dx, y - y0 - t * dy) - width / 2
    return distance


def union(*shapes):
    return lambda x, y: min(shape(x, y) for shape in shapes)


def coverage(distance):
    return max(0.0, min(1.0, 0.5 - distance))


def render(layers):
    """layers: (shape, colour function of y) painted in order over a transparent canvas."""
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter type 0 for every scan line
        y = py + 0.5
        for px in range(SIZE):
            x = px + 0.5
            red = green = blue = alpha = 0.0
            for shape, colour in layers:
                a = coverage(shape(x, y))
                if a == 0.0:
                    continue
                r, g, b = colour(y)
                # Straight-alpha "over" composition.
                out = a + alpha * (1.0 - a)
                red = (r * a + red * alpha * (1.0 - a)) / out
                green = (g * a + green * alpha * (1.0 - a)) / out
                blue = (b * a + blue * alpha * (1.0 - a)) / out
                alpha = out
            row += bytes((round(red), round(green), round(blue), round(alpha * 255)))
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def write_png(path, pixels):
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)  # 8-bit RGBA
    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n")
        file.write(chunk(b"IHDR", header))
        file.write(chunk(b"IDAT", zlib.compress(pixels, 9)))
        file.write(chunk(b"IEND", b""))


def solid(colour):
    return lambda y: colour


def vertical_gradient(top, bottom, y0, y1):
    def colour(y):
        t = max(0.0, min(1.0, (y - y0) / (y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return colour


def product():
    box = rounded_square(256, 256, 210, 72)
    arrow = union(stroke(256, 130, 256, 320, 52),
                  stroke(172, 248, 256, 332, 52),
                  stroke(340, 248, 256, 332, 52),
                  stroke(160, 392, 352, 392, 40))
    return [(box, vertical_gradient(ACCENT_LIGHT, ACCENT, 46, 466)), (arrow, solid(WHITE))]


def finish():
    check = union(stroke(150, 266, 226, 342, 48), stroke(226, 342, 370, 188, 48))
    return [(circle(256, 256, 224), solid(GREEN)), (check, solid(WHITE))]


def error():
    mark = union(stroke(256, 128, 256, 296, 52), circle(256, 376, 30))
    return [(circle(256, 256, 224), solid(RED)), (mark, solid(WHITE))]


def main():
    folder = os.path.dirname(os.path.abspath(__file__))
    for name, layers in (("product.png", product()), ("finish.png", finish()),
                         ("error.png", error())):
        write_png(os.path.join(folder, name), render(layers))


if __name__ == "__main__":
    main()
