"""Draws the team page's icons into res/pages/: the topology's machine rows (normal, legacy and
clone machines, each powered on, suspended and off), the team page's edit link, the LAN icon and
the guest system icons of the team lists (one picture per family of guest systems).

Run by hand after a change: make_team_icons.py. Each picture is drawn on the 16-unit grid; the
disabled edit image is its grey.
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', '..', '..', 'scripts'))
import icontool  # noqa: E402

BLUE, DARK, WHITE = (40, 90, 190, 255), (60, 60, 70, 255), (250, 250, 250, 255)
BROWN, TEAL = (140, 100, 60, 255), (30, 140, 150, 255)
GREEN, ORANGE, GREY = (40, 150, 50, 255), (230, 150, 20, 255), (150, 150, 150, 255)

# The screen's colour tells the kind of machine, the badge at the lower right its power state.
KINDS = {'normal': BLUE, 'legacy': BROWN, 'clone': TEAL}


def screen(c, rgba):
    c.fill(1, 2, 13, 11, rgba)
    c.fill(2, 3, 12, 10, WHITE)
    c.fill(5, 11, 9, 13, rgba)
    c.fill(3, 13, 11, 14, rgba)


def on_badge(c):
    # A play triangle pointing right, one row of pixels at a time.
    for i, width in enumerate((1, 3, 5, 3, 1)):
        c.fill(10, 10 + i, 10 + width, 11 + i, GREEN)


def suspended_badge(c):
    c.fill(10, 9, 12, 15, ORANGE)
    c.fill(13, 9, 15, 15, ORANGE)


def off_badge(c):
    c.fill(10, 10, 15, 15, GREY)
    c.fill(11, 11, 14, 14, DARK)


POWER = {'on': on_badge, 'suspended': suspended_badge, 'off': off_badge}

ROWS = [(11842, 'normal', 'off'), (11843, 'normal', 'on'), (11844, 'normal', 'suspended'),
        (11813, 'legacy', 'off'), (11814, 'legacy', 'on'), (11815, 'legacy', 'suspended'),
        (11802, 'clone', 'off'), (11803, 'clone', 'on'), (11804, 'clone', 'suspended')]


def row_picture(kind, power):
    def paint(c):
        screen(c, KINDS[kind])
        if kind == 'clone':
            c.fill(4, 5, 8, 8, KINDS[kind])
            c.fill(6, 6, 10, 9, DARK)
        POWER[power](c)
    return paint


def edit_team(c):
    for x0, y0, rgba in ((0, 1, DARK), (6, 6, BLUE)):
        c.fill(x0, y0, x0 + 9, y0 + 7, rgba)
        c.fill(x0 + 1, y0 + 1, x0 + 8, y0 + 6, WHITE)
    c.fill(8, 8, 13, 9, BLUE)
    c.fill(8, 10, 11, 11, BLUE)


def grey(draw):
    def paint(canvas):
        draw(canvas)
        for row in canvas.px:
            for x, (r, g, b, a) in enumerate(row):
                if a:
                    v = min(255, (r + g + b) // 3 // 2 + 120)
                    row[x] = (v, v, v, a)
    return paint


def lan(c):
    # Three machines on one cable.
    c.fill(1, 11, 15, 12, DARK)
    for x in (1, 6, 11):
        c.fill(x, 3, x + 4, 7, TEAL)
        c.fill(x + 1, 4, x + 3, 6, WHITE)
        c.fill(x + 1, 7, x + 3, 11, DARK)


def guest(rgba, mark):
    def paint(c):
        c.fill(1, 2, 15, 12, DARK)
        c.fill(2, 3, 14, 11, rgba)
        c.fill(6, 12, 10, 13, DARK)
        c.fill(3, 13, 13, 15, DARK)
        mark(c)
    return paint


def panes(c):
    c.fill(7, 3, 9, 11, WHITE)
    c.fill(2, 6, 14, 8, WHITE)


def bar(c):
    c.fill(4, 5, 12, 7, DARK)
    c.fill(4, 8, 9, 10, DARK)


def dot(c):
    c.fill(6, 5, 10, 9, (250, 220, 60, 255))


def prompt(c):
    c.fill(3, 8, 6, 9, (200, 200, 200, 255))
    c.fill(7, 8, 9, 9, WHITE)


def ring(c):
    c.fill(5, 4, 11, 10, WHITE)
    c.fill(7, 6, 9, 8, (190, 40, 40, 255))


def blank(c):
    c.fill(7, 4, 9, 8, WHITE)
    c.fill(7, 9, 9, 10, WHITE)


# Guest families: resource id, screen colour, mark (resource.h, zoltWndUtil.cpp).
GUESTS = [(11850, BLUE, panes), (11851, (240, 190, 40, 255), bar), (11852, ORANGE, dot),
          (11853, (190, 40, 40, 255), ring), (11854, (20, 20, 20, 255), prompt), (11855, GREY, blank)]


def main():
    out = os.path.join(HERE, 'pages')
    os.makedirs(out, exist_ok=True)
    for icon, kind, power in ROWS:
        icontool.write_ico(os.path.join(out, 'team_%d.ico' % icon), row_picture(kind, power), sizes=(16,))
    icontool.write_ico(os.path.join(out, 'team_12114.ico'), edit_team, sizes=(16,))
    icontool.write_ico(os.path.join(out, 'team_12115.ico'), grey(edit_team), sizes=(16,))
    icontool.write_ico(os.path.join(out, 'team_11810.ico'), lan, sizes=(16,))
    for icon, rgba, mark in GUESTS:
        icontool.write_ico(os.path.join(out, 'guest_%d.ico' % icon), guest(rgba, mark), sizes=(16,))


if __name__ == '__main__':
    main()
