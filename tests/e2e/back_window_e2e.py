#!/usr/bin/env python3
"""The background window of the real tn.exe, seen on a display of its own: position and size,
the skin's opaque and see-through parts on a screenshot, partial alpha under a compositor, the
tray start of "/autorun" and the tray menu.

Usage: back_window_e2e.py TN_EXE PROBE_EXE SKIN SMALL_SKIN WINE_EXEC

The run gets its own Xvfb (white root, so see-through parts are told from black ones) and its
own copy of the Wine prefix template, so no other test's windows are in the screenshots.
"""
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

TN_EXE, PROBE_EXE, SKIN, SMALL_SKIN, WINE_EXEC = sys.argv[1:6]
TEMPLATE = os.path.join(os.environ.get("TN_CACHE", "/var/cache/tn-launcher"), "wine-template")
SCREEN_W, SCREEN_H = 1024, 768
WHITE = (255, 255, 255)
# Every wait here is bounded, and so is the whole run (RUN_BOUND), below CTest's timeout for it
# (tests/e2e/CMakeLists.txt), so that the run still closes its display and prefix.
RUN_BOUND = 340
TOOL_BOUND = 60  # one ImageMagick, cp or wineboot run
PROGRAM_BOUND = 120  # wine-exec's bound on one probe and the tn.exe it starts
ANSWER_BOUND = 30  # one answer of the probe


def win_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def png_pixels(path):
    """RGBA bytes and size of a picture, through ImageMagick."""
    size = subprocess.run(["convert", path, "-format", "%w %h", "info:"], check=True,
                          capture_output=True, text=True, timeout=TOOL_BOUND).stdout.split()
    data = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], check=True, capture_output=True,
                          timeout=TOOL_BOUND).stdout
    return data, int(size[0]), int(size[1])


class Session:
    """An Xvfb, a Wine prefix and a wineserver that live for the whole run."""

    live = []

    def __init__(self):
        self.dir = tempfile.mkdtemp(prefix="tn-e2e-back.")
        self.xvfb = self.server = None
        self.env = None
        Session.live.append(self)
        try:
            self.start()
        except BaseException:
            self.close()
            raise

    def start(self):
        n = 150
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
        self.env = dict(os.environ, DISPLAY=self.display, WINEPREFIX=os.path.join(self.dir, "prefix"),
                        WINEARCH="win32", WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree=;mshtml=",
                        TN_WINE_TIMEOUT=str(PROGRAM_BOUND))
        subprocess.run(["cp", "-a", TEMPLATE, self.env["WINEPREFIX"]], check=True, timeout=TOOL_BOUND)
        self.server = subprocess.Popen(["timeout", "-k", "5", str(RUN_BOUND + 30), "wineserver", "-p", "-f"],
                                       env=self.env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run(["timeout", "60", "wineboot"], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)

    def app_folder(self, name, skin):
        folder = os.path.join(self.dir, name)
        os.makedirs(os.path.join(folder, "Skin"), exist_ok=True)
        shutil.copy(TN_EXE, os.path.join(folder, "tn.exe"))
        shutil.copy(skin, os.path.join(folder, "Skin", "loginback.png"))
        return folder

    def screenshot(self):
        path = os.path.join(self.dir, "shot.png")
        subprocess.run(["import", "-display", self.display, "-window", "root", path], check=True,
                       timeout=TOOL_BOUND)
        return png_pixels(path)

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


class Program:
    """tn.exe under the probe, which reports its background window's state. The probe ends tn.exe
    when it ends itself, and wine-exec bounds them both."""

    def __init__(self, session, folder, *args):
        self.proc = subprocess.Popen([WINE_EXEC, PROBE_EXE, win_path(os.path.join(folder, "tn.exe")), *args],
                                     env=session.env, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.out = self.proc.stdout.fileno()
        self.pending = b""
        try:
            first = self.read(ANSWER_BOUND * 2)  # a first start in a fresh prefix takes longer
            if not first.startswith("ready "):
                raise AssertionError("tn.exe did not come up: " + first)
            self.state = self.parse(first)
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


WM_BARICON, WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_SYSCOMMAND, SC_HIDETOTRAY = 1230, 513, 516, 0x112, 0


class BackWindow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.session = Session()
        cls.addClassCleanup(cls.session.close)
        cls.skin, cls.skin_w, cls.skin_h = png_pixels(SKIN)
        cls.app = cls.session.app_folder("app", SKIN)
        cls.small = cls.session.app_folder("small", SMALL_SKIN)

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
            shot, w, _ = self.session.screenshot()
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
        for session in list(Session.live):
            session.close()
