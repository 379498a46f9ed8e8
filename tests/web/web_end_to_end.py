#!/usr/bin/env python3
"""The browser build end to end in headless Chromium: the site served from a local server, the
intro let to end, a session of drags and keys played to the page (the desktop end-to-end run's
session file, a few of the drags with a finger), and the board's pixels compared with
`trussmill-cli replay` of the same session. Then: Save As downloads a file byte-identical to the
replay's save of the same bridge; a file the reader refuses, chosen in the browser's file input,
shows the reader's refusal and leaves the bridge as it was; a second tab shows the notice that
the program is already running.

Usage: web_end_to_end.py SITE_FOLDER TRUSSMILL_CLI EVENTS OUTPUT_FOLDER"""

import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from devtools import Browser  # noqa: E402

SITE, CLI, EVENTS, OUT = sys.argv[1:5]
BOARD = (632, 436)
HIDE_FILE_PICKERS = """for (const name of ['showOpenFilePicker', 'showSaveFilePicker'])
    Object.defineProperty(window, name, {value: undefined, configurable: true});"""
# Every fourth drag of the session is made with a finger rather than the mouse.
TOUCH_EVERY = 4


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(folder):
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_address[1]}/"


def session_lines():
    with open(EVENTS) as f:
        for line in f:
            verb, _, rest = line.strip().partition(" ")
            if verb and not verb.startswith("#"):
                yield verb, rest


def replay_script(extra):
    """The session as the replay takes it, as the desktop run makes it, then the extra lines."""
    lines = []
    for verb, rest in session_lines():
        if verb == "drag":
            x1, y1, x2, y2 = map(int, rest.split())
            lines += [f"move {x1} {y1}", f"press {x1} {y1}", f"drag {(x1 + x2) // 2} {(y1 + y2) // 2}",
                      f"drag {x2} {y2}", f"release {x2} {y2}"]
        elif verb == "replay:":
            lines.append(rest)
    return "\n".join(lines + extra) + "\n"


def replay(name, extra):
    """Replays the session, takes the board's picture, then goes on with the extra lines."""
    script = os.path.join(OUT, name + ".replay")
    png, log = os.path.join(OUT, name + ".png"), os.path.join(OUT, name + ".jsonl")
    with open(script, "w") as f:
        f.write(replay_script([f"png {png}"] + extra))
    # The replay keeps its configuration and unsaved work in a folder of its own, empty at the start.
    state = os.path.join(OUT, "replay-state")
    shutil.rmtree(state, ignore_errors=True)
    subprocess.run([CLI, "replay", script, "--state", state, "--log", log], check=True)
    with open(log) as f:
        return png, [json.loads(line) for line in f]


