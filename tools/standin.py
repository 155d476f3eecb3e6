#!/usr/bin/env python3
"""Local stand-in of the platform's servers for the tests (Python standard library only).

Serves the login and play pages, the remote version file, the installers (from --files), the
statistics path and the public-address lookup, all on 127.0.0.1. Tests steer it through
/_standin/...:

  /_standin/ping                     "ok"
  /_standin/reset                    forget every behaviour and every recorded request
  /_standin/set?path=P&KEY=VALUE...  the reply for the exact path P (values percent-encoded);
                                     what is not given comes from P's built-in reply, if any:
      status=N        status code (default 200; 302 when redirect is given)
      body=BYTES      reply body
      type=TEXT       Content-Type
      delay=MS        wait before replying
      never=1         accept the request and never reply
      hold_body=1     send the headers, then never the body
      redirect=URL    Location header
      size=N          a generated body of N bytes (streamed)
      cut=M           with size: close the connection after M bytes of the body
      nolength=1      no Content-Length: the body ends when the connection closes
  /_standin/clear?path=P             back to the built-in reply for P
  /_standin/requests                 one line per recorded request: its raw target
  /_standin/requests?path=P          one line per request to P: its raw query string
  /_standin/times?path=P[&count=N&timeout=MS]
                                     one line per request to P: its arrival time (epoch seconds);
                                     with count, first waits until N arrived or MS passed
Control requests are not recorded. Behaviours and records are mirrored in --state DIR.
"""

import argparse
import json
import os
import select
import socket
import sys
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

STAT_PATH = "/controller/istat.controller.php"
LOGIN_PATH = "/tn/wd2/index.html"
VERSION_PATH = "/Varkel/tn/official/app.ini"
PLAY_MARKER = "wd_play_1016.php"
INSTALLERS = {
    "/Varkel/tn/official/Setup_Varkelbn.exe": "Setup_Varkelbn.exe",
    "/Varkel/pfr/pfrIconTips/pfrIconTipsSetup.exe": "pfrIconTipsSetup.exe",
    "/Varkel/bn/animateicon/VarkelAnimateIcon.exe": "VarkelAnimateIcon.exe",
}

