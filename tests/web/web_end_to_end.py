#!/usr/bin/env python3
"""The browser build end to end in headless Chromium: the site served from a local server, the
intro let to end, a session of drags and keys played to the page (the desktop end-to-end run's
session file, a few of the drags with a finger), and the board's pixels compared with
`trussmill-cli replay` of the same session. Then: Save As downloads a file byte-identical to the
replay's save of the same bridge; a file the reader refuses, chosen in the browser's file input,
shows the reader's refusal and leaves the bridge as it was; a second tab shows the notice that
the program is already open and starts once the first is gone; unsaved work outlives its tab.
Commands are chosen from the menus by mouse clicks, by a press dragged to an item and by finger
taps; help opens beside the board and closes with Escape; a phone-sized window fits the board to
its width; the site works offline. The core of the run (a sample opened by its link, Calculate by
mouse, a member drawn) is played in Firefox as well, through WebDriver BiDi.

With a contest server's program as well, a class contest is run on it from the browser.

Usage: web_end_to_end.py SITE_FOLDER TRUSSMILL_CLI EVENTS OUTPUT_FOLDER [TRUSSMILL_SERVER]"""

import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from bidi import Firefox  # noqa: E402
from devtools import Browser  # noqa: E402

SITE, CLI, EVENTS, OUT = map(os.path.abspath, sys.argv[1:5])
BOARD = (632, 436)
HIDE_FILE_PICKERS = """for (const name of ['showOpenFilePicker', 'showSaveFilePicker'])
    Object.defineProperty(window, name, {value: undefined, configurable: true});"""
# A site served over plain http, where the browser offers no Web Locks.
HIDE_WEB_LOCKS = "Object.defineProperty(navigator, 'locks', {value: undefined, configurable: true});"
# Every fourth drag of the session is made with a finger rather than the mouse.
TOUCH_EVERY = 4
# axe-core, as tests/web/package-lock.json pins it, and the rules it checks the page against.
AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "node_modules", "axe-core", "axe.min.js")
WCAG_AA = ["wcag2a", "wcag2aa", "wcag21a", "wcag21aa"]


def fail(message):
    print(f"FAIL: {message}", file=sys.stderr)
    sys.exit(1)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    """The site, and under /class/ the files a teacher put beside it (OUTPUT_FOLDER/class)."""

    def log_message(self, *args):
        pass

    def translate_path(self, path):
        if path.startswith("/class/"):
            name = urllib.parse.unquote(path[len("/class/"):].split("?")[0])
            return os.path.join(OUT, "class", os.path.basename(name))
        return super().translate_path(path)


def serve(folder):
    """The folder on a local server: its address, and the server, to stop it."""
    handler = functools.partial(QuietHandler, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_address[1]}/", server


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
    # A replay keeps its configuration and unsaved work to itself, starting empty.
    subprocess.run([CLI, "replay", script, "--log", log], check=True)
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


class Menus:
    """The menu bar as a user reaches it: titles and items by their labels, chosen by mouse or finger."""

    def __init__(self, page):
        self.page = page

    def centre(self, path):
        """Where the title or item at path (["Display", "Joint Snap", "10"]) is on the page, once shown."""
        found = self.page.evaluate(f"""(() => {{
            const path = {json.dumps(path)};
            const label = (e) => e.querySelector('.label').textContent;
            let at = [...document.querySelectorAll('#menubar .top')].find((t) => label(t) === path[0]);
            for (const name of path.slice(1)) at = at && at.submenu.entries.find((e) => label(e) === name);
            const r = at && at.getBoundingClientRect();
            return r && r.width ? [r.left + r.width / 2, r.top + r.height / 2] : null; }})()""")
        if not found:
            fail(f"{' / '.join(path)} is not shown")
        return found

    def click(self, x, y):
        self.page.mouse("mouseMoved", x, y)
        self.page.mouse("mousePressed", x, y, buttons=1)
        self.page.mouse("mouseReleased", x, y)

    def tap(self, x, y):
        self.page.touch("touchStart", [(x, y)])
        self.page.touch("touchEnd", [])

    def choose(self, path, how):
        """By "click" or "tap" on each of path in turn, or by a mouse press on the title "drag"ged
        through the submenus to the item and released there."""
        if how == "drag":
            x, y = self.centre(path[:1])
            self.page.mouse("mouseMoved", x, y)
            self.page.mouse("mousePressed", x, y, buttons=1)
            for depth in range(2, len(path) + 1):
                x, y = self.centre(path[:depth])
                self.page.mouse("mouseMoved", x, y, buttons=1)
            self.page.mouse("mouseReleased", x, y)
            return
        for depth in range(1, len(path) + 1):
            (self.click if how == "click" else self.tap)(*self.centre(path[:depth]))

    def open_titles(self):
        return self.page.evaluate("[...document.querySelectorAll('#menubar .open')].length")

    def checked(self, path):
        return self.page.evaluate(f"""(() => {{
            const path = {json.dumps(path)};
            const label = (e) => e.querySelector('.label').textContent;
            let at = [...document.querySelectorAll('#menubar .top')].find((t) => label(t) === path[0]);
            for (const name of path.slice(1)) at = at.submenu.entries.find((e) => label(e) === name);
            return at.classList.contains('checked'); }})()""")


def compare_board(page, reference, name, area=None, canvas="#board"):
    """How many pixels of the board (or another canvas) differ from the reference picture (or its
    area, "WxH+X+Y"), as compare counts them: "0" when none."""
    shown = os.path.join(OUT, name + ".png")
    with open(shown, "wb") as f:
        f.write(page.canvas_png(canvas))
    extract = ["-extract", area] if area else []
    return subprocess.run(["compare", "-metric", "AE", *extract, shown, reference,
                           os.path.join(OUT, name + "-difference.png")], capture_output=True, text=True).stderr.strip()


def same_pixels(page, reference, name, area=None, canvas="#board"):
    """Fails unless the board (or another canvas) shows the reference picture (or its area)."""
    differing = compare_board(page, reference, name, area, canvas)
    if differing != "0":
        fail(f"{differing} pixels of {name} differ from {reference}")


def cli(*arguments):
    subprocess.run([CLI, *arguments], check=True)


def new_tab(browser, url=None):
    """A tab of a browser without the file pickers of the File System Access API: files come through
    the file input and leave as downloads, which a test can answer and collect."""
    page = browser.new_page()
    page.send("Page.addScriptToEvaluateOnNewDocument", {"source": HIDE_FILE_PICKERS})
    page.send("Page.setInterceptFileChooserDialog", {"enabled": True})
    if url:
        page.navigate(url)
    return page


def wait_for_download(folder, count):
    """The newest of the folder's finished downloads, once there are count of them."""
    deadline = time.time() + 20
    while time.time() < deadline:
        done = [os.path.join(folder, n) for n in os.listdir(folder) if not n.endswith(".crdownload")]
        if len(done) >= count:
            return max(done, key=os.path.getmtime)
        time.sleep(0.1)
    fail(f"no download number {count}")


