#!/usr/bin/env python3
"""The window of one build under Xvfb (gui_e2e.py linux|windows, from gui_e2e.sh): STEPS of inputs
by xdotool, each followed by what the scripted build's trace, the files written and pixels show."""
import contextlib, glob, os, re, shutil, signal, subprocess, sys, time, types

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WIN, WORK = sys.argv[1] == "windows", ROOT + "/build/e2e/%s/work/" % sys.argv[1]
BUILT, DPI = ROOT + ("/build/windows-cross/" if WIN else "/build/linux/"), 144 if WIN else 192
PREFIX = ROOT + "/build/e2e/wine/wineprefix"  # scripts/wine-run makes it
ACCENT, TITLE_BG = 0x00EEFF, 0x060610  # the outline's and the title bar's colours
MODELS = ["Maxtor 96147H8", "SAMSUNG HD501LJ", "INTEL SSDSA2CW120G3", "ST320410A",  # the sample
          "FUJITSU MHY2250BH", "TOSHIBA MK1651GSY", "Samsung SSD 970 EVO Plus 1TB",  # drives
          "Generic External USB 3.0 Storage Device"]
GRADES = "CRIT,WARN,GOOD,WARN,WARN,WARN,CRIT,N/A"
SELECTED = {1: "sdb  SAMSUNG HD501LJ  ATA  23", 7: "sdh  %s  N/A  0" % MODELS[7],
            2: "sdc  INTEL SSDSA2CW120G3  ATA  19", 0: "sda  Maxtor 96147H8  ATA  30"}
READY, SCANNING = "READY  //  /dev/sda  //  30 attrs", "Scanning drives..."
HEX = lambda text: "out " + " ".join("%02x" % b for b in text.encode())
SCRIPTS = {"lines": "lines 40 8\nsleep 700", "fixed": "out 46 69 78 65 64 0d 0a\nexit 1",
           "hang": "sleep 60000", "progress": "\n".join((HEX("Checking\r\nProgress: 10%\r"),
           "sleep 300", HEX("Progress: 55%\r"), "sleep 60000"))}  # for the stand-in checker,
# tests/volume_check/fake_chkdsk.cpp
R = types.SimpleNamespace(passed=0, failed=0, apps=[], state={}, scale=1, frames=[])
file = lambda name: os.path.join(WORK, name)  # in the work folder unless absolute
path = lambda name: "Z:" + file(name).replace("/", "\\") if WIN else file(name)  # the program's
ENV = dict(os.environ, NO_AT_BRIDGE="1", GSETTINGS_BACKEND="memory", WINEDEBUG="-all",
           WINEPREFIX=PREFIX, CORVANITE_BUILD_DIR=os.path.dirname(PREFIX), XDG_CONFIG_HOME=WORK,
           XDG_DATA_HOME=WORK, PATH=WORK + os.pathsep + os.environ["PATH"],
           CORVANITE_E2E_TRACE=path("trace"), CORVANITE_E2E_HOLD=path("hold"),
           CORVANITE_FAKE_CHKDSK_ARGS=path("args"), CORVANITE_FAKE_CHKDSK_SCRIPT=path("script"))
run = lambda *args, timeout=None: subprocess.run(list(map(str, args)), env=ENV, timeout=timeout,
                                                  capture_output=True).stdout
xdo = lambda *args: run("xdotool", *args, timeout=30).decode()
wine = lambda *args: run(ROOT + "/scripts/wine-run", *args)
drop = lambda name: os.path.exists(file(name)) and os.remove(file(name))


def read(name):  # a file's bytes; none when it cannot be read
    with contextlib.suppress(OSError), open(file(name), "rb") as data:
        return data.read()
    return b""


def until(predicate, seconds=20, what=""):  # what: the error when it stays false
    deadline = time.monotonic() + seconds
    while not predicate() and time.monotonic() < deadline:
        time.sleep(0.1)
    if what and not predicate():
        raise RuntimeError(what)
    return predicate()


def window(title, other=""):  # a shown window's id
    return until(lambda: [w for w in xdo("search", "--onlyvisible", "--name", title).split()
                          if w != other], 60, "no window " + title)[0]


def geometry():  # x, y, width, height (kept for a failure's report)
    shell = xdo("getwindowgeometry", "--shell", R.wid).split()[1:5]
    R.state["window"] = tuple(int(kv.split("=")[1]) for kv in shell)
    return R.state["window"]


