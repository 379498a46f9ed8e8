#!/usr/bin/env python3
"""Reads the forces chart of trussmill-cli as an SVG reader would and checks it against the CSV of
the same bridge: the axes from their tick marks and labels, the allowables drawn at their forces,
every force point where it belongs, the controlling position ringed, and exactly the failed
members in red.

Usage: check_forces_chart.py TRUSSMILL_CLI BRIDGE.BRG...
The hand-solved four-panel truss (which fails) is always checked as well."""

import csv
import os
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

SVG = '{http://www.w3.org/2000/svg}'
RED = '#dc0000'
TOLERANCE_PX = 0.2  # coordinates are written with one decimal

WORKED = """RADIV40 DATA FILE
13 8 1 29000.000000 1 1
1 0 0 0 0 0
2 100 0 0 0 0
3 200 0 0 0 0
4 300 0 0 0 0
5 400 0 0 0 0
6 100 50 0 0 0
7 200 50 0 0 0
8 300 50 0 0 0
1 1 2 3 29 5 29000
2 2 3 3 29 5 29000
3 3 4 3 29 5 29000
4 4 5 3 29 5 29000
5 6 7 3 29 5 29000
6 7 8 3 29 5 29000
7 1 6 3 29 5 29000
8 8 5 3 29 5 29000
9 2 6 3 29 5 29000
10 3 7 3 29 5 29000
11 4 8 3 29 5 29000
12 6 3 3 29 5 29000
13 8 3 3 29 5 29000
"""


def fail(message):
    print('FAIL: ' + message)
    sys.exit(1)


def axis(lines, labels, coordinate):
    """value -> pixel, from tick marks and their labels, which must lie on one straight line."""
    ticks = [(float(line.get(coordinate)), float(label.text)) for line, label in zip(lines, labels)]
    if len(ticks) < 2 or len(lines) != len(labels):
        fail('an axis needs at least two labelled ticks, found %d marks and %d labels'
             % (len(lines), len(labels)))
    (p0, v0), (p1, v1) = ticks[0], ticks[-1]
    scale = (p1 - p0) / (v1 - v0)
    for p, v in ticks:
        if abs(p0 + (v - v0) * scale - p) > TOLERANCE_PX:
            fail('tick %g is off its axis (%g px)' % (v, p))
    return lambda value: p0 + (value - v0) * scale


def near(a, b, what):
    if abs(a - b) > TOLERANCE_PX:
        fail('%s: %.2f px where %.2f px was expected' % (what, a, b))


def verdict(tension_allowable, compression_allowable, forces):
    """(failed, governing force) by the program's rules, options off."""
    t = max([0.0] + forces)
    c = -min([0.0] + forces)
    rt = t / tension_allowable * 100.0
    rc = c / compression_allowable * 100.0
    if rt <= 100 and rc <= 100:
        return False, (-c if rc > rt else t)
    if rt <= 100:
        return True, -c
    if rc <= 100:
        return True, t
    return True, (-c if rc >= rt else t)


def check_group(group, row, positions, what):
    member = int(row[0])
    if int(group.get('data-member')) != member:
        fail('%s: panel of member %s where member %d was expected' % (what, group.get('data-member'), member))
    what = '%s member %d' % (what, member)
    tension, compression = float(row[4]), float(row[5])
    forces = [float(v) for v in row[6:]]

    def marks(tag, role):
        return [e for e in group.iter(SVG + tag) if e.get('class') == role]

    x_of = axis(marks('line', 'tick-x'), marks('text', 'tick-x-label'), 'x1')
    y_of = axis(marks('line', 'tick-y'), marks('text', 'tick-y-label'), 'y1')
    labels = [float(t.text) for t in marks('text', 'tick-x-label')]
    if labels[0] != 0 or labels[-1] != 400:
        fail('%s: the truck position axis runs %g..%g ft, not over the 400 ft span' % (what, labels[0], labels[-1]))

    for role, value in (('allowable-tension', tension), ('allowable-compression', -compression)):
        (line,) = marks('line', role)
        near(float(line.get('y1')), y_of(value), what + ' ' + role)
        near(float(line.get('y2')), y_of(value), what + ' ' + role)
        if line.get('stroke-dasharray') is None:
            fail('%s: %s is not dashed' % (what, role))

    (polyline,) = marks('polyline', 'force')
    points = [tuple(map(float, p.split(','))) for p in polyline.get('points').split()]
    if len(points) != len(forces):
        fail('%s: %d force points for %d truck positions' % (what, len(points), len(forces)))
    for (px, py), x, force in zip(points, positions, forces):
        near(px, x_of(x), '%s force at %g ft (x)' % (what, x))
        near(py, y_of(force), '%s force at %g ft (y)' % (what, x))

    failed, governing = verdict(tension, compression, forces)
    if (group.get('data-failed') == '1') != failed or (polyline.get('stroke') == RED) != failed:
        fail('%s: drawn as %s, but the forces say it %s' % (what, polyline.get('stroke'),
                                                            'fails' if failed else 'passes'))
    rings = marks('circle', 'controlling')
    if governing == 0:
        if rings:
            fail('%s: a controlling position is marked on a member that carries nothing' % what)
        return failed
    k = forces.index(governing)
    if len(rings) != 1:
        fail('%s: %d controlling marks' % (what, len(rings)))
    near(float(rings[0].get('cx')), x_of(positions[k]), what + ' controlling position (x)')
    near(float(rings[0].get('cy')), y_of(governing), what + ' controlling position (y)')
    return failed


def check(cli, bridge, folder, flags):
    what = os.path.basename(bridge) + (' ' + ' '.join(flags) if flags else '')
    csv_path = os.path.join(folder, 'forces.csv')
    svg_path = os.path.join(folder, 'forces.svg')
    for out in (csv_path, svg_path):
        subprocess.run([cli, 'forces', bridge, out] + flags, check=True)
    with open(csv_path, newline='') as f:
        rows = list(csv.reader(f))
    positions = [float(h.split(' at ')[1].split()[0]) for h in rows[0][6:]]
    root = ET.parse(svg_path).getroot()
    groups = [g for g in root.iter(SVG + 'g') if g.get('class') == 'member']
    if len(groups) != len(rows) - 1:
        fail('%s: %d panels for %d members' % (what, len(groups), len(rows) - 1))
    failures = sum(check_group(g, row, positions, what) for g, row in zip(groups, rows[1:]))
    print('%s: %d members, %d failed, chart agrees' % (what, len(groups), failures))
    return failures


def main():
    if len(sys.argv) < 2:
        fail(__doc__)
    cli = sys.argv[1]
    with tempfile.TemporaryDirectory() as folder:
        worked = os.path.join(folder, 'WORKED.BRG')
        with open(worked, 'w') as f:
            f.write(WORKED)
        if check(cli, worked, folder, []) != 4:
            fail('the worked example fails its two top chords and two end posts')
        if check(cli, worked, folder, ['--member', '5']) != 1:
            fail('member 5 of the worked example fails')
        check(cli, worked, folder, ['--member', '10'])
        for bridge in sys.argv[2:]:
            if check(cli, bridge, folder, []) != 0:
                fail('the sample bridges pass')
            check(cli, bridge, folder, ['--member', '3'])


if __name__ == '__main__':
    main()
