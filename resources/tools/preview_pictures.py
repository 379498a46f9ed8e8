#!/usr/bin/env python3
"""Writes PNG previews of the pictures as the program shows them, for judging the art.

  site.png / site-2x.png       the site with the parked truck, grid dots and a sample bridge:
                               black members and rings, one failed member red, one selected yellow
  title.png / title-2x.png     the title picture with the parked truck and the puff
  truck-8x.png, icons-8x.png   the sprites enlarged

Usage: preview_pictures.py OUTPUT_FOLDER
"""

import os
import sys

import make_pictures as mp
from pixels import AQUA, BLACK, RED, SILVER, TEAL, WHITE, YELLOW, Canvas, png_bytes, write_file


def ring(c, x, y, colour):
    """The program's joint: an ellipse in the box (x-2, y-2)..(x+2, y+2), right and bottom edges
    exclusive, outlined with the pen and filled white: a 4 x 4 ring."""
    for (dx, dy) in [(-1, -2), (0, -2), (-2, -1), (1, -1), (-2, 0), (1, 0), (-1, 1), (0, 1)]:
        c.set(x + dx, y + dy, colour)
    for (dx, dy) in [(-1, -1), (0, -1), (-1, 0), (0, 0)]:
        c.set(x + dx, y + dy, WHITE)


def sample_bridge(c):
    """A Pratt truss, 8 panels of 50 ft, 50 ft deep, drawn the way the board draws a bridge."""
    for x in range(150, 551, 10):
        for y in range(150, 316, 10):
            c.set(x, y, BLACK)
    bottom = [(150 + 50 * i, 250) for i in range(9)]
    top = [(150 + 50 * i, 200) for i in range(1, 8)]
    members = []
    members += [(bottom[i], bottom[i + 1]) for i in range(8)]
    members += [(top[i], top[i + 1]) for i in range(6)]
    members += [(bottom[0], top[0]), (top[6], bottom[8])]
    members += [(bottom[i], top[i - 1]) for i in range(1, 8)]
    members += [(bottom[i], top[i]) for i in range(1, 4)]
    members += [(bottom[i], top[i - 2]) for i in range(5, 8)]
    # A deck arch below the span as well, to judge lines over the gorge.
    members += [((150, 250), (200, 300)), ((200, 300), (300, 315)), ((300, 315), (400, 315)),
                ((400, 315), (500, 300)), ((500, 300), (550, 250))]
    for (a, b) in members:
        c.line(a[0], a[1], b[0], b[1], BLACK)
    c.line(bottom[2][0], bottom[2][1], top[2][0], top[2][1], RED)  # a failed member
    c.line(300, 315, 400, 315, RED)
    c.line(top[3][0], top[3][1], top[4][0], top[4][1], YELLOW)  # the selected member
    c.line(200, 300, 300, 315, YELLOW)
    joints = set(bottom + top + [(200, 300), (300, 315), (400, 315), (500, 300)])
    for (x, y) in joints:
        ring(c, x, y, BLACK)
    ring(c, 500, 300, YELLOW)


def scaled(canvas, factor):
    return png_bytes(canvas.rgb_rows(factor))


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    truck, mask = mp.make_truck()
    site = mp.make_site()
    mp.draw_sprite(site, truck, mask, mp.PARK_X, mp.PARK_Y)
    sample_bridge(site)
    write_file(os.path.join(out, "site.png"), scaled(site, 1))
    write_file(os.path.join(out, "site-2x.png"), scaled(site, 2))
    if hasattr(mp, "make_title"):
        title = mp.make_title()
        mp.draw_sprite(title, truck, mask, mp.PARK_X, mp.PARK_Y)
        for y in (234, 233):
            title.set(mp.PUFF_X, y, BLACK)
        write_file(os.path.join(out, "title.png"), scaled(title, 1))
        write_file(os.path.join(out, "title-2x.png"), scaled(title, 2))
    sheet = Canvas(truck.width * 4 + 18, truck.height + 4, WHITE)
    for i, background in enumerate((AQUA, SILVER, TEAL)):
        x0 = i * (truck.width + 6)
        sheet.rect(x0, 0, x0 + truck.width + 1, truck.height + 3, background)
        mp.draw_sprite(sheet, truck, mask, x0 + 1, 2)
    sheet.blit(mask, 3 * (truck.width + 6), 2)
    write_file(os.path.join(out, "truck-8x.png"), scaled(sheet, 8))
    if hasattr(mp, "make_icons"):
        big, small = mp.make_icons()
        icons = Canvas(big.width + small.width + 4, big.height, WHITE)
        icons.blit(big, 0, 0)
        icons.blit(small, big.width + 4, 0)
        write_file(os.path.join(out, "icons-8x.png"), scaled(icons, 8))


if __name__ == "__main__":
    main()
