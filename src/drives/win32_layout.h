// The byte layouts of the Windows storage requests and replies, built and read without any
// Windows header so that every platform tests them. The Windows test build checks each size
// and offset here against the SDK's own structures.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "drives/device_access.h"
#include "drives/sat.h"

namespace corvanite::win32 {

constexpr uint32_t IOCTL_STORAGE_QUERY_PROPERTY_CODE = 0x002D1400;
constexpr uint32_t IOCTL_DISK_GET_DRIVE_GEOMETRY_EX_CODE = 0x000700A0;
constexpr uint32_t SMART_SEND_DRIVE_COMMAND_CODE = 0x0007C084;
constexpr uint32_t SMART_RCV_DRIVE_DATA_CODE = 0x0007C088;

// STORAGE_PROPERTY_QUERY for StorageDeviceProperty / PropertyStandardQuery.
constexpr size_t DESCRIPTOR_QUERY_SIZE = 12;
constexpr size_t DESCRIPTOR_REPLY_SIZE = 1024;
// STORAGE_DEVICE_DESCRIPTOR members.
constexpr size_t DESCRIPTOR_VENDOR_OFFSET_AT = 12;
constexpr size_t DESCRIPTOR_PRODUCT_OFFSET_AT = 16;
constexpr size_t DESCRIPTOR_REVISION_OFFSET_AT = 20;
constexpr size_t DESCRIPTOR_SERIAL_OFFSET_AT = 24;
constexpr size_t DESCRIPTOR_BUS_TYPE_AT = 28;

// DISK_GEOMETRY_EX with room for Geometry and DiskSize.
constexpr size_t GEOMETRY_REPLY_SIZE = 40;
constexpr size_t GEOMETRY_DISK_SIZE_AT = 24;

// SENDCMDINPARAMS without its one-byte buffer, and the SENDCMDOUTPARAMS replies.
constexpr size_t SMART_COMMAND_SIZE = 32;
constexpr size_t SMART_ENABLE_REPLY_SIZE = 32;
constexpr size_t SMART_PAGE_REPLY_SIZE = 529;
constexpr size_t SMART_REPLY_DRIVER_ERROR_AT = 4;
constexpr size_t SMART_REPLY_PAGE_AT = 16;

// STORAGE_PROPERTY_QUERY carrying a STORAGE_PROTOCOL_SPECIFIC_DATA, and the
// STORAGE_PROTOCOL_DATA_DESCRIPTOR reply.
constexpr size_t NVME_QUERY_SIZE = 52;
constexpr size_t NVME_REPLY_SIZE = 584;
constexpr size_t NVME_REPLY_PROTOCOL_DATA_AT = 8;
constexpr size_t NVME_REPLY_DATA_OFFSET_AT = 24;
constexpr uint32_t NVME_REQUEST_DATA_OFFSET = 40;
// Windows takes no protocol data shorter than 512 bytes.
constexpr uint32_t NVME_REQUEST_DATA_LENGTH = 512;

// STORAGE_PROPERTY_QUERY.PropertyId of the protocol-specific queries: to the controller
// (adapter) or to the device (namespace).
constexpr uint32_t STORAGE_ADAPTER_PROTOCOL_SPECIFIC_PROPERTY = 49;
constexpr uint32_t STORAGE_DEVICE_PROTOCOL_SPECIFIC_PROPERTY = 50;

// NVMe Identify Controller (CNS 1) through the adapter-level query: the 4096-byte page after the
// 48-byte STORAGE_PROTOCOL_DATA_DESCRIPTOR.
constexpr size_t NVME_IDENTIFY_PAGE_SIZE = 4096;
constexpr size_t NVME_IDENTIFY_REPLY_SIZE = 48 + NVME_IDENTIFY_PAGE_SIZE;
constexpr size_t NVME_IDENTIFY_SERIAL_AT = 4;     // 20 bytes
constexpr size_t NVME_IDENTIFY_MODEL_AT = 24;     // 40 bytes
constexpr size_t NVME_IDENTIFY_FIRMWARE_AT = 64;  // 8 bytes

// IOCTL_SCSI_PASS_THROUGH with a buffered SCSI_PASS_THROUGH (its 64-bit layout), the data-in
// buffer right after the structure and the sense bytes after the data; the one buffer carries
// the request in and the reply out.
constexpr uint32_t IOCTL_SCSI_PASS_THROUGH_CODE = 0x0004D004;
constexpr size_t SPT_HEADER_SIZE = 56;
constexpr size_t SPT_SCSI_STATUS_AT = 2;
constexpr size_t SPT_CDB_LENGTH_AT = 6;
constexpr size_t SPT_SENSE_LENGTH_AT = 7;
constexpr size_t SPT_DATA_IN_AT = 8;
constexpr size_t SPT_DATA_LENGTH_AT = 12;
constexpr size_t SPT_TIMEOUT_AT = 16;
constexpr size_t SPT_DATA_OFFSET_AT = 24;
constexpr size_t SPT_SENSE_OFFSET_AT = 32;
constexpr size_t SPT_CDB_AT = 36;
constexpr size_t SPT_DATA_AT = SPT_HEADER_SIZE;
constexpr size_t SPT_DATA_SIZE = 512;
constexpr size_t SPT_SENSE_AT = SPT_DATA_AT + SPT_DATA_SIZE;
constexpr size_t SPT_BUFFER_SIZE = SPT_SENSE_AT + ata::SENSE_BUFFER_SIZE;
constexpr uint32_t SPT_TIMEOUT_SECONDS = DEVICE_REQUEST_TIMEOUT_SECONDS;
using ScsiPassThroughBuffer = std::array<uint8_t, SPT_BUFFER_SIZE>;

// The request for a command block of at most 16 bytes, reading dataSize bytes (at most
// SPT_DATA_SIZE; 0: no data).
ScsiPassThroughBuffer ScsiPassThroughRequest(const uint8_t* cdb, size_t cdbLength, size_t dataSize);

// What the buffer says after the request (dataSize as asked): status, sense bytes (pointing into
// the buffer) and the part of the transfer not done.
ata::PassThroughOutcome ScsiPassThroughOutcome(const ScsiPassThroughBuffer& buffer,
                                               bool ioctlSucceeded, size_t dataSize);

// The texts and bus code of a storage descriptor reply. A text is the bytes from a usable
// offset (non-zero and below the returned count) up to its NUL, or up to the returned count
// when no NUL comes first; an unusable offset gives an empty text.
struct DescriptorTexts {
    std::string_view vendor;
    std::string_view product;
    std::string_view serial;
    std::string_view revision;
    uint32_t busType = 0;
};

std::array<uint8_t, DESCRIPTOR_QUERY_SIZE> DescriptorQuery();

// reply is the whole zero-filled output buffer; bytesReturned the driver's count (a count
// larger than the buffer is taken as the buffer's size).
DescriptorTexts ParseDescriptorReply(const uint8_t* reply, size_t replySize,
                                     uint32_t bytesReturned);

uint64_t GeometryDiskSize(const uint8_t (&reply)[GEOMETRY_REPLY_SIZE]);

// SENDCMDINPARAMS for SMART ENABLE OPERATIONS (0xD8, no data) or READ DATA / READ THRESHOLDS
// (0xD0 / 0xD1, one 512-byte sector).
std::array<uint8_t, SMART_COMMAND_SIZE> SmartCommand(int driveNumber, uint8_t feature);

// SENDCMDINPARAMS for SMART with any registers (EXECUTE OFF-LINE IMMEDIATE, READ LOG): its buffer
// size is the sectors the registers' count asks for.
std::array<uint8_t, SMART_COMMAND_SIZE> SmartCommandFor(int driveNumber,
                                                        const ata::AtaRegisters& registers);

// Copies the page out of a SENDCMDOUTPARAMS reply. False when the driver reported an error.
bool SmartReplyPage(const uint8_t (&reply)[SMART_PAGE_REPLY_SIZE],
                    uint8_t (&page)[SMART_PAGE_SIZE]);

// The health log query, sub-value 0 (log offset 0), to the device or to the adapter.
std::array<uint8_t, NVME_QUERY_SIZE> NvmeHealthQuery(
    uint32_t propertyId = STORAGE_DEVICE_PROTOCOL_SPECIFIC_PROPERTY);

// The health log queries in the order they are sent: to the device, and, when the driver refuses
// that, to the adapter. The reply of the first one the driver takes is the answer
// (LocateNvmeLogPage); when it refuses both, the log cannot be read.
std::array<std::array<uint8_t, NVME_QUERY_SIZE>, 2> NvmeHealthQueries();

// Finds the log page at 8 + ProtocolDataOffset and copies it out (bytes past the reply are
// zero). False when the bytes the health log is read from do not lie inside the reply.
bool LocateNvmeLogPage(const uint8_t (&reply)[NVME_REPLY_SIZE],
                       uint8_t (&page)[NVME_LOG_PAGE_SIZE]);

// Identify Controller (CNS 1) through the adapter-level query.
std::array<uint8_t, NVME_QUERY_SIZE> NvmeIdentifyControllerQuery();

// Replaces the descriptor's texts by the controller's model, serial and firmware (ASCII, blank
// padded, each ending at a NUL if one comes first; the vendor becomes empty). False, leaving the
// texts alone, when the page does not lie inside the reply or holds neither model nor serial.
bool ApplyIdentifyControllerReply(const uint8_t (&reply)[NVME_IDENTIFY_REPLY_SIZE],
                                  DescriptorTexts& texts);

// A log page (all namespaces) through the device-level protocol query: the page (size bytes,
// 512 or more as Windows asks) follows the 48-byte STORAGE_PROTOCOL_DATA_DESCRIPTOR.
std::array<uint8_t, NVME_QUERY_SIZE> NvmeLogQuery(uint8_t logId, uint32_t size);
// Copies size bytes of protocol data out of a reply of replySize bytes, from 8 + its
// ProtocolDataOffset. False when they do not all lie inside the reply.
bool LocateProtocolData(const uint8_t* reply, size_t replySize, uint8_t* data, size_t size);

// IOCTL_STORAGE_PROTOCOL_COMMAND: STORAGE_PROTOCOL_COMMAND (winioctl.h; the SDK of Windows 10
// declares it, mingw-w64 only the code) followed by the 64-byte NVMe command. Windows 10 1903
// and later pass Device Self-test (admin 14h) on to the drive.
constexpr uint32_t IOCTL_STORAGE_PROTOCOL_COMMAND_CODE = 0x002DD3C0;
constexpr size_t PROTOCOL_COMMAND_HEADER_SIZE = 80;  // FIELD_OFFSET(..., Command)
constexpr size_t PROTOCOL_COMMAND_STRUCT_SIZE = 84;  // sizeof, its Command[ANYSIZE_ARRAY] in it
constexpr size_t NVME_COMMAND_SIZE = 64;
constexpr size_t PROTOCOL_COMMAND_SIZE = PROTOCOL_COMMAND_HEADER_SIZE + NVME_COMMAND_SIZE;
constexpr size_t PROTOCOL_COMMAND_RETURN_STATUS_AT = 16;
constexpr uint32_t STORAGE_PROTOCOL_STATUS_SUCCESS = 1;
// The Device Self-test command with its code, to every namespace.
std::array<uint8_t, PROTOCOL_COMMAND_SIZE> NvmeSelfTestCommand(uint8_t code);

// IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS: VOLUME_DISK_EXTENTS, its count then DISK_EXTENTs (each
// the disk number, the starting offset and the length, 8-byte aligned).
constexpr uint32_t IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS_CODE = 0x00560000;
constexpr size_t VOLUME_FIRST_EXTENT_AT = 8;
constexpr size_t DISK_EXTENT_SIZE = 24;
// Room for 32 extents: a volume spanning more disks is named on the first 32.
constexpr size_t VOLUME_EXTENTS_REPLY_SIZE = VOLUME_FIRST_EXTENT_AT + 32 * DISK_EXTENT_SIZE;

// The disk numbers of a reply of `size` bytes, each once, in the reply's order; only the extents
// the reply holds whole are read.
std::vector<uint32_t> ParseVolumeDiskExtents(const uint8_t* reply, size_t size);

}  // namespace corvanite::win32
