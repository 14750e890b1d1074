#!/usr/bin/env python3
"""End-to-end run of the window under Xvfb: gui_e2e.py --linux | --windows (Wine).

The program itself must paint its first frame and end with exit code 0 on its close button.
corvanite_e2e_gui, the same program with scripted drives and a frame hook that traces what the
window shows (tests/e2e/frame_trace.cpp), is driven with xdotool through STEPS: each step's input,
then what the last trace line, the files written and the stand-in checker must show. Prints
"e2e-<build>: N passed, M failed" last; needs Xvfb, xdotool and ImageMagick's import.
"""
import fcntl, os, re, select, shutil, signal, subprocess, sys, time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SW, SH = 1600, 1000
ACCENT, TITLE_BG = 0x00EEFF, 0x060610  # the outline and the title bar of a painted frame
MODELS = ["Maxtor 96147H8", "SAMSUNG HD501LJ", "INTEL SSDSA2CW120G3",
          "Samsung SSD 970 EVO Plus 1TB", "Generic External USB 3.0 Storage Device"]
READY, SCANNING = "READY  //  /dev/sda  //  30 attrs", "Scanning drives..."
SCRIPTS = {  # for the stand-in checker (tests/volume_check/fake_chkdsk.cpp)
    "lines": ["out " + "".join(" %02x" % b for b in b"Stage %02d: checked\r\n" % i)
              for i in range(40)] + ["sleep 700", "exit 0"],
    "fixed": ["out 46 69 78 65 64 0d 0a", "exit 1"], "hang": ["out 2e 0d 0a", "sleep 60000"]}
AT_MAX = lambda key: lambda s: s[key] == s[key + "Max"] != "0"
STEPS = [  # (what, input: actions separated by ";", what must follow: trace fields and "_" checks)
    ("first frame, scan held", "", dict(scanning="1", drives="0", status=SCANNING, _painted=1)),
    ("scan result", "unhold", dict(scanning="0", grades="CRIT,WARN,GOOD,CRIT,N/A", status=READY)),
    ("tab DISK INFO", "click tab.1", dict(tab="1")),
    ("tab SCAN/REPAIR", "click tab.2", dict(tab="2")),
    ("tab SMART DATA", "click tab.0", dict(tab="0")),
    ("hover [REFRESH]", "hold; move button.0", dict(hover="0", pressed="-1")),
    ("press [REFRESH]", "down", dict(hover="0", pressed="0")),
    ("release off it: no scan", "move row.2; up", dict(pressed="-1", hoverRow="2", scanning="0")),
    ("pointer away: no hover", "away; unhold", dict(hover="-1", hoverRow="-1")),
    ("select drive 1", "click row.1",
     dict(selected="1", status="Selected: /dev/sdb  SAMSUNG HD501LJ  ATA  23 attrs")),
    ("select drive 4", "click row.4", dict(
        selected="4", status="Selected: /dev/sdd  Generic External USB 3.0 Storage Device  N/A  0 attrs")),
    ("select drive 2", "click row.2",
     dict(selected="2", status="Selected: /dev/sdc  INTEL SSDSA2CW120G3  ATA  19 attrs")),
    ("select drive 0", "click row.0",
     dict(selected="0", status="Selected: /dev/sda  Maxtor 96147H8  ATA  30 attrs")),
    ("wheel down 3", "wheel 3", dict(smartScroll="3")),
    ("wheel down 40: last row", "wheel 40", dict(smartScroll=AT_MAX("smartScroll"))),
    ("wheel up 40: first row", "wheel -40", dict(smartScroll="0")),
    ("F5 scans", "hold; key F5", dict(scanning="1", status=SCANNING)),
    ("the scan ends", "unhold", dict(scanning="0", drives="5", status=READY)),
    ("letters on SMART DATA ignored", "key e x; click tab.2", dict(tab="2", volume="C:")),
    ("E on SCAN/REPAIR", "key e", dict(volume="E:")),
    ("digits, F1 ignored", "key 5 F1; click tab.0", dict(tab="0", volume="E:")),
    ("shift+D", "click tab.2; key shift+d", dict(tab="2", volume="D:")),
    ("read-only check", "script lines; click button.1", dict(
        running="0", lines="40", status="chkdsk: No errors found", chkdskScroll=AT_MAX(
            "chkdskScroll"), _args="D: /v")),
    ("wheel up 1 over the output", "wheel -1",
     dict(chkdskScroll=lambda s: int(s["chkdskScroll"]) == int(s["chkdskScrollMax"]) - 1)),
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
     dict(status="Report export failed: {/proc/corvanite_e2e.txt}", _report=None)),
    ("close", "click button.5", dict(_exit=0)),
]


