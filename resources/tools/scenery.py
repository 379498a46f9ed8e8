"""Scenery shared by the bridge site and the title picture: sky, clouds, sun, hills and trees,
the road, and the gorge with its bedded rock faces and river.

Coordinates are picture pixels, column to the right and row downward. The road surface is row
250 at both supports (columns 150 and 550); everything between the supports from row 150 to 320
is where the bridge is drawn, so the scenery there is kept calm: flat aqua sky above the road,
teal shade with faint beds below it, and quiet grey rock where the faces reach in.
"""

import math

from pixels import (AQUA, BLACK, BLUE, GREEN, GREY, LIME, MAROON, NAVY, OLIVE, SILVER, TEAL, WHITE, YELLOW)

WIDTH, HEIGHT = 640, 480
ROAD_ROW = 250  # top of the road surface at both supports; the truck's wheels stand on it
LEFT_SUPPORT, RIGHT_SUPPORT = 150, 550
FLOOR_ROW = 330  # the gorge floor, where a collapsed bridge comes to rest
RIVER_TOP, RIVER_BOTTOM = 331, 346
BANK_TOP = 347


def in_bridge_area(x, y):
    """Where members, rings and grid dots may be drawn, with a small margin."""
    return LEFT_SUPPORT - 4 <= x <= RIGHT_SUPPORT + 4 and 146 <= y <= 320


class ValueNoise:
    """Smooth fractal noise in 0..1 from random values on grids of halving spacing."""

    def __init__(self, rng, spacings=(48, 24, 12, 6, 3)):
        self.octaves = []
        for i, spacing in enumerate(spacings):
            table = [rng.random() for _ in range(64 * 64)]
            self.octaves.append((spacing, 0.55 ** i, table))
        self.total = sum(w for (_, w, _) in self.octaves)

    def __call__(self, x, y):
        value = 0.0
        for (spacing, weight, table) in self.octaves:
            fx, fy = x / spacing, y / spacing
            ix, iy = int(math.floor(fx)), int(math.floor(fy))
            tx, ty = fx - ix, fy - iy
            tx, ty = tx * tx * (3 - 2 * tx), ty * ty * (3 - 2 * ty)
            a = table[(ix & 63) * 64 + (iy & 63)]
            b = table[((ix + 1) & 63) * 64 + (iy & 63)]
            c = table[(ix & 63) * 64 + ((iy + 1) & 63)]
            d = table[((ix + 1) & 63) * 64 + ((iy + 1) & 63)]
            top = a + (b - a) * tx
            bottom = c + (d - c) * tx
            value += weight * (top + (bottom - top) * ty)
        return value / self.total


def shade_ramp(canvas, x, y, level, ramp):
    """Puts a tone level in 0..len(ramp)-1 at (x, y), dithering between neighbouring tones."""
    level = max(0.0, min(len(ramp) - 1.0, level))
    i = min(len(ramp) - 2, int(level))
    canvas.dither(x, y, ramp[i], ramp[i + 1], level - i)


# ---------------------------------------------------------------------------------------------
# Sky

def draw_sky(canvas, bottom, fade_rows=130):
    """Deep blue at the top fading to a flat light aqua from row fade_rows down to bottom."""
    for y in range(bottom + 1):
        f = min(1.0, y / float(fade_rows))
        for x in range(canvas.width):
            canvas.dither(x, y, BLUE, AQUA, f)


def draw_cloud(canvas, cx, cy, puffs):
    """A cloud from overlapping puffs (dx, dy, rx, ry): white, with a silver underside."""
    inside = set()
    for (dx, dy, rx, ry) in puffs:
        for y in range(int(cy + dy - ry), int(cy + dy + ry) + 1):
            for x in range(int(cx + dx - rx), int(cx + dx + rx) + 1):
                if ((x - cx - dx) / rx) ** 2 + ((y - cy - dy) / ry) ** 2 <= 1.0:
                    inside.add((x, y))
    bottom = max(y for (_, y) in inside)
    for (x, y) in inside:
        depth = (y - (cy - 2)) / max(1.0, bottom - (cy - 2))
        if depth > 0.55:
            canvas.dither(x, y, WHITE, SILVER, min(1.0, (depth - 0.55) * 2.6))
        else:
            canvas.set(x, y, WHITE)


