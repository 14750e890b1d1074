#include <gtest/gtest.h>

#include "drives/identity.h"

namespace corvanite {
namespace {

DriveInfo Apply(std::u16string vendor, std::u16string product, uint32_t bus,
                std::u16string serial = u"", std::u16string revision = u"") {
    DriveIdentity id;
    id.vendor = std::move(vendor);
    id.product = std::move(product);
    id.serial = std::move(serial);
    id.revision = std::move(revision);
    id.busType = bus;
    DriveInfo d = StartDriveRecord(0);
    ApplyDriveIdentity(id, d);
    return d;
}

TEST(Identity, JoiningVendorAndProduct) {
    // No vendor: the product alone, trailing blank removed.
    DriveInfo d = Apply(u"", u"Samsung SSD 870 EVO 1TB ", 11);
    EXPECT_EQ(d.model, u"Samsung SSD 870 EVO 1TB");
    EXPECT_EQ(d.busName, u"SATA");
    EXPECT_EQ(d.mediaType, MEDIA_SSD);
    // A vendor padded to eight characters: one blank between.
    d = Apply(u"ATA     ", u"ST2000DM008-2FR102", 3);
    EXPECT_EQ(d.model, u"ATA ST2000DM008-2FR102");
    EXPECT_EQ(d.mediaType, MEDIA_HDD);
    // A vendor without a product keeps the joining blank; neither gives an empty model.
    EXPECT_EQ(Apply(u"WDC ", u"", 11).model, u"WDC ");
    EXPECT_EQ(Apply(u"", u"", 11).model, u"");
    EXPECT_EQ(Apply(u"   ", u"   ", 11).model, u"");
    // Leading blanks stay.
    EXPECT_EQ(Apply(u"", u"  Disk", 11).model, u"  Disk");
}

TEST(Identity, SerialAndFirmwareTrimmedAtTheEndOnly) {
    const DriveInfo d = Apply(u"", u"Disk", 11, u" WD-WCC4N1234567    ", u"80.00A80 ");
    EXPECT_EQ(d.serial, u" WD-WCC4N1234567");
    EXPECT_EQ(d.firmware, u"80.00A80");
}

TEST(Identity, OverlongTextsAreCutToTheirFields) {
    const std::u16string long70(70, u'V');
    DriveInfo d = Apply(long70, long70, 11, long70, long70);
    // The vendor is cut to 63, joined with the product cut to 63, and the result cut to 63.
    EXPECT_EQ(d.model.view(), std::u16string(63, u'V'));
    EXPECT_EQ(d.serial.size(), 39u);
    EXPECT_EQ(d.firmware.size(), 15u);
    // A text cut at the field's end is trimmed after the cut.
    d = Apply(u"", std::u16string(62, u'P') + u"  tail", 11);
    EXPECT_EQ(d.model.view(), std::u16string(62, u'P'));
}

TEST(Identity, BusTable) {
    struct Case {
        uint32_t bus;
        const char16_t* word;
        MediaType media;
    };
    const Case cases[] = {
        {3, u"SATA", MEDIA_HDD},
        {11, u"SATA", MEDIA_HDD},
        {7, u"USB", MEDIA_UNKNOWN},
        {10, u"SAS", MEDIA_HDD},
        {15, u"Virtual", MEDIA_UNKNOWN},
        {16, u"Spaces", MEDIA_UNKNOWN},
        {17, u"NVMe", MEDIA_NVME},
        {0, u"Bus00", MEDIA_UNKNOWN},
        {1, u"Bus01", MEDIA_UNKNOWN},
        {0x12, u"Bus12", MEDIA_UNKNOWN},
        {14, u"Bus0E", MEDIA_UNKNOWN},
        {0x1FF, u"Bus1FF", MEDIA_UNKNOWN},
        {0xFFFFFFFF, u"BusFFFFFFFF", MEDIA_UNKNOWN},
    };
    for (const Case& c : cases) {
        const DriveInfo d = Apply(u"", u"Plain Disk", c.bus);
        EXPECT_EQ(d.busName, c.word) << c.bus;
        EXPECT_EQ(d.mediaType, c.media) << c.bus;
    }
}

TEST(Identity, SolidStateTestOnlyForAtaBuses) {
    EXPECT_EQ(Apply(u"", u"KINGSTON SA400S37240G SSD", 11).mediaType, MEDIA_SSD);
    EXPECT_EQ(Apply(u"", u"Crucial solid state", 11).mediaType, MEDIA_SSD);
    EXPECT_EQ(Apply(u"", u"Intel ssdsc2kw512g8", 3).mediaType, MEDIA_SSD);
    EXPECT_EQ(Apply(u"SSD", u"", 11).mediaType, MEDIA_SSD);  // vendor counts too
    EXPECT_EQ(Apply(u"", u"S S D", 11).mediaType, MEDIA_HDD);
    EXPECT_EQ(Apply(u"", u"Solidigm P41", 11).mediaType, MEDIA_SSD);  // SOLIDIGM holds SOLID
    EXPECT_EQ(Apply(u"", u"USB SSD", 7).mediaType, MEDIA_UNKNOWN);
    EXPECT_EQ(Apply(u"", u"SSD", 10).mediaType, MEDIA_HDD);
    // Upper-casing the way the system does it: long s and dotless i.
    EXPECT_EQ(Apply(u"", u"s\u017Fd", 11).mediaType, MEDIA_SSD);
    EXPECT_EQ(Apply(u"", u"sol\u0131d", 11).mediaType, MEDIA_SSD);
    // The model itself is not upper-cased.
    EXPECT_EQ(Apply(u"", u"my ssd", 11).model, u"my ssd");
}

}  // namespace
}  // namespace corvanite
