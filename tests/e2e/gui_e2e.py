#!/usr/bin/env python3
"""End-to-end test of the Corvanite window, in a real window under Xvfb.

    tests/e2e/gui_e2e.py --linux | --windows

--linux drives the GTK build (build/linux), --windows the Win32 build under Wine
(build/windows-cross, in a Wine prefix of its own under build/e2e/wine). For each build:

  * the program itself (corvanite / corvanite.exe): time to the mapped window and to the first
    painted frame, the frame's outline and title gradient, the end of the first scan, the close
    button (exit code 0);
  * corvanite_e2e_gui, the same program with a scripted drive layer (tests/e2e/scripted_drives.cpp:
    five drives of known health), driven with xdotool: scanning and scan result, the tabs, drive
    selection, hover, the wheel, F5, the volume letter keys, read-only and fix-mode checks with
    the stand-in checker (tests/volume_check/fake_chkdsk.cpp) as chkdsk.exe, cancel, dragging,
    maximise and restore, the report export through the save dialog and a failed export, the
    idle CPU use, and close.

Every check reads pixels of a screenshot at the positions the window's fixed layout gives, or
files the program or the stand-in wrote. Every wait polls with a deadline. The screenshots go to
build/e2e/<build>/; the last line printed is "e2e-<build>: N passed, M failed" and the exit status
is non-zero when any check failed. Python standard library only; needs Xvfb, xdotool and
ImageMagick's import.
"""

import argparse
import fcntl
import os
import select
import shutil
import signal
import struct
import subprocess
import sys
import time
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCREEN_W, SCREEN_H = 1600, 1000

# The palette (0xRRGGBB), as src/ui/palette.h.
WINDOW_BG = 0x05050A
TITLE_BG = 0x060610
PANEL_BG = 0x080812
SURFACE = 0x0B0B18
ROW_ALT = 0x0D0D1C
ROW_HOVER = 0x0C0C20
ROW_SELECTED = 0x0A1A2A
BUTTON_BG = 0x101022
BUTTON_HOVER = 0x182840
SEPARATOR = 0x18182E
BORDER = 0x22223A
ACCENT = 0x00EEFF
ACCENT_ALT = 0xFF00CC
TEXT = 0xE0E8FF
TEXT_SECONDARY = 0x9098B8
TEXT_DIM = 0x505570
GOOD = 0x00FF88
WARN = 0xFFAA00
CRIT = 0xFF2244

# The scripted drives of corvanite_e2e_gui, in list order.
SCRIPTED = [
    # (health colour, status text after selection, report model)
    (CRIT, "Selected: /dev/sda  Maxtor 96147H8  ATA  30 attrs", "Maxtor 96147H8"),
    (WARN, "Selected: /dev/sdb  SAMSUNG HD501LJ  ATA  23 attrs", "SAMSUNG HD501LJ"),
    (GOOD, "Selected: /dev/sdc  INTEL SSDSA2CW120G3  ATA  19 attrs", "INTEL SSDSA2CW120G3"),
    (CRIT, None, "Samsung SSD 970 EVO Plus 1TB"),
    (TEXT_DIM, "Selected: /dev/sdd  Generic External USB 3.0 Storage Device  N/A  0 attrs",
     "Generic External USB 3.0 Storage Device"),
]
READY_TEXT = "READY  //  /dev/sda  //  30 attrs"
MAXTOR_ROWS = 30

# Output lines of the stand-in checker: four kinds, coloured by keyword.
LINE_KINDS = [
    ("Stage {:02d}: index entries checked", TEXT_SECONDARY),
    ("Stage {:02d}: 1 error in file record segment", CRIT),
    ("Stage {:02d}: warning, orphaned file moved", WARN),
    ("Stage {:02d}: 2 index entries fixed", GOOD),
]
OUTPUT_LINES = 40


def hex_line(text):
    return "out " + " ".join("%02x" % b for b in (text + "\r\n").encode("ascii"))


def rgb(c):
    return (c >> 16) & 255, (c >> 8) & 255, c & 255


def near(a, b, tol):
    ra, ga, ba = rgb(a)
    rb, gb, bb = rgb(b)
    return abs(ra - rb) <= tol and abs(ga - gb) <= tol and abs(ba - bb) <= tol


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def gradient(x, left, right):
    """The title bar's gradient colour at column x, in single precision as the drawer does."""
    t = f32(f32(x - left) / f32(right - left))
    r = int(f32(255.0 * t))
    g = int(f32(238.0 * f32(1.0 - t)))
    b = int(f32(f32(255.0 * f32(1.0 - t)) + f32(204.0 * t)))
    return (r << 16) | (g << 8) | b


class Shot:
    """A screenshot of the whole screen (RGB, 8 bits a channel)."""

    def __init__(self, width, height, data):
        self.w, self.h, self.data = width, height, data

    def px(self, x, y):
        if not (0 <= x < self.w and 0 <= y < self.h):
            return -1
        i = (y * self.w + x) * 3
        d = self.data
        return (d[i] << 16) | (d[i + 1] << 8) | d[i + 2]

    def region(self, x0, y0, x1, y1):
        x0, y0 = max(0, x0), max(0, y0)
        x1, y1 = min(self.w, x1), min(self.h, y1)
        rows = []
        for y in range(y0, y1):
            i = (y * self.w + x0) * 3
            rows.append(self.data[i:i + (x1 - x0) * 3])
        return b"".join(rows)

    def count(self, x0, y0, x1, y1, colour, tol):
        n = 0
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                if near(self.px(x, y), colour, tol):
                    n += 1
        return n

    def classify(self, x0, y0, x1, y1, colours, tol):
        """How many pixels of the box lie near each of the colours."""
        counts = dict.fromkeys(colours, 0)
        wanted = [(c, rgb(c)) for c in colours]
        d = self.data
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                i = (y * self.w + x) * 3
                r, g, b = d[i], d[i + 1], d[i + 2]
                for c, (cr, cg, cb) in wanted:
                    if abs(r - cr) <= tol and abs(g - cg) <= tol and abs(b - cb) <= tol:
                        counts[c] += 1
                        break
        return counts

    def ink_columns(self, x0, y0, x1, y1, background):
        """First and last column in the box holding a pixel other than the background."""
        first = last = None
        for x in range(max(0, x0), min(self.w, x1)):
            for y in range(max(0, y0), min(self.h, y1)):
                if self.px(x, y) != background:
                    if first is None:
                        first = x
                    last = x
                    break
        return first, last

    def save_png(self, path):
        raw = b"".join(b"\x00" + self.data[y * self.w * 3:(y + 1) * self.w * 3]
                       for y in range(self.h))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n")
            f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 2, 0, 0, 0)))
            f.write(chunk(b"IDAT", zlib.compress(raw, 3)))
            f.write(chunk(b"IEND", b""))


class Failure(Exception):
    """A step that later steps cannot do without."""


