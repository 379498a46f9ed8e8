#!/usr/bin/python3
"""The contest server under a class's load (not a test: it reports numbers). STUDENTS simulated
students each submit SUBMISSIONS bridges (the examples in turn, under their own team name and PIN),
thinking a random 0.5 to 3 s before each; every submission a new connection.
Reports submissions per second while the class is busy, and the latencies' median and 99th
percentile. Stops by itself when every student is done (or after 10 minutes).
Usage: server_load.py BUILD_RELEASE [STUDENTS [SUBMISSIONS]]   (build/release)"""

import asyncio
import http.client
import json
import os
import random
import socket
import subprocess
import sys
import tempfile
import time

BUILD = sys.argv[1]
STUDENTS = int(sys.argv[2]) if len(sys.argv) > 2 else 300
SUBMISSIONS = int(sys.argv[3]) if len(sys.argv) > 3 else 10
SERVER = os.path.join(BUILD, "server", "trussmill-server")
EXAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples")


def call(port, method, path, body=None, headers=None):
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=60)
    c.request(method, path, body=json.dumps(body) if body is not None else None, headers=headers or {})
    r = c.getresponse()
    data = r.read()
    c.close()
    return r.status, r, data


def main():
    work = tempfile.mkdtemp(prefix="trussmill-server-load-")
    site = os.path.join(work, "site")
    os.makedirs(site)
    with open(os.path.join(site, "index.html"), "w") as f:
        f.write("<!DOCTYPE html>")
    subprocess.run([SERVER, "--data", work, "add-teacher", "t"], input="password1\n", text=True, check=True,
                   capture_output=True)
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        port = s.getsockname()[1]
    server = subprocess.Popen([SERVER, "--data", work, "--site", site, "--listen", "127.0.0.1:%d" % port],
                              stdout=subprocess.DEVNULL)
    try:
        for _ in range(200):
            try:
                socket.create_connection(("127.0.0.1", port)).close()
                break
            except OSError:
                time.sleep(0.02)
        status, r, data = call(port, "POST", "/api/login", {"name": "t", "password": "password1"})
        headers = {"Cookie": r.getheader("Set-Cookie").split(";")[0], "X-CSRF-Token": json.loads(data)["csrf"]}
        with open(os.path.join(EXAMPLES, "contest.trussmill-assignment")) as f:
            assignment = f.read()
        code = json.loads(call(port, "POST", "/api/contests", {"assignment": assignment}, headers)[2])["code"]
        bridges = []
        for name in ("PRATT", "HOWE", "WARREN", "DECK"):
            with open(os.path.join(EXAMPLES, name + ".BRG")) as f:
                bridges.append(f.read())

        latencies, first, later, errors = [], [], [], []
        deadline = time.monotonic() + 600

        # One event loop plays every student, so that the measuring client stays light next to
        # the server on the same small machine.
        async def post(path, body):
            reader, writer = await asyncio.open_connection("127.0.0.1", port)
            data = body.encode()
            writer.write(b"POST %s HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\n"
                         b"Content-Length: %d\r\nConnection: close\r\n\r\n" % (path.encode(), len(data)) + data)
            await writer.drain()
            status_line = await reader.readline()
            await reader.read()  # to the end: the server closes
            writer.close()
            return int(status_line.split()[1])

        async def student(n):
            rng = random.Random(n)
            for k in range(SUBMISSIONS):
                await asyncio.sleep(rng.uniform(0.5, 3.0))
                if time.monotonic() > deadline:
                    return
                body = json.dumps({"team": "Team of student %d" % n, "pin": "%06d" % n,
                                   "bridge": bridges[(n + k) % 4]})
                started = time.monotonic()
                try:
                    status = await post("/api/contests/%s/submissions" % code, body)
                except OSError as e:
                    status = str(e)
                elapsed = time.monotonic() - started
                if status == 200:
                    latencies.append(elapsed)
                    (first if k == 0 else later).append(elapsed)
                else:
                    errors.append(status)

        async def classroom():
            await asyncio.gather(*(student(n) for n in range(STUDENTS)))

        started = time.monotonic()
        asyncio.run(classroom())
        wall = time.monotonic() - started
        with open("/proc/%d/stat" % server.pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        server_cpu = (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    finally:
        server.terminate()
        server.wait()
    latencies.sort()
    if not latencies:
        print("no submission succeeded; errors: %s" % errors[:10])
        return 1

    def pct(p, values=latencies):
        values = sorted(values)
        return values[min(len(values) - 1, int(p / 100.0 * len(values)))] * 1000 if values else float("nan")

    print("%d students x %d submissions: %d stored, %d refused (%s)" %
          (STUDENTS, SUBMISSIONS, len(latencies), len(errors), sorted(set(map(str, errors)))[:5]))
    print("%.1f submissions/s over %.1f s; latency p50 %.1f ms, p99 %.1f ms, max %.1f ms" %
          (len(latencies) / wall, wall, pct(50), pct(99), latencies[-1] * 1000))
    print("the server's processor time: %.1f s (%.1f ms a submission)" %
          (server_cpu, server_cpu * 1000 / len(latencies)))
    # A team's first submission hashes its PIN; the later ones only compare it.
    print("first submissions p50 %.1f ms, p99 %.1f ms; later ones p50 %.1f ms, p99 %.1f ms" %
          (pct(50, first), pct(99, first), pct(50, later), pct(99, later)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
