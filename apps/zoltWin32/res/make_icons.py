#!/usr/bin/env python3
"""Draws zolt's icons (a monitor with a machine screen on it) and writes them as .ico files.

Run from this folder: python3 make_icons.py. The output is committed; the build does not run this.
"""
import struct


def draw(size, screen_rgb):
    """Rows of (r, g, b, a) pixels, top row first."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 16.0

    def fill(x0, y0, x1, y1, rgba):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = rgba

    fill(1, 2, 15, 12, (40, 48, 64, 255))           # monitor frame
    fill(2, 3, 14, 11, screen_rgb + (255,))         # screen
    fill(4, 5, 9, 9, (236, 240, 244, 255))          # a window on the screen
    fill(4, 5, 9, 6, (40, 48, 64, 255))             # its title bar
    fill(7, 12, 9, 13, (40, 48, 64, 255))           # stand
    fill(4, 13, 12, 14, (40, 48, 64, 255))          # foot
    return px


def ico(images):
    header = struct.pack('<HHH', 0, 1, len(images))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(images)
    for px in images:
        size = len(px)
        xor = b''.join(struct.pack('BBBB', b, g, r, a) for row in reversed(px) for (r, g, b, a) in row)
        stride = ((size + 31) // 32) * 4
        mask = b''
        for row in reversed(px):
            bits = bytearray(stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(bits)
        bih = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = bih + xor + mask
        entries += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return header + entries + blobs


def write(name, screen_rgb):
    with open(name, 'wb') as f:
        f.write(ico([draw(32, screen_rgb), draw(16, screen_rgb)]))


write('zolt.ico', (52, 120, 200))
write('zoltZephro.ico', (56, 150, 96))
