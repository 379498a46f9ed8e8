#!/usr/bin/env python3
"""Draws the program's pictures and writes them as 4-bit BMP files into resources/pictures/.

  RcQXBrd      640 x 480  the bridge site: sky, two rock faces with the road reaching the supports
                          at (150, 250) and (550, 250), a gorge with a river whose floor is near
                          row 330, and the white strip (rows 374..479) that carries the panels
  RcStartBrd   640 x 480  the title picture; silver (192, 192, 192) at column 65, rows 224..237,
                          where the exhaust puff rises above the parked truck
  RcTruck       54 x 15   the truck, facing right; black outside the truck
  RcTruckm      54 x 15   its mask: black where the truck is opaque, white elsewhere
  RcIconQXWIN   32 x 32   the program icon, and RcIconQXWIN16 at 16 x 16

Usage: make_pictures.py [output folder]   (default: the pictures folder next to this script's)
The output is deterministic, so unchanged art gives byte-identical files.
"""

import os
import random
import sys

import font5x9
import scenery as sc
from pixels import (AQUA, BLACK, BLUE, GREY, MAROON, NAVY, RED, SILVER, TEAL, WHITE, YELLOW, Canvas, bmp4_bytes,
                    canvas_from_art, write_file)
from scenery import HEIGHT, LEFT_SUPPORT, RIGHT_SUPPORT, ROAD_ROW, WIDTH

STRIP_TOP = 374  # first row of the white panel strip
PARK_X, PARK_Y = 20, 235  # where the truck sprite is drawn when parked
PUFF_X, PUFF_TOP, PUFF_BOTTOM = 65, 224, 237

# ---------------------------------------------------------------------------------------------
# The truck. One character per pixel; '.' is outside the truck. The trailer takes columns 0..41,
# the cab columns 43..53 with the window at the front, the exhaust stack at column 45 (its top at
# row 2, so the puff rising above it from row 236 of the picture is not hidden), wheels at the foot.

TRUCK_LEGEND = {".": BLACK, "K": BLACK, "W": WHITE, "S": SILVER, "G": GREY, "R": RED, "M": MAROON,
                "A": AQUA, "T": TEAL, "Y": YELLOW, "B": BLUE, "N": NAVY}

TRUCK_ART = [
    # 0         1         2         3         4         5
    # 012345678901234567890123456789012345678901234567890123
    "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKK............",  # 0
    "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWSK............",  # 1
    "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWSK...G........",  # 2
    "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWSK...G........",  # 3
    "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWSK..KGKKKKK...",  # 4
    "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWSK..KGRRRKAK..",  # 5
    "KWBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBSK..KRRRRKAAK.",  # 6
    "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWSK..KRRRRKATAK",  # 7
    "KWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWSK..KRRRRRRRRK",  # 8
    "KSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSSK..KRRRRRRRRK",  # 9
    "KKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKKRRMRRRRYK",  # 10
    "..KKKKKKKKKKK....................KKKKKKKKKKKKKKKKKKKKK",  # 11
    "..KSSKKKSSKKK......................KKSSKKK.....KSSK...",  # 12
    "..KSSK.KSSK.........................KSSK.......KSSK...",  # 13
    "...KK...KK...........................KK.........KK....",  # 14
]


def make_truck():
    truck = canvas_from_art(TRUCK_ART, TRUCK_LEGEND)
    mask = Canvas(truck.width, truck.height, WHITE)
    for y, row in enumerate(TRUCK_ART):
        for x, ch in enumerate(row):
            if ch != ".":
                mask.set(x, y, BLACK)
    return truck, mask


def draw_sprite(canvas, truck, mask, x0, y0):
    """What the program shows: the mask AND-ed onto the picture, then the truck XOR-ed onto it.
    With the standard palette that is the truck where the mask is black, the picture elsewhere."""
    for y in range(truck.height):
        for x in range(truck.width):
            if mask.get(x, y) == BLACK:
                canvas.set(x0 + x, y0 + y, truck.get(x, y))


# ---------------------------------------------------------------------------------------------
# The bridge site.

