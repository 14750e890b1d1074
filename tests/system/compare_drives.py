#!/usr/bin/env python3
"""Compares corvanite-report with smartctl and nvme-cli, drive by drive, in one guest's run.

Usage: compare_drives.py DATA_LOG DRIVES_CONF

DATA_LOG is what tests/system/guest_init.sh wrote between its markers; DRIVES_CONF lists the
drives the host gave the guest ("CLASS serial=... size=..." lines). Prints one line per checked
value ("ok  ..." or "FAIL ..."), "skip ..." for a value the report cannot show (not counted),
the measured times, and last "system: N passed, M failed". Exits 1 when anything failed.

The expected report values are computed here from the peers' output with the report's own
rules (capacity text, trimming, attribute and NVMe row grading, verdict, exit status), written
out again independently of the C++ code.
"""

import base64
import json
import re
import sys

SECTION_BEGIN = re.compile(r"^@@BEGIN (.+)@@$")
SECTION_END = re.compile(r"^@@END (.+) rc=(-?\d+) ms=(\d+)@@$")

SKIPPED_DISK_PREFIXES = ("loop", "ram", "zram", "dm-", "md", "sr", "fd", "nbd")

VERDICT_DETAILS = {
    "GOOD": "GOOD -- No issues detected",
    "WARN": "WARNING -- Monitor this drive closely",
    "CRIT": "CRITICAL -- Drive failure imminent",
    "N/A": "SMART data unavailable",
}
EXIT_STATUS = {"CRIT": 2, "WARN": 1, "N/A": 3, "GOOD": 0}
TEMPERATURE_CRITICAL_ABOVE = 65
TEMPERATURE_WARNING_ABOVE = 55


class Results:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, disk, what, ours, expected, source):
        """One compared value: the report's against what the peers say it must be."""
        if ours == expected:
            self.passed += 1
            print(f"ok  {disk} {what} {show(ours)} == {source} {show(expected)}")
        else:
            self.failed += 1
            print(f"FAIL {disk} {what}: report {show(ours)} != {source} {show(expected)}")

    def fail(self, disk, text):
        self.failed += 1
        print(f"FAIL {disk} {text}")

    def ok(self, disk, text):
        self.passed += 1
        print(f"ok  {disk} {text}")


def show(value):
    if value is None:
        return "(none)"
    return json.dumps(value, ensure_ascii=False) if isinstance(value, str) else str(value)


def skip(disk, text):
    print(f"skip {disk} {text}")


# ---------------------------------------------------------------------------------------------
# The guest's log.

def read_sections(path):
    """{name: (text, rc, ms)} from the marked sections of the guest's log."""
    with open(path, "rb") as f:
        raw = f.read().decode("utf-8", "replace")
    sections = {}
    name = None
    lines = []
    for line in raw.split("\n"):
        line = line.rstrip("\r")
        if name is None:
            m = SECTION_BEGIN.match(line)
            if m:
                name, lines = m.group(1), []
            continue
        m = SECTION_END.match(line)
        if m and m.group(1) == name:
            # The guest adds one line end after every section's output.
            text = "\n".join(lines)
            if text.endswith("\n"):
                text = text[:-1]
            sections[name] = (text, int(m.group(2)), int(m.group(3)))
            name = None
        else:
            lines.append(line)
    return sections


def section_text(sections, name):
    entry = sections.get(name)
    return entry[0] if entry else ""


def decode_b64(sections, name):
    entry = sections.get(name)
    if entry is None or entry[1] != 0:
        return None
    try:
        return base64.b64decode("".join(entry[0].split()), validate=True)
    except ValueError:
        return None


def natural_key(name):
    """The kernel's name order: runs of digits compare as numbers."""
    return [(0, int(part), "") if part.isdigit() else (1, 0, part)
            for part in re.findall(r"\d+|\D+", name)]


def disk_class(sysfs_path):
    if "/nvme" in sysfs_path:
        return "nvme"
    if "/usb" in sysfs_path:
        return "usb"
    if "/virtio" in sysfs_path:
        return "virtio"
    if "/ata" in sysfs_path:
        return "sata"
    return "other"


# ---------------------------------------------------------------------------------------------
# The peers' output.

def labelled(text, label):
    """The value after "Label:" in smartctl's information section, or None."""
    m = re.search(r"^" + re.escape(label) + r":\s*(.*?)\s*$", text, re.M)
    return m.group(1) if m else None


def capacity_bytes(text, label):
    value = labelled(text, label)
    if value is None:
        return None
    m = re.match(r"([\d,.]+)", value)
    return int(m.group(1).replace(",", "").replace(".", "")) if m else None


