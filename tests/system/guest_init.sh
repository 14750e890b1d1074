#!/bin/busybox sh
# The guest's init for qemu_drives.sh: waits (at most 60 s) for the disks, runs corvanite-report
# and the peers, writes each one's output to ttyS1 as "@@BEGIN NAME@@ base64 @@END NAME rc=N@@".
/bin/busybox --install -s /bin
export PATH=/usr/sbin:/usr/bin:/bin
mount -t proc proc /proc && mount -t sysfs sysfs /sys && mount -t devtmpfs devtmpfs /dev
exec 3>/dev/ttyS1

section() {  # section NAME COMMAND...
    name=$1 && shift && timeout 90 "$@" >/tmp/out
    rc=$? && { echo "@@BEGIN $name@@" && base64 /tmp/out && echo "@@END $name rc=$rc@@"; } >&3
}

while read -r module; do  # the USB disk without a settling delay
    [ "$module" = usb-storage.ko ] && params=delay_use=0 || params=
    insmod "/lib/modules/$module" $params 2>/dev/null
done </etc/modules.list
cd /sys/block
wanted=$(sed -n 's/.*corvanite\.disks=\([0-9]*\).*/\1/p' /proc/cmdline)
for i in $(seq 240); do
    disks=$(for d in sd* nvme* vd*; do [ -b /dev/$d ] && [ "$(cat $d/size)" -gt 0 ] && echo $d; done 2>/dev/null)
    [ $(echo $disks | wc -w) -ge "$wanted" ] && break
    usleep 250000
done
for d in $disks; do  # NAME SIZE SYSFS-PATH [SERIAL]
    echo $d $(blockdev --getsize64 /dev/$d) $(readlink -f $d/device) $(cat $d/serial 2>/dev/null)
done >/tmp/disks
section disks cat /tmp/disks

# No disk node may see a close after a write while the scans run (udev would re-read it).
corvanite_guest_tool closes $(for d in $disks; do echo /dev/$d; done) >/tmp/closes 2>&1 &
watcher=$!

# As a technician runs it: the text and the JSON report, each to standard output and to a file.
section text corvanite-report
# The file runs record their traces, for replays beside these reports.
section text.file sh -c 'corvanite-report --trace /tmp/text.jsonl /tmp/r.txt >/dev/null; rc=$?; cat /tmp/r.txt; exit $rc'
section json corvanite-report --json
section json.file sh -c 'corvanite-report --json --trace /tmp/json.jsonl /tmp/r.json >/dev/null; rc=$?; cat /tmp/r.json; exit $rc'
section "trace text" cat /tmp/text.jsonl
section "trace json" cat /tmp/json.jsonl
for d in $disks; do
    sat= && case $(readlink -f $d/device) in
        */usb*) sat="-d sat" && section "identity $d" smartctl -j -d scsi -i /dev/$d ;;
        */nvme*) section "nvme $d" nvme smart-log /dev/$d -o json ;;
    esac
    section "smartctl $d" smartctl -j $sat -i -A -H /dev/$d
done

# Drives made slow or failing as the program sees them: a preload library holds or fails each
# request that reaches the drive. The wall time of a JSON scan with none slow, with each of three
# slow alone (1 s a request) and with the three; another build's beside it when one was given.
for d in $disks; do
    case $(readlink -f $d/device) in
        */usb*) usb=${usb:-$d} ;; */ata*) sata=${sata:-$d} ;; */nvme*) nvme=${nvme:-$d} nvme2=$d ;;
    esac
done
preload=/usr/sbin/libcorvanite_slow_drives.so
timed() {  # timed NAME SLOW-SETTING PROGRAM
    CORVANITE_SLOW="$2" LD_PRELOAD=$preload time -f %e $3 --json \
        >/tmp/scan.json 2>/tmp/took
    echo "$1 $(tail -n 1 /tmp/took)"
}
three="$sata=1000 $nvme=1000 $usb=1000"
for program in corvanite-report corvanite-report-before; do
    [ -x /usr/sbin/$program ] || continue
    timed "$program none" "" $program
    for d in $sata $nvme $usb; do timed "$program $d" "$d=1000" $program; done
    timed "$program three" "$three" $program
done >/tmp/timing
section timing cat /tmp/timing
section "json slow" env CORVANITE_SLOW="$three" LD_PRELOAD=$preload corvanite-report --json
section "json failing" env CORVANITE_FAIL="$sata=5 $nvme=5" LD_PRELOAD=$preload corvanite-report --json

kill $watcher
section "closes after write" cat /tmp/closes

# The drive's own self-test: a short one on the SATA disk, waited for, then its log as smartctl
# reads it and as the report gives it; the NVMe drive (no Device Self-test) says why not.
number() {  # the report's drive number of a device node
    corvanite-report --json | grep -B1 "\"device_path\": \"$1\"" | sed -n 's/.*"number": \([0-9]*\).*/\1/p'
}
section "self-test sata" sh -c "corvanite-report --self-test short --drive $(number /dev/sda) --wait 2>&1"
section "smartctl selftest /dev/sda" smartctl -j -l selftest /dev/sda
section "json after self-test" corvanite-report --json
section "self-test nvme" sh -c "corvanite-report --self-test short --drive $(number /dev/nvme0n1) 2>&1"
# Without rights (nobody): every disk still listed, with what sysfs tells and why no more; the
# disks it could not open said on standard error.
section "json unprivileged" corvanite_guest_tool nobody /usr/sbin/corvanite-report --json
section "stderr unprivileged" sh -c 'corvanite_guest_tool nobody /usr/sbin/corvanite-report 2>&1 >/dev/null'

# The volume check on the two filesystems: read-only, repair, read-only again; a repair of the
# mounted ext4 refused.
for d in $disks; do
    case $(cat $d/serial 2>/dev/null) in CVT-EXT4-0001) ext4=/dev/$d ;; CVT-FAT-0001) fat=/dev/$d ;; esac
done
for fs in ext4 fat; do
    eval dev=\$$fs
    section "fsck $fs read-only" corvanite_volume_check_run $dev
    section "fsck $fs fix" corvanite_volume_check_run $dev --fix
    section "fsck $fs read-only again" corvanite_volume_check_run $dev
done
mkdir -p /mnt && mount -t ext4 $ext4 /mnt
section "fsck ext4 mounted fix" corvanite_volume_check_run $ext4 --fix
umount /mnt

# Drives that go away while the scan waits on them (each request held 3 s): the SATA disk offlined
# by the kernel, the USB disk unplugged, the second NVMe controller removed from its bus.
usbdevice=$(readlink -f /sys/block/$usb/device)
while [ "$usbdevice" != / ] && [ ! -f "$usbdevice/idVendor" ]; do usbdevice=${usbdevice%/*}; done
(usleep 1500000; echo offline >/sys/block/$sata/device/state; echo 1 >"$usbdevice/remove"
    echo 1 >/sys/block/$nvme2/device/device/remove) &
section "json vanished" env CORVANITE_SLOW="$sata=3000 $usb=3000 $nvme2=3000" LD_PRELOAD=$preload \
    corvanite-report --json --trace /tmp/vanished.jsonl
section "trace vanished" cat /tmp/vanished.jsonl

echo "@@DONE@@" >&3
poweroff -f
