// The portable request and reply layouts of win32_layout.h against the SDK's own structures:
// where the parsers read each reply member, and each request family built both ways.
#include <windows.h>
#include <winioctl.h>
// After winioctl.h: nvme.h uses its types.
#include <nvme.h>

#include <ntddscsi.h>  // after windows.h, whose types it uses

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#include "drives/self_test.h"
#include "drives/win32_layout.h"

namespace corvanite::win32 {
namespace {

// What device_win32.cpp sends, and the texts of Identify Controller.
static_assert(IOCTL_STORAGE_QUERY_PROPERTY_CODE == IOCTL_STORAGE_QUERY_PROPERTY);
static_assert(IOCTL_DISK_GET_DRIVE_GEOMETRY_EX_CODE == IOCTL_DISK_GET_DRIVE_GEOMETRY_EX);
static_assert(SMART_SEND_DRIVE_COMMAND_CODE == SMART_SEND_DRIVE_COMMAND);
static_assert(SMART_RCV_DRIVE_DATA_CODE == SMART_RCV_DRIVE_DATA);
static_assert(IOCTL_SCSI_PASS_THROUGH_CODE == IOCTL_SCSI_PASS_THROUGH);
static_assert(IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS_CODE == IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS);

// The disk extents reply as the SDK lays it out (the parser's rule is a table on every platform).
static_assert(offsetof(VOLUME_DISK_EXTENTS, Extents) == VOLUME_FIRST_EXTENT_AT);
static_assert(sizeof(DISK_EXTENT) == DISK_EXTENT_SIZE && offsetof(DISK_EXTENT, DiskNumber) == 0);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, VendorIdOffset) == DESCRIPTOR_VENDOR_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductIdOffset) == DESCRIPTOR_PRODUCT_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, ProductRevisionOffset) ==
              DESCRIPTOR_REVISION_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, SerialNumberOffset) ==
              DESCRIPTOR_SERIAL_OFFSET_AT);
static_assert(offsetof(STORAGE_DEVICE_DESCRIPTOR, BusType) == DESCRIPTOR_BUS_TYPE_AT);
static_assert(GEOMETRY_REPLY_SIZE == sizeof(DISK_GEOMETRY_EX));
static_assert(offsetof(DISK_GEOMETRY_EX, DiskSize) == GEOMETRY_DISK_SIZE_AT);
static_assert(SMART_PAGE_REPLY_SIZE == sizeof(SENDCMDOUTPARAMS) + READ_ATTRIBUTE_BUFFER_SIZE);
static_assert(offsetof(SENDCMDOUTPARAMS, DriverStatus) + offsetof(DRIVERSTATUS, bDriverError) ==
              SMART_REPLY_DRIVER_ERROR_AT);
static_assert(offsetof(SENDCMDOUTPARAMS, bBuffer) == SMART_REPLY_PAGE_AT);
static_assert(offsetof(STORAGE_PROTOCOL_DATA_DESCRIPTOR, ProtocolSpecificData) ==
              NVME_REPLY_PROTOCOL_DATA_AT);
static_assert(NVME_REPLY_PROTOCOL_DATA_AT +
                  offsetof(STORAGE_PROTOCOL_SPECIFIC_DATA, ProtocolDataOffset) ==
              NVME_REPLY_DATA_OFFSET_AT);
static_assert(NVME_IDENTIFY_REPLY_SIZE ==
              sizeof(STORAGE_PROTOCOL_DATA_DESCRIPTOR) + sizeof(NVME_IDENTIFY_CONTROLLER_DATA));
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, SN) == NVME_IDENTIFY_SERIAL_AT);
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, MN) == NVME_IDENTIFY_MODEL_AT);
static_assert(offsetof(NVME_IDENTIFY_CONTROLLER_DATA, FR) == NVME_IDENTIFY_FIRMWARE_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, ScsiStatus) == SPT_SCSI_STATUS_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, SenseInfoLength) == SPT_SENSE_LENGTH_AT);
static_assert(offsetof(SCSI_PASS_THROUGH, DataTransferLength) == SPT_DATA_LENGTH_AT);