def draw_bird(canvas, x, y, flap):
    """A gull seen from afar: a small black 'v', wings up or level."""
    if flap:
        for (dx, dy) in [(-3, -1), (-2, 0), (-1, 1), (0, 0), (1, 1), (2, 0), (3, -1)]:
            canvas.set(x + dx, y + dy, BLACK)
    else:
        for (dx, dy) in [(-3, 0), (-2, 0), (-1, 1), (0, 0), (1, 1), (2, 0), (3, 0)]:
            canvas.set(x + dx, y + dy, BLACK)


def draw_sun(canvas, cx, cy, r):
    for y in range(cy - r - 6, cy + r + 7):
        for x in range(cx - r - 6, cx + r + 7):
            d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
            if d <= r - 4:
                canvas.set(x, y, WHITE if d < r * 0.45 else YELLOW)
            elif d <= r:
                canvas.set(x, y, YELLOW)
            elif d <= r + 6:
                canvas.dither(x, y, canvas.get(x, y), WHITE, 0.5 * (r + 6 - d) / 6.0)


# ---------------------------------------------------------------------------------------------
# Land above the road

def draw_hill(canvas, x0, x1, top_left, top_right, bottom):
    """A grassy hill behind the road, its top curving from top_left (at x0) to top_right (at x1),
    lit from the right."""
    for x in range(x0, x1 + 1):
        t = (x - x0) / max(1, x1 - x0)
        s = 0.5 - 0.5 * math.cos(math.pi * t)
        top = int(round(top_left + (top_right - top_left) * s))
        for y in range(top, bottom + 1):
            canvas.dither(x, y, GREEN, OLIVE, 0.12 if (y - top) > 10 else 0.0)
        canvas.set(x, top, LIME)
        if (x * 7) % 5 == 0:
            canvas.set(x, top + 1, LIME)


