#!/usr/bin/env python3
"""The window at other display scales, end to end: tests/e2e/dpi_e2e.py --linux | --windows

--windows: the Win32 build under Wine (a prefix of its own under build/e2e/wine-dpi) with the
system DPI at 96 and at 144 (HKCU\\Control Panel\\Desktop\\LogPixels): at 144 the window opens at
1800 x 1125 and its frame, averaged over cells of 6 x 6 units, matches the 96-DPI frame; then in
a 1024 x 768 screen the window fits the screen and its close button ends it.
--linux: the GTK build at GDK_SCALE=2 against GDK_SCALE=1 in the same way.

Each run shows corvanite_e2e_gui (scripted drives) after its first scan, pointer away. Prints
"e2e-<build>-dpi: N passed, M failed"; exits non-zero on failure. Uses gui_e2e.py's session.
"""

import argparse
import os
import subprocess
import sys
import time

import gui_e2e as g

CELL = 6  # units per comparison cell: 200 x 125 cells for a 1200 x 750 frame


def cells(shot, x, y, w, h):
    """The client area averaged over 200 x 125 cells (ImageMagick's box filter), RGB bytes."""
    ppm = b"P6 %d %d 255\n" % (w, h) + shot.region(x, y, x + w, y + h)
    size = "%dx%d!" % (1200 // CELL, 750 // CELL)
    return subprocess.run(["convert", "ppm:-", "-filter", "Box", "-resize", size, "-depth", "8",
                           "rgb:-"], input=ppm, capture_output=True, timeout=60).stdout


def difference(a, b):
    """Mean channel difference, and the share of cells off by more than 32 in some channel."""
    if len(a) != len(b) or not a:
        return 255.0, 1.0
    total = sum(abs(p - q) for p, q in zip(a, b))
    off = sum(1 for i in range(0, len(a), 3)
              if max(abs(a[i + k] - b[i + k]) for k in range(3)) > 32)
    return total / len(a), off / (len(a) // 3)


class Dpi:
    def __init__(self, session):
        self.s = session

    def start_screen(self, width, height):
        g.SCREEN_W, g.SCREEN_H = width, height
        self.s.start_xvfb()

    def set_dpi(self, dpi):
        s = self.s
        s.wineserver("-k")
        subprocess.run([os.path.join(g.ROOT, "scripts", "wine-run"), "reg.exe", "add",
                        "HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                        "/d", str(dpi), "/f"], env=s.env, timeout=180, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        s.wineserver("-w")

    def frame(self, scale, name, extra_env=None):
        """Starts the program, waits for the scan's end; (window, client cells, app)."""
        s = self.s
        app = s.launch(s.e2e_program, extra_env)
        wid = s.find_window("^Corvanite$", seconds=60)
        if not s.check("%s: window appears" % name, wid is not None):
            raise g.Failure("no window")
        win = g.Window(s, wid)
        s.xdo("mousemove", "--sync", g.SCREEN_W - 2, g.SCREEN_H - 2)
        # The scan has ended when [REFRESH] has its cyan border (its left edge, mid-height).
        ex, ey = round(11 * scale), win.h - round(44 * scale)
        shot = s.grab()
        deadline = time.monotonic() + 30
        while win.px(shot, ex, ey) != g.ACCENT and time.monotonic() < deadline:
            time.sleep(0.1)
            win.refresh()
            shot = s.grab()
        time.sleep(0.3)
        shot = s.grab()
        s.save(shot, name)
        return win, cells(shot, win.x, win.y, win.w, win.h), app

    def close(self, win, app, scale, name):
        s = self.s
        win.click(win.w - round(20 * scale), round(17 * scale))
        try:
            code = app.wait(timeout=20)
        except subprocess.TimeoutExpired:
            code = None
        s.check("%s: the drawn close button ends the program (exit code 0)" % name, code == 0,
                "exit code %s" % code)

    def compare(self, scale, env_base, env_scaled, before):
        s = self.s
        win, base, app = self.frame(1, "100-percent", env_base)
        s.check("100 %: client area 1200 x 750", (win.w, win.h) == (1200, 750),
                "%d x %d" % (win.w, win.h))
        self.close(win, app, 1, "100 %")
        if before:
            before()
        name = "%d-percent" % round(scale * 100)
        win, scaled, app = self.frame(scale, name, env_scaled)
        want = (round(1200 * scale), round(750 * scale))
        s.check("%s: client area %d x %d" % (name, want[0], want[1]), (win.w, win.h) == want,
                "%d x %d" % (win.w, win.h))
        mean, off = difference(base, scaled)
        s.figure("%s frame against the 100 %% frame over %d-unit cells: mean difference %.1f, "
                 "%.1f %% of cells off by more than 32" % (name, CELL, mean, off * 100))
        s.check("%s: the frame looks like the 100 %% frame (mean < 6, under 5 %% of cells off)"
                % name, mean < 6 and off < 0.05)
        self.close(win, app, scale, name)

    def windows(self):
        s = self.s
        self.start_screen(2000, 1300)
        self.set_dpi(96)
        self.compare(1.5, None, None, lambda: self.set_dpi(144))
        self.set_dpi(96)
        self.start_screen(1024, 768)
        win, _, app = self.frame(1, "screen-1024x768")
        s.check("1024 x 768 screen: the window fits it, its buttons on the screen",
                win.x >= 0 and win.y >= 0 and win.x + win.w <= 1024 and win.y + win.h <= 768,
                "window %d,%d %dx%d" % (win.x, win.y, win.w, win.h))
        self.close(win, app, 1, "1024 x 768 screen")

    def linux(self):
        self.start_screen(2600, 1600)
        self.compare(2, {"GDK_SCALE": "1"}, {"GDK_SCALE": "2"}, None)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    which = parser.add_mutually_exclusive_group(required=True)
    which.add_argument("--linux", action="store_true")
    which.add_argument("--windows", action="store_true")
    options = parser.parse_args()
    build = "windows" if options.windows else "linux"
    session = g.Session(build)
    session.build = build + "-dpi"
    session.out = os.path.join(g.ROOT, "build", "e2e", session.build)
    session.work = os.path.join(session.out, "work")
    session.wine_build = os.path.join(g.ROOT, "build", "e2e", "wine-dpi")
    session.prefix = os.path.join(session.wine_build, "wineprefix")
    os.makedirs(session.work, exist_ok=True)
    os.makedirs(session.wine_build, exist_ok=True)
    started = time.monotonic()
    try:
        if not os.path.exists(session.e2e_program):
            raise g.Failure("not built: " + session.e2e_program)
        run = Dpi(session)
        run.windows() if options.windows else run.linux()
    except g.Failure as failure:
        session.check("run could go on", False, str(failure))
    except subprocess.TimeoutExpired as error:
        session.check("run could go on", False, "timeout: %s" % error)
    finally:
        session.cleanup()
    session.log("%.0f s, screenshots in %s" % (time.monotonic() - started,
                                                os.path.relpath(session.out, g.ROOT)))
    print("e2e-%s: %d passed, %d failed" % (session.build, session.passed, session.failed),
          flush=True)
    return 0 if session.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