LOGIN_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>登录</title></head>
<body>
<form id="login" action="/tn/wd2/wd_play_1016.php" method="get">
<input type="text" name="USERNAME" value="">
<input type="password" name="PASSWORD" value="">
<input type="hidden" name="server_id" value="s1">
<input type="submit" value="登录">
</form>
</body></html>
""".encode("utf-8")

PLAY_PAGE = """<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Varkel</title>
<script>
function jjssyyllDown(x, y) {}
function jjssyyllMove(x, y) {}
function jjssyyllUp(x, y) {}
</script></head>
<body><div id="game">game</div></body></html>
""".encode("utf-8")

# No newer version: the client's own 1.0.0.0 never triggers an update.
VERSION_FILE = b"[version]\r\ncurrentversion=1.0.0.0\r\nupgraderange=\r\n"

IP_PAGE = b"<html><body>Current IP: [203.0.113.7] </body></html>"


def parse_query(query):
    """Raw query string -> {name: bytes}; values are percent-decoded to bytes, never re-encoded."""
    out = {}
    for part in query.split("&"):
        if not part:
            continue
        name, _, value = part.partition("=")
        out[urllib.parse.unquote(name)] = urllib.parse.unquote_to_bytes(value.replace("+", " "))
    return out


class State:
    """Behaviours per path and the recorded requests, in memory and mirrored in the state folder."""

    def __init__(self, folder):
        self.lock = threading.Lock()
        self.folder = folder
        os.makedirs(folder, exist_ok=True)
        self.behaviours = {}
        self.requests = []  # (path, raw query, raw target), in arrival order
        self._save_behaviours()
        open(self._requests_file(), "w").close()

    def _requests_file(self):
        return os.path.join(self.folder, "requests.log")

    def _save_behaviours(self):
        printable = {p: {k: (v.decode("latin-1") if isinstance(v, bytes) else v) for k, v in b.items()}
                     for p, b in self.behaviours.items()}
        with open(os.path.join(self.folder, "behaviours.json"), "w") as f:
            json.dump(printable, f, indent=1)

    def reset(self):
        with self.lock:
            self.behaviours.clear()
            self.requests.clear()
            self._save_behaviours()
            open(self._requests_file(), "w").close()

    def set(self, path, behaviour):
        with self.lock:
            if behaviour is None:
                self.behaviours.pop(path, None)
            else:
                self.behaviours[path] = behaviour
            self._save_behaviours()

    def behaviour(self, path):
        with self.lock:
            return self.behaviours.get(path)

    def record(self, path, query, target):
        with self.lock:
            self.requests.append((path, query, target))
            with open(self._requests_file(), "a", encoding="latin-1") as f:
                f.write(target + "\n")

    def recorded(self, path=None):
        with self.lock:
            if path is None:
                return [t for _, _, t in self.requests]
            return [q for p, q, _ in self.requests if p == path]


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def version_string(self):
        return "standin"

    def log_message(self, fmt, *args):
        sys.stderr.write("%.3f %s\n" % (time.time(), fmt % args))

    # --- plumbing ---------------------------------------------------------------

    def _split(self):
        path, _, query = self.path.partition("?")
        return path, query

    def _send(self, status, body=b"", ctype="text/plain", headers=(), length=True):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        for name, value in headers:
            self.send_header(name, value)
        if length:
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.write(body)
        self.close_connection = True

    def _hold(self):
        """Keeps the connection open without a word until the client leaves or the stand-in ends."""
        self.wfile.flush()
        try:
            select.select([self.connection, self.server.wakeup], [], [])
        except (OSError, ValueError):
            pass
        self.close_connection = True

    def _wait(self, ms):
        return not self.server.stopping.wait(ms / 1000.0)

    # --- requests ---------------------------------------------------------------

    def do_GET(self):
        path, query = self._split()
        try:
            if path.startswith("/_standin/"):
                self._control(path, query)
            else:
                self.server.state.record(path, query, self.path)
                self._serve(path)
        except (BrokenPipeError, ConnectionResetError, ConnectionAbortedError):
            self.close_connection = True

    def do_HEAD(self):
        self.send_error(405)

    def do_POST(self):
        self.send_error(405)

    def _control(self, path, query):
        args = parse_query(query)
        state = self.server.state
        name = path[len("/_standin/"):]
        if name == "ping":
            self._send(200, b"ok")
        elif name == "reset":
            state.reset()
            self._send(200, b"ok")
        elif name in ("set", "clear"):
            target = args.pop("path", b"").decode("utf-8")
            if not target.startswith("/"):
                self._send(400, b"path must start with /")
                return
            state.set(target, args if name == "set" else None)
            self._send(200, b"ok")
        elif name == "requests":
            only = args.get("path")
            lines = state.recorded(only.decode("utf-8") if only is not None else None)
            self._send(200, "".join(line + "\n" for line in lines).encode("latin-1"))
        elif name == "times":
            control_times(self, args)
        else:
            self._send(404, b"unknown control request")

    def _builtin(self, path):
        """(status, body, content type) of the built-in reply for a path; None when it has none."""
        if path == LOGIN_PATH:
            return 200, LOGIN_PAGE, "text/html; charset=utf-8"
        if PLAY_MARKER in path:
            return 200, PLAY_PAGE, "text/html; charset=utf-8"
        if path == VERSION_PATH:
            return 200, VERSION_FILE, "text/plain"
        if path == STAT_PATH:
            return 200, b"1", "text/html"
        if path == "/ic.asp":
            return 200, IP_PAGE, "text/html"
        name = INSTALLERS.get(path) or os.path.basename(path)
        if name and self.server.files:
            file = os.path.join(self.server.files, name)
            if os.path.isfile(file):
                with open(file, "rb") as f:
                    return 200, f.read(), "application/octet-stream"
        return None

    def _serve(self, path):
        b = self.server.state.behaviour(path)
        builtin = self._builtin(path)
        if b is None:
            self._send(*(builtin or (404, b"not found", "text/plain")))
            return

        if b.get("never") == b"1":
            self._hold()
            return
        if "delay" in b and not self._wait(int(b["delay"])):
            return

        headers = []
        if "redirect" in b:
            headers.append(("Location", b["redirect"].decode("latin-1")))
        # A path given a behaviour exists, built-in or not.
        status, body, ctype = builtin or (200, b"", "text/plain")
        if "status" in b:
            status = int(b["status"])
        elif "redirect" in b:
            status = 302
        if "body" in b:
            body = b["body"]
        ctype = b["type"].decode("latin-1") if "type" in b else ctype
        with_length = b.get("nolength") != b"1"

        if "size" in b:
            size = int(b["size"])
            sent = min(size, int(b["cut"])) if "cut" in b else size
            self._send_generated(status, size, sent, ctype, headers, with_length,
                                 b.get("hold_body") == b"1")
            return

        if b.get("hold_body") == b"1":
            self.send_response(status)
            self.send_header("Content-Type", ctype)
            for name, value in headers:
                self.send_header(name, value)
            self.send_header("Content-Length", str(len(body) or 1))
            self.end_headers()
            self._hold()
            return
        self._send(status, body, ctype, headers, with_length)

    def _send_generated(self, status, size, sent, ctype, headers, with_length, hold):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        for name, value in headers:
            self.send_header(name, value)
        if with_length:
            self.send_header("Content-Length", str(size))
        self.send_header("Connection", "close")
        self.end_headers()
        self.close_connection = True
        if hold:
            self._hold()
            return
        chunk = b"x" * 65536
        left = sent
        while left > 0 and not self.server.stopping.is_set():
            n = min(left, len(chunk))
            self.wfile.write(chunk[:n])
            left -= n


# --- Arrival times of requests (login-window tests, login-page benchmark) -----------------------

class TimedState(State):
    """The state, also noting when each request arrived, so a caller can wait for requests."""

    def __init__(self, folder):
        self.arrivals = []  # (path, seconds since the epoch), in arrival order
        self.arrived = threading.Condition()
        super().__init__(folder)

    def reset(self):
        super().reset()
        with self.arrived:
            self.arrivals.clear()

    def record(self, path, query, target):
        super().record(path, query, target)
        with self.arrived:
            self.arrivals.append((path, time.time()))
            self.arrived.notify_all()

    def times(self, path, count, timeout_ms):
        """Arrival times of the requests to path, once there are count of them or the time-out
        has passed."""
        deadline = time.monotonic() + timeout_ms / 1000.0
        with self.arrived:
            while True:
                found = [t for p, t in self.arrivals if p == path]
                left = deadline - time.monotonic()
                if len(found) >= count or left <= 0:
                    return found
                self.arrived.wait(left)


def control_times(handler, args):
    """/_standin/times?path=P[&count=N&timeout=MS]: one line per request to P, its arrival time in
    seconds since the epoch; with count, the reply waits until N requests to P arrived or MS passed
    (at most 120000)."""
    target = args.get("path", b"").decode("utf-8")
    count = int(args.get("count", b"0"))
    timeout_ms = min(int(args.get("timeout", b"0")), 120000)
    found = handler.server.state.times(target, count, timeout_ms)
    handler._send(200, "".join("%.6f\n" % t for t in found).encode("ascii"))


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, port, state, files):
        super().__init__(("127.0.0.1", port), Handler)
        self.state = state
        self.files = files
        self.stopping = threading.Event()
        # Stays readable once written: wakes every held connection at the end.
        self.wakeup, self._wake_writer = socket.socketpair()

    def stop(self):
        self.stopping.set()
        try:
            self._wake_writer.send(b"x")
        except OSError:
            pass
        self.shutdown()


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--lifetime", type=float, default=3000, help="seconds until it stops by itself")
    ap.add_argument("--state", required=True, help="folder for behaviours and recorded requests")
    ap.add_argument("--files", default="", help="folder of the files it serves (the installers)")
    a = ap.parse_args()

    server = Server(a.port, TimedState(a.state), a.files)
    timer = threading.Timer(a.lifetime, server.stop)
    timer.daemon = True
    timer.start()
    sys.stderr.write("standin on 127.0.0.1:%d for %g s\n" % (a.port, a.lifetime))
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        timer.cancel()
        server.stopping.set()
        server.server_close()


if __name__ == "__main__":
    main()
