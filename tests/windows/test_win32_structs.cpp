// The portable request and reply layouts of win32_layout.h against the SDK's own structures:
// sizes and member offsets at compile time, then request bytes built both ways and replies laid
// out through the SDK structures and read back by the portable parsers.
#include <windows.h>
#include <winioctl.h>
// After winioctl.h: nvme.h uses its types.
#include <nvme.h>

#include <ntddscsi.h>  // after windows.h, whose types it uses

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <vector>

#include "drives/ata_passthrough.h"
#include "drives/device_access.h"
#include "drives/identity.h"
#include "drives/nvme_health.h"
#include "drives/win32_layout.h"

namespace corvanite::win32 {
namespace {

// Request codes.
static_assert(IOCTL_STORAGE_QUERY_PROPERTY_CODE ==
              static_cast<uint32_t>(IOCTL_STORAGE_QUERY_PROPERTY));
static_assert(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX_CODE ==
              static_cast<uint32_t>(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX));
static_assert(SMART_SEND_DRIVE_COMMAND_CODE == static_cast<uint32_t>(SMART_SEND_DRIVE_COMMAND));
static_assert(SMART_RCV_DRIVE_DATA_CODE == static_cast<uint32_t>(SMART_RCV_DRIVE_DATA));

// Storage descriptor query and reply.
static_assert(sizeof(STORAGE_PROPERTY_QUERY) == 12);
static_assert(DESCRIPTOR_QUERY_SIZE == sizeof(STORAGE_PROPERTY_QUERY));
static_assert(offsetof(STORAGE_PROPERTY_QUERY, QueryType) == 4);
static_assert(offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters) == 8);
static_assert(sizeof(STORAGE_DEVICE_DESCRIPTOR) == 40);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset) == DESCRIPTOR_VENDOR_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset) == DESCRIPTOR_PRODUCT_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset) ==
              DESCRIPTOR_REVISION_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset) ==
              DESCRIPTOR_SERIAL_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == DESCRIPTOR_BUS_TYPE_AT);
static_assert(sizeof(STORAGE_BUS_TYPE) == 4);
static_assert(DESCRIPTOR_REPLY_SIZE >= sizeof(STORAGE_DEVICE_DESCRIPTOR));
static_assert(StorageDeviceProperty == 0 && PropertyStandardQuery == 0);

// Geometry reply.
static_assert(offsetof(DISK_GEOMETRY_EX, DiskSize) == GEOMETRY_DISK_SIZE_AT);
static_assert(sizeof(LARGE_INTEGER) == 8);
static_assert(GEOMETRY_REPLY_SIZE == sizeof(DISK_GEOMETRY_EX));

// SMART command: SENDCMDINPARAMS is packed to 33 bytes; the request leaves out its one-byte
// bBuffer.
static_assert(sizeof(IDEREGS) == 8);
static_assert(offsetof(IDEREGS, bFeaturesReg) == 0);
static_assert(offsetof(IDEREGS, bSectorCountReg) == 1);
static_assert(offsetof(IDEREGS, bSectorNumberReg) == 2);
static_assert(offsetof(IDEREGS, bCylLowReg) == 3);
static_assert(offsetof(IDEREGS, bCylHighReg) == 4);
static_assert(offsetof(IDEREGS, bDriveHeadReg) == 5);
static_assert(offsetof(IDEREGS, bCommandReg) == 6);
static_assert(sizeof(SENDCMDINPARAMS) == 33);
static_assert(offsetof(SENDCMDINPARAMS, cBufferSize) == 0);
static_assert(offsetof(SENDCMDINPARAMS, irDriveRegs) == 4);
static_assert(offsetof(SENDCMDINPARAMS, bDriveNumber) == 12);
static_assert(offsetof(SENDCMDINPARAMS, bBuffer) == 32);
static_assert(SMART_COMMAND_SIZE == sizeof(SENDCMDINPARAMS) - 1);

// SMART replies: the driver status at 4, the page at 16; a page reply is the SDK structure plus
// the 512-byte page, 16 + 512 + 1 = 529.
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) == 4);
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bDriverError) ==
              SMART_REPLY_DRIVER_ERROR_AT);
static_assert(sizeof(DRIVERSTATUS) == 12);
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == SMART_REPLY_PAGE_AT);
static_assert(sizeof(SENDCMDOUTPARAMS) == 17);
static_assert(SMART_PAGE_REPLY_SIZE == sizeof(SENDCMDOUTPARAMS) + READ_ATTRIBUTE_BUFFER_SIZE);
static_assert(SMART_PAGE_REPLY_SIZE == sizeof(SENDCMDOUTPARAMS) + READ_THRESHOLD_BUFFER_SIZE);
static_assert(SMART_ENABLE_REPLY_SIZE >= sizeof(SENDCMDOUTPARAMS));

