"""A small client of the Chrome DevTools protocol, enough to drive Debian's chromium headless:
start the browser, open pages, send commands, wait for events, evaluate script, press keys and
move the mouse or a finger. Uses python3-websocket."""

import base64
import json
import os
import re
import shutil
import subprocess
import tempfile
import time

import websocket

# As root and in a closed network the browser needs these to start quietly and quickly.
FLAGS = [
    "--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-default-apps", "--mute-audio", "--disable-dev-shm-usage", "--remote-debugging-port=0",
]

# xdotool key names as DevTools key events: key, code, Windows key code, text.
KEYS = {
    "Return": ("Enter", "Enter", 13, "\r"),
    "Escape": ("Escape", "Escape", 27, ""),
    "Tab": ("Tab", "Tab", 9, ""),
    "Down": ("ArrowDown", "ArrowDown", 40, ""),
    "Up": ("ArrowUp", "ArrowUp", 38, ""),
    "Left": ("ArrowLeft", "ArrowLeft", 37, ""),
    "Right": ("ArrowRight", "ArrowRight", 39, ""),
    "F1": ("F1", "F1", 112, ""),
}
MODIFIERS = {"alt": ("Alt", "AltLeft", 18, 1), "ctrl": ("Control", "ControlLeft", 17, 2),
             "shift": ("Shift", "ShiftLeft", 16, 8)}


def stop(process):
    """Ends a browser's process, by force when it does not end by itself."""
    try:
        process.terminate()
        process.wait(timeout=10)
    except Exception:
        process.kill()


class PageActions:
    """What a page does on top of evaluate(), in either engine."""

    def wait_until(self, expression, timeout=30, what=None):
        deadline = time.time() + timeout
        while True:
            value = self.evaluate(expression)
            if value:
                return value
            if time.time() > deadline:
                raise TimeoutError(f"{what or expression} still false after {timeout} s")
            time.sleep(0.05)

    def canvas_png(self, selector):
        url = self.evaluate(f"document.querySelector('{selector}').toDataURL('image/png')")
        return base64.b64decode(url.split(",", 1)[1])