ATTRIBUTE_ROW = re.compile(
    r"^\s*(\d+)\s+(\S+)\s+0x([0-9a-fA-F]{4})\s+(\d+)\s+(\d+)\s+(\d+|---)\s+\S+\s+\S+\s+\S+\s+(\d+)\s*$")


def smartctl_attributes(text):
    """[(id, value, worst, threshold, raw48)] from `smartctl -A -v N,raw48` output."""
    rows = []
    for line in text.split("\n"):
        m = ATTRIBUTE_ROW.match(line)
        if m:
            threshold = 0 if m.group(6) == "---" else int(m.group(6))
            rows.append((int(m.group(1)), int(m.group(4)), int(m.group(5)), threshold,
                         int(m.group(7))))
    return rows


def parse_json(text):
    try:
        return json.loads(text)
    except ValueError:
        return None


# ---------------------------------------------------------------------------------------------
# Our report.

ROW = re.compile(r"^  ([0-9A-F]{2})   (.*?)\s+(\d+)\s+(\d+)\s+(\d+)\s+(\d+)\s+(OK|WARN|FAIL)$")


def parse_report(text):
    """[{number, model, serial, size, bus, health, details, temp, rows}] in report order."""
    drives = []
    drive = None
    for line in text.split("\n"):
        m = re.match(r"^Drive (\d+): (.*)$", line)
        if m:
            drive = {"number": int(m.group(1)), "model": m.group(2), "serial": None,
                     "size": None, "bus": None, "health": None, "details": None,
                     "temp": None, "rows": []}
            drives.append(drive)
            continue
        if drive is None:
            continue
        for label, key in (("Serial", "serial"), ("Size", "size"), ("Bus", "bus")):
            if line.startswith(f"  {label:<6} : "):
                drive[key] = line[11:]
        if line.startswith("  Health : "):
            word, _, details = line[11:].partition("  ")
            drive["health"], drive["details"] = word, details
        m = re.match(r"^  Temp   : (-?\d+) C$", line)
        if m:
            drive["temp"] = int(m.group(1))
        m = ROW.match(line)
        if m:
            drive["rows"].append({"id": int(m.group(1), 16), "cur": int(m.group(3)),
                                  "wst": int(m.group(4)), "thr": int(m.group(5)),
                                  "raw": int(m.group(6)), "status": m.group(7)})
    return drives


# ---------------------------------------------------------------------------------------------
# The report's rules, restated.

def capacity_text(size):
    if size >= 1_000_000_000_000:
        return "%.2f TB" % (size / 1e12)
    if size < 1_000_000_000:
        return "%.0f MB" % (size / 1e6)
    return "%.1f GB" % (size / 1e9)


def fit_and_trim(text, capacity):
    return (text or "")[:capacity].rstrip(" \t\0")


def joined_model(vendor, product):
    vendor = fit_and_trim(vendor, 64)
    product = fit_and_trim(product, 64)
    return fit_and_trim(f"{vendor} {product}" if vendor else product, 64)


def grade_ata(attr_id, cur, thr, raw):
    if thr != 0 and cur <= thr:
        return "FAIL"
    if attr_id in (190, 194):
        if (raw & 0xFF) > 65 or (cur != 0 and cur < (thr + 10) % 256):
            return "WARN"
    elif attr_id in (5, 196, 197, 198):
        if raw != 0:
            return "WARN"
    return "OK"


def grade_nvme_row(cur, thr):
    if thr != 0 and cur <= thr:
        return "FAIL"
    if thr != 0 and cur < (thr + 10) % 256:
        return "WARN"
    return "OK"


def verdict(statuses, temperature):
    if "FAIL" in statuses or temperature > TEMPERATURE_CRITICAL_ABOVE:
        return "CRIT"
    if "WARN" in statuses or temperature > TEMPERATURE_WARNING_ABOVE:
        return "WARN"
    return "GOOD"


# ---------------------------------------------------------------------------------------------
# What each disk must look like in the report, from the peers.

def expect_ata(disk, text, source):
    """Identity and rows of an ATA disk from smartctl's output."""
    rows = []
    temperature = -1
    for attr_id, cur, wst, thr, raw in smartctl_attributes(text):
        rows.append({"id": attr_id, "cur": cur, "wst": wst, "thr": thr, "raw": raw,
                     "status": grade_ata(attr_id, cur, thr, raw)})
        if attr_id in (190, 194) and temperature < 0 and 1 <= (raw & 0xFF) <= 99:
            temperature = raw & 0xFF
    model = labelled(text, "Device Model") or labelled(text, "Model Family") or ""
    expected = {
        "source": source,
        "model": fit_and_trim(model, 64),
        "serial": fit_and_trim(labelled(text, "Serial Number"), 40),
        "firmware": fit_and_trim(labelled(text, "Firmware Version"), 16),
        "size": capacity_bytes(text, "User Capacity"),
        "rows": rows,
        "temp": temperature,
        "media": "SSD" if re.search("SSD|SOLID", model.upper()) else "HDD",
    }
    if rows:
        expected["health"] = verdict([r["status"] for r in rows], temperature)
    else:
        expected["health"] = "N/A"
    return expected


