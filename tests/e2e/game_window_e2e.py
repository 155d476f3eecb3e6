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
import sys
import time
import unittest
import urllib.request

from e2e_session import ANSWER_BOUND, SCREEN_H, SCREEN_W, Probe, Session, png_pixels

TN_EXE, PROBE_EXE, SKIN, WINE_EXEC, OUTPUT_DIR = sys.argv[1:6]
PORT = int(os.environ["TN_STANDIN_PORT"])
STANDIN = f"http://127.0.0.1:{PORT}"
PLAY_PATH = "/tn/wd2/wd_play_1016.php?sid=s1"


def standin(target):
    with urllib.request.urlopen(STANDIN + target, timeout=10) as reply:
        return reply.read().decode("latin-1")


def new_session():
    """The session, with the desktop's code page (so that the title bar's Chinese font falls back to
    an installed one), the install folder, and a lander.ini whose login page is the play page."""
    session = Session("game", 170, 900, LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8")
    try:
        session.app = session.app_folder("app", TN_EXE, SKIN)
        data = os.path.join(session.prefix, "drive_c", "ProgramData", "Brisa", "tn")
        os.makedirs(data, exist_ok=True)
        with open(os.path.join(data, "lander.ini"), "wb") as f:
            f.write((f"[Common]\r\nLanderExeName=tn\r\nGameLoginUrl={STANDIN}{PLAY_PATH}\r\n"
                     f"VersionCheck={STANDIN}/Varkel/tn/official/app.ini\r\n").encode())
    except BaseException:
        session.close()
        raise
    return session


def screenshot(session, name):
    os.makedirs(OUTPUT_DIR, exist_ok=True)
    return session.screenshot(os.path.join(OUTPUT_DIR, name))


class Program(Probe):
    """tn.exe under the probe, which reports its top-level windows."""

    def __init__(self, session):
        super().__init__(session, WINE_EXEC, PROBE_EXE, session.app)

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


def visible(windows, cls):
    return any(w[0] for w in windows.get(cls, []))


def others_visible(windows):
    """Visible windows of the program besides the game window and the tray's own."""
    return sorted(cls for cls, ws in windows.items() if cls not in ("TFormMain", "Shell_TrayWnd") and any(w[0] for w in ws))


class GameWindowRoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = new_session()

    @classmethod
    def tearDownClass(cls):
        cls.session.close()

    def test_the_play_page_opens_the_game_window_and_closing_it_brings_the_login_back(self):
        standin("/_standin/reset")
        program = Program(self.session)
        self.addCleanup(program.close)
        self.assertEqual(program.ask("waitfor TFormMain 30000", 30 + ANSWER_BOUND), "ok", program.windows())
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
            shot = screenshot(self.session, "game_window.png")
            data, width, _ = png_pixels(shot, "rgb")
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
        screenshot(self.session, "after_close.png")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0], "-v"])
