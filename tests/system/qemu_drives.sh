#!/usr/bin/env bash
# System test on emulated drives: boots a small Linux guest under QEMU (software emulation) with a
# SATA disk on AHCI, two NVMe controllers (the second reporting a critical warning), a virtio disk
# and a USB stick; in the guest runs corvanite-report (text and JSON, to standard output and to a
# file) and the peers smartctl and nvme-cli in JSON; compare_json.py then compares them on the host.
#
# Usage: tests/system/qemu_drives.sh [--require] [--no-build]
#   --require   fail instead of skipping when QEMU or a guest ingredient is missing
#   --no-build  do not build build/linux/tools/corvanite-report first
# Leaves build/system/ (the cached initramfs and uncompressed kernel; last-run/ with the guest's
# console.log, data.log, drives.conf, compare.log). Last line: "system: N passed, M failed".
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out="$root/build/system" run="$root/build/system/last-run"
binary="$root/build/linux/tools/corvanite-report"
require=0 build=1
for arg; do
    case $arg in
        --require) require=1 ;;
        --no-build) build=0 ;;
        *) echo "usage: qemu_drives.sh [--require] [--no-build]" >&2; exit 64 ;;
    esac
done
fail() { echo "system: FAIL $*"; echo "system: 0 passed, 1 failed"; exit 1; }
skip() { [ "$require" = 1 ] && fail "required but cannot run ($*)"; echo "system: skipped ($*)"; exit 0; }

missing=()
for tool in qemu-system-x86_64:qemu-system-x86 smartctl:smartmontools nvme:nvme-cli \
    modprobe:kmod cpio:cpio python3:python3; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
busybox=/bin/busybox  # the static build: the guest has no C library of its own for it
[ -x $busybox ] && ! ldd $busybox >/dev/null 2>&1 || missing+=(busybox-static)
kernel=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1)
kver=${kernel#/boot/vmlinuz-}
[ -r "$kernel" ] && [ -f "/lib/modules/$kver/modules.dep" ] || missing+=(linux-image-amd64)
[ ${#missing[@]} -eq 0 ] || skip "missing Debian packages: ${missing[*]}"

if [ "$build" = 1 ]; then
    (cd "$root" && { [ -f build/linux/build.ninja ] || cmake --preset linux >/dev/null; } &&
        cmake --build --preset linux --target corvanite-report >/dev/null) || fail "cannot build corvanite-report"
fi
[ -x "$binary" ] || fail "no corvanite-report at $binary"
rm -rf "$run" && mkdir -p "$run"
images=$(mktemp -d "$out/tmp.XXXXXX") || fail "cannot make a folder under $out"
trap 'rm -rf "$images" "$out"/stage.*' EXIT

# The initramfs: busybox as init, the storage modules, the peers, corvanite-report and their
# shared libraries; cached by the hash of its inputs.
deps=$(modprobe -S "$kver" --show-depends -a ahci sd_mod sg nvme virtio_pci virtio_blk xhci_pci \
    usb_storage 2>&1) || skip "kernel $kver lacks a storage module"
modules=$(awk '$1 == "insmod" && !seen[$2]++ { print $2 }' <<<"$deps")
programs=("$(command -v smartctl)" "$(command -v nvme)" "$binary")
libraries=$(ldd "${programs[@]}" | awk '/=> \// { print $3 } /^\t\// { print $1 }' | sort -u)
key=$(cat "$kernel" $busybox "$here/guest_init.sh" "${programs[@]}" $modules $libraries | sha256sum | cut -c1-16)
initrd="$out/initramfs-$key.cpio"
if [ ! -f "$initrd" ]; then
    stage=$(mktemp -d "$out/stage.XXXXXX")
    mkdir -p "$stage"/{bin,usr/bin,usr/sbin,proc,sys,dev,tmp,etc,lib/modules}
    cp $busybox "$stage/bin/busybox" && cp "$here/guest_init.sh" "$stage/init"
    cp "${programs[@]:0:2}" "$stage/usr/sbin/" && cp "$binary" "$stage/usr/bin/corvanite-report"
    for lib in $libraries; do mkdir -p "$stage$(dirname "$lib")" && cp -L "$lib" "$stage$lib"; done
    for ko in $modules; do
        name=$(basename "$ko") && name=${name%.xz} && name=${name%.zst}
        case $ko in *.xz) xz -dc "$ko" ;; *.zst) zstd -qdc "$ko" ;; *) cat "$ko" ;; esac \
            >"$stage/lib/modules/$name" || fail "cannot unpack $ko"
        echo "$name" >>"$stage/etc/modules.list"
    done
    rm -f "$out"/initramfs-*.cpio
    (cd "$stage" && find . | cpio -o -H newc -R 0:0 --quiet >"$initrd") || fail "cannot write the initramfs"
