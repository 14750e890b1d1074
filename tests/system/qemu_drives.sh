#!/usr/bin/env bash
# System test on emulated drives.
#
# Boots a small Linux guest under QEMU (software emulation, no KVM needed) with five emulated
# drives: a SATA disk on an AHCI controller, two NVMe controllers (the second one reporting a
# critical warning), a virtio disk and a USB stick. In the guest it runs corvanite-report (to
# standard output and to a file, as text and as JSON) and, beside it, smartctl and nvme-cli on the
# same drives; the host then compares them drive by drive with tests/system/compare_drives.py
# (the text report) and tests/system/compare_json.py (the JSON report against the peers' JSON).
#
# Usage: tests/system/qemu_drives.sh [--require] [--no-build] [--binary PATH] [--keep]
#   --require      fail instead of skipping when QEMU or a guest ingredient is missing
#                  (the same as CORVANITE_SYSTEM_REQUIRE=1)
#   --no-build     do not (re)build build/linux/tools/corvanite-report first
#   --binary PATH  run this corvanite-report in the guest instead of the Linux build's
#   --keep         keep the disk images (build/system/tmp.*) after the run
# Environment: CORVANITE_SYSTEM_TIMEOUT (seconds the guest may run, default 180).
#
# Everything the run leaves is under build/system/: the cached initramfs (initramfs-HASH.cpio,
# rebuilt only when one of its inputs changes), the cached uncompressed kernel (vmlinux-VERSION)
# and last-run/ (console.log: the guest kernel's console; data.log: what the guest reported
# between markers; drives.conf: the drives it was given; compare.log and compare-json.log: the
# comparisons).
# The last line is "system: N passed, M failed" or "system: skipped (REASON)".
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/build/system"
require=${CORVANITE_SYSTEM_REQUIRE:-0}
build=1
keep=0
binary="$root/build/linux/tools/corvanite-report"
guest_timeout=${CORVANITE_SYSTEM_TIMEOUT:-180}

while [ $# -gt 0 ]; do
    case $1 in
        --require) require=1 ;;
        --no-build) build=0 ;;
        --keep) keep=1 ;;
        --binary)
            [ $# -ge 2 ] || { echo "qemu_drives.sh: --binary needs a path" >&2; exit 64; }
            binary=$2; build=0; shift ;;
        --binary=*) binary=${1#--binary=}; build=0 ;;
        -h|--help) awk 'NR > 1 && /^#/ { sub(/^# ?/, ""); print; next } NR > 1 { exit }' "$0"; exit 0 ;;
        *) echo "qemu_drives.sh: unknown argument: $1" >&2; exit 64 ;;
    esac
    shift
done
[ "$require" = 1 ] || [ "$require" = yes ] || [ "$require" = true ] && require=1

fail() {
    echo "system: FAIL $*"
    echo "system: 0 passed, 1 failed"
    exit 1
}

# Skips (exit 0) unless the test is required, where the same reason is a failure.
skip() {
    if [ "$require" = 1 ]; then
        echo "system: required but cannot run ($*)"
        echo "system: 0 passed, 1 failed"
        exit 1
    fi
    echo "system: skipped ($*)"
    exit 0
}

# ---------------------------------------------------------------------------------------------
# What the guest needs from the host, each from a Debian package.

missing=()
command -v qemu-system-x86_64 >/dev/null 2>&1 || missing+=(qemu-system-x86)
command -v smartctl >/dev/null 2>&1 || missing+=(smartmontools)
command -v nvme >/dev/null 2>&1 || missing+=(nvme-cli)
command -v python3 >/dev/null 2>&1 || missing+=(python3)
command -v modprobe >/dev/null 2>&1 || missing+=(kmod)
busybox=""
for candidate in /bin/busybox /usr/bin/busybox; do
    # The guest has no C library of its own for busybox: it must be the static build.
    if [ -x "$candidate" ] && ! ldd "$candidate" >/dev/null 2>&1; then
        busybox=$candidate
        break
    fi
done
[ -n "$busybox" ] || missing+=(busybox-static)