class Browser:
    def __init__(self, window_size="1400,1000"):
        self.profile = tempfile.mkdtemp(prefix="trussmill-chromium-")
        self.process = subprocess.Popen(
            ["chromium", *FLAGS, f"--user-data-dir={self.profile}", f"--window-size={window_size}",
             "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        address = None
        deadline = time.time() + 30
        while time.time() < deadline:
            line = self.process.stderr.readline()
            if not line:
                break
            found = re.search(r"DevTools listening on (ws://\S+)", line)
            if found:
                address = found.group(1)
                break
        if not address:
            self.close()
            raise RuntimeError("chromium did not start")
        self.socket = websocket.create_connection(address, timeout=60, suppress_origin=True)
        self.next_id = 0
        self.events = []

    def send(self, method, params=None, session=None):
        self.next_id += 1
        message = {"id": self.next_id, "method": method, "params": params or {}}
        if session:
            message["sessionId"] = session
        self.socket.send(json.dumps(message))
        while True:
            reply = json.loads(self.socket.recv())
            if reply.get("id") == self.next_id:
                if "error" in reply:
                    raise RuntimeError(f"{method}: {reply['error']}")
                return reply.get("result", {})
            if "method" in reply:
                self.events.append(reply)

    def wait_event(self, method, session=None, timeout=30):
        """The first event of this kind not yet taken, waiting for it if need be."""
        deadline = time.time() + timeout
        while True:
            for i, event in enumerate(self.events):
                if event["method"] == method and (session is None or event.get("sessionId") == session):
                    return self.events.pop(i)
            remaining = deadline - time.time()
            if remaining <= 0:
                raise TimeoutError(f"no {method} within {timeout} s")
            self.socket.settimeout(remaining)
            try:
                reply = json.loads(self.socket.recv())
            except websocket.WebSocketTimeoutException:
                continue
            finally:
                self.socket.settimeout(60)
            if "method" in reply:
                self.events.append(reply)

    def new_page(self, url="about:blank"):
        target = self.send("Target.createTarget", {"url": "about:blank"})["targetId"]
        session = self.send("Target.attachToTarget", {"targetId": target, "flatten": True})["sessionId"]
        page = Page(self, session, target)
        page.send("Page.enable")
        page.send("Runtime.enable")
        if url != "about:blank":
            page.navigate(url)
        return page

    def close(self):
        stop(self.process)
        shutil.rmtree(self.profile, ignore_errors=True)


class Page(PageActions):
    def __init__(self, browser, session, target):
        self.browser = browser
        self.session = session
        self.target = target

    def send(self, method, params=None):
        return self.browser.send(method, params, self.session)

    def navigate(self, url):
        # A load of an earlier navigation (a reload the page made itself) is not this one's.
        self.browser.events = [e for e in self.browser.events
                               if e["method"] != "Page.loadEventFired" or e.get("sessionId") != self.session]
        self.send("Page.navigate", {"url": url})
        self.browser.wait_event("Page.loadEventFired", self.session)

    def evaluate(self, expression, await_promise=False):
        result = self.send("Runtime.evaluate", {"expression": expression, "returnByValue": True,
                                                "awaitPromise": await_promise})
        if "exceptionDetails" in result:
            raise RuntimeError(f"{expression}: {result['exceptionDetails']}")
        return result["result"].get("value")

    # ---- Input as a user gives it

    def mouse(self, kind, x, y, buttons=0, clicks=1):
        """clicks counts the presses of a double click (2 on its second press and release)."""
        params = {"type": kind, "x": x, "y": y, "buttons": buttons}
        if kind in ("mousePressed", "mouseReleased"):
            params.update(button="left", clickCount=clicks)
        self.send("Input.dispatchMouseEvent", params)

    def touch(self, kind, points):
        self.send("Input.dispatchTouchEvent", {"type": kind, "touchPoints": [{"x": x, "y": y} for x, y in points]})

    def key(self, name):
        """Presses and releases one xdotool-style key: "Return", "c", "alt+o", "ctrl+shift+s"."""
        parts = name.split("+")
        held = [MODIFIERS[p.lower()] for p in parts[:-1]]
        base = parts[-1]
        modifiers = 0
        for key, code, vk, bit in held:
            modifiers |= bit
            self.send("Input.dispatchKeyEvent", {"type": "rawKeyDown", "key": key, "code": code,
                                                 "windowsVirtualKeyCode": vk, "modifiers": modifiers})
        if base in KEYS:
            key, code, vk, text = KEYS[base]
        else:
            key, code, vk, text = base, "Key" + base.upper(), ord(base.upper()), base
            if modifiers & 8:
                key = text = base.upper()
        if modifiers & 3:
            text = ""  # with Ctrl or Alt a key types nothing
        down = {"type": "keyDown" if text else "rawKeyDown", "key": key, "code": code,
                "windowsVirtualKeyCode": vk, "modifiers": modifiers}
        if text:
            down["text"] = text
        self.send("Input.dispatchKeyEvent", down)
        self.send("Input.dispatchKeyEvent", {"type": "keyUp", "key": key, "code": code,
                                             "windowsVirtualKeyCode": vk, "modifiers": modifiers})
        for key, code, vk, bit in reversed(held):
            modifiers &= ~bit
            self.send("Input.dispatchKeyEvent", {"type": "keyUp", "key": key, "code": code,
                                                 "windowsVirtualKeyCode": vk, "modifiers": modifiers})

    def type_text(self, text):
        self.send("Input.insertText", {"text": text})

    def screenshot(self):
        return base64.b64decode(self.send("Page.captureScreenshot", {"format": "png"})["data"])
