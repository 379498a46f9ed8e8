"""A small client of WebDriver BiDi, enough to drive Debian's firefox-esr headless the way
devtools.py drives Chromium: the same Page methods (navigate, evaluate, wait_until, mouse, touch,
key, canvas_png, screenshot), so that one run can be played in both engines. Uses python3-websocket."""

import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time

import websocket

from devtools import KEYS as DEVTOOLS_KEYS
from devtools import PageActions, stop

# A closed network: nothing of the browser's own may try to reach out, or start-up waits on it.
PREFERENCES = {
    "browser.shell.checkDefaultBrowser": False,
    "app.update.enabled": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "network.captive-portal-service.enabled": False,
    "network.connectivity-service.enabled": False,
    "browser.safebrowsing.malware.enabled": False,
    "browser.safebrowsing.phishing.enabled": False,
    "extensions.update.enabled": False,
    "media.autoplay.default": 0,
}

# Keys as WebDriver's key values; modifiers by xdotool name.
KEY_VALUES = {"Return": "\ue007", "Escape": "\ue00c", "Tab": "\ue004", "Down": "\ue015", "Up": "\ue013",
              "Left": "\ue012", "Right": "\ue014", "F1": "\ue031"}
MODIFIER_VALUES = {"alt": "\ue00a", "ctrl": "\ue009", "shift": "\ue008"}
assert set(KEY_VALUES) == set(DEVTOOLS_KEYS), "both engines take the same key names"


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Firefox:
    def __init__(self, width=1400, height=1000):
        self.profile = tempfile.mkdtemp(prefix="trussmill-firefox-")
        with open(os.path.join(self.profile, "user.js"), "w") as f:
            for name, value in PREFERENCES.items():
                f.write(f"user_pref({json.dumps(name)}, {json.dumps(value)});\n")
        port = free_port()
        self.process = subprocess.Popen(
            ["firefox-esr", "--headless", "--no-remote", f"--remote-debugging-port={port}", "--profile",
             self.profile, f"--width={width}", f"--height={height}", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + 60
        while True:
            try:
                # WebDriver BiDi takes only connections without an Origin header.
                self.socket = websocket.create_connection(f"ws://127.0.0.1:{port}/session", timeout=60,
                                                          suppress_origin=True)
                break
            except (ConnectionError, OSError, websocket.WebSocketException):
                if time.time() > deadline or self.process.poll() is not None:
                    self.close()
                    raise RuntimeError("firefox-esr did not start")
                time.sleep(0.2)
        self.next_id = 0
        self.send("session.new", {"capabilities": {}})

    def send(self, method, params=None):
        self.next_id += 1
        self.socket.send(json.dumps({"id": self.next_id, "method": method, "params": params or {}}))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get("id") != self.next_id:
                continue  # events: none are subscribed to
            if reply.get("type") == "error":
                raise RuntimeError(f"{method}: {reply.get('error')}: {reply.get('message')}")
            return reply.get("result", {})

    def new_page(self, url="about:blank"):
        context = self.send("browsingContext.getTree")["contexts"][0]["context"]
        page = FirefoxPage(self, context)
        if url != "about:blank":
            page.navigate(url)
        return page

    def close(self):
        try:
            self.send("session.end")
        except Exception:
            pass
        stop(self.process)
        shutil.rmtree(self.profile, ignore_errors=True)


class FirefoxPage(PageActions):
    def __init__(self, browser, context):
        self.browser = browser
        self.context = context

    def navigate(self, url):
        self.browser.send("browsingContext.navigate", {"context": self.context, "url": url, "wait": "complete"})

    def evaluate(self, expression, await_promise=False):
        result = self.browser.send("script.evaluate", {
            "expression": expression, "target": {"context": self.context}, "awaitPromise": await_promise,
            "serializationOptions": {"maxObjectDepth": 8}})
        if result.get("type") == "exception":
            raise RuntimeError(f"{expression}: {result['exceptionDetails'].get('text')}")
        return plain(result["result"])

    def perform(self, source):
        self.browser.send("input.performActions", {"context": self.context, "actions": [source]})

    def mouse(self, kind, x, y, buttons=0):
        steps = [{"type": "pointerMove", "x": round(x), "y": round(y), "duration": 0}]
        if kind == "mousePressed":
            steps.append({"type": "pointerDown", "button": 0})
        elif kind == "mouseReleased":
            steps.append({"type": "pointerUp", "button": 0})
        self.perform({"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"}, "actions": steps})

    def touch(self, kind, points):
        if kind == "touchEnd":
            steps = [{"type": "pointerUp", "button": 0}]
        else:
            x, y = points[0]
            steps = [{"type": "pointerMove", "x": round(x), "y": round(y), "duration": 0}]
            if kind == "touchStart":
                steps.append({"type": "pointerDown", "button": 0})
        self.perform({"type": "pointer", "id": "finger", "parameters": {"pointerType": "touch"}, "actions": steps})

    def key(self, name):
        parts = name.split("+")
        held = [MODIFIER_VALUES[p.lower()] for p in parts[:-1]]
        base = KEY_VALUES.get(parts[-1], parts[-1])
        steps = [{"type": "keyDown", "value": v} for v in held]
        steps += [{"type": "keyDown", "value": base}, {"type": "keyUp", "value": base}]
        steps += [{"type": "keyUp", "value": v} for v in reversed(held)]
        self.perform({"type": "key", "id": "keyboard", "actions": steps})

    def screenshot(self):
        data = self.browser.send("browsingContext.captureScreenshot", {"context": self.context})["data"]
        return base64.b64decode(data)


def plain(value):
    """A BiDi remote value as the Python value it stands for."""
    kind = value.get("type")
    if kind in ("undefined", "null"):
        return None
    if kind == "array":
        return [plain(v) for v in value.get("value", [])]
    if kind == "object":
        return {k if isinstance(k, str) else plain(k): plain(v) for k, v in value.get("value", [])}
    return value.get("value")
