#!/usr/bin/env python3
"""Draws the image of zoltRes.dll (icon 200: two stacked machine boxes with status lights) and
writes it as zoltRes.ico.

Run from this folder: python3 make_icon.py. The output is committed; the build does not run this.
"""
import struct


def draw(size):
    """Rows of (r, g, b, a) pixels, top row first."""
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]
    s = size / 16.0

    def fill(x0, y0, x1, y1, rgba):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = rgba

    dark = (48, 40, 72, 255)
    for top in (2, 9):
        fill(2, top, 14, top + 5, dark)                   # a machine box
        fill(3, top + 1, 13, top + 4, (150, 120, 210, 255))  # its front
        fill(10, top + 2, 12, top + 3, (90, 220, 120, 255))  # power light
        fill(4, top + 2, 8, top + 3, dark)                # a drive slot
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


with open('zoltRes.ico', 'wb') as f:
    f.write(ico([draw(32), draw(16)]))
