#!/usr/bin/env python3
"""check_windows_exe.py OBJDUMP WINDOW_EXE OTHER_EXE...: every executable imports only DLLs that
every Windows (WinPE included) has; the window program embeds a manifest asking for administrator
rights, common controls 6, per-monitor DPI awareness (v2, with the per-monitor fallbacks of
older systems) and long paths."""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

ALLOWED = re.compile(r"(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|msvcrt"
                     r"|api-ms-win-crt-[a-z0-9-]+)\.dll", re.IGNORECASE)
NEEDS = [b'level="requireAdministrator"', b'name="Microsoft.Windows.Common-Controls"',
         b'version="6.0.0.0"']
SMI = "{http://schemas.microsoft.com/SMI/%s/WindowsSettings}"
SETTINGS = {SMI % "2005" + "dpiAware": "true/pm",
            SMI % "2016" + "dpiAwareness": "PerMonitorV2, PerMonitor",
            SMI % "2016" + "longPathAware": "true"}
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
if manifest is not None:
    found = {e.tag: (e.text or "").strip() for e in ET.fromstring(manifest.group(0)).iter()}
    problems += [f"{window}: manifest's {tag.split('}')[1]} is {found.get(tag)!r}, not {want!r}"
                 for tag, want in SETTINGS.items() if found.get(tag) != want]
print("\n".join(["FAIL: " + p for p in problems] + [f"{len(problems)} problems"]))
sys.exit(1 if problems else 0)
