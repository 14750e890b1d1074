#!/usr/bin/env bash
# Boots a small Linux guest under QEMU with emulated SATA, NVMe, virtio and USB drives and compares
# corvanite-report's JSON with smartctl's and nvme-cli's in it; logs in build/system/last-run.
# Usage: qemu_drives.sh [--require] (fail instead of skip) [--no-build] (no corvanite-report build)
# CORVANITE_SYSTEM_BEFORE=PATH: another build's corvanite-report, timed beside this one's.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd) && root=$(cd "$here/../.." && pwd)
out="$root/build/system" run="$root/build/system/last-run"
binary="$root/build/linux/src/cli/corvanite-report" busybox=/bin/busybox
checkrun="$root/build/linux/tests/corvanite_volume_check_run"
guesttool="$root/build/linux/tests/corvanite_guest_tool"
slow="$root/build/linux/tests/libcorvanite_slow_drives.so" before=${CORVANITE_SYSTEM_BEFORE:-}
require=0 build=1
for arg; do
    case $arg in --require) require=1 ;; --no-build) build=0 ;; *) sed -n 4p "$0" >&2 && exit 64 ;; esac
done
fail() { echo "system: FAIL $*" && echo "system: 0 passed, 1 failed" && exit 1; }
skip() { [ "$require" = 1 ] && fail "required but cannot run ($*)"; echo "system: skipped ($*)" && exit 0; }

missing=()
for tool in qemu-system-x86_64:qemu-system-x86 smartctl:smartmontools nvme:nvme-cli modprobe:kmod \
    cpio:cpio python3:python3 mkfs.ext4:e2fsprogs debugfs:e2fsprogs mkfs.vfat:dosfstools \
    fsck.vfat:dosfstools; do
    command -v "${tool%%:*}" >/dev/null || missing+=("${tool#*:}")
done
# The static busybox: the guest has no C library of its own for it.
[ -x $busybox ] && ! ldd $busybox >/dev/null 2>&1 || missing+=(busybox-static)
kernel=$(ls -1 /boot/vmlinuz-* 2>/dev/null | sort -V | tail -n 1) && kver=${kernel#/boot/vmlinuz-}
[ -r "$kernel" ] && [ -f "/lib/modules/$kver/modules.dep" ] || missing+=(linux-image-amd64)
[ ${#missing[@]} -eq 0 ] || skip "missing Debian packages: ${missing[*]}"
[ "$build" = 0 ] || (cd "$root" && { [ -f build/linux/build.ninja ] || cmake --preset linux >/dev/null; } &&
    cmake --build --preset linux --target corvanite-report corvanite_volume_check_run \
        corvanite_guest_tool corvanite_slow_drives >/dev/null) ||
    fail "cannot build corvanite-report"
[ -x "$binary" ] && [ -x "$checkrun" ] && [ -x "$guesttool" ] && [ -f "$slow" ] ||
    fail "no corvanite-report at $binary"
[ -z "$before" ] || [ -x "$before" ] || fail "no corvanite-report at $before"
rm -rf "$run" && mkdir -p "$run" && images=$(mktemp -d "$out/tmp.XXXXXX") || fail "cannot write $out"
trap 'rm -rf "$images" "$out"/stage.*' EXIT

# The initramfs (busybox as init, the storage modules, the peers, corvanite-report, their shared
# libraries), cached by the hash of its inputs.
deps=$(modprobe -S "$kver" --show-depends -a ahci sd_mod sg nvme virtio_pci virtio_blk xhci_pci \
    usb_storage ext4 2>&1) || skip "kernel $kver lacks a storage module"
modules=$(awk '$1 == "insmod" && !seen[$2]++ { print $2 }' <<<"$deps")
# The volume check's programs: fsck and the two checkers under the names fsck starts them by.
programs=("$(command -v smartctl)" "$(command -v nvme)" "$binary" "$checkrun" "$guesttool" "$slow"
    /usr/sbin/fsck /usr/sbin/fsck.ext4 /usr/sbin/fsck.vfat)
libraries=$(ldd "${programs[@]}" $before | awk '/=> \// { print $3 } /^\t\// { print $1 }' | sort -u)
key=$(cat "$kernel" $busybox "$here/guest_init.sh" "${programs[@]}" $before $modules $libraries | sha256sum)
initrd="$out/initramfs-${key:0:16}.cpio"
if [ ! -f "$initrd" ]; then
    stage=$(mktemp -d "$out/stage.XXXXXX")
    mkdir -p "$stage"/{bin,usr/sbin,proc,sys,dev,tmp,etc,lib/modules}
    cp $busybox "$stage/bin/" && cp "$here/guest_init.sh" "$stage/init" && cp "${programs[@]}" "$stage/usr/sbin/"
    [ -z "$before" ] || cp "$before" "$stage/usr/sbin/corvanite-report-before"
    for lib in $libraries; do mkdir -p "$stage$(dirname "$lib")" && cp -L "$lib" "$stage$lib"; done
    for ko in $modules; do
        name=$(basename "${ko%.xz}" .zst) && echo "$name" >>"$stage/etc/modules.list"
        case $ko in *.xz) xz -dc "$ko" ;; *.zst) zstd -qdc "$ko" ;; *) cat "$ko" ;; esac \
            >"$stage/lib/modules/$name" || fail "cannot unpack $ko"
    done
    rm -f "$out"/initramfs-*.cpio
    chmod 755 "$stage"  # mktemp's 0700 would keep the unprivileged run out of the root
    (cd "$stage" && find . | cpio -o -H newc -R 0:0 --quiet >"$initrd") || fail "cannot write the initramfs"