fi

# Under software emulation unpacking the compressed kernel costs seconds: boot its ELF image
# (QEMU's PVH entry) when it can be had, else the compressed image.
vmlinux="$out/vmlinux-$kver"
if [ ! -f "$vmlinux" ]; then
    python3 - "$kernel" "$vmlinux" <<'PY' || rm -f "$vmlinux"
import lzma, subprocess, sys
image = open(sys.argv[1], "rb").read()
xz, zst = image.find(b"\xfd7zXZ\x00"), image.find(b"\x28\xb5\x2f\xfd")
elf = (lzma.LZMADecompressor().decompress(image[xz:]) if xz >= 0 else
       subprocess.run(["zstd", "-qdc"], input=image[zst:], capture_output=True).stdout)
# Only a kernel with a PVH note ("Xen", type 18) boots as ELF.
sys.exit(1) if elf[:4] != b"\x7fELF" or b"Xen\x00" not in elf else open(sys.argv[2], "wb").write(elf)
PY
fi
[ -f "$vmlinux" ] && kernel=$vmlinux

cat >"$run/drives.conf" <<CONF
sata   serial=CVT-SATA-0001 size=2199023255552
nvme   serial=CVT-NVME-0001 size=1610612736 critical_warning=0
nvme   serial=CVT-NVME-0002 size=268435456 critical_warning=4
virtio serial=CVT-VIRT-0001 size=100663296
usb    serial=CVT-USB-0001 size=67108864
CONF
for disk in sata:2199023255552 nvmea:1610612736 nvmeb:268435456 virtio:100663296 usb:67108864; do
    truncate -s "${disk#*:}" "$images/${disk%%:*}.img"
done
drive() { echo "if=none,id=$1,format=raw,file=$images/$1.img"; }
echo "system: booting the guest (software emulation)"
timeout -k 10 180 qemu-system-x86_64 -accel tcg -cpu max -smp 2 -m 512 -nodefaults -display none \
    -no-reboot -monitor none -kernel "$kernel" -initrd "$initrd" \
    -append "console=ttyS0 panic=-1 corvanite.disks=5" \
    -serial "file:$run/console.log" -serial "file:$run/data.log" \
    -device ahci,id=ahci -drive "$(drive sata)" \
    -device "ide-hd,bus=ahci.0,drive=sata,model=CVT SATA Disk 2TB,serial=CVT-SATA-0001,ver=CV0101" \
    -drive "$(drive nvmea)" -device nvme,drive=nvmea,serial=CVT-NVME-0001 \
    -drive "$(drive nvmeb)" -device nvme,drive=nvmeb,serial=CVT-NVME-0002,smart_critical_warning=4 \
    -drive "$(drive virtio)" -device virtio-blk-pci,drive=virtio,serial=CVT-VIRT-0001 \
    -device qemu-xhci,id=xhci -drive "$(drive usb)" \
    -device usb-storage,bus=xhci.0,drive=usb,serial=CVT-USB-0001 </dev/null >"$run/qemu.log" 2>&1
grep -q '^@@DONE@@' "$run/data.log" 2>/dev/null ||
    { tail -n 30 "$run/console.log" 2>/dev/null; fail "the guest did not finish its run; logs in $run"; }
python3 "$here/compare_json.py" "$run/data.log" "$root/CMakeLists.txt" "$run/drives.conf" >"$run/compare.log"
status=$?
grep -v '^ok ' "$run/compare.log"
exit $status
