#include "drives/device_error.h"

#include <string_view>

#include "text/text_format.h"

namespace corvanite {
namespace {

// How a request with this code ended.
enum class Outcome { REFUSED, DENIED, FAILED, ABSENT };

struct ErrorWords {
    int32_t code;
    Outcome outcome;
    std::u16string_view words;  // the code in a few words
    std::u16string_view hint;   // what to do or where to look; may be empty
};

constexpr ErrorWords WIN32_ERRORS[] = {
    {1, Outcome::REFUSED, u"not supported by the driver", u""},           // ERROR_INVALID_FUNCTION
    {2, Outcome::ABSENT, u"no such drive", u"the drive is gone"},         // ERROR_FILE_NOT_FOUND
    {3, Outcome::ABSENT, u"no such drive", u"the drive is gone"},         // ERROR_PATH_NOT_FOUND
    {5, Outcome::DENIED, u"access denied", u"run as administrator"},      // ERROR_ACCESS_DENIED
    {13, Outcome::FAILED, u"reply not understood", u""},                  // ERROR_INVALID_DATA
    {21, Outcome::FAILED, u"drive not ready", u""},                       // ERROR_NOT_READY
    {31, Outcome::FAILED, u"device not functioning", u""},                // ERROR_GEN_FAILURE
    {32, Outcome::FAILED, u"in use", u"in use by another program"},       // ERROR_SHARING_VIOLATION
    {50, Outcome::REFUSED, u"request not supported", u""},                // ERROR_NOT_SUPPORTED
    {87, Outcome::REFUSED, u"invalid parameter", u""},                    // ERROR_INVALID_PARAMETER
    {121, Outcome::FAILED, u"timed out", u"the drive did not answer"},    // ERROR_SEM_TIMEOUT
    {1112, Outcome::FAILED, u"no medium", u"an empty card-reader slot"},  // ERROR_NO_MEDIA_IN_DRIVE
    // Drivers also answer a SMART request they do not pass on with it (RAID drivers do): the words
    // do not send the technician to the cable first.
    {1117, Outcome::FAILED, u"I/O error",
     u"the driver may not support the request (RAID drivers answer so); "
     u"if the drive also fails to read, check its cable"},  // ERROR_IO_DEVICE
    {1167, Outcome::FAILED, u"device not connected", u""},  // ERROR_DEVICE_NOT_CONNECTED
};

constexpr ErrorWords POSIX_ERRORS[] = {
    {1, Outcome::DENIED, u"operation not permitted", u"run as root"},      // EPERM
    {2, Outcome::ABSENT, u"no device node", u""},                          // ENOENT
    {4, Outcome::FAILED, u"cancelled", u"the driver reset the drive"},     // EINTR
    {5, Outcome::FAILED, u"I/O error", u"check the cable and the drive"},  // EIO
    {6, Outcome::ABSENT, u"no such device", u"the drive is gone"},         // ENXIO
    {13, Outcome::DENIED, u"permission denied", u"run as root"},           // EACCES
    {16, Outcome::FAILED, u"busy", u"in use by another program"},          // EBUSY
    {19, Outcome::ABSENT, u"no such device", u"the drive is gone"},        // ENODEV
    {22, Outcome::REFUSED, u"invalid argument", u""},                      // EINVAL
    {25, Outcome::REFUSED, u"not supported by the driver", u""},           // ENOTTY
    {30, Outcome::FAILED, u"read-only device", u""},                       // EROFS
    {95, Outcome::REFUSED, u"not supported", u""},                         // EOPNOTSUPP
    {110, Outcome::FAILED, u"timed out", u"the drive did not answer"},     // ETIMEDOUT
    {123, Outcome::FAILED, u"no medium", u"an empty card-reader slot"},    // ENOMEDIUM
};

const ErrorWords* FindWords(int64_t code, SystemErrorKind kind) {
    if (kind == ERRORS_POSIX) {
        for (const ErrorWords& e : POSIX_ERRORS) {
            if (e.code == code) {
                return &e;
            }
        }
        return nullptr;
    }
    for (const ErrorWords& e : WIN32_ERRORS) {
        if (e.code == code) {
            return &e;
        }
    }
    return nullptr;
}

std::u16string_view RequestName(DeviceRequest request) {
    return request == REQUEST_NVME_LOG    ? u"NVMe health log"
           : request == REQUEST_SELF_TEST ? u"self-test request"
                                          : u"SMART read";
}

void AppendCode(std::u16string& text, int32_t error) {
    text.append(u" (error ");
    AppendUnsigned(text, static_cast<uint32_t>(error));
    text.push_back(u')');
}

}  // namespace

std::u16string_view SystemErrorWords(int32_t error, SystemErrorKind kind) {
    const ErrorWords* known = FindWords(error, kind);
    return known != nullptr ? known->words : std::u16string_view();
}

std::u16string DeviceFailureText(DeviceRequest request, int32_t error, SystemErrorKind kind,
                                 bool privileged) {
    const ErrorWords* known = FindWords(error, kind);
    // Advice to get rights a privileged process has would send the technician the wrong way.
    const bool advise = known != nullptr && !known->hint.empty() &&
                        !(privileged && known->outcome == Outcome::DENIED);
    std::u16string text;
    if (request == REQUEST_OPEN) {
        text = u"cannot open the drive";
        AppendCode(text, error);
        if (known != nullptr) {
            text.append(u": ").append(advise ? known->hint : known->words);
        }
        return text;
    }
    text = RequestName(request);
    if (error == 0) {
        return text.append(request == REQUEST_SMART_READ ? u" returned no attributes"
                                                         : u" returned no data");
    }
    if (error == DEVICE_ERROR_STATUS) {
        return text.append(u" rejected by the drive (failed command status)");
    }
    if (known == nullptr) {
        text.append(u" failed");
        AppendCode(text, error);
        return text;
    }
    switch (known->outcome) {
        case Outcome::REFUSED:
            text.append(u" refused by the driver");
            AppendCode(text, error);
            // Drivers that do not carry SMART commands: USB enclosures, RAID and virtual disks.
            if (request == REQUEST_SMART_READ) {
                text.append(u": behind a USB bridge or RAID controller");
            }
            return text;
        case Outcome::DENIED:
            text.append(u" denied");
            AppendCode(text, error);
            return text.append(u": ").append(advise ? known->hint : known->words);
        default:
            text.append(u" failed");
            AppendCode(text, error);
            text.append(u": ").append(known->words);
            if (!known->hint.empty()) {
                text.append(u", ").append(known->hint);
            }
            return text;
    }
}

DriveStop DriveStopAfter(int32_t error, SystemErrorKind kind) {
    // ETIMEDOUT; ENODEV, ENXIO, ESHUTDOWN (a USB device unplugged). A slot without media is
    // not gone: its reason says "no medium".
    constexpr int32_t POSIX_TIMED_OUT[] = {110};
    constexpr int32_t POSIX_GONE[] = {19, 6, 108};
    // ERROR_SEM_TIMEOUT, WAIT_TIMEOUT; ERROR_DEVICE_NOT_CONNECTED, ERROR_NO_SUCH_DEVICE,
    // ERROR_DEV_NOT_EXIST, ERROR_DEVICE_REMOVED
    constexpr int32_t WIN32_TIMED_OUT[] = {121, 258};
    constexpr int32_t WIN32_GONE[] = {1167, 433, 55, 1617};
    const auto in = [error](const auto& codes) {
        for (int32_t code : codes) {
            if (code == error) {
                return true;
            }
        }
        return false;
    };
    const bool posix = kind == ERRORS_POSIX;
    if (posix ? in(POSIX_TIMED_OUT) : in(WIN32_TIMED_OUT)) {
        return STOP_TIMED_OUT;
    }
    return (posix ? in(POSIX_GONE) : in(WIN32_GONE)) ? STOP_GONE : STOP_NONE;
}

std::u16string DriveStopText(DriveStop stop, DeviceRequest request) {
    if (stop == STOP_GONE) {
        return u"disconnected during the scan";
    }
    std::u16string text = u"did not answer the ";
    text.append(RequestName(request)).append(u" within ");
    AppendSigned(text, DEVICE_REQUEST_TIMEOUT_SECONDS);
    return text.append(u" s");
}

bool IsAbsentDriveError(uint32_t error, SystemErrorKind kind) {
    const ErrorWords* known = FindWords(error, kind);
    return known != nullptr && known->outcome == Outcome::ABSENT;
}

std::u16string SkippedDrivesText(const ProbeSkipped& skipped, SystemErrorKind kind) {
    std::u16string text;
    if (skipped.count <= 0) {
        return text;
    }
    AppendSigned(text, skipped.count);
    text.append(skipped.count == 1 ? u" disk could not be opened ("
                                   : u" disks could not be opened (");
    const ErrorWords* known = FindWords(skipped.firstError, kind);
    if (known != nullptr) {
        text.append(known->words).push_back(u')');
        if (!known->hint.empty() && !(skipped.privileged && known->outcome == Outcome::DENIED)) {
            text.append(u", ").append(known->hint);
        }
    } else {
        text.append(u"error ");
        AppendUnsigned(text, skipped.firstError);
        text.push_back(u')');
    }
    return text;
}

}  // namespace corvanite
