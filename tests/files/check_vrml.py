"""Renders exported VRML scenes off screen with view3dscene and reads what it logged.

Usage: check_vrml.py FILE.WRL ...
Each scene is opened by view3dscene under xvfb-run, in a scratch home folder, and a screenshot
FILE.png is saved beside it. view3dscene exits 0 even when it cannot parse a file, so the verdict
comes from its log (any warning or error about the file fails) and from the screenshot (it must
show more than the background).
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib

# The viewer warns about its own start-up on every run; that line says nothing about the file.
START_UP_NOTICE = "ApplicationConfig("


def png_pixels(path):
    """Width, height and rows of RGB(A) byte tuples of an 8-bit truecolour PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, idat, width, height, channels = 8, b"", 0, 0, 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            if depth != 8 or colour not in (2, 6):
                raise ValueError(f"unexpected PNG depth {depth} colour type {colour}")
            channels = 3 if colour == 2 else 4
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        filter_type = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            up_left = previous[i - channels] if i >= channels else 0
            if filter_type == 1:
                line[i] = (line[i] + left) & 0xFF
            elif filter_type == 2:
                line[i] = (line[i] + up) & 0xFF
            elif filter_type == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif filter_type == 4:
                p = left + up - up_left
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - up_left)
                predictor = left if pa <= pb and pa <= pc else up if pb <= pc else up_left
                line[i] = (line[i] + predictor) & 0xFF
        rows.append([tuple(line[i:i + 3]) for i in range(0, stride, channels)])
        previous = line
    return width, height, rows


def check(path):
    path = os.path.abspath(path)
    screenshot = os.path.splitext(path)[0] + ".png"
    if os.path.exists(screenshot):
        os.remove(screenshot)
    problems = []
    with tempfile.TemporaryDirectory(prefix="view3dscene-") as home:
        env = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, "config"))
        try:
            run = subprocess.run(["xvfb-run", "-a", "view3dscene", path, "--screenshot", "0", screenshot],
                                 env=env, capture_output=True, text=True, timeout=300)
        except FileNotFoundError:
            return ["xvfb-run is missing (install xvfb, xauth and view3dscene)"]
        if run.returncode != 0:
            problems.append(f"view3dscene exited with {run.returncode}: {run.stderr.strip()}")
        log_path = os.path.join(home, "config", "view3dscene", "view3dscene.log")
        try:
            with open(log_path, encoding="utf-8", errors="replace") as f:
                log = f.read().splitlines()
        except OSError:
            return problems + ["view3dscene wrote no log"]
    if not any(line.startswith("Loaded ") for line in log):
        problems.append("the log does not say the scene was loaded")
    for line in log:
        if (line.startswith("Warning") or "Error" in line) and START_UP_NOTICE not in line:
            problems.append(line.strip())
    if not os.path.exists(screenshot):
        return problems + ["no screenshot"]
    width, height, rows = png_pixels(screenshot)
    background = rows[0][0]
    drawn = sum(1 for row in rows for pixel in row if pixel != background)
    if drawn < width * height // 100:
        problems.append(f"the screenshot is nearly empty ({drawn} of {width * height} pixels drawn)")
    return problems


def main(paths):
    if not paths:
        print(__doc__)
        return 2
    failed = False
    for path in paths:
        problems = check(path)
        print(f"{path}: {'; '.join(problems) if problems else 'rendered without warnings'}")
        failed = failed or bool(problems)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
