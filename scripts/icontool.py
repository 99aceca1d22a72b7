"""Small drawing and .ico writing helpers for the project's own icons.

A picture is drawn on a 16-unit grid and scaled to each size; `write_ico` stores 32-bit images
with their AND masks. Icon scripts import this module and commit the .ico they write.
"""
import struct


class Canvas:
    """Rows of (r, g, b, a) pixels, top row first, drawn on a 16-unit grid."""

    def __init__(self, size):
        self.size = size
        self.px = [[(0, 0, 0, 0)] * size for _ in range(size)]
        self.scale = size / 16.0

    def fill(self, x0, y0, x1, y1, rgba):
        s = self.scale
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                self.px[y][x] = rgba


def ico_bytes(canvases):
    header = struct.pack('<HHH', 0, 1, len(canvases))
    entries, blobs = b'', b''
    offset = 6 + 16 * len(canvases)
    for canvas in canvases:
        px, size = canvas.px, canvas.size
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


def write_ico(path, draw, sizes=(32, 16)):
    """Calls draw(canvas) for each size and writes the icon file."""
    canvases = []
    for size in sizes:
        canvas = Canvas(size)
        draw(canvas)
        canvases.append(canvas)
    with open(path, 'wb') as f:
        f.write(ico_bytes(canvases))