template <typename T>
std::vector<uint8_t> BytesOf(const T& value, size_t size = sizeof(T)) {
    std::vector<uint8_t> bytes(size, 0);
    std::memcpy(bytes.data(), &value, std::min(size, sizeof(T)));
    return bytes;
}

TEST(Win32Structs, RequestsMatchTheSdkStructures) {
    STORAGE_PROPERTY_QUERY query = {};
    query.PropertyId = StorageDeviceProperty;
    query.QueryType = PropertyStandardQuery;
    EXPECT_EQ(BytesOf(DescriptorQuery()), BytesOf(query));

    // SMART: even and odd drive/head, each feature; the request leaves out bBuffer.
    for (const int drive : {0, 1, 2}) {
        for (const BYTE feature : {READ_ATTRIBUTES, READ_THRESHOLDS, ENABLE_SMART}) {
            SENDCMDINPARAMS in = {};
            const bool readsPage = feature != ENABLE_SMART;
            in.cBufferSize = readsPage ? READ_ATTRIBUTE_BUFFER_SIZE : 0;
            in.irDriveRegs = {feature,      readsPage,
                              readsPage,    SMART_CYL_LOW,
                              SMART_CYL_HI, static_cast<BYTE>(0xA0 | ((drive & 1) << 4)),
                              SMART_CMD,    0};
            in.bDriveNumber = static_cast<BYTE>(drive);
            EXPECT_EQ(BytesOf(SmartCommand(drive, feature)), BytesOf(in, SMART_COMMAND_SIZE))
                << drive << " " << int{feature};
        }
    }

    // The self-test's SMART commands as SENDCMDINPARAMS: EXECUTE OFF-LINE IMMEDIATE (short, on an
    // odd drive) and READ LOG of the self-test log (one sector).
    for (const bool log : {false, true}) {
        SENDCMDINPARAMS in = {};
        in.cBufferSize = log ? READ_ATTRIBUTE_BUFFER_SIZE : 0;
        in.irDriveRegs = {static_cast<BYTE>(log ? 0xD5 : EXECUTE_OFFLINE_DIAGS),
                          log,
                          static_cast<BYTE>(log ? 0x06 : SMART_SHORT_SELFTEST_OFFLINE),
                          SMART_CYL_LOW,
                          SMART_CYL_HI,
                          0xB0,
                          SMART_CMD,
                          0};
        in.bDriveNumber = 1;
        const ata::AtaRegisters registers =
            log ? ata::ReadLogRegisters(1, ata::SELF_TEST_LOG_ADDRESS)
                : ata::ExecuteOfflineRegisters(1, ata::OfflineSubcommand(SELF_TEST_SHORT));
        EXPECT_EQ(BytesOf(SmartCommandFor(1, registers)), BytesOf(in, SMART_COMMAND_SIZE)) << log;
    }

    // NVMe: the protocol data in AdditionalParameters, the data asked for right after it.
    struct NvmeCase {
        std::array<uint8_t, NVME_QUERY_SIZE> ours;
        STORAGE_PROPERTY_ID property;
        DWORD dataType, requestValue, length;
    } const nvmeCases[] = {
        {NvmeHealthQuery(), StorageDeviceProtocolSpecificProperty, NVMeDataTypeLogPage,
         NVME_LOG_PAGE_HEALTH_INFO, 512},
        {NvmeHealthQuery(STORAGE_ADAPTER_PROTOCOL_SPECIFIC_PROPERTY),
         StorageAdapterProtocolSpecificProperty, NVMeDataTypeLogPage, NVME_LOG_PAGE_HEALTH_INFO,
         512},
        {NvmeIdentifyControllerQuery(), StorageAdapterProtocolSpecificProperty,
         NVMeDataTypeIdentify, NVME_IDENTIFY_CNS_CONTROLLER, sizeof(NVME_IDENTIFY_CONTROLLER_DATA)},
        {NvmeLogQuery(nvme::LOG_DEVICE_SELF_TEST, sizeof(NVME_DEVICE_SELF_TEST_LOG)),
         StorageDeviceProtocolSpecificProperty, NVMeDataTypeLogPage, NVME_LOG_PAGE_DEVICE_SELF_TEST,
         sizeof(NVME_DEVICE_SELF_TEST_LOG)},
    };
    for (const NvmeCase& c : nvmeCases) {
        query.PropertyId = c.property;
        STORAGE_PROTOCOL_SPECIFIC_DATA data = {};
        data.ProtocolType = ProtocolTypeNvme;
        data.DataType = c.dataType;
        data.ProtocolDataRequestValue = c.requestValue;
        data.ProtocolDataOffset = sizeof data;
        data.ProtocolDataLength = c.length;
        std::vector<uint8_t> sdk =
            BytesOf(query, offsetof(STORAGE_PROPERTY_QUERY, AdditionalParameters));
        const std::vector<uint8_t> tail = BytesOf(data);
        sdk.insert(sdk.end(), tail.begin(), tail.end());
        sdk.resize(sizeof query + sizeof data);  // the query's own size, then the data
        EXPECT_EQ(BytesOf(c.ours), sdk) << c.property << " " << c.dataType;
    }

    // SCSI pass-through of both block lengths: data in after the structure, sense after the data.
    for (const size_t length : {ata::CDB16, ata::CDB12}) {
        const ata::CommandBlock cdb =
            ata::AtaPassThroughCdb(ata::SmartRegisters(1, READ_ATTRIBUTES), true, length);
        SCSI_PASS_THROUGH sdk = {};
        sdk.Length = sizeof sdk;
        sdk.CdbLength = static_cast<UCHAR>(length);
        sdk.SenseInfoLength = ata::SENSE_BUFFER_SIZE;
        sdk.DataIn = SCSI_IOCTL_DATA_IN;
        sdk.DataTransferLength = READ_ATTRIBUTE_BUFFER_SIZE;
        sdk.TimeOutValue = 60;
        sdk.DataBufferOffset = sizeof sdk;
        sdk.SenseInfoOffset = sizeof sdk + READ_ATTRIBUTE_BUFFER_SIZE;
        std::memcpy(sdk.Cdb, cdb.bytes.data(), length);
        const ScsiPassThroughBuffer ours =
            ScsiPassThroughRequest(cdb.bytes.data(), cdb.length, 512);
        EXPECT_EQ(std::vector<uint8_t>(ours.begin(), ours.begin() + sizeof sdk), BytesOf(sdk));
        EXPECT_EQ(ours.size(), sdk.SenseInfoOffset + ata::SENSE_BUFFER_SIZE);
    }
}

