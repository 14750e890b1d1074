#include "drives/trace.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <mutex>
#include <utility>
#include <vector>

#include "drives/self_test.h"

namespace corvanite {
namespace {

namespace rq = trace_request;

// One JSON object on one line, its fields in the order they are added.
struct Line {
    std::string text = "{";

    Line& Key(std::string_view key) {
        if (text.size() > 1) {
            text.push_back(',');
        }
        text.append("\"").append(key).append("\":");
        return *this;
    }
    // Printable ASCII as it is; every other UTF-16 unit as \uXXXX, so that a text goes back to
    // the very units it came from (a lone surrogate included).
    Line& Text(std::string_view key, std::u16string_view value) {
        Key(key).text.push_back('"');
        for (const char16_t unit : value) {
            if (unit == u'"' || unit == u'\\') {
                text.push_back('\\');
                text.push_back(static_cast<char>(unit));
            } else if (unit >= 0x20 && unit < 0x7F) {
                text.push_back(static_cast<char>(unit));
            } else {
                text.append("\\u");
                AppendHexDigits(unit, 4);
            }
        }
        text.push_back('"');
        return *this;
    }
    Line& Ascii(std::string_view key, std::string_view value) {
        return Text(key, std::u16string(value.begin(), value.end()));
    }
    Line& Number(std::string_view key, int64_t value) {
        Key(key).text.append(std::to_string(value));
        return *this;
    }
    Line& Flag(std::string_view key, bool value) {
        Key(key).text.append(value ? "true" : "false");
        return *this;
    }
    Line& Hex(std::string_view key, const void* bytes, size_t size) {
        Key(key).text.push_back('"');
        const auto* at = static_cast<const uint8_t*>(bytes);
        for (size_t i = 0; i < size; ++i) {
            AppendHexDigits(at[i], 2);
        }
        text.push_back('"');
        return *this;
    }
    void AppendHexDigits(uint32_t value, int digits) {
        constexpr char DIGITS[] = "0123456789abcdef";
        for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4) {
            text.push_back(DIGITS[(value >> shift) & 0xF]);
        }
    }
};

// The drive and access of an open handle, so that each line names its drive.
struct OpenHandle {
    DriveHandle handle;
    int drive;
    bool limited;
};

struct Recording {
    std::mutex lock;
    const DeviceAccess* inner = nullptr;
    TraceSink sink;
    bool failed = false;
    std::vector<OpenHandle> handles;
    DeviceAccess table{};
};

Recording& TheRecording() {
    static Recording recording;
    return recording;
}

const DeviceAccess& Inner() {
    return *TheRecording().inner;
}

// The drive the requests of this thread are for, while the table forwards one (for the device
// layer's own notes).
thread_local int currentDrive = -1;
thread_local bool currentLimited = false;

void Write(Line& line) {
    line.text.append("}\n");
    Recording& r = TheRecording();
    std::lock_guard<std::mutex> guard(r.lock);
    if (!r.failed && r.sink.writeLine != nullptr && !r.sink.writeLine(r.sink.context, line.text)) {
        r.failed = true;
    }
}

// A line's start: the drive (none for the machine's own requests), whether the handle is a
// limited one, and the request.
Line Request(int drive, bool limited, std::string_view request) {
    Line line;
    if (drive >= 0) {
        line.Number("drive", drive);
    }
    if (limited) {
        line.Ascii("access", "limited");
    }
    line.Ascii("request", request);
    return line;
}

// The outcome, and the thread's last error after the request with the system's words for it.
void Outcome(Line& line, bool ok, int32_t error) {
    line.Flag("ok", ok).Number("error", error);
    if (error != 0) {
        line.Text("words", SystemErrorMessage(error));
    }
}

std::array<uint8_t, 7> RegisterBytes(const ata::AtaRegisters& r) {
    return {r.feature,      r.count,     r.sectorNumber, r.cylinderLow,
            r.cylinderHigh, r.driveHead, r.command};
}

struct Forwarding {
    int drive = -1;
    bool limited = false;
};

// Which drive a handle is, and marks this thread's requests as that drive's.
Forwarding Begin(DriveHandle handle) {
    Forwarding f;
    Recording& r = TheRecording();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        for (const OpenHandle& open : r.handles) {
            if (open.handle == handle) {
                f.drive = open.drive;
                f.limited = open.limited;
            }
        }
    }
    currentDrive = f.drive;
    currentLimited = f.limited;
    return f;
}

Line Request(const Forwarding& f, std::string_view request) {
    return Request(f.drive, f.limited, request);
}

