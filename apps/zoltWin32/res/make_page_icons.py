"""Draws the status pages' link-button icons and the label band, into res/pages/.

Run by hand after a change: make_page_icons.py. Each picture is drawn on the 16-unit grid; the
disabled image is its grey. The band is a light vertical gradient.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', '..', 'scripts'))
import icontool  # noqa: E402

GREEN, BLUE, DARK = (40, 150, 50, 255), (40, 90, 190, 255), (60, 60, 70, 255)
WHITE, YELLOW = (250, 250, 250, 255), (220, 170, 20, 255)


def tri_right(c, x0, y0, x1, y1, rgba):
    h = y1 - y0
    for i in range(h * 4):
        y = y0 + i / 4.0
        d = abs((y + 0.125) - (y0 + h / 2.0)) / (h / 2.0)
        c.fill(x0, y, x0 + (x1 - x0) * (1 - d) + 0.01, y + 0.25, rgba)


def sheet(c, x0, y0, rgba):
    c.fill(x0, y0, x0 + 8, y0 + 10, WHITE)
    c.fill(x0, y0, x0 + 8, y0 + 1, rgba)
    c.fill(x0, y0 + 9, x0 + 8, y0 + 10, rgba)
    c.fill(x0, y0, x0 + 1, y0 + 10, rgba)
    c.fill(x0 + 7, y0, x0 + 8, y0 + 10, rgba)


PICTURES = {
    'power_on': lambda c: tri_right(c, 4, 2, 13, 14, GREEN),
    'settings': lambda c: (c.fill(2, 3, 14, 13, DARK), c.fill(3, 4, 13, 12, WHITE), c.fill(5, 6, 11, 7, BLUE),
                           c.fill(5, 9, 9, 10, BLUE)),
    'clone': lambda c: (sheet(c, 2, 1, DARK), sheet(c, 6, 5, BLUE)),
    'clone_master': lambda c: (sheet(c, 2, 1, DARK), sheet(c, 6, 5, YELLOW)),
    'new_vm': lambda c: (screen(c, 1, 3, BLUE), c.fill(11, 0, 13, 6, GREEN), c.fill(9, 2, 15, 4, GREEN)),
    'new_team': lambda c: (screen(c, 0, 5, BLUE), screen(c, 5, 1, DARK), c.fill(12, 9, 14, 15, GREEN),
                           c.fill(10, 11, 16, 13, GREEN)),
    'open': lambda c: (c.fill(1, 4, 7, 6, YELLOW), c.fill(1, 5, 15, 14, YELLOW), c.fill(3, 8, 15, 14, DARK),
                       c.fill(4, 9, 14, 13, YELLOW)),
    'zephro_template': lambda c: (sheet(c, 4, 3, YELLOW), c.fill(6, 6, 10, 7, BLUE), c.fill(6, 8, 10, 9, BLUE)),
    'host': lambda c: (c.fill(4, 1, 12, 15, DARK), c.fill(5, 2, 11, 4, GREEN), c.fill(5, 6, 11, 7, WHITE),
                       c.fill(5, 9, 11, 10, WHITE)),
}


def screen(c, x0, y0, rgba):
    c.fill(x0, y0, x0 + 11, y0 + 8, rgba)
    c.fill(x0 + 1, y0 + 1, x0 + 10, y0 + 7, WHITE)
    c.fill(x0 + 4, y0 + 8, x0 + 7, y0 + 10, rgba)

ICONS = [(12132, 12133, 'power_on'), (12116, 12117, 'settings'), (12118, 12119, 'clone'),
         (12120, 12121, 'clone_master'), (12127, 12128, 'new_vm'), (12125, 12126, 'new_team'),
         (12129, 12130, 'open'), (12102, 12103, 'host'), (12104, 12105, 'settings')]
# Icons with no disabled image.
SINGLE_ICONS = [(12122, 'zephro_template')]


def grey(draw):
    def paint(canvas):
        draw(canvas)
        for row in canvas.px:
            for x, (r, g, b, a) in enumerate(row):
                if a:
                    v = min(255, (r + g + b) // 3 // 2 + 120)
                    row[x] = (v, v, v, a)
    return paint


def write_band(path, width=8, height=18):
    rows = []
    for y in range(height):
        v = 246 - (y * 40) // height
        rows.append(bytes((v, v, v)) * width)
    stride = (width * 3 + 3) & ~3
    pixels = b''.join(r + b'\0' * (stride - width * 3) for r in reversed(rows))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, 'wb') as f:
        f.write(b'BM' + struct.pack('<IHHI', 14 + 40 + len(pixels), 0, 0, 54) + header + pixels)


def main():
    out = os.path.join(HERE, 'pages')
    os.makedirs(out, exist_ok=True)
    for normal, disabled, name in ICONS:
        icontool.write_ico(os.path.join(out, 'page_%d.ico' % normal), PICTURES[name], sizes=(16,))
        icontool.write_ico(os.path.join(out, 'page_%d.ico' % disabled), grey(PICTURES[name]), sizes=(16,))
    for normal, name in SINGLE_ICONS:
        icontool.write_ico(os.path.join(out, 'page_%d.ico' % normal), PICTURES[name], sizes=(16,))
    write_band(os.path.join(out, 'band.bmp'))


if __name__ == '__main__':
    main()
