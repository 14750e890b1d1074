#!/usr/bin/env python3
"""Compares `corvanite-report --json` with smartctl --json and nvme-cli's JSON, field by field.

Usage: compare_json.py DATA_LOG CMAKELISTS [DRIVES_CONF]

DATA_LOG is what tests/system/guest_init.sh wrote between its markers; CMAKELISTS is the project's
top CMakeLists.txt (the version the report must name); DRIVES_CONF the drives the host gave the
guest ("CLASS serial=... size=... [critical_warning=...]"), each of which must be reported. Values are compared with what the peers
print, not re-derived: identity and size (smartctl, blockdev, sysfs), every ATA attribute
(smartctl's table, its "failed now" for FAIL), the NVMe log (nvme smart-log, smartctl's named
warning bits), and for a drive no peer reads either: nulls, no rows and a reason. Prints "ok" /
"FAIL" lines, last "system: N passed, M failed"; exits 1 when anything failed.
"""

import base64
import json
import re
import sys

passed = failed = 0


def check(disk, what, ours, expected, source):
    global passed, failed
    good = ours == expected
    passed, failed = passed + good, failed + (not good)
    print(f"{'ok  ' if good else 'FAIL'} {disk} {what}: report {json.dumps(ours)}"
          f" {'==' if good else '!='} {source} {json.dumps(expected)}")


def read_sections(path):  # {name: (text, rc)} from the marked sections of the guest's log
    text = open(path, "rb").read().decode("utf-8", "replace").replace("\r", "")
    return {m.group(1): (m.group(2), int(m.group(3))) for m in re.finditer(
        r"^@@BEGIN (.+?)@@\n(.*?)\n?@@END \1 rc=(-?\d+) ms=\d+@@$", text, re.M | re.S)}


def peer_json(sections, name):
    try:
        return json.loads(sections.get(name, ("", 0))[0])
    except ValueError:
        return {}


def b64(sections, name):
    text, rc = sections.get(name, ("", 1))
    return base64.b64decode("".join(text.split())) if rc == 0 else None


def or_null(value):  # the report's rule for values the drive did not give: 0 is null
    return value or None


def compare_ata(disk, drive, peer):
    table = peer.get("ata_smart_attributes", {}).get("table", [])
    check(disk, "data source", drive["data_source"], "ata", "smartctl table present:")
    check(disk, "temperature_c", drive["temperature_c"], peer.get("temperature", {}).get("current"),
          "smartctl temperature.current")
    check(disk, "attribute ids", [a["id"] for a in drive["attributes"]], [a["id"] for a in table],
          "smartctl")
    for ours, row in zip(drive["attributes"], table):
        label = "attribute %d" % row["id"]
        raw = row["raw"]["value"]
        for key, value in (("current", or_null(row["value"])), ("worst", or_null(row["worst"])),
                           ("threshold", row["thresh"]), ("raw", raw), ("raw_hex", "%012X" % raw),
                           ("flags", row["flags"]["value"]),
                           ("pre_failure", row["flags"]["prefailure"])):
            check(disk, f"{label} {key}", ours[key], value, "smartctl")
        check(disk, f"{label} FAIL", ours["status"] == "FAIL", row["when_failed"] == "now",
              "smartctl when_failed now:")
    if not peer.get("smart_status", {}).get("passed", True):
        check(disk, "health", drive["health"], "CRIT", "smartctl smart_status failed:")


def compare_nvme(disk, drive, peer, log):
    smart = peer.get("smart_status", {}).get("nvme", {})
    figures = drive["nvme"] or {}
    warning = log["critical_warning"]
    check(disk, "data source", drive["data_source"], "nvme", "nvme smart-log answered:")
    check(disk, "temperature_c", drive["temperature_c"], log["temperature"] - 273,
          "nvme smart-log kelvin - 273")
    for key, value in (("available_spare_percent", log["avail_spare"]),
                       ("available_spare_threshold_percent", log["spare_thresh"]),
                       ("percent_used", log["percent_used"]), ("critical_warning", warning)):
        check(disk, key, figures.get(key), value, "nvme smart-log")
    bits = figures.get("critical_warning_bits", {})
    for ours, theirs in (("available_spare_below_threshold", "spare_below_threshold"),
                         ("temperature_threshold_exceeded", "temperature_above_or_below_threshold"),
                         ("reliability_degraded", "reliability_degraded"),
                         ("media_read_only", "media_read_only"),
                         ("volatile_memory_backup_failed", "volatile_memory_backup_failed")):
        # smartctl names the bits only when one is set.
        check(disk, f"critical warning bit {ours}", bits.get(ours),
              smart.get(theirs, False if smart.get("value") == 0 else None), f"smartctl {theirs}")
    check(disk, "life_remaining_percent", drive["life_remaining_percent"],
          max(0, 100 - log["percent_used"]), "100 - nvme percent_used")
    rows = {a["id"]: a for a in drive["attributes"]}
    for attr_id, key, value in ((194, "raw", log["temperature"] - 273),
                                (190, "current", or_null(log["avail_spare"])),
                                (190, "threshold", log["spare_thresh"]),
                                (231, "raw", log["percent_used"]),
                                (187, "raw", warning or None),
                                (9, "raw", int(log["power_on_hours"]) & (1 << 48) - 1),
                                (198, "raw", int(log["media_errors"]) & (1 << 48) - 1)):
        check(disk, f"row {attr_id} {key}", rows.get(attr_id, {}).get(key), value, "nvme smart-log")
    check(disk, "worst, flags, pre_failure", sorted({(a["worst"], a["flags"], a["pre_failure"])
                                                     for a in drive["attributes"]}),
          [(None, None, None)], "NVMe rows have none:")
    if not peer.get("smart_status", {}).get("passed", True):
        check(disk, "health", drive["health"], "CRIT", "smartctl smart_status failed:")