bool TracedOpen(int driveNumber, DriveHandle& handle, uint32_t& errorCode, bool limited) {
    currentDrive = driveNumber;
    currentLimited = limited;
    const bool ok = limited ? Inner().openDriveLimited(driveNumber, handle, errorCode)
                            : Inner().openDrive(driveNumber, handle, errorCode);
    Line line = Request(driveNumber, false, limited ? rq::OPEN_LIMITED : rq::OPEN);
    Outcome(line, ok, ok ? 0 : static_cast<int32_t>(errorCode));
    Write(line);
    if (ok) {
        Recording& r = TheRecording();
        std::lock_guard<std::mutex> guard(r.lock);
        r.handles.push_back({handle, driveNumber, limited});
    }
    return ok;
}

void TracedClose(DriveHandle handle) {
    Recording& r = TheRecording();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        const auto open =
            std::find_if(r.handles.begin(), r.handles.end(),
                         [handle](const OpenHandle& o) { return o.handle == handle; });
        if (open != r.handles.end()) {
            r.handles.erase(open);
        }
    }
    Inner().closeDrive(handle);
}

constexpr DeviceAccess TRACING{
    .errorKind = ERRORS_POSIX,  // the inner table's, set when the trace starts
    .beginDriveScan = [] { Inner().beginDriveScan(); },
    .driveDevicePath =
        [](int driveNumber) {
            std::u16string path = Inner().driveDevicePath(driveNumber);
            Line line = Request(driveNumber, false, rq::PATH);
            Write(line.Text("path", path));
            return path;
        },
    .openDrive =
        [](int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
            return TracedOpen(driveNumber, handle, errorCode, false);
        },
    .closeDrive = TracedClose,
    .openDriveLimited =
        [](int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
            return TracedOpen(driveNumber, handle, errorCode, true);
        },
    .driveNumberLimit =
        [] {
            const int count = Inner().driveNumberLimit();
            Line line = Request(-1, false, rq::DRIVE_COUNT);
            Write(line.Number("count", count));
            return count;
        },
    .processPrivileged =
        [] {
            const bool privileged = Inner().processPrivileged();
            Line line = Request(-1, false, rq::PRIVILEGED);
            Write(line.Flag("ok", privileged));
            return privileged;
        },
    .queryDriveIdentity =
        [](DriveHandle handle, DriveIdentity& identity) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().queryDriveIdentity(handle, identity);
            Line line = Request(f, rq::IDENTITY);
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok) {
                line.Text("vendor", identity.vendor).Text("product", identity.product);
                line.Text("serial", identity.serial).Text("revision", identity.revision);
                line.Number("bus", identity.busType);
            }
            Write(line);
            return ok;
        },
    .queryDriveSize =
        [](DriveHandle handle, uint64_t& sizeBytes) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().queryDriveSize(handle, sizeBytes);
            Line line = Request(f, rq::SIZE);
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok) {
                line.Number("bytes", static_cast<int64_t>(sizeBytes));
            }
            Write(line);
            return ok;
        },
    .sendSmartEnable =
        [](DriveHandle handle, int driveNumber) {
            const Forwarding f = Begin(handle);
            Inner().sendSmartEnable(handle, driveNumber);
            Line line = Request(f, rq::SMART_ENABLE);
            Write(line.Number("error", Inner().lastDeviceError()));
        },
    .readSmartPage =
        [](DriveHandle handle, int driveNumber, uint8_t feature, uint8_t (&page)[SMART_PAGE_SIZE]) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().readSmartPage(handle, driveNumber, feature, page);
            Line line = Request(f, rq::SMART_PAGE);
            line.Number("feature", feature);
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok) {  // a failed request's page holds nothing of the drive's
                line.Hex("reply", page, sizeof page);
            }
            Write(line);
            return ok;
        },
    .sendAtaPassThrough =
        [](DriveHandle handle, const uint8_t* cdb, size_t cdbLength, uint8_t* data,
           size_t dataSize) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().sendAtaPassThrough(handle, cdb, cdbLength, data, dataSize);
            Line line = Request(f, rq::ATA_PASS_THROUGH);
            line.Hex("cdb", cdb, cdbLength)
                .Number("length", data != nullptr ? static_cast<int64_t>(dataSize) : 0);
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok && data != nullptr) {
                line.Hex("reply", data, dataSize);
            }
            Write(line);
            return ok;
        },
    .readNvmeLogPage =
        [](DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().readNvmeLogPage(handle, page);
            Line line = Request(f, rq::NVME_LOG);
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok) {  // a failed request's page holds nothing of the drive's
                line.Hex("reply", page, sizeof page);
            }
            Write(line);
            return ok;
        },
    .sendSmartCommand =
        [](DriveHandle handle, int driveNumber, const ata::AtaRegisters& registers, uint8_t* data) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().sendSmartCommand(handle, driveNumber, registers, data);
            Line line = Request(f, rq::SMART_COMMAND);
            const std::array<uint8_t, 7> r = RegisterBytes(registers);
            line.Hex("registers", r.data(), r.size());
            line.Number("length", data != nullptr ? static_cast<int64_t>(SMART_PAGE_SIZE) : 0);
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok && data != nullptr) {
                line.Hex("reply", data, SMART_PAGE_SIZE);
            }
            Write(line);
            return ok;
        },
    .readNvmeIdentify =
        [](DriveHandle handle, uint8_t* data) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().readNvmeIdentify(handle, data);
            Line line = Request(f, rq::NVME_IDENTIFY);
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok) {
                line.Hex("reply", data, nvme::IDENTIFY_CONTROLLER_SIZE);
            }
            Write(line);
            return ok;
        },
    .readNvmeLog =
        [](DriveHandle handle, uint8_t logId, uint8_t* data, size_t size) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().readNvmeLog(handle, logId, data, size);
            Line line = Request(f, rq::NVME_LOG_PAGE);
            line.Number("log", logId).Number("length", static_cast<int64_t>(size));
            Outcome(line, ok, Inner().lastDeviceError());
            if (ok) {
                line.Hex("reply", data, size);
            }
            Write(line);
            return ok;
        },
    .sendNvmeSelfTest =
        [](DriveHandle handle, uint8_t code) {
            const Forwarding f = Begin(handle);
            const bool ok = Inner().sendNvmeSelfTest(handle, code);
            Line line = Request(f, rq::NVME_SELF_TEST);
            line.Number("code", code);
            Outcome(line, ok, Inner().lastDeviceError());
            Write(line);
            return ok;
        },
    .lastDeviceError = [] { return Inner().lastDeviceError(); },
};

}  // namespace

