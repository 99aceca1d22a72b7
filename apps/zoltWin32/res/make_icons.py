#!/usr/bin/env python3
"""Draws zolt's icons (a monitor with a machine screen on it) and writes them as .ico files.

Run from this folder: python3 make_icons.py. The output is committed; the build does not run this.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'scripts'))
from icontool import write_ico  # noqa: E402

DARK = (40, 48, 64, 255)


def monitor(screen_rgb):
    def draw(c):
        c.fill(1, 2, 15, 12, DARK)                     # monitor frame
        c.fill(2, 3, 14, 11, screen_rgb + (255,))      # screen
        c.fill(4, 5, 9, 9, (236, 240, 244, 255))       # a window on the screen
        c.fill(4, 5, 9, 6, DARK)                       # its title bar
        c.fill(7, 12, 9, 13, DARK)                     # stand
        c.fill(4, 13, 12, 14, DARK)                    # foot
    return draw


write_ico('zolt.ico', monitor((52, 120, 200)))
write_ico('zoltZephro.ico', monitor((56, 150, 96)))
