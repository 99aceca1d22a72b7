#!/usr/bin/env python3
"""Draws the snapshot grid's icons (snapshots, the current state, the machine and the connector
lines) and writes them as .ico files into snapshots/.

Run from this folder: python3 make_snapshot_icons.py. The output is committed; the build does not
run this. Connector lines meet at the middle of the 32-pixel cell, so neighbouring cells join.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', '..', 'scripts'))
from icontool import write_ico  # noqa: E402

DARK = (40, 48, 64, 255)
LINE = (96, 104, 120, 255)
WHITE = (250, 250, 250, 255)
GREY = (150, 150, 158, 255)
BLUE = (52, 120, 200, 255)
GREEN = (40, 150, 60, 255)
YELLOW = (220, 170, 20, 255)
RED = (200, 50, 40, 255)
PURPLE = (130, 70, 170, 255)


def frame(c, x0, y0, x1, y1, rgba):
    c.fill(x0, y0, x1, y0 + 1, rgba)
    c.fill(x0, y1 - 1, x1, y1, rgba)
    c.fill(x0, y0, x0 + 1, y1, rgba)
    c.fill(x1 - 1, y0, x1, y1, rgba)


def photo(screen, badge=None):
    """A snapshot: a framed picture of a screen, with a small badge of its state."""
    def draw(c):
        c.fill(2, 3, 14, 13, WHITE)
        frame(c, 2, 3, 14, 13, DARK)
        c.fill(4, 5, 12, 11, screen)
        c.fill(4, 5, 12, 6, DARK)
        if badge:
            badge(c)
    return draw


def current(screen):
    """The current state: a marker pin over a screen."""
    def draw(c):
        c.fill(3, 7, 13, 15, WHITE)
        frame(c, 3, 7, 13, 15, DARK)
        c.fill(5, 9, 11, 13, screen)
        c.fill(6, 1, 10, 5, RED)
        c.fill(7, 5, 9, 7, RED)
    return draw


def machine(c):
    c.fill(1, 2, 15, 12, DARK)
    c.fill(2, 3, 14, 11, BLUE)
    c.fill(4, 5, 9, 9, WHITE)
    c.fill(7, 12, 9, 13, DARK)
    c.fill(4, 13, 12, 14, DARK)


def horizontal(c):
    c.fill(0, 7.5, 16, 8.5, LINE)


def vertical(c):
    c.fill(7.5, 0, 8.5, 16, LINE)


def corner(c):
    c.fill(7.5, 0, 8.5, 8.5, LINE)
    c.fill(7.5, 7.5, 16, 8.5, LINE)


def tee(c):
    vertical(c)
    c.fill(8.5, 7.5, 16, 8.5, LINE)


ICONS = {
    12049: machine,
    12040: photo(GREY),
    12045: photo(GREY),
    12047: photo(YELLOW, lambda c: (c.fill(11, 10, 13, 14, YELLOW), c.fill(14, 10, 16, 14, YELLOW))),
    12048: photo(GREEN, lambda c: c.fill(11, 10, 16, 15, GREEN)),
    12050: current(GREY),
    12051: current(GREEN),
    12052: current(YELLOW),
    12046: photo(BLUE, lambda c: (c.fill(10, 9, 15, 14, WHITE), frame(c, 10, 9, 15, 14, DARK), c.fill(11, 10, 14, 13, BLUE))),
    12053: photo(PURPLE, lambda c: c.fill(11, 10, 15, 14, RED)),
    12041: horizontal,
    12042: vertical,
    12043: corner,
    12044: tee,
}

here = os.path.dirname(os.path.abspath(__file__))
for icon_id, draw in ICONS.items():
    write_ico(os.path.join(here, 'snapshots', 'snapshot_%d.ico' % icon_id), draw, sizes=(32,))