const DeviceAccess& StartDeviceTrace(const DeviceAccess& inner, const TraceHeader& header,
                                     const TraceSink& sink) {
    Recording& r = TheRecording();
    {
        std::lock_guard<std::mutex> guard(r.lock);
        r.inner = &inner;
        r.sink = sink;
        r.failed = false;
        r.handles.clear();
        r.table = TRACING;
        r.table.errorKind = inner.errorKind;
    }
    Line line;
    line.Ascii("trace", "corvanite").Number("format", TRACE_FORMAT);
    line.Ascii("program", header.program).Ascii("version", header.version);
    line.Ascii("platform", inner.errorKind == ERRORS_WIN32 ? "windows" : "linux");
    line.Ascii("errors", inner.errorKind == ERRORS_WIN32 ? "windows" : "errno");
    line.Ascii("system", header.system).Ascii("time", header.time);
    Write(line);
    return r.table;
}

void StopDeviceTrace() {
    Recording& r = TheRecording();
    std::lock_guard<std::mutex> guard(r.lock);
    r.sink = TraceSink();
    r.handles.clear();
}

void TraceDeviceControl(uint32_t code, const void* input, size_t inputSize, const void* output,
                        size_t outputSize, bool ok, uint32_t error) {
    {
        Recording& r = TheRecording();
        std::lock_guard<std::mutex> guard(r.lock);
        if (r.sink.writeLine == nullptr || r.failed) {
            return;
        }
    }
    Line line = Request(currentDrive, currentLimited, rq::DEVICE_CONTROL);
    line.text.append(",\"code\":\"0x");
    line.AppendHexDigits(code, 8);
    line.text.push_back('"');
    line.Hex("input", input, input != nullptr ? inputSize : 0);
    line.Hex("output", output, output != nullptr ? outputSize : 0);
    Outcome(line, ok, ok ? 0 : static_cast<int32_t>(error));
    Write(line);
}

std::string UtcTimeText(int64_t secondsSince1970) {
    using namespace std::chrono;
    const sys_seconds at{seconds(secondsSince1970)};
    const sys_days day = floor<days>(at);
    const year_month_day date(day);
    const hh_mm_ss<seconds> time(at - day);
    char text[32] = {};
    const auto two = [&text](size_t place, unsigned value) {
        text[place] = static_cast<char>('0' + value / 10);
        text[place + 1] = static_cast<char>('0' + value % 10);
    };
    const int yearValue = static_cast<int>(date.year());
    const unsigned year = yearValue < 0 ? 0U : static_cast<unsigned>(yearValue) % 10000U;
    two(0, year / 100);
    two(2, year % 100);
    text[4] = '-';
    two(5, static_cast<unsigned>(date.month()));
    text[7] = '-';
    two(8, static_cast<unsigned>(date.day()));
    text[10] = 'T';
    two(11, static_cast<unsigned>(time.hours().count()));
    text[13] = ':';
    two(14, static_cast<unsigned>(time.minutes().count()));
    text[16] = ':';
    two(17, static_cast<unsigned>(time.seconds().count()));
    text[19] = 'Z';
    return std::string(text, 20);
}

}  // namespace corvanite
