#!/usr/bin/env python3
"""Compares corvanite-report's JSON from the QEMU guest, field by field, with smartctl's and
nvme-cli's. Usage: compare_json.py DATA_LOG CMAKELISTS SERIAL:SIZE[:CRITICAL_WARNING]..."""

import base64
import collections
import json
import os
import re
import subprocess
import sys

IDENTITY = {"model": "model_name|scsi_model_name", "serial": "serial_number",  # a|b: a, else b
            "firmware": "firmware_version|scsi_revision", "size_bytes": "user_capacity.bytes"}
BUS = {"nvme": ("NVMe", "NVMe"), "usb": ("USB", "UNK"), "virtio": ("Virtual", "UNK"), "ata": ("SATA", 0)}
# ours, smartctl's field, conversion; the report gives no value (null) where the drive gives 0
ATA = [("current", "value", lambda v: v or None), ("worst", "worst", lambda v: v or None),
       ("threshold", "thresh", int), ("raw", "raw.value", int), ("raw_hex", "raw.value", "%012X".__mod__),
       ("flags", "flags.value", int), ("pre_failure", "flags.prefailure", bool),
       ("failing", "when_failed", lambda when: when == "now")]
NVME = [("temperature", lambda k: k - 273, "temperature_c", "rows.194.raw"),  # nvme smart-log's field
        ("avail_spare", int, "nvme.available_spare_percent"),
        ("avail_spare", lambda v: v or None, "rows.190.current"),
        ("spare_thresh", int, "nvme.available_spare_threshold_percent", "rows.190.threshold"),
        ("percent_used", int, "nvme.percent_used", "rows.231.raw"),
        ("percent_used", lambda used: max(0, 100 - used), "life_remaining_percent"),
        ("critical_warning", int, "nvme.critical_warning"),
        ("critical_warning", lambda v: v or None, "rows.187.raw"),
        ("power_on_hours", lambda h: int(h) & (1 << 48) - 1, "rows.9.raw"),
        ("media_errors", lambda e: int(e) & (1 << 48) - 1, "rows.198.raw")]
BITS = {"available_spare_below_threshold": "spare_below_threshold", "media_read_only": "media_read_only",
        "temperature_threshold_exceeded": "temperature_above_or_below_threshold",
        "reliability_degraded": "reliability_degraded",
        "volatile_memory_backup_failed": "volatile_memory_backup_failed"}  # ours: smartctl's
NO_DATA = {"temperature_c": None, "life_remaining_percent": None, "nvme": None, "data_source": "none",
           "attributes": [], "health": "N/A", "health_exit_status": 3, "reason_lines": 1}
results = collections.Counter()


def check(where, what, ours, theirs, source):
    results[ours == theirs] += 1
    print(f"{'ok  ' if ours == theirs else 'FAIL'} {where} {what}: report {json.dumps(ours)}"
          f" {'==' if ours == theirs else '!='} {source} {json.dumps(theirs)}")


def get(doc, path):  # "a.b" in nested objects, "a|b" the first present; None where absent
    for alternative in path.split("|"):
        value = doc
        for key in alternative.split("."):
            value = value.get(key) if isinstance(value, dict) else None
        if value not in (None, ""):
            return value
    return None