def expect_nvme(disk, sections):
    ctrl = parse_json(section_text(sections, f"nvme-id-ctrl {disk}")) or {}
    log = parse_json(section_text(sections, f"nvme-smart-log-json {disk}"))
    smart_text = section_text(sections, f"smartctl-nvme {disk}")
    expected = {
        "source": "nvme",
        "model": fit_and_trim(ctrl.get("mn"), 64),
        "serial": fit_and_trim(ctrl.get("sn"), 40),
        "firmware": fit_and_trim(ctrl.get("fr"), 16),
        "size": capacity_bytes(smart_text, "Namespace 1 Size/Capacity"),
        "media": "NVMe",
        "rows": [],
        "temp": -1,
        "health": "N/A",
    }
    if log is None:
        return expected
    kelvin = int(log["temperature"])
    temperature = kelvin - 273 if kelvin > 273 else -1
    spare = int(log["avail_spare"])
    spare_threshold = int(log["spare_thresh"])
    used = int(log["percent_used"])
    warning = int(log["critical_warning"])
    hours = int(log["power_on_hours"]) & ((1 << 48) - 1)
    media_errors = int(log["media_errors"]) & ((1 << 48) - 1)
    used_capped = min(used, 100)

    def row(attr_id, cur, thr, raw):
        return {"id": attr_id, "cur": cur, "wst": 0, "thr": thr, "raw": raw,
                "status": grade_nvme_row(cur, thr)}

    rows = [
        row(0xC2, min(temperature, 255) % 256, 0, temperature % (1 << 48)),
        row(0xBE, spare, spare_threshold, spare),
        row(0xE7, 100 - used_capped, 0, used),
    ]
    if warning != 0:
        rows.append(row(0xBB, 0, 1, warning))
    rows.append(row(0x09, 0, 0, hours))
    rows.append(row(0xC6, 200 if media_errors == 0 else 0, 1, media_errors))
    expected.update(rows=rows, temp=temperature,
                    health=verdict([r["status"] for r in rows], temperature),
                    nvme={"kelvin": kelvin, "spare": spare, "spare_threshold": spare_threshold,
                          "used": used, "warning": warning, "hours": hours,
                          "media_errors": media_errors})
    return expected


def expect_usb(disk, sections):
    sat = section_text(sections, f"smartctl-sat {disk}")
    if smartctl_attributes(sat):
        # The bridge passes ATA commands through: the disk behind it is an ATA disk.
        expected = expect_ata(disk, sat, "smartctl-sat")
    else:
        scsi = section_text(sections, f"smartctl-scsi {disk}")
        expected = {
            "source": "smartctl-scsi",
            "model": joined_model(labelled(scsi, "Vendor"), labelled(scsi, "Product")),
            "serial": fit_and_trim(labelled(scsi, "Serial number"), 40),
            "firmware": fit_and_trim(labelled(scsi, "Revision"), 16),
            "size": capacity_bytes(scsi, "User Capacity"),
            "rows": [],
            "temp": -1,
            "health": "N/A",
        }
    expected["media"] = "UNK"
    return expected


def expect_virtio(disk, sections):
    return {
        "source": "sysfs",
        "model": None,  # no peer tells one
        "serial": fit_and_trim(section_text(sections, f"sysfs-serial {disk}").strip(), 40),
        "firmware": None,
        "size": None,
        "rows": [],
        "temp": -1,
        "health": "N/A",
        "media": "UNK",
    }


BUS_WORD = {"sata": "SATA", "nvme": "NVMe", "usb": "USB", "virtio": "Bus0E", "other": "Bus01"}


# ---------------------------------------------------------------------------------------------

