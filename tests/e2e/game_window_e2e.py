#!/usr/bin/env python3
"""The launcher's main road with the real tn.exe: the login page is the stand-in's play page, so
its first navigation is the hand-over to the game window. The game window must come up maximized
with its title bar drawn (a screenshot is kept), the login and background windows hidden, and the
game URL fetched by the game page's browser; closing it must bring the other two back.

Usage: game_window_e2e.py TN_EXE PROBE_EXE SKIN WINE_EXEC OUTPUT_DIR
The stand-in of the test run answers on TN_STANDIN_PORT, the port tn.exe was built for. The run
gets its own Xvfb and its own copy of the Wine prefix template, so no other window is on the
screenshot.
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import urllib.request

TN_EXE, PROBE_EXE, SKIN, WINE_EXEC, OUTPUT_DIR = sys.argv[1:6]
TEMPLATE = os.path.join(os.environ.get("TN_CACHE", "/var/cache/tn-launcher"), "wine-template")
PORT = int(os.environ["TN_STANDIN_PORT"])
STANDIN = f"http://127.0.0.1:{PORT}"
PLAY_PATH = "/tn/wd2/wd_play_1016.php?sid=s1"
SCREEN_W, SCREEN_H = 1024, 768


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def standin(target):
    with urllib.request.urlopen(STANDIN + target, timeout=10) as reply:
        return reply.read().decode("latin-1")


def png_pixels(path):
    """RGB bytes and width of a picture, through ImageMagick."""
    width = int(subprocess.run(["convert", path, "-format", "%w", "info:"], check=True,
                               capture_output=True, text=True).stdout)
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True, capture_output=True).stdout
    return data, width


class Session:
    """An Xvfb, a Wine prefix with the launcher installed, and a wineserver for the whole run."""

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="tn-e2e-game.")
        n = 170
        while os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            n += 1
        self.display = f":{n}"
        self.xvfb = subprocess.Popen(["Xvfb", self.display, "-screen", "0", f"{SCREEN_W}x{SCREEN_H}x24", "-wr",
                                      "-nolisten", "tcp"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(100):
            if os.path.exists(f"/tmp/.X11-unix/X{n}"):
                break
            time.sleep(0.05)
        prefix = os.path.join(self.dir, "prefix")
        # The desktops' code page, so that the title bar's Chinese font falls back to an installed one.
        self.env = dict(os.environ, DISPLAY=self.display, WINEPREFIX=prefix, WINEARCH="win32",
                        WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=", LANG="zh_CN.UTF-8",
                        LC_ALL="zh_CN.UTF-8")
        subprocess.run(["cp", "-a", TEMPLATE, prefix], check=True)
        self.server = subprocess.Popen(["timeout", "-k", "5", "900", "wineserver", "-p", "-f"], env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["timeout", "60", "wineboot"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        # The install folder, and a lander.ini whose login page is the play page.
        self.app = os.path.join(self.dir, "app")
        os.makedirs(os.path.join(self.app, "Skin"))
        shutil.copy(TN_EXE, os.path.join(self.app, "tn.exe"))
        shutil.copy(SKIN, os.path.join(self.app, "Skin", "loginback.png"))
        data = os.path.join(prefix, "drive_c", "ProgramData", "Brisa", "tn")
        os.makedirs(data, exist_ok=True)
        with open(os.path.join(data, "lander.ini"), "wb") as f:
            f.write((f"[Common]\r\nLanderExeName=tn\r\nGameLoginUrl={STANDIN}{PLAY_PATH}\r\n"
                     f"VersionCheck={STANDIN}/Varkel/tn/official/app.ini\r\n").encode())

    def screenshot(self, name):
        os.makedirs(OUTPUT_DIR, exist_ok=True)
        path = os.path.join(OUTPUT_DIR, name)
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True)
        return path

    def close(self):
        subprocess.run(["timeout", "20", "wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        for p in (self.server, self.xvfb):
            p.terminate()
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(self.dir, ignore_errors=True)


class Program:
    """tn.exe under the probe, which reports its top-level windows."""

    def __init__(self, session):
        self.proc = subprocess.Popen([WINE_EXEC, PROBE_EXE, win_path(os.path.join(session.app, "tn.exe"))],
                                     env=session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                     encoding="utf-8", errors="replace")
        first = self.ask(None)
        if first != "ready":
            raise AssertionError("tn.exe did not come up: " + first)

    def ask(self, command):
        if command is not None:
            self.proc.stdin.write(command + "\n")
            self.proc.stdin.flush()
        line = self.proc.stdout.readline()
        return line.strip() if line else "error probe ended"

    def windows(self):
        """Class -> list of (visible, zoomed, x, y, w, h), the application's hidden window left out."""
        out = {}
        for item in self.ask("windows").split()[1:]:
            cls, *values = item.split(":")
            if cls != "TApplication":
                out.setdefault(cls, []).append(tuple(int(v) for v in values))
        return out

    def wait_windows(self, check, seconds=10):
        """The windows once check(windows) holds, or as they are when the time is up."""
        for _ in range(seconds * 10):
            windows = self.windows()
            if check(windows):
                break
            time.sleep(0.1)
        return windows

    def close(self):
        try:
            self.ask("quit")
            self.proc.wait(30)
        except (BrokenPipeError, subprocess.TimeoutExpired):
            self.proc.kill()


