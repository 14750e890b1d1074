#!/bin/busybox sh
# The guest's init for qemu_drives.sh: loads the storage modules, waits (at most 60 s) for the
# disks, runs corvanite-report and the peers, and writes each output to the second serial port as
#   @@BEGIN NAME@@ ... @@END NAME rc=STATUS ms=0@@
# then "@@DONE@@", and powers off. Every command is bounded by `timeout`.
/bin/busybox --install -s /bin
export PATH=/usr/sbin:/usr/bin:/bin
mount -t proc proc /proc && mount -t sysfs sysfs /sys && mount -t devtmpfs devtmpfs /dev
mount -t tmpfs tmpfs /tmp
stty -F /dev/ttyS1 raw -echo 2>/dev/null
exec 3>/dev/ttyS1

section() {  # section NAME COMMAND...
    echo "@@BEGIN $1@@" >&3
    name=$1 && shift
    timeout 90 "$@" >/tmp/out 2>&1
    rc=$?
    cat /tmp/out >&3 && echo >&3
    echo "@@END $name rc=$rc ms=0@@" >&3
}

while read -r module; do
    # No settling delay before the USB disk appears; a module for another processor is no fault.
    [ "$module" = usb-storage.ko ] && params=delay_use=0 || params=
    insmod "/lib/modules/$module" $params 2>/dev/null
done </etc/modules.list

wanted=$(sed -n 's/.*corvanite\.disks=\([0-9]*\).*/\1/p' /proc/cmdline)
for i in $(seq 240); do
    disks=$(cd /sys/block && for d in sd* nvme* vd*; do [ -b /dev/$d ] && [ "$(cat $d/size)" -gt 0 ] && echo $d; done 2>/dev/null)
    [ $(echo $disks | wc -w) -ge "${wanted:-5}" ] && break
    usleep 250000
done
echo "@@BEGIN disks@@" >&3
for d in $disks; do echo "$d $(cat /sys/block/$d/size) $(readlink -f /sys/block/$d/device)" >&3; done
echo "@@END disks rc=0 ms=0@@" >&3

# As a technician would start it on a fresh boot: the text report to standard output and to a
# file, then the JSON report likewise (the files and outputs travel base64-encoded).
section report.stdout sh -c 'corvanite-report >/tmp/report.txt'
section report.stdout.b64 base64 /tmp/report.txt
section report.file corvanite-report /tmp/r.txt
section report.file.b64 base64 /tmp/r.txt
section report.json sh -c 'corvanite-report --json >/tmp/report.json'
section report.json.b64 base64 /tmp/report.json
section report.json.file corvanite-report --json /tmp/r.json
section report.json.file.b64 base64 /tmp/r.json

for d in $disks; do
    path=$(readlink -f /sys/block/$d/device)
    section "blockdev $d" blockdev --getsize64 /dev/$d
    section "smartctl-json $d" smartctl -j -i -A -H /dev/$d
    case $path in
        */usb*)
            section "smartctl-json-sat $d" smartctl -j -d sat -i -A -H /dev/$d
            section "smartctl-json-scsi $d" smartctl -j -d scsi -i /dev/$d ;;
        */nvme*) section "nvme-smart-log-json $d" nvme smart-log /dev/$d -o json ;;
        */virtio*) section "sysfs-serial $d" cat /sys/block/$d/serial ;;
    esac
done
echo "@@DONE@@" >&3
sync
poweroff -f