// NVMe health log query and reply.
static_assert(sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA) == 40);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, DataType) == 4);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestValue) == 8);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataRequestSubValue) == 12);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) == 16);
static_assert(offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataLength) == 20);
static_assert(NVME_QUERY_SIZE ==
              sizeof(STORAGE_PROPERTY_QUERY) + sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
static_assert(NVME_QUERY_SIZE == 52);
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) ==
              NVME_REPLY_PROTOCOL_DATA_AT);
static_assert(NVME_REPLY_PROTOCOL_DATA_AT == 8);
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) +
                  offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) ==
              NVME_REPLY_DATA_OFFSET_AT);
static_assert(NVME_REQUEST_DATA_OFFSET == sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA));
static_assert(NVME_REPLY_SIZE >=
              NVME_REPLY_PROTOCOL_DATA_AT + NVME_REQUEST_DATA_OFFSET + NVME_REQUEST_DATA_LENGTH);
static_assert(ProtocolTypeNvme == 3 && NVMeDataTypeLogPage == 2 && NVMeDataTypeIdentify == 1);
static_assert(StorageDeviceProtocolSpecificProperty == STORAGE_DEVICE_PROTOCOL_SPECIFIC_PROPERTY);
static_assert(StorageAdapterProtocolSpecificProperty == STORAGE_ADAPTER_PROTOCOL_SPECIFIC_PROPERTY);

// Identify Controller: the page and where its texts stand.
static_assert(sizeof(NVME_IDENTIFY_CONTROLLER_DATA) == NVME_IDENTIFY_PAGE_SIZE);
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, SN) == NVME_IDENTIFY_SERIAL_AT);
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, MN) == NVME_IDENTIFY_MODEL_AT);
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, FR) == NVME_IDENTIFY_FIRMWARE_AT);
static_assert(NVME_IDENTIFY_REPLY_SIZE ==
              sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR) + sizeof(NVME_IDENTIFY_CONTROLLER_DATA));
static_assert(NVME_IDENTIFY_CNS_CONTROLLER == 1);

// Bus codes named by the probe.
static_assert(BusTypeNvme == BUS_TYPE_NVME);
static_assert(BusTypeFileBackedVirtual == BUS_FILE_BACKED_VIRTUAL && BusTypeSpaces == BUS_SPACES);

// SCSI pass-through: SCSI_PASS_THROUGH (64-bit), its data and sense buffers placed after it.
static_assert(IOCTL_SCSI_PASS_THROUGH_CODE == static_cast<uint32_t>(IOCTL_SCSI_PASS_THROUGH));
static_assert(sizeof(SCSI_PASS_THROUGH) == SPT_HEADER_SIZE);
static_assert(offsetof(SCSI_PASS_THROUGH, ScsiStatus) == SPT_SCSI_STATUS_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, CdbLength) == SPT_CDB_LENGTH_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoLength) == SPT_SENSE_LENGTH_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, DataIn) == SPT_DATA_IN_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == SPT_DATA_LENGTH_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, TimeOutValue) == SPT_TIMEOUT_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, DataBufferOffset) == SPT_DATA_OFFSET_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoOffset) == SPT_SENSE_OFFSET_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, Cdb) == SPT_CDB_AT);

// The request as the SDK documents it, in a zero-filled buffer of the request's length.
template <size_t Size>
std::array<uint8_t, Size> SdkSmartCommand(int driveNumber, uint8_t feature) {
    SENDCMDINPARAMS in;
    std::memset(&in, 0, sizeof in);
    const bool readsPage = feature != ENABLE_SMART;
    in.cBufferSize = readsPage ? READ_ATTRIBUTE_BUFFER_SIZE : 0;
    in.irDriveRegs.bFeaturesReg = feature;
    in.irDriveRegs.bSectorCountReg = readsPage ? 1 : 0;
    in.irDriveRegs.bSectorNumberReg = readsPage ? 1 : 0;
    in.irDriveRegs.bCylLowReg = SMART_CYL_LOW;
    in.irDriveRegs.bCylHighReg = SMART_CYL_HI;
    in.irDriveRegs.bDriveHeadReg = static_cast<BYTE>(0xA0 | ((driveNumber & 1) << 4));
    in.irDriveRegs.bCommandReg = SMART_CMD;
    in.bDriveNumber = static_cast<BYTE>(driveNumber);
    std::array<uint8_t, Size> bytes = {};
    std::memcpy(bytes.data(), &in, Size);
    return bytes;
}