def draw_pine(canvas, x, base, height):
    """A fir tree standing at (x, base): green tiers lit on the right in lime, a maroon trunk."""
    canvas.rect(x - 1, base - 5, x + 1, base, MAROON)
    canvas.vline(x + 1, base - 5, base, BLACK)
    tiers = 4
    top = base - height
    for t in range(tiers):
        ty = top + t * (height - 6) // tiers
        by = ty + (height - 6) // tiers + 6
        half = 4 + t * 3
        canvas.polygon([(x + 0.5, ty), (x + half + 1.0, by), (x - half, by)], GREEN)
        for yy in range(ty + 1, by):
            w = (yy - ty) * half / (by - ty)
            canvas.set(int(round(x + w)), yy, LIME)
            if (yy + t) % 3 == 0:
                canvas.set(int(round(x + w)) - 1, yy, LIME)
        canvas.hline(x - half, x + half // 2, by - 1, BLACK if t < tiers - 1 else GREEN)
    canvas.set(x, top, LIME)


def draw_bush(canvas, rng, x, base, w, h):
    for _ in range(6):
        cx = x + rng.uniform(-w / 2, w / 2)
        canvas.ellipse(cx, base - h / 2, w / 3, h / 2, GREEN)
    for _ in range(10):
        canvas.set(int(x + rng.uniform(-w / 3, w / 2)), int(base - rng.uniform(h * 0.4, h)), LIME)


def draw_road(canvas, x0, x1):
    """The road in side view: asphalt from row 250 to 252, a black edge under it."""
    canvas.rect(x0, ROAD_ROW, x1, ROAD_ROW + 2, GREY)
    canvas.hline(x0, x1, ROAD_ROW + 3, BLACK)


def draw_abutment(canvas, x_face, on_left):
    """A concrete bearing seat under a support, flush with the rock face."""
    x0, x1 = (x_face - 12, x_face) if on_left else (x_face, x_face + 12)
    top, bottom = ROAD_ROW + 3, ROAD_ROW + 17
    canvas.rect(x0, top, x1, bottom, SILVER)
    canvas.hline(x0 + 1, x1 - 1, top + 1, WHITE)
    canvas.hline(x0, x1, bottom + 1, BLACK)
    # Lit from the right: the right edge white, the left edge grey.
    canvas.vline(x1, top + 1, bottom, WHITE)
    canvas.vline(x0, top + 1, bottom, GREY)


# ---------------------------------------------------------------------------------------------
# The gorge

class Beds:
    """The rock beds, shared by both faces and the far wall so that they line up across the
    gorge. Bed i runs from row top(i, x) down to top(i + 1, x)."""

    def __init__(self, rng, top, bottom, thin=7, thick=22):
        self.noise = ValueNoise(rng, spacings=(40, 20, 10))
        self.beds = []
        y = top - rng.randint(0, thick)
        while y < bottom + thick:
            self.beds.append((y, rng.uniform(-0.02, 0.02), rng.uniform(1.5, 4.0), rng.uniform(0, 500)))
            y += rng.randint(thin, thick)
        self.warm = [rng.random() < 0.3 for _ in self.beds]
        self.light = [rng.random() < 0.2 for _ in self.beds]
        self.jut = [rng.randint(-4, 4) for _ in self.beds]

    def top(self, i, x):
        y, tilt, wander, offset = self.beds[i]
        return y + tilt * (x - 320) + wander * (self.noise(x + offset, offset) - 0.5) * 2.0

    def index(self, x, y):
        i = 0
        while i + 1 < len(self.beds) and self.top(i + 1, x) <= y:
            i += 1
        return i


def profile(points, y):
    """The column of a face at row y, interpolated between (column, row) points."""
    for (xa, ya), (xb, yb) in zip(points, points[1:]):
        if ya <= y <= yb:
            return xa + (xb - xa) * (y - ya) / max(1, yb - ya)
    return points[-1][0] if y > points[-1][1] else points[0][0]


def face_region(beds, points, on_left, top, bottom):
    """The pixels of one rock mass: every column up to its face (from the left mass) or from its
    face (right mass), each bed jutting out or stepping back a few pixels."""
    region = set()
    for y in range(top, bottom + 1):
        x_face = profile(points, y)
        for x in range(WIDTH):
            jut = beds.jut[beds.index(int(x_face), y)] if y > top + 3 else 0
            edge = x_face + jut
            if (on_left and x <= edge) or (not on_left and x >= edge):
                region.add((x, y))
    return region


def rock_fill(canvas, rng, beds, region, face_lit):
    """Bedded rock: each bed lit on its top lip (silver), grey on its face and shadowed towards
    its underside, some beds warmer (olive), a few jagged cracks. The face towards the gorge is
    lit (silver rim) or in shade (black rim) as face_lit says. In the bridge area the tones are
    held to grey and silver and there are no cracks, so that lines drawn over it stay clear."""
    noise = ValueNoise(rng, spacings=(12, 6, 3))
    for (x, y) in region:
        i = beds.index(x, y)
        b_top = beds.top(i, x)
        b_bottom = beds.top(i + 1, x) if i + 1 < len(beds.beds) else b_top + 30
        depth = (y - b_top) / max(1.0, b_bottom - b_top)
        grain = noise(x * 1.5, y * 1.5) - 0.5
        if y - b_top < 1.0:
            level = 3.0  # lit lip
        elif b_bottom - y < 1.5:
            level = 0.2  # shadow line under the bed
        else:
            level = 2.3 - 2.0 * max(0.0, depth - 0.5) + (0.5 if beds.light[i] else 0.0) + 1.3 * grain
        calm = in_bridge_area(x, y)
        if calm:
            level = 2.0 + 0.5 * max(0.0, min(1.0, level - 2.0))
        mid = OLIVE if beds.warm[i] and not calm else GREY
        shade_ramp(canvas, x, y, level, [BLACK, GREY, mid, SILVER])
    # The rim of the face towards the gorge, two pixels wide.
    for (x, y) in region:
        outer = (x + 1, y) not in region or (x - 1, y) not in region
        inner = (x + 2, y) not in region or (x - 2, y) not in region
        if x in (0, WIDTH - 1):
            continue
        # In the bridge area the shaded rim is a soft navy dither, not a black line that could
        # be taken for a member.
        dark = NAVY if in_bridge_area(x, y) else BLACK
        if outer:
            if face_lit:
                canvas.set(x, y, SILVER)
            elif dark == BLACK:
                canvas.set(x, y, BLACK)
            else:
                canvas.dither(x, y, GREY, NAVY, 0.5)
        elif inner and not face_lit:
            canvas.dither(x, y, canvas.get(x, y), dark, 0.5)
    # Cracks outside the bridge area: short jagged walks down, lit on their right.
    xs = [x for (x, _) in region]
    ys = [y for (_, y) in region]
    for _ in range(len(region) // 600):
        x = rng.randint(min(xs), max(xs))
        y = rng.randint(min(ys), max(ys))
        for _ in range(rng.randint(4, 12)):
            if (x, y) not in region or (x + 1, y) not in region or in_bridge_area(x, y):
                break
            canvas.set(x, y, BLACK)
            canvas.set(x + 1, y, SILVER)
            y += 1
            x += rng.choice((-1, 0, 0, 1))


def draw_far_wall(canvas, rng, beds, top, bottom):
    """The far side of the gorge in teal shade, its beds (the same as the near faces') marked
    only by faint grey lips, thinning out downwards, so that the bridge over it stays clear."""
    canvas.rect(0, top, WIDTH - 1, bottom, TEAL)
    for i in range(1, len(beds.beds)):
        for x in range(WIDTH):
            y = int(round(beds.top(i, x)))
            if top + 4 <= y <= bottom and beds.noise(x * 2.0, y) > 0.40 + 0.25 * (y - top) / (bottom - top):
                canvas.dither(x, y, TEAL, GREY, 0.55)
    # The far rim lies a little lower than the road: the sky shows down to it, over a ragged edge
    # of turf with a bush here and there.
    for x in range(WIDTH):
        rim = top + 2 + max(0, int(round(28.0 * (beds.noise(x * 0.6, 900.0) - 0.3) + 4.0 * beds.noise(x * 3.0, 950.0))))
        for y in range(top, rim):
            canvas.set(x, y, AQUA)
        depth = 1 + (1 if rng.random() < 0.5 else 0) + (1 if rng.random() < 0.2 else 0)
        for y in range(rim, rim + depth):
            canvas.set(x, y, GREEN)
        if rng.random() < 0.05:
            canvas.rect(x, rim - 2, x + rng.randint(2, 4), rim - 1, GREEN)
    # Below the bridge area the wall darkens into the depth of the gorge, and scree lies along
    # the far bank at the floor.
    for y in range(321, bottom + 1):
        for x in range(WIDTH):
            canvas.dither(x, y, TEAL, NAVY, 0.15 + 0.5 * (y - 321) / max(1, bottom - 321))
    x = 0
    while x < WIDTH:
        w = rng.randint(3, 9)
        h = rng.randint(2, 4)
        canvas.ellipse(x + w / 2.0, bottom - h / 2.0 + 1, w / 2.0, h / 2.0 + 0.5, GREY)
        canvas.hline(int(x + w * 0.4), int(x + w * 0.8), int(bottom - h + 1), SILVER)
        x += w + rng.randint(0, 6)


def draw_river(canvas, rng, top, bottom):
    for y in range(top, bottom + 1):
        for x in range(WIDTH):
            canvas.set(x, y, BLUE)
    canvas.hline(0, WIDTH - 1, top, AQUA)
    # Ripples: short light dashes near the surface, a few dark ones deeper down.
    for _ in range(WIDTH * (bottom - top) // 28):
        y = rng.randint(top + 2, bottom)
        x = rng.randint(0, WIDTH - 1)
        n = rng.randint(3, 9)
        colour = WHITE if rng.random() < 0.25 else AQUA
        if y > top + (bottom - top) * 0.6 and rng.random() < 0.5:
            colour = NAVY
        canvas.hline(x, min(WIDTH - 1, x + n), y, colour)


def draw_boulder(canvas, cx, cy, rx, ry):
    canvas.ellipse(cx, cy, rx, ry, GREY)
    canvas.ellipse(cx + rx * 0.25, cy - ry * 0.3, rx * 0.55, ry * 0.45, SILVER)
    for y in range(int(cy - ry) - 1, int(cy + ry) + 2):
        for x in range(int(cx - rx) - 1, int(cx + rx) + 2):
            inside = ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0
            below = ((x - cx) / rx) ** 2 + ((y + 1 - cy) / ry) ** 2 <= 1.0
            left = ((x - 1 - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0
            if inside and (not below or not left):
                canvas.set(x, y, BLACK)


def draw_near_bank(canvas, rng, top, bottom):
    """The near river bank along the foot of the picture: turf, tufts and boulders."""
    for y in range(top, bottom + 1):
        for x in range(WIDTH):
            canvas.dither(x, y, GREEN, OLIVE, 0.25 + 0.5 * (y - top) / max(1, bottom - top))
    canvas.hline(0, WIDTH - 1, top, LIME)
    for _ in range(140):
        x = rng.randint(0, WIDTH - 1)
        y = rng.randint(top + 1, bottom - 2)
        canvas.vline(x, y - rng.randint(1, 3), y, LIME if rng.random() < 0.6 else GREEN)
    for (cx, cy, rx, ry) in [(40, 356, 16, 8), (118, 362, 11, 6), (205, 353, 9, 5), (262, 364, 13, 6),
                             (352, 357, 8, 4), (430, 363, 15, 7), (505, 352, 10, 5), (585, 360, 18, 9),
                             (625, 352, 9, 5)]:
        if cy + ry < bottom:
            draw_boulder(canvas, cx, cy, rx, ry)
    canvas.hline(0, WIDTH - 1, bottom, BLACK)


LEFT_FACE = [(LEFT_SUPPORT, 254), (LEFT_SUPPORT + 1, 266), (LEFT_SUPPORT - 1, 276), (LEFT_SUPPORT + 3, 288),
             (LEFT_SUPPORT + 6, 300), (LEFT_SUPPORT + 6, 310), (LEFT_SUPPORT + 12, 318), (LEFT_SUPPORT + 20, 327),
             (LEFT_SUPPORT + 30, 334), (LEFT_SUPPORT + 44, 340), (LEFT_SUPPORT + 62, BANK_TOP)]
RIGHT_FACE = [(RIGHT_SUPPORT, 254), (RIGHT_SUPPORT - 2, 265), (RIGHT_SUPPORT + 1, 277), (RIGHT_SUPPORT - 4, 289),
              (RIGHT_SUPPORT - 6, 301), (RIGHT_SUPPORT - 10, 311), (RIGHT_SUPPORT - 13, 320),
              (RIGHT_SUPPORT - 21, 328), (RIGHT_SUPPORT - 32, 335), (RIGHT_SUPPORT - 46, 341),
              (RIGHT_SUPPORT - 66, BANK_TOP)]


def draw_gorge(canvas, rng, bottom):
    """Everything under the road from row 251 to bottom: the far wall, the river on the gorge
    floor, the two rock masses whose faces drop from the supports, and the near bank."""
    beds = Beds(rng, ROAD_ROW + 4, BANK_TOP)
    draw_far_wall(canvas, rng, beds, ROAD_ROW + 1, RIVER_TOP - 1)
    draw_river(canvas, rng, RIVER_TOP, RIVER_BOTTOM)
    left = face_region(beds, LEFT_FACE, True, ROAD_ROW + 4, BANK_TOP - 1)
    right = face_region(beds, RIGHT_FACE, False, ROAD_ROW + 4, BANK_TOP - 1)
    rock_fill(canvas, rng, beds, left, face_lit=True)
    rock_fill(canvas, rng, beds, right, face_lit=False)
    draw_near_bank(canvas, rng, BANK_TOP, bottom)