def compare_drive(drive, out, disk, size, sysfs, serial=None):
    smart, log, identity = (json.loads(out[f"{peer} {disk}"] or "{}")
                            for peer in ("smartctl", "nvme", "identity"))
    cls = next((c for c in ("nvme", "usb", "virtio", "ata") if "/" + c in sysfs), "?")
    if cls == "virtio":  # what sysfs tells; a disk that tells no model goes by its name
        identity = {"serial_number": serial, "user_capacity": {"bytes": size}, "model_name": disk}
    error, rows = drive["error_text"] or "", drive["attributes"]
    ours = dict(drive, reason=error.split(" (")[0], reason_lines=len(error.strip().splitlines()),
                rows={str(a["id"]): dict(a, failing=a["status"] == "FAIL") for a in rows},
                ids=[a["id"] for a in rows],
                none=sorted({json.dumps([a["worst"], a["flags"], a["pre_failure"]]) for a in rows}))
    bus, media = BUS.get(cls, ("?", 0))
    want = [("size_bytes", size, "blockdev --getsize64"), ("bus", bus, cls)]
    want += [("media", media, cls)] if media else []
    want += [(key, get(identity or smart, path), f"{'sysfs' if cls == 'virtio' else 'smartctl'} {path}")
             for key, path in IDENTITY.items()]
    if cls == "nvme" and log:
        bits = get(smart, "smart_status.nvme") or {}
        want += [("data_source", "nvme", "nvme smart-log answered:"),
                 ("none", ["[null, null, null]"], "worst, flags, pre_failure of NVMe rows:")]
        want += [(key, conv(log.get(field)), f"nvme smart-log {field}")
                 for field, conv, *keys in NVME for key in keys]
        want += [(f"nvme.critical_warning_bits.{key}",  # smartctl names them only when one is set
                  bits.get(bit, False if bits.get("value") == 0 else None), f"smartctl {bit}")
                 for key, bit in BITS.items()]
    elif table := get(smart, "ata_smart_attributes.table"):
        want += [("data_source", "ata", "smartctl table present:"),
                 ("ids", [row["id"] for row in table], "smartctl"),
                 ("temperature_c", get(smart, "temperature.current"), "smartctl")]
        want += [(f"rows.{row['id']}.{key}", conv(get(row, path)), f"smartctl {path}")
                 for row in table for key, path, conv in ATA]
    else:
        want += [(key, value, "no peer reads it:") for key, value in NO_DATA.items()]
        if cls == "usb":
            want += [("reason", "SMART read through the USB bridge refused", "smartctl -d sat too:")]
    if get(smart, "smart_status.passed") is False:
        want += [("health", "CRIT", "smartctl smart_status failed:")]
    for path, value, source in want:
        check(disk, path, get(ours, path), value, source)


# The volume check in the guest (fsck through the worker): each run's last line, as fsck(8)'s
# exit bits and the mode make it; what the refused repair says. The damage is qemu_drives.sh's.
FOUND = "Errors found and left as they are (read-only): SCAN + FIX repairs them once the filesystem is unmounted"
FSCK = {"ext4 read-only": "result: ready 1 nonzero 1 fixed 0: " + FOUND,
        "ext4 fix": "result: ready 1 nonzero 1 fixed 1: Errors found and corrected",
        "ext4 read-only again": "result: ready 1 nonzero 0 fixed 0: No errors found",
        "fat read-only": "result: ready 1 nonzero 1 fixed 0: " + FOUND,
        "fat fix": "result: ready 1 nonzero 1 fixed 1: Errors found and corrected",
        "fat read-only again": "result: ready 1 nonzero 0 fixed 0: No errors found",
        "ext4 mounted fix": re.compile(r"refused: /dev/vd\w+ is mounted at /mnt: unmount it first")}


def compare_fsck(out):
    for run, want in FSCK.items():
        lines = out[f"fsck {run}"].decode(errors="replace").splitlines()
        last = lines[-1] if lines else ""
        if isinstance(want, re.Pattern):
            want = last if want.match(last) else want.pattern
        check("volume check", run, last, want, "the run's last line")
    first = out["fsck ext4 read-only"].decode(errors="replace").splitlines()[:1]
    check("volume check", "the ext4 filesystem as listed", [re.sub(r"vd\w+", "vdX", l) for l in first],
          ["volume /dev/vdX ext4 [cvtext4] mounted []"], "its superblock:")


def compare_access(out, report):
    """Without rights every disk is still listed, with its size from sysfs and why no more; with
    them no reason asks for rights; no scan closes a disk node it wrote."""
    check("scan", "closes after a write on a disk node", out["closes after write"].decode(),
          f"watching {len(report['drives'])}\n",
          "inotifyd's IN_CLOSE_WRITE events:")
    check("report", "reasons of the privileged run asking for root",
          [d["error_text"] for d in report["drives"] if "run as root" in (d["error_text"] or "")], [],
          "none:")
    unprivileged = json.loads(out["json unprivileged"] or "{}").get("drives", [])
    check("unprivileged", "drives and sizes", [(d["device_path"], d["size_bytes"]) for d in unprivileged],
          [(d["device_path"], d["size_bytes"]) for d in report["drives"]], "the privileged run's:")
    check("unprivileged", "access, grade and reason", sorted({(d["access"], d["health"], d["error_text"])
          for d in unprivileged}), [("limited", "N/A", "cannot open the drive (error 13): run as root")], "")
    check("unprivileged", "NVMe models", [d["model"] for d in unprivileged if d["bus"] == "NVMe"],
          [d["model"] for d in report["drives"] if d["bus"] == "NVMe"], "sysfs's, as the privileged run's:")
    check("unprivileged", "standard error", out["stderr unprivileged"].decode(),
          f"corvanite-report: {len(report['drives'])} disks could not be opened (permission denied),"
          " run as root\n", "")


