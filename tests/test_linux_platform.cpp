// The real Linux layers: the drive layer over a prepared /sys/block and /dev (regular files stand
// in for the device nodes, so every ioctl fails with ENOTTY), and the report file.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <tuple>

#include "drives/device_linux_testing.h"
#include "drives/probe.h"
#include "drives/volumes.h"
#include "report/report_file.h"
#include "test_data.h"
#include "text/utf.h"

namespace corvanite {
namespace {

namespace fs = std::filesystem;

struct LinuxPlatform : ::testing::Test {
    void SetUp() override {
        char dir[] = "/tmp/cvXXXXXX";  // short: device paths hold 31 units
        ASSERT_NE(mkdtemp(dir), nullptr);
        root = dir;
        fs::create_directories(root + "/sys/block");
        fs::create_directories(root + "/dev");
        SetLinuxDriveRoots(root + "/sys/block", root + "/dev");
    }
    void TearDown() override {
        SetLinuxDriveRoots("/sys/block", "/dev");
        fs::remove_all(root);
    }
    // A disk under devicePath, linked from /sys/block as sysfs does, with its files (name, text,
    // name, text, ... relative to the disk's folder) and a node under /dev when node is set.
    void Disk(const std::string& name, const std::string& devicePath, bool node,
              std::initializer_list<std::string> files) {
        const std::string dir = root + "/sys/devices/" + devicePath + "/block/" + name;
        fs::create_directories(dir + "/device");
        fs::create_directory_symlink(dir, root + "/sys/block/" + name);
        for (auto file = files.begin(); file != files.end(); file += 2) {
            std::ofstream(dir + "/" + *file, std::ios::binary) << file[1];
        }
        if (node) {
            std::ofstream(root + "/dev/" + name) << "";
        }
    }
    std::string root;
};

TEST_F(LinuxPlatform, ProbeReadsSysfsInNameOrderAndSkipsNodesThatCannotOpen) {
    const std::string ata = "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0";
    Disk("sda", ata, true,
         {"device/vendor", "ATA     \n", "device/model", "Samsung SSD 870 \n", "device/rev",
          "2B6Q\n", "device/vpd_pg80", std::string("\x00\x80\x00\x09  S5SVNF0", 13)});
    Disk("nvme0n1", "pci0000:00/0000:00:1d.0/nvme/nvme0", true,
         {"device/model", "Caf\xC3\xA9 NVMe 1TB      \n", "device/serial", "S64ANS0T123   \n",
          "device/firmware_rev", "3B2QGXA7\n"});
    Disk("sdb", "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0", true,
         {"device/vendor", "SanDisk \n", "device/model", std::string(100000, 'M'), "device/rev",
          std::string("\xFF\xFE") + "01"});
    Disk("vda", "pci0000:00/0000:00:04.0/virtio1", true, {"serial", "VIRTIO-SERIAL\n"});
    Disk("sdc", ata, false, {});  // no node: skipped, the ones after it still listed
    for (const char* other : {"loop0", "dm-0", "sr0"}) {
        fs::create_directory(root + "/sys/block/" + other);
    }
    std::string got;
    for (const DriveInfo& d : ProbeAllDrives()) {
        for (const std::u16string_view field :
             {d.devicePath.view().substr(root.size()), d.model.view().substr(0, 20),
              d.serial.view(), d.firmware.view(), d.busName.view(), MediaWord(d.mediaType),
              HealthWord(d.health), d.errorText.view()}) {
            got += Utf16ToUtf8(field) + "|";
        }
        got += std::to_string(d.driveNumber) + " " + std::to_string(d.sizeBytes) + " model of " +
               std::to_string(d.model.size()) + "\n";  // a 100000-byte attribute read bounded
    }
    test::CheckGolden("linux-probe-golden.txt", got);
}

TEST_F(LinuxPlatform, ReportFileWritesReplacesAndTellsWhyNot) {
    const std::string path = root + "/r\xC3\xA9port \xE6\x97\xA5.txt";
    std::u16string reason;
    ASSERT_TRUE(WriteReportFile(Utf8ToUtf16(path),
                                "\xEF\xBB\xBFline\r\n" + std::string(300000, 'x'), reason));
    ASSERT_TRUE(WriteReportFile(Utf8ToUtf16(path), "short", reason));
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "short");
    EXPECT_FALSE(WriteReportFile(Utf8ToUtf16(root + "/missing/r.txt"), "x", reason));
    EXPECT_EQ(Utf16ToUtf8(reason), "No such file or directory");
    EXPECT_FALSE(WriteReportFile(Utf8ToUtf16(root), "x", reason));
    // /dev/full takes the open and fails every write; the node is not replaced.
    if (access("/dev/full", W_OK) == 0) {
        EXPECT_FALSE(WriteReportFile(u"/dev/full", "report", reason));
        EXPECT_EQ(Utf16ToUtf8(reason), "No space left on device");
        EXPECT_EQ(access("/dev/full", W_OK), 0);
    }
}

// The filesystems of a prepared machine: images made by the system's own mkfs as device nodes,
// partitions inside their disk's sysfs folder, a node that cannot be read described by the udev
// database, a mount point with a blank, and what is no filesystem or no disk of the list left out.
TEST_F(LinuxPlatform, VolumesListedFromTheirOwnSuperblocks) {
    const std::string block = root + "/sys/class/block", dev = root + "/dev";
    fs::create_directories(block);
    fs::create_directories(root + "/udev");
    // name, its disk's, device number, sectors, how its node $n is made ("" none)
    const std::tuple<std::string, std::string, std::string, std::string, std::string> nodes[] = {
        {"sdc", "", "8:32", "81920", "mkfs.vfat -F 32 -n CVT32 -C $n 40960"},
        {"sdb2", "sdb", "8:18", "4096", "mkfs.vfat -n CVTFAT -C $n 2048"},
        {"sdb1", "sdb", "8:17", "16384", "truncate -s 8M $n && mkfs.ext4 -q -F -L 'cvt data' $n"},
        {"sdb", "", "8:16", "32768", "truncate -s 1M $n"},
        {"sdd1", "sdd", "8:49", "100", ""},
        {"loop0", "", "7:0", "16384", "mkfs.vfat -n LOOP -C $n 2048"},
    };
    for (const auto& [name, disk, number, sectors, make] : nodes) {
        const std::string folder =
            root + "/sys/devices/pci/" + (disk.empty() ? name : disk + "/" + name);
        fs::create_directories(folder);
        std::ofstream(folder + "/dev") << number << "\n";
        std::ofstream(folder + "/size") << sectors << "\n";
        if (!disk.empty()) {
            std::ofstream(folder + "/partition") << "1\n";
        }
        fs::create_directory_symlink(folder, block + "/" + name);
        const std::string command = "n=" + dev + "/" + name + "; " + make + " >/dev/null 2>&1";
        if (!make.empty() && std::system(command.c_str()) != 0) {
            GTEST_SKIP() << "cannot run: " << command;
        }
    }
    std::ofstream(root + "/udev/b8:49")
        << "E:ID_FS_TYPE=xfs\nE:ID_FS_USAGE=filesystem\nE:ID_FS_LABEL=logs\n";
    std::ofstream(root + "/mountinfo") << "36 29 8:17 / /mnt/my\\040data rw - ext4 /dev/sdb1 rw\n";
    SetLinuxVolumeRoots(block, dev, root + "/mountinfo", root + "/udev");
    const VolumeList list = SystemVolumeAccess().listVolumes();
    SetLinuxVolumeRoots("/sys/class/block", "/dev", "/proc/self/mountinfo", "/run/udev/data");
    std::string seen;
    for (const VolumeInfo& v : list.volumes) {
        seen += Utf16ToUtf8(v.name.substr(dev.size())) + " " + Utf16ToUtf8(v.fileSystem) + " [" +
                Utf16ToUtf8(v.label) + "] " + std::to_string(v.sizeBytes) + " on " +
                Utf16ToUtf8(v.diskPaths.at(0).substr(dev.size())) + " [" +
                Utf16ToUtf8(v.mountPoint) + "]\n";
    }
    EXPECT_TRUE(list.known);
    EXPECT_FALSE(list.letters);
    EXPECT_EQ(seen,
              "/sdb1 ext4 [cvt data] 8388608 on /sdb [/mnt/my data]\n"
              "/sdb2 vfat [CVTFAT] 2097152 on /sdb []\n"
              "/sdc vfat [CVT32] 41943040 on /sdc []\n"
              "/sdd1 xfs [logs] 51200 on /sdd []\n");
}

}  // namespace
}  // namespace corvanite
