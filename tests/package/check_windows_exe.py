#!/usr/bin/env python3
"""check_windows_exe.py OBJDUMP WINDOW_EXE OTHER_EXE...: every executable imports only DLLs that
every Windows (WinPE included) has; the window program embeds a manifest asking for administrator
rights, common controls 6 and per-monitor (v2) DPI awareness."""
import re
import subprocess
import sys

ALLOWED = re.compile(r"(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|msvcrt"
                     r"|api-ms-win-crt-[a-z0-9-]+)\.dll", re.IGNORECASE)
NEEDS = [b'level="requireAdministrator"', b'name="Microsoft.Windows.Common-Controls"',
         b'version="6.0.0.0"', b"PerMonitorV2"]
objdump, window, *exes = sys.argv[1:]
problems = []
for exe in [window] + exes:
    dlls = re.findall(r"DLL Name:\s*(\S+)", subprocess.run(
        [objdump, "-p", exe], capture_output=True, text=True, check=True).stdout)
    problems += [f"{exe} imports {dll}" for dll in dlls if not ALLOWED.fullmatch(dll)]
    problems += [f"{exe} lists no import"] if not dlls else []
manifest = re.search(rb"<assembly.*?</assembly>", open(window, "rb").read(), re.DOTALL)
problems += [f"{window}: manifest without {n.decode()}" for n in NEEDS
             if manifest is None or n not in manifest.group(0)]
print("\n".join(["FAIL: " + p for p in problems] + [f"{len(problems)} problems"]))
sys.exit(1 if problems else 0)