# The newest installed kernel whose modules are present.
kernel=""
kver=""
for image in $(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V -r); do
    v=${image#/boot/vmlinuz-}
    if [ -r "$image" ] && [ -f "/lib/modules/$v/modules.dep" ]; then
        kernel=$image
        kver=$v
        break
    fi
done
[ -n "$kernel" ] || missing+=(linux-image-amd64)
[ ${#missing[@]} -eq 0 ] || skip "missing Debian packages: ${missing[*]}"

qemu_accels=$(qemu-system-x86_64 -accel help 2>/dev/null)
grep -qx tcg <<<"$qemu_accels" || skip "qemu-system-x86_64 has no software emulation (tcg)"

# ---------------------------------------------------------------------------------------------
# The program under test.

if [ "$build" = 1 ]; then
    if [ ! -f "$root/build/linux/build.ninja" ]; then
        (cd "$root" && cmake --preset linux >/dev/null) || fail "cannot configure the linux preset"
    fi
    (cd "$root" && cmake --build --preset linux --target corvanite-report >/dev/null) ||
        fail "cannot build corvanite-report"
fi
[ -x "$binary" ] || fail "no corvanite-report at $binary"
binary=$(cd "$(dirname "$binary")" && pwd)/$(basename "$binary")

mkdir -p "$out"
stage=""
images=""
cleanup() {
    [ -n "$stage" ] && rm -rf "$stage"
    [ -n "$images" ] && [ "$keep" != 1 ] && rm -rf "$images"
    rm -f "$out"/*."$$".part
}
trap cleanup EXIT
run="$out/last-run"
rm -rf "$run"
mkdir -p "$run"

# ---------------------------------------------------------------------------------------------
# The initramfs: busybox as init, the storage modules, the peers, corvanite-report, the shared
# libraries they load and the guest script. Cached by the hash of all of its inputs.

modules=(ahci sd_mod sg nvme virtio_pci virtio_blk xhci_pci usb_storage uas)
module_list=$(for m in "${modules[@]}"; do modprobe -S "$kver" --show-depends "$m" || echo "MISSING $m"; done)
grep -q '^MISSING' <<<"$module_list" &&
    skip "kernel $kver lacks modules: $(grep '^MISSING' <<<"$module_list" | cut -d' ' -f2 | tr '\n' ' ')"
# "insmod PATH [PARAMS]" lines in load order, each module once (built-in ones need no loading).
module_files=$(awk '$1 == "insmod" && !seen[$2]++ { print $2 }' <<<"$module_list")

programs=("$(command -v smartctl)" "$(command -v nvme)" "$binary")
libraries=$(for p in "${programs[@]}"; do
    ldd "$p" | awk '/=> \// { print $3 } /^[ \t]*\// { print $1 }'
done | sort -u)

guest_init="$here/guest_init.sh"
[ -f "$guest_init" ] || fail "missing $guest_init"

inputs=("$kernel" "$busybox" "$guest_init" "${programs[@]}" $module_files $libraries)
key=$( {
    echo "layout 1 $kver"
    for f in "${inputs[@]}"; do
        echo "$f $(sha256sum <"$(readlink -f "$f")" | cut -d' ' -f1)"
    done
} | sha256sum | cut -c1-16)
initrd="$out/initramfs-$key.cpio"

if [ ! -f "$initrd" ]; then
    stage=$(mktemp -d "$out/stage.XXXXXX") || fail "cannot make a folder under $out"
    mkdir -p "$stage"/{bin,sbin,usr/bin,usr/sbin,proc,sys,dev,tmp,etc,lib/modules,lib64}
    cp "$busybox" "$stage/bin/busybox"
    cp "$guest_init" "$stage/init"
    chmod 755 "$stage/init"
    cp "$(command -v smartctl)" "$stage/usr/sbin/smartctl"
    cp "$(command -v nvme)" "$stage/usr/sbin/nvme"
    cp "$binary" "$stage/usr/bin/corvanite-report"
    for lib in $libraries; do
        mkdir -p "$stage$(dirname "$lib")"
        cp -L "$lib" "$stage$lib"
    done
    : >"$stage/etc/modules.list"
    for ko in $module_files; do
        name=$(basename "$ko")
        case $ko in
            *.ko.xz) name=${name%.xz}; xz -dc "$ko" >"$stage/lib/modules/$name" ;;
            *.ko.zst) name=${name%.zst}; zstd -qdc "$ko" >"$stage/lib/modules/$name" ;;
            *.ko.gz) name=${name%.gz}; gzip -dc "$ko" >"$stage/lib/modules/$name" ;;
            *) cp "$ko" "$stage/lib/modules/$name" ;;
        esac || fail "cannot unpack module $ko"
        echo "$name" >>"$stage/etc/modules.list"
    done
    # A newc archive of the staging folder, owned by root; the Python standard library only.
    python3 - "$stage" "$initrd.$$.part" <<'PY' || fail "cannot write the initramfs"
import os, stat, sys
stage, target = sys.argv[1], sys.argv[2]
entries = []
for folder, dirs, files in os.walk(stage):
    dirs.sort()
    for name in sorted(dirs) + sorted(files):
        entries.append(os.path.join(folder, name))
ino = 1
with open(target, "wb") as out:
    def put(name, mode, data, nlink=1):
        global ino
        head = "070701" + "".join("%08X" % v for v in (
            ino, mode, 0, 0, nlink, 0, len(data), 0, 0, 0, 0, len(name) + 1, 0))
        ino += 1
        out.write(head.encode() + name.encode() + b"\0")
        out.write(b"\0" * ((4 - (110 + len(name) + 1) % 4) % 4))
        out.write(data)
        out.write(b"\0" * ((4 - len(data) % 4) % 4))
    for path in entries:
        name = os.path.relpath(path, stage)
        st = os.lstat(path)
        if stat.S_ISLNK(st.st_mode):
            put(name, st.st_mode, os.readlink(path).encode())
        elif stat.S_ISDIR(st.st_mode):
            put(name, st.st_mode, b"", 2)
        else:
            with open(path, "rb") as f:
                put(name, st.st_mode, f.read())
    put("TRAILER!!!", 0, b"")
PY
    mv "$initrd.$$.part" "$initrd"
    rm -rf "$stage"
    stage=""
    # Older archives of other inputs are of no further use.
    find "$out" -maxdepth 1 -name 'initramfs-*.cpio' ! -name "initramfs-$key.cpio" -delete
    echo "system: built the guest initramfs ($(du -m "$initrd" | cut -f1) MiB, kernel $kver)"
else
    echo "system: guest initramfs cached (kernel $kver)"
fi

# ---------------------------------------------------------------------------------------------
# The kernel to boot. Under software emulation, unpacking the compressed kernel before its first
# line costs about nine seconds; QEMU boots the uncompressed ELF image directly through its PVH
# entry point. The ELF image is cached; any problem falls back to the compressed image.

boot_kernel=$kernel
vmlinux="$out/vmlinux-$kver"
if [ ! -f "$vmlinux" ] || [ "$kernel" -nt "$vmlinux" ]; then
    rm -f "$vmlinux"
    python3 - "$kernel" "$vmlinux.$$.part" <<'PY' && mv "$vmlinux.$$.part" "$vmlinux"
import lzma, struct, subprocess, sys
image = open(sys.argv[1], "rb").read()
elf = None
at = image.find(b"\xfd7zXZ\x00")
if at >= 0:
    elf = lzma.LZMADecompressor(format=lzma.FORMAT_XZ).decompress(image[at:])
else:
    at = image.find(b"\x28\xb5\x2f\xfd")
    if at >= 0:
        elf = subprocess.run(["zstd", "-qdc"], input=image[at:], capture_output=True).stdout
if not elf or elf[:4] != b"\x7fELF" or elf[4] != 2:
    sys.exit(1)
# QEMU boots an ELF kernel only through its PVH entry: a note named "Xen" of type 18.
phoff, = struct.unpack_from("<Q", elf, 0x20)
phentsize, phnum = struct.unpack_from("<HH", elf, 0x36)
found = False
for i in range(phnum):
    p_type, _, p_offset, _, _, p_filesz = struct.unpack_from("<IIQQQQ", elf, phoff + i * phentsize)
    if p_type != 4:
        continue
    pos, end = p_offset, p_offset + p_filesz
    while pos + 12 <= end:
        namesz, descsz, ntype = struct.unpack_from("<III", elf, pos)
        name = elf[pos + 12:pos + 12 + namesz].rstrip(b"\0")
        found = found or (name == b"Xen" and ntype == 18)
        pos += 12 + (namesz + 3) // 4 * 4 + (descsz + 3) // 4 * 4
if not found:
    sys.exit(1)
open(sys.argv[2], "wb").write(elf)
PY
fi
[ -f "$vmlinux" ] && boot_kernel=$vmlinux

# ---------------------------------------------------------------------------------------------
# The drives: sparse raw images, none of which the guest writes to.

images=$(mktemp -d "$out/tmp.XXXXXX") || fail "cannot make a folder under $out"
# name:size; the sizes reach each capacity format: TB, GB and MB.
for disk in sata:2199023255552 nvme-a:1610612736 nvme-b:268435456 virtio:100663296 usb:67108864; do
    truncate -s "${disk#*:}" "$images/${disk%%:*}.img" || fail "cannot make disk image ${disk%%:*}"
done

# What the host configured; the comparison checks that the guest saw exactly these drives.
cat >"$run/drives.conf" <<EOF
sata   serial=CVT-SATA-0001 size=2199023255552
nvme   serial=CVT-NVME-0001 size=1610612736 critical_warning=0
nvme   serial=CVT-NVME-0002 size=268435456 critical_warning=4
virtio serial=CVT-VIRT-0001 size=100663296
usb    serial=CVT-USB-0001 size=67108864
EOF

qemu=(
    qemu-system-x86_64 -accel tcg -cpu max -smp 2 -m 512
    -nodefaults -display none -no-reboot -monitor none
    -kernel "$boot_kernel" -initrd "$initrd"
    -append "console=ttyS0 panic=-1 loglevel=6 corvanite.disks=$(grep -c . "$run/drives.conf")"
    # ttyS0: the guest kernel's console; ttyS1: what the guest script reports.
    -serial "file:$run/console.log" -serial "file:$run/data.log"
    -device ahci,id=ahci
    -drive "if=none,id=sata,format=raw,file=$images/sata.img"
    -device "ide-hd,bus=ahci.0,drive=sata,model=CVT SATA Disk 2TB,serial=CVT-SATA-0001,ver=CV0101"
    -drive "if=none,id=nvmea,format=raw,file=$images/nvme-a.img"
    -device "nvme,drive=nvmea,serial=CVT-NVME-0001"
    -drive "if=none,id=nvmeb,format=raw,file=$images/nvme-b.img"
    -device "nvme,drive=nvmeb,serial=CVT-NVME-0002,smart_critical_warning=4"
    -drive "if=none,id=virtio,format=raw,file=$images/virtio.img"
    -device "virtio-blk-pci,drive=virtio,serial=CVT-VIRT-0001"
    -device qemu-xhci,id=xhci
    -drive "if=none,id=usb,format=raw,file=$images/usb.img"
    -device "usb-storage,bus=xhci.0,drive=usb,serial=CVT-USB-0001"
)
echo "system: booting the guest (software emulation, at most ${guest_timeout} s)"
start=$(date +%s%N)
timeout -k 10 "$guest_timeout" "${qemu[@]}" </dev/null >"$run/qemu.log" 2>&1
qemu_status=$?
elapsed_ms=$(( ($(date +%s%N) - start) / 1000000 ))
echo "system: guest ran $((elapsed_ms / 1000)).$(printf '%03d' $((elapsed_ms % 1000))) s (qemu exit $qemu_status)"

if ! grep -q '^@@DONE@@' "$run/data.log" 2>/dev/null; then
    [ "$qemu_status" -eq 124 ] && why="killed after ${guest_timeout} s" || why="qemu exit $qemu_status"
    echo "--- qemu:"; tail -n 20 "$run/qemu.log"
    echo "--- guest console (last lines):"; tail -n 40 "$run/console.log" 2>/dev/null
    echo "--- guest data (last lines):"; tail -n 20 "$run/data.log" 2>/dev/null
    fail "the guest did not finish its run ($why); logs in $run"
fi

# The text report, then the JSON report; the last line counts both.
python3 "$here/compare_drives.py" "$run/data.log" "$run/drives.conf" >"$run/compare.log"
text_status=$?
python3 "$here/compare_json.py" "$run/data.log" "$root/CMakeLists.txt" "$run/drives.conf" \
    >"$run/compare-json.log"
json_status=$?
grep -hv '^system: \|^json: ' "$run/compare.log" "$run/compare-json.log"
grep -h '^system: \|^json: ' "$run/compare.log" "$run/compare-json.log" |
    awk '{ p += $2; f += $4 } END { printf "system: %d passed, %d failed\n", p, f }'
[ "$text_status" -eq 0 ] && [ "$json_status" -eq 0 ]
