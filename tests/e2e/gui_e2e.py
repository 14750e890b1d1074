#!/usr/bin/env python3
"""The window of one build (gui_e2e.py linux|windows [steps|scaled|small]; run by gui_e2e.sh).

The program paints its first frame and its close button ends it with exit code 0. The program
with scripted drives and a frame hook that traces what the window shows (frame_trace.cpp) goes
through STEPS: inputs by xdotool, then what the last trace line, the files written and the
stand-in checker must show. "scaled": at 144 dpi (Windows) or GDK_SCALE=2 (Linux) the window
is that much larger and its frame, averaged over cells, looks like the 96 dpi one; "small": in a
1024 x 768 screen the window fits. Last line: "e2e-<build>[-mode]: N passed, M failed"."""
import os, re, shutil, signal, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SW, SH = map(int, os.environ.get("CORVANITE_E2E_SCREEN", "1600x1000").split("x"))  # Xvfb's
ACCENT, TITLE_BG = 0x00EEFF, 0x060610  # the outline's and the title bar's colours
MODELS = ["Maxtor 96147H8", "SAMSUNG HD501LJ", "INTEL SSDSA2CW120G3",
          "Samsung SSD 970 EVO Plus 1TB", "Generic External USB 3.0 Storage Device"]
SELECTED = {1: "sdb  SAMSUNG HD501LJ  ATA  23", 4: "sdd  %s  N/A  0" % MODELS[4],
            2: "sdc  INTEL SSDSA2CW120G3  ATA  19", 0: "sda  Maxtor 96147H8  ATA  30"}
READY, SCANNING = "READY  //  /dev/sda  //  30 attrs", "Scanning drives..."
SCRIPTS = {  # for the stand-in checker, tests/volume_check/fake_chkdsk.cpp
    "lines": ["out" + "".join(" %02x" % c for c in b"Stage %02d\r\n" % i) for i in range(40)]
    + ["sleep 700"], "fixed": ["out 46 69 78 65 64 0d 0a", "exit 1"], "hang": ["sleep 60000"]}
AT_MAX = lambda key, back=0: lambda s: int(s[key]) == int(s[key + "Max"]) - back > -back
STEPS = [  # (what, inputs separated by ";", what follows: trace fields, and the "_" checks)
    ("first frame, scan held", "", dict(scanning="1", drives="0", status=SCANNING, _painted=1)),
    ("scan result", "unhold", dict(scanning="0", grades="CRIT,WARN,GOOD,CRIT,N/A", status=READY)),
    *[("tab %d" % i, "click tab.%d" % i, dict(tab=str(i))) for i in (1, 2, 0)],
    ("hover [REFRESH]", "hold; move button.0", dict(hover="0", pressed="-1")),
    ("press [REFRESH]", "down", dict(hover="0", pressed="0")),
    ("release off it: no scan", "move row.2; up", dict(pressed="-1", hoverRow="2", scanning="0")),
    ("pointer away: no hover", "away; unhold", dict(hover="-1", hoverRow="-1")),
    *[("select drive %d" % i, "click row.%d" % i,
       dict(selected=str(i), status="Selected: /dev/%s attrs" % text))
      for i, text in SELECTED.items()],
    ("wheel down 3", "wheel 3", dict(smartScroll="3")),
    ("wheel down 40: last row", "wheel 40", dict(smartScroll=AT_MAX("smartScroll"))),
    ("wheel up 40: first row", "wheel -40", dict(smartScroll="0")),
    ("Down selects the next drive", "key Down", dict(selected="1", smartScroll="0")),
    ("Up selects the one before", "key Up; key Up", dict(selected="0")),
    ("F5 scans", "hold; key F5", dict(scanning="1", status=SCANNING)),
    ("the scan ends", "unhold", dict(scanning="0", drives="5", status=READY)),
    ("letters on SMART DATA ignored", "key e x; click tab.2", dict(tab="2", volume="C:")),
    ("E on SCAN/REPAIR", "key e", dict(volume="E:")),
    ("digits, F1 ignored", "key 5 F1; click tab.0", dict(tab="0", volume="E:")),
    ("shift+D", "click tab.2; key shift+d", dict(tab="2", volume="D:")),
    ("read-only check", "script lines; click button.1", dict(
        running="0", lines="40", status="chkdsk: No errors found",
        chkdskScroll=AT_MAX("chkdskScroll"), _args="D: /v")),
    ("wheel up 1 over the output", "wheel -1", dict(chkdskScroll=AT_MAX("chkdskScroll", 1))),
    ("fix mode, No: nothing runs", "script fixed; click button.2; confirm n; sleep 1",
     dict(status="chkdsk: No errors found", lines="40", _args=None)),
    ("fix mode, Yes", "script fixed; click button.2; confirm y",
     dict(status="chkdsk: Errors found and corrected", lines="1", _args="D: /f /x /v")),
    ("a hanging check", "script hang; click button.1",
     dict(running="1", status="Running chkdsk D: (read-only)...", _checker=True)),
    ("cancel ends it", "click button.3",
     dict(running="0", status="chkdsk: Operation cancelled", _checker=False)),
    ("drag by the title bar", "mark; drag", dict(_moved=(100, 60))),
    ("maximise", "mark; click button.6", dict(maximized="1", _full=1, _painted=1)),
    ("restore", "click button.6", dict(maximized="0", _moved=(0, 0), _painted=1)),
    ("export", "click tab.0; click button.4; save report.txt",
     dict(status="Report exported: {report.txt}", _report="report.txt")),
    ("failed export", "click button.4; save /proc/corvanite_e2e.txt",
     dict(status=lambda s: re.match(r"Report export failed: .*corvanite_e2e\.txt \(.+\)$",
                                    s["status"]), _report=None)),
    ("close", "click button.5", dict(_exit=0)),
]


