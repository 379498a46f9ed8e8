#!/usr/bin/env python3
"""Reads the class page of trussmill-cli grade --html with Python's own HTML parser and checks it
against analyze --json of the same bridges: one row per file in the ranked order, copied designs
linked to rows that exist, each readable bridge drawn from its joints with exactly its failed
members marked, the worst member's force chart for each failed bridge, the unreadable files'
reasons, names with markup and non-ASCII bytes shown as they are, and nothing loaded from elsewhere.

Usage: check_class_report.py TRUSSMILL_CLI EXAMPLES_FOLDER"""

import html.parser
import json
import os
import shutil
import subprocess
import sys
import tempfile


def fail(message):
    print('FAIL: ' + message)
    sys.exit(1)


class Page(html.parser.HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.ids, self.anchors, self.outside = [], [], []
        self.rows, self.charts = [], {}
        self.row = self.figure = self.drawing = None
        self.in_body = self.in_file = False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        classes = (a.get('class') or '').split()
        if 'id' in a:
            self.ids.append(a['id'])
        for name, value in attrs:
            if name in ('src', 'href', 'xlink:href', 'action', 'srcset', 'poster', 'data') and \
                    not (value or '').startswith('#'):
                self.outside.append('%s=%s' % (name, value))
        if tag in ('link', 'img', 'iframe', 'object', 'embed', 'base', 'use', 'image'):
            self.outside.append('<%s>' % tag)
        if tag == 'tbody':
            self.in_body = True
        elif tag == 'tr' and self.in_body:
            self.row = {'id': a.get('id'), 'text': '', 'file': '', 'drawings': [], 'links': []}
            self.rows.append(self.row)
        elif tag == 'td' and 'file' in classes:
            self.in_file = True
        elif tag == 'a' and a.get('href', '').startswith('#'):
            self.anchors.append(a['href'][1:])
            if self.row is not None:
                self.row['links'].append(a['href'][1:])
        elif tag == 'svg' and 'bridge' in classes and self.row is not None:
            self.drawing = []
            self.row['drawings'].append(self.drawing)
        elif tag == 'line' and 'member' in classes and self.drawing is not None:
            ends = sorted([(float(a['x1']), float(a['y1'])), (float(a['x2']), float(a['y2']))])
            self.drawing.append((int(a['data-member']), ends, 'failed' in classes))
        elif tag == 'figure':
            self.figure = self.charts.setdefault(a.get('id'), [])
        elif tag == 'g' and 'member' in classes and self.figure is not None:
            self.figure.append((int(a['data-member']), a['data-failed'] == '1'))

    def handle_endtag(self, tag):
        if tag == 'tbody':
            self.in_body = False
        elif tag == 'tr':
            self.row = None
        elif tag == 'td':
            self.in_file = False
        elif tag == 'svg':
            self.drawing = None
        elif tag == 'figure':
            self.figure = None

    def handle_data(self, data):
        if self.row is not None:
            self.row['text'] += data
            if self.in_file:
                self.row['file'] += data


def main():
    cli, examples = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix='class-report-')
    try:
        cls = os.path.join(work, 'class')
        os.makedirs(os.path.join(cls, 'a<b&c'))
        for name in ('PRATT', 'HOWE', 'WARREN', 'DECK'):
            shutil.copy(os.path.join(examples, name + '.BRG'), cls)
        copy = os.path.join(cls, 'a<b&c', 'Zoë "copy".BRG')
        shutil.copy(os.path.join(examples, 'PRATT.BRG'), copy)
        with open(os.path.join(os.fsencode(cls), b'lat\xe9.BRG'), 'w') as f:
            f.write('not a bridge')
        rules = os.path.join(work, 'contest.trussmill-assignment')
        with open(rules, 'w') as f:
            f.write('title = Bridges & <trusses>\ndead_load = yes\nmax_joints = 16\n')
        page_path = os.path.join(work, 'class.html')
        gone = os.path.join(work, 'gone.BRG')
        run = subprocess.run([cli, 'grade', '--html', page_path, '--assignment', rules, cls, gone],
                             capture_output=True)
        if run.returncode != 0 or run.stdout:
            fail('grade --html: status %d, output %r %r' % (run.returncode, run.stdout, run.stderr))
        raw = open(page_path, encoding='utf-8').read()
        page = Page()
        page.feed(raw)
        page.close()

        # The bridges as the analysis sees them, under the assignment's dead load.
        bridges = {}
        for path in ('PRATT', 'HOWE', 'WARREN', 'DECK', copy):
            path = path if path == copy else os.path.join(cls, path + '.BRG')
            out = subprocess.run([cli, 'analyze', '--json', '--dead-load', path], capture_output=True, check=True)
            bridges[path] = json.loads(out.stdout)
        shown = {path: os.path.relpath(path, work) for path in bridges}
        shown.update({'latin': 'class/laté.BRG', gone: 'gone.BRG'})

        # One row per file, found by the name the page shows; ranked passed, failed, unreadable.
        if len(page.rows) != 7:
            fail('%d rows for 7 files' % len(page.rows))
        if len(set(page.ids)) != len(page.ids):
            fail('ids repeat')
        rows = {}
        for key, name in shown.items():
            found = [r for r in page.rows if r['file'] == name]
            if len(found) != 1:
                fail('%r names %d rows (%s)' % (name, len(found), [r['file'] for r in page.rows]))
            rows[key] = found[0]
        rank = sorted(bridges, key=lambda p: (bridges[p]['failed'], bridges[p]['totalWeight'], p.encode()))
        expected = [rows[p]['id'] for p in rank] + [rows['latin']['id'], rows[gone]['id']]
        if [r['id'] for r in page.rows] != expected:
            fail('rows in the order %s, not %s' % ([r['id'] for r in page.rows], expected))
        if 'not a bridge file' not in rows['latin']['text'] or 'No such file' not in rows[gone]['text']:
            fail('an unreadable row does not say why')
        if '17 joints; the assignment allows 16' not in rows[os.path.join(cls, 'WARREN.BRG')]['text']:
            fail('the Warren truss breaks no rule')

        # Links go to anchors that exist; the copies link to each other.
        missing = [a for a in page.anchors if a not in page.ids]
        if missing:
            fail('links to missing anchors: %s' % missing)
        pratt = rows[os.path.join(cls, 'PRATT.BRG')]
        if rows[copy]['id'] not in pratt['links'] or pratt['id'] not in rows[copy]['links']:
            fail('the copied designs do not link to each other')

        # Each readable bridge drawn once from its joints, its failed members marked; a force
        # chart of the worst member for each failed bridge, and none for the others.
        charts = 0
        for path, b in bridges.items():
            drawings = rows[path]['drawings']
            if len(drawings) != 1:
                fail('%s has %d drawings' % (path, len(drawings)))
            joints = {j['index']: (j['x'], j['y']) for j in b['joints']}
            want = sorted((m['index'], sorted([joints[m['startJoint']], joints[m['endJoint']]]),
                           m['forceRatio'] == 1000) for m in b['members'])
            if sorted(drawings[0]) != want:
                fail('%s is not drawn as its joints and failures say' % path)
            if b['failed']:
                charts += 1
                worst = max(b['members'], key=lambda m: m['forceRatio'])['index']
                chart = [a for a in rows[path]['links'] if a.startswith('chart-')]
                if not chart or page.charts.get(chart[0]) != [(worst, True)]:
                    fail('%s has no chart of its failed member %d' % (path, worst))
        if len(page.charts) != charts or charts != 3:
            fail('%d charts for %d failed bridges' % (len(page.charts), charts))
        for key in ('latin', gone):
            if rows[key]['drawings']:
                fail('an unreadable file is drawn')

        # Self-contained, and the assignment's title as written.
        if page.outside or 'http:' in raw or 'https:' in raw or 'url(' in raw or '@import' in raw:
            fail('the page refers outside itself: %s' % page.outside)
        if '<title>Bridges &amp; &lt;trusses&gt;</title>' not in raw:
            fail('the title is not escaped')
    finally:
        shutil.rmtree(work)
    print('ok')


main()
