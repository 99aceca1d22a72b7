#!/usr/bin/env python3
"""Draws the image of zoltRes.dll (icon 200: two stacked machine boxes with status lights) and
writes it as zoltRes.ico.

Run from this folder: python3 make_icon.py. The output is committed; the build does not run this.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts'))
from icontool import write_ico  # noqa: E402


def draw(c):
    dark = (48, 40, 72, 255)
    for top in (2, 9):
        c.fill(2, top, 14, top + 5, dark)                     # a machine box
        c.fill(3, top + 1, 13, top + 4, (150, 120, 210, 255))  # its front
        c.fill(10, top + 2, 12, top + 3, (90, 220, 120, 255))  # power light
        c.fill(4, top + 2, 8, top + 3, dark)                  # a drive slot


write_ico('zoltRes.ico', draw)