class Failure(Exception):
    pass


class Run:
    def __init__(self, build):
        self.build, self.win = build, build == "windows"
        self.out = os.path.join(ROOT, "build", "e2e", build)
        self.work, self.passed, self.failed, self.procs = os.path.join(self.out, "work"), 0, 0, []
        bdir = os.path.join(ROOT, "build", "windows-cross" if self.win else "linux")
        exe = ".exe" if self.win else ""
        self.real = os.path.join(bdir, "src", "app", "corvanite" + exe)
        self.e2e = os.path.join(bdir, "tests", "corvanite_e2e_gui" + exe)
        self.checker = os.path.join(bdir, "tests", "corvanite_fake_chkdsk" + exe)
        self.wine = os.path.join(ROOT, "build", "e2e", "wine")
        self.env = dict(os.environ, NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory", WINEDEBUG="-all",
                        CORVANITE_BUILD_DIR=self.wine, XDG_CONFIG_HOME=self.work,
                        XDG_DATA_HOME=self.work, XDG_CACHE_HOME=self.work)

    def check(self, name, ok, detail=""):
        self.passed, self.failed = self.passed + bool(ok), self.failed + (not ok)
        print("  ok    " + name if ok else "  FAIL  %s: %s" % (name, detail), flush=True)
        return ok

    def path(self, p):  # as the program names a file: Wine shows the Linux root as Z:
        p = os.path.join(self.work, p)
        return "Z:" + p.replace("/", "\\") if self.win else p

    def wineserver_kill(self):
        server = "/usr/lib/wine/wineserver"
        subprocess.run([server if os.path.exists(server) else "wineserver", "-k"], timeout=30,
                       env=dict(self.env, WINEPREFIX=os.path.join(self.wine, "wineprefix")))

    def spawn(self, command, **options):
        self.procs.append(subprocess.Popen(command, env=self.env, cwd=self.work,
                                           stdin=subprocess.DEVNULL, start_new_session=True,
                                           **options))
        return self.procs[-1]

    def launch(self, program):
        log = open(os.path.join(self.out, os.path.basename(program) + ".log"), "wb")
        return self.spawn([os.path.join(ROOT, "scripts", "wine-run")] * self.win + [program],
                          stdout=log, stderr=subprocess.STDOUT)

    def xdo(self, *args):
        return subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, timeout=30,
                              capture_output=True).stdout.decode().strip()

    def window(self, title, exclude=""):
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            found = [w for w in self.xdo("search", "--onlyvisible", "--name", title).split()
                     if w != exclude]
            if found:
                return found[0]
            time.sleep(0.1)
        raise Failure("no window " + title)

    def geometry(self):
        shell = dict(l.split("=") for l in self.xdo("getwindowgeometry", "--shell", self.wid).split())
        return tuple(int(shell[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))

    def pixel(self, cx, cy):
        x, y = self.geometry()[:2]
        rgb = subprocess.run(["import", "-window", "root", "-crop", "1x1+%d+%d" % (x + cx, y + cy),
                              "-depth", "8", "rgb:-"], env=self.env, capture_output=True).stdout
        return int.from_bytes(rgb[:3], "big")

    def painted(self, w, h):  # the outline's corner, its middle of the right edge, the title bar
        return [self.pixel(0, 0), self.pixel(w - 1, h // 2), self.pixel(w // 2, 20)] == \
            [ACCENT, ACCENT, TITLE_BG]

    def until(self, predicate, seconds=20):
        deadline = time.monotonic() + seconds
        while not predicate() and time.monotonic() < deadline:
            time.sleep(0.1)
        return predicate()

    def real_program(self):
        app = self.launch(self.real)
        self.wid = self.window("^Corvanite$")
        w, h = self.geometry()[2:]
        self.check("program: first frame painted", self.until(lambda: self.painted(w, h), 30))
        self.xdo("mousemove", "--window", self.wid, w - 20, 17, "click", "1")
        self.check("program: close button, exit code 0", self.until(lambda: app.poll() == 0))

    def trace(self):  # how many lines, and the last one's fields
        name = os.path.join(self.work, "trace")
        lines = open(name, encoding="utf-8").read().splitlines() if os.path.exists(name) else []
        self.state = dict(kv.split("=", 1) for kv in lines[-1].split("\t")) if lines else {}
        return len(lines)

    def centre(self, key):  # of a click rectangle of the last frame, once one has it
        if not self.until(lambda: self.trace() and key in self.state, 10):
            raise Failure("no %s in the trace" % key)
        l, t, r, b = map(int, self.state[key].split(","))
        return (l + r) // 2, (t + b) // 2

    def act(self, action):
        verb, _, arg = action.strip().partition(" ")
        hold, script = os.path.join(self.work, "hold"), os.path.join(self.work, "script")
        if verb in ("move", "click"):
            self.xdo("mousemove", "--window", self.wid, *self.centre(arg),
                     *(["click", "1"] if verb == "click" else []))
        elif verb in ("down", "up"):
            self.xdo("mouse" + verb, "1")
        elif verb == "away":
            self.xdo("mousemove", SW - 2, SH - 2)
        elif verb == "wheel":
            x, y = self.centre("tab.1")  # the middle of the view below the tabs
            self.xdo("mousemove", "--window", self.wid, x, y + 300,
                     "click", "--repeat", abs(int(arg)), "--delay", "30", 5 if int(arg) > 0 else 4)
        elif verb == "key":
            self.xdo("windowfocus", "--sync", self.wid, "key", "--delay", "30", *arg.split())
        elif verb in ("hold", "unhold"):
            open(hold, "w").close() if verb == "hold" else os.remove(hold)
        elif verb == "script":
            with open(script, "w") as f:
                f.write("\n".join(SCRIPTS[arg]) + "\n")
            if os.path.exists(self.args):
                os.remove(self.args)
        elif verb == "confirm":
            dialog = self.window("^Confirm$", exclude=self.wid)
            self.xdo("windowfocus", "--sync", dialog, "key", arg if self.win else "alt+" + arg)
        elif verb == "save":
            dialog = self.window("^Save As$" if self.win else "^Save Report$", exclude=self.wid)
            self.xdo("windowfocus", "--sync", dialog, "key", "ctrl+a", "type", self.path(arg))
            self.xdo("windowfocus", "--sync", dialog, "key", "Return")
        elif verb == "mark":
            self.marked = self.geometry()
        elif verb == "drag":
            x, y = self.centre("drag")
            self.xdo("mousemove", "--window", self.wid, x, y, "mousedown", "1",
                     "mousemove_relative",
                     "--sync", 50, 30, "mousemove_relative", "--sync", 50, 30, "mouseup", "1")
        elif verb == "sleep":
            time.sleep(float(arg))

    def holds(self, key, want, app):
        if not key.startswith("_"):  # a trace field; {name} is a file's name as the program has it
            return key in self.state and (want(self.state) if callable(want) else self.state[key]
                                          == re.sub("{(.*)}", lambda m: self.path(m[1]), want))
        if key == "_args":
            args = os.path.exists(self.args) and open(self.args).read().split()[1:]
            return args == want.split() if want else not args
        if key == "_checker":
            return bool(self.checkers()) == want
        if key == "_moved":
            x, y, w, h = self.marked
            return self.geometry() == (x + want[0], y + want[1], w, h)
        if key == "_full":
            x, y, w, h = self.geometry()
            return "%dx%d" % (w, h) == self.state["size"] and w > SW - 20 and h > SH - 20
        if key == "_painted":
            return self.painted(*map(int, self.state["size"].split("x")))
        if key == "_report":
            return self.report_ok(want)
        return app.poll() == want  # _exit

    def report_ok(self, name):
        if name is None:
            return not os.path.exists("/proc/corvanite_e2e.txt")
        with open(os.path.join(self.work, name), "rb") as f:
            data = f.read()
        text = data.decode("utf-8-sig")
        where = [text.find("\r\nDrive %d: %s\r\n" % (i, m)) for i, m in enumerate(MODELS)]
        return data.startswith(b"\xef\xbb\xbfCorvanite Report\r\n") and \
            data.count(b"\n") == data.count(b"\r\n") and where == sorted(where) and -1 not in where

    def checkers(self):  # the stand-in's processes started by this run's program
        found = []
        for pid in filter(str.isdigit, os.listdir("/proc")):
            try:
                with open("/proc/%s/cmdline" % pid, "rb") as f, open("/proc/%s/environ" % pid,
                                                                        "rb") as e, \
                        open("/proc/%s/stat" % pid) as s:
                    if b"chkdsk" in f.read() and self.marker in e.read() and \
                            s.read().rsplit(")", 1)[1].split()[0] != "Z":
                        found.append(pid)
            except OSError:
                pass
        return found

    def scripted_program(self):
        self.args = os.path.join(self.work, "args")
        self.marker = ("CORVANITE_E2E_TRACE=" + self.path("trace")).encode()
        self.env.update(CORVANITE_E2E_TRACE=self.path("trace"), CORVANITE_E2E_HOLD=self.path("hold"),
                        CORVANITE_FAKE_CHKDSK_SCRIPT=self.path("script"),
                        CORVANITE_FAKE_CHKDSK_ARGS=self.path("args"))
        if self.win:
            shutil.copy(self.checker, os.path.join(self.wine, "wineprefix", "drive_c", "windows",
                                                   "system32", "chkdsk.exe"))
        else:
            os.symlink(self.checker, os.path.join(self.work, "chkdsk.exe"))
            self.env["PATH"] = self.work + os.pathsep + self.env["PATH"]
        open(os.path.join(self.work, "hold"), "w").close()
        app = self.launch(self.e2e)
        self.wid, seen = self.window("^Corvanite$"), 0
        for name, actions, expect in STEPS:
            fresh = any(not k.startswith("_") for k in expect)  # a trace line after the input
            try:
                for action in filter(None, actions.split(";")):
                    self.act(action)
                ok = self.until(lambda: (self.trace() > seen or not fresh) and all(
                    self.holds(k, v, app) for k, v in expect.items()))
            except (Failure, OSError, subprocess.SubprocessError) as error:
                ok, self.state = False, {"error": str(error)}
            self.check(name, ok, {k: v for k, v in self.state.items() if "." not in k})
            seen = self.trace()


def main():
    build = "windows" if sys.argv[1:] == ["--windows"] else "linux"
    run = Run(build)
    os.makedirs(os.path.dirname(run.out), exist_ok=True)
    lock, waited = open(run.out + ".lock", "w"), time.monotonic() + 600
    while True:  # one run per build at a time: they share the output folder and the Wine prefix
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            break
        except BlockingIOError:
            time.sleep(1)
            if time.monotonic() > waited:
                print("e2e-%s: 0 passed, 1 failed (another run holds the lock)" % build)
                return 1
    shutil.rmtree(run.out, ignore_errors=True)
    os.makedirs(run.work)

    def give_up(signum, _):
        raise Failure("signal %d" % signum)

    for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP, signal.SIGALRM):
        signal.signal(sig, give_up)
    signal.alarm(300)  # the whole run, whatever waits
    try:
        r, w = os.pipe()
        run.spawn(["Xvfb", "-displayfd", str(w), "-screen", "0", "%dx%dx24" % (SW, SH),
                   "-nolisten", "tcp"], pass_fds=(w,), stderr=subprocess.DEVNULL)
        if not select.select([r], [], [], 20)[0]:
            raise Failure("Xvfb did not start")
        run.env["DISPLAY"] = ":" + os.read(r, 16).decode().strip()
        if run.win:  # a Wine prefix of this test's own, made before the stand-in goes into it
            os.makedirs(run.wine, exist_ok=True)
            run.wineserver_kill()
            subprocess.run([os.path.join(ROOT, "scripts", "wine-run"), "cmd.exe", "/c", "exit"],
                           env=run.env, timeout=240, capture_output=True)
        run.real_program()
        run.scripted_program()
    except (Failure, OSError, subprocess.SubprocessError) as error:
        run.check("run could go on", False, error)
    finally:
        signal.alarm(0)
        for proc in reversed(run.procs):  # each leads a process group, with whatever it started
            for sig in (signal.SIGTERM, signal.SIGKILL):
                try:
                    os.killpg(proc.pid, sig)
                    proc.wait(timeout=5)
                    break
                except (ProcessLookupError, subprocess.TimeoutExpired):
                    pass
        if run.win:
            run.wineserver_kill()
    print("e2e-%s: %d passed, %d failed" % (build, run.passed, run.failed), flush=True)
    return 1 if run.failed else 0


if __name__ == "__main__":
    sys.exit(main())