// Device Self-test through IOCTL_STORAGE_PROTOCOL_COMMAND: the header as winioctl.h of the
// Windows 10 SDK declares STORAGE_PROTOCOL_COMMAND (mingw-w64 has only the code), the command as
// nvme.h's NVME_COMMAND; and the pages the drive answers, built with nvme.h's structures.
struct SdkStorageProtocolCommand {  // winioctl.h, field for field
    DWORD Version, Length;
    STORAGE_PROTOCOL_TYPE ProtocolType;
    DWORD Flags, ReturnStatus, ErrorCode, CommandLength, ErrorInfoLength,
        DataToDeviceTransferLength, DataFromDeviceTransferLength, TimeOutValue, ErrorInfoOffset,
        DataToDeviceBufferOffset, DataFromDeviceBufferOffset, CommandSpecific, Reserved0,
        FixedProtocolReturnData, FixedProtocolReturnData2, Reserved1[2];
    BYTE Command[ANYSIZE_ARRAY];
};
static_assert(IOCTL_STORAGE_PROTOCOL_COMMAND_CODE == IOCTL_STORAGE_PROTOCOL_COMMAND);
static_assert(offsetof(SdkStorageProtocolCommand, Command) == PROTOCOL_COMMAND_HEADER_SIZE);
static_assert(sizeof(SdkStorageProtocolCommand) == PROTOCOL_COMMAND_STRUCT_SIZE);
static_assert(offsetof(SdkStorageProtocolCommand, ReturnStatus) ==
              PROTOCOL_COMMAND_RETURN_STATUS_AT);
