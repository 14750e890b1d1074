#!/usr/bin/env python3
"""Checks the Windows executables before they ship.

    check_windows_exe.py [--objdump PROGRAM] [--manifest EXE] EXE...

For every EXE: the DLLs it imports (as `objdump -p` lists them) are all ones that every Windows
has, WinPE included: KERNEL32, USER32, GDI32, COMCTL32, COMDLG32, ADVAPI32, SHELL32, msvcrt and
the api-ms-win-crt family (names compared without regard to case).

For the --manifest EXE (also checked as above): it carries an application manifest as resource
type 24, id 1 (the one Windows reads when it starts a program), and that manifest asks for
administrator rights (requireAdministrator), the common controls version 6 and per-monitor
(version 2) DPI awareness.

Prints one line per finding and "ok" lines; exits 1 when anything is wrong.
"""

import argparse
import re
import struct
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "comdlg32.dll",
                "advapi32.dll", "shell32.dll", "msvcrt.dll"}
CRT_FAMILY = re.compile(r"^api-ms-win-crt-[a-z0-9-]+\.dll$")

RT_MANIFEST = 24
MANIFEST_ID = 1  # CREATEPROCESS_MANIFEST_RESOURCE_ID


def imported_dlls(objdump, exe):
    listing = subprocess.run([objdump, "-p", exe], capture_output=True, text=True, check=True)
    return [line.split(":", 1)[1].strip() for line in listing.stdout.splitlines()
            if line.strip().startswith("DLL Name:")]


def check_imports(objdump, exe):
    problems = []
    dlls = imported_dlls(objdump, exe)
    if not dlls:
        problems.append("%s: objdump lists no imported DLL at all" % exe)
    for dll in dlls:
        name = dll.lower()
        if name not in ALLOWED_DLLS and not CRT_FAMILY.match(name):
            problems.append("%s imports %s, which not every Windows has" % (exe, dll))
    return problems, dlls


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise ValueError("no MZ header")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("no PE signature")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (112 if magic == 0x20B else 96)
        self.resource_rva, self.resource_size = struct.unpack_from("<II", data, directories + 16)
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            virtual_size, virtual_address, raw_size, raw_pointer = struct.unpack_from(
                "<IIII", data, table + 40 * i + 8)
            self.sections.append((virtual_address, max(virtual_size, raw_size), raw_pointer))

    def offset(self, rva):
        for address, size, pointer in self.sections:
            if address <= rva < address + size:
                return pointer + (rva - address)
        raise ValueError("address 0x%X lies in no section" % rva)

    def resource(self, type_id, name_id):
        """The bytes of the first language of resource (type_id, name_id), or None."""
        if self.resource_rva == 0:
            return None
        base = self.offset(self.resource_rva)

        def entries(directory):
            named, ids = struct.unpack_from("<HH", self.data, base + directory + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, base + directory + 16 + 8 * i)
                yield name, target

        def child(directory, wanted):
            for name, target in entries(directory):
                if not name & 0x80000000 and name == wanted and target & 0x80000000:
                    return target & 0x7FFFFFFF
            return None

        by_type = child(0, type_id)
        by_name = child(by_type, name_id) if by_type is not None else None
        if by_name is None:
            return None
        for _, target in entries(by_name):
            if target & 0x80000000:
                continue
            rva, size = struct.unpack_from("<II", self.data, base + target)
            start = self.offset(rva)
            return self.data[start:start + size]
        return None


def check_manifest(exe):
    problems = []
    with open(exe, "rb") as f:
        image = PeImage(f.read())
    manifest = image.resource(RT_MANIFEST, MANIFEST_ID)
    if manifest is None:
        return ["%s: no manifest resource (type 24, id 1)" % exe]
    try:
        root = ElementTree.fromstring(manifest)
    except ElementTree.ParseError as error:
        return ["%s: the manifest is no well-formed XML (%s)" % (exe, error)]
    levels = [e.get("level") for e in root.findall(".//{*}requestedExecutionLevel")]
    if levels != ["requireAdministrator"]:
        problems.append("%s: execution level %s, not requireAdministrator" % (exe, levels))
    controls = [e for e in root.findall(".//{*}assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    if not controls or controls[0].get("version") != "6.0.0.0":
        problems.append("%s: no dependency on Microsoft.Windows.Common-Controls 6.0.0.0" % exe)
    awareness = [(e.text or "").strip() for e in root.findall(".//{*}dpiAwareness")]
    if not awareness or "PerMonitorV2" not in awareness[0].split(","):
        problems.append("%s: dpiAwareness %s does not name PerMonitorV2" % (exe, awareness))
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--objdump", default="x86_64-w64-mingw32-objdump")
    parser.add_argument("--manifest", action="append", default=[],
                        help="an executable that must carry the program's manifest")
    parser.add_argument("exe", nargs="*")
    options = parser.parse_args()
    problems = []
    for exe in options.exe + options.manifest:
        found, dlls = check_imports(options.objdump, exe)
        problems += found
        if not found:
            print("ok: %s imports only %s" % (exe, ", ".join(dlls)))
    for exe in options.manifest:
        found = check_manifest(exe)
        problems += found
        if not found:
            print("ok: %s embeds its manifest (requireAdministrator, Common-Controls 6.0, "
                  "PerMonitorV2)" % exe)
    for problem in problems:
        print("FAIL: " + problem)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