class Board:
    """Board pixels to the page's coordinates, and what the page is doing."""

    def __init__(self, page):
        self.page = page
        box = page.evaluate("(() => { const r = document.getElementById('board').getBoundingClientRect();"
                            " return [r.left, r.top, r.width, r.height]; })()")
        self.left, self.top, width, _ = box
        self.scale = width / BOARD[0]

    def at(self, x, y):
        return self.left + (x + 0.5) * self.scale, self.top + (y + 0.5) * self.scale

    def settle(self, timeout=30):
        """Until the program waits for input or shows a dialog, with nothing queued."""
        self.page.wait_until("['idle', 'dialog'].includes(document.body.dataset.state)", timeout,
                             "the page settling")

    def drag(self, x1, y1, x2, y2, finger):
        points = [self.at(x1, y1), self.at((x1 + x2) // 2, (y1 + y2) // 2), self.at(x2, y2)]
        if finger:
            self.page.touch("touchStart", points[:1])
            self.page.touch("touchMove", points[1:2])
            self.page.touch("touchMove", points[2:])
            self.page.touch("touchEnd", [])
        else:
            self.page.mouse("mouseMoved", *points[0])
            self.page.mouse("mousePressed", *points[0], buttons=1)
            self.page.mouse("mouseMoved", *points[1], buttons=1)
            self.page.mouse("mouseMoved", *points[2], buttons=1)
            self.page.mouse("mouseReleased", *points[2])


def wait_for_download(folder, count):
    """The newest of the folder's finished downloads, once there are count of them."""
    deadline = time.time() + 20
    while time.time() < deadline:
        done = [os.path.join(folder, n) for n in os.listdir(folder) if not n.endswith(".crdownload")]
        if len(done) >= count:
            return max(done, key=os.path.getmtime)
        time.sleep(0.1)
    fail(f"no download number {count}")


def dialog_text(page):
    return page.wait_until("(() => { const d = document.querySelector('dialog.box[open] .text');"
                           " return d && d.textContent; })()", 20, "a message box")


def main():
    os.makedirs(OUT, exist_ok=True)
    downloads = os.path.join(OUT, "downloads")
    os.makedirs(downloads, exist_ok=True)
    for name in os.listdir(downloads):
        os.remove(os.path.join(downloads, name))
    url = serve(SITE)
    saved = os.path.join(OUT, "WEBTEST.BRG")
    refused = os.path.join(OUT, "NOTABRG.BRG")
    with open(refused, "w") as f:
        f.write("This is not a bridge.\n")
    reference_png, reference_log = replay("reference", [f"choose {saved}", f"command 1004",
                                                        f"choose {refused}", "command 1002"])
    refusal = [e["text"] for e in reference_log if e.get("kind") == "messageBox"][-1]

    browser = Browser()
    try:
        page = browser.new_page()
        # A browser without the file pickers of the File System Access API: files come through the
        # file input and leave as downloads, which a test can answer and collect.
        page.send("Page.addScriptToEvaluateOnNewDocument", {"source": HIDE_FILE_PICKERS})
        page.send("Page.setInterceptFileChooserDialog", {"enabled": True})
        browser.send("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
        started = time.time()
        page.navigate(url)
        page.wait_until("['idle', 'dialog'].includes(document.body.dataset.state)", 60, "the intro ending")
        board = Board(page)
        print(f"the intro ended after {time.time() - started:.1f} s; board scale {board.scale}")

        # 1: the session, then the board against the replay's.
        drags = 0
        for verb, rest in session_lines():
            if verb == "drag":
                board.drag(*map(int, rest.split()), finger=drags % TOUCH_EVERY == TOUCH_EVERY - 1)
                drags += 1
            elif verb == "keys":
                for key in rest.split():
                    board.settle()
                    page.key(key)
            elif verb == "sleep":
                board.settle()
        board.settle(60)
        client = os.path.join(OUT, "client.png")
        with open(client, "wb") as f:
            f.write(page.canvas_png("#board"))
        differing = subprocess.run(["compare", "-metric", "AE", client, reference_png,
                                    os.path.join(OUT, "difference.png")], capture_output=True, text=True).stderr
        if differing.strip() != "0":
            fail(f"{differing.strip()} board pixels differ from the replay's (see {OUT}/difference.png)")
        print("the board equals the replay's")

        # 2: Save As: the name typed into the page's dialog, the file downloaded.
        page.key("ctrl+shift+s")
        page.wait_until("!!document.querySelector('dialog.box[open] input')", 20, "the Save As dialog")
        page.evaluate("document.querySelector('dialog.box[open] input').value = ''")
        page.type_text("WEBTEST")
        page.key("Return")
        downloaded = wait_for_download(downloads, 1)
        if os.path.basename(downloaded) != "WEBTEST.BRG":
            fail(f"Save As downloaded {downloaded}")
        board.settle()
        with open(downloaded, "rb") as a, open(saved, "rb") as b:
            if a.read() != b.read():
                fail("the downloaded bridge differs from the replay's save of the same bridge")
        print("Save As downloads the same bytes as the replay's save")

        # 3: a file the reader refuses, through the browser's file input, leaves the bridge as it
        # was: saved again (to a second download), it is the same file.
        page.key("ctrl+o")
        chooser = browser.wait_event("Page.fileChooserOpened", page.session)
        page.send("DOM.setFileInputFiles", {"files": [refused], "backendNodeId": chooser["params"]["backendNodeId"]})
        text = dialog_text(page)
        if text != refusal:
            fail(f"the refusal reads {text!r}, the replay's {refusal!r}")
        page.key("Return")
        board.settle()
        os.remove(downloaded)
        page.key("ctrl+s")
        again = wait_for_download(downloads, 1)
        with open(again, "rb") as a, open(saved, "rb") as b:
            if a.read() != b.read():
                fail("after the refused file the bridge saves differently")
        print("a refused file shows the reader's message and leaves the bridge as it was")

        # 4: a second tab of the same site.
        second = browser.new_page(url)
        text = dialog_text(second)
        if text != "The Program is already running. Restore from icon.":
            fail(f"the second tab shows {text!r}")
        second.key("Return")
        second.wait_until("document.body.dataset.state === 'ended'", 20, "the second tab ending")
        if page.evaluate("document.body.dataset.state") not in ("idle", "dialog"):
            fail("the first tab stopped too")
        print("a second tab is refused")
        browser.send("Target.closeTarget", {"targetId": second.target})

        # 5: unsaved work outlives its tab: a member drawn, the tab closed (its question about
        # leaving answered), the page opened again and the work taken back (without the results of
        # the last analysis, which were never part of the bridge).
        board.drag(150, 250, 190, 290, finger=False)
        board.settle()
        for key in ("alt+d", "r"):  # Display / Refresh: the last analysis's failed members drawn black
            page.key(key)
        board.settle()
        page.wait_until("localStorage.getItem('trussmill/state/recovery.BRG') !== null", 5, "the kept copy")
        drawn = os.path.join(OUT, "drawn.png")
        with open(drawn, "wb") as f:
            f.write(page.canvas_png("#board"))
        page.evaluate("TM.unsaved = false")
        browser.send("Target.closeTarget", {"targetId": page.target})
        third = browser.new_page(url)
        text = dialog_text(third)
        if text != "Trussmill was closed without saving the changes to WEBTEST. Restore them?":
            fail(f"the page opened again shows {text!r}")
        third.key("Return")
        Board(third).settle()
        restored = os.path.join(OUT, "restored.png")
        with open(restored, "wb") as f:
            f.write(third.canvas_png("#board"))
        # The board above the panels, whose pointer readout follows the mouse.
        differing = subprocess.run(["compare", "-metric", "AE", "-extract", "632x370+0+0", drawn, restored,
                                    "null:"], capture_output=True, text=True).stderr
        if differing.strip() != "0":
            fail(f"{differing.strip()} pixels of the restored board differ from the one drawn")
        print("unsaved work is offered back when the page is opened again")
    finally:
        browser.close()


main()