static_assert(sizeof(NVME_COMMAND) == NVME_COMMAND_SIZE);
static_assert(sizeof(NVME_DEVICE_SELF_TEST_LOG) == nvme::SELF_TEST_LOG_SIZE);

TEST(Win32Structs, SelfTestAsTheSdkLaysItOut) {
    SdkStorageProtocolCommand header = {};
    header.Version = 1;  // STORAGE_PROTOCOL_STRUCTURE_VERSION
    header.Length = sizeof header;
    header.ProtocolType = ProtocolTypeNvme;
    header.Flags = 0x80000000;  // STORAGE_PROTOCOL_COMMAND_FLAG_ADAPTER_REQUEST
    header.CommandLength = sizeof(NVME_COMMAND);
    header.TimeOutValue = 60;
    header.CommandSpecific = 1;  // STORAGE_PROTOCOL_SPECIFIC_NVME_ADMIN_COMMAND
    NVME_COMMAND command = {};
    command.CDW0.OPC = NVME_ADMIN_COMMAND_DEVICE_SELF_TEST;
    command.NSID = 0xFFFFFFFF;
    command.u.GENERAL.CDW10 = 2;  // extended
    std::vector<uint8_t> sdk = BytesOf(header, PROTOCOL_COMMAND_HEADER_SIZE);
    const std::vector<uint8_t> tail = BytesOf(command);
    sdk.insert(sdk.end(), tail.begin(), tail.end());
    const auto ours = NvmeSelfTestCommand(nvme::SelfTestCode(SELF_TEST_EXTENDED));
    EXPECT_EQ(std::vector<uint8_t>(ours.begin(), ours.end()), sdk);

    NVME_IDENTIFY_CONTROLLER_DATA controller = {};
    controller.OACS.DeviceSelfTest = 1;
    controller.EDSTT = 47;
    const SelfTestState able = nvme::SelfTestFromIdentify(BytesOf(controller).data());
    EXPECT_TRUE(able.supported);
    EXPECT_EQ(able.extendedMinutes, 47);
    controller.OACS.DeviceSelfTest = 0;
    controller.OACS.NamespaceCommands = controller.OACS.Directives = 1;  // the bits beside it
    EXPECT_FALSE(nvme::SelfTestFromIdentify(BytesOf(controller).data()).supported);

    NVME_DEVICE_SELF_TEST_LOG log = {};
    log.CurrentOperation.Status = 1;
    log.CurrentCompletion.CompletePercent = 73;
    for (NVME_DEVICE_SELF_TEST_RESULT_DATA& entry : log.ResultData) {
        entry.Status.Result = 0xF;  // unused
    }
    log.ResultData[0] = {{7, 2}, 3, {0, 1, 0, 0, 0}, 0, 4321, 0, 0x123456789AULL, {0, 0}, 0, 0};
    log.ResultData[1] = {{0, 1}, 0, {0, 0, 0, 0, 0}, 0, 4000, 0, 0, {0, 0}, 0, 0};
    SelfTestState state;
    nvme::ParseSelfTestLog(BytesOf(log).data(), state);
    EXPECT_TRUE(state.running);
    EXPECT_EQ(state.runningKind, SELF_TEST_SHORT);
    EXPECT_EQ(state.percentDone, 73);
    ASSERT_EQ(state.log.size(), 2u);
    EXPECT_EQ(state.log[0].kind, SELF_TEST_EXTENDED);
    EXPECT_EQ(state.log[0].outcome, SELF_TEST_FAILED);
    EXPECT_EQ(state.log[0].segment, 3);
    EXPECT_EQ(state.log[0].powerOnHours, 4321u);
    EXPECT_TRUE(state.log[0].lbaValid);
    EXPECT_EQ(state.log[0].failingLba, 0x123456789AULL);
    EXPECT_EQ(state.log[1].kind, SELF_TEST_SHORT);
    EXPECT_EQ(state.log[1].outcome, SELF_TEST_PASSED);
    EXPECT_FALSE(state.log[1].lbaValid);
}

}  // namespace
}  // namespace corvanite::win32
