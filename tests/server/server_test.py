#!/usr/bin/env python3
"""trussmill-server driven over HTTP the way the teacher's page, the class and an attacker would:
the happy path, hostile requests, and SIGKILL in a burst of submissions followed by a restart.
Usage: server_test.py SERVER_BINARY SOURCE_DIR"""
import http.client
import io
import json
import os
import shutil
import signal
import socket
import sqlite3
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

SERVER, SOURCE = sys.argv[1], sys.argv[2]
EXAMPLES = os.path.join(SOURCE, "examples")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what, file=sys.stderr)


def bridge(name):
    with open(os.path.join(EXAMPLES, name + ".BRG")) as f:
        return f.read()


def renumbered(text):
    """The same bridge with its joints above the roadbed numbered the other way round."""
    lines = text.split("\n")
    members, joints = (int(v) for v in lines[1].split()[:2])
    roadbed = sum(1 for line in lines[2:2 + joints] if float(line.split()[2]) == 0.0)
    new = {j: j if j <= roadbed else roadbed + joints + 1 - j for j in range(1, joints + 1)}
    joint_lines = sorted(lines[2:2 + joints], key=lambda l: new[int(l.split()[0])])
    joint_lines = [" ".join([str(new[int(l.split()[0])])] + l.split()[1:]) for l in joint_lines]
    member_lines = []
    for line in lines[2 + joints:2 + joints + members]:
        f = line.split()
        f[1], f[2] = str(new[int(f[2])]), str(new[int(f[1])])  # ends swapped as well
        member_lines.append(" ".join(f))
    return "\n".join(lines[:2] + joint_lines + member_lines + lines[2 + joints + members:])


class Server:
    def __init__(self, data, site):
        self.data, self.site = data, site
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            self.port = s.getsockname()[1]
        self.process = None

    def start(self, binary=SERVER):
        site = ["--site", self.site] if self.site else []
        self.process = subprocess.Popen(
            [binary, "--data", self.data, "--listen", "127.0.0.1:%d" % self.port] + site, stdout=subprocess.DEVNULL)
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=1).close()
                return
            except OSError:
                time.sleep(0.02)
        raise RuntimeError("the server did not start")

    def kill(self):
        self.process.send_signal(signal.SIGKILL)
        self.process.wait()

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        check(self.process.wait(timeout=10) == 0, "SIGTERM stops the server cleanly")

    def request(self, method, path, body=None, headers=None, raw=False):
        c = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
        if body is not None and not isinstance(body, (bytes, str)):
            body = json.dumps(body)
        c.putrequest(method, path, skip_accept_encoding=True) if raw else None
        if raw:
            for k, v in (headers or {}).items():
                c.putheader(k, v)
            c.putheader("Content-Length", str(len(body or b"")))
            c.endheaders(body.encode() if isinstance(body, str) else body)
        else:
            c.request(method, path, body=body, headers=headers or {})
        r = c.getresponse()
        data = r.read()
        c.close()
        return r.status, r, data

    def json(self, method, path, body=None, headers=None):
        status, r, data = self.request(method, path, body, headers)
        try:
            return status, json.loads(data) if data else None, r
        except ValueError:
            return status, data, r


class Teacher:
    def __init__(self, server, name, password):
        status, answer, r = server.json("POST", "/api/login", {"name": name, "password": password})
        check(status == 200 and "csrf" in answer, "teacher %s logs in" % name)
        cookie = r.getheader("Set-Cookie")
        check("HttpOnly" in cookie and "SameSite=Strict" in cookie, "the session cookie is HttpOnly, SameSite=Strict")
        self.server, self.cookie, self.csrf = server, cookie.split(";")[0], answer["csrf"]

    def call(self, method, path, body=None, csrf=True):
        headers = {"Cookie": self.cookie}
        if csrf:
            headers["X-CSRF-Token"] = self.csrf
        return self.server.json(method, path, body, headers)


def add_teacher(data, name, password):
    p = subprocess.run([SERVER, "--data", data, "add-teacher", name], input=password + "\n", text=True,
                       capture_output=True)
    check(p.returncode == 0, "add-teacher %s: %s" % (name, p.stderr))