TEST(Win32Structs, RequestsMatchTheSdkStructures) {
    // Storage descriptor query.
    {
        STORAGE_PROPERTY_QUERY query;
        std::memset(&query, 0, sizeof query);
        query.PropertyId = StorageDeviceProperty;
        query.QueryType = PropertyStandardQuery;
        const auto ours = DescriptorQuery();
        ASSERT_EQ(ours.size(), sizeof query);
        EXPECT_EQ(std::memcmp(ours.data(), &query, sizeof query), 0);
    }

    // SMART commands for three drive numbers (even and odd drive/head) and the three features.
    for (const int drive : {0, 1, 2}) {
        for (const uint8_t feature :
             {uint8_t{READ_ATTRIBUTES}, uint8_t{READ_THRESHOLDS}, uint8_t{ENABLE_SMART}}) {
            SCOPED_TRACE(testing::Message()
                         << "drive " << drive << " feature 0x" << std::hex << int{feature});
            const auto sdk = SdkSmartCommand<SMART_COMMAND_SIZE>(drive, feature);
            const auto ours = SmartCommand(drive, feature);
            EXPECT_EQ(std::memcmp(ours.data(), sdk.data(), SMART_COMMAND_SIZE), 0);
            // A few bytes spelled out, so a failure shows which register moved.
            EXPECT_EQ(ours[1], feature == ENABLE_SMART ? 0x00 : 0x02);  // 512 = 0x0200
            EXPECT_EQ(ours[4], feature);
            EXPECT_EQ(ours[9], drive == 1 ? 0xB0 : 0xA0);
            EXPECT_EQ(ours[10], 0xB0);
            EXPECT_EQ(ours[12], drive);
        }
    }

    // NVMe queries: STORAGE_PROPERTY_QUERY with the protocol data in its AdditionalParameters,
    // the data asked for right after it. The health log at offset 0 (the sub-value is the low
    // dword of the log offset) with the 512 bytes Windows asks for at least, to the device and
    // to the adapter; Identify Controller to the adapter.
    struct NvmeCase {
        std::array<uint8_t, NVME_QUERY_SIZE> ours;
        STORAGE_PROPERTY_ID property;
        DWORD dataType;
        DWORD requestValue;
        DWORD length;
    };
    const NvmeCase nvmeCases[] = {
        {NvmeHealthQuery(), StorageDeviceProtocolSpecificProperty, NVMeDataTypeLogPage,
         NVME_LOG_PAGE_HEALTH_INFO, 512},
        {NvmeHealthQuery(STORAGE_ADAPTER_PROTOCOL_SPECIFIC_PROPERTY),
         StorageAdapterProtocolSpecificProperty, NVMeDataTypeLogPage, NVME_LOG_PAGE_HEALTH_INFO,
         512},
        {NvmeIdentifyControllerQuery(), StorageAdapterProtocolSpecificProperty,
         NVMeDataTypeIdentify, NVME_IDENTIFY_CNS_CONTROLLER, sizeof(NVME_IDENTIFY_CONTROLLER_DATA)},
    };
    for (const NvmeCase& c : nvmeCases) {
        uint8_t sdk[sizeof(STORAGE_PROPERTY_QUERY) + sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA)] = {};
        STORAGE_PROPERTY_QUERY query;
        std::memset(&query, 0, sizeof query);
        query.PropertyId = c.property;
        query.QueryType = PropertyStandardQuery;
        std::memcpy(sdk, &query, sizeof query);
        STORAGE_PROTOCOL_SPECIFIC_DATA data;
        std::memset(&data, 0, sizeof data);
        data.ProtocolType = ProtocolTypeNvme;
        data.DataType = c.dataType;
        data.ProtocolDataRequestValue = c.requestValue;
        data.ProtocolDataRequestSubValue = 0;
        data.ProtocolDataOffset = sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);
        data.ProtocolDataLength = c.length;
        std::memcpy(sdk + offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters), &data,
                    sizeof data);
        ASSERT_EQ(c.ours.size(), sizeof sdk);
        EXPECT_EQ(std::memcmp(c.ours.data(), sdk, sizeof sdk), 0)
            << c.property << " " << c.dataType;
    }
}