def make_site():
    rng = random.Random(1997)
    c = Canvas(WIDTH, HEIGHT, AQUA)
    sc.draw_sky(c, ROAD_ROW - 1)
    sc.draw_sun(c, 590, 42, 17)
    sc.draw_cloud(c, 86, 52, [(-26, 6, 20, 10), (-6, -2, 22, 16), (18, 4, 22, 12), (38, 8, 14, 8)])
    sc.draw_cloud(c, 300, 34, [(-30, 4, 18, 9), (-10, -3, 20, 12), (12, 0, 18, 11), (32, 5, 14, 7)])
    sc.draw_cloud(c, 462, 92, [(-18, 3, 14, 7), (0, -2, 16, 10), (18, 2, 14, 8)])
    sc.draw_cloud(c, 196, 108, [(-10, 2, 10, 5), (4, -1, 11, 7), (16, 2, 8, 5)])
    sc.draw_bird(c, 372, 72, True)
    sc.draw_bird(c, 386, 80, False)
    sc.draw_bird(c, 361, 86, False)
    # Hills behind the road on both plateaus, with trees; nothing above the span.
    sc.draw_hill(c, 0, LEFT_SUPPORT - 8, 214, ROAD_ROW - 1, ROAD_ROW - 1)
    sc.draw_hill(c, RIGHT_SUPPORT + 8, WIDTH - 1, ROAD_ROW - 1, 206, ROAD_ROW - 1)
    sc.draw_pine(c, 98, 236, 44)
    sc.draw_pine(c, 118, 242, 34)
    sc.draw_pine(c, 10, 222, 38)
    sc.draw_bush(c, rng, 134, 249, 14, 7)
    sc.draw_pine(c, 600, 226, 48)
    sc.draw_pine(c, 624, 220, 40)
    sc.draw_pine(c, 578, 240, 30)
    sc.draw_bush(c, rng, 566, 249, 14, 7)
    sc.draw_gorge(c, rng, STRIP_TOP - 1)
    c.rect(0, STRIP_TOP, WIDTH - 1, HEIGHT - 1, WHITE)
    # The road on both plateaus, reaching the supports.
    sc.draw_road(c, 0, LEFT_SUPPORT)
    sc.draw_road(c, RIGHT_SUPPORT, WIDTH - 1)
    sc.draw_abutment(c, LEFT_SUPPORT, on_left=True)
    sc.draw_abutment(c, RIGHT_SUPPORT, on_left=False)
    return c


# ---------------------------------------------------------------------------------------------
# The title picture.