def submit(server, code, team, pin, text):
    return server.json("POST", "/api/contests/%s/submissions" % code, {"team": team, "pin": pin, "bridge": text})


def integrity(path):
    db = sqlite3.connect(path)
    try:
        return db.execute("PRAGMA integrity_check").fetchone()[0]
    finally:
        db.close()


def main():
    work = tempfile.mkdtemp(prefix="trussmill-server-test-")
    data, site = os.path.join(work, "data"), os.path.join(work, "site")
    os.makedirs(site)
    with open(os.path.join(site, "index.html"), "w") as f:
        f.write("<!DOCTYPE html><title>Trussmill</title>")
    with open(os.path.join(work, "secret.txt"), "w") as f:
        f.write("not to be served")
    add_teacher(data, "alice", "correct horse")
    add_teacher(data, "bob", "battery staple")
    server = Server(data, site)
    server.start()
    try:
        code = happy_path(server)
        kill_and_restart(server, data, work)  # before the wrong PINs hold up this address
        hostile(server, code, work)
        server.stop()
        tls(data, site, work)
        # Without --site, a build's server serves the browser build beside it (build/web/site).
        tree = os.path.join(work, "tree")
        os.makedirs(os.path.join(tree, "release", "server"))
        shutil.copytree(site, os.path.join(tree, "web", "site"))
        shutil.copy(SERVER, os.path.join(tree, "release", "server"))
        server = Server(data, None)
        server.start(os.path.join(tree, "release", "server", os.path.basename(SERVER)))
        check(server.request("GET", "/")[2].startswith(b"<!DOCTYPE html><title>Trussmill"), "the default site")
        server.stop()
    finally:
        if server.process.poll() is None:
            server.kill()
    if failures:
        print("%d checks failed" % len(failures), file=sys.stderr)
        return 1
    print("trussmill-server: happy path, hostile requests, kill and restart, backup: ok")
    return 0