TEST(Win32Structs, ScsiPassThroughBuiltBothWaysAndItsReply) {
    for (const size_t length : {ata::CDB16, ata::CDB12}) {
        const ata::CommandBlock cdb =
            ata::AtaPassThroughCdb(ata::SmartRegisters(1, READ_ATTRIBUTES), true, length);
        SCSI_PASS_THROUGH sdk;
        std::memset(&sdk, 0, sizeof sdk);
        sdk.Length = sizeof sdk;
        sdk.CdbLength = static_cast<UCHAR>(length);
        sdk.SenseInfoLength = ata::SENSE_BUFFER_SIZE;
        sdk.DataIn = SCSI_IOCTL_DATA_IN;
        sdk.DataTransferLength = READ_ATTRIBUTE_BUFFER_SIZE;
        sdk.TimeOutValue = 60;
        sdk.DataBufferOffset = sizeof sdk;
        sdk.SenseInfoOffset = sizeof sdk + READ_ATTRIBUTE_BUFFER_SIZE;
        std::memcpy(sdk.Cdb, cdb.bytes.data(), length);
        ScsiPassThroughBuffer ours = ScsiPassThroughRequest(cdb.bytes.data(), cdb.length, 512);
        EXPECT_EQ(std::memcmp(ours.data(), &sdk, sizeof sdk), 0) << length;
        EXPECT_EQ(ours.size(), sdk.SenseInfoOffset + ata::SENSE_BUFFER_SIZE);

        // The reply in the same buffer: all 512 bytes and GOOD status complete the command; a
        // short transfer or ILLEGAL REQUEST (the bridge does not know the block) does not.
        sdk.DataTransferLength = 512;
        std::memcpy(ours.data(), &sdk, sizeof sdk);
        EXPECT_TRUE(ata::PassThroughSucceeded(ScsiPassThroughOutcome(ours, true, 512)));
        sdk.DataTransferLength = 0;
        std::memcpy(ours.data(), &sdk, sizeof sdk);
        EXPECT_FALSE(ata::PassThroughSucceeded(ScsiPassThroughOutcome(ours, true, 512)));
        sdk.DataTransferLength = 512;
        sdk.ScsiStatus = 0x02;  // CHECK CONDITION, fixed sense: ILLEGAL REQUEST, 20h/00h
        sdk.SenseInfoLength = 18;
        const uint8_t sense[18] = {0x70, 0, 0x05, 0, 0, 0, 0, 10, 0, 0, 0, 0, 0x20};
        std::memcpy(ours.data(), &sdk, sizeof sdk);
        std::memcpy(ours.data() + sdk.SenseInfoOffset, sense, sizeof sense);
        const ata::PassThroughOutcome refused = ScsiPassThroughOutcome(ours, true, 512);
        EXPECT_EQ(refused.sense[12] + refused.senseLength, 0x20 + 18u);
        EXPECT_FALSE(ata::PassThroughSucceeded(refused));
    }
}

