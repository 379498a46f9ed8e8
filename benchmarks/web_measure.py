#!/usr/bin/python3
"""The browser build measured in headless Chromium (not a test: it reports numbers).
  - transfer size of the page, the style, the .js and the .wasm, compressed with gzip -9;
  - navigation to the intro's first frame, with an empty cache and with the service worker's;
  - the analysis of the largest legal bridge, in the page and natively (the same program);
  - the truck's drive over the Pratt truss: processor time of the whole browser and of the
    page's main thread per second of the drive, and how late the frame waits woke up.
Usage: web_measure.py BUILD_WEB BUILD_RELEASE   (build/web and build/release)"""

import functools
import gzip
import http.server
import os
import statistics
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "web"))
from devtools import Browser  # noqa: E402

WEB, NATIVE = sys.argv[1:3]
SITE = os.path.join(WEB, "site")
TIMING_PAGE = b"<!DOCTYPE html><title>timing</title><script src='trussmill_analysis_timing.js'></script>"


class Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path == "/timing.html":
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.end_headers()
            self.wfile.write(TIMING_PAGE)
            return
        super().do_GET()


def serve(folder):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), functools.partial(Handler, directory=folder))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return f"http://127.0.0.1:{server.server_address[1]}/"


def sizes():
    total = 0
    for name in ["index.html", "style.css", "trussmill.js", "trussmill.wasm"]:
        with open(os.path.join(SITE, name), "rb") as f:
            data = f.read()
        packed = len(gzip.compress(data, 9))
        total += packed
        print(f"  {name:16} {len(data) / 1024:8.1f} KiB, gzip {packed / 1024:7.1f} KiB")
    print(f"  page, style, .js and .wasm: {total / 1024:.1f} KiB with gzip")


def first_frames(url, starts=5):
    def one(browser):
        page = browser.new_page(url)
        page.wait_until("TM.stats.firstFrame > 0", 30)
        value = page.evaluate("TM.stats.firstFrame")
        page.send("Target.closeTarget", {"targetId": page.target})
        time.sleep(0.5)  # the page's lock goes with it
        return value

    cold = []
    for _ in range(starts):
        browser = Browser()
        try:
            cold.append(one(browser))
        finally:
            browser.close()
    browser = Browser()
    try:
        one(browser)  # installs the service worker
        time.sleep(1)
        warm = [one(browser) for _ in range(starts)]
    finally:
        browser.close()
    for name, values in (("empty cache", cold), ("service worker", warm)):
        print(f"  {name}: median {statistics.median(values):.0f} ms, range {min(values):.0f}-{max(values):.0f} ms")


def analysis(url):
    native = subprocess.run([os.path.join(NATIVE, "benchmarks", "trussmill_analysis_timing")],
                            capture_output=True, text=True, check=True).stdout.split()
    browser = Browser()
    try:
        page = browser.new_page()
        page.navigate(url + "timing.html")
        lines = []
        deadline = time.time() + 120
        while "done" not in lines and time.time() < deadline:
            event = browser.wait_event("Runtime.consoleAPICalled", page.session, 120)
            lines += [a.get("value", "") for a in event["params"]["args"]]
    finally:
        browser.close()
    web = " ".join(lines).split()
    for i in range(0, min(len(native), len(web)) - 1, 2):
        n, w = float(native[i + 1]), float(web[i + 1])
        print(f"  {native[i]:14} native {n:7.1f} us, browser {w:7.1f} us: {w / n:.2f} x")


def process_tree_cpu(root):
    """Seconds of processor time of root and all its descendants."""
    ticks = os.sysconf("SC_CLK_TCK")
    total = 0
    pending = [root]
    while pending:
        pid = pending.pop()
        try:
            with open(f"/proc/{pid}/stat") as f:
                fields = f.read().rsplit(")", 1)[1].split()
            total += (int(fields[11]) + int(fields[12])) / ticks
            with open(f"/proc/{pid}/task/{pid}/children") as f:
                pending += [int(c) for c in f.read().split()]
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def drive(url):
    browser = Browser()
    try:
        page = browser.new_page(url + "?open=examples/PRATT.BRG")
        page.wait_until("document.body.dataset.state === 'idle'", 30)
        page.send("Performance.enable")
        time.sleep(1)
        page.evaluate("TM.stats.waitLate = []")

        def main_thread():
            metrics = page.send("Performance.getMetrics")["metrics"]
            return next(m["value"] for m in metrics if m["name"] == "TaskDuration")

        cpu0, task0, wall0 = process_tree_cpu(browser.process.pid), main_thread(), time.time()
        page.key("alt+o")
        page.key("a")
        page.wait_until("document.body.dataset.state === 'busy'", 10)
        page.wait_until("document.body.dataset.state === 'idle'", 120)
        wall = time.time() - wall0
        cpu, task = process_tree_cpu(browser.process.pid) - cpu0, main_thread() - task0
        late = page.evaluate("TM.stats.waitLate")
    finally:
        browser.close()
    late.sort()
    print(f"  the drive took {wall:.1f} s; the browser used {100 * cpu / wall:.1f} % of a core, "
          f"the page's main thread {100 * task / wall:.1f} %")
    print(f"  {len(late)} waits woke late by: median {statistics.median(late):.2f} ms, "
          f"90th percentile {late[int(0.9 * len(late))]:.2f} ms, worst {late[-1]:.2f} ms")


def main():
    site = serve(SITE)
    timing = serve(os.path.join(WEB, "benchmarks"))
    print("Transfer size:")
    sizes()
    print("Navigation to the intro's first frame:")
    first_frames(site)
    print("Analysis of the largest legal bridge, one update of Live Results on it and the mechanism of it")
    print("with one member fewer than it needs (median of rounds):")
    analysis(timing)
    print("The truck's drive over the Pratt truss:")
    drive(site)


main()