# The title's letters on a grid of girder cells: capitals 9 cells high, lower case 7 (rows 2..8).
TITLE_GLYPHS = {
    "T": ["#######", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#...", "...#..."],
    "r": [".....", ".....", "#.###", "##...", "#....", "#....", "#....", "#....", "#...."],
    "u": ["......", "......", "#....#", "#....#", "#....#", "#....#", "#....#", "#...##", ".###.#"],
    "s": ["......", "......", ".####.", "#....#", "#.....", ".####.", ".....#", "#....#", ".####."],
    "m": [".........", ".........", "####.###.", "#...#...#", "#...#...#", "#...#...#", "#...#...#",
          "#...#...#", "#...#...#"],
    "i": ["#", ".", "#", "#", "#", "#", "#", "#", "#"],
    "l": ["#.", "#.", "#.", "#.", "#.", "#.", "#.", "#.", "##"],
}


def title_cells(text, gap):
    cells = set()
    x = 0
    for ch in text:
        rows = TITLE_GLYPHS[ch]
        for y, row in enumerate(rows):
            for dx, mark in enumerate(row):
                if mark == "#":
                    cells.add((x + dx, y))
        x += len(rows[0]) + gap
    return cells, x - gap


def draw_girder_text(canvas, cells, x0, y0, cell, fill, dark, light, shadow):
    """Lettering built like steel girders: every cell becomes a cell x cell block of fill colour
    with one diagonal, alternating so that a stroke reads as a Warren truss, the outline of each
    letter dark, its upper-left edges light, and a drop shadow to the lower right."""
    off = max(2, cell // 3)
    for (cx, cy) in cells:
        canvas.rect(x0 + cx * cell + off, y0 + cy * cell + off, x0 + cx * cell + cell - 1 + off,
                    y0 + cy * cell + cell - 1 + off, shadow)
    for (cx, cy) in cells:
        bx, by = x0 + cx * cell, y0 + cy * cell
        canvas.rect(bx, by, bx + cell - 1, by + cell - 1, fill)
        for k in range(cell):
            if (cx + cy) % 2 == 0:
                canvas.set(bx + k, by + k, dark)
            else:
                canvas.set(bx + cell - 1 - k, by + k, dark)
    for (cx, cy) in cells:
        bx, by = x0 + cx * cell, y0 + cy * cell
        if (cx, cy - 1) not in cells:
            canvas.hline(bx, bx + cell - 1, by, dark)
            canvas.hline(bx + 1, bx + cell - 2, by + 1, light)
        if (cx, cy + 1) not in cells:
            canvas.hline(bx, bx + cell - 1, by + cell - 1, dark)
        if (cx - 1, cy) not in cells:
            canvas.vline(bx, by, by + cell - 1, dark)
            canvas.vline(bx + 1, by + 1, by + cell - 2, light)
        if (cx + 1, cy) not in cells:
            canvas.vline(bx + cell - 1, by, by + cell - 1, dark)


def draw_truss_bridge(canvas, left, right, deck, depth, panels, colour, dark):
    """A Pratt through truss between two supports on the road row: chords, verticals and
    diagonals two pixels thick, painted colour with a dark underside."""
    step = (right - left) / panels
    top = deck - depth
    xs = [int(round(left + i * step)) for i in range(panels + 1)]
    members = []
    members.append(((xs[0], deck), (xs[1], top)))
    members.append(((xs[-1], deck), (xs[-2], top)))
    members.append(((xs[1], top), (xs[-2], top)))
    members.append(((xs[0], deck), (xs[-1], deck)))
    for i in range(1, panels):
        members.append(((xs[i], deck), (xs[i], top)))
    half = panels // 2
    for i in range(1, half):
        members.append(((xs[i], top), (xs[i + 1], deck)))
    for i in range(half + 1, panels):
        members.append(((xs[i], top), (xs[i - 1], deck)))
    for (a, b) in members:
        canvas.thick_line(a[0], a[1] + 1, b[0], b[1] + 1, dark, 2)
    for (a, b) in members:
        canvas.thick_line(a[0], a[1], b[0], b[1], colour, 2)
    # Rivet plates at the joints.
    for x in xs:
        for y in (deck, top):
            if y == top and x in (xs[0], xs[-1]):
                continue
            canvas.rect(x - 2, y - 2, x + 2, y + 2, colour)
            canvas.set(x, y, dark)


def draw_mill(canvas, rng):
    """The steel mill where the truck is loaded: silver walls, a saw-tooth roof, windows, a roller
    door and a banded chimney. The wall is plain silver around column 65 from row 216 to the
    road, where the exhaust puff of the parked truck rises."""
    left, right, eaves = 0, 138, 170
    canvas.rect(left, eaves, right, ROAD_ROW - 1, SILVER)
    # Saw-tooth roof: four teeth, glazing on the steep side facing left.
    tooth = (right - left + 1) // 4
    for t in range(4):
        x0 = left + t * tooth
        canvas.polygon([(x0, eaves), (x0 + 0.5, eaves - 18), (x0 + tooth + 0.5, eaves)], GREY)
        canvas.vline(x0, eaves - 18, eaves - 1, AQUA)
        canvas.vline(x0 + 1, eaves - 16, eaves - 1, TEAL)
        canvas.line(x0, eaves - 18, x0 + tooth, eaves, BLACK)
    canvas.hline(left, right, eaves, BLACK)
    canvas.vline(right, eaves, ROAD_ROW - 1, GREY)
    # Vertical wall panels.
    for x in range(left + 10, right, 12):
        canvas.vline(x, eaves + 2, ROAD_ROW - 1, WHITE)
        canvas.vline(x + 1, eaves + 2, ROAD_ROW - 1, GREY)
    # A band of windows high up.
    for x in range(left + 8, 80, 16):
        canvas.rect(x, eaves + 10, x + 9, eaves + 20, NAVY)
        canvas.rect(x + 1, eaves + 11, x + 8, eaves + 19, TEAL)
        canvas.line(x + 2, eaves + 18, x + 6, eaves + 12, AQUA)
        canvas.hline(x, x + 9, eaves + 21, WHITE)
    # Roller door to the right of the parked truck.
    canvas.rect(86, 206, 128, ROAD_ROW - 1, GREY)
    for y in range(208, ROAD_ROW, 3):
        canvas.hline(87, 127, y, SILVER)
    canvas.rect(84, 203, 130, 205, BLACK)
    canvas.vline(85, 206, ROAD_ROW - 1, BLACK)
    canvas.vline(129, 206, ROAD_ROW - 1, BLACK)
    # Name board over the door.
    canvas.rect(84, 188, 130, 199, NAVY)
    font5x9.draw_text(canvas, "STEEL", 93, 190, WHITE)
    # Chimney with red and white bands.
    cx0, cx1, ctop = 16, 27, 96
    canvas.rect(cx0, ctop, cx1, eaves - 1, SILVER)
    for y in range(ctop, eaves, 10):
        canvas.rect(cx0, y, cx1, y + 4, RED)
    canvas.vline(cx1, ctop, eaves - 1, GREY)
    canvas.rect(cx0 - 1, ctop - 2, cx1 + 1, ctop, BLACK)
    # Smoke drifting away to the left.
    for (dx, dy, r) in [(0, -8, 5), (-6, -16, 6), (-14, -22, 7), (-24, -26, 7)]:
        canvas.ellipse(cx0 + 6 + dx, ctop + dy, r, r * 0.8, WHITE)
        canvas.ellipse(cx0 + 7 + dx, ctop + dy + 2, r * 0.7, r * 0.4, SILVER)


def make_title():
    rng = random.Random(48)
    c = Canvas(WIDTH, HEIGHT, AQUA)
    sc.draw_sky(c, ROAD_ROW - 1, fade_rows=200)
    sc.draw_cloud(c, 520, 150, [(-16, 3, 12, 6), (0, -2, 14, 9), (16, 2, 12, 7)])
    sc.draw_cloud(c, 250, 168, [(-12, 2, 10, 5), (2, -1, 11, 7), (14, 2, 8, 5)])
    sc.draw_hill(c, RIGHT_SUPPORT + 8, WIDTH - 1, ROAD_ROW - 1, 200, ROAD_ROW - 1)
    sc.draw_pine(c, 604, 224, 46)
    sc.draw_pine(c, 582, 240, 30)
    draw_mill(c, rng)
    sc.draw_gorge(c, rng, HEIGHT - 1)
    sc.draw_road(c, 0, LEFT_SUPPORT)
    sc.draw_road(c, RIGHT_SUPPORT, WIDTH - 1)
    sc.draw_abutment(c, LEFT_SUPPORT, on_left=True)
    sc.draw_abutment(c, RIGHT_SUPPORT, on_left=False)
    draw_truss_bridge(c, LEFT_SUPPORT, RIGHT_SUPPORT, ROAD_ROW, 48, 8, RED, MAROON)
    c.rect(LEFT_SUPPORT, ROAD_ROW, RIGHT_SUPPORT, ROAD_ROW + 2, GREY)
    c.hline(LEFT_SUPPORT, RIGHT_SUPPORT, ROAD_ROW + 3, BLACK)
    # Title and version.
    cell = 8
    cells, units = title_cells("Trussmill", 2)
    draw_girder_text(c, cells, (WIDTH - 8 - units * cell) // 2, 22, cell, RED, BLACK, YELLOW, NAVY)
    version = "Version 4.8"
    vw = font5x9.text_width(version, 3)
    font5x9.draw_text(c, version, (WIDTH - 8 - vw) // 2 + 2, 112, NAVY, 3)
    font5x9.draw_text(c, version, (WIDTH - 8 - vw) // 2, 110, WHITE, 3)
    # Foot band with the invitation.
    c.rect(0, 374, WIDTH - 1, HEIGHT - 1, NAVY)
    c.hline(0, WIDTH - 1, 374, SILVER)
    line = "Draw a bridge.  Test it.  Send the truck across!"
    lw = font5x9.text_width(line, 2)
    font5x9.draw_text(c, line, (WIDTH - 8 - lw) // 2, 392, YELLOW, 2)
    # The grey behind the puff, whatever the art around it.
    c.rect(PUFF_X, PUFF_TOP, PUFF_X, PUFF_BOTTOM, SILVER)
    return c


# ---------------------------------------------------------------------------------------------
# The program icon: a red truss over a gorge, at 32 x 32 and 16 x 16.

def draw_icon(size):
    """A red Pratt truss over a gorge with a river, inside a black frame."""
    c = Canvas(size, size, AQUA)
    big = size >= 32
    deck = 20 if big else 10
    top = 9 if big else 5
    left, right = (4, 27) if big else (2, 13)
    # Gorge: teal far wall, river with ripples, rock on both sides.
    c.rect(0, deck + 1, size - 1, size - 1, TEAL)
    river = 26 if big else 13
    c.rect(0, river, size - 1, size - 1, BLUE)
    c.hline(0, size - 1, river, AQUA)
    if big:
        c.hline(8, 11, river + 2, WHITE)
        c.hline(17, 21, river + 3, AQUA)
    for (x0, x1) in ((0, left), (right, size - 1)):
        c.rect(x0, deck + 1, x1, size - 1, GREY)
        c.hline(x0, x1, deck + 1, SILVER)
        if big:
            c.hline(x0, x1, deck + 6, BLACK)
            c.hline(x0, x1, deck + 7, SILVER)
    c.vline(left, deck + 2, size - 1, SILVER)
    c.vline(right, deck + 2, size - 1, BLACK)
    # The truss: end posts, top chord, verticals and diagonals sloping down to mid-span.
    red = RED
    if big:
        xs = [4, 10, 16, 21, 27]
        c.line(xs[0], deck, xs[1], top, red)
        c.line(xs[4], deck, xs[3], top, red)
        c.hline(xs[1], xs[3], top, red)
        c.hline(xs[1], xs[3], top - 1, red)
        for x in xs[1:4]:
            c.vline(x, top, deck, red)
        c.line(xs[1], top, xs[2], deck, red)
        c.line(xs[3], top, xs[2], deck, red)
        c.hline(xs[0], xs[4], deck, red)
        c.hline(xs[0], xs[4], deck - 1, red)
        c.hline(xs[0], xs[4], deck + 1, BLACK)
    else:
        c.line(2, deck, 5, top, red)
        c.line(13, deck, 10, top, red)
        c.hline(5, 10, top, red)
        c.vline(5, top, deck, red)
        c.vline(10, top, deck, red)
        c.line(5, top, 7, deck, red)
        c.line(10, top, 8, deck, red)
        c.hline(2, 13, deck, red)
        c.hline(2, 13, deck + 1, BLACK)
    for i in range(size):
        c.set(i, 0, BLACK)
        c.set(i, size - 1, BLACK)
        c.set(0, i, BLACK)
        c.set(size - 1, i, BLACK)
    return c


def make_icons():
    return draw_icon(32), draw_icon(16)


# ---------------------------------------------------------------------------------------------

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(here), "pictures")
    os.makedirs(out, exist_ok=True)
    truck, mask = make_truck()
    icon, small_icon = make_icons()
    pictures = {
        "RcQXBrd": make_site(),
        "RcStartBrd": make_title(),
        "RcTruck": truck,
        "RcTruckm": mask,
        "RcIconQXWIN": icon,
        "RcIconQXWIN16": small_icon,
    }
    for name, canvas in pictures.items():
        write_file(os.path.join(out, name + ".bmp"), bmp4_bytes(canvas))


if __name__ == "__main__":
    main()