TEST(Win32Structs, RepliesLaidOutBySdkStructuresParse) {
    // Storage descriptor with its texts after the 40-byte structure.
    {
        std::vector<uint8_t> reply(DESCRIPTOR_REPLY_SIZE, 0);
        const char vendor[] = "ATA     ";
        const char product[] = "Samsung SSD 860 EVO 500GB";
        const char revision[] = "RVT04B6Q";
        const char serial[] = "S3Z2NB0K123456A";
        STORAGE_DEVICE_DESCRIPTOR header;
        std::memset(&header, 0, sizeof header);
        DWORD at = sizeof header;
        auto place = [&](const char* text, size_t length) {
            const DWORD offset = at;
            std::memcpy(reply.data() + offset, text, length + 1);
            at += static_cast<DWORD>(length + 1);
            return offset;
        };
        header.Version = sizeof header;
        header.VendorIdOffset = place(vendor, sizeof vendor - 1);
        header.ProductIdOffset = place(product, sizeof product - 1);
        header.ProductRevisionOffset = place(revision, sizeof revision - 1);
        header.SerialNumberOffset = place(serial, sizeof serial - 1);
        header.BusType = BusTypeSata;
        header.Size = at;
        std::memcpy(reply.data(), &header, sizeof header);

        const DescriptorTexts texts = ParseDescriptorReply(reply.data(), reply.size(), at);
        EXPECT_EQ(texts.vendor, vendor);
        EXPECT_EQ(texts.product, product);
        EXPECT_EQ(texts.revision, revision);
        EXPECT_EQ(texts.serial, serial);
        EXPECT_EQ(texts.busType, 11u);

        // Texts past the returned count are not read: cut the reply before the serial.
        const DescriptorTexts cut =
            ParseDescriptorReply(reply.data(), reply.size(), header.SerialNumberOffset);
        EXPECT_EQ(cut.revision, revision);
        EXPECT_TRUE(cut.serial.empty());
    }

    // Geometry: DiskSize read from its LARGE_INTEGER.
    {
        DISK_GEOMETRY_EX geometry;
        std::memset(&geometry, 0, sizeof geometry);
        geometry.Geometry.Cylinders.QuadPart = 60801;
        geometry.Geometry.BytesPerSector = 512;
        geometry.DiskSize.QuadPart = 0x0000'0074'70C0'6000LL;  // 500107862016 bytes
        uint8_t reply[GEOMETRY_REPLY_SIZE] = {};
        std::memcpy(reply, &geometry, sizeof reply);
        EXPECT_EQ(GeometryDiskSize(reply), 500107862016u);
    }

    // SMART page reply: the page follows the driver status; a driver error rejects it.
    {
        SENDCMDOUTPARAMS header;
        std::memset(&header, 0, sizeof header);
        header.cBufferSize = READ_ATTRIBUTE_BUFFER_SIZE;
        uint8_t reply[SMART_PAGE_REPLY_SIZE] = {};
        std::memcpy(reply, &header, offsetof(SENDCMDOUTPARAMS, bBuffer));
        for (size_t i = 0; i < READ_ATTRIBUTE_BUFFER_SIZE; ++i) {
            reply[offsetof(SENDCMDOUTPARAMS, bBuffer) + i] = static_cast<uint8_t>(i * 7 + 3);
        }
        uint8_t page[SMART_PAGE_SIZE] = {};
        ASSERT_TRUE(SmartReplyPage(reply, page));
        EXPECT_EQ(std::memcmp(page, reply + offsetof(SENDCMDOUTPARAMS, bBuffer), sizeof page), 0);
        EXPECT_EQ(page[0], 3);
        EXPECT_EQ(page[511], static_cast<uint8_t>(511 * 7 + 3));

        // The driver's own error byte alone decides, whatever the drive's error register says.
        header.DriverStatus.bDriverError = SMART_IDE_ERROR;
        std::memcpy(reply, &header, offsetof(SENDCMDOUTPARAMS, bBuffer));
        EXPECT_FALSE(SmartReplyPage(reply, page));
    }

    // NVMe reply: STORAGE_PROTOCOL_DATA_DESCRIPTOR, the log at 8 + ProtocolDataOffset.
    {
        STORAGE_PROTOCOL_DATA_DESCRIPTOR header;
        std::memset(&header, 0, sizeof header);
        header.Version = sizeof header;
        header.Size = sizeof header;
        header.ProtocolSpecificData.ProtocolType = ProtocolTypeNvme;
        header.ProtocolSpecificData.DataType = NVMeDataTypeLogPage;
        header.ProtocolSpecificData.ProtocolDataRequestValue = 2;
        header.ProtocolSpecificData.ProtocolDataOffset = sizeof(STORAGE_PROTOCOL_SPECIFIC_DATA);
        header.ProtocolSpecificData.ProtocolDataLength = 512;
        uint8_t reply[NVME_REPLY_SIZE] = {};
        std::memcpy(reply, &header, sizeof header);
        const size_t logAt = offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) +
                             header.ProtocolSpecificData.ProtocolDataOffset;
        ASSERT_EQ(logAt, 48u);
        for (size_t i = logAt; i < sizeof reply; ++i) {
            reply[i] = static_cast<uint8_t>(i - logAt + 1);
        }
        uint8_t page[NVME_LOG_PAGE_SIZE] = {};
        ASSERT_TRUE(LocateNvmeLogPage(reply, page));
        EXPECT_EQ(std::memcmp(page, reply + logAt, sizeof page), 0);

        // A driver that puts the log further out: the last offset whose health fields still
        // fit gives them, with the bytes past the reply zero; one more and the page is refused.
        const uint32_t lastFitting = static_cast<uint32_t>(
            NVME_REPLY_SIZE - NVME_REPLY_PROTOCOL_DATA_AT - NVME_LOG_BYTES_READ);
        header.ProtocolSpecificData.ProtocolDataOffset = lastFitting;
        std::memcpy(reply, &header, sizeof header);
        ASSERT_TRUE(LocateNvmeLogPage(reply, page));
        const size_t farAt = NVME_REPLY_PROTOCOL_DATA_AT + lastFitting;
        EXPECT_EQ(std::memcmp(page, reply + farAt, NVME_LOG_BYTES_READ), 0);
        for (size_t i = NVME_LOG_BYTES_READ; i < sizeof page; ++i) {
            ASSERT_EQ(page[i], 0) << "byte " << i;
        }
        header.ProtocolSpecificData.ProtocolDataOffset = lastFitting + 1;
        std::memcpy(reply, &header, sizeof header);
        EXPECT_FALSE(LocateNvmeLogPage(reply, page));
    }
}

}  // namespace
}  // namespace corvanite::win32