def compare_disk(results, sections, disk, cls, expected, ours):
    source = expected["source"]
    if expected["model"] is None:
        skip(disk, f"model: no peer reports a model for a {cls} disk (report {show(ours['model'])})")
    else:
        results.check(disk, "model", ours["model"], expected["model"], source)
    results.check(disk, "serial", ours["serial"], expected["serial"], source)
    if expected["firmware"]:
        skip(disk, f"firmware {show(expected['firmware'])} ({source}): the report has no firmware line")
    results.check(disk, "size", ours["size"], capacity_text(expected["size"]),
                  f"{source} {expected['size']} bytes as")
    results.check(disk, "bus", ours["bus"], BUS_WORD[cls], "bus table")
    skip(disk, f"media class {expected['media']}: the report has no media class line")

    health = expected["health"]
    results.check(disk, "health", ours["health"], health, "graded from peer values")
    results.check(disk, "health details", ours["details"], VERDICT_DETAILS[health], "verdict of")
    temp = expected["temp"]
    results.check(disk, "temp line", ours["temp"], temp if temp > 0 else None, source)

    if "nvme" in expected:
        values = expected["nvme"]
        rows = {r["id"]: r for r in ours["rows"]}
        text = section_text(sections, f"nvme-smart-log {disk}")
        m = re.search(r"^temperature\s*:\s*(-?\d+)\D*C", text, re.M)
        if m:
            results.check(disk, "nvme-cli temperature", int(m.group(1)), values["kelvin"] - 273,
                          f"log {values['kelvin']} K - 273 =")
        pairs = [
            ("temperature (C2 raw)", 0xC2, "raw", expected["temp"]),
            ("available spare (BE current)", 0xBE, "cur", values["spare"]),
            ("spare threshold (BE threshold)", 0xBE, "thr", values["spare_threshold"]),
            ("percentage used (E7 raw)", 0xE7, "raw", values["used"]),
            ("power-on hours (09 raw)", 0x09, "raw", values["hours"]),
            ("media errors (C6 raw)", 0xC6, "raw", values["media_errors"]),
        ]
        for what, attr_id, key, value in pairs:
            row = rows.get(attr_id)
            results.check(disk, what, None if row is None else row[key], value, "nvme smart-log")
        if values["warning"]:
            row = rows.get(0xBB)
            results.check(disk, "critical warning (BB raw)", None if row is None else row["raw"],
                          values["warning"], "nvme smart-log")
        else:
            results.check(disk, "critical warning row BB", "absent" if 0xBB not in rows else "present",
                          "absent", "nvme smart-log critical_warning 0:")

    want_ids = [r["id"] for r in expected["rows"]]
    got_ids = [r["id"] for r in ours["rows"]]
    results.check(disk, "attribute ids", " ".join("%02X" % i for i in got_ids),
                  " ".join("%02X" % i for i in want_ids), source)
    got = {r["id"]: r for r in ours["rows"]}
    for want in expected["rows"]:
        row = got.get(want["id"])
        label = "attribute %02X" % want["id"]
        if row is None:
            results.fail(disk, f"{label}: not in the report")
            continue
        for key, name in (("cur", "current"), ("wst", "worst"), ("thr", "threshold"),
                          ("raw", "raw")):
            results.check(disk, f"{label} {name}", row[key], want[key], source)
        results.check(disk, f"{label} status", row["status"], want["status"], "graded")


