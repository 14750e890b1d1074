#!/usr/bin/env python3
"""Checks the Windows executables before they ship.

    check_windows_exe.py [--objdump PROGRAM] [--manifest EXE] EXE...

Every EXE imports only DLLs that every Windows (WinPE included) has, as `objdump -p` lists them;
each --manifest EXE embeds its application manifest, asking for administrator rights, the common
controls version 6 and per-monitor (version 2) DPI awareness. Exits 1 when anything is wrong.
"""
import argparse
import re
import subprocess
import sys

ALLOWED = re.compile(r"^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|msvcrt"
                     r"|api-ms-win-crt-[a-z0-9-]+)\.dll$", re.IGNORECASE)
MANIFEST_NEEDS = [b'level="requireAdministrator"', b'name="Microsoft.Windows.Common-Controls"',
                  b'version="6.0.0.0"', b"PerMonitorV2"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--objdump", default="x86_64-w64-mingw32-objdump")
    parser.add_argument("--manifest", action="append", default=[])
    parser.add_argument("exe", nargs="*")
    options = parser.parse_args()
    problems = []
    for exe in options.exe + options.manifest:
        listing = subprocess.run([options.objdump, "-p", exe], capture_output=True, text=True,
                                 check=True).stdout
        dlls = re.findall(r"DLL Name:\s*(\S+)", listing)
        problems += ["%s imports %s" % (exe, dll) for dll in dlls if not ALLOWED.match(dll)]
        problems += ["%s lists no import" % exe] if not dlls else []
    for exe in options.manifest:
        with open(exe, "rb") as f:
            manifest = re.search(rb"<assembly.*?</assembly>", f.read(), re.DOTALL)
        problems += ["%s: manifest without %s" % (exe, need.decode()) for need in MANIFEST_NEEDS
                     if manifest is None or need not in manifest.group(0)]
    for problem in problems:
        print("FAIL: " + problem)
    print("ok" if not problems else "%d problems" % len(problems))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