class Session:
    def __init__(self, build):
        self.build = build
        self.windows = build == "windows"
        self.passed = 0
        self.failed = 0
        self.figures = []
        self.out = os.path.join(ROOT, "build", "e2e", build)
        self.work = os.path.join(self.out, "work")
        self.shot_no = 0
        self.deadline = time.monotonic() + 240  # the whole run, even when every wait runs out
        self.processes = []  # everything started, killed at the end
        self.display = None
        self.env = None
        preset = "windows-cross" if self.windows else "linux"
        bdir = os.path.join(ROOT, "build", preset)
        exe = ".exe" if self.windows else ""
        self.real_program = os.path.join(bdir, "src", "app", "corvanite" + exe)
        self.e2e_program = os.path.join(bdir, "tests", "corvanite_e2e_gui" + exe)
        self.fake_checker = os.path.join(bdir, "tests", "corvanite_fake_chkdsk" + exe)
        self.wine_build = os.path.join(ROOT, "build", "e2e", "wine")
        self.prefix = os.path.join(self.wine_build, "wineprefix")

    # ---- reporting ------------------------------------------------------------------------
    def log(self, text):
        print("e2e-%s: %s" % (self.build, text), flush=True)

    def check(self, name, ok, detail=""):
        if ok:
            self.passed += 1
            print("  ok    %s" % name, flush=True)
        else:
            self.failed += 1
            print("  FAIL  %s%s" % (name, (": " + detail) if detail else ""), flush=True)
        return ok

    def figure(self, text):
        self.figures.append(text)
        self.log(text)

    # ---- paths as the program sees them ---------------------------------------------------
    def native(self, path):
        """A Linux path as the program opens it (Wine maps the Linux root to Z:)."""
        return "Z:" + path.replace("/", "\\") if self.windows else path

    # ---- processes ------------------------------------------------------------------------
    def start_xvfb(self):
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0",
             "%dx%dx24" % (SCREEN_W, SCREEN_H), "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            start_new_session=True)
        self.processes.append(xvfb)
        os.close(write_end)
        number = b""
        deadline = time.monotonic() + 15
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_end], [], [], 0.5)
            if ready:
                chunk = os.read(read_end, 16)
                if not chunk:
                    break
                number += chunk
        os.close(read_end)
        if not number.strip():
            raise Failure("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        env.pop("WAYLAND_DISPLAY", None)
        # GTK: no accessibility bus, settings and recent files kept inside the work folder.
        env["NO_AT_BRIDGE"] = "1"
        env["GSETTINGS_BACKEND"] = "memory"
        for var, sub in (("XDG_CONFIG_HOME", "config"), ("XDG_DATA_HOME", "data"),
                         ("XDG_CACHE_HOME", "cache")):
            env[var] = os.path.join(self.work, "home", sub)
            os.makedirs(env[var], exist_ok=True)
        if self.windows:
            env["CORVANITE_BUILD_DIR"] = self.wine_build
            env["WINEDEBUG"] = "-all"
        self.env = env

    def wineserver(self, *args):
        server = "/usr/lib/wine/wineserver"
        if not os.path.exists(server):
            server = shutil.which("wineserver") or ""
        if not server:
            return
        env = dict(os.environ)
        env["WINEPREFIX"] = self.prefix
        subprocess.run([server] + list(args), env=env, timeout=30, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def launch(self, program, extra_env=None):
        env = dict(self.env)
        env.update(extra_env or {})
        command = [os.path.join(ROOT, "scripts", "wine-run"), program] if self.windows \
            else [program]
        log = open(os.path.join(self.out, "program-%02d.log" % (len(self.processes))), "wb")
        process = subprocess.Popen(command, env=env, cwd=self.work, stdin=subprocess.DEVNULL,
                                   stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
        log.close()
        self.processes.append(process)
        return process

    def cleanup(self):
        # Each program was started as the leader of a process group of its own; the group may
        # outlive its leader (a checker the program left behind), so it is signalled either way.
        for process in reversed(self.processes):
            try:
                os.killpg(process.pid, signal.SIGTERM)
            except (ProcessLookupError, PermissionError):
                pass
        for process in reversed(self.processes):
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                try:
                    process.wait(timeout=5)
                except subprocess.TimeoutExpired:
                    pass
        if self.windows:
            try:
                self.wineserver("-k")
            except (subprocess.TimeoutExpired, OSError):
                pass

    # ---- X: screenshots, windows, input ---------------------------------------------------
    def xdo(self, *args, timeout=10):
        result = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env,
                                capture_output=True, timeout=timeout)
        return result.stdout.decode(errors="replace").strip()

    def grab(self, crop=None):
        command = ["import", "-window", "root"]
        if crop:
            command += ["-crop", "%dx%d+%d+%d" % crop]
        command += ["-depth", "8", "ppm:-"]
        data = subprocess.run(command, env=self.env, capture_output=True, timeout=20).stdout
        # P6, width height, maxval, then the pixels.
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            if data[pos:pos + 1] == b"#":
                pos = data.index(b"\n", pos) + 1
                continue
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        pos += 1
        width, height = int(fields[1]), int(fields[2])
        return Shot(width, height, data[pos:pos + width * height * 3])

    def save(self, shot, name):
        self.shot_no += 1
        shot.save_png(os.path.join(self.out, "%02d-%s.png" % (self.shot_no, name)))

    def find_window(self, title, seconds=20, exclude=()):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            found = [w for w in self.xdo("search", "--onlyvisible", "--name", title).split()
                     if w not in exclude]
            if found:
                return found[0]
            time.sleep(0.05)
        return None

    def window_gone(self, wid, title, seconds=15):
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            if wid not in self.xdo("search", "--onlyvisible", "--name", title).split():
                return True
            time.sleep(0.1)
        return False

    def geometry(self, wid):
        values = {}
        for line in self.xdo("getwindowgeometry", "--shell", wid).splitlines():
            key, _, value = line.partition("=")
            values[key] = int(value) if value.lstrip("-").isdigit() else value
        return values.get("X", 0), values.get("Y", 0), values.get("WIDTH", 0), \
            values.get("HEIGHT", 0)

    def focus(self, wid):
        try:
            self.xdo("windowfocus", "--sync", wid, timeout=5)
        except subprocess.TimeoutExpired:
            pass

    def key(self, wid, *keys):
        self.focus(wid)
        self.xdo("key", "--delay", "30", *keys)

    def type_text(self, wid, text):
        self.focus(wid)
        self.xdo("type", "--delay", "15", text, timeout=30)


class Window:
    """The main window: its client area's place on the screen and the layout inside it."""

    def __init__(self, session, wid):
        self.s = session
        self.wid = wid
        self.refresh()

    def refresh(self):
        self.x, self.y, self.w, self.h = self.s.geometry(self.wid)

    # client -> screen
    def at(self, cx, cy):
        return self.x + cx, self.y + cy

    def px(self, shot, cx, cy):
        return shot.px(self.x + cx, self.y + cy)

    def move(self, cx, cy):
        sx, sy = self.at(cx, cy)
        self.s.xdo("mousemove", "--sync", sx, sy)

    def click(self, cx, cy):
        sx, sy = self.at(cx, cy)
        self.s.xdo("mousemove", "--sync", sx, sy, "click", "1")

    def away(self):
        """The pointer off the window (no hover anywhere)."""
        self.s.xdo("mousemove", "--sync", SCREEN_W - 2, SCREEN_H - 2)

    # layout (client coordinates) -----------------------------------------------------------
    @property
    def content(self):
        return 228, 79, self.w - 7, self.h - 35

    def tab(self, i):
        w = (self.w - 1 - 222) // 3
        return 222 + i * w, 37, 222 + (i + 1) * w, 73

    def card_top(self, i):
        return 65 + 68 * i

    def refresh_button(self):
        return 11, self.h - 29 - 40, 211, self.h - 29 - 10

    def scan_buttons(self):
        L, T, R, B = self.content
        return {"readonly": (L + 12, T + 74, L + 172, T + 104),
                "fix": (L + 182, T + 74, L + 342, T + 104),
                "cancel": (R - 132, T + 74, R - 12, T + 104)}

    def volume_box(self):
        L, T, R, B = self.content
        return L + 22, T + 36, L + 132, T + 56

    def export_button(self):
        L, T, R, B = self.content
        return R - 152, B - 38, R - 22, B - 8

    def status_box(self):
        return 11, self.h - 27, self.w - 200, self.h - 3

    def count_box(self):
        return self.w - 200, self.h - 27, self.w - 10, self.h - 3

    def crop(self, shot, box):
        x0, y0, x1, y1 = box
        return shot.region(self.x + x0, self.y + y0, self.x + x1, self.y + y1)

    # text lengths, without reading the text: every text is fixed pitch --------------------
    def ink_width(self, shot, box, background):
        x0, y0, x1, y1 = box
        first, last = shot.ink_columns(self.x + x0, self.y + y0, self.x + x1, self.y + y1,
                                       background)
        return 0 if first is None else last - first + 1

    def char_width(self, shot):
        # "[N drives]": ten characters; the brackets' ink leaves about 0.7 of a cell blank.
        return self.ink_width(shot, self.count_box(), PANEL_BG) / 9.3

    def status_chars(self, shot):
        cw = self.char_width(shot)
        ink = self.ink_width(shot, self.status_box(), PANEL_BG)
        return 0.0 if cw <= 0 or ink == 0 else ink / cw + 0.3


def text_length_ok(estimate, text):
    return abs(estimate - len(text)) <= 0.8


def cpu_ns(pid):
    """CPU time of all threads of a process, in nanoseconds, or None."""
    total = 0
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return None
    for task in tasks:
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass
    return total


class E2E:
    def __init__(self, session):
        self.s = session
        self.win = None
        self.app = None

    # polling -------------------------------------------------------------------------------
    def until(self, predicate, seconds=10):
        """Screenshots until predicate(shot) holds or the deadline passes; the last shot."""
        deadline = time.monotonic() + seconds
        shot = self.s.grab()
        while not predicate(shot) and time.monotonic() < deadline:
            time.sleep(0.05)
            shot = self.s.grab()
        return shot

    def px(self, shot, cx, cy):
        return self.win.px(shot, cx, cy)

    def hexpx(self, shot, cx, cy):
        return "0x%06X" % (self.px(shot, cx, cy) & 0xFFFFFF)

    # ---- the program itself ---------------------------------------------------------------
    def real_program(self):
        s = self.s
        s.log("the program itself: %s" % os.path.relpath(s.real_program, ROOT))
        started = time.monotonic()
        app = s.launch(s.real_program)
        wid = s.find_window("^Corvanite$", seconds=60)
        mapped = time.monotonic()
        if not s.check("window 'Corvanite' appears", wid is not None):
            raise Failure("the program showed no window")
        win = self.win = Window(s, wid)
        # The first painted frame: the title gradient's first column (cyan) is on the screen.
        painted = None
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline:
            one = s.grab((1, 1, win.x + 1, win.y + 35))
            if one.px(0, 0) == ACCENT:
                painted = time.monotonic()
                break
            time.sleep(0.01)
        s.check("first frame painted", painted is not None)
        if painted is not None:
            s.figure("startup: window mapped after %d ms, first frame painted after %d ms "
                     "(from launch%s; screenshot polling resolves about 70 ms)" % (
                         (mapped - started) * 1000, (painted - started) * 1000,
                         " of scripts/wine-run, whose Wine warm-up start is included"
                         if s.windows else ""))
        shot = self.until(lambda sh: win.px(sh, 20, win.h - 55) != -1 and
                          self.border_is(sh, win.refresh_button(), ACCENT), 30)
        s.save(shot, "program-ready")
        self.frame_checks(shot, "program")
        s.check("program: first scan ends (REFRESH enabled again)",
                self.border_is(shot, win.refresh_button(), ACCENT),
                "border " + self.hexpx(shot, 11, win.h - 55))
        s.check("program: status line shows a text",
                win.ink_width(shot, win.status_box(), PANEL_BG) > 0)
        if s.windows:
            # Wine shows \\.\PhysicalDrive0 without SMART data: one card, grey (N/A).
            s.check("program: drive card 0 under Wine, health square N/A grey",
                    self.px(shot, 16, win.card_top(0) + 14) == TEXT_DIM,
                    self.hexpx(shot, 16, win.card_top(0) + 14))
        self.close_with_button(app, "program")

    # ---- shared checks --------------------------------------------------------------------
    def border_is(self, shot, box, colour):
        x0, y0, x1, y1 = box
        return self.px(shot, x0, (y0 + y1) // 2) == colour

    def frame_checks(self, shot, who):
        s, win = self.s, self.win
        W, H = win.w, win.h
        outline = [self.px(shot, 0, 0), self.px(shot, W - 1, H // 2), self.px(shot, W // 2, H - 1),
                   self.px(shot, 0, H // 2)]
        s.check("%s: window outline cyan 0x00EEFF" % who, all(c == ACCENT for c in outline),
                " ".join("0x%06X" % (c & 0xFFFFFF) for c in outline))
        first = [self.px(shot, 1, 35), self.px(shot, 1, 36)]
        last_expected = gradient(W - 2, 1, W - 1)
        last = [self.px(shot, W - 2, 35), self.px(shot, W - 2, 36)]
        s.check("%s: title gradient first column 0x00EEFF" % who, first == [ACCENT, ACCENT],
                " ".join("0x%06X" % (c & 0xFFFFFF) for c in first))
        s.check("%s: title gradient last column 0x%06X" % (who, last_expected),
                last == [last_expected, last_expected],
                " ".join("0x%06X" % (c & 0xFFFFFF) for c in last))
        s.check("%s: title bar background 0x060610" % who,
                self.px(shot, W // 2, 20) == TITLE_BG, self.hexpx(shot, W // 2, 20))
        s.check("%s: list/content divider 0x22223A" % who,
                self.px(shot, 221, H // 2) == BORDER, self.hexpx(shot, 221, H // 2))

    def close_with_button(self, app, who):
        s, win = self.s, self.win
        win.click(win.w - 20, 17)
        try:
            code = app.wait(timeout=20)
        except subprocess.TimeoutExpired:
            code = None
        s.check("%s: the drawn close button ends the program with exit code 0" % who, code == 0,
                "exit code %s" % code)

    # ---- the program with scripted drives -------------------------------------------------
    def scripted_program(self):
        s = self.s
        s.log("the program with scripted drives: %s" % os.path.relpath(s.e2e_program, ROOT))
        self.hold = os.path.join(s.work, "hold")
        self.script = os.path.join(s.work, "checker-script")
        self.args = os.path.join(s.work, "checker-args")
        open(self.hold, "w").close()
        extra = {
            "CORVANITE_E2E_HOLD": s.native(self.hold),
            "CORVANITE_FAKE_CHKDSK_SCRIPT": s.native(self.script),
            "CORVANITE_FAKE_CHKDSK_ARGS": s.native(self.args),
        }
        if s.windows:
            system32 = os.path.join(s.prefix, "drive_c", "windows", "system32")
            shutil.copyfile(s.fake_checker, os.path.join(system32, "chkdsk.exe"))
        else:
            bindir = os.path.join(s.work, "bin")
            os.makedirs(bindir, exist_ok=True)
            os.symlink(s.fake_checker, os.path.join(bindir, "chkdsk.exe"))
            extra["PATH"] = bindir + os.pathsep + s.env.get("PATH", "")
        self.app = s.launch(s.e2e_program, extra)
        wid = s.find_window("^Corvanite$", seconds=60)
        if not s.check("scripted: window 'Corvanite' appears", wid is not None):
            raise Failure("no window")
        self.win = Window(s, wid)
        self.win.away()
        steps = [self.first_frame_scanning, self.scan_result, self.idle_cpu, self.tabs,
                 self.hover, self.selection, self.arrow_keys, self.smart_wheel, self.f5, self.letter_keys,
                 self.readonly_check, self.output_wheel, self.fix_declined, self.fix_confirmed,
                 self.cancel, self.drag_maximise_restore, self.export, self.failed_export]
        for step in steps:
            if time.monotonic() > self.s.deadline:
                raise Failure("out of time before %s" % step.__name__)
            if self.app.poll() is not None:
                s.check("scripted: program still running before %s" % step.__name__, False,
                        "exit code %s" % self.app.returncode)
                raise Failure("the program ended")
            step()
        self.close_with_button(self.app, "scripted")

    def first_frame_scanning(self):
        s, win = self.s, self.win
        # The first scan is held: the frame shows the running scan.
        shot = self.until(lambda sh: self.border_is(sh, win.refresh_button(), TEXT_DIM) and
                          win.ink_width(sh, win.status_box(), PANEL_BG) > 0, 30)
        s.save(shot, "first-frame-scanning")
        self.frame_checks(shot, "scripted first frame")
        s.check("while scanning: [SCANNING...] disabled (dim border 0x505570)",
                self.border_is(shot, win.refresh_button(), TEXT_DIM),
                self.hexpx(shot, 11, win.h - 55))
        n = win.status_chars(shot)
        s.check("while scanning: status 'Scanning drives...' (18 characters)",
                text_length_ok(n, "Scanning drives..."), "about %.1f characters" % n)
        s.check("while scanning: no drive card yet",
                self.px(shot, 16, win.card_top(0) + 14) == SURFACE,
                self.hexpx(shot, 16, win.card_top(0) + 14))

    def cards_ok(self, shot, selected):
        win = self.win
        problems = []
        for i, (colour, _, _) in enumerate(SCRIPTED):
            top = win.card_top(i)
            square = self.px(shot, 16, top + 14)
            if square != colour:
                problems.append("card %d square 0x%06X" % (i, square & 0xFFFFFF))
            bg = self.px(shot, 160, top + 30)
            want = ROW_SELECTED if i == selected else SURFACE
            if bg != want:
                problems.append("card %d background 0x%06X" % (i, bg & 0xFFFFFF))
            marker = self.px(shot, 2, top + 30)
            if (marker == ACCENT) != (i == selected):
                problems.append("card %d marker 0x%06X" % (i, marker & 0xFFFFFF))
            if self.px(shot, 180, top + 67) != SEPARATOR:
                problems.append("card %d divider" % i)
        # Nothing below the last card.
        if self.px(shot, 16, win.card_top(len(SCRIPTED)) + 14) != SURFACE:
            problems.append("a sixth card")
        return problems

    def scan_result(self):
        s, win = self.s, self.win
        os.remove(self.hold)
        shot = self.until(lambda sh: self.border_is(sh, win.refresh_button(), ACCENT) and
                          not self.cards_ok(sh, 0), 20)
        s.save(shot, "scan-result")
        problems = self.cards_ok(shot, 0)
        s.check("scan result: 5 cards, health squares red/amber/green/red/grey, drive 0 selected",
                not problems, "; ".join(problems))
        n = win.status_chars(shot)
        s.check("scan result: status '%s'" % READY_TEXT, text_length_ok(n, READY_TEXT),
                "about %.1f characters" % n)
        s.check("scan result: [REFRESH] enabled (cyan border)",
                self.border_is(shot, win.refresh_button(), ACCENT))
        L, T, R, B = win.content
        s.check("scan result: SMART table of the Maxtor with [EXPORT REPORT] (magenta border)",
                self.border_is(shot, win.export_button(), ACCENT_ALT),
                self.hexpx(shot, R - 152, B - 23))
        self.ready_shot = shot

    def idle_cpu(self):
        """CPU time used by the window's process (all its threads) over 5 s without input."""
        s = self.s
        pid = self.app.pid

        others = self.wineserver_pids() if s.windows else []
        before = cpu_ns(pid)
        before_others = [cpu_ns(p) or 0 for p in others]
        start = time.monotonic()
        time.sleep(5)
        elapsed = time.monotonic() - start
        after = cpu_ns(pid)
        after_others = [cpu_ns(p) or 0 for p in others]
        if not s.check("idle CPU measured (/proc/%d/task/*/schedstat)" % pid,
                       before is not None and after is not None):
            return
        used = (after - before) / 1e6
        text = ("idle CPU of the window (drives shown, no check running): %.1f ms in %.1f s "
                "(%.2f %%)" % (used, elapsed, used / elapsed / 10))
        if others:
            server = sum(a - b for a, b in zip(after_others, before_others)) / 1e6
            text += "; wineserver %.1f ms" % server
        s.figure(text)

    def busy_cpu(self):
        """For comparison: the same figure while a check runs (the 50 ms spinner repaints)."""
        before = cpu_ns(self.app.pid)
        start = time.monotonic()
        time.sleep(2)
        elapsed = time.monotonic() - start
        after = cpu_ns(self.app.pid)
        if before is not None and after is not None:
            used = (after - before) / 1e6
            self.s.figure("CPU of the window while a check runs (repainting every 50 ms): "
                          "%.1f ms in %.1f s (%.2f %%)" % (used, elapsed, used / elapsed / 10))

    def wineserver_pids(self):
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/comm" % entry) as f:
                    comm = f.read().strip()
                if not comm.startswith("wineserver"):
                    continue
                with open("/proc/%s/environ" % entry, "rb") as f:
                    environ = f.read().split(b"\0")
                if ("WINEPREFIX=" + self.s.prefix).encode() in environ:
                    pids.append(int(entry))
            except OSError:
                pass
        return pids

    def tab_shot(self, i):
        win = self.win
        left, top, right, bottom = win.tab(i)
        win.click((left + right) // 2, 55)
        return self.until(lambda sh: self.px(sh, left + 10, 71) == ACCENT, 10)

    def tabs(self):
        s, win = self.s, self.win
        names = ["SMART DATA", "DISK INFO", "SCAN/REPAIR"]
        L, T, R, B = win.content
        for i in (1, 2, 0):
            shot = self.tab_shot(i)
            win.away()
            shot = self.until(lambda sh: self.px(sh, win.tab(i)[0] + 10, 71) == ACCENT, 5)
            s.save(shot, "tab-" + names[i].replace("/", "-").replace(" ", "-").lower())
            under = [self.px(shot, win.tab(j)[0] + 10, 71) for j in range(3)]
            fill = [self.px(shot, win.tab(j)[0] + 10, 45) for j in range(3)]
            want_under = [ACCENT if j == i else PANEL_BG for j in range(3)]
            want_fill = [SURFACE if j == i else PANEL_BG for j in range(3)]
            s.check("tab %s: underline and fill move to it" % names[i],
                    under == want_under and fill == want_fill,
                    "underline %s fill %s" % (["0x%06X" % c for c in under],
                                              ["0x%06X" % c for c in fill]))
            captions = [shot.count(win.x + win.tab(j)[0], win.y + 40, win.x + win.tab(j)[2],
                                   win.y + 68, ACCENT, 8) for j in range(3)]
            dims = [shot.count(win.x + win.tab(j)[0], win.y + 40, win.x + win.tab(j)[2],
                               win.y + 68, TEXT_DIM, 8) for j in range(3)]
            s.check("tab %s: cyan caption on it, grey captions on the others" % names[i],
                    captions[i] > 5 and dims[i] == 0 and
                    all(dims[j] > 5 and captions[j] == 0 for j in range(3) if j != i),
                    "cyan %s grey %s" % (captions, dims))
            if i == 1:
                s.check("DISK INFO view: first section rule (cyan) at y 111",
                        self.px(shot, L + 300, T + 32) == ACCENT, self.hexpx(shot, L + 300, T + 32))
            elif i == 2:
                box = win.volume_box()
                s.check("SCAN/REPAIR view: volume box with its cyan border",
                        self.px(shot, box[0], box[1] + 10) == ACCENT,
                        self.hexpx(shot, box[0], box[1] + 10))
                self.box_c = win.crop(shot, box)
                b = win.scan_buttons()
                s.check("SCAN/REPAIR view idle: read-only and fix enabled, cancel disabled",
                        self.border_is(shot, b["readonly"], ACCENT) and
                        self.border_is(shot, b["fix"], WARN) and
                        self.border_is(shot, b["cancel"], TEXT_DIM))
            else:
                s.check("SMART DATA view: [EXPORT REPORT] shown",
                        self.border_is(shot, win.export_button(), ACCENT_ALT))

    def hover(self):
        s, win = self.s, self.win
        x0, y0, x1, y1 = win.refresh_button()
        win.move(x0 + 12, y0 + 6)
        shot = self.until(lambda sh: self.px(sh, x0 + 8, y0 + 5) == BUTTON_HOVER, 5)
        s.save(shot, "hover-refresh")
        captions = shot.count(win.x + x0 + 2, win.y + y0 + 2, win.x + x1 - 2, win.y + y1 - 2,
                              TEXT, 8)
        s.check("hover [REFRESH]: fill 0x182840, caption in 0xE0E8FF",
                self.px(shot, x0 + 8, y0 + 5) == BUTTON_HOVER and captions > 5,
                "fill %s, %d caption pixels" % (self.hexpx(shot, x0 + 8, y0 + 5), captions))
        top = win.card_top(2)
        win.move(160, top + 30)
        shot = self.until(lambda sh: self.px(sh, 160, top + 40) == ROW_HOVER, 5)
        s.check("hover drive card 2: 0x0C0C20, [REFRESH] back to 0x101022",
                self.px(shot, 160, top + 40) == ROW_HOVER and
                self.px(shot, x0 + 8, y0 + 5) == BUTTON_BG,
                "%s %s" % (self.hexpx(shot, 160, top + 40), self.hexpx(shot, x0 + 8, y0 + 5)))
        win.move(win.w - 20, 30)
        shot = self.until(lambda sh: self.px(sh, win.w - 30, 5) == CRIT, 5)
        s.save(shot, "hover-close")
        s.check("hover close button: red 0xFF2244",
                self.px(shot, win.w - 30, 5) == CRIT, self.hexpx(shot, win.w - 30, 5))
        win.away()
        shot = self.until(lambda sh: self.px(sh, win.w - 30, 5) == TITLE_BG and
                          self.px(sh, 160, top + 40) == SURFACE, 5)
        s.check("pointer off the window: no hover left",
                self.px(shot, win.w - 30, 5) == TITLE_BG and self.px(shot, 160, top + 40) == SURFACE,
                "%s %s" % (self.hexpx(shot, win.w - 30, 5), self.hexpx(shot, 160, top + 40)))

    def select(self, i):
        win = self.win
        win.click(100, win.card_top(i) + 30)
        win.away()
        return self.until(lambda sh: not self.cards_ok(sh, i), 5)

    def selection(self):
        s, win = self.s, self.win
        L, T, R, B = win.content
        before = win.crop(self.ready_shot, win.status_box())
        for i in (1, 4, 2, 0):
            shot = self.select(i)
            problems = self.cards_ok(shot, i)
            s.check("select drive %d: its card 0x0A1A2A with the cyan marker, the others not" % i,
                    not problems, "; ".join(problems))
            text = SCRIPTED[i][1]
            n = win.status_chars(shot)
            s.check("select drive %d: status '%s'" % (i, text),
                    text_length_ok(n, text) and win.crop(shot, win.status_box()) != before,
                    "about %.1f characters" % n)
            if i == 4:
                s.save(shot, "select-no-data")
                s.check("drive without data: amber 'SMART data unavailable' box, no export",
                        self.px(shot, L + 12, T + 110) == WARN and
                        not self.border_is(shot, win.export_button(), ACCENT_ALT),
                        self.hexpx(shot, L + 12, T + 110))
            elif i == 1:
                s.save(shot, "select-samsung")

    def arrow_keys(self):
        s, win = self.s, self.win
        s.key(win.wid, "Down", "Down")
        shot = self.until(lambda sh: not self.cards_ok(sh, 2), 5)
        s.check("keys Down Down from drive 0: drive 2 selected, status as after a click",
                not self.cards_ok(shot, 2) and
                text_length_ok(win.status_chars(shot), SCRIPTED[2][1]))
        s.key(win.wid, "Up", "Up")
        shot = self.until(lambda sh: not self.cards_ok(sh, 0), 5)
        s.check("keys Up Up: drive 0 selected again", not self.cards_ok(shot, 0),
                "; ".join(self.cards_ok(shot, 0)))

    # the SMART table's geometry for the wheel
    def table(self):
        L, T, R, B = self.win.content
        X, D = L + 12, R - L - 38
        Yb, Ybot = T + 124, B - 54
        Hl = Ybot - Yb
        nvis = Hl // 20
        most = max(0, MAXTOR_ROWS - nvis)
        th = max(20, Hl * nvis // MAXTOR_ROWS)
        return X, D, Yb, Ybot, Hl, most, th

    def thumb_at(self, shot, scroll):
        X, D, Yb, Ybot, Hl, most, th = self.table()
        off = int(f32(f32(f32(scroll) / f32(most)) * f32(Hl - th))) if most else 0
        x = X + D + 7
        inside = [self.px(shot, x, Yb + off + 1), self.px(shot, x, Yb + off + th - 2)]
        outside = []
        if off > 1:
            outside.append(self.px(shot, x, Yb + off - 2))
        if Yb + off + th + 1 < Ybot:
            outside.append(self.px(shot, x, Yb + off + th + 1))
        return all(c == BORDER for c in inside) and all(c != BORDER for c in outside)

    def first_row_colour(self, shot):
        X, D, Yb, Ybot, Hl, most, th = self.table()
        return self.px(shot, X + D - 272, Yb + 10)

    def smart_wheel(self):
        s, win = self.s, self.win
        X, D, Yb, Ybot, Hl, most, th = self.table()
        shot = self.s.grab()
        s.check("SMART table of 30 rows: scroll thumb at the top, first row 0x0B0B18",
                self.thumb_at(shot, 0) and self.first_row_colour(shot) == SURFACE,
                "row %s" % ("0x%06X" % self.first_row_colour(shot)))
        win.move(X + 300, Yb + 100)
        self.s.xdo("click", "--repeat", "3", "--delay", "60", "5")
        shot = self.until(lambda sh: self.thumb_at(sh, 3), 5)
        s.save(shot, "smart-wheel-down-3")
        s.check("wheel down 3 notches: rows move by 3 (first row now odd: 0x0D0D1C), thumb moves",
                self.thumb_at(shot, 3) and self.first_row_colour(shot) == ROW_ALT,
                "row 0x%06X" % self.first_row_colour(shot))
        self.s.xdo("click", "--repeat", "12", "--delay", "40", "5")
        shot = self.until(lambda sh: self.thumb_at(sh, most), 5)
        s.check("wheel down 12 more: clamped at the last row (scroll %d), thumb at the bottom" %
                most, self.thumb_at(shot, most))
        self.s.xdo("click", "--repeat", "20", "--delay", "40", "4")
        shot = self.until(lambda sh: self.thumb_at(sh, 0), 5)
        s.check("wheel up 20: back at the first row",
                self.thumb_at(shot, 0) and self.first_row_colour(shot) == SURFACE)
        win.away()

    def f5(self):
        s, win = self.s, self.win
        open(self.hold, "w").close()
        s.key(win.wid, "F5")
        shot = self.until(lambda sh: self.border_is(sh, win.refresh_button(), TEXT_DIM), 10)
        s.save(shot, "f5-scanning")
        n = win.status_chars(shot)
        s.check("F5: a scan runs ([SCANNING...] disabled, status 'Scanning drives...')",
                self.border_is(shot, win.refresh_button(), TEXT_DIM) and
                text_length_ok(n, "Scanning drives..."), "about %.1f characters" % n)
        os.remove(self.hold)
        shot = self.until(lambda sh: self.border_is(sh, win.refresh_button(), ACCENT) and
                          not self.cards_ok(sh, 0), 20)
        n = win.status_chars(shot)
        s.check("F5: the scan ends, the 5 cards are back, status READY",
                self.border_is(shot, win.refresh_button(), ACCENT) and
                not self.cards_ok(shot, 0) and text_length_ok(n, READY_TEXT),
                "; ".join(self.cards_ok(shot, 0)) + " about %.1f characters" % n)

    def letter_keys(self):
        s, win = self.s, self.win
        box = win.volume_box()
        # Letters on the SMART DATA tab change nothing: the box still shows C: afterwards.
        s.key(win.wid, "e", "x", "5")
        shot = self.tab_shot(2)
        win.away()
        shot = self.until(lambda sh: win.crop(sh, box) == self.box_c, 5)
        s.check("letter keys on SMART DATA: ignored (volume box still C:)",
                win.crop(shot, box) == self.box_c)
        s.key(win.wid, "e")
        shot = self.until(lambda sh: win.crop(sh, box) != self.box_c, 5)
        s.save(shot, "volume-e")
        s.check("key E on SCAN/REPAIR: the volume box changes",
                win.crop(shot, box) != self.box_c and self.px(shot, box[0], box[1] + 10) == ACCENT)
        box_e = win.crop(shot, box)
        # A digit and a function key, then a tab round trip: the clicks are handled after the
        # keys, so the box seen afterwards shows what the keys left.
        s.key(win.wid, "5", "F1")
        self.tab_shot(0)
        self.tab_shot(2)
        win.away()
        shot = self.until(lambda sh: win.crop(sh, box) == box_e, 5)
        s.check("digit and function keys ignored on SCAN/REPAIR (box still E:)",
                win.crop(shot, box) == box_e)
        s.key(win.wid, "c")
        shot = self.until(lambda sh: win.crop(sh, box) == self.box_c, 5)
        s.check("key C brings back exactly the C: box", win.crop(shot, box) == self.box_c)
        s.key(win.wid, "shift+d")
        shot = self.until(lambda sh: win.crop(sh, box) not in (self.box_c, box_e), 5)
        s.check("shift+D: a third picture (D:)",
                win.crop(shot, box) not in (self.box_c, box_e))

    # volume checks ---------------------------------------------------------------------------
    def write_script(self, lines):
        with open(self.script, "w", newline="\n") as f:
            f.write("\n".join(lines) + "\n")
        if os.path.exists(self.args):
            os.remove(self.args)

    def recorded_args(self):
        try:
            with open(self.args, "rb") as f:
                words = f.read().decode(errors="replace").split()
        except OSError:
            return None
        return words[1:]

    def idle_buttons(self, shot):
        b = self.win.scan_buttons()
        return (self.border_is(shot, b["readonly"], ACCENT) and self.border_is(shot, b["fix"], WARN)
                and self.border_is(shot, b["cancel"], TEXT_DIM))

    def result_strip(self, shot, colour):
        L, T, R, B = self.win.content
        fill = self.px(shot, R - 20, B - 24)
        count = shot.count(self.win.x + L + 14, self.win.y + B - 34, self.win.x + L + 400,
                           self.win.y + B - 14, colour, 8)
        return fill == SURFACE and count > 5

    def line_colours(self, shot, first_index, lines):
        """Problems with the colours of the first `lines` output lines shown."""
        L, T, R, B = self.win.content
        problems = []
        for k in range(lines):
            want = LINE_KINDS[(first_index + k) % 4][1]
            y0 = self.win.y + T + 136 + 18 * k
            x0 = self.win.x + L + 20
            counts = shot.classify(x0, y0, x0 + 360, y0 + 17, (TEXT_SECONDARY, CRIT, WARN, GOOD),
                                   24)
            if counts[want] < 5 or any(n > 0 for c, n in counts.items() if c != want):
                problems.append("line %d: %s" % (k, {"0x%06X" % c: n for c, n in counts.items()}))
        return problems

    def readonly_check(self):
        s, win = self.s, self.win
        lines = [hex_line(LINE_KINDS[i % 4][0].format(i)) for i in range(OUTPUT_LINES)]
        # The pause keeps the check running until a paint has shown every line (the view follows
        # the newest lines only while a check runs).
        self.write_script(lines + ["sleep 700", "exit 0"])
        b = win.scan_buttons()
        x0, y0, x1, y1 = b["readonly"]
        win.click((x0 + x1) // 2, (y0 + y1) // 2)
        win.away()
        # The strip can show on a timer paint just before the final event sets the status line.
        shot = self.until(lambda sh: self.idle_buttons(sh) and self.result_strip(sh, GOOD) and
                          text_length_ok(win.status_chars(sh), "chkdsk: No errors found"), 20)
        s.save(shot, "check-readonly")
        s.check("read-only check: stand-in started with 'D: /v'",
                self.recorded_args() == ["D:", "/v"], "recorded %s" % self.recorded_args())
        L, T, R, B = win.content
        # With the result strip shown, the lines end above it and the view stays at the end.
        fit = (B - T - 170) // 18
        self.output_most = max(0, OUTPUT_LINES - fit)
        problems = self.line_colours(shot, self.output_most, 8)
        s.check("read-only check: the newest lines shown, coloured by keyword "
                "(grey, red 'error', amber 'warning', green 'fixed')", not problems,
                "; ".join(problems))
        s.check("read-only check: result strip in green (exit code 0)",
                self.result_strip(shot, GOOD))
        n = win.status_chars(shot)
        s.check("read-only check: status 'chkdsk: No errors found'",
                text_length_ok(n, "chkdsk: No errors found"), "about %.1f characters" % n)
        self.after_readonly = shot

    def output_wheel(self):
        s, win = self.s, self.win
        L, T, R, B = win.content
        win.move(L + 300, T + 300)
        s.xdo("click", "5")  # at the end already: nothing moves
        s.xdo("click", "4")
        shot = self.until(lambda sh: not self.line_colours(sh, self.output_most - 1, 8), 5)
        problems = self.line_colours(shot, self.output_most - 1, 8)
        s.check("wheel up 1 over the output: lines move down by one", not problems,
                "; ".join(problems))
        s.xdo("click", "--repeat", "30", "--delay", "30", "4")
        shot = self.until(lambda sh: not self.line_colours(sh, 0, 8), 5)
        s.save(shot, "output-wheel-top")
        problems = self.line_colours(shot, 0, 8)
        s.check("wheel up 30: the first output line at the top", not problems,
                "; ".join(problems))
        win.away()

    def click_button(self, name):
        x0, y0, x1, y1 = self.win.scan_buttons()[name]
        self.win.click((x0 + x1) // 2, (y0 + y1) // 2)

    def confirm(self, yes):
        s = self.s
        wid = s.find_window("^Confirm$", seconds=15, exclude=(self.win.wid,))
        if not s.check("fix mode: the 'Confirm' question appears", wid is not None):
            return False
        shot = s.grab()
        s.save(shot, "confirm-dialog")
        if s.windows:
            s.key(wid, "y" if yes else "n")
        else:
            s.key(wid, "alt+y" if yes else "alt+n")
        gone = s.window_gone(wid, "^Confirm$")
        s.check("fix mode: the question is answered %s and closes" % ("Yes" if yes else "No"),
                gone)
        return gone

    def fix_declined(self):
        s, win = self.s, self.win
        self.write_script([hex_line("should not run"), "exit 0"])
        L, T, R, B = win.content
        panel = (L + 14, T + 134, R - 14, B - 14)
        before = s.grab()
        self.click_button("fix")
        if not self.confirm(False):
            return
        win.away()
        # A check started after all would have written its arguments within this pause.
        time.sleep(1.0)
        shot = self.until(lambda sh: win.crop(sh, panel) == win.crop(before, panel), 5)
        s.check("fix declined: the stand-in is not started", self.recorded_args() is None,
                "recorded %s" % self.recorded_args())
        s.check("fix declined: status line, output and result strip unchanged",
                win.crop(shot, win.status_box()) == win.crop(before, win.status_box()) and
                win.crop(shot, panel) == win.crop(before, panel) and self.idle_buttons(shot))

    def fix_confirmed(self):
        s, win = self.s, self.win
        self.write_script([hex_line(LINE_KINDS[0][0].format(1)),
                           hex_line(LINE_KINDS[3][0].format(2)), "exit 1"])
        self.click_button("fix")
        if not self.confirm(True):
            return
        win.away()
        shot = self.until(lambda sh: self.idle_buttons(sh) and self.result_strip(sh, WARN) and
                          text_length_ok(win.status_chars(sh),
                                         "chkdsk: Errors found and corrected"), 20)
        s.save(shot, "check-fix")
        s.check("fix confirmed: stand-in started with 'D: /f /x /v'",
                self.recorded_args() == ["D:", "/f", "/x", "/v"],
                "recorded %s" % self.recorded_args())
        problems = self.line_colours(shot, 0, 1)
        L, T, R, B = win.content
        green = shot.count(win.x + L + 20, win.y + T + 154, win.x + L + 380, win.y + T + 171,
                           GOOD, 24)
        s.check("fix confirmed: the output restarts with the new run's two lines",
                not problems and green > 5, "; ".join(problems) + " green %d" % green)
        s.check("fix confirmed: result strip amber (errors found and fixed, exit code 1)",
                self.result_strip(shot, WARN))
        n = win.status_chars(shot)
        text = "chkdsk: Errors found and corrected"
        s.check("fix confirmed: status '%s'" % text, text_length_ok(n, text),
                "about %.1f characters" % n)

    def checker_pids(self):
        pids = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % entry, "rb") as f:
                    cmdline = f.read()
                if b"chkdsk.exe" not in cmdline:
                    continue
                if self.s.windows:
                    with open("/proc/%s/environ" % entry, "rb") as f:
                        environ = f.read().split(b"\0")
                    if ("WINEPREFIX=" + self.s.prefix).encode() in environ:
                        pids.append(int(entry))
                else:
                    with open("/proc/%s/stat" % entry) as f:
                        ppid = int(f.read().rsplit(")", 1)[1].split()[1])
                    if ppid == self.app.pid:
                        pids.append(int(entry))
            except (OSError, ValueError, IndexError):
                pass
        return pids

    def cancel(self):
        s, win = self.s, self.win
        self.write_script([hex_line("Stage 01: reading the volume"), "sleep 60000", "exit 0"])
        self.click_button("readonly")
        win.away()
        b = win.scan_buttons()
        shot = self.until(lambda sh: self.border_is(sh, b["cancel"], CRIT) and
                          self.border_is(sh, b["readonly"], TEXT_DIM), 15)
        s.save(shot, "check-running")
        s.check("running check: [CANCEL] enabled, scan buttons disabled",
                self.border_is(shot, b["cancel"], CRIT) and
                self.border_is(shot, b["readonly"], TEXT_DIM) and
                self.border_is(shot, b["fix"], TEXT_DIM))
        deadline = time.monotonic() + 10
        pids = self.checker_pids()
        while not pids and time.monotonic() < deadline:
            time.sleep(0.1)
            pids = self.checker_pids()
        s.check("running check: the stand-in checker is running", bool(pids))
        n = win.status_chars(shot)
        text = "Running chkdsk D: (read-only)..."
        s.check("running check: status '%s'" % text, text_length_ok(n, text),
                "about %.1f characters" % n)
        self.busy_cpu()
        self.click_button("cancel")
        win.away()
        # The buttons turn idle on the first paint after the worker cleared its running flag;
        # the status line changes only when its final event is handled, a moment later.
        done_text = "chkdsk: Operation cancelled"
        shot = self.until(lambda sh: self.idle_buttons(sh) and
                          text_length_ok(win.status_chars(sh), done_text), 20)
        s.save(shot, "check-cancelled")
        deadline = time.monotonic() + 10
        alive = [p for p in pids if os.path.exists("/proc/%d" % p) and not self.zombie(p)]
        while alive and time.monotonic() < deadline:
            time.sleep(0.1)
            alive = [p for p in pids if os.path.exists("/proc/%d" % p) and not self.zombie(p)]
        s.check("cancel: the stand-in checker is killed", bool(pids) and not alive,
                "still running: %s" % alive)
        s.check("cancel: buttons back to idle, no result strip",
                self.idle_buttons(shot) and not self.result_strip(shot, GOOD) and
                not self.result_strip(shot, WARN) and not self.result_strip(shot, CRIT))
        n = win.status_chars(shot)
        s.check("cancel: status '%s'" % done_text, text_length_ok(n, done_text),
                "about %.1f characters" % n)

    @staticmethod
    def zombie(pid):
        try:
            with open("/proc/%d/stat" % pid) as f:
                return f.read().rsplit(")", 1)[1].split()[0] == "Z"
        except OSError:
            return True

    # window placement ------------------------------------------------------------------------
    def wait_geometry(self, want, seconds=10):
        deadline = time.monotonic() + seconds
        got = self.s.geometry(self.win.wid)
        while got != want and time.monotonic() < deadline:
            time.sleep(0.05)
            got = self.s.geometry(self.win.wid)
        return got

    def drag_maximise_restore(self):
        s, win = self.s, self.win
        win.refresh()
        x0, y0, w0, h0 = win.x, win.y, win.w, win.h
        # Frame around the client area: the window is made 1200 x 750 including its frame.
        fx, fy = (1200 - w0) // 2, (750 - h0) // 2
        sx, sy = win.at(400, 15)
        s.xdo("mousemove", "--sync", sx, sy, "mousedown", "1")
        s.xdo("mousemove", "--sync", sx + 50, sy + 30)
        s.xdo("mousemove", "--sync", sx + 100, sy + 60)
        s.xdo("mouseup", "1")
        got = self.wait_geometry((x0 + 100, y0 + 60, w0, h0))
        s.check("drag by the title bar: the window moves by (100, 60)",
                got == (x0 + 100, y0 + 60, w0, h0), "geometry %s" % (got,))
        win.refresh()
        before = self.s.grab()
        glyph_o = win.crop(before, (win.w - 72, 1, win.w - 36, 34))
        dragged = (win.x, win.y, win.w, win.h)
        win.click(win.w - 54, 17)
        want = (fx, fy, SCREEN_W - 2 * fx, SCREEN_H - 2 * fy)
        got = self.wait_geometry(want)
        s.check("maximise: the window covers the work area (%dx%d at 0,0)" % (SCREEN_W, SCREEN_H),
                got == want, "client geometry %s, expected %s" % (got, want))
        win.refresh()
        win.away()
        shot = self.until(lambda sh: self.px(sh, win.w - 1, win.h // 2) == ACCENT and
                          self.px(sh, win.w - 2, 35) == gradient(win.w - 2, 1, win.w - 1), 10)
        s.save(shot, "maximised")
        s.check("maximised: frame redrawn at the new size (outline, gradient end, status bar)",
                self.px(shot, win.w - 1, win.h // 2) == ACCENT and
                self.px(shot, win.w - 2, 35) == gradient(win.w - 2, 1, win.w - 1) and
                self.px(shot, win.w // 2, win.h - 29) == BORDER,
                "%s %s" % (self.hexpx(shot, win.w - 1, win.h // 2), self.hexpx(shot, win.w - 2, 35)))
        s.check("maximised: the maximise glyph changes",
                win.crop(shot, (win.w - 72, 1, win.w - 36, 34)) != glyph_o)
        win.click(win.w - 54, 17)
        got = self.wait_geometry(dragged)
        s.check("restore: back to the size and place before maximising", got == dragged,
                "geometry %s, expected %s" % (got, dragged))
        win.refresh()
        win.away()
        shot = self.until(lambda sh: win.crop(sh, (win.w - 72, 1, win.w - 36, 34)) == glyph_o, 10)
        s.check("restored: the maximise glyph is back, outline at the old size",
                win.crop(shot, (win.w - 72, 1, win.w - 36, 34)) == glyph_o and
                self.px(shot, win.w - 1, win.h // 2) == ACCENT)

    # export ----------------------------------------------------------------------------------
    def save_dialog(self, path):
        s, win = self.s, self.win
        self.tab_shot(0)
        x0, y0, x1, y1 = win.export_button()
        win.click((x0 + x1) // 2, (y0 + y1) // 2)
        title = "^Save As$" if s.windows else "^Save Report$"
        wid = s.find_window(title, seconds=20, exclude=(win.wid,))
        if not s.check("export: the save dialog opens", wid is not None):
            return False
        s.save(s.grab(), "save-dialog")
        s.key(wid, "ctrl+a")
        s.type_text(wid, s.native(path))
        s.key(wid, "Return")
        gone = s.window_gone(wid, title, 20)
        s.check("export: the save dialog closes on Enter", gone)
        win.away()
        return gone

    def export(self):
        s, win = self.s, self.win
        path = os.path.join(s.work, "report.txt")
        status = win.crop(s.grab(), win.status_box())
        if not self.save_dialog(path):
            return
        shot = self.until(lambda sh: win.crop(sh, win.status_box()) != status, 10)
        s.save(shot, "exported")
        text = "Report exported: " + s.native(path)
        n = win.status_chars(shot)
        s.check("export: status '%s'" % text, text_length_ok(n, text), "about %.1f characters" % n)
        try:
            with open(path, "rb") as f:
                data = f.read()
        except OSError as error:
            s.check("export: the report file is written", False, str(error))
            return
        s.check("export: file starts with the UTF-8 BOM and 'Corvanite Report\\r\\n================'",
                data.startswith(b"\xef\xbb\xbfCorvanite Report\r\n================\r\n\r\n"),
                repr(data[:40]))
        s.check("export: CR LF line ends only, ends with CR LF",
                data.endswith(b"\r\n") and data.count(b"\n") == data.count(b"\r\n"))
        text = data[3:].decode("utf-8", errors="replace")
        missing = [model for i, (_, _, model) in enumerate(SCRIPTED)
                   if ("Drive %d: %s\r\n" % (i, model)) not in text]
        s.check("export: every drive in the report, in order", not missing and all(
            text.index("Drive %d:" % i) < text.index("Drive %d:" % (i + 1)) for i in range(4)),
            "missing %s" % missing)
        healths = [line.split(":", 1)[1].split()[0] for line in text.split("\r\n")
                   if line.startswith("  Health :")]
        s.check("export: health words CRIT WARN GOOD CRIT N/A", healths ==
                ["CRIT", "WARN", "GOOD", "CRIT", "N/A"], "%s" % healths)
        block = text.split("Drive 1:")[0].split("\r\n")
        header = [i for i, line in enumerate(block) if line.startswith("  ID   Name")]
        rows = 0
        if header:
            for line in block[header[0] + 1:]:
                if not line:
                    break
                rows += 1
        s.check("export: the Maxtor's 30 attribute rows", rows == MAXTOR_ROWS, "%d rows" % rows)

    def failed_export(self):
        s, win = self.s, self.win
        path = "/proc/corvanite_e2e_report.txt"
        status = win.crop(s.grab(), win.status_box())
        if not self.save_dialog(path):
            return
        shot = self.until(lambda sh: win.crop(sh, win.status_box()) != status, 10)
        s.save(shot, "export-failed")
        s.check("failed export: no file", not os.path.exists(path))
        text = "Report export failed: " + s.native(path)
        n = win.status_chars(shot)
        s.check("failed export: status '%s (<reason>, error <code>)'" % text,
                n > len(text) + 10 and win.crop(shot, win.status_box()) != status,
                "about %.1f characters" % n)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    which = parser.add_mutually_exclusive_group(required=True)
    which.add_argument("--linux", action="store_true")
    which.add_argument("--windows", action="store_true")
    options = parser.parse_args()
    build = "windows" if options.windows else "linux"
    session = Session(build)

    def stop(signum, _frame):
        raise SystemExit(128 + signum)

    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
        signal.signal(sig, stop)

    # One run per build at a time (they share the output folder and, for Wine, the prefix).
    os.makedirs(os.path.dirname(session.out), exist_ok=True)
    lock = open(session.out + ".lock", "w")
    waited = time.monotonic() + 600
    while True:
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            break
        except BlockingIOError:
            if time.monotonic() > waited:
                print("e2e-%s: another run holds %s.lock" % (build, session.out))
                print("e2e-%s: 0 passed, 1 failed" % build)
                return 1
            time.sleep(1)
    shutil.rmtree(session.out, ignore_errors=True)
    os.makedirs(session.work)
    started = time.monotonic()
    session.deadline = started + 240
    try:
        missing = [p for p in (session.real_program, session.e2e_program, session.fake_checker)
                   if not os.path.exists(p)]
        if missing:
            raise Failure("not built: " + ", ".join(os.path.relpath(p, ROOT) for p in missing))
        for tool in ("Xvfb", "xdotool", "import"):
            if not shutil.which(tool):
                raise Failure("%s is not installed" % tool)
        if session.windows:
            # A Wine prefix of our own: the stand-in checker becomes its chkdsk.exe.
            os.makedirs(session.wine_build, exist_ok=True)
            session.wineserver("-k")
        session.start_xvfb()
        if session.windows:
            # Makes the prefix on the first run; the second start shows what wine-run's own
            # warm-up start costs, which the program's start-up figure below includes.
            for _ in range(2):
                before = time.monotonic()
                subprocess.run([os.path.join(ROOT, "scripts", "wine-run"), "cmd.exe", "/c", "exit"],
                               env=session.env, timeout=180, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            session.figure("a warm 'scripts/wine-run cmd.exe /c exit' (two Wine starts of cmd.exe) "
                           "takes %d ms" % ((time.monotonic() - before) * 1000))
        run = E2E(session)
        run.real_program()
        run.scripted_program()
    except Failure as failure:
        session.check("run could go on", False, str(failure))
    except subprocess.TimeoutExpired as error:
        session.check("run could go on", False, "timeout: %s" % error)
    finally:
        session.cleanup()
    session.log("%.0f s, screenshots in %s" % (time.monotonic() - started,
                                                os.path.relpath(session.out, ROOT)))
    print("e2e-%s: %d passed, %d failed" % (build, session.passed, session.failed), flush=True)
    return 0 if session.failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