def main(argv):
    if len(argv) != 3:
        print("usage: compare_drives.py DATA_LOG DRIVES_CONF", file=sys.stderr)
        return 64
    sections = read_sections(argv[1])
    results = Results()

    # The guest's disks, in the kernel's name order.
    disks = []
    for line in section_text(sections, "disks").split("\n"):
        parts = line.split()
        if len(parts) >= 3 and not parts[0].startswith(SKIPPED_DISK_PREFIXES):
            disks.append((parts[0], int(parts[1]), parts[2]))
    disks.sort(key=lambda d: natural_key(d[0]))

    expected = {}
    classes = {}
    for name, _, path in disks:
        cls = disk_class(path)
        classes[name] = cls
        if cls == "nvme":
            expected[name] = expect_nvme(name, sections)
        elif cls == "usb":
            expected[name] = expect_usb(name, sections)
        elif cls == "virtio":
            expected[name] = expect_virtio(name, sections)
        else:
            expected[name] = expect_ata(name, section_text(sections, f"smartctl {name}"), "smartctl")
        if expected[name]["size"] is None:
            try:
                expected[name]["size"] = int(section_text(sections, f"blockdev {name}").strip())
            except ValueError:
                expected[name]["size"] = 0

    # The harness: the guest saw each drive the host configured.
    with open(argv[2]) as f:
        configured = [line.split() for line in f if line.strip()]
    for fields in configured:
        cls = fields[0]
        props = dict(p.split("=", 1) for p in fields[1:] if "=" in p)
        serial = props.get("serial")
        found = [n for n, _, _ in disks if classes[n] == cls and expected[n]["serial"] == serial]
        if found:
            name = found[0]
            results.ok(name, f"is the configured {cls} disk {serial}")
            # The drives must stay what the comparison relies on: sizes for each capacity
            # format, and a critical warning for the CRIT drive.
            results.check(name, "peer size in bytes", expected[name]["size"],
                          int(props.get("size", "0")), "configured")
            if "critical_warning" in props:
                warning = expected[name].get("nvme", {}).get("warning")
                results.check(name, "peer critical warning", warning,
                              int(props["critical_warning"]), "configured")
        else:
            results.fail("guest", f"has no {cls} disk with serial {serial}; it saw: "
                         + ", ".join(f"{n} ({classes[n]})" for n, _, _ in disks))

    # The report on standard output, and its exit status.
    stdout = decode_b64(sections, "report.stdout.b64")
    report_rc = sections.get("report.stdout", ("", -1, 0))[1]
    if stdout is None:
        results.fail("report", "standard output was not captured")
        stdout = b""
    text = stdout.decode("utf-8", "replace")
    title = "Corvanite Report\n================\n\n"
    results.check("report", "title block", text[:len(title)], title, "expected")
    ours = parse_report(text)
    count = f"corvanite-report found {len(ours)} drives, peers found {len(disks)}"
    if len(ours) == len(disks):
        results.ok("report", f"drive count: {count}")
    else:
        results.fail("report", f"drive count: {count}")

    by_number = {d["number"]: d for d in ours}
    by_serial = {d["serial"]: d for d in ours if d["serial"]}
    verdicts = []
    for index, (name, _, _) in enumerate(disks):
        want = expected[name]
        verdicts.append(want["health"])
        drive = by_number.get(index)
        serial = want["serial"]
        if drive is not None and serial and drive["serial"] == serial:
            results.ok(name, f"is Drive {index} (kernel name order; serial {show(serial)})")
        elif serial in by_serial:
            results.fail(name, f"is Drive {by_serial[serial]['number']} in the report, "
                         f"expected Drive {index} (kernel name order)")
            drive = by_serial[serial]
        elif drive is not None:
            # No drive of the report has the peer's serial: the serial check below tells.
            print(f"note {name} compared with Drive {index} by the kernel name order alone")
        else:
            results.fail(name, f"not in the report (expected as Drive {index}, serial {show(serial)})")
            continue
        compare_disk(results, sections, name, classes[name], want, drive)

    if not disks:
        want_rc = 4
    else:
        want_rc = max((EXIT_STATUS[v] for v in verdicts),
                      key=lambda s: {2: 3, 1: 2, 3: 1, 0: 0}[s])
    results.check("report", "exit status", report_rc, want_rc,
                  "worst expected grade (" + ", ".join(verdicts or ["no drive"]) + ") gives")

    # The report file: the same text with CR LF line ends and the byte-order mark.
    file_bytes = decode_b64(sections, "report.file.b64")
    file_rc = sections.get("report.file", ("", -1, 0))[1]
    results.check("report", "exit status with a file", file_rc, want_rc, "the same as")
    if file_bytes is None:
        results.fail("report", "the report file was not written or not captured")
    else:
        want_file = b"\xef\xbb\xbf" + stdout.replace(b"\n", b"\r\n")
        if b"\r" in stdout or stdout.startswith(b"\xef\xbb\xbf"):
            results.fail("report", "standard output has a CR or a byte-order mark")
        elif file_bytes == want_file:
            results.ok("report", f"file ({len(file_bytes)} bytes) == byte-order mark + "
                       "standard output with CR LF line ends")
        else:
            at = next((i for i, (a, b) in enumerate(zip(file_bytes, want_file)) if a != b),
                      min(len(file_bytes), len(want_file)))
            results.fail("report", f"file ({len(file_bytes)} bytes) differs from byte-order mark + "
                         f"standard output with CR LF ({len(want_file)} bytes) at byte {at}")

    # Times in the guest (software emulation: slow, and only for comparison with each other).
    times = []
    entry = sections.get("time corvanite-report")
    if entry:
        times.append(f"corvanite-report ({len(ours)} drives) {entry[2]} ms")
    for name, _, _ in disks:
        for label in (f"time smartctl-A {name}", f"time nvme-smart-log {name}"):
            entry = sections.get(label)
            if entry:
                tool = label.split()[1].replace("smartctl-A", "smartctl -A").replace(
                    "nvme-smart-log", "nvme smart-log")
                note = "" if entry[1] == 0 else f" (exit {entry[1]}: no data)"
                times.append(f"{tool} {name} {entry[2]} ms{note}")
    if times:
        print("time in the guest: " + "; ".join(times))

    print(f"system: {results.passed} passed, {results.failed} failed")
    return 1 if results.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