fi

# Unpacking a compressed kernel costs seconds under software emulation: boot its ELF image (QEMU's
# PVH entry, only for a kernel with a PVH note: "Xen", type 18) when it can be had.
vmlinux="$out/vmlinux-$kver"
[ -f "$vmlinux" ] || python3 - "$kernel" "$vmlinux" <<'PY' || rm -f "$vmlinux"
import lzma, subprocess, sys
image = open(sys.argv[1], "rb").read()
xz, zst = image.find(b"\xfd7zXZ\x00"), image.find(b"\x28\xb5\x2f\xfd")
elf = (lzma.LZMADecompressor().decompress(image[xz:]) if xz >= 0 else
       subprocess.run(["zstd", "-qdc"], input=image[zst:], capture_output=True).stdout)
sys.exit(1) if elf[:4] != b"\x7fELF" or b"Xen\x00" not in elf else open(sys.argv[2], "wb").write(elf)
PY
[ -f "$vmlinux" ] && kernel=$vmlinux

drives=() args=()
drive() {  # drive SERIAL:SIZE[:CRITICAL_WARNING] [CONTROLLER] DEVICE: an empty raw disk on a new device
    IFS=: read -r id size _ <<<"$1" && truncate -s "$size" "$images/$id" && drives+=("$1")
    args+=(-drive "if=none,id=$id,format=raw,file=$images/$id" ${3:+-device "$2"})
    args+=(-device "${*: -1},drive=$id,serial=$id")
}
drive CVT-SATA-0001:2199023255552 ahci,id=ahci "ide-hd,bus=ahci.0,model=CVT SATA Disk 2TB,ver=CV0101"
drive CVT-NVME-0001:1610612736:0 nvme
drive CVT-NVME-0002:268435456:4 nvme,smart_critical_warning=4
drive CVT-VIRT-0001:100663296 virtio-blk-pci
drive CVT-USB-0001:67108864 qemu-xhci,id=xhci usb-storage,bus=xhci.0
# Two filesystems for the volume check, each damaged in a known way: ext4 with the inode of
# lost+found cleared, FAT with a cluster marked in use in both FATs that no file holds.
drive CVT-EXT4-0001:33554432 virtio-blk-pci
drive CVT-FAT-0001:16777216 virtio-blk-pci
mkfs.ext4 -q -F -L cvtext4 "$images/CVT-EXT4-0001" && debugfs -w -R "clri <11>" \
    "$images/CVT-EXT4-0001" >/dev/null 2>&1 || fail "cannot make the ext4 filesystem"
mkfs.vfat -n CVTFAT "$images/CVT-FAT-0001" >/dev/null && python3 - "$images/CVT-FAT-0001" <<'PY' ||
import struct, sys
image = bytearray(open(sys.argv[1], "rb").read())
sector, _, reserved, fats = struct.unpack_from("<HBHB", image, 11)
fat_sectors = struct.unpack_from("<H", image, 22)[0]
for fat in range(fats):  # cluster 100: an end of chain no directory entry leads to
    struct.pack_into("<H", image, (reserved + fat * fat_sectors) * sector + 100 * 2, 0xFFFF)
open(sys.argv[1], "wb").write(image)
PY
    fail "cannot make the FAT filesystem"
echo "system: booting the guest (software emulation)"
timeout -k 10 300 qemu-system-x86_64 -accel tcg -cpu max -smp 2 -m 512 -nodefaults -display none \
    -no-reboot -monitor none -kernel "$kernel" -initrd "$initrd" -serial "file:$run/console.log" \
    -serial "file:$run/data.log" -append "console=ttyS0 panic=-1 corvanite.disks=${#drives[@]}" \
    "${args[@]}" </dev/null >"$run/qemu.log" 2>&1
grep -q '^@@DONE@@' "$run/data.log" 2>/dev/null ||
    { tail -n 30 "$run/console.log" 2>/dev/null; fail "the guest did not finish its run; logs in $run"; }
# The guest's traces replayed by this build and, where it was built, the Windows build under Wine.
export CORVANITE_REPLAY_LINUX=$binary CORVANITE_REPLAY_WINDOWS=
windows="$root/build/windows-cross/src/cli/corvanite-report.exe"
[ -f "$windows" ] && CORVANITE_REPLAY_WINDOWS="$root/scripts/wine-run $windows"
python3 "$here/compare_json.py" "$run/data.log" "$root/CMakeLists.txt" "${drives[@]}" |
    tee "$run/compare.log" | grep -v '^ok '
exit "${PIPESTATUS[0]}"