class Run:
    def __init__(self, build):
        self.build, self.win, self.groups = build, build == "windows", []
        self.passed = self.failed = 0
        self.work = ROOT + "/build/e2e/%s/work" % build
        self.prefix = ROOT + "/build/e2e/wine/wineprefix"  # scripts/wine-run makes it
        self.env = dict(os.environ, NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory", WINEDEBUG="-all",
                        CORVANITE_BUILD_DIR=os.path.dirname(self.prefix), XDG_CONFIG_HOME=self.work,
                        XDG_DATA_HOME=self.work, **{"CORVANITE_" + k: self.path(v) for k, v in (
                            ("E2E_TRACE", "trace"), ("E2E_HOLD", "hold"),
                            ("FAKE_CHKDSK_ARGS", "args"), ("FAKE_CHKDSK_SCRIPT", "script"))})

    def check(self, name, ok, detail=""):
        self.passed, self.failed = self.passed + bool(ok), self.failed + (not ok)
        print("  ok    " + name if ok else "  FAIL  %s: %s" % (name, detail), flush=True)

    def file(self, name):
        return os.path.join(self.work, name)

    def path(self, name):  # a file's name as the program has it (Wine: the Linux root is Z:)
        return "Z:" + self.file(name).replace("/", "\\") if self.win else self.file(name)

    def built(self, name):
        return "%s/build/%s/%s%s" % (ROOT, "windows-cross" if self.win else "linux", name,
                                     ".exe" * self.win)

    def launch(self, name):  # as the leader of a process group, with whatever it starts
        self.groups.append(subprocess.Popen(
            [ROOT + "/scripts/wine-run"] * self.win + [self.built(name)], env=self.env,
            cwd=self.work, stdin=subprocess.DEVNULL, start_new_session=True,
            stdout=open(self.file(name.split("/")[-1] + ".log"), "wb"), stderr=subprocess.STDOUT))
        self.wid = self.window("^Corvanite$")
        return self.groups[-1]

    def xdo(self, *args):
        return subprocess.run(["xdotool", *map(str, args)], env=self.env, timeout=30,
                              capture_output=True).stdout.decode()

    def until(self, predicate, seconds=20):
        deadline = time.monotonic() + seconds
        while not predicate() and time.monotonic() < deadline:
            time.sleep(0.1)
        return predicate()

    def window(self, title, exclude=""):
        found = lambda: [w for w in self.xdo("search", "--onlyvisible", "--name", title).split()
                         if w != exclude]
        if not self.until(found, 60):
            raise RuntimeError("no window " + title)
        return found()[0]

    def geometry(self):
        shell = dict(kv.split("=") for kv in self.xdo("getwindowgeometry", "--shell", self.wid)
                     .split())
        return tuple(int(shell[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def painted(self, w, h):  # the outline's corner and right edge, the title bar's middle
        x, y = self.geometry()[:2]
        return [int.from_bytes(subprocess.run(
            ["import", "-window", "root", "-crop", "1x1+%d+%d" % (x + px, y + py), "-depth", "8",
             "rgb:-"], env=self.env, capture_output=True).stdout, "big")
            for px, py in ((0, 0), (w - 1, h // 2), (w // 2, 20))] == [ACCENT, ACCENT, TITLE_BG]

    def trace(self):  # how many lines, keeping the last one's fields
        exists = os.path.exists(self.file("trace"))
        lines = open(self.file("trace"), encoding="utf-8").read().splitlines() if exists else []
        self.state = dict(kv.split("=", 1) for kv in lines[-1].split("\t")) if lines else {}
        return len(lines)

    def centre(self, key, down=0):  # of a click rectangle of the last frame, once it has one
        if not self.until(lambda: self.trace() and key in self.state, 10):
            raise RuntimeError("no %s in the trace" % key)
        l, t, r, b = map(int, self.state[key].split(","))
        return (l + r) // 2, (t + b) // 2 + down

    def act(self, verb, arg):
        at = lambda *more: self.xdo("mousemove", "--window", self.wid, *more)
        focus = lambda wid, *keys: self.xdo("windowfocus", "--sync", wid, "key", "--delay", 30,
                                            *keys)
        wheel = lambda n: at(*self.centre("tab.1", 300), "click", "--repeat", abs(n), "--delay", 30,
                             5 if n > 0 else 4)  # over the view below the tabs
        {"move": lambda: at(*self.centre(arg)),
         "click": lambda: at(*self.centre(arg), "click", 1),
         "down": lambda: self.xdo("mousedown", 1), "up": lambda: self.xdo("mouseup", 1),
         "away": lambda: self.xdo("mousemove", SW - 2, SH - 2), "wheel": lambda: wheel(int(arg)),
         "key": lambda: focus(self.wid, *arg.split()), "sleep": lambda: time.sleep(float(arg)),
         "hold": lambda: open(self.file("hold"), "w").close(),  # a scan waits while it is there
         "unhold": lambda: os.remove(self.file("hold")),
         "script": lambda: (open(self.file("script"), "w").write("\n".join(SCRIPTS[arg]) + "\n"),
                            os.path.exists(self.file("args")) and os.remove(self.file("args"))),
         "confirm": lambda: focus(self.window("^Confirm$", self.wid), ("" if self.win else "alt+")
                                  + arg),
         "save": lambda: [focus(self.window("^Save (As|Report)$", self.wid), *keys)
                          for keys in (("ctrl+a", "type", self.path(arg)), ("Return",))],
         "mark": lambda: setattr(self, "marked", self.geometry()),
         "drag": lambda: at(*self.centre("drag"), "mousedown", 1,
                            *["mousemove_relative", "--sync", 50, 30] * 2, "mouseup", 1)}[verb]()

    def holds(self, key, want, app):
        if not key.startswith("_"):  # a trace field; {name}: a file's name as the program has it
            return key in self.state and (want(self.state) if callable(want) else self.state[key]
                                          == re.sub("{(.*)}", lambda m: self.path(m[1]), want))
        size = lambda: tuple(map(int, self.state["size"].split("x")))
        args = os.path.exists(self.file("args")) and open(self.file("args")).read().split()[1:]
        x, y, w, h = getattr(self, "marked", (0, 0, 0, 0))
        return {"_args": lambda: args == (want.split() if want else False),  # the stand-in's
                "_checker": lambda: bool(self.checkers()) == want,
                "_moved": lambda: self.geometry() == (x + want[0], y + want[1], w, h),
                "_full": lambda: self.geometry()[2:] == size() and min(size()) > SH - 20,
                "_painted": lambda: self.painted(*size()), "_exit": lambda: app.poll() == want,
                "_report": lambda: self.report_ok(want)}[key]()

    def report_ok(self, name):  # BOM, CR LF, every drive in order; none where it cannot be written
        data = open(self.file(name), "rb").read() if name else b""
        at = [data.find(b"\r\nDrive %d: %s\r\n" % (i, m.encode())) for i, m in enumerate(MODELS)]
        return data.startswith(b"\xef\xbb\xbfCorvanite Report\r\n") and -1 not in at and \
            data.count(b"\n") == data.count(b"\r\n") and at == sorted(at) if name else \
            not os.path.exists("/proc/corvanite_e2e.txt")

    def checkers(self):  # the stand-ins running that this run started (their environment tells)
        def mine(pid, read=lambda pid, part: open("/proc/%s/%s" % (pid, part), "rb").read()):
            try:
                return b"chkdsk" in read(pid, "cmdline") and b") Z" not in read(pid, "stat") and \
                    self.path("args").encode() in read(pid, "environ")
            except OSError:
                return False
        return [pid for pid in os.listdir("/proc") if pid.isdigit() and mine(pid)]

    def run(self):
        app = self.launch("src/app/corvanite")
        w, h = self.geometry()[2:]
        self.check("program: first frame painted", self.until(lambda: self.painted(w, h), 30))
        self.xdo("mousemove", "--window", self.wid, w - 20, 17, "click", 1)
        self.check("program: close button, exit code 0", self.until(lambda: app.poll() == 0))
        # The stand-in checker is the prefix's chkdsk.exe, or the first on the PATH.
        shutil.copy(self.built("tests/corvanite_fake_chkdsk"), self.prefix +
                    "/drive_c/windows/system32/chkdsk.exe" if self.win else self.file("chkdsk.exe"))
        self.env["PATH"] = self.work + os.pathsep + self.env["PATH"]
        self.act("hold", "")
        app, seen = self.launch("tests/corvanite_e2e_gui"), 0
        for name, actions, expect in STEPS:
            fresh = any(not k.startswith("_") for k in expect)  # a new trace line after the input
            try:
                for action in filter(None, actions.split(";")):
                    self.act(*action.strip().partition(" ")[::2])
                ok = self.until(lambda: (self.trace() > seen or not fresh) and all(
                    self.holds(k, v, app) for k, v in expect.items()))
            except (RuntimeError, OSError, subprocess.SubprocessError) as error:
                ok, self.state = False, {"error": error}
            self.check(name, ok, {k: v for k, v in self.state.items() if "." not in k})
            seen = self.trace()


    def shown(self, dpi, env=None):  # the program after its scan, pointer away: (app, x, y, w, h)
        os.path.exists(self.file("trace")) and os.remove(self.file("trace"))
        self.env.update(env or {})
        app = self.launch("tests/corvanite_e2e_gui")
        self.xdo("mousemove", SW - 2, SH - 2)
        self.until(lambda: self.trace() and self.state.get("drives") == "5", 30)
        time.sleep(0.5)
        return (app, *self.geometry())

    def close(self, app, dpi, what):
        l, t, r, b = (int(v) * dpi // 96 for v in self.state["button.5"].split(","))
        self.xdo("mousemove", "--window", self.wid, (l + r) // 2, (t + b) // 2, "click", 1)
        self.check(what + ": close button, exit code 0", self.until(lambda: app.poll() == 0))

    def cells(self, x, y, w, h):  # the client area averaged over 6 x 6-unit cells, RGB bytes
        return subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y),
                               "-filter", "Box", "-resize", "200x125!", "-depth", "8", "rgb:-"],
                              env=self.env, capture_output=True).stdout

    def scaled(self, dpi):  # at dpi the window is dpi/96 times larger and looks the same
        setting = lambda d: self.env.update(GDK_SCALE=str(d // 96)) if not self.win else \
            subprocess.run([ROOT + "/scripts/wine-run", "reg.exe", "add", "HKCU\\Control Panel"
                            "\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(d), "/f"],
                           env=self.env, capture_output=True)
        frames = []
        for d in (96, dpi):
            setting(d)
            app, *box = self.shown(d)
            frames.append(self.cells(*box))
            self.check("%d dpi: client %dx%d" % (d, *box[2:]), box[2:] == [1200 * d // 96,
                                                                            750 * d // 96])
            self.close(app, d, "%d dpi" % d)
        setting(96)
        a, b = frames
        mean = sum(abs(p - q) for p, q in zip(a, b)) / max(len(a), 1)
        off = sum(max(abs(a[i + k] - b[i + k]) for k in range(3)) > 32
                  for i in range(0, len(a) - 2, 3)) / max(len(a) // 3, 1)
        self.check("%d dpi frame looks like the 96 dpi one (mean %.1f, %.1f %% of cells off)"
                   % (dpi, mean, 100 * off), len(a) == len(b) > 0 and mean < 6 and off < 0.05)

    def small(self):  # a 1024 x 768 screen (WinPE's basic display): the window fits it
        app, x, y, w, h = self.shown(96)
        self.check("1024x768 screen: window at %d,%d %dx%d fits" % (x, y, w, h),
                   x >= 0 and y >= 0 and x + w <= 1024 and y + h <= 768)
        self.close(app, 96, "1024x768 screen")


def main():
    run = Run(sys.argv[1])
    mode = sys.argv[2] if len(sys.argv) > 2 else "steps"
    if mode != "steps":
        run.build += "-" + mode
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("out of time"))  # from gui_e2e.sh's timeout
    try:
        if run.win:  # the prefix is made before the stand-in goes into it
            os.makedirs(os.path.dirname(run.prefix), exist_ok=True)
            subprocess.run([ROOT + "/scripts/wine-run", "cmd.exe", "/c", "exit"], env=run.env,
                           capture_output=True)
        {"steps": run.run, "scaled": lambda: run.scaled(144 if run.win else 192),
         "small": run.small}[mode]()
    except (RuntimeError, OSError, subprocess.SubprocessError, SystemExit) as error:
        run.check("run could go on", False, error)
    finally:
        for group in run.groups:  # a group outlives its leader when a child hangs on
            try:
                os.killpg(group.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        if run.win:
            subprocess.run([shutil.which("wineserver") or "/usr/lib/wine/wineserver", "-k"],
                           env=dict(run.env, WINEPREFIX=run.prefix))
    print("e2e-%s: %d passed, %d failed" % (run.build, run.passed, run.failed), flush=True)
    return 1 if run.failed else 0


if __name__ == "__main__":
    sys.exit(main())
