#!/bin/busybox sh
# The guest's init for tests/system/qemu_drives.sh. Loads the storage modules, waits (bounded)
# for the disks, runs corvanite-report and the peers (smartctl, nvme-cli) and writes everything to
# the second serial port between markers:
#   @@BEGIN NAME@@ ... @@END NAME rc=STATUS ms=MILLISECONDS@@
# then "@@DONE@@", and powers the machine off. Every command is bounded by `timeout`.
/bin/busybox mkdir -p /bin /sbin /usr/bin /usr/sbin
/bin/busybox --install -s /bin
export PATH=/usr/sbin:/usr/bin:/sbin:/bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp

stty -F /dev/ttyS1 raw -echo 2>/dev/null
exec 3>/dev/ttyS1

# Centiseconds since boot (the shell reads it without starting a process).
now_cs() {
    read -r up _ </proc/uptime
    echo "${up%.*}${up#*.}"
}

# section NAME COMMAND...: runs the command (at most 90 s), its output and exit status to port 3.
section() {
    name=$1
    shift
    echo "@@BEGIN $name@@" >&3
    t0=$(now_cs)
    timeout 90 "$@" >/tmp/section.out 2>&1
    rc=$?
    t1=$(now_cs)
    cat /tmp/section.out >&3
    # The output may lack its last line end: the end marker always starts a line of its own.
    echo >&3
    echo "@@END $name rc=$rc ms=$(( (t1 - t0) * 10 ))@@" >&3
}

finish() {
    echo "@@DONE@@" >&3
    sync
    poweroff -f
    sleep 5
    echo o >/proc/sysrq-trigger
}

echo "@@BEGIN guest@@" >&3
uname -r >&3
cat /proc/uptime >&3
echo "@@END guest rc=0 ms=0@@" >&3

echo "@@BEGIN modules@@" >&3
while read -r module; do
    case $module in
        usb-storage.ko) params="delay_use=0" ;;  # no settling delay before the USB disk appears
        *) params="" ;;
    esac
    if ! insmod "/lib/modules/$module" $params 2>/tmp/insmod.err; then
        # Already loaded or not for this processor (a crc accelerator): reported, not fatal.
        echo "insmod $module: $(cat /tmp/insmod.err)" >&3
    fi
done </etc/modules.list
echo "@@END modules rc=0 ms=0@@" >&3

# Waits at most 60 s for the disks the host gave (corvanite.disks=N on the kernel's command
# line), each with a size and its device node.
wanted=5
for word in $(cat /proc/cmdline); do
    case $word in corvanite.disks=*) wanted=${word#corvanite.disks=} ;; esac
done
disks=""
t0=$(now_cs)
i=0
while [ $i -lt 240 ]; do
    disks=""
    count=0
    for b in /sys/block/*; do
        d=${b##*/}
        case $d in loop*|ram*|zram*|dm-*|md*|sr*|fd*|nbd*) continue ;; esac
        read -r sectors <"$b/size" 2>/dev/null || sectors=0
        [ "$sectors" -gt 0 ] 2>/dev/null && [ -b "/dev/$d" ] || continue
        disks="$disks $d"
        count=$((count + 1))
    done
    [ $count -ge $wanted ] && break
    usleep 250000
    i=$((i + 1))
done
t1=$(now_cs)
echo "@@BEGIN disks@@" >&3
for d in $disks; do
    # NAME SECTORS SYSFS-DEVICE-PATH
    echo "$d $(cat /sys/block/$d/size) $(readlink -f /sys/block/$d/device)" >&3
done
echo "@@END disks rc=0 ms=$(( (t1 - t0) * 10 ))@@" >&3

# corvanite-report first, as a technician would start it on a fresh boot: standard output,
# then the report file.
section report.stdout sh -c 'corvanite-report >/tmp/report.out 2>/tmp/report.err; rc=$?; cat /tmp/report.out; exit $rc'
section report.stdout.b64 base64 /tmp/report.out
section report.stderr cat /tmp/report.err
section report.file sh -c 'rm -f /tmp/r.txt; corvanite-report /tmp/r.txt; rc=$?; ls -l /tmp/r.txt; exit $rc'
section report.file.b64 base64 /tmp/r.txt
# The JSON report, to standard output and to a file (compared on the host by compare_json.py).
section report.json sh -c 'corvanite-report --json >/tmp/report.json 2>/tmp/report.json.err; rc=$?; cat /tmp/report.json.err; exit $rc'
section report.json.b64 base64 /tmp/report.json
section report.json.file sh -c 'rm -f /tmp/r.json; corvanite-report --json /tmp/r.json; rc=$?; ls -l /tmp/r.json; exit $rc'
section report.json.file.b64 base64 /tmp/r.json

for d in $disks; do
    path=$(readlink -f /sys/block/$d/device)
    section "blockdev $d" blockdev --getsize64 "/dev/$d"
    # smartctl's own JSON, as it picks the device type; through SAT for the USB disk.
    section "smartctl-json $d" smartctl -j -i -A -H "/dev/$d"
    case $path in
        */usb*)
            section "smartctl-json-sat $d" smartctl -j -d sat -i -A -H "/dev/$d"
            section "smartctl-json-scsi $d" smartctl -j -d scsi -i "/dev/$d"
            ;;
    esac
    case $path in
        */nvme*)
            section "nvme-id-ctrl $d" nvme id-ctrl "/dev/$d" -o json
            section "nvme-smart-log $d" nvme smart-log "/dev/$d"
            section "nvme-smart-log-json $d" nvme smart-log "/dev/$d" -o json
            section "smartctl-nvme $d" smartctl -i -A -H "/dev/$d"
            ;;
        */virtio*)
            section "sysfs-serial $d" cat "/sys/block/$d/serial"
            section "smartctl $d" smartctl -i -A -H "/dev/$d"
            ;;
        */usb*)
            section "sysfs-scsi $d" sh -c "cd /sys/block/$d/device && for f in vendor model rev; do echo \"\$f=\$(cat \$f)\"; done; echo vpd pages: \$(ls -d vpd_pg* 2>/dev/null)"
            # As smartctl chooses the device type itself, then through SAT, then as plain SCSI.
            section "smartctl $d" smartctl -i -A -H -v N,raw48 "/dev/$d"
            section "smartctl-sat $d" smartctl -d sat -i -A -H -v N,raw48 "/dev/$d"
            section "smartctl-scsi $d" smartctl -d scsi -i "/dev/$d"
            ;;
        *)
            section "smartctl $d" smartctl -i -A -H -v N,raw48 "/dev/$d"
            ;;
    esac
done

# The times beside corvanite-report's: the peers' attribute reads alone.
for d in $disks; do
    path=$(readlink -f /sys/block/$d/device)
    case $path in
        */nvme*) section "time nvme-smart-log $d" nvme smart-log "/dev/$d" ;;
        */virtio*) ;;
        *) section "time smartctl-A $d" smartctl -A "/dev/$d" ;;
    esac
done
section "time corvanite-report" sh -c 'corvanite-report >/dev/null'

finish