def happy_path(server):
    alice = Teacher(server, "alice", "correct horse")
    with open(os.path.join(EXAMPLES, "contest.trussmill-assignment")) as f:
        assignment = f.read()
    status, answer, _ = alice.call("POST", "/api/contests", {"assignment": assignment})
    check(status == 200 and len(answer["code"]) == 8, "a contest from the examples' assignment: %s" % answer)
    # The examples fail under its loads; the contest of the test lightens them to pass.
    status, answer, _ = alice.call("POST", "/api/contests", {
        "assignment": assignment.replace("dead_load = yes", "dead_load = no").replace("deck_weight = yes",
                                                                                       "deck_weight = no")})
    code = answer["code"]
    check(all(c in "23456789ABCDEFGHJKMNPQRSTUVWXYZ" for c in code), "the class code's alphabet: " + code)
    status, answer, _ = alice.call("POST", "/api/contests", {"assignment": "title = x\nmax_wieght = 3\n"})
    check(status == 400 and "line 2" in answer["error"], "a bad assignment answers 400 with the reader's line")
    check(server.json("GET", "/api/contests/" + code)[1] == {"code": code, "title": "Spring bridge contest",
                                                             "closed": False}, "the contest's public facts")

    status, warren, _ = submit(server, code, "Warren Wizards", "1234", bridge("WARREN"))
    check(status == 200 and warren["verdict"] == "passed" and warren["best"] and warren["rank"] is None,
          "a first submission passes, is the team's best, and has no rank before approval: %s" % warren)
    status, pratt, _ = submit(server, code, "Pratt Pack", "987654", bridge("PRATT"))
    check(pratt["similar_to"] == [], "an original design is like no other: %s" % pratt)
    status, copy, _ = submit(server, code, "Copy Cats", "5555", renumbered(bridge("PRATT")))
    check(status == 200 and copy["similar_to"] == ["Team 2"],
          "a renumbered copy names the team it copies, by its shown name: %s" % copy)
    status, again, _ = submit(server, code, "warren wizards ", "1234", bridge("HOWE"))
    check(status == 200 and again["best"] and abs(again["weight"] - 115.41) < 0.01,
          "a lighter design by the same team (name in any case) becomes its best: %s" % again)
    status, heavier, _ = submit(server, code, "Warren Wizards", "1234", bridge("DECK"))
    check(status == 200 and not heavier["best"], "a heavier one does not")
    status, deck, _ = submit(server, code, "Deck Hands", "2468", bridge("DECK").replace("\n", "\r\n"))
    check(status == 200 and deck["similar_to"] == ["Team 1"], "CR LF line ends are read: %s" % deck)

    check(server.json("GET", "/api/contests/%s/standings" % code)[1] == [], "no team shows before approval")
    for number in (1, 2, 3):
        check(alice.call("POST", "/api/contests/%s/teams/%d/approve" % (code, number))[0] == 200, "approve")
    standings = server.json("GET", "/api/contests/%s/standings" % code)[1]
    check([(s["rank"], s["team"]) for s in standings] == [(1, "Pratt Pack"), (2, "Copy Cats"),
                                                          (3, "Warren Wizards")],
          "standings: lightest first, the earlier of equal weights ahead: %s" % standings)
    status, answer, _ = submit(server, code, "Copy Cats", "5555", bridge("PRATT"))
    check(answer["rank"] == 2 and answer["similar_to"] == ["Pratt Pack"], "approved names in answers: %s" % answer)

    status, rows, _ = alice.call("GET", "/api/contests/%s/submissions" % code, csrf=False)
    check(status == 200 and len(rows) == 7 and {"id", "team", "time", "verdict", "weight"} <= set(rows[0]),
          "the teacher's submission list")
    status, _, page = server.request("GET", "/teacher/contests/%s/report" % code, headers={"Cookie": alice.cookie})
    page = page.decode()
    check(status == 200 and "Pratt Pack" in page and "Copy Cats" in page and "Warren Wizards" in page,
          "the class report shows every team")
    check(page.count('class="copied"') >= 1 and "same" in page, "the report flags the copy")
    status, _, body = server.request("GET", "/teacher/contests/%s/files.zip" % code, headers={"Cookie": alice.cookie})
    names = zipfile.ZipFile(io.BytesIO(body)).namelist() if status == 200 else []
    check(sorted(names) == ["Copy Cats.BRG", "Deck Hands.BRG", "Pratt Pack.BRG", "Warren Wizards.BRG"],
          "the zip holds each team's best: %s" % names)
    check(zipfile.ZipFile(io.BytesIO(body)).testzip() is None, "the zip's CRCs")
    check(zipfile.ZipFile(io.BytesIO(body)).read("Warren Wizards.BRG").decode() == bridge("HOWE"),
          "a team's file in the zip is its best design")
    status, _, page = server.request("GET", "/c/" + code)
    check(status == 200 and b"Spring bridge contest" in page and b"/?contest=" + code.encode() in page,
          "the class page links to the program with the code")
    return code