def save_as(page, downloads):
    """Save As by its keys, WEBTEST typed into the page's dialog; the downloaded file."""
    page.key("ctrl+shift+s")
    page.wait_until("!!document.querySelector('dialog.box[open] input')", 20, "the Save As dialog")
    page.evaluate("document.querySelector('dialog.box[open] input').value = ''")
    page.type_text("WEBTEST")
    page.key("Return")
    return wait_for_download(downloads, 1)


def dialog_text(page):
    return page.wait_until("(() => { const d = document.querySelector('dialog.box[open] .text');"
                           " return d && d.textContent; })()", 20, "a message box")


def no_violations(page, state, window="window"):
    """axe-core's WCAG 2.0 and 2.1 A and AA rules find nothing on the page, or in a frame of it."""
    if not page.evaluate(f"!!{window}.axe"):
        if not os.path.exists(AXE):
            fail(f"{AXE} is missing: scripts/setup-debian installs it (npm ci in tests/web)")
        with open(AXE) as f:
            page.evaluate(f"{window}.eval({json.dumps(f.read())})")
    found = page.evaluate(f"{window}.axe.run({window}.document, {{runOnly: {{type: 'tag', values: {WCAG_AA}}}}})"
                          ".then((r) => r.violations.map((v) => v.id + ': ' +"
                          " v.nodes.map((n) => n.target.join(' ')).join(', ')))", await_promise=True)
    if found:
        fail(f"axe-core finds against WCAG 2.1 AA {state}: {found}")


def named(page, role, start):
    """The name Chromium's accessibility tree gives the first node of a role that is not hidden."""
    page.send("Accessibility.enable")
    nodes = page.send("Accessibility.getFullAXTree")["nodes"]
    names = [n.get("name", {}).get("value", "") for n in nodes
             if n.get("role", {}).get("value") == role and not n.get("ignored")]
    if not names or not names[0].startswith(start):
        fail(f"the accessibility tree names its {role} nodes {names}, not {start!r}...")


def focus_ring(page, what):
    """The ring around what has the keyboard stands out from what it is drawn on by 3:1."""
    found = page.evaluate("""(() => {
        const luminance = (colour) => {
            const [r, g, b] = colour.match(/[\\d.]+/g).slice(0, 3).map((v) => {
                v /= 255; return v <= 0.03928 ? v / 12.92 : Math.pow((v + 0.055) / 1.055, 2.4); });
            return 0.2126 * r + 0.7152 * g + 0.0722 * b; };
        const behind = (e) => { for (; e; e = e.parentElement) { const c = getComputedStyle(e).backgroundColor;
            if (!c.startsWith('rgba') || !c.endsWith(', 0)')) return c; } return 'rgb(255, 255, 255)'; };
        let at = document.activeElement;
        if (at === document.getElementById('board')) at = document.getElementById('window');
        const style = getComputedStyle(at);
        let ring = style.outlineColor, under = behind(at.parentElement);
        if (style.outlineStyle === 'none' || parseFloat(style.outlineWidth) === 0) {
            const cell = at.querySelector('td');
            const shadow = cell ? getComputedStyle(cell).boxShadow : 'none';
            if (shadow === 'none') return [at.outerHTML.slice(0, 80), 0];
            ring = shadow.match(/rgba?\\([^)]*\\)/)[0];
            under = behind(cell);
        }
        const [a, b] = [luminance(ring), luminance(under)];
        return [at.id || at.tagName, (Math.max(a, b) + 0.05) / (Math.min(a, b) + 0.05)]; })()""")
    if found[1] < 3:
        fail(f"the focus ring of {what} ({found[0]}) stands out by only {found[1]:.2f}:1")