def grab(x, y, w, h, *resize):  # the screen's pixels as RGB bytes
    return run("import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), *resize,
               "-depth", "8", "rgb:-")


def trace():  # how many whole lines, keeping the last one's fields
    lines = read("trace").decode(errors="replace").split("\n")[:-1]
    R.state = dict(kv.split("=", 1) for kv in lines[-1].split("\t")) if lines else {}
    return len(lines)


def at(key, *more, down=0):  # moves over a click rectangle of the last frame (in units)
    until(lambda: trace() and key in R.state, 10, "no %s in the trace" % key)
    l, t, r, b = map(int, R.state[key].split(","))
    xdo("mousemove", "--window", R.wid, int((l + r) / 2 * R.scale),
        int(((t + b) / 2 + down) * R.scale), *more)


def start(name, *args):  # the leader of a process group, with whatever it starts; @ in an
    args = [a.replace("@", ROOT + "/tests/data/") for a in args]  # argument: the test data
    args = ["Z:" + a.replace("/", "\\") if WIN and a.startswith("/") else a for a in args]
    R.apps.append(subprocess.Popen(
        [ROOT + "/scripts/wine-run"] * WIN + [BUILT + name + ".exe" * WIN] + args, env=ENV, cwd=WORK,
        stdin=subprocess.DEVNULL, stdout=open(WORK + os.path.basename(name) + ".log", "wb"),
        stderr=subprocess.STDOUT, start_new_session=True))
    R.wid = window("^Corvanite$")


def stop():  # every group (one outlives its leader when a child hangs on) and Wine's server
    for app in R.apps:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(app.pid, signal.SIGKILL)
    for flag in ("-k", "-w") * WIN:  # kill, then wait until it has ended
        run(shutil.which("wineserver") or "/usr/lib/wine/wineserver", flag)


