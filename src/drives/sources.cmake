# drives: the drive record, identity, SMART and NVMe parsing, grading, the probe and the byte
# layouts of the requests; the device layer per platform.
set(CORVANITE_DRIVES_PORTABLE
    drives/drive_info.cpp
    drives/identity.cpp
    drives/sat.cpp
    drives/ata_identify.cpp
    drives/ata_smart.cpp
    drives/bridge.cpp
    drives/nvme_health.cpp
    drives/health.cpp
    drives/probe.cpp
    drives/device_error.cpp
    drives/win32_layout.cpp
    drives/linux_layout.cpp
    drives/volumes.cpp
    drives/self_test.cpp
    drives/self_test_device.cpp
    drives/trace.cpp
    drives/replay.cpp
)
set(CORVANITE_DRIVES_WIN32 drives/device_win32.cpp drives/volumes_win32.cpp)
set(CORVANITE_DRIVES_LINUX drives/device_linux.cpp drives/volumes_linux.cpp)
