"""What the end-to-end scripts share: an Xvfb, a copy of the Wine prefix template and a wineserver
that live for the whole run, the install folders of tn.exe in it, screenshots of its display, and
tn.exe under a probe that answers line by line.
"""
import os
import select
import shutil
import subprocess
import tempfile
import time

# The road's prefix template and prefix kind, as tools/lib.sh chose them (the 32-bit ones by default).
TEMPLATE = os.environ.get("TN_TEMPLATE") or os.path.join(os.environ.get("TN_CACHE", "/var/cache/tn-launcher"),
                                                         "wine-template")
WINEARCH = os.environ.get("WINEARCH", "win32")
SCREEN_W, SCREEN_H = 1024, 768
TOOL_BOUND = 60  # one ImageMagick, cp or wineboot run
ANSWER_BOUND = 30  # one answer of the probe


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def png_pixels(path, channels="rgba"):
    """The bytes (channels, 8 bits each), width and height of a picture, through ImageMagick."""
    size = subprocess.run(["convert", path, "-format", "%w %h", "info:"], check=True,
                          capture_output=True, text=True, timeout=TOOL_BOUND).stdout.split()
    data = subprocess.run(["convert", path, "-depth", "8", f"{channels}:-"], check=True, capture_output=True,
                          timeout=TOOL_BOUND).stdout
    return data, int(size[0]), int(size[1])


class Session:
    """An Xvfb on the first free display from first_display, a Wine prefix and a wineserver that
    lives server_bound seconds at the most; env adds to the programs' environment."""

    live = []

    def __init__(self, name, first_display, server_bound, **env):
        self.dir = tempfile.mkdtemp(prefix=f"tn-e2e-{name}.")
        self.xvfb = self.server = None
        self.env = None
        Session.live.append(self)
        try:
            self.start(first_display, server_bound, env)
        except BaseException:
            self.close()
            raise

    def start(self, first_display, server_bound, env):
        n = first_display
        while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            n += 1
        self.display = f":{n}"
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-wr",
                                      "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.05)
        else:
            raise AssertionError(f"Xvfb {self.display} did not come up in 5 s")
        self.prefix = os.path.join(self.dir, "prefix")
        self.env = dict(os.environ, DISPLAY=self.display, WINEPREFIX=self.prefix, WINEARCH=WINEARCH,
                        WINEDEBUG="-all",
                        WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d", **env)
        subprocess.run(["cp", "-a", TEMPLATE, self.prefix], check=True, timeout=TOOL_BOUND)
        self.server = subprocess.Popen(["timeout", "-k", "5", str(server_bound), "wineserver", "-p", "-f"],
                                       env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["timeout", "60", "wineboot"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def app_folder(self, name, exe, skin):
        """An install folder: tn.exe and its skin."""
        folder = os.path.join(self.dir, name)
        os.makedirs(os.path.join(folder, "Skin"), exist_ok=True)
        shutil.copy(exe, os.path.join(folder, "tn.exe"))
        shutil.copy(skin, os.path.join(folder, "Skin", "loginback.png"))
        return folder

    def screenshot(self, path):
        """The whole display, saved at path."""
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True,
                       timeout=TOOL_BOUND)
        return path

    def close(self):
        if self not in Session.live:
            return
        Session.live.remove(self)
        if self.env:
            subprocess.run(["timeout", "20", "wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL)
        for p in (self.server, self.xvfb):
            if p is None:
                continue
            p.terminate()
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


def close_all():
    for session in list(Session.live):
        session.close()


class Probe:
    """tn.exe of folder under a probe, through wine-exec; its first line, which starts with "ready",
    is kept in first. The probe ends tn.exe when it ends itself, and wine-exec bounds them both."""

    def __init__(self, session, wine_exec, probe_exe, folder, *args):
        self.proc = subprocess.Popen([wine_exec, probe_exe, win_path(os.path.join(folder, "tn.exe")), *args],
                                     env=session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.out = self.proc.stdout.fileno()
        self.pending = b""
        try:
            self.first = self.read(ANSWER_BOUND * 2)  # a first start in a fresh prefix takes longer
            if self.first.split()[:1] != ["ready"]:
                raise AssertionError("tn.exe did not come up: " + self.first)
        except BaseException:
            self.close()
            raise

    def read(self, bound=ANSWER_BOUND):
        """The probe's next line; the test fails when none comes within bound seconds."""
        deadline = time.monotonic() + bound
        while b"\n" not in self.pending:
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError(f"the probe gave no answer within {bound} s")
            if select.select([self.out], [], [], left)[0]:
                chunk = os.read(self.out, 4096)
                if not chunk:
                    return "error probe ended"
                self.pending += chunk
        line, _, self.pending = self.pending.partition(b"\n")
        return line.decode("utf-8", "replace").strip()

    def ask(self, command, bound=ANSWER_BOUND):
        self.proc.stdin.write((command + "\n").encode())
        self.proc.stdin.flush()
        return self.read(bound)

    def close(self):
        try:
            if self.proc.poll() is None:
                self.ask("quit")
            self.proc.wait(ANSWER_BOUND)
        except (OSError, AssertionError, subprocess.TimeoutExpired):
            # Ends wine-exec, whose own bound then takes what it started along.
            self.proc.terminate()
            try:
                self.proc.wait(ANSWER_BOUND)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        for pipe in (self.proc.stdin, self.proc.stdout):
            try:
                pipe.close()
            except OSError:
                pass