def compare_no_data(disk, drive, cls):
    want = {"temperature_c": None, "life_remaining_percent": None, "nvme": None,
            "data_source": "none", "attributes": [], "health": "N/A", "health_exit_status": 3}
    check(disk, "values without data", {k: drive[k] for k in want}, want, "no peer reads it:")
    reason = drive["error_text"]
    if cls == "usb":
        check(disk, "reason names the refusing bridge",
              bool(reason) and reason.startswith("SMART read through the USB bridge refused ("),
              True, "smartctl -d sat refused too:")
    check(disk, "reason is one non-empty line",
          reason is not None and bool(reason.strip()) and "\n" not in reason, True, "format:")


def main(argv):
    if len(argv) not in (3, 4):
        print("usage: compare_json.py DATA_LOG CMAKELISTS [DRIVES_CONF]", file=sys.stderr)
        return 64
    sections = read_sections(argv[1])
    version = re.search(r"project\(\w+ VERSION ([\d.]+)", open(argv[2]).read()).group(1)
    stdout, file_bytes = b64(sections, "report.json.b64"), b64(sections, "report.json.file.b64")
    report = json.loads(stdout) if stdout else {"drives": []}
    check("report", "header", [report.get(k) for k in ("format_version", "program_version")],
          [1, version], "format 1 and CMakeLists.txt's version")
    check("report", "file holds standard output's bytes", file_bytes == stdout and bool(stdout),
          True, "the same document:")
    text, text_file = b64(sections, "report.stdout.b64"), b64(sections, "report.file.b64")
    check("report", "text file is standard output with a BOM and CR LF", bool(text) and
          text_file == b"\xef\xbb\xbf" + text.replace(b"\n", b"\r\n"), True, "the same report:")
    for drive in report["drives"]:  # each drive's block names it as the JSON does
        check("report", f"text block of {drive['device_path']}",
              f"Drive {drive['number']}: {drive['model'] or ''}".rstrip() in (text or b"").decode(),
              True, "the JSON's number and model:")
    disks = [line.split() for line in sections.get("disks", ("", 0))[0].splitlines()]
    disks = sorted((d for d in disks if len(d) >= 3), key=lambda d: [
        (0, int(p)) if p.isdigit() else (1, p) for p in re.findall(r"\d+|\D+", d[0])])
    check("report", "drives", [d["device_path"] for d in report["drives"]],
          ["/dev/" + d[0] for d in disks], "the guest's disks in kernel name order")

    for drive, (disk, _, sysfs) in zip(report["drives"], disks):
        cls = next((c for c in ("nvme", "usb", "virtio", "ata") if "/" + c in sysfs), "other")
        peer = peer_json(sections, f"smartctl-json {disk}")
        if cls == "usb":
            peer = peer_json(sections, f"smartctl-json-sat {disk}") or peer
        log = peer_json(sections, f"nvme-smart-log-json {disk}")
        identity = peer if peer.get("serial_number") else peer_json(
            sections, f"smartctl-json-scsi {disk}")
        size = int(sections.get(f"blockdev {disk}", ("0", 0))[0].strip() or 0)
        check(disk, "size_bytes", drive["size_bytes"], size or None, "blockdev --getsize64")
        if cls == "virtio":
            serial = sections.get(f"sysfs-serial {disk}", ("", 0))[0].strip()
            check(disk, "serial", drive["serial"], serial or None, "sysfs serial")
        else:
            model = identity.get("model_name") or " ".join(
                filter(None, (identity.get("scsi_vendor"), identity.get("scsi_product"))))
            for key, value in (("model", model), ("serial", identity.get("serial_number")),
                               ("firmware", identity.get("firmware_version")
                                or identity.get("scsi_revision")),
                               ("size_bytes", identity.get("user_capacity", {}).get("bytes"))):
                check(disk, key, drive[key], value or None, "smartctl")
        check(disk, "bus", drive["bus"],
              {"nvme": "NVMe", "usb": "USB", "virtio": "Bus0E", "ata": "SATA"}.get(cls, "Bus01"),
              f"sysfs path ({cls})")
        if cls in ("nvme", "usb", "virtio"):
            check(disk, "media", drive["media"], "NVMe" if cls == "nvme" else "UNK", "bus table")
        if cls == "nvme" and log:
            compare_nvme(disk, drive, peer, log)
        elif "ata_smart_attributes" in peer:
            compare_ata(disk, drive, peer)
        else:
            compare_no_data(disk, drive, cls)

    for line in open(argv[3]) if len(argv) > 3 else []:
        props = dict(p.split("=", 1) for p in line.split()[1:])
        found = [d for d in report["drives"] if d["serial"] == props.get("serial")] + [{}]
        check("guest", f"configured disk {line.strip()}", found[0].get("size_bytes"),
              int(props.get("size", 0)), "drives.conf")
        if "critical_warning" in props:
            check("guest", f"{props['serial']} critical_warning", (found[0].get("nvme") or {})
                  .get("critical_warning"), int(props["critical_warning"]), "drives.conf")

    order = {0: 0, 3: 1, 1: 2, 2: 3}  # N/A counts above GOOD, below WARN
    grades = [d["health_exit_status"] for d in report["drives"]]
    want = max(grades, key=order.get) if grades else 4
    for name in ("report.json", "report.json.file", "report.stdout", "report.file"):
        check("report", f"exit status of {name}", sections.get(name, ("", -1))[1], want,
              "worst health_exit_status")
    print(f"system: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