def visible(windows, cls):
    return any(w[0] for w in windows.get(cls, []))


def others_visible(windows):
    """Visible windows of the program besides the game window and the tray's own."""
    return sorted(cls for cls, ws in windows.items() if cls not in ("TFormMain", "Shell_TrayWnd") and any(w[0] for w in ws))


class GameWindowRoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = Session()

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def test_the_play_page_opens_the_game_window_and_closing_it_brings_the_login_back(self):
        standin("/_standin/reset")
        program = Program(self.session)
        self.addCleanup(program.close)
        self.assertEqual(program.ask("waitfor TFormMain 30000"), "ok", program.windows())
        windows = program.wait_windows(lambda ws: not others_visible(ws))
        self.assertEqual(others_visible(windows), [], f"login and background must hide: {windows}")

        game = [w for w in windows["TFormMain"] if w[0]]
        self.assertEqual(len(game), 1, windows)
        _, zoomed, x, y, w, h = game[0]
        self.assertEqual((zoomed, x, y, w), (1, 0, 0, SCREEN_W))
        self.assertGreaterEqual(h, SCREEN_H - 40)

        # The game page was fetched by the game window (the login browser's own try was cancelled).
        for _ in range(100):
            requests = standin("/_standin/requests").splitlines()
            if PLAY_PATH in requests:
                break
            time.sleep(0.1)
        self.assertEqual(requests.count(PLAY_PATH), 1, requests)

        # The title bar: its picture across the top, a lighter close button at the right end.
        for _ in range(50):
            shot = self.session.screenshot("game_window.png")
            data, width = png_pixels(shot)
            pixel = lambda px, py: tuple(data[(py * width + px) * 3:(py * width + px) * 3 + 3])
            title = pixel(SCREEN_W // 2 + 20, 18)
            if title != pixel(SCREEN_W // 2 + 20, 300):
                break
            time.sleep(0.1)
        print(f"screenshot of the game window: {shot}")
        r, g, b = title
        self.assertTrue(r > g > b and 30 <= r <= 120, f"title bar shows {title}")

        # Closing the game window brings the login and background windows back.
        self.assertEqual(program.ask("close TFormMain"), "ok")
        windows = program.wait_windows(lambda ws: not visible(ws, "TFormMain") and len(others_visible(ws)) >= 2)
        self.assertFalse(visible(windows, "TFormMain"), windows)
        self.assertIn("TFormBack", others_visible(windows))
        self.assertEqual(len(others_visible(windows)), 2, f"background and login: {windows}")
        self.session.screenshot("after_close.png")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