def hostile(server, code, work):
    alice = Teacher(server, "alice", "correct horse")
    bob = Teacher(server, "bob", "battery staple")
    before = alice.call("GET", "/api/contests/%s/submissions" % code, csrf=False)[1]
    # No session, a forged or missing CSRF token, another teacher's contest.
    check(server.json("GET", "/api/contests/%s/submissions" % code)[0] == 401, "no session: 401")
    check(server.json("POST", "/api/contests", {"assignment": "title = x"})[0] == 401, "no session creates nothing")
    status = server.json("POST", "/api/contests/%s/close" % code, None,
                         {"Cookie": alice.cookie, "X-CSRF-Token": bob.csrf})[0]
    check(status == 403, "another session's CSRF token: 403")
    check(alice.call("DELETE", "/api/contests/%s/teams/1" % code, csrf=False)[0] == 403, "no CSRF token: 403")
    check(bob.call("GET", "/api/contests/%s/submissions" % code, csrf=False)[0] == 403, "another teacher: 403")
    check(bob.call("POST", "/api/contests/%s/close" % code)[0] == 403, "another teacher cannot close it")
    check(server.request("GET", "/teacher/contests/%s/files.zip" % code, headers={"Cookie": bob.cookie})[0] == 403,
          "nor download its files")
    check(server.json("GET", "/api/contests/%s/submissions" % code, None,
                      {"Cookie": "session=" + "0" * 64})[0] == 401, "a made-up session: 401")
    check(server.json("POST", "/api/login", {"name": "alice", "password": "wrong"})[0] == 401, "a wrong password")

    # Team names that look like SQL or markup are stored as typed and escaped wherever shown.
    for name in ("Robert'); DROP TABLE team;--", "<script>alert(1)</script>"):
        status, answer, _ = submit(server, code, name, "1111", bridge("PRATT"))
        check(status == 200, "an odd team name is accepted: %r" % name)
    status, teams, _ = alice.call("GET", "/api/contests/%s/teams" % code, csrf=False)
    check("Robert'); DROP TABLE team;--" in [t["name"] for t in teams], "the SQL-like name is stored as typed")
    for t in teams:
        if t["name"].startswith("<script"):
            alice.call("POST", "/api/contests/%s/teams/%d/approve" % (code, t["number"]))
    raw = server.request("GET", "/api/contests/%s/standings" % code)[2]
    check(b"<script" not in raw and "<script>alert(1)</script>" in [s["team"] for s in json.loads(raw)],
          "JSON escapes markup and the page's reader gets the name back")
    page = server.request("GET", "/teacher/contests/%s/report" % code, headers={"Cookie": alice.cookie})[2]
    check(b"<script>alert" not in page and b"&lt;script&gt;alert(1)" in page, "the report escapes the name")

    check(submit(server, code, "Garbage", "1234", "not a bridge")[0] == 400, "an unreadable bridge: 400")

    # Wrong PINs: 403, then 429 after ten, for the team and for unverified PINs from the address;
    # PINs verified in this run and new teams from the same address go on.
    statuses = [submit(server, code, "Pratt Pack", "0000", bridge("PRATT"))[0] for _ in range(11)]
    check(statuses[:10] == [403] * 10 and statuses[10] == 429, "ten wrong PINs, then 429: %s" % statuses)
    check(submit(server, code, "Pratt Pack", "987654", bridge("PRATT"))[0] == 429, "even the right PIN waits")
    check(submit(server, code, "Warren Wizards", "1234", bridge("PRATT"))[0] == 429,
          "no PIN is tried against another team's hash from that address")
    check(submit(server, code, "Robert'); DROP TABLE team;--", "1111", bridge("HOWE"))[0] == 200,
          "a team whose PIN was verified in this run submits on")
    check(submit(server, code, "Late Team", "1212", bridge("HOWE"))[0] == 200, "a new team starts")
    for pin, name in (("12", "Short"), ("12345678901234", "Long"), ("12ab", "Letters"), ("1234", ""),
                      ("1234", "   "), ("1234", "x" * 41), ("1234", "bell\x07")):
        check(submit(server, code, name, pin, bridge("PRATT"))[0] == 400, "refused: %r / %r" % (name, pin))

    # Oversized, malformed and truncated bodies.
    big = "x" * (1024 * 1024 + 1)
    check(submit(server, code, "Big", "1234", big)[0] == 413, "a bridge over 1 MB: 413")
    check(server.request("POST", "/api/contests/%s/submissions" % code, "x" * (3 << 20))[0] == 413,
          "a body over the limit: 413")
    for body in ("", "{", "[]", '{"team": 1, "pin": "1234", "bridge": ""}', '{"team":"a","team":"b"}',
                 '{"team":"a\\ud800","pin":"1234","bridge":"x"}', "\xff\xfe", '{"team":"A","pin":"1234"}'):
        status, answer, _ = server.json("POST", "/api/contests/%s/submissions" % code, body)
        check(status == 400 and "error" in answer, "malformed %r: %s" % (body, status))
    check(submit(server, "ZZZZZZZZ", "A", "1234", bridge("PRATT"))[0] == 404, "an unknown class code: 404")

    # Path traversal in every route: nothing outside the site, no file by a path from the URL.
    for path in ("/../secret.txt", "/%2e%2e/secret.txt", "/%2e%2e%2fsecret.txt", "/..%2fsecret.txt",
                 "/c/%2e%2e%2f%2e%2e%2fsecret.txt", "/api/contests/..%2F..%2Fsecret.txt/standings",
                 "/teacher/contests/%2e%2e/report", "/index.html/../../secret.txt", "//etc/passwd",
                 "/%2fetc%2fpasswd", "/api/contests/" + code + "/teams/..%2f1/approve"):
        status, _, body = server.request("GET", path, raw=True)
        check(status in (400, 401, 404) and b"not to be served" not in body and b"root:" not in body,
              "traversal %s: %d" % (path, status))
    check(server.request("GET", "/")[2].startswith(b"<!DOCTYPE html><title>Trussmill"), "the site's index")

    # Slow clients: one stalls in the middle of its request, one sends a header line a byte every
    # second; both are cut off while others are served.
    stalled = socket.create_connection(("127.0.0.1", server.port))
    stalled.sendall(b"POST /api/login HTTP/1.1\r\nHost: x\r\nContent-Length: 100\r\n\r\n{\"na")
    dripping = socket.create_connection(("127.0.0.1", server.port))
    dripping.sendall(b"GET / HTTP/1.1\r\nX-Slow: ")
    started = time.monotonic()
    check(server.json("GET", "/api/contests/" + code)[0] == 200, "others are served beside slow clients")
    stalled.settimeout(15)
    try:
        cut = stalled.recv(1024) is not None
    except OSError:
        cut = True
    check(cut and time.monotonic() - started < 12, "the stalled client is cut off")
    try:
        while time.monotonic() - started < 20:
            dripping.sendall(b"a")
            time.sleep(1)
        cut = False
    except OSError:
        cut = True
    check(cut, "the dripping client is cut off after %.0f s" % (time.monotonic() - started))
    stalled.close()
    dripping.close()

    # A request head over 64 KiB is cut off; the server goes on.
    big_head = socket.create_connection(("127.0.0.1", server.port))
    try:
        big_head.sendall(b"GET / HTTP/1.1\r\nHost: x\r\n" + b"X-Filler: " + b"a" * 1000 + b"\r\n")
        for _ in range(200):
            big_head.sendall(b"X-Filler: " + b"a" * 1000 + b"\r\n")
        refused = b"400" in big_head.recv(100)
    except OSError:
        refused = True
    big_head.close()
    check(refused and server.json("GET", "/api/contests/" + code)[0] == 200, "a 200 KB head is refused")

    # Closing: submissions then answer 409. Deleting a submission and a team.
    after = alice.call("GET", "/api/contests/%s/submissions" % code, csrf=False)[1]
    check(len(after) == len(before) + 4, "the hostile requests stored only the odd names' and the late bridges")
    check(alice.call("DELETE", "/api/contests/%s/submissions/%d" % (code, after[-1]["id"]))[0] == 200, "delete one")
    check(alice.call("DELETE", "/api/contests/%s/submissions/%d" % (code, after[-1]["id"]))[0] == 404, "...once")
    check(alice.call("DELETE", "/api/contests/%s/teams/3" % code)[0] == 200, "remove a team")
    check(all(s["team"] != "Copy Cats" for s in server.json("GET", "/api/contests/%s/standings" % code)[1]),
          "a removed team leaves the standings")
    check(alice.call("POST", "/api/contests/%s/close" % code)[0] == 200, "close")
    check(submit(server, code, "Warren Wizards", "1234", bridge("PRATT"))[0] == 409, "a closed contest: 409")
    check(alice.call("POST", "/api/logout")[0] == 200 and
          alice.call("GET", "/api/session", csrf=False)[0] == 401, "logged out, the session is gone")


