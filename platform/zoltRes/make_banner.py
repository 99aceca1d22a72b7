#!/usr/bin/env python3
"""Draws the login dialog's banner (bitmap 100 of zoltRes.dll): a dark band with a row of host
boxes joined by a line, and writes it as loginBanner.bmp (8 bits a pixel, a palette of its own).

Run from this folder: python3 make_banner.py. The output is committed; the build does not run this.
"""
import struct

WIDTH, HEIGHT = 400, 56
PALETTE = [
    (40, 34, 64),     # 0 background (also the edge the dialog fills around the banner)
    (70, 60, 110),    # 1 the joining line
    (150, 120, 210),  # 2 a host's front
    (90, 220, 120),   # 3 a power light
    (48, 40, 72),     # 4 a host's frame and drive slot
    (200, 190, 235),  # 5 the chosen host's front
]


def draw():
    pixels = [[0] * WIDTH for _ in range(HEIGHT)]

    def fill(x0, y0, x1, y1, colour):
        for y in range(max(0, y0), min(HEIGHT, y1)):
            for x in range(max(0, x0), min(WIDTH, x1)):
                pixels[y][x] = colour

    fill(40, 27, 360, 30, 1)
    for i, x in enumerate(range(40, 361, 80)):
        front = 5 if i == 2 else 2
        fill(x - 16, 12, x + 16, 44, 4)
        fill(x - 14, 14, x + 14, 42, front)
        fill(x - 10, 20, x + 2, 23, 4)
        fill(x - 10, 30, x + 2, 33, 4)
        fill(x + 6, 20, x + 10, 23, 3)
        fill(x + 6, 30, x + 10, 33, 3)
    return pixels


def write_bmp(path, pixels):
    stride = (WIDTH + 3) & ~3
    data = b''.join(bytes(row) + b'\0' * (stride - WIDTH) for row in reversed(pixels))
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    offset = 14 + 40 + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(data), 0, 0, offset)
    info = struct.pack('<IiiHHIIiiII', 40, WIDTH, HEIGHT, 1, 8, 0, len(data), 2835, 2835, len(PALETTE), 0)
    with open(path, 'wb') as f:
        f.write(header + info + palette + data)


write_bmp('loginBanner.bmp', draw())