def act(verb, arg):
    keys = lambda wid, *k: xdo("windowfocus", "--sync", wid, "key", "--delay", 30, *k)
    n = int(arg) if verb in ("wheel", "dpi") else 0
    do = {"move": lambda: at(arg), "click": lambda: at(arg, "click", 1),
          "wheel": lambda: at("tab.1", "click", "--repeat", abs(n), "--delay", 30,
                              5 if n > 0 else 4, down=300),  # over the view below the tabs
          "key": lambda: keys(R.wid, *arg.split()),
          "confirm": lambda: keys(window("^Confirm$", R.wid), "alt+" * (not WIN) + arg),
          "answer": lambda: keys(window("^Confirm$", R.wid), arg),  # a key as it is
          "save": lambda: [keys(window("^Save (As|Report)$", R.wid), *k)
                           for k in (("ctrl+a", "type", path(arg)), ("Return",))],
          "hold": lambda: open(file("hold"), "w").close(),  # a scan waits while it is there
          "unhold": lambda: drop("hold"),
          "script": lambda: (open(file("script"), "w").write(SCRIPTS[arg] + "\n"), drop("args")),
          "drag": lambda: at("drag", "mousedown", 1, *["mousemove_relative", "--sync", 50, 30] * 2,
                             "mouseup", 1),
          "thumb": lambda: at("thumb." + arg.split()[0], "mousedown", 1, *["mousemove_relative",
                              "--sync", "--", 0, int(arg.split()[1]) // 2] * 2, "mouseup", 1),
          "resize": lambda: xdo("mousemove", "--window", R.wid, *[v - 2 for v in geometry()[2:]],
                                "mousedown", 1, *["mousemove_relative", "--sync", 40, 30] * 2,
                                "mouseup", 1),  # by the bottom-right corner
          "start": lambda: start(*arg.split()), "stop": stop, "mark": lambda: setattr(R, "mark", geometry()),
          "corner": lambda: xdo("mousemove", "--window", R.wid, geometry()[2] - 20, 17, "click", 1),
          "dpi": lambda: (setattr(R, "scale", n / 96), ENV.update(GDK_SCALE=str(n // 96)) if not
                          WIN else wine("reg.exe", "add", "HKCU\\Control Panel\\Desktop", "/v",
                                        "LogPixels", "/t", "REG_DWORD", "/d", n, "/f")),
          "screen": lambda: (stop(), ENV.update(DISPLAY=ENV["DISPLAY"].split(".")[0] + ".1")),
          "frame": lambda: (time.sleep(0.5), R.frames.append(grab(
              *geometry(), "-filter", "Box", "-resize", "200x125!")))}  # cells of 6 x 6 units
    do[verb]() if verb in do else xdo(verb, *arg.split())  # else an xdotool command


def painted():  # the outline's corner and right edge, the title bar's middle
    x, y, w, h = geometry()
    at = lambda i, j, rgb=grab(x, y, w, h): int.from_bytes(rgb[3 * (j * w + i):][:3], "big")
    return [at(0, 0), at(w - 1, h // 2), at(w // 2, 20)] == [ACCENT, ACCENT, TITLE_BG]


def alike():  # averaged over cells, the scaled frame looks like the 96 dpi one
    a, b = R.frames
    d = [abs(p - q) for p, q in zip(a, b)] or [255]
    mean, off = sum(d) / len(d), sum(max(d[i:i + 3]) > 32 for i in range(0, len(d), 3)) / len(d) * 3
    R.state["alike"] = "mean %.1f, %.1f %% of cells off" % (mean, 100 * off)
    return len(a) == len(b) and mean < 6 and off < 0.05


def report(data):  # BOM, CR LF, every drive in order
    at = [data.find(b"\r\nDrive %d: %s\r\n" % (i, m.encode())) for i, m in enumerate(MODELS)]
    return data.startswith(b"\xef\xbb\xbfCorvanite Report\r\n") and -1 not in at and \
        at == sorted(at) and data.count(b"\n") == data.count(b"\r\n")


# Checks beyond the trace's fields: exit code, window place and size, pixels, files written.
EXITED = lambda: R.apps[-1].poll() == 0
AT_MAX = lambda key, back=0: lambda: int(R.state[key]) == int(R.state[key + "Max"]) - back > -back
ARGS = lambda words: lambda: read("args").split()[1:] == words.encode().split()  # the stand-in's
MOVED = lambda dx, dy: lambda: geometry() == (R.mark[0] + dx, R.mark[1] + dy, *R.mark[2:])
FULL = lambda: geometry()[2:] == (int(R.state["width"]), int(R.state["height"])) and \
    geometry()[3] > int(xdo("getdisplaygeometry").split()[1]) - 20
FITS = lambda: (lambda x, y, w, h: min(x, y) >= 0 and x + w <= 1024 and y + h <= 768)(*geometry())
CHECKERS = lambda: [p for p in glob.glob("/proc/[0-9]*/") if b"chkdsk" in read(p + "cmdline") and
                    b") Z" not in read(p + "stat") and path("args").encode() in read(p + "environ")]
CLIENT = lambda dpi: (1200 * dpi // 96, 750 * dpi // 96)  # the window's client size
SHOWN = dict(drives="8", scanning="0", hover="-1")  # a start's scan done, the pointer away
STEPS = [  # (what, inputs separated by ";", what follows: trace fields and the "_" check)
    *[step for d in (96, DPI) for step in [
        ("%d dpi: client %dx%d" % (d, *CLIENT(d)), "dpi %d; start tests/corvanite_e2e_gui; "
         "mousemove 0 0" % d, dict(SHOWN, _=lambda d=d: geometry()[2:] == CLIENT(d))),
        ("%d dpi: close button, exit 0" % d, "frame; click button.5; dpi 96", dict(_=EXITED))]],
    ("%d dpi frame looks like the 96 dpi one" % DPI, "", dict(_=alike)),
    ("program: first frame painted", "start src/app/corvanite", dict(_=painted)),
    ("program: close button, exit code 0", "corner", dict(_=EXITED)),
    ("first frame, scan held", "hold; start tests/corvanite_e2e_gui",
     dict(scanning="1", drives="0", status=SCANNING, _=painted)),
    ("scan result", "unhold", dict(scanning="0", grades=GRADES, status=READY)),
    *[("tab %d" % i, "click tab.%d" % i, dict(tab=str(i))) for i in (1, 2, 0)],
    ("Ctrl+Tab round, Ctrl+Shift+Tab back", "key ctrl+Tab ctrl+Tab ctrl+Tab ctrl+shift+Tab",
     dict(tab="2")),
    ("Ctrl+1: the first tab", "key ctrl+1", dict(tab="0")),
    ("hover [REFRESH]", "hold; move button.0", dict(hover="0", pressed="-1")),
    ("press [REFRESH]", "mousedown 1", dict(hover="0", pressed="0")),
    ("release off it: no scan", "move row.2; mouseup 1", dict(pressed="-1", hoverRow="2",
                                                             scanning="0")),
    ("pointer away: no hover", "mousemove 0 0; unhold", dict(hover="-1", hoverRow="-1")),
    *[("select drive %d" % i, "click row.%d" % i,
       dict(selected=str(i), status="Selected: /dev/%s attrs" % text))
      for i, text in SELECTED.items()],
    ("Ctrl+C: the drive's block on the clipboard", "key ctrl+c", dict(
        status="Copied to the clipboard: Drive 0 report", _=lambda: re.match(
            rb"Drive 0: Maxtor 96147H8\r?\n  Serial : .*  SMART ATTRIBUTES:\r?\n", run(
                "xclip", "-o", "-selection", "clipboard", timeout=10), re.S))),
    ("wheel down 3", "wheel 3", dict(smartScroll="3")),
    ("wheel down 40: last row", "wheel 40", dict(smartScroll=AT_MAX("smartScroll"))),
    ("wheel up 40: first row", "wheel -40", dict(smartScroll="0")),
    ("the table's thumb dragged down to the end", "thumb 1 600",
     dict(smartScroll=AT_MAX("smartScroll"))),
    ("and back up", "thumb 1 -600", dict(smartScroll="0")),
    ("Down selects the next drive", "key Down", dict(selected="1", smartScroll="0")),
    ("Up selects the one before", "key Up; key Up", dict(selected="0")),
    ("F5 scans", "hold; key F5", dict(scanning="1", status=SCANNING)),
    ("the scan ends", "unhold", dict(scanning="0", drives="8", status=READY)),
    ("letters on SMART DATA ignored", "key e x; click tab.2", dict(tab="2", volume="C:")),
    ("Z on SCAN/REPAIR: no volume there, refused", "key z", dict(volume="C:", status=lambda:
        R.state["status"].startswith("No volume is mounted at Z: "))),
    ("E on SCAN/REPAIR", "key e", dict(volume="E:")),
    ("digits, F1 ignored", "key 5 F1; click tab.0", dict(tab="0", volume="E:")),
    ("shift+D", "click tab.2; key shift+d", dict(tab="2", volume="D:")),
    ("the second drive's volumes as buttons: G:, then D:", "click row.1; click button.17",
     dict(selected="1", volume="G:")),
    ("D: by its button", "click button.16", dict(volume="D:")),
    ("Right steps to the next volume, Left back", "key Right", dict(volume="E:")),
    ("Left", "key Left", dict(volume="D:")),
    ("read-only check", "script lines; click button.1", dict(
        running="0", lines="40", status="chkdsk: No errors found",
        chkdskScroll=AT_MAX("chkdskScroll"), _=ARGS("D: /v"))),
    ("wheel up 1 over the output", "wheel -1", dict(chkdskScroll=AT_MAX("chkdskScroll", 1))),
    ("End: the output's last line", "key End", dict(chkdskScroll=AT_MAX("chkdskScroll"))),
    ("fix mode, No: nothing runs", "script fixed; click button.2; confirm n; sleep 1",
     dict(status="chkdsk: No errors found", lines="40", _=ARGS(""))),
    # Return and Space sent by xdotool do not reach Wine's message box (its Y and N do): the
    # default button is checked on the GTK one only.
    *[("fix mode, Return: No, nothing runs", "script fixed; click button.2; answer Return; sleep 1",
       dict(_=lambda: ARGS("")() and not xdo("search", "--onlyvisible", "--name", "^Confirm$")))
      ] * (not WIN),
    ("fix mode, Yes", "script fixed; click button.2; confirm y",
     dict(status="chkdsk: Errors found and corrected", lines="1", _=ARGS("D: /f /x /v"))),
    ("a hanging check", "script hang; click button.1",
     dict(running="1", status="Running chkdsk D: (read-only)...", _=CHECKERS)),
    ("cancel ends it", "click button.3",
     dict(running="0", status="chkdsk: Operation cancelled", _=lambda: not CHECKERS())),
    ("progress redrawn in place, shown while it runs", "script progress; click button.1",
     dict(running="1", lines="1", writing="Progress: 55%")),
    ("cancel the read-only check: at once", "click button.3", dict(running="0")),
    ("a hanging repair", "script hang; click button.2; confirm y",
     dict(running="1", status="Running chkdsk D: (fix mode)...", _=CHECKERS)),
    ("cancel of a repair asks; No keeps it", "click button.3; " +
     ("confirm n" if WIN else "answer Return") + "; sleep 1", dict(running="1", _=CHECKERS)),
    ("cancel of a repair, Yes: ended", ("click button.3" if WIN else "key Escape") + "; confirm y",
     dict(running="0", status="chkdsk: Operation cancelled", _=lambda: not CHECKERS())),
    ("drag by the title bar", "mark; drag", dict(_=MOVED(100, 60))),
    ("maximise", "mark; click button.6", dict(maximized="1", _=lambda: FULL() and painted())),
    ("restore", "click button.6", dict(maximized="0", _=lambda: MOVED(0, 0)() and painted())),
    # Wine leaves sizing by the frame to a window manager, and the screen has none: the hit
    # test's codes are checked in the window-frame cases there.
    *[("resize by the corner", "mark; resize", dict(_=lambda: geometry() == (
        *R.mark[:2], R.mark[2] + 80, R.mark[3] + 60) and painted()))] * (not WIN),
    ("export", "click tab.0; click button.4; save report.txt",
     dict(status=lambda: R.state["status"] == "Report exported: " + path("report.txt"),
          _=lambda: report(read("report.txt")))),
    ("failed export", "click button.4; save /proc/corvanite_e2e.txt", dict(status=lambda: re.match(
        r"Report export failed: .*corvanite_e2e\.txt \(.+\)$", R.state["status"]))),
    ("close during a hanging check asks; No keeps both", "script hang; click tab.2; "
     "click button.1; click button.5; confirm n; sleep 1", dict(running="1", _=CHECKERS)),
    ("close, Yes: the program ends, its checker first", "click button.5; confirm y",
     dict(_=lambda: EXITED() and not CHECKERS())),
    ("a recorded machine: the QEMU guest's trace", "start tests/corvanite_e2e_gui --replay "
     "@traces/qemu-guest.json.jsonl", dict(drives="7", scanning="0", status=lambda: R.state[
         "status"].startswith("READY  //  /dev/nvme0n1  //  "))),
    ("self-test: a fresh start on the sample machine", "stop; start tests/corvanite_e2e_gui",
     dict(SHOWN)),
    ("self-test: S on the second disk starts its short test", "key Down; key ctrl+4; key s",
     dict(status=lambda: R.state["status"].startswith("Self-test on sdb: short self-test: 10 % done"))),
    ("self-test: its progress as the drive reports it", "",
     dict(status=lambda: R.state["status"].startswith("Self-test on sdb: short self-test: 60 % done, 0:0"))),
    ("self-test: its end and result", "",
     dict(status="Self-test on sdb ended: short self-test passed at 7326 hours")),
    *[("1024x768 screen: the window fits", "screen; start tests/corvanite_e2e_gui", dict(
        SHOWN, _=FITS)), ("1024x768 screen: close button", "click button.5", dict(_=EXITED))] * WIN,
]


def main():  # the stand-in checker is the prefix's chkdsk.exe (once it is made), or on the PATH
    os.makedirs(os.path.dirname(PREFIX), exist_ok=True)
    WIN and wine("cmd.exe", "/c", "exit")
    shutil.copy(BUILT + "tests/corvanite_fake_chkdsk" + ".exe" * WIN, PREFIX +
                "/drive_c/windows/system32/chkdsk.exe" if WIN else file("chkdsk.exe"))
    seen = 0
    try:
        for name, actions, expect in STEPS:
            fresh = any(not k.startswith("_") for k in expect)  # a new trace line after the input
            try:
                for action in filter(None, actions.split(";")):
                    act(*action.strip().partition(" ")[::2])
                ok = until(lambda: (trace() > seen or not fresh) and all(
                    want() if callable(want) else R.state.get(key) == want
                    for key, want in expect.items()))
            except Exception as error:  # fails the step
                ok, R.state = False, {"error": error}
            R.passed, R.failed = R.passed + bool(ok), R.failed + (not ok)
            print("  ok    " + name if ok else "  FAIL  %s: %s" % (name, {
                k: v for k, v in R.state.items() if "." not in k}), flush=True)
            seen = trace()
    except SystemExit:  # gui_e2e.sh's timeout: the step under way fails
        R.failed += 1
        print("  FAIL  out of time", flush=True)
    finally:
        stop()
        print("e2e-%s: %d passed, %d failed" % (sys.argv[1], R.passed, R.failed), flush=True)
    return 1 if R.failed else 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