def tls(data, site, work):
    """HTTPS with a certificate of its own: the session cookie is Secure; plain HTTP gets nothing."""
    cert, key = os.path.join(work, "cert.pem"), os.path.join(work, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "1", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"], check=True, capture_output=True)
    p = subprocess.run([SERVER, "--data", data, "--cert", cert], capture_output=True)
    check(p.returncode == 2, "--cert without --key is a usage error")
    p = subprocess.run([SERVER, "--data", data, "--cert", cert, "--key", cert], capture_output=True, timeout=10)
    check(p.returncode == 1, "a certificate without its key is refused")
    server = Server(data, site)
    server.process = subprocess.Popen([SERVER, "--data", data, "--site", site, "--cert", cert, "--key", key,
                                       "--listen", "127.0.0.1:%d" % server.port], stdout=subprocess.DEVNULL)
    try:
        https_session(server, cert)
    finally:
        if server.process.poll() is None:
            server.kill()


def https_session(server, cert):
    time.sleep(0.5)
    context = ssl.create_default_context(cafile=cert)
    c = http.client.HTTPSConnection("127.0.0.1", server.port, context=context, timeout=10)
    c.request("POST", "/api/login", body=json.dumps({"name": "alice", "password": "correct horse"}))
    r = c.getresponse()
    r.read()
    check(r.status == 200 and "; Secure" in r.getheader("Set-Cookie", ""), "HTTPS login sets a Secure cookie")
    c.request("GET", "/")
    check(c.getresponse().read().startswith(b"<!DOCTYPE html>"), "the site over a kept-alive HTTPS connection")
    c.close()
    try:
        plain = server.request("GET", "/")[0]
    except (OSError, http.client.HTTPException):
        plain = None
    check(plain is None or plain == 400, "plain HTTP on the HTTPS port gets no page")
    server.stop()


def kill_and_restart(server, data, work):
    alice = Teacher(server, "alice", "correct horse")
    code = alice.call("POST", "/api/contests", {"assignment": "title = Burst\n"})[1]["code"]
    acknowledged, lock = [], threading.Lock()
    texts = [bridge(n) for n in ("PRATT", "HOWE", "WARREN", "DECK")]

    def student(n):
        for k in range(400):  # far more than get through before the kill; 60 a minute per team
            try:
                status, answer, _ = submit(server, code, "burst %d-%d" % (n, k // 50), "1234", texts[k % 4])
            except (OSError, http.client.HTTPException):  # the kill
                return
            if status == 200:
                with lock:
                    acknowledged.append((n, k))

    threads = [threading.Thread(target=student, args=(n,)) for n in range(8)]
    for t in threads:
        t.start()
    backup = os.path.join(work, "backup.sqlite")
    time.sleep(0.5)
    p = subprocess.run([SERVER, "--data", data, "backup", backup], capture_output=True, text=True)
    check(p.returncode == 0 and integrity(backup) == "ok", "a backup while submissions arrive: %s" % p.stderr)
    time.sleep(0.5)
    server.kill()
    for t in threads:
        t.join()
    with lock:
        count = len(acknowledged)
    check(0 < count < 8 * 400, "the kill came in the middle of the burst: %d acknowledged" % count)
    check(integrity(os.path.join(data, "contest.sqlite")) == "ok", "integrity after SIGKILL")
    server.start()
    alice = Teacher(server, "alice", "correct horse")
    rows = alice.call("GET", "/api/contests/%s/submissions" % code, csrf=False)[1]
    acknowledged_by_team, stored_by_team = {}, {}
    for n, k in acknowledged:
        team = "burst %d-%d" % (n, k // 50)
        acknowledged_by_team[team] = acknowledged_by_team.get(team, 0) + 1
    for row in rows:
        stored_by_team[row["team"]] = stored_by_team.get(row["team"], 0) + 1
    lost = {t: c for t, c in acknowledged_by_team.items() if stored_by_team.get(t, 0) < c}
    check(not lost, "every acknowledged submission survives SIGKILL (%d acknowledged); short: %s" % (count, lost))
    db = sqlite3.connect(os.path.join(data, "contest.sqlite"))
    check(db.execute("PRAGMA user_version").fetchone()[0] == 1, "the schema's version")
    db.close()


if __name__ == "__main__":
    sys.exit(main())