def compare_replays(out, run):
    """The guest's traces replayed here give the guest's report files byte for byte: by this
    build, and by the Windows build under Wine where it was built (CORVANITE_REPLAY_LINUX and
    CORVANITE_REPLAY_WINDOWS, the commands)."""
    programs = [(name, os.environ.get(f"CORVANITE_REPLAY_{name.upper()}", "").split())
                for name in ("linux", "windows")]
    for kind, report, options in (("text", "text.file", []), ("json", "json.file", ["--json"])):
        trace = os.path.join(run, f"qemu-guest.{kind}.jsonl")
        open(trace, "wb").write(out[f"trace {kind}"])
        open(os.path.join(run, f"qemu-guest.report.{kind.replace('text', 'txt')}"),
             "wb").write(out[report])
        for name, command in (p for p in programs if p[1]):
            path = (lambda p: "Z:" + p.replace("/", "\\")) if name == "windows" else (lambda p: p)
            replayed = os.path.join(run, f"replayed-{name}.{kind}")
            subprocess.run(command + options + ["--replay", path(trace), path(replayed)],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
            ours = open(replayed, "rb").read() if os.path.exists(replayed) else b"(none)"
            check("replay", f"{kind} report on {name}", ours == out[report] and bool(ours), True,
                  "the guest's report file, byte for byte:")


def compare_self_test(out, status):
    """A short self-test on the SATA disk, waited for: its result and the log the report then gives
    against smartctl's reading of the same log; the NVMe drive without Device Self-test refused."""
    check("self-test", "short test on the SATA disk: exit and result", (status.get("self-test sata"),
          "short self-test passed at " in out["self-test sata"].decode()), (0, True), "")
    theirs = get(json.loads(out["smartctl selftest /dev/sda"] or "{}"),
                 "ata_smart_self_test_log.standard.table") or []
    drive = next((d for d in json.loads(out["json after self-test"] or "{}").get("drives", [])
                  if d["device_path"] == "/dev/sda"), {})
    ours = drive.get("self_test", {}).get("log", [])
    check("self-test", "log entries", len(ours), len(theirs), "smartctl -l selftest")
    for n, (entry, row) in enumerate(zip(ours, theirs)):
        check("self-test", f"entry {n} test, passed, lifetime hours",
              [entry["code"], entry["result"] == "passed", entry["power_on_hours"]],
              [get(row, "type.value"), get(row, "status.passed"), get(row, "lifetime_hours")],
              "smartctl:")
    check("self-test", "NVMe drive without Device Self-test: exit and reason",
          (status.get("self-test nvme"), "Identify Controller data says so" in
           out["self-test nvme"].decode()), (3, True), "")


def compare_field_faults(out, report, disks):
    """Drives made slow or failing in the guest (a preload library holds or fails the requests that
    reach them) and drives that went away mid-scan (offlined, unplugged, removed from the bus)."""
    times = collections.defaultdict(dict)
    for program, name, seconds in map(str.split, out["timing"].decode().splitlines()):
        times[program][name] = float(seconds)
    slowest = {}
    for program, took in sorted(times.items()):
        alone = slowest[program] = max(v for k, v in took.items() if k not in ("none", "three"))
        print(f"info {program}: none slow {took['none']:.2f} s, slowest alone {alone:.2f} s,"
              f" the three {took['three']:.2f} s ({took['three'] / alone:.2f} times)")
    took, alone = times["corvanite-report"], slowest["corvanite-report"]
    check("scan", "three drives slow: within 1.2 times the slowest alone and 0.3 s",
          took["three"] <= 1.2 * alone + 0.3 and alone >= 1, True, f"{took}:")
    drives = report["drives"]
    slow = json.loads(out["json slow"] or "{}").get("drives")
    check("scan", "three drives slow: the same report", slow == drives, True, "the plain run's:")
    kind = {d: next((c for c in ("usb", "ata", "nvme") if "/" + c in sysfs), "")
            for d, _, sysfs, *_ in disks}
    first = {k: min(d for d in kind if kind[d] == k) for k in ("usb", "ata", "nvme")}
    failing = {f"/dev/{first['ata']}": "SMART read failed (error 5): I/O error, check the cable and the drive",
               f"/dev/{first['nvme']}": "NVMe health log failed (error 5): I/O error, check the cable and the drive"}
    gone = max(d for d in kind if kind[d] == "nvme")
    vanished = {f"/dev/{d}": "disconnected during the scan" for d in (first["ata"], first["usb"], gone)}
    plain = {d["device_path"]: d for d in drives}
    for run, want in (("failing", failing), ("vanished", vanished)):
        got = json.loads(out[f"json {run}"] or "{}").get("drives", [])
        check("scan", f"drives {run}: their reasons, the others as the plain run's",
              [d["error_text"] if d["device_path"] in want else d == plain.get(d["device_path"])
               for d in got], [want.get(d["device_path"], True) for d in drives], "")


def compare(data_log, cmakelists, *drives):
    text = open(data_log, "rb").read().decode("utf-8", "replace").replace("\r", "")
    found = re.findall(r"^@@BEGIN (.+?)@@\n(.*?)^@@END \1 rc=(-?\d+)@@$", text, re.M | re.S)
    out = collections.defaultdict(bytes, {name: base64.b64decode("".join(data.split()))
                                          for name, data, _ in found})
    status = {name: int(rc) for name, _, rc in found}
    version = re.search(r"project\(\w+ VERSION ([\d.]+)", open(cmakelists).read())[1]
    report = json.loads(out["json"] or "{}")
    compare_fsck(out)
    compare_access(out, report)
    compare_replays(out, os.path.dirname(data_log))
    compare_self_test(out, status)
    check("report", "header", [report.get("format_version"), report.get("program_version")],
          [1, version], "format 1 and CMakeLists.txt's version")
    check("report", "file is standard output", bool(out["json"]) and out["json.file"] == out["json"],
          True, "the same JSON:")
    check("report", "file is standard output with a BOM and CR LF", bool(out["text"]) and
          out["text.file"] == b"\xef\xbb\xbf" + out["text"].replace(b"\n", b"\r\n"), True, "text:")
    blocks = [f"Drive {d['number']}: {d['model'] or ''}".rstrip() for d in report["drives"]]
    check("report", "text blocks", [b for b in blocks if b in out["text"].decode()], blocks, "JSON:")
    disks = sorted(d for d in map(str.split, out["disks"].decode().splitlines()) if len(d) > 2)
    check("report", "drives", [d["device_path"] for d in report["drives"]],
          ["/dev/" + d[0] for d in disks], "the guest's disks in kernel name order")
    compare_field_faults(out, report, disks)
    for drive, (disk, size, sysfs, *serial) in zip(report["drives"], disks):
        compare_drive(drive, out, disk, int(size), sysfs, *serial)
    for given in drives:  # every drive QEMU was given
        serial, size, *warning = given.split(":")
        drive = next((d for d in report["drives"] if d["serial"] == serial), {})
        for path, value in [("size_bytes", size)] + [("nvme.critical_warning", w) for w in warning]:
            check("guest", f"{serial} {path}", get(drive, path), int(value), "qemu_drives.sh")
    worst = max((d["health_exit_status"] for d in report["drives"]),  # N/A above GOOD, below WARN
                key={0: 0, 3: 1, 1: 2, 2: 3}.get, default=4)
    check("report", "exit statuses of json, json.file, text, text.file",
          [status.get(name) for name in ("json", "json.file", "text", "text.file")], [worst] * 4,
          "the worst health_exit_status")


if __name__ == "__main__":
    try:
        compare(*sys.argv[1:])
    except (KeyError, TypeError, ValueError, IndexError) as error:  # a missing or malformed output
        check("report", "comparison", repr(error), None, "no error:")
    print(f"system: {results[True]} passed, {results[False]} failed")
    sys.exit(1 if results[False] else 0)
