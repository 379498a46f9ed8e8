"""Reads exported DXF drawings with ezdxf, strictly, and audits them.

Usage: check_dxf.py FILE=LINES ...   (LINES: how many LINE entities the drawing must hold)
Fails when a file does not load strictly, when the audit finds errors or has to fix anything,
or when the lines are not what the exporter promises: layer "0", flat, whole inches.
"""
import sys

import ezdxf
from ezdxf import recover


def check(path, expected_lines):
    problems = []
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:  # any failure to load is a finding
        return [f"does not load: {error}"]
    auditor = doc.audit()
    problems += [f"audit error: {e.message}" for e in auditor.errors]
    problems += [f"audit had to fix: {f.message}" for f in auditor.fixes]
    _, recovered = recover.readfile(path)
    problems += [f"recover error: {e.message}" for e in recovered.errors]

    lines = doc.modelspace().query("LINE")
    if len(lines) != expected_lines:
        problems.append(f"{len(lines)} LINE entities, expected {expected_lines}")
    for line in lines:
        start, end = line.dxf.start, line.dxf.end
        if line.dxf.layer != "0":
            problems.append(f"LINE on layer {line.dxf.layer!r}")
        if start.z != 0 or end.z != 0:
            problems.append(f"LINE off the plane: {start} {end}")
        if any(v != int(v) for v in (start.x, start.y, end.x, end.y)):
            problems.append(f"LINE not in whole inches: {start} {end}")
    if tuple(doc.header["$EXTMAX"])[:2] != (1800, 480):
        problems.append(f"$EXTMAX is {doc.header['$EXTMAX']}")
    return problems


def main(arguments):
    if not arguments:
        print(__doc__)
        return 2
    failed = False
    for argument in arguments:
        path, _, count = argument.rpartition("=")
        problems = check(path, int(count))
        print(f"{path}: {'; '.join(problems) if problems else 'no errors'}")
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
