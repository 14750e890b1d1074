#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "drives/identity.h"
#include "drives/linux_layout.h"
#include "test_data.h"

namespace corvanite::linux_layout {
namespace {

using namespace ata;  // the ATA PASS-THROUGH rules the Linux layer sends its commands by

TEST(LinuxLayout, WhichBlockDevicesAreProbed) {
    for (const char* name : {"sda", "sdaa", "nvme0n1", "vda", "hda", "mmcblk0", "xvda", "mdisk"}) {
        EXPECT_EQ(IsProbedDiskName(name), std::string_view(name) != "mdisk") << name;
    }
    for (const char* name :
         {"loop0", "ram0", "zram0", "dm-0", "md0", "md127", "sr0", "fd0", "nbd0", "", ".", ".."}) {
        EXPECT_FALSE(IsProbedDiskName(name)) << name;
    }
}

TEST(LinuxLayout, KernelNameOrder) {
    std::vector<std::string> names = {"sdb", "nvme10n1", "sdaa",     "vda", "nvme2n1", "sda",
                                      "sdz", "nvme0n2",  "nvme0n10", "hda", "mmcblk1", "mmcblk0"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return DiskNameLess(a, b); });
    const std::vector<std::string> expected = {"hda",      "mmcblk0", "mmcblk1",  "nvme0n2",
                                               "nvme0n10", "nvme2n1", "nvme10n1", "sda",
                                               "sdb",      "sdz",     "sdaa",     "vda"};
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(DiskNameLess("sda", "sda"));
}

TEST(LinuxLayout, BusCodeFromTheDevicePath) {
    struct Case {
        const char* path;
        uint32_t bus;
    };
    const Case cases[] = {
        {"/sys/devices/pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda", 11},
        {"/sys/devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/"
         "sdb",
         7},
        {"/sys/devices/pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0/nvme0n1", 17},
        {"/sys/devices/virtual/nvme-subsystem/nvme-subsys0/nvme0n1", 17},
        {"/sys/devices/pci0000:00/0000:00:04.0/virtio1/block/vda", 14},
        {"/sys/devices/pci0000:00/0000:00:03.0/0000:02:00.0/host0/port-0:0/end_device-0:0/"
         "target0:0:0/0:0:0:0/block/sda",
         10},
        {"/sys/devices/platform/host2/session1/target2:0:0/2:0:0:0/block/sdc", 1},
        {"/sys/devices/platform/data/block/mmcblk0", 1},  // "data" is not an ATA port
        {"/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host3/ata7/block/sdd", 7},
        {"", 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(BusCodeFromSysfsPath(c.path), c.bus) << c.path;
    }
}

TEST(LinuxLayout, AtaPassThroughBlocksCarryTheRegisters) {
    using Cdb = std::array<uint8_t, 16>;
    const auto cdb = [](const AtaRegisters& r, bool dataIn, size_t length) {
        return AtaPassThroughCdb(r, dataIn, length).bytes;
    };
    // (16), PIO data-in of one sector: READ DATA, drive 0.
    EXPECT_EQ(cdb(SmartRegisters(0, 0xD0), true, 16),
              (Cdb{0x85, 0x08, 0x0E, 0, 0xD0, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
    // READ THRESHOLDS on an odd drive number: drive/head 0xB0.
    EXPECT_EQ(cdb(SmartRegisters(1, 0xD1), true, 16),
              (Cdb{0x85, 0x08, 0x0E, 0, 0xD1, 0, 1, 0, 1, 0, 0x4F, 0, 0xC2, 0xB0, 0xB0, 0}));
    // ENABLE OPERATIONS: non-data, count and sector number 0.
    EXPECT_EQ(cdb(SmartRegisters(2, 0xD8), false, 16),
              (Cdb{0x85, 0x06, 0x00, 0, 0xD8, 0, 0, 0, 0, 0, 0x4F, 0, 0xC2, 0xA0, 0xB0, 0}));
    EXPECT_EQ(cdb(IdentifyRegisters(3), true, 16),
              (Cdb{0x85, 0x08, 0x0E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0xB0, 0xEC, 0}));
    // (12): the same registers one after another from byte 3 (SAT's A1h layout).
    EXPECT_EQ(cdb(SmartRegisters(1, 0xD1), true, 12),
              (Cdb{0xA1, 0x08, 0x0E, 0xD1, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0, 0, 0}));
}

TEST(LinuxLayout, PlainScsiCommands) {
    using Cdb6 = std::array<uint8_t, 6>;
    EXPECT_EQ(InquiryVpdCdb(0x80, 255), (Cdb6{0x12, 0x01, 0x80, 0x00, 0xFF, 0x00}));
    PassThroughOutcome o;
    o.ioctlSucceeded = true;
    o.residual = 200;  // a VPD page shorter than asked for is normal
    EXPECT_TRUE(ScsiCommandSucceeded(o));
    o.scsiStatus = 0x02;
    EXPECT_FALSE(ScsiCommandSucceeded(o));
    o.scsiStatus = 0;
    o.hostStatus = 1;
    EXPECT_FALSE(ScsiCommandSucceeded(o));
    o.hostStatus = 0;
    o.ioctlSucceeded = false;
    EXPECT_FALSE(ScsiCommandSucceeded(o));
}

TEST(LinuxLayout, PassThroughOutcome) {
    PassThroughOutcome ok;
    ok.ioctlSucceeded = true;
    EXPECT_TRUE(PassThroughSucceeded(ok));

    PassThroughOutcome o = ok;
    o.ioctlSucceeded = false;
    EXPECT_FALSE(PassThroughSucceeded(o));
    o = ok;
    o.hostStatus = 0x07;  // DID_ERROR
    EXPECT_FALSE(PassThroughSucceeded(o));
    o = ok;
    o.driverStatus = 0x08;  // DRIVER_SENSE alone
    EXPECT_TRUE(PassThroughSucceeded(o));
    o.driverStatus = 0x06;  // DRIVER_TIMEOUT
    EXPECT_FALSE(PassThroughSucceeded(o));
    o = ok;
    o.residual = 512;  // nothing transferred
    EXPECT_FALSE(PassThroughSucceeded(o));
    o = ok;
    o.scsiStatus = 0x08;  // BUSY
    EXPECT_FALSE(PassThroughSucceeded(o));

    // CHECK CONDITION, descriptor sense: RECOVERED ERROR with ATA status return, status 0x50.
    uint8_t descriptor[22] = {0x72, 0x01, 0x00, 0x1D, 0, 0, 0, 14, 0x09, 12, 0,
                              0x00, 0,    0,    0,    0, 0, 0, 0,  0,    0,  0x50};
    o = ok;
    o.scsiStatus = 0x02;
    o.sense = descriptor;
    o.senseLength = sizeof descriptor;
    EXPECT_EQ(AtaStatusFromSense(descriptor, sizeof descriptor), 0x50);
    EXPECT_TRUE(PassThroughSucceeded(o));
    descriptor[21] = 0x51;  // ERR
    EXPECT_FALSE(PassThroughSucceeded(o));
    descriptor[21] = 0x70;  // DF
    EXPECT_FALSE(PassThroughSucceeded(o));
    descriptor[21] = 0x50;
    descriptor[1] = 0x0B;  // ABORTED COMMAND
    EXPECT_FALSE(PassThroughSucceeded(o));
    descriptor[1] = 0x05;  // ILLEGAL REQUEST: the device does not know the command
    EXPECT_FALSE(PassThroughSucceeded(o));
    descriptor[1] = 0x01;
    o.senseLength = 15;  // the descriptor is cut short: no ATA status to trust
    EXPECT_FALSE(PassThroughSucceeded(o));
    // GOOD status with an ATA status of ERR in the sense data is still an error.
    o.senseLength = sizeof descriptor;
    o.scsiStatus = 0;
    descriptor[21] = 0x51;
    EXPECT_FALSE(PassThroughSucceeded(o));

    // Fixed format sense with ATA PASS-THROUGH information (00h/1Dh).
    uint8_t fixed[18] = {0x70, 0, 0x01, 0x00, 0x50, 0xA0, 0x01, 10, 0, 0, 0, 0, 0x00, 0x1D};
    EXPECT_EQ(AtaStatusFromSense(fixed, sizeof fixed), 0x50);
    o = ok;
    o.scsiStatus = 0x02;
    o.sense = fixed;
    o.senseLength = sizeof fixed;
    EXPECT_TRUE(PassThroughSucceeded(o));
    fixed[4] = 0x41;
    EXPECT_FALSE(PassThroughSucceeded(o));
    fixed[13] = 0x00;  // other information: no ATA status
    EXPECT_EQ(AtaStatusFromSense(fixed, sizeof fixed), -1);
    EXPECT_FALSE(PassThroughSucceeded(o));
    // A bogus descriptor length never reads past the sense bytes.
    uint8_t bogus[10] = {0x72, 0x01, 0, 0x1D, 0, 0, 0, 0xFF, 0x09, 0xFF};
    EXPECT_EQ(AtaStatusFromSense(bogus, sizeof bogus), -1);
    EXPECT_EQ(AtaStatusFromSense(nullptr, 0), -1);
}

TEST(LinuxLayout, IdentifyStringsOfRealDrives) {
    // Expected texts as the peer skdump reads them from the same pages (it trims both ends).
    struct Case {
        const char* file;
        const char16_t* model;
        const char16_t* serial;
        const char16_t* firmware;
    };
    const Case cases[] = {
        {"FUJITSU_MHY2120BH--0084000D", u"FUJITSU MHY2120BH", u"K434T81257SL", u"0084000D"},
        {"FUJITSU_MHY2250BH--0085000B", u"FUJITSU MHY2250BH", u"K432T81269H2", u"0085000B"},
        {"INTEL_SSDSA2CW120G3--4PC10302", u"INTEL SSDSA2CW120G3", u"CVPR109301UZ120LGN",
         u"4PC10302"},
        {"Maxtor_96147H8--BAC51KJ0--2", u"Maxtor 96147H8", u"N80BR8EC", u"BAC51KJ0"},
        {"SAMSUNG_HD501LJ--CR100-12", u"SAMSUNG HD501LJ", u"S0MUJ1NQ110060", u"CR100-12"},
        {"SAMSUNG_MMCQE28G8MUP--0VA_VAM08L1Q", u"SAMSUNG MMCQE28G8MUP-0VA", u"SE837A6888",
         u"VAM08L1Q"},
        {"ST320410A--3.39", u"ST320410A", u"5FB3QF34", u"3.39"},
        {"TOSHIBA_MK1651GSY--38IGT0G5T", u"TOSHIBA MK1651GSY", u"38IGT0G5T", u"LD001D"},
        {"WDC_WD2500JS-75NCB3--10.02E04", u"WDC WD2500JS-75NCB3", u"WD-WCANKH572006", u"10.02E04"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::vector<uint8_t> bytes =
            test::ReadTestFile(std::string("ata-smart/") + c.file + ".identify.bin");
        ASSERT_EQ(bytes.size(), 512u);
        uint8_t page[512];
        std::memcpy(page, bytes.data(), 512);
        EXPECT_TRUE(IdentifyPageIntact(page));
        DriveIdentity identity;
        identity.vendor = u"stale";
        IdentityFromIdentifyPage(page, identity);
        identity.busType = 11;
        DriveInfo drive = StartDriveRecord(0);
        ApplyDriveIdentity(identity, drive);
        EXPECT_TRUE(identity.vendor.empty());
        // Leading blanks of right-justified serials stay, as on Windows.
        const auto leadingTrimmed = [](std::u16string_view s) {
            return s.substr(std::min(s.find_first_not_of(u' '), s.size()));
        };
        EXPECT_EQ(drive.model, c.model);
        EXPECT_EQ(leadingTrimmed(drive.serial), c.serial);
        EXPECT_EQ(drive.firmware, c.firmware);
        EXPECT_EQ(drive.mediaType,
                  std::u16string_view(c.model).find(u"SSD") != std::u16string_view::npos
                      ? MEDIA_SSD
                      : MEDIA_HDD);
    }
}

TEST(LinuxLayout, IdentifyChecksumAndOddStrings) {
    uint8_t page[512] = {};
    // "AB" "CD" byte-swapped per word, then a NUL that ends the text early.
    page[54] = 'B';
    page[55] = 'A';
    page[56] = 'D';
    page[57] = 'C';
    page[59] = 'E';
    page[58] = 0;
    page[60] = 'X';
    EXPECT_EQ(AtaString(page, 27, 46), u"ABCDE");
    page[20] = 0xE9;  // a byte above ASCII reads as Latin-1
    page[21] = 'S';
    EXPECT_EQ(AtaString(page, 10, 10), u"S\u00E9");
    EXPECT_TRUE(IdentifyPageIntact(page));  // no signature: nothing to check
    page[510] = 0xA5;
    uint8_t sum = 0;
    for (int i = 0; i < 511; ++i) {
        sum = static_cast<uint8_t>(sum + page[i]);
    }
    page[511] = static_cast<uint8_t>(0x100 - sum);
    EXPECT_TRUE(IdentifyPageIntact(page));
    page[100] ^= 1;
    EXPECT_FALSE(IdentifyPageIntact(page));
}

TEST(LinuxLayout, VpdSerialSysfsValueAndNvmeDword) {
    const uint8_t vpd[] = {0x00, 0x80, 0x00, 0x08, 'Q', 'M', '0', '0', '0', '0', '1', ' '};
    EXPECT_EQ(UnitSerialFromVpd(vpd, sizeof vpd), "QM00001 ");
    const uint8_t longer[] = {0x00, 0x80, 0x00, 0x40, 'A', 'B'};  // claims more than it has
    EXPECT_EQ(UnitSerialFromVpd(longer, sizeof longer), "AB");
    const uint8_t withNul[] = {0x00, 0x80, 0x00, 0x04, 'A', 0, 'B', 'C'};
    EXPECT_EQ(UnitSerialFromVpd(withNul, sizeof withNul), "A");
    const uint8_t otherPage[] = {0x00, 0x83, 0x00, 0x02, 'A', 'B'};
    EXPECT_EQ(UnitSerialFromVpd(otherPage, sizeof otherPage), "");
    EXPECT_EQ(UnitSerialFromVpd(vpd, 3), "");

    EXPECT_EQ(SysfsValue("Samsung SSD 980 PRO 1TB                 \n"),
              "Samsung SSD 980 PRO 1TB                 ");
    EXPECT_EQ(SysfsValue("x\n\n"), "x\n");
    EXPECT_EQ(SysfsValue(""), "");

    // 512 bytes = 128 dwords: NUMDL 127, log 02h.
    EXPECT_EQ(NvmeGetLogPageDword10(0x02, 512), 0x007F0002u);
    EXPECT_EQ(NvmeGetLogPageDword10(0x01, 4096), 0x03FF0001u);
}

}  // namespace
}  // namespace corvanite::linux_layout
