#include "drives/win32_layout.h"

#include <algorithm>
#include <cstring>

#include "drives/byte_order.h"
#include "drives/device_error.h"
#include "drives/nvme_health.h"
#include "drives/self_test.h"

namespace corvanite::win32 {
namespace {

uint32_t Read32(const uint8_t* bytes) {
    return static_cast<uint32_t>(ReadLittleEndian(bytes, 4));
}

void Write32(uint8_t* bytes, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

std::string_view TextAt(const uint8_t* reply, size_t limit, size_t offsetField) {
    const uint32_t offset = Read32(reply + offsetField);
    if (offset == 0 || offset >= limit) {
        return {};
    }
    const char* start = reinterpret_cast<const char*>(reply + offset);
    const size_t room = limit - offset;
    const void* nul = std::memchr(start, 0, room);
    const size_t length =
        nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - start) : room;
    return {start, length};
}

// STORAGE_PROPERTY_QUERY.PropertyId values.
constexpr uint32_t STORAGE_DEVICE_PROPERTY = 0;
// STORAGE_PROTOCOL_SPECIFIC_DATA values.
constexpr uint32_t PROTOCOL_TYPE_NVME = 3;
constexpr uint32_t NVME_DATA_TYPE_IDENTIFY = 1;
constexpr uint32_t NVME_DATA_TYPE_LOG_PAGE = 2;
constexpr uint32_t NVME_LOG_PAGE_HEALTH_INFO = 2;
constexpr uint32_t NVME_IDENTIFY_CNS_CONTROLLER = 1;

// STORAGE_PROPERTY_QUERY (PropertyStandardQuery) carrying a STORAGE_PROTOCOL_SPECIFIC_DATA whose
// data is asked for right after it. The sub-value is 0: for a log page Windows passes it to the
// drive as the low dword of the log offset.
std::array<uint8_t, NVME_QUERY_SIZE> ProtocolQuery(uint32_t propertyId, uint32_t dataType,
                                                   uint32_t requestValue, uint32_t dataLength) {
    std::array<uint8_t, NVME_QUERY_SIZE> query = {};
    Write32(query.data(), propertyId);
    uint8_t* data = query.data() + 8;
    Write32(data, PROTOCOL_TYPE_NVME);
    Write32(data + 4, dataType);
    Write32(data + 8, requestValue);
    Write32(data + 16, NVME_REQUEST_DATA_OFFSET);
    Write32(data + 20, dataLength);
    return query;
}

// An ASCII field of the Identify page, up to its first NUL.
std::string_view IdentifyText(const uint8_t* page, size_t at, size_t length) {
    const char* start = reinterpret_cast<const char*>(page + at);
    const void* nul = std::memchr(start, 0, length);
    return {start,
            nul != nullptr ? static_cast<size_t>(static_cast<const char*>(nul) - start) : length};
}

bool AllBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

}  // namespace

std::array<uint8_t, DESCRIPTOR_QUERY_SIZE> DescriptorQuery() {
    std::array<uint8_t, DESCRIPTOR_QUERY_SIZE> query = {};
    Write32(query.data(), STORAGE_DEVICE_PROPERTY);  // QueryType 0: PropertyStandardQuery
    return query;
}

DescriptorTexts ParseDescriptorReply(const uint8_t* reply, size_t replySize,
                                     uint32_t bytesReturned) {
    DescriptorTexts texts;
    if (replySize < DESCRIPTOR_BUS_TYPE_AT + 4) {
        return texts;
    }
    const size_t limit = std::min<size_t>(bytesReturned, replySize);
    texts.vendor = TextAt(reply, limit, DESCRIPTOR_VENDOR_OFFSET_AT);
    texts.product = TextAt(reply, limit, DESCRIPTOR_PRODUCT_OFFSET_AT);
    texts.serial = TextAt(reply, limit, DESCRIPTOR_SERIAL_OFFSET_AT);
    texts.revision = TextAt(reply, limit, DESCRIPTOR_REVISION_OFFSET_AT);
    texts.busType = Read32(reply + DESCRIPTOR_BUS_TYPE_AT);
    return texts;
}

uint64_t GeometryDiskSize(const uint8_t (&reply)[GEOMETRY_REPLY_SIZE]) {
    return ReadLittleEndian(reply + GEOMETRY_DISK_SIZE_AT, 8);
}

std::array<uint8_t, SMART_COMMAND_SIZE> SmartCommand(int driveNumber, uint8_t feature) {
    return SmartCommandFor(driveNumber, ata::SmartRegisters(driveNumber, feature));
}

std::array<uint8_t, SMART_COMMAND_SIZE> SmartCommandFor(int driveNumber,
                                                        const ata::AtaRegisters& r) {
    std::array<uint8_t, SMART_COMMAND_SIZE> command = {};
    // cBufferSize: the sectors the command reads.
    Write32(command.data(), static_cast<uint32_t>(r.count * SMART_PAGE_SIZE));
    uint8_t* regs = command.data() + 4;               // IDEREGS
    regs[0] = r.feature;                              // bFeaturesReg
    regs[1] = r.count;                                // bSectorCountReg
    regs[2] = r.sectorNumber;                         // bSectorNumberReg
    regs[3] = r.cylinderLow;                          // bCylLowReg
    regs[4] = r.cylinderHigh;                         // bCylHighReg
    regs[5] = r.driveHead;                            // bDriveHeadReg
    regs[6] = r.command;                              // bCommandReg
    command[12] = static_cast<uint8_t>(driveNumber);  // bDriveNumber
    return command;
}

bool SmartReplyPage(const uint8_t (&reply)[SMART_PAGE_REPLY_SIZE],
                    uint8_t (&page)[SMART_PAGE_SIZE]) {
    if (reply[SMART_REPLY_DRIVER_ERROR_AT] != 0) {
        return false;
    }
    std::memcpy(page, reply + SMART_REPLY_PAGE_AT, SMART_PAGE_SIZE);
    return true;
}

std::array<uint8_t, NVME_QUERY_SIZE> NvmeHealthQuery(uint32_t propertyId) {
    return ProtocolQuery(propertyId, NVME_DATA_TYPE_LOG_PAGE, NVME_LOG_PAGE_HEALTH_INFO,
                         NVME_REQUEST_DATA_LENGTH);
}

bool LocateNvmeLogPage(const uint8_t (&reply)[NVME_REPLY_SIZE],
                       uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
    const uint64_t start =
        uint64_t{NVME_REPLY_PROTOCOL_DATA_AT} + Read32(reply + NVME_REPLY_DATA_OFFSET_AT);
    if (start + NVME_LOG_BYTES_READ > NVME_REPLY_SIZE) {
        return false;
    }
    const size_t available = NVME_REPLY_SIZE - static_cast<size_t>(start);
    const size_t copied = std::min(available, NVME_LOG_PAGE_SIZE);
    std::memcpy(page, reply + start, copied);
    std::memset(page + copied, 0, NVME_LOG_PAGE_SIZE - copied);
    return true;
}

std::array<std::array<uint8_t, NVME_QUERY_SIZE>, 2> NvmeHealthQueries() {
    return {NvmeHealthQuery(STORAGE_DEVICE_PROTOCOL_SPECIFIC_PROPERTY),
            NvmeHealthQuery(STORAGE_ADAPTER_PROTOCOL_SPECIFIC_PROPERTY)};
}

std::array<uint8_t, NVME_QUERY_SIZE> NvmeIdentifyControllerQuery() {
    return ProtocolQuery(STORAGE_ADAPTER_PROTOCOL_SPECIFIC_PROPERTY, NVME_DATA_TYPE_IDENTIFY,
                         NVME_IDENTIFY_CNS_CONTROLLER,
                         static_cast<uint32_t>(NVME_IDENTIFY_PAGE_SIZE));
}

bool ApplyIdentifyControllerReply(const uint8_t (&reply)[NVME_IDENTIFY_REPLY_SIZE],
                                  DescriptorTexts& texts) {
    const uint64_t start =
        uint64_t{NVME_REPLY_PROTOCOL_DATA_AT} + Read32(reply + NVME_REPLY_DATA_OFFSET_AT);
    if (start + NVME_IDENTIFY_FIRMWARE_AT + 8 > NVME_IDENTIFY_REPLY_SIZE) {
        return false;
    }
    const uint8_t* page = reply + start;
    const std::string_view serial = IdentifyText(page, NVME_IDENTIFY_SERIAL_AT, 20);
    const std::string_view model = IdentifyText(page, NVME_IDENTIFY_MODEL_AT, 40);
    if (AllBlank(serial) && AllBlank(model)) {
        return false;
    }
    texts.vendor = {};
    texts.product = model;
    texts.serial = serial;
    texts.revision = IdentifyText(page, NVME_IDENTIFY_FIRMWARE_AT, 8);
    return true;
}

ScsiPassThroughBuffer ScsiPassThroughRequest(const uint8_t* cdb, size_t cdbLength,
                                             size_t dataSize) {
    constexpr uint8_t SCSI_IOCTL_DATA_IN = 1;
    constexpr uint8_t SCSI_IOCTL_DATA_UNSPECIFIED = 2;
    ScsiPassThroughBuffer buffer = {};
    cdbLength = std::min<size_t>(cdbLength, 16);
    dataSize = std::min(dataSize, SPT_DATA_SIZE);
    buffer[0] = static_cast<uint8_t>(SPT_HEADER_SIZE);  // Length
    buffer[SPT_CDB_LENGTH_AT] = static_cast<uint8_t>(cdbLength);
    buffer[SPT_SENSE_LENGTH_AT] = static_cast<uint8_t>(ata::SENSE_BUFFER_SIZE);
    buffer[SPT_DATA_IN_AT] = dataSize != 0 ? SCSI_IOCTL_DATA_IN : SCSI_IOCTL_DATA_UNSPECIFIED;
    Write32(buffer.data() + SPT_DATA_LENGTH_AT, static_cast<uint32_t>(dataSize));
    Write32(buffer.data() + SPT_TIMEOUT_AT, SPT_TIMEOUT_SECONDS);
    Write32(buffer.data() + SPT_DATA_OFFSET_AT, static_cast<uint32_t>(SPT_DATA_AT));  // ULONG_PTR
    Write32(buffer.data() + SPT_SENSE_OFFSET_AT, static_cast<uint32_t>(SPT_SENSE_AT));
    if (cdbLength != 0) {
        std::memcpy(buffer.data() + SPT_CDB_AT, cdb, cdbLength);
    }
    return buffer;
}

ata::PassThroughOutcome ScsiPassThroughOutcome(const ScsiPassThroughBuffer& buffer,
                                               bool ioctlSucceeded, size_t dataSize) {
    ata::PassThroughOutcome outcome;
    outcome.ioctlSucceeded = ioctlSucceeded;
    outcome.scsiStatus = buffer[SPT_SCSI_STATUS_AT];
    const uint32_t done = Read32(buffer.data() + SPT_DATA_LENGTH_AT);
    outcome.residual = static_cast<int32_t>(dataSize - std::min<size_t>(done, dataSize));
    const size_t senseLength = buffer[SPT_SENSE_LENGTH_AT];
    outcome.sense = buffer.data() + SPT_SENSE_AT;
    outcome.senseLength = std::min(senseLength, ata::SENSE_BUFFER_SIZE);
    return outcome;
}

std::array<uint8_t, NVME_QUERY_SIZE> NvmeLogQuery(uint8_t logId, uint32_t size) {
    return ProtocolQuery(STORAGE_DEVICE_PROTOCOL_SPECIFIC_PROPERTY, NVME_DATA_TYPE_LOG_PAGE, logId,
                         size);
}

bool LocateProtocolData(const uint8_t* reply, size_t replySize, uint8_t* data, size_t size) {
    const uint64_t start =
        uint64_t{NVME_REPLY_PROTOCOL_DATA_AT} + Read32(reply + NVME_REPLY_DATA_OFFSET_AT);
    if (replySize < NVME_REPLY_DATA_OFFSET_AT + 4 || start + size > replySize) {
        return false;
    }
    std::memcpy(data, reply + start, size);
    return true;
}

std::array<uint8_t, PROTOCOL_COMMAND_SIZE> NvmeSelfTestCommand(uint8_t code) {
    constexpr uint32_t STORAGE_PROTOCOL_STRUCTURE_VERSION = 1;
    constexpr uint32_t FLAG_ADAPTER_REQUEST = 0x80000000;
    constexpr uint32_t NVME_ADMIN_COMMAND = 1;  // STORAGE_PROTOCOL_SPECIFIC_NVME_ADMIN_COMMAND
    constexpr uint32_t TIMEOUT_SECONDS = DEVICE_REQUEST_TIMEOUT_SECONDS;
    std::array<uint8_t, PROTOCOL_COMMAND_SIZE> command = {};
    uint8_t* c = command.data();
    Write32(c, STORAGE_PROTOCOL_STRUCTURE_VERSION);                       // Version
    Write32(c + 4, static_cast<uint32_t>(PROTOCOL_COMMAND_STRUCT_SIZE));  // Length
    Write32(c + 8, PROTOCOL_TYPE_NVME);                                   // ProtocolType
    Write32(c + 12, FLAG_ADAPTER_REQUEST);                                // Flags
    Write32(c + 24, static_cast<uint32_t>(NVME_COMMAND_SIZE));            // CommandLength
    Write32(c + 40, TIMEOUT_SECONDS);                                     // TimeOutValue
    Write32(c + 56, NVME_ADMIN_COMMAND);                                  // CommandSpecific
    uint8_t* nvme = c + PROTOCOL_COMMAND_HEADER_SIZE;
    nvme[0] = nvme::ADMIN_DEVICE_SELF_TEST;  // CDW0 opcode
    Write32(nvme + 4, 0xFFFFFFFF);           // NSID: all namespaces
    Write32(nvme + 40, code);                // CDW10: the self-test code
    return command;
}

std::vector<uint32_t> ParseVolumeDiskExtents(const uint8_t* reply, size_t size) {
    std::vector<uint32_t> disks;
    if (size < VOLUME_FIRST_EXTENT_AT) {
        return disks;
    }
    const uint32_t count = Read32(reply);
    const size_t whole = (size - VOLUME_FIRST_EXTENT_AT) / DISK_EXTENT_SIZE;
    for (size_t i = 0; i < std::min<size_t>(count, whole); ++i) {
        const uint32_t disk = Read32(reply + VOLUME_FIRST_EXTENT_AT + i * DISK_EXTENT_SIZE);
        if (std::find(disks.begin(), disks.end(), disk) == disks.end()) {
            disks.push_back(disk);
        }
    }
    return disks;
}

}  // namespace corvanite::win32
