#!/usr/bin/env python3
"""Draws the clone wizard's bitmaps (4 bits per pixel): the welcome page's watermark, the Zephro
edition's watermark and the interior pages' header picture. Writes them into res/clonewz/."""
import os
import struct
import sys

PALETTE = [
    (0xFF, 0xFF, 0xFF),  # 0 white
    (0x1F, 0x3A, 0x68),  # 1 dark blue
    (0x2F, 0x5F, 0xA8),  # 2 blue
    (0x6F, 0x9F, 0xD8),  # 3 light blue
    (0xC8, 0xDC, 0xF2),  # 4 pale blue
    (0x30, 0x30, 0x30),  # 5 dark grey
    (0x90, 0x90, 0x90),  # 6 grey
    (0xE0, 0xE0, 0xE0),  # 7 light grey
    (0x2E, 0x8B, 0x57),  # 8 green
    (0xA8, 0xD8, 0xB8),  # 9 pale green
    (0x8B, 0x3A, 0x2E),  # 10 brick (Zephro)
    (0xF2, 0xC8, 0xB8),  # 11 pale brick
] + [(0, 0, 0)] * 4


def write_bmp(path, pixels):
    height = len(pixels)
    width = len(pixels[0])
    stride = ((width + 1) // 2 + 3) & ~3
    rows = b''
    for row in reversed(pixels):
        data = bytearray()
        for x in range(0, width, 2):
            hi = row[x]
            lo = row[x + 1] if x + 1 < width else 0
            data.append((hi << 4) | lo)
        data += b'\0' * (stride - len(data))
        rows += bytes(data)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (r, g, b) in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(rows), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(rows), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(header + info + palette + rows)


def canvas(width, height, colour):
    return [[colour] * width for _ in range(height)]


def rect(pixels, x0, y0, x1, y1, colour):
    for y in range(max(y0, 0), min(y1, len(pixels))):
        for x in range(max(x0, 0), min(x1, len(pixels[0]))):
            pixels[y][x] = colour


def machine(pixels, x, y, w, h, frame, screen):
    """A small computer: a framed screen on a stand."""
    rect(pixels, x, y, x + w, y + h, frame)
    rect(pixels, x + 3, y + 3, x + w - 3, y + h - 3, screen)
    rect(pixels, x + w // 2 - 3, y + h, x + w // 2 + 3, y + h + 4, frame)
    rect(pixels, x + w // 2 - 9, y + h + 4, x + w // 2 + 9, y + h + 6, frame)


def watermark(band, light):
    width, height = 164, 314
    pixels = canvas(width, height, light)
    # Bands fading down the left edge, then two machines: the source and its copy.
    for i, colour in enumerate([band, 2 if band == 1 else band, 3]):
        rect(pixels, 0, 0, 18 - 5 * i, height, colour)
    machine(pixels, 40, 90, 70, 52, band, 3)
    machine(pixels, 70, 196, 70, 52, 8, 9)
    # The arrow from one to the other.
    rect(pixels, 88, 156, 92, 180, 5)
    for i in range(6):
        rect(pixels, 85 + i, 180 + i, 95 - i, 181 + i, 5)
    return pixels


def header():
    pixels = canvas(49, 49, 0)
    machine(pixels, 3, 6, 26, 20, 1, 3)
    machine(pixels, 18, 20, 26, 20, 8, 9)
    return pixels


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), 'clonewz')
    os.makedirs(folder, exist_ok=True)
    write_bmp(os.path.join(folder, 'watermark.bmp'), watermark(1, 4))
    write_bmp(os.path.join(folder, 'watermark_zephro.bmp'), watermark(10, 11))
    write_bmp(os.path.join(folder, 'header.bmp'), header())


if __name__ == '__main__':
    main()
