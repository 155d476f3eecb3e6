#!/usr/bin/env python3
"""The background window of the real tn.exe, seen on a display of its own: position and size,
the skin's opaque and see-through parts on a screenshot, partial alpha under a compositor, the
tray start of "/autorun" and the tray menu.

Usage: back_window_e2e.py TN_EXE PROBE_EXE SKIN SMALL_SKIN WINE_EXEC

The run gets its own Xvfb (white root, so see-through parts are told from black ones) and its
own copy of the Wine prefix template, so no other test's windows are in the screenshots.
"""
import os
import signal
import subprocess
import sys
import time
import unittest

from e2e_session import ANSWER_BOUND, SCREEN_H, SCREEN_W, Probe, Session, close_all, png_pixels

TN_EXE, PROBE_EXE, SKIN, SMALL_SKIN, WINE_EXEC = sys.argv[1:6]
WHITE = (255, 255, 255)
# Every wait here is bounded, and so is the whole run (RUN_BOUND), below CTest's timeout for it
# (tests/e2e/CMakeLists.txt), so that the run still closes its display and prefix.
RUN_BOUND = 340
PROGRAM_BOUND = 120  # wine-exec's bound on one probe and the tn.exe it starts


def screenshot(session):
    return png_pixels(session.screenshot(os.path.join(session.dir, "shot.png")))


class Program(Probe):
    """tn.exe under the probe, which reports its background window's state."""

    def __init__(self, session, folder, *args):
        super().__init__(session, WINE_EXEC, PROBE_EXE, folder, *args)
        self.state = self.parse(self.first)

    @staticmethod
    def parse(line):
        return {k: int(v) for k, v in (kv.split("=") for kv in line.split()[1:])}

    def current(self):
        return self.parse(self.ask("state"))

    def wait_state(self, **want):
        """The state once it has the wanted values, or as it is after 5 s: a handler may still be
        at work after the probe's message was answered (it answers while the tray is called)."""
        for _ in range(100):
            state = self.current()
            if all(state.get(k) == v for k, v in want.items()):
                break
            time.sleep(0.05)
        return state


WM_BARICON, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_SYSCOMMAND, SC_HIDETOTRAY = 1230, 513, 516, 0x112, 0


class BackWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = Session("back", 150, RUN_BOUND + 30, TN_WINE_TIMEOUT=str(PROGRAM_BOUND))
        cls.addClassCleanup(cls.session.close)
        cls.skin, cls.skin_w, cls.skin_h = png_pixels(SKIN)
        cls.app = cls.session.app_folder("app", TN_EXE, SKIN)
        cls.small = cls.session.app_folder("small", TN_EXE, SMALL_SKIN)

    def start(self, folder, *args):
        program = Program(self.session, folder, *args)
        self.addCleanup(program.close)
        return program

    def skin_alpha(self, x, y):
        return self.skin[(y * self.skin_w + x) * 4 + 3]

    def skin_rgb(self, x, y):
        i = (y * self.skin_w + x) * 4
        return tuple(self.skin[i:i + 3])

    def shot_when(self, ready):
        """A screenshot, taken again until ready(pixel) holds: the X server paints on its own time."""
        for _ in range(50):
            shot, w, _ = screenshot(self.session)
            pixel = lambda x, y: tuple(shot[(y * w + x) * 4:(y * w + x) * 4 + 3])
            if ready(pixel):
                return pixel
            time.sleep(0.1)
        return pixel

    def exit_from_tray_menu(self, program):
        self.assertEqual(program.ask(f"send {WM_BARICON} 0 {WM_RBUTTONDOWN}"), "ok")
        self.assertEqual(program.ask("menu 1"), "ok")  # "退出"
        self.assertEqual(program.ask("wait 15000", 15 + ANSWER_BOUND), "exited 0")

    def test_plain_start_shows_the_skin_centred_with_its_see_through_parts(self):
        p = self.start(self.app)
        s = p.wait_state(visible=1)
        self.assertEqual((s["visible"], s["w"], s["h"], s["appwindow"], s["tray"]), (1, 1024, 651, 1, 0))
        self.assertEqual((s["x"], s["y"]), ((SCREEN_W - 1024) // 2, (SCREEN_H - 651) // 2))
        inside = [(630, 360), (340, 190), (900, 540), (210, 330)]
        outside = [(5, 5), (1018, 645), (1010, 20), (20, 640)]
        for x, y in inside:
            self.assertEqual(self.skin_alpha(x, y), 255)
        for x, y in outside:
            self.assertEqual(self.skin_alpha(x, y), 0)
        pixel = self.shot_when(lambda px: px(s["x"] + 630, s["y"] + 360) != px(5, 5))
        background = pixel(5, 5)
        self.assertEqual(background, WHITE)
        for x, y in inside:
            got, want = pixel(s["x"] + x, s["y"] + y), self.skin_rgb(x, y)
            self.assertTrue(all(abs(a - b) <= 3 for a, b in zip(got, want)), f"({x},{y}) shows {got}, skin {want}")
        for x, y in outside:
            self.assertEqual(pixel(s["x"] + x, s["y"] + y), background, f"({x},{y}) is not see-through")
        self.exit_from_tray_menu(p)

    def test_a_skin_of_another_size_gives_a_window_of_that_size(self):
        s = self.start(self.small).wait_state(visible=1)
        self.assertEqual((s["w"], s["h"]), (400, 260))
        self.assertEqual((s["x"], s["y"]), ((SCREEN_W - 400) // 2, (SCREEN_H - 260) // 2))

    def test_autorun_goes_to_the_tray_and_a_left_click_brings_the_window_back(self):
        p = self.start(self.app, "/autorun")
        s = p.wait_state(tray=1)
        self.assertEqual((s["visible"], s["tray"], s["toolwindow"], s["appwindow"]), (0, 1, 1, 0))
        pixel = self.shot_when(lambda px: True)
        self.assertEqual(pixel(512, 384), WHITE)
        self.assertEqual(p.ask(f"send {WM_BARICON} 0 {WM_LBUTTONDOWN}"), "ok")
        s = p.wait_state(visible=1, appwindow=1, tray=0)
        self.assertEqual((s["visible"], s["iconic"], s["tray"], s["appwindow"], s["w"]), (1, 0, 0, 1, 1024))
        pixel = self.shot_when(lambda px: px(s["x"] + 630, s["y"] + 360) != WHITE)
        self.assertNotEqual(pixel(s["x"] + 630, s["y"] + 360), WHITE)

    def test_autorun_with_setuprun_stays_visible(self):
        s = self.start(self.app, "/autorun", "/setuprun").wait_state(visible=1)
        self.assertEqual((s["visible"], s["tray"]), (1, 0))

    def test_the_tray_menu_opens_on_a_right_click_and_its_exit_ends_the_program(self):
        p = self.start(self.app, "/autorun")
        p.wait_state(tray=1)
        # A right click on the icon in the system tray, which hands it on to the window.
        self.assertEqual(p.ask(f"trayclick {WM_RBUTTONDOWN}"), "ok")
        self.assertEqual(p.current()["visible"], 0)  # the menu is open; the window stays hidden
        self.assertEqual(p.ask("menu 0"), "ok")  # "打开"
        self.assertEqual(p.wait_state(visible=1, tray=0)["visible"], 1)
        self.assertEqual(p.ask(f"send {WM_SYSCOMMAND} {SC_HIDETOTRAY} 0"), "ok")
        self.assertEqual(p.wait_state(tray=1)["tray"], 1)
        self.assertEqual(p.ask(f"trayclick {WM_RBUTTONDOWN}"), "ok")
        self.assertEqual(p.ask("menu 1"), "ok")  # "退出"
        self.assertEqual(p.ask("wait 15000", 15 + ANSWER_BOUND), "exited 0")

    def test_partial_alpha_blends_under_a_compositor(self):
        compositor = subprocess.Popen(["xcompmgr", "-d", self.session.display], stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (compositor.send_signal(signal.SIGTERM), compositor.wait(10)))
        # The compositor has taken the screen over, before the window maps, once it has painted the
        # white root with its own background.
        self.assertNotEqual(self.shot_when(lambda px: px(5, 5) != WHITE)(5, 5), WHITE,
                            "the compositor did not take the screen over")
        p = self.start(self.app)
        s = p.wait_state(visible=1)
        # Below the card, where its black shadow fades out: the skin's alpha between 0 and 255.
        # Waited for there (the login window's label over the card may show first).
        shadow = (588, 591, 597, 606)
        pixel = self.shot_when(lambda px: all(px(s["x"] + 630, s["y"] + y) != px(5, 5) for y in shadow))
        # The compositor paints the background itself (grey where nothing sets it).
        background = pixel(5, 5)
        for y in shadow:
            alpha = self.skin_alpha(630, y)
            self.assertTrue(5 < alpha < 200, alpha)
            got = pixel(s["x"] + 630, s["y"] + y)
            want = [c * (255 - alpha) / 255 for c in background]
            self.assertTrue(all(abs(g - w) <= 4 for g, w in zip(got, want)),
                            f"y {y}: shadow shows {got}, expected about {want} over {background}")
        self.exit_from_tray_menu(p)


def out_of_time(*_):
    raise KeyboardInterrupt(f"the run took longer than {RUN_BOUND} s")


if __name__ == "__main__":
    signal.signal(signal.SIGALRM, out_of_time)
    signal.alarm(RUN_BOUND)
    try:
        unittest.main(argv=[sys.argv[0], "-v"])
    finally:
        close_all()