def main():
    os.makedirs(OUT, exist_ok=True)
    downloads = os.path.join(OUT, "downloads")
    os.makedirs(downloads, exist_ok=True)
    for name in os.listdir(downloads):
        os.remove(os.path.join(downloads, name))
    url, server = serve(SITE)
    saved = os.path.join(OUT, "WEBTEST.BRG")
    refused = os.path.join(OUT, "NOTABRG.BRG")
    with open(refused, "w") as f:
        f.write("This is not a bridge.\n")
    reference_png, reference_log = replay("reference", [f"choose {saved}", f"command 1004",
                                                        f"choose {refused}", "command 1002"])
    refusal = [e["text"] for e in reference_log if e.get("kind") == "messageBox"][-1]

    browser = Browser()
    try:
        page = new_tab(browser)
        browser.send("Browser.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
        started = time.time()
        page.navigate(url)
        page.wait_until("['idle', 'dialog'].includes(document.body.dataset.state)", 60, "the intro ending")
        board = Board(page)
        print(f"the intro ended after {time.time() - started:.1f} s; board scale {board.scale}")
        no_violations(page, "after the intro")

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
        downloaded = save_as(page, downloads)
        if os.path.basename(downloaded) != "WEBTEST.BRG":
            fail(f"Save As downloaded {downloaded}")
        board.settle()
        with open(downloaded, "rb") as a, open(saved, "rb") as b:
            if a.read() != b.read():
                fail("the downloaded bridge differs from the replay's save of the same bridge")
        # A download may yet be blocked or cancelled: the page says where the file went and that a copy
        # stays, and that copy outlasts the files kept after it (eight exports, say).
        note = page.evaluate("document.getElementById('toast').textContent")
        if note != "WEBTEST.BRG was downloaded. A copy is also kept under File in this browser.":
            fail(f"after the download the page says {note!r}")
        kept = page.evaluate("""(() => {
            const bridge = TM.keptList()[0];
            for (let i = 1; i <= 9; ++i) {
                FS.mkdirTree('/files/export' + i);
                FS.writeFile('/files/export' + i + '/WEBTEST.DXF', 'drawing');
                TM.keepFile('/files/export' + i + '/WEBTEST.DXF');
            }
            return [bridge, TM.keptList().includes(bridge), localStorage.getItem('trussmill/file:' + bridge) !== null];
            })()""")
        if not kept[0].endswith("/WEBTEST.BRG") or not kept[1] or not kept[2]:
            fail(f"the kept copy of the open bridge was evicted: {kept}")
        print("Save As downloads the same bytes as the replay's save, and says where they went")

        # 3: a file the reader refuses, through the browser's file input, leaves the bridge as it
        # was: saved again (to a second download), it is the same file.
        page.key("ctrl+o")
        chooser = browser.wait_event("Page.fileChooserOpened", page.session)
        page.send("DOM.setFileInputFiles", {"files": [refused], "backendNodeId": chooser["params"]["backendNodeId"]})
        text = dialog_text(page)
        if text != refusal:
            fail(f"the refusal reads {text!r}, the replay's {refusal!r}")
        # The box as a screen reader finds it: a dialog named for the program, its text, its button ringed.
        no_violations(page, "with a message box open")
        named(page, "dialog", "Trussmill")
        focus_ring(page, "the message box's button")
        page.key("Return")
        board.settle()
        os.remove(downloaded)
        page.key("ctrl+s")
        again = wait_for_download(downloads, 1)
        with open(again, "rb") as a, open(saved, "rb") as b:
            if a.read() != b.read():
                fail("after the refused file the bridge saves differently")
        print("a refused file shows the reader's message and leaves the bridge as it was")

        # 4: a second tab of the same site (kept, to start again once the first tabs are gone).
        second = new_tab(browser, url)
        text = dialog_text(second)
        if text != ("Trussmill is already open in another tab of this browser. Use that tab, or close it and "
                    "reload this one."):
            fail(f"the second tab shows {text!r}")
        second.key("Return")
        second.wait_until("document.body.dataset.state === 'ended'", 20, "the second tab ending")
        if page.evaluate("document.body.dataset.state") not in ("idle", "dialog"):
            fail("the first tab stopped too")
        print("a second tab is refused")
        keyboard_only(page, board, downloads, saved)

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
        third = new_tab(browser, url)
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

        menus_by_mouse_and_touch(browser, third)
        help_beside_the_board(third)
        views_of_the_results(third)
        live_results_and_the_mechanism(third)
        narrow_windows(third)

        # The second tab starts once the only running one is gone.
        third.evaluate("TM.unsaved = false")
        browser.send("Target.closeTarget", {"targetId": third.target})
        second.evaluate("document.querySelector('#ended button').click()")
        second.wait_until("!!document.body && document.body.dataset.state === 'idle'", 60,
                          "the second tab starting again")
        if second.evaluate("!!document.querySelector('dialog.box[open]')"):
            fail(f"the second tab started with a message: {dialog_text(second)!r}")
        print("the refused tab starts again once the other is closed")
        assignment_links(browser, second, url)
        odd_names_and_stops(second, url)
        tabs_without_web_locks(browser, url)
        offline(second, server)
    finally:
        browser.close()
    firefox_core()
    if len(sys.argv) > 5:
        contest_in_the_browser(os.path.abspath(sys.argv[5]))


def menus_by_mouse_and_touch(browser, page):
    """Commands chosen with the mouse and with a finger, on the page holding restored work."""
    menus = Menus(page)
    board = Board(page)
    # A click outside an open menu closes it and does nothing else.
    menus.choose(["Edit"], "click")
    if menus.open_titles() != 1:
        fail("a click on Edit does not open its menu")
    no_violations(page, "with a menu open")
    menus.click(board.left / 2, board.top + 200)
    if menus.open_titles() or page.evaluate("document.body.dataset.state") != "idle":
        fail("a click outside the menu did more than close it")
    # File / Open... by mouse: the unsaved work's question answered with the Y key, then the file input.
    menus.choose(["File", "Open..."], "click")
    text = dialog_text(page)
    if "Do you want to continue?" not in text:
        fail(f"File / Open... asks {text!r}")
    page.key("y")
    chooser = browser.wait_event("Page.fileChooserOpened", page.session)
    sample = os.path.join(SITE, "examples", "PRATT.BRG")
    page.send("DOM.setFileInputFiles", {"files": [sample], "backendNodeId": chooser["params"]["backendNodeId"]})
    board.settle()
    # Mode / Calculate by finger taps: the board then is what the command-line tool draws of it.
    menus.choose(["Mode", "Calculate"], "tap")
    board.settle(60)
    review = os.path.join(OUT, "PRATT-review.png")
    cli("render", "--review", sample, review)
    same_pixels(page, review, "calculated-by-touch")
    # Print names the document after the bridge, which names a PDF saved from the browser's dialog.
    page.evaluate("window.print = () => { window.printedAs = document.title; }")
    menus.choose(["File", "Print..."], "click")
    if page.wait_until("window.printedAs", 20, "the print dialog") != "PRATT":
        fail(f"the page printed as {page.evaluate('window.printedAs')!r}")
    board.settle()
    # The browser's own keys are not offered.
    offered = page.evaluate("Object.values(TM.menu.items).map((i) => i.querySelector('.keys').textContent)")
    if {"Ctrl+N", "Ctrl+Q", "Ctrl+W"} & set(offered):
        fail(f"the menus offer keys the browser keeps: {offered}")
    # A site that no contest server serves has no contest to submit to.
    if not page.evaluate("TM.menu.items[9051].hidden"):
        fail("File / Submit to Contest... is offered on a site no contest server serves")
    # Submenu items: one by a mouse press dragged through the submenu, one by finger taps.
    menus.choose(["Display", "Joint Snap", "10"], "drag")
    board.settle()
    menus.choose(["Display", "Coordinate Snap", "2"], "tap")
    board.settle()
    if menus.open_titles() or not menus.checked(["Display", "Joint Snap", "10"]) or \
            not menus.checked(["Display", "Coordinate Snap", "2"]):
        fail("the submenu items chosen by mouse and finger did not take")
    # A press on a title dragged off the menus and released chooses nothing.
    x, y = menus.centre(["Mode"])
    page.mouse("mouseMoved", x, y)
    page.mouse("mousePressed", x, y, buttons=1)
    page.mouse("mouseMoved", *menus.centre(["Mode", "Build"]), buttons=1)
    page.mouse("mouseMoved", board.left / 2, board.top + 200, buttons=1)
    page.mouse("mouseReleased", board.left / 2, board.top + 200)
    if menus.open_titles():
        fail("a press dragged off the menus left one open")
    same_pixels(page, review, "dragged-off")
    print("menus work by mouse click, by a press dragged to the item and by finger taps")


def odd_names_and_stops(page, url):
    """A bridge whose name holds a bare % opens by its link; a page the program stopped on says that
    the unsaved work is kept, and the next start offers it back."""
    os.makedirs(os.path.join(OUT, "class"), exist_ok=True)
    odd = os.path.join(OUT, "class", "100%.BRG")
    shutil.copy(os.path.join(SITE, "examples", "WARREN.BRG"), odd)
    page.navigate(url + "?open=class/100%25.BRG")
    Board(page).settle(60)
    board = Board(page)  # measured once the program has shown the board
    if page.evaluate("!!document.querySelector('dialog.box[open]')"):
        fail(f"100%.BRG opened by its link shows {dialog_text(page)!r}")
    built = os.path.join(OUT, "odd-name.png")
    cli("render", odd, built)
    same_pixels(page, built, "odd-name")
    # The service worker keeps the newest twenty of such files, not all of them.
    kept = page.evaluate("Promise.all([...Array(25).keys()].map((i) => fetch('class/100%25.BRG?copy=' + i)))"
                         ".then(() => new Promise((done) => setTimeout(done, 1000)))"
                         ".then(() => caches.open('trussmill-extras')).then((c) => c.keys()).then((k) => k.length)",
                         await_promise=True)
    if not 1 <= kept <= 20:
        fail(f"the service worker keeps {kept} of 25 other files")
    board.drag(150, 250, 190, 290, finger=False)
    board.settle()
    page.wait_until("localStorage.getItem('trussmill/state/' + TM.recoveryName()) !== null", 5, "the kept copy")
    page.evaluate("setTimeout(() => abort('stopped by the test'), 0)")
    page.wait_until("document.body.dataset.state === 'stopped'", 10, "the program stopping")
    text = page.evaluate("document.getElementById('ended').textContent")
    if "are kept: they are offered back when Trussmill starts again" not in text:
        fail(f"the stopped page says {text!r}")
    page.evaluate("document.querySelector('#ended button').click()")
    text = dialog_text(page)
    if text != "Trussmill was closed without saving the changes to 100%. Restore them?":
        fail(f"after the stop the next start asks {text!r}")
    page.key("n")
    board.settle()
    print("a bridge named 100%.BRG opens by its link; work on a stopped page is offered back")


def tabs_without_web_locks(browser, url):
    """Without Web Locks every tab runs and keeps its unsaved work under a name of its own: one tab's
    clean exit leaves another's, and a later tab offers the copy of one that is gone."""
    tabs = []
    for _ in range(2):
        tab = new_tab(browser)
        tab.send("Page.addScriptToEvaluateOnNewDocument", {"source": HIDE_WEB_LOCKS})
        tab.navigate(url)
        Board(tab).settle(60)
        Board(tab).drag(150, 250, 190, 290, finger=False)
        Board(tab).settle()
        tab.wait_until("localStorage.getItem('trussmill/state/' + TM.recoveryName()) !== null", 5, "a tab's copy")
        tabs.append((tab, tab.evaluate("TM.recoveryName()")))
    if tabs[0][1] == tabs[1][1] or "recovery-tab-" not in tabs[0][1]:
        fail(f"two tabs keep their work as {tabs[0][1]} and {tabs[1][1]}")
    first, second = tabs
    Menus(first[0]).choose(["File", "Exit"], "click")
    first[0].key("y")  # leave the changes
    first[0].key("Return")  # the notice on the way out
    first[0].wait_until("document.body.dataset.state === 'ended'", 10, "the first tab ending")
    kept = second[0].evaluate(f"[localStorage.getItem('trussmill/state/{first[1]}'),"
                              f" localStorage.getItem('trussmill/state/{second[1]}') !== null]")
    if kept != [None, True]:
        fail(f"one tab's clean exit left copies {kept}")
    second[0].evaluate("TM.unsaved = false")
    for tab, _ in tabs:
        browser.send("Target.closeTarget", {"targetId": tab.target})
    later = new_tab(browser)
    later.send("Page.addScriptToEvaluateOnNewDocument", {"source": HIDE_WEB_LOCKS})
    later.navigate(url)
    text = dialog_text(later)
    if text != "Trussmill was closed without saving the changes to UNTITLED. Restore them?":
        fail(f"a later tab asks {text!r}")
    later.key("y")
    Board(later).settle()
    taken = later.evaluate(f"[localStorage.getItem('trussmill/state/{second[1]}'),"
                           " localStorage.getItem('trussmill/state/' + TM.recoveryName()) !== null]")
    if taken != [None, True]:
        fail(f"the copy taken back stays where it was or is not the new tab's: {taken}")
    later.evaluate("TM.unsaved = false")
    browser.send("Target.closeTarget", {"targetId": later.target})
    print("without Web Locks each tab keeps its own copy, and a later tab offers the copy of one gone")


def assignment_links(browser, page, url):
    """An assignment opened by a link is shown above the board and closed from there; the options it
    fixes say so; a link to one that cannot be loaded leaves none in force."""
    page.navigate(url + "?assignment=examples/contest.trussmill-assignment")
    Board(page).settle(60)
    state = "(() => { const bar = document.getElementById('assignment'); const item = TM.menu.items[6001];" \
            " return {shown: !!bar && !bar.hidden && bar.textContent, greyed: item.classList.contains('disabled')," \
            " tip: item.title}; })()"
    shown = page.evaluate(state)
    if "Spring bridge contest" not in (shown["shown"] or "") or not shown["greyed"] or \
            shown["tip"] != "Set by the assignment Spring bridge contest":
        fail(f"the assignment in force shows as {shown}")
    page.evaluate("document.querySelector('#assignment button').click()")
    page.wait_until("document.getElementById('assignment').hidden", 10, "the assignment closing")
    if page.evaluate(state)["greyed"]:
        fail("the options stay greyed once the assignment is closed")
    Menus(page).choose(["File", "Open Assignment..."], "click")
    chooser = browser.wait_event("Page.fileChooserOpened", page.session)
    page.send("DOM.setFileInputFiles", {"files": [os.path.join(SITE, "examples", "contest.trussmill-assignment")],
                                        "backendNodeId": chooser["params"]["backendNodeId"]})
    page.wait_until("!document.getElementById('assignment').hidden", 10, "the assignment opened again")
    start_refused(page, url + "?assignment=examples/GONE.trussmill-assignment",
                  "The assignment this page was opened with (examples/GONE.trussmill-assignment) could not be "
                  "loaded: the server answered 404 File not found.")
    if page.evaluate(state)["shown"] or page.evaluate(state)["greyed"]:
        fail("the assignment kept from before stays in force after a link to one that cannot be loaded")
    print("an assignment's link shows it above the board; one that cannot be loaded leaves none in force")


def start_refused(page, address, expected):
    """The page opened at address refuses the file it names with the expected message, then goes on."""
    page.navigate(address)
    text = dialog_text(page)
    if text != expected:
        fail(f"{address} shows {text!r}")
    page.key("Return")
    Board(page).settle()


def offline(page, server):
    """With the server gone and the computer offline, the site and its samples still open from what
    the service worker kept; a file it did not keep is refused in plain words."""
    page.evaluate("navigator.serviceWorker.ready.then(() => caches.keys())", await_promise=True)
    page.wait_until("navigator.serviceWorker.controller !== null", 20, "the service worker taking the page")
    server.shutdown()
    server.server_close()
    page.send("Network.enable")
    page.send("Network.emulateNetworkConditions",
              {"offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
    address = page.evaluate("location.origin + location.pathname")
    sample = os.path.join(SITE, "examples", "PRATT.BRG")
    built = os.path.join(OUT, "PRATT-build.png")
    cli("render", sample, built)
    page.navigate(address + "?open=examples/PRATT.BRG")
    Board(page).settle(60)
    same_pixels(page, built, "offline-sample")
    start_refused(page, address + "?open=examples/ELSEWHERE.BRG",
                  "The bridge this page was opened with (examples/ELSEWHERE.BRG) could not be loaded: "
                  "this computer is offline.")
    print("offline, the site and its samples open, and a file it did not keep is refused in plain words")


def firefox_core():
    """The run's core in Firefox: a sample opened by its link, Calculate chosen by mouse, a member drawn."""
    url, server = serve(SITE)
    firefox = Firefox()
    try:
        page = firefox.new_page(url + "?open=examples/PRATT.BRG")
        page.wait_until("document.body.dataset.state === 'idle'", 90, "the intro ending in Firefox")
        sample = os.path.join(SITE, "examples", "PRATT.BRG")
        review = os.path.join(OUT, "PRATT-review.png")
        cli("render", "--review", sample, review)
        menus = Menus(page)
        board = Board(page)
        menus.choose(["Mode", "Calculate"], "click")
        board.settle(60)
        same_pixels(page, review, "firefox-calculated")
        menus.choose(["Mode", "Build"], "click")
        board.settle()
        board.drag(150, 250, 190, 290, finger=False)
        board.settle()
        script = os.path.join(OUT, "firefox.replay")
        drawn = os.path.join(OUT, "firefox-reference.png")
        with open(script, "w") as f:
            f.write("command 5002\ncommand 5001\nmove 150 250\npress 150 250\ndrag 170 270\ndrag 190 290\n"
                    f"release 190 290\npng {drawn}\n")
        subprocess.run([CLI, "replay", script, "--open", sample], check=True)
        same_pixels(page, drawn, "firefox-drawn")
        # The member table by mouse: a row for each member (the sample's and the one drawn), one
        # selected by a click, then closed.
        menus.choose(["Display", "Member Table"], "click")
        rows = "document.querySelectorAll('#members tbody tr')"
        count = page.wait_until(f"{rows}.length", 10, "the member table in Firefox")
        menus.click(*centre(page, "#members tbody tr:nth-child(3) td"))
        selected = page.wait_until("document.querySelector('#members tr[aria-selected=true]')?.member", 5,
                                   "a row selected in Firefox")
        menus.click(*centre(page, "#members .buttons button:last-child"))
        expected = subprocess.run([CLI, "members", sample], capture_output=True, text=True, check=True).stdout
        if count != expected.count("\n") or selected != 3 or menus.checked(["Display", "Member Table"]):
            fail(f"in Firefox the table shows {count} rows, selects {selected}, is left checked")
        print("in Firefox too: a sample opened by its link, Calculate by mouse, a member drawn, the member table")
    finally:
        firefox.close()
        server.shutdown()


def help_beside_the_board(page):
    """Help beside the board where the page has room (the board at its actual size), below it where
    there is none (zoomed in), never over it."""
    page.key("ctrl+0")
    for key, name in (("F1", "Getting Started"), ("shift+F1", "Menu Commands")):
        page.key(key)
        page.wait_until("(() => { const f = document.querySelector('#help[open] iframe');"
                        " return f && f.contentDocument && f.contentDocument.readyState === 'complete'"
                        " && f.contentDocument.body && f.contentDocument.body.childElementCount > 0; })()",
                        10, f"help on {name}")
        placed = page.evaluate("""(() => {
            const help = document.getElementById('help').getBoundingClientRect();
            const board = document.getElementById('board').getBoundingClientRect();
            const page = document.querySelector('#help iframe').contentDocument.documentElement;
            return {beside: help.left >= board.right, level: Math.abs(help.top - board.top) < 40,
                    sideways: page.scrollWidth - page.clientWidth}; })()""")
        if not placed["beside"] or not placed["level"]:
            fail(f"help on {name} is not beside the board: {placed}")
        if placed["sideways"] > 0:
            fail(f"help on {name} scrolls sideways by {placed['sideways']} px")
    with open(os.path.join(OUT, "help.png"), "wb") as f:
        f.write(page.screenshot())
    no_violations(page, "with help open")
    no_violations(page, "in the help", "document.querySelector('#help iframe').contentWindow")
    page.key("ctrl+=")
    page.wait_until("document.getElementById('help').getBoundingClientRect().top >="
                    " document.getElementById('board').getBoundingClientRect().bottom", 10, "the help below the board")
    page.key("Escape")
    if page.evaluate("document.getElementById('help').open"):
        fail("Escape does not close the help")
    print("help opens beside the board, fits its width and closes with Escape")


def views_of_the_results(page):
    """The member table and a member's chart on the calculated PRATT.BRG, by mouse, finger and keys;
    then the deflected shape's load cases stepped by the board's arrow keys."""
    sample = os.path.join(SITE, "examples", "PRATT.BRG")
    menus = Menus(page)
    page.key("ctrl+0")
    board = Board(page)
    # What a screen reader finds in the menus: the open menu expanded, named; options with their
    # check marks as menuitemcheckbox, commands as menuitem.
    menus.click(*menus.centre(["Display"]))
    roles = page.evaluate("""(() => { const top = [...document.querySelectorAll('#menubar .top')]
        .find((t) => t.querySelector('.label').textContent === 'Display');
        const item = (name) => top.submenu.entries.find((e) => e.querySelector('.label').textContent === name);
        return [top.getAttribute('aria-expanded'), top.submenu.getAttribute('aria-label'),
                item('Refresh').getAttribute('role'), item('Joint Snap').submenu.entries[2].getAttribute('role'),
                item('Joint Snap').submenu.entries[2].getAttribute('aria-checked')]; })()""")
    if roles != ["true", "Display", "menuitem", "menuitemcheckbox", "true"]:
        fail(f"the Display menu tells a screen reader {roles}")
    page.key("Escape")
    menus.choose(["Display", "Member Table"], "click")
    rows = "[...document.querySelectorAll('#members tbody tr')]"
    page.wait_until(f"{rows}.length > 0", 10, "the member table")
    no_violations(page, "with the member table open")
    # Tab jumps between joints on the board: Escape then Tab takes the keyboard to the table, whose
    # controls are ringed, and Shift+Tab back to the board, which is ringed too.
    page.evaluate("document.getElementById('board').focus()")
    page.key("Escape")
    page.key("Tab")
    if not page.evaluate("document.getElementById('members').contains(document.activeElement)"):
        fail(f"Escape then Tab on the board takes the keyboard to {page.evaluate('document.activeElement.outerHTML')}")
    focus_ring(page, "the table's first heading")
    page.key("Tab")
    focus_ring(page, "a heading of the table")
    page.key("shift+Tab")
    page.key("shift+Tab")
    if page.evaluate("document.activeElement.id") != "board":
        fail("Shift+Tab from the table does not bring the keyboard back to the board")
    focus_ring(page, "the board")
    members = json.loads(subprocess.run([CLI, "members", sample, "--json"], capture_output=True, text=True,
                                        check=True).stdout)
    shown = page.evaluate(f"{rows}.map((r) => [...r.cells].map((c) => c.querySelector('select') ?"
                          " c.querySelector('select').value : c.textContent))")
    five = members[4]
    force, sense = shown[4][5].split()
    if len(shown) != len(members) or shown[4][:4] != [str(five["index"]), str(five["startJoint"]),
                                                      str(five["endJoint"]), str(five["size"])] or \
            abs(float(force) - abs(five["force"])) > 5e-4 * abs(five["force"]) or \
            sense != "TC"[five["force"] < 0] or shown[4][10] != five["status"]:
        fail(f"the table shows {len(shown)} rows, member 5 as {shown[4]}, where members --json has {five}")
    # Copy: the rows as shown, as `members` writes them.
    page.evaluate("navigator.clipboard.writeText = (text) => { window.copied = text; return Promise.resolve(); }")
    menus.click(*centre(page, "#members .buttons button"))
    written = subprocess.run([CLI, "members", sample], capture_output=True, text=True, check=True).stdout
    if page.wait_until("window.copied", 5, "the copied table") != written:
        fail(f"Copy puts {page.evaluate('window.copied')!r} on the clipboard, members writes {written!r}")
    # Sorted by a click on a heading, a second click the other way; equal lengths in member order.
    lengths = [(m["length"], m["index"]) for m in members]
    for clicks, order in ((1, sorted(lengths)), (2, sorted(lengths, key=lambda m: (-m[0], m[1])))):
        menus.click(*centre(page, "#members th:nth-child(5) button"))
        if page.evaluate(f"{rows}.map((r) => r.member)") != [m for _, m in order]:
            fail(f"after {clicks} click(s) on Length the rows are in the order {page.evaluate(f'{rows}.map((r) => r.member)')}")
    # A tap on a row selects its member on the board; member 1's is the board `render --review` draws.
    review = os.path.join(OUT, "PRATT-review.png")
    tap = lambda row: menus.tap(*centre(page, f"#members tbody tr:nth-child({row})"))  # noqa: E731

    tap(1)
    board.settle()
    longest = page.evaluate("document.querySelector('#members tr[aria-selected=true]').member")
    differing = compare_board(page, review, "longest-selected")
    tap(page.evaluate(f"{rows}.findIndex((r) => r.member === 1)") + 1)
    board.settle()
    if longest == 1 or differing == "0":
        fail(f"a tap on the longest member's row selects {longest} and leaves the board as member 1's")
    same_pixels(page, review, "member-1-selected", area="632x370+0+0")
    # A size from the list (by its keys, as the list's own popup is the browser's) is one undo step
    # and goes back to Build mode.
    size = "document.querySelector('#members tr[aria-selected=true] select').value"
    before = page.evaluate(size)
    page.evaluate("document.querySelector('#members tr[aria-selected=true] select').focus()")
    page.key("Down")
    board.settle()
    if page.evaluate(size) != str(int(before) + 1) or not menus.checked(["Mode", "Build"]):
        fail(f"a size chosen from the list shows {page.evaluate(size)} (was {before}), Build mode "
             f"{menus.checked(['Mode', 'Build'])}")
    page.key("ctrl+z")
    board.settle()
    if page.evaluate(size) != before:
        fail(f"Ctrl+Z leaves the size at {page.evaluate(size)}, not {before}")
    # After Calculate, a double click on a row opens the chart of its member's force.
    menus.choose(["Mode", "Calculate"], "click")
    board.settle(60)
    # The board's name and the live region say the verdict, as a screen reader reads them.
    name = page.evaluate("document.getElementById('board').getAttribute('aria-label')")
    said = page.evaluate("document.getElementById('announcements').textContent")
    if not name.startswith("Bridge PRATT, 16 joints, 29 members, ") or "passed; worst member" not in name or \
            not said.startswith("Bridge passed, "):
        fail(f"after Calculate the board is named {name!r} and the live region says {said!r}")
    named(page, "image", "Bridge PRATT, 16 joints, 29 members, ")
    named(page, "menubar", "Menu")
    # (member 1's, which stays selected for the board's pictures below)
    row = page.evaluate(f"{rows}.findIndex((r) => r.member === 1)") + 1
    x, y = centre(page, f"#members tbody tr:nth-child({row}) td:nth-child(2)")
    member = 1
    for clicks in (1, 2):
        page.mouse("mousePressed", x, y, buttons=1, clicks=clicks)
        page.mouse("mouseReleased", x, y, clicks=clicks)
    page.wait_until("TM.pictureOpen()", 10, "the chart")
    chart = os.path.join(OUT, f"PRATT-forces-{member}.png")
    cli("forces", sample, chart, "--member", str(member))
    same_pixels(page, chart, "chart", canvas="#picture canvas")
    with open(os.path.join(OUT, "results-wide.png"), "wb") as f:
        f.write(page.screenshot())
    page.send("Emulation.setDeviceMetricsOverride", {"width": 390, "height": 844, "deviceScaleFactor": 3,
                                                     "mobile": True})
    page.wait_until("window.innerWidth === 390", 10, "the narrow window")
    with open(os.path.join(OUT, "results-narrow.png"), "wb") as f:
        f.write(page.screenshot())
    page.send("Emulation.clearDeviceMetricsOverride")
    # Escape closes the chart, the table's button the table, and the menu's check goes.
    page.key("Escape")
    menus.click(*centre(page, "#members .buttons button:last-child"))
    board.settle()
    if page.evaluate("TM.pictureOpen() || !TM.table.panel.hidden") or menus.checked(["Display", "Member Table"]):
        fail("Escape and Close leave the chart or the table open, or Member Table checked")
    # Right and Left on the board step the deflected shape through the load cases and back.
    menus.choose(["Display", "Deflected Shape"], "click")
    board.settle()
    deflected = os.path.join(OUT, "PRATT-deflected.png")
    cli("render", "--review", "--deflected", sample, deflected)
    same_pixels(page, deflected, "deflected", area="632x370+0+0")
    page.key("Right")
    board.settle()
    if compare_board(page, deflected, "deflected-next", area="632x370+0+0") == "0":
        fail("Right on the board leaves the deflected shape as it was")
    page.key("Left")
    board.settle()
    same_pixels(page, deflected, "deflected-back", area="632x370+0+0")
    menus.choose(["Display", "Deflected Shape"], "click")
    board.settle()
    print("the member table sorts, selects, sizes and copies; a member's chart opens; arrows step the"
          " deflected shape")


def live_results_and_the_mechanism(page):
    """Options > Live Results on PRATT.BRG: a joint dragged with the mouse is analysed at every move,
    the board as the replay of the same drag shows it while the button is held and after; then, with
    a diagonal deleted, Calculate finds the truss unstable and its mechanism swings until a click,
    after which the board is the still `render --review` draws."""
    menus = Menus(page)
    board = Board(page)
    sample = os.path.join(SITE, "examples", "PRATT.BRG")
    held, dropped = os.path.join(OUT, "live-held.png"), os.path.join(OUT, "live-dropped.png")
    script = os.path.join(OUT, "live.replay")
    with open(script, "w") as f:
        f.write(f"command 9044\ncommand 2002\nmove 350 200\npress 350 200\ndrag 356 180\ndrag 362 160\n"
                f"png {held}\nrelease 362 160\npng {dropped}\n")
    cli("replay", script, "--open", sample)
    menus.choose(["Options", "Live Results"], "click")
    menus.choose(["Joints", "Move"], "click")
    board.settle()
    page.mouse("mouseMoved", *board.at(350, 200))
    page.mouse("mousePressed", *board.at(350, 200), buttons=1)
    page.mouse("mouseMoved", *board.at(356, 180), buttons=1)
    page.mouse("mouseMoved", *board.at(362, 160), buttons=1)
    board.settle()
    same_pixels(page, held, "live-held", area="632x370+0+0")
    page.mouse("mouseReleased", *board.at(362, 160))
    board.settle()
    same_pixels(page, dropped, "live-dropped", area="632x370+0+0")
    menus.choose(["Options", "Live Results"], "click")  # the choice is kept for the pages that follow
    page.key("ctrl+z")

    # The Pratt truss without the diagonal from (150, 50) to (200, 0) ft, as a file too.
    with open(sample) as f:
        lines = f.read().split("\n")
    members = [m for m in lines[18:47] if not m.startswith("26 ")]
    header = lines[1].split()
    short = os.path.join(OUT, "SHORT.BRG")
    with open(short, "w") as f:
        renumbered = [" ".join([str(n + 1)] + m.split()[1:]) for n, m in enumerate(members)]
        f.write("\n".join([lines[0], " ".join(["28"] + header[1:])] + lines[2:18] + renumbered) + "\n")
    still = os.path.join(OUT, "SHORT-review.png")
    cli("render", "--review", short, still)
    menus.choose(["Members", "Delete"], "click")
    board.settle()
    menus.click(*board.at(325, 225))
    board.settle()
    menus.choose(["Mode", "Calculate"], "click")
    board.settle()
    if page.evaluate("document.body.dataset.state") == "dialog":
        # A message box is a dialog named for the program where its caption is blank, described by its text.
        named = page.evaluate("(() => { const d = document.querySelector('dialog.box[open]'); return"
                              " [d.getAttribute('aria-label'), document.getElementById("
                              "d.getAttribute('aria-describedby')).textContent]; })()")
        if named[0] != "Trussmill" or "save before analyzing" not in named[1]:
            fail(f"the save question is named {named[0]!r} and described as {named[1]!r}")
        page.key("n")  # no saving first
    board.settle(60)
    first = page.canvas_png("#board")
    time.sleep(0.3)
    if page.canvas_png("#board") == first:
        fail("the unstable truss's mechanism does not swing")
    menus.click(*board.at(175, 250))  # member 1, which stays selected
    board.settle()
    time.sleep(0.3)
    same_pixels(page, still, "mechanism-still", area="632x370+0+0")
    page.key("ctrl+z")  # the diagonal back: the bridge as opened, with no unsaved work to offer later
    board.settle()
    print("Live Results follow a dragged joint; an unstable truss's mechanism swings until a click")


def keyboard_only(page, board, downloads, saved):
    """The session's Warren truss drawn again with keys alone: File > New by the menu's keys, every
    member by arrows and Enter on the board, Save As by its shortcut under the same name; the
    download is the file the replay of the mouse's session saved."""
    ends = [list(map(int, rest.split())) for verb, rest in session_lines() if verb == "drag"]
    page.key("alt+f")
    page.key("n")  # New: the bridge was just saved, so nothing is asked
    board.settle()
    page.evaluate("document.getElementById('board').focus()")
    x, y = 150, 250

    def arrows(dx, dy):
        for delta, back, ahead in ((dx, "Left", "Right"), (dy, "Up", "Down")):
            steps = abs(delta) // 5  # the coordinate snap
            for name in ["shift+" + (back if delta < 0 else ahead)] * (steps // 10) + \
                    [back if delta < 0 else ahead] * (steps % 10):
                page.key(name)

    for x1, y1, x2, y2 in ends:
        arrows(x1 - x, y1 - y)
        page.key("Return")
        arrows(x2 - x1, y2 - y1)
        page.key("Return")
        x, y = x2, y2
    board.settle()
    for name in os.listdir(downloads):
        os.remove(os.path.join(downloads, name))
    downloaded = save_as(page, downloads)
    board.settle()
    with open(downloaded, "rb") as a, open(saved, "rb") as b:
        if a.read() != b.read():
            fail("the bridge drawn with keys saves differently from the one drawn with the mouse")
    print("keys alone draw and save the bridge the mouse draws")


def centre(page, selector):
    """The centre of the element the selector finds, scrolled into view as a user would."""
    return page.evaluate(f"(() => {{ const e = document.querySelector({json.dumps(selector)});"
                         " e.scrollIntoView({block: 'nearest'}); const r = e.getBoundingClientRect();"
                         " return [r.left + r.width / 2, r.top + r.height / 2]; })()")


def narrow_windows(page):
    """A phone: the board at whole device pixels that fit the width, or smoothly below one; the menu
    bar wraps; a menu at the right edge stays on the screen."""
    for width, ratio in ((390, 3), (360, 1)):
        page.send("Emulation.setDeviceMetricsOverride",
                  {"width": width, "height": 844, "deviceScaleFactor": ratio, "mobile": True})
        page.wait_until(f"window.innerWidth === {width} && devicePixelRatio === {ratio}", 10, "the narrow window")
        # The board follows once the page has seen the change.
        fitted = "document.getElementById('board').getBoundingClientRect().width"
        page.wait_until(f"{fitted} <= {width} && ({fitted} < {width - 100} === ({ratio} > 1))", 5, "the board fitted")
        shown = page.evaluate("""(() => {
            const board = document.getElementById('board');
            const bar = document.getElementById('menubar');
            const tops = [...bar.querySelectorAll('.top')].map((t) => t.getBoundingClientRect());
            return {width: board.getBoundingClientRect().width, smooth: board.classList.contains('smooth'),
                    room: document.documentElement.clientWidth,
                    barInside: tops.every((r) => r.right <= document.documentElement.clientWidth + 0.5),
                    rows: new Set(tops.map((r) => Math.round(r.top))).size,
                    sideways: document.documentElement.scrollWidth - document.documentElement.clientWidth}; })()""")
        pixels = 632 * 1 / ratio  # one device pixel a board pixel is the most that fits
        if ratio == 3 and (abs(shown["width"] - pixels) > 0.5 or shown["smooth"]):
            fail(f"at {width} px and {ratio} device pixels the board is {shown}")
        if ratio == 1 and (not shown["smooth"] or abs(shown["width"] - shown["room"]) > 0.5):
            fail(f"at {width} px and {ratio} device pixel the board is {shown}")
        if not shown["barInside"] or shown["rows"] < 2 or shown["sideways"] > 0:
            fail(f"at {width} px the menu bar does not wrap inside the page: {shown}")
        menus = Menus(page)
        menus.choose(["Help"], "tap")
        inside = page.evaluate("(() => { const r = document.querySelector('#menubar .top.open > .menu')"
                               ".getBoundingClientRect(); return r.left >= 0 && r.right <= "
                               "document.documentElement.clientWidth + 0.5; })()")
        with open(os.path.join(OUT, f"narrow-{ratio}x.png"), "wb") as f:
            f.write(page.screenshot())
        menus.tap(5, 800)
        if not inside or menus.open_titles():
            fail(f"at {width} px the Help menu runs off the page or does not close")
    page.send("Emulation.clearDeviceMetricsOverride")
    print("a phone-sized window fits the board to its width and wraps the menu bar")

def contest_in_the_browser(server_binary):
    """A class contest on trussmill-server: the teacher creates it on the server's page, two teams
    submit from the program through File / Submit to Contest... (the second a renumbered copy of
    the first's bridge, and once with a wrong PIN), the teacher approves both names, and the class's
    standings and the teacher's report show both teams with the copy flagged."""
    tests = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    sys.path.insert(0, os.path.join(tests, "server"))
    saved, sys.argv = sys.argv, [sys.argv[0], server_binary, os.path.dirname(tests)]  # the server test's own
    from server_test import Server, add_teacher, renumbered  # noqa: E402
    sys.argv = saved
    data = os.path.join(OUT, "contest-data")
    shutil.rmtree(data, ignore_errors=True)
    os.makedirs(data)
    add_teacher(data, "ms.rivera", "correct horse battery")
    server = Server(data, SITE)
    server.start()
    browser = Browser()
    try:
        root = f"http://127.0.0.1:{server.port}"
        teacher = browser.new_page()
        teacher.navigate(root + "/teacher")
        teacher.wait_until("!document.getElementById('login').hidden", 20, "the teacher's login")
        teacher.evaluate("document.getElementById('name').focus()")
        teacher.type_text("ms.rivera")
        teacher.key("Tab")
        teacher.type_text("correct horse battery")
        teacher.key("Return")
        teacher.wait_until("!document.getElementById('main').hidden", 20, "the teacher's contests")
        teacher.evaluate("document.getElementById('assignment').value = 'title = Week 5 <contest>\\nmax_weight = 150\\n'")
        teacher.evaluate("document.querySelector('#create button').click()")
        code = teacher.wait_until("document.getElementById('code').textContent", 20, "the class code")
        no_violations(teacher, "on the teacher's page")

        pratt = os.path.join(SITE, "examples", "PRATT.BRG")
        copy = os.path.join(OUT, "COPY.BRG")
        with open(pratt) as f, open(copy, "w") as out:
            out.write(renumbered(f.read()))

        def submit(page, team, pin):
            """File / Submit to Contest... by mouse, the team and PIN typed; the answer's text."""
            Menus(page).choose(["File", "Submit to Contest..."], "click")
            page.wait_until("document.querySelectorAll('dialog.box[open] input').length === 3", 20, "the contest dialog")
            fields = page.evaluate("[...document.querySelectorAll('dialog.box[open] input')].map((i) => i.value)")
            if fields[0] != code:
                fail(f"the contest dialog offers the class code {fields[0]!r}, not {code!r}")
            page.evaluate("document.querySelectorAll('dialog.box[open] input')[1].value = ''")
            page.evaluate("document.querySelectorAll('dialog.box[open] input')[1].focus()")
            page.type_text(team)
            page.evaluate("document.querySelectorAll('dialog.box[open] input')[2].value = ''")
            page.key("Tab")
            page.type_text(pin)
            no_violations(page, "with the contest dialog open")
            page.key("Return")
            text = dialog_text(page)
            page.key("Return")
            Board(page).settle()
            return text

        def student(bridge, team, pin):
            """A student's tab opened from the contest's link, with a bridge opened from a file."""
            page = new_tab(browser, f"{root}/c/{code}/app")
            page.wait_until("document.body.dataset.state === 'idle'", 60, "the program from the contest's link")
            page.key("ctrl+o")
            chooser = browser.wait_event("Page.fileChooserOpened", page.session)
            page.send("DOM.setFileInputFiles", {"files": [bridge], "backendNodeId": chooser["params"]["backendNodeId"]})
            Board(page).settle()
            answer = submit(page, team, pin)
            return page, answer

        first, answer = student(pratt, "Span Masters", "2468")
        if not answer.startswith("Bridge passed, ") or "Not ranked yet" not in answer or \
                "This is your team's best design so far." not in answer:
            fail(f"the first team's submission is answered {answer!r}")
        first.evaluate("TM.unsaved = false")
        browser.send("Target.closeTarget", {"targetId": first.target})
        second, answer = student(copy, "Copycats <b>", "1357")
        if "The same or nearly the same design as: Team 1." not in answer:
            fail(f"the renumbered copy is answered {answer!r}")
        answer = submit(second, "Copycats <b>", "9999")
        if answer != "The contest server refused the bridge: wrong PIN for this team.":
            fail(f"a wrong PIN is answered {answer!r}")
        second.evaluate("TM.unsaved = false")
        browser.send("Target.closeTarget", {"targetId": second.target})

        # The teacher approves both names; the class sees both teams, the teacher's report the copy.
        teacher.navigate(root + "/teacher")
        approve = "[...document.querySelectorAll('#teams button')].filter((b) => b.textContent === 'Approve')"
        for left in (2, 1):
            teacher.wait_until(f"{approve}.length === {left}", 20, f"{left} team(s) to approve")
            teacher.evaluate(f"{approve}[0].click()")
        teacher.wait_until(f"{approve}.length === 0", 20, "both teams approved")
        with open(os.path.join(OUT, "contest-teacher.png"), "wb") as f:
            f.write(teacher.screenshot())
        teacher.navigate(f"{root}/c/{code}")
        rows = teacher.wait_until("(() => { const r = [...document.querySelectorAll('#standings tr')]"
                                  ".map((r) => r.cells[1].textContent); return r.length === 2 && r; })()", 20,
                                  "both teams in the standings")
        if sorted(rows) != ["Copycats <b>", "Span Masters"]:
            fail(f"the standings show {rows}")
        no_violations(teacher, "on the class's standings")
        with open(os.path.join(OUT, "contest-standings.png"), "wb") as f:
            f.write(teacher.screenshot())
        teacher.navigate(f"{root}/teacher/contests/{code}/report")
        report = teacher.wait_until("document.readyState === 'complete' && document.body.innerHTML", 20, "the report")
        if "Copycats &lt;b&gt;" not in report or "Span Masters" not in report or "file-2" not in report or \
                'href="#file-1"' not in report:
            fail("the class report does not show both teams with the copy linked to its original")
        print(f"a class contest {code}: made on the teacher's page, two teams submit from the program (a copy"
              " flagged, a wrong PIN refused), the standings and the report show both")
    finally:
        browser.close()
        server.stop()


if __name__ == "__main__":
    main()
