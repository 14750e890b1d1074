// The real Linux drive layer over a prepared /sys/block and /dev: regular files stand in for
// the device nodes, so every pass-through and ioctl fails and the sysfs paths are exercised.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "drives/device_linux.h"
#include "drives/probe.h"
#include "text/utf.h"

namespace corvanite {
namespace {

std::u16string Utf16(const std::string& s) {
    return Utf8ToUtf16(s);
}

class DeviceLinuxTest : public ::testing::Test {
protected:
    void SetUp() override {
        char dirTemplate[] = "/tmp/cvXXXXXX";  // short: device paths hold 31 units
        ASSERT_NE(mkdtemp(dirTemplate), nullptr);
        root = dirTemplate;
        Mkdir(root + "/sys/block");
        Mkdir(root + "/dev");
        SetLinuxDriveRoots(root + "/sys/block", root + "/dev");
    }
    void TearDown() override {
        SetLinuxDriveRoots("/sys/block", "/dev");
        std::system(("rm -rf '" + root + "'").c_str());
    }

    static void Mkdir(const std::string& path) { std::system(("mkdir -p '" + path + "'").c_str()); }
    static void Write(const std::string& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }

    // A disk whose sysfs folder lives under devicePath, linked from /sys/block as sysfs does.
    std::string Disk(const std::string& name, const std::string& devicePath, bool node = true) {
        const std::string dir = root + "/sys/devices/" + devicePath + "/block/" + name;
        Mkdir(dir + "/device");
        EXPECT_EQ(symlink(dir.c_str(), (root + "/sys/block/" + name).c_str()), 0);
        if (node) {
            Write(root + "/dev/" + name, "");
        }
        return dir;
    }

    std::string root;
};

TEST_F(DeviceLinuxTest, ListsWholeDisksInNameOrder) {
    for (const char* name : {"sdb", "loop0", "sda", "nvme0n1", "dm-0", "sr0", "zram0", "sdaa"}) {
        Mkdir(root + "/sys/block/" + name);
    }
    const std::vector<std::string> expected = {"nvme0n1", "sda", "sdb", "sdaa"};
    EXPECT_EQ(ListProbedDisks(root + "/sys/block"), expected);
    for (int i = 0; i < 20; ++i) {
        Mkdir(root + "/sys/block/vd" + std::string(1, static_cast<char>('a' + i)));
    }
    EXPECT_EQ(ListProbedDisks(root + "/sys/block").size(), 16u);
    EXPECT_TRUE(ListProbedDisks(root + "/missing").empty());
}

TEST_F(DeviceLinuxTest, ProbeReadsSysfsIdentityAndSkipsNodesThatCannotOpen) {
    // SCSI disk on an ATA port whose IDENTIFY cannot pass (a regular file): sysfs texts.
    const std::string sda = Disk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0");
    Write(sda + "/device/vendor", "ATA     \n");
    Write(sda + "/device/model", "Samsung SSD 870 \n");
    Write(sda + "/device/rev", "2B6Q\n");
    Write(sda + "/device/vpd_pg80", std::string("\x00\x80\x00\x09  S5SVNF0", 13));
    // NVMe: model, serial and firmware from the controller, UTF-8.
    const std::string nvme = Disk("nvme0n1", "pci0000:00/0000:00:1d.0/nvme/nvme0");
    Write(nvme + "/device/model", "Caf\xC3\xA9 NVMe 1TB                  \n");
    Write(nvme + "/device/serial", "S64ANS0T123   \n");
    Write(nvme + "/device/firmware_rev", "3B2QGXA7\n");
    // USB stick: vendor and model, no VPD page.
    const std::string sdb =
        Disk("sdb", "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0");
    Write(sdb + "/device/vendor", "SanDisk \n");
    Write(sdb + "/device/model", "Ultra           \n");
    // virtio: only a serial.
    const std::string vda = Disk("vda", "pci0000:00/0000:00:04.0/virtio1");
    Write(vda + "/serial", "VIRTIO-SERIAL\n");
    // A disk whose node is missing is skipped; the ones after it are still listed.
    Disk("sdc", "pci0000:00/0000:00:1f.2/ata2/host1/target1:0:0/1:0:0:0", false);

    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 4u);

    EXPECT_EQ(drives[0].devicePath.view(), Utf16(root + "/dev/nvme0n1"));
    EXPECT_EQ(drives[0].driveNumber, 0);
    EXPECT_EQ(drives[0].model, u"Caf\u00E9 NVMe 1TB");
    EXPECT_EQ(drives[0].serial, u"S64ANS0T123");
    EXPECT_EQ(drives[0].firmware, u"3B2QGXA7");
    EXPECT_EQ(drives[0].busName, u"NVMe");
    EXPECT_EQ(drives[0].mediaType, MEDIA_NVME);

    EXPECT_EQ(drives[1].devicePath.view(), Utf16(root + "/dev/sda"));
    EXPECT_EQ(drives[1].model, u"ATA Samsung SSD 870");
    EXPECT_EQ(drives[1].serial, u"  S5SVNF0");
    EXPECT_EQ(drives[1].firmware, u"2B6Q");
    EXPECT_EQ(drives[1].busName, u"SATA");
    EXPECT_EQ(drives[1].mediaType, MEDIA_SSD);

    EXPECT_EQ(drives[2].driveNumber, 2);
    EXPECT_EQ(drives[2].model, u"SanDisk Ultra");
    EXPECT_TRUE(drives[2].serial.empty());
    EXPECT_EQ(drives[2].busName, u"USB");
    EXPECT_EQ(drives[2].mediaType, MEDIA_UNKNOWN);

    EXPECT_EQ(drives[3].driveNumber, 4);  // sdc (number 3) could not be opened
    EXPECT_EQ(drives[3].model, u"");
    EXPECT_EQ(drives[3].serial, u"VIRTIO-SERIAL");
    EXPECT_EQ(drives[3].busName, u"Bus0E");

    // A regular file takes neither SG_IO nor the NVMe admin ioctl: ENOTTY, in words.
    EXPECT_EQ(drives[0].errorText, u"NVMe health log refused by the driver (error 25)");
    EXPECT_EQ(drives[1].errorText,
              u"SMART read refused by the driver (error 25): behind a USB bridge or RAID "
              u"controller");
    for (const DriveInfo& d : drives) {
        EXPECT_EQ(d.sizeBytes, 0u);  // a regular file answers no block-size query
        EXPECT_FALSE(d.smartAvailable);
        EXPECT_EQ(d.health, HEALTH_UNKNOWN);
    }
}

TEST_F(DeviceLinuxTest, OverlongSysfsTextsAreReadBoundedAndCut) {
    const std::string sda = Disk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0");
    Write(sda + "/device/model", std::string(100000, 'M'));
    Write(sda + "/device/rev", std::string("\xFF\xFE"
                                           "01",
                                           4));
    const std::vector<DriveInfo> drives = ProbeAllDrives();
    ASSERT_EQ(drives.size(), 1u);
    EXPECT_EQ(drives[0].model.view(), std::u16string(63, u'M'));
    EXPECT_EQ(drives[0].firmware, u"\uFFFD\uFFFD01");
}

}  // namespace
}  // namespace corvanite
