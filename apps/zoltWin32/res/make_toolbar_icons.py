"""Draws the toolbars' icons (normal, disabled and hot) and writes zoltToolbars.rc naming them.

Run by the build at configure time: make_toolbar_icons.py OUTPUT_DIR. Each picture is drawn on
the 16-unit grid; the disabled image is its grey, the hot image a lighter copy.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'scripts'))
import icontool  # noqa: E402

RED, GREEN, YELLOW, BLUE = (200, 40, 40, 255), (40, 150, 50, 255), (220, 170, 20, 255), (40, 90, 190, 255)
DARK, WHITE, GREY = (60, 60, 70, 255), (250, 250, 250, 255), (150, 150, 150, 255)


def tri_right(c, x0, y0, x1, y1, rgba):
    h = y1 - y0
    for i in range(h * 4):
        y = y0 + i / 4.0
        d = abs((y + 0.125) - (y0 + h / 2.0)) / (h / 2.0)
        c.fill(x0, y, x0 + (x1 - x0) * (1 - d) + 0.01, y + 0.25, rgba)


def frame(c, x0, y0, x1, y1, rgba, t=1):
    c.fill(x0, y0, x1, y0 + t, rgba)
    c.fill(x0, y1 - t, x1, y1, rgba)
    c.fill(x0, y0, x0 + t, y1, rgba)
    c.fill(x1 - t, y0, x1, y1, rgba)


def window(c, rgba=BLUE):
    c.fill(1, 2, 15, 14, WHITE)
    frame(c, 1, 2, 15, 14, DARK)
    c.fill(1, 2, 15, 4, rgba)


PICTURES = {
    'power_off': lambda c: c.fill(4, 4, 12, 12, RED),
    'suspend': lambda c: (c.fill(4, 3, 7, 13, YELLOW), c.fill(9, 3, 12, 13, YELLOW)),
    'power_on': lambda c: tri_right(c, 4, 2, 13, 14, GREEN),
    'reset': lambda c: (frame(c, 3, 3, 13, 13, GREEN, 2), c.fill(7, 1, 11, 5, GREEN), c.fill(3, 7, 7, 9, (0, 0, 0, 0))),
    'policy': lambda c: (c.fill(3, 1, 13, 15, WHITE), frame(c, 3, 1, 13, 15, DARK), c.fill(5, 4, 11, 5, BLUE), c.fill(5, 7, 11, 8, BLUE), c.fill(5, 10, 9, 11, BLUE)),
    'package_settings': lambda c: (c.fill(2, 4, 14, 14, YELLOW), frame(c, 2, 4, 14, 14, DARK), c.fill(6, 7, 10, 11, DARK)),
    'new_package': lambda c: (c.fill(2, 4, 14, 14, YELLOW), frame(c, 2, 4, 14, 14, DARK), c.fill(7, 6, 9, 12, GREEN), c.fill(5, 8, 11, 10, GREEN)),
    'portable_package': lambda c: (c.fill(4, 3, 12, 14, YELLOW), frame(c, 4, 3, 12, 14, DARK), c.fill(6, 1, 10, 3, DARK)),
    'preview': lambda c: (frame(c, 2, 2, 11, 11, DARK, 2), c.fill(10, 10, 14, 14, DARK)),
    'take_snapshot': lambda c: (c.fill(1, 5, 15, 14, DARK), c.fill(5, 3, 11, 5, DARK), c.fill(6, 7, 10, 12, WHITE), c.fill(7, 8, 9, 11, BLUE)),
    'revert': lambda c: (c.fill(1, 5, 11, 14, DARK), c.fill(4, 7, 8, 12, WHITE), tri_right(c, 11, 2, 16, 9, GREEN)),
    'snapshot_manager': lambda c: (c.fill(1, 1, 9, 7, DARK), c.fill(7, 5, 15, 11, GREY), c.fill(3, 9, 11, 15, BLUE)),
    'sidebar': lambda c: (window(c), c.fill(2, 4, 6, 13, GREY)),
    'quick_switch': lambda c: (window(c), c.fill(3, 5, 6, 8, YELLOW), c.fill(7, 5, 10, 8, YELLOW), c.fill(11, 5, 14, 8, YELLOW)),
    'full_screen': lambda c: (c.fill(0, 1, 16, 15, DARK), c.fill(1, 2, 15, 14, BLUE)),
    'summary': lambda c: (window(c), c.fill(3, 6, 13, 7, DARK), c.fill(3, 9, 13, 10, DARK), c.fill(3, 11, 9, 12, DARK)),
    'appliance': lambda c: (window(c, GREEN), c.fill(4, 6, 12, 12, GREY)),
    'console': lambda c: (window(c), c.fill(2, 4, 14, 13, DARK), c.fill(4, 6, 8, 7, GREEN)),
    'minimize': lambda c: c.fill(3, 11, 13, 14, DARK),
    'leave_quick_switch': lambda c: (frame(c, 2, 3, 14, 13, DARK, 2), c.fill(5, 6, 11, 10, GREY)),
    'exit': lambda c: [c.fill(3 + i, 3 + i, 5 + i, 5 + i, RED) or c.fill(11 - i, 3 + i, 13 - i, 5 + i, RED) for i in range(9)],
    'play': lambda c: tri_right(c, 4, 2, 13, 14, BLUE),
    'pause': lambda c: (c.fill(4, 3, 7, 13, BLUE), c.fill(9, 3, 12, 13, BLUE)),
    'rewind': lambda c: (c.fill(2, 3, 4, 13, BLUE), tri_right(c, 5, 3, 14, 13, GREY)),
    'go_live': lambda c: (tri_right(c, 2, 3, 9, 13, BLUE), tri_right(c, 8, 3, 15, 13, BLUE)),
    'step': lambda c: (tri_right(c, 3, 3, 11, 13, BLUE), c.fill(12, 3, 14, 13, BLUE)),
    'marker': lambda c: (c.fill(7, 1, 9, 15, DARK), c.fill(9, 2, 14, 7, YELLOW)),
    'record': lambda c: [c.fill(8 - w, y, 8 + w, y + 1, RED) for y, w in enumerate((2, 4, 5, 6, 6, 7, 7, 7, 7, 7, 7, 6, 6, 5, 4, 2), 0) if 0 < y < 15],
    'record_pause': lambda c: (c.fill(3, 3, 6, 13, RED), c.fill(10, 3, 13, 13, RED)),
    'stop': lambda c: c.fill(3, 3, 13, 13, DARK),
    'pinned': lambda c: (c.fill(7, 1, 9, 15, DARK), c.fill(4, 4, 12, 7, RED)),
    'unpinned': lambda c: (c.fill(1, 7, 15, 9, DARK), c.fill(9, 4, 12, 12, RED)),
    'options': lambda c: (window(c), c.fill(4, 7, 12, 8, DARK), c.fill(4, 10, 12, 11, DARK)),
    'multi_monitor': lambda c: (c.fill(0, 3, 8, 11, DARK), c.fill(1, 4, 7, 10, BLUE), c.fill(8, 3, 16, 11, DARK), c.fill(9, 4, 15, 10, BLUE), c.fill(5, 12, 11, 14, DARK)),
    'single_monitor': lambda c: (c.fill(3, 2, 13, 11, DARK), c.fill(4, 3, 12, 10, BLUE), c.fill(6, 12, 10, 14, DARK)),
    'next_machine': lambda c: (c.fill(1, 4, 9, 12, DARK), tri_right(c, 9, 3, 15, 13, GREEN)),
    'fs_restore': lambda c: (frame(c, 5, 2, 14, 10, DARK), frame(c, 2, 6, 11, 14, DARK, 2)),
}

# Icon id triples (normal, disabled, hot) and the picture each shows.
ICONS = [
    (11961, 11962, 11963, 'power_off'), (11973, 11974, 11975, 'suspend'),
    (11965, 11966, 11967, 'power_on'), (11969, 11970, 11971, 'reset'),
    (11740, 11741, 11742, 'policy'), (11743, 11744, 11745, 'package_settings'),
    (11746, 11747, 11748, 'new_package'), (11749, 11750, 11751, 'portable_package'),
    (11752, 11753, 11754, 'preview'),
    (12066, 12067, 12068, 'take_snapshot'), (12063, 12064, 12065, 'revert'),
    (12060, 12061, 12062, 'snapshot_manager'),
    (12159, 12160, 12161, 'sidebar'), (12162, 12163, 12164, 'quick_switch'),
    (12156, 12157, 12158, 'full_screen'), (12165, 12166, 12167, 'summary'),
    (12150, 12151, 12152, 'appliance'), (12153, 12154, 12155, 'console'),
    (12208, None, None, 'minimize'), (12210, None, None, 'leave_quick_switch'), (12206, None, None, 'exit'),
    (12170, 12171, 12172, 'play'), (12179, 12180, 12181, 'pause'), (12182, 12183, 12184, 'rewind'),
    (12188, 12189, 12190, 'go_live'), (12185, 12186, 12187, 'step'), (12191, 12192, 12193, 'marker'),
    (12194, 12195, 12196, 'record'), (12197, 12198, 12199, 'record_pause'), (12173, 12174, 12175, 'stop'),
    # The full-screen toolbar's buttons.
    (12456, None, None, 'pinned'), (12457, None, None, 'unpinned'), (12301, None, None, 'options'),
    (12452, None, None, 'multi_monitor'), (12453, None, None, 'single_monitor'), (12454, None, None, 'next_machine'),
    (12207, None, None, 'minimize'), (12209, None, None, 'fs_restore'), (12205, None, None, 'exit'),
]


def variant(draw, kind):
    def paint(canvas):
        draw(canvas)
        for row in canvas.px:
            for x, (r, g, b, a) in enumerate(row):
                if not a:
                    continue
                if kind == 'disabled':
                    v = min(255, (r + g + b) // 3 // 2 + 120)
                    row[x] = (v, v, v, a)
                elif kind == 'hot':
                    row[x] = tuple(min(255, v + 40) for v in (r, g, b)) + (a,)
    return paint


def main(out):
    os.makedirs(out, exist_ok=True)
    lines = ['// Generated by make_toolbar_icons.py: the toolbars\' icons.\n']
    for normal, disabled, hot, name in ICONS:
        for res_id, kind in ((normal, 'normal'), (disabled, 'disabled'), (hot, 'hot')):
            if res_id is None:
                continue
            path = os.path.join(out, 'tb_%d.ico' % res_id)
            icontool.write_ico(path, variant(PICTURES[name], kind), sizes=(16,))
            lines.append('%d ICON "%s"\n' % (res_id, path.replace('\\', '/')))
    with open(os.path.join(out, 'zoltToolbars.rc'), 'w') as f:
        f.writelines(lines)


if __name__ == '__main__':
    main(sys.argv[1])
