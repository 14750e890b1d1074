// The replayed machine: a trace read line by line into answers per drive and request.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

#include "drives/self_test.h"
#include "drives/trace.h"
#include "text/utf.h"

namespace corvanite {
namespace {

namespace rq = trace_request;

// A trace line is one flat JSON object: texts, whole numbers, true and false (and null).
struct Value {
    enum Kind { TEXT, NUMBER, FLAG, NONE } kind = NONE;
    std::u16string text;
    int64_t number = 0;
    bool flag = false;
};
using Fields = std::vector<std::pair<std::string, Value>>;

// Reads one line; false with what is wrong in problem.
class LineReader {
public:
    explicit LineReader(std::string_view line) : rest_(line) {}

    bool Read(Fields& fields, std::string& problem) {
        Blanks();
        if (!Take('{')) {
            problem = "not a JSON object";
            return false;
        }
        Blanks();
        if (Take('}')) {
            return End(problem);
        }
        do {
            std::pair<std::string, Value> field;
            Blanks();
            std::u16string key;
            if (!String(key)) {
                problem = "expected a quoted key";
                return false;
            }
            field.first = Utf16ToUtf8(key);
            Blanks();
            if (!Take(':')) {
                problem = "expected ':' after \"" + field.first + "\"";
                return false;
            }
            Blanks();
            const bool text = !rest_.empty() && rest_[0] == '"';
            if (!ReadValue(field.second)) {
                problem = "the value of \"" + field.first +
                          (text ? "\" is a text without its closing quote, or with a control "
                                  "character or an escape JSON does not have"
                                : "\" is not a text, a whole number, true, false or null");
                return false;
            }
            fields.push_back(std::move(field));
            Blanks();
        } while (Take(','));
        if (!Take('}')) {
            problem = "expected ',' or '}'";
            return false;
        }
        return End(problem);
    }

private:
    bool End(std::string& problem) {
        Blanks();
        if (!rest_.empty()) {
            problem = "text after the object";
            return false;
        }
        return true;
    }
    void Blanks() {
        while (!rest_.empty() && (rest_[0] == ' ' || rest_[0] == '\t' || rest_[0] == '\r')) {
            rest_.remove_prefix(1);
        }
    }
    bool Take(char c) {
        if (rest_.empty() || rest_[0] != c) {
            return false;
        }
        rest_.remove_prefix(1);
        return true;
    }
    bool Word(std::string_view word) {
        if (rest_.substr(0, word.size()) != word) {
            return false;
        }
        rest_.remove_prefix(word.size());
        return true;
    }
    bool ReadValue(Value& value) {
        if (!rest_.empty() && rest_[0] == '"') {
            value.kind = Value::TEXT;
            return String(value.text);
        }
        value.flag = Word("true");
        if (value.flag || Word("false")) {
            value.kind = Value::FLAG;
            return true;
        }
        if (Word("null")) {
            return true;
        }
        return Number(value);
    }
    bool Number(Value& value) {
        const bool negative = Take('-');
        size_t digits = 0;
        uint64_t magnitude = 0;
        while (digits < rest_.size() && rest_[digits] >= '0' && rest_[digits] <= '9') {
            const auto digit = static_cast<uint64_t>(rest_[digits] - '0');
            if (magnitude > (static_cast<uint64_t>(INT64_MAX) - digit) / 10) {
                return false;  // larger than any count or size a trace holds
            }
            magnitude = magnitude * 10 + digit;
            ++digits;
        }
        if (digits == 0) {
            return false;
        }
        rest_.remove_prefix(digits);
        value.kind = Value::NUMBER;
        value.number =
            negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
        return true;
    }
    // A quoted text: UTF-8 as it is, \uXXXX as the UTF-16 unit it names.
    bool String(std::u16string& out) {
        if (!Take('"')) {
            return false;
        }
        std::string run;
        while (!rest_.empty() && rest_[0] != '"') {
            const char c = rest_[0];
            rest_.remove_prefix(1);
            if (static_cast<unsigned char>(c) < 0x20) {
                return false;
            }
            if (c != '\\') {
                run.push_back(c);
                continue;
            }
            out.append(Utf8ToUtf16(run));
            run.clear();
            if (rest_.empty()) {
                return false;
            }
            const char escaped = rest_[0];
            rest_.remove_prefix(1);
            constexpr std::string_view SIMPLE = "\"\\/bfnrt";
            constexpr std::u16string_view MEANS = u"\"\\/\b\f\n\r\t";
            if (const size_t at = SIMPLE.find(escaped); at != std::string_view::npos) {
                out.push_back(MEANS[at]);
            } else if (escaped == 'u' && rest_.size() >= 4) {
                uint32_t unit = 0;
                for (int i = 0; i < 4; ++i) {
                    const int digit = HexDigit(rest_[static_cast<size_t>(i)]);
                    if (digit < 0) {
                        return false;
                    }
                    unit = unit * 16 + static_cast<uint32_t>(digit);
                }
                rest_.remove_prefix(4);
                out.push_back(static_cast<char16_t>(unit));
            } else {
                return false;
            }
        }
        out.append(Utf8ToUtf16(run));
        return Take('"');
    }

public:
    static int HexDigit(char c) {
        if (c >= '0' && c <= '9') {
            return c - '0';
        }
        if (c >= 'a' && c <= 'f') {
            return c - 'a' + 10;
        }
        if (c >= 'A' && c <= 'F') {
            return c - 'A' + 10;
        }
        return -1;
    }

private:
    std::string_view rest_;
};

// One recorded answer.
struct Answer {
    bool ok = false;
    int32_t error = 0;
    int64_t number = 0;  // drive-count's count, size's bytes
    std::u16string path;
    DriveIdentity identity;
    std::vector<uint8_t> reply;
};

// A drive's answers to one request (with its parameters), in the order they were recorded.
struct Answers {
    std::vector<Answer> list;
    size_t next = 0;
};

struct Replay {
    std::mutex lock;
    std::map<std::string, Answers> answers;  // by Key()
    DeviceAccess table{};
};

Replay& TheReplay() {
    static Replay replay;
    return replay;
}

// drive -1: the machine's own requests. param: a SMART page's feature, a command block.
std::string Key(int64_t drive, bool limited, std::string_view request, std::string_view param) {
    std::string key = std::to_string(drive);
    key.append(limited ? "/limited/" : "/").append(request).append("/").append(param);
    return key;
}

constexpr int32_t NOT_SUPPORTED_WIN32 = 50;  // ERROR_NOT_SUPPORTED
constexpr int32_t NOT_SUPPORTED_POSIX = 95;  // EOPNOTSUPP

thread_local int32_t lastError = 0;

// The next answer to a request, or the platform's "not supported" when the trace holds none.
Answer Next(const std::string& key) {
    Replay& r = TheReplay();
    std::lock_guard<std::mutex> guard(r.lock);
    const auto found = r.answers.find(key);
    if (found == r.answers.end() || found->second.list.empty()) {
        Answer none;
        none.error = r.table.errorKind == ERRORS_WIN32 ? NOT_SUPPORTED_WIN32 : NOT_SUPPORTED_POSIX;
        return none;
    }
    Answers& answers = found->second;
    const Answer& answer = answers.list[std::min(answers.next, answers.list.size() - 1)];
    ++answers.next;
    return answer;
}

// A replayed handle tells its drive and whether it was opened limited.
DriveHandle HandleOf(int driveNumber, bool limited) {
    return static_cast<DriveHandle>(driveNumber + 1) * 2 + (limited ? 1 : 0);
}
Answer Ask(DriveHandle handle, std::string_view request, std::string_view param = {}) {
    Answer answer = Next(Key(handle / 2 - 1, handle % 2 != 0, request, param));
    lastError = answer.error;
    return answer;
}

bool ReplayOpen(int driveNumber, DriveHandle& handle, uint32_t& errorCode, bool limited) {
    const Answer answer = Next(Key(driveNumber, false, limited ? rq::OPEN_LIMITED : rq::OPEN, {}));
    lastError = answer.error;
    if (!answer.ok) {
        errorCode = static_cast<uint32_t>(answer.error);
        return false;
    }
    handle = HandleOf(driveNumber, limited);
    return true;
}

void CopyReply(const Answer& answer, uint8_t* out, size_t size) {
    std::memset(out, 0, size);
    std::memcpy(out, answer.reply.data(), std::min(size, answer.reply.size()));
}

// A command block's or registers' bytes as a key.
std::string KeyBytes(const uint8_t* bytes, size_t size) {
    return std::string(reinterpret_cast<const char*>(bytes), size);
}

constexpr DeviceAccess REPLAYED{
    .errorKind = ERRORS_POSIX,  // the trace's, set when it is read
    .beginDriveScan = [] {},
    .driveDevicePath =
        [](int driveNumber) { return Next(Key(driveNumber, false, rq::PATH, {})).path; },
    .openDrive =
        [](int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
            return ReplayOpen(driveNumber, handle, errorCode, false);
        },
    .closeDrive = [](DriveHandle) {},
    .openDriveLimited =
        [](int driveNumber, DriveHandle& handle, uint32_t& errorCode) {
            return ReplayOpen(driveNumber, handle, errorCode, true);
        },
    .driveNumberLimit =
        [] { return static_cast<int>(Next(Key(-1, false, rq::DRIVE_COUNT, {})).number); },
    .processPrivileged = [] { return Next(Key(-1, false, rq::PRIVILEGED, {})).ok; },
    .queryDriveIdentity =
        [](DriveHandle handle, DriveIdentity& identity) {
            const Answer answer = Ask(handle, rq::IDENTITY);
            if (answer.ok) {
                identity = answer.identity;
            }
            return answer.ok;
        },
    .queryDriveSize =
        [](DriveHandle handle, uint64_t& sizeBytes) {
            const Answer answer = Ask(handle, rq::SIZE);
            if (answer.ok) {
                sizeBytes = static_cast<uint64_t>(answer.number);
            }
            return answer.ok;
        },
    .sendSmartEnable = [](DriveHandle handle, int) { Ask(handle, rq::SMART_ENABLE); },
    .readSmartPage =
        [](DriveHandle handle, int, uint8_t feature, uint8_t (&page)[SMART_PAGE_SIZE]) {
            const Answer answer = Ask(handle, rq::SMART_PAGE, std::to_string(feature));
            if (!answer.reply.empty()) {
                CopyReply(answer, page, sizeof page);
            }
            return answer.ok;
        },
    .sendAtaPassThrough =
        [](DriveHandle handle, const uint8_t* cdb, size_t cdbLength, uint8_t* data,
           size_t dataSize) {
            const size_t length = data != nullptr ? dataSize : 0;
            const Answer answer = Ask(handle, rq::ATA_PASS_THROUGH,
                                      KeyBytes(cdb, cdbLength) + "/" + std::to_string(length));
            if (data != nullptr && !answer.reply.empty()) {
                CopyReply(answer, data, dataSize);
            }
            return answer.ok;
        },
    .readNvmeLogPage =
        [](DriveHandle handle, uint8_t (&page)[NVME_LOG_PAGE_SIZE]) {
            const Answer answer = Ask(handle, rq::NVME_LOG);
            if (!answer.reply.empty()) {
                CopyReply(answer, page, sizeof page);
            }
            return answer.ok;
        },
    .sendSmartCommand =
        [](DriveHandle handle, int, const ata::AtaRegisters& r, uint8_t* data) {
            const uint8_t registers[] = {r.feature,      r.count,     r.sectorNumber, r.cylinderLow,
                                         r.cylinderHigh, r.driveHead, r.command};
            const size_t length = data != nullptr ? SMART_PAGE_SIZE : 0;
            const Answer answer =
                Ask(handle, rq::SMART_COMMAND,
                    KeyBytes(registers, sizeof registers) + "/" + std::to_string(length));
            if (data != nullptr && !answer.reply.empty()) {
                CopyReply(answer, data, SMART_PAGE_SIZE);
            }
            return answer.ok;
        },
    .readNvmeIdentify =
        [](DriveHandle handle, uint8_t* data) {
            const Answer answer = Ask(handle, rq::NVME_IDENTIFY);
            if (!answer.reply.empty()) {
                CopyReply(answer, data, nvme::IDENTIFY_CONTROLLER_SIZE);
            }
            return answer.ok;
        },
    .readNvmeLog =
        [](DriveHandle handle, uint8_t logId, uint8_t* data, size_t size) {
            const Answer answer =
                Ask(handle, rq::NVME_LOG_PAGE, std::to_string(logId) + "/" + std::to_string(size));
            if (!answer.reply.empty()) {
                CopyReply(answer, data, size);
            }
            return answer.ok;
        },
    .sendNvmeSelfTest =
        [](DriveHandle handle, uint8_t code) {
            return Ask(handle, rq::NVME_SELF_TEST, std::to_string(code)).ok;
        },
    .lastDeviceError = [] { return lastError; },
};

// The fields of one line, by name.
class Record {
public:
    explicit Record(const Fields& fields) : fields_(fields) {}

    const Value* Find(std::string_view name) const {
        for (const auto& [key, value] : fields_) {
            if (key == name) {
                return &value;
            }
        }
        return nullptr;
    }
    // Each getter: false with the problem when the field is there but of another kind, or
    // missing where it is required.
    bool Text(std::string_view name, std::u16string& out, bool required,
              std::string& problem) const {
        const Value* value = Find(name);
        if (value == nullptr) {
            return Missing(name, required, problem);
        }
        if (value->kind != Value::TEXT) {
            return Wrong(name, "a text", problem);
        }
        out = value->text;
        return true;
    }
    bool Number(std::string_view name, int64_t low, int64_t high, int64_t& out, bool required,
                std::string& problem) const {
        const Value* value = Find(name);
        if (value == nullptr) {
            return Missing(name, required, problem);
        }
        if (value->kind != Value::NUMBER || value->number < low || value->number > high) {
            return Wrong(name,
                         "a number from " + std::to_string(low) + " to " + std::to_string(high),
                         problem);
        }
        out = value->number;
        return true;
    }
    bool Flag(std::string_view name, bool& out, std::string& problem) const {
        const Value* value = Find(name);
        if (value == nullptr) {
            return Missing(name, true, problem);
        }
        if (value->kind != Value::FLAG) {
            return Wrong(name, "true or false", problem);
        }
        out = value->flag;
        return true;
    }
    bool Hex(std::string_view name, std::vector<uint8_t>& out, bool required,
             std::string& problem) const {
        std::u16string text;
        if (!Text(name, text, required, problem)) {
            return false;
        }
        if (text.size() % 2 != 0) {
            return Wrong(name, "hex bytes", problem);
        }
        out.clear();
        for (size_t i = 0; i < text.size(); i += 2) {
            const int high = text[i] < 0x80 ? LineReader::HexDigit(static_cast<char>(text[i])) : -1;
            const int low =
                text[i + 1] < 0x80 ? LineReader::HexDigit(static_cast<char>(text[i + 1])) : -1;
            if (high < 0 || low < 0) {
                return Wrong(name, "hex bytes", problem);
            }
            out.push_back(static_cast<uint8_t>(high * 16 + low));
        }
        return true;
    }

private:
    static std::string Quoted(std::string_view name) {
        std::string quoted(name.size() + 2, '"');
        name.copy(quoted.data() + 1, name.size());
        return quoted;
    }
    static bool Missing(std::string_view name, bool required, std::string& problem) {
        if (required) {
            problem = Quoted(name);
            problem.append(" is missing");
        }
        return !required;
    }
    static bool Wrong(std::string_view name, const std::string& kind, std::string& problem) {
        problem = Quoted(name);
        problem.append(" is not ").append(kind);
        return false;
    }
    const Fields& fields_;
};

constexpr int64_t MAX_TRACE_DRIVES = 1024;
constexpr int64_t INT32_LOW = INT32_MIN;
constexpr int64_t INT32_HIGH = UINT32_MAX;  // Windows codes are unsigned, errno values not
constexpr size_t MAX_COMMAND_BLOCK = 16;
constexpr size_t MAX_REPLY = 64 * 1024;

// The header: a Corvanite trace of a format this program reads; the error codes' kind.
bool ReadHeader(const Record& record, SystemErrorKind& kind, std::string& problem) {
    std::u16string trace;
    int64_t format = 0;
    if (!record.Text("trace", trace, false, problem) || trace != u"corvanite") {
        problem = "not a Corvanite trace (its first line has no \"trace\":\"corvanite\")";
        return false;
    }
    if (!record.Number("format", 1, INT32_MAX, format, true, problem)) {
        return false;
    }
    if (format != TRACE_FORMAT) {
        problem = "trace format " + std::to_string(format) +
                  " is not the format this program reads (" + std::to_string(TRACE_FORMAT) + ")";
        return false;
    }
    std::u16string errors;
    if (!record.Text("errors", errors, true, problem)) {
        return false;
    }
    if (errors != u"windows" && errors != u"errno") {
        problem = "\"errors\" is neither \"windows\" nor \"errno\"";
        return false;
    }
    kind = errors == u"windows" ? ERRORS_WIN32 : ERRORS_POSIX;
    return true;
}

// One request line into its answer; a request this program does not know is passed over.
bool ReadRequest(const Record& record, Replay& replay, std::string& problem) {
    std::u16string request16;
    if (!record.Text("request", request16, true, problem)) {
        return false;
    }
    const std::string request = Utf16ToUtf8(request16);
    constexpr std::string_view ANSWERED[] = {
        rq::PRIVILEGED,    rq::DRIVE_COUNT,      rq::PATH,          rq::OPEN,
        rq::OPEN_LIMITED,  rq::IDENTITY,         rq::SIZE,          rq::SMART_ENABLE,
        rq::SMART_PAGE,    rq::ATA_PASS_THROUGH, rq::NVME_LOG,      rq::SMART_COMMAND,
        rq::NVME_IDENTIFY, rq::NVME_LOG_PAGE,    rq::NVME_SELF_TEST};
    if (std::find(std::begin(ANSWERED), std::end(ANSWERED), request) == std::end(ANSWERED)) {
        return true;  // a note for the reader (a DeviceIoControl) or a request of a later program
    }
    int64_t drive = -1;
    const bool machine = request == rq::PRIVILEGED || request == rq::DRIVE_COUNT;
    if (!machine && !record.Number("drive", 0, MAX_TRACE_DRIVES - 1, drive, true, problem)) {
        return false;
    }
    std::u16string access;
    if (!record.Text("access", access, false, problem)) {
        return false;
    }
    const bool limited = access == u"limited";
    Answer answer;
    std::string param;
    int64_t error = 0;
    if (!record.Number("error", INT32_LOW, INT32_HIGH, error, false, problem)) {
        return false;
    }
    answer.error = static_cast<int32_t>(static_cast<uint32_t>(error));
    const bool needsOk =
        request != rq::DRIVE_COUNT && request != rq::PATH && request != rq::SMART_ENABLE;
    if (needsOk && !record.Flag("ok", answer.ok, problem)) {
        return false;
    }
    bool read = true;
    if (request == rq::DRIVE_COUNT) {
        read = record.Number("count", 0, MAX_TRACE_DRIVES, answer.number, true, problem);
    } else if (request == rq::PATH) {
        read = record.Text("path", answer.path, true, problem);
    } else if (request == rq::IDENTITY && answer.ok) {
        DriveIdentity& id = answer.identity;
        int64_t bus = 0;
        read = record.Text("vendor", id.vendor, false, problem) &&
               record.Text("product", id.product, false, problem) &&
               record.Text("serial", id.serial, false, problem) &&
               record.Text("revision", id.revision, false, problem) &&
               record.Number("bus", 0, UINT32_MAX, bus, true, problem);
        id.busType = static_cast<uint32_t>(bus);
    } else if (request == rq::SIZE && answer.ok) {
        read = record.Number("bytes", 0, INT64_MAX, answer.number, true, problem);
    } else if (request == rq::SMART_PAGE || request == rq::NVME_LOG) {
        int64_t feature = 0;
        read =
            (request == rq::NVME_LOG || record.Number("feature", 0, 255, feature, true, problem)) &&
            record.Hex("reply", answer.reply, false, problem);
        if (request == rq::SMART_PAGE) {
            param = std::to_string(feature);
        }
    } else if (request == rq::SMART_COMMAND) {
        std::vector<uint8_t> registers;
        int64_t length = 0;
        read = record.Hex("registers", registers, true, problem) &&
               record.Number("length", 0, SMART_PAGE_SIZE, length, true, problem) &&
               record.Hex("reply", answer.reply, false, problem);
        if (read && registers.size() != 7) {
            problem = "\"registers\" is not the 7 register bytes";
            read = false;
        }
        param = KeyBytes(registers.data(), registers.size()) + "/" + std::to_string(length);
    } else if (request == rq::NVME_IDENTIFY) {
        read = record.Hex("reply", answer.reply, false, problem);
    } else if (request == rq::NVME_LOG_PAGE) {
        int64_t log = 0;
        int64_t length = 0;
        read = record.Number("log", 0, 255, log, true, problem) &&
               record.Number("length", 0, MAX_REPLY, length, true, problem) &&
               record.Hex("reply", answer.reply, false, problem);
        param = std::to_string(log) + "/" + std::to_string(length);
    } else if (request == rq::NVME_SELF_TEST) {
        int64_t code = 0;
        read = record.Number("code", 0, 15, code, true, problem);
        param = std::to_string(code);
    } else if (request == rq::ATA_PASS_THROUGH) {
        std::vector<uint8_t> cdb;
        int64_t length = 0;
        read = record.Hex("cdb", cdb, true, problem) &&
               record.Number("length", 0, MAX_REPLY, length, true, problem) &&
               record.Hex("reply", answer.reply, false, problem);
        if (read && (cdb.empty() || cdb.size() > MAX_COMMAND_BLOCK)) {
            problem = "\"cdb\" is not a command block of 1 to 16 bytes";
            read = false;
        }
        param = KeyBytes(cdb.data(), cdb.size()) + "/" + std::to_string(length);
    }
    if (!read) {
        return false;
    }
    replay.answers[Key(drive, limited, request, param)].list.push_back(std::move(answer));
    return true;
}

}  // namespace

bool ReadTraceFile(const std::filesystem::path& file, std::string& text, int& error) {
    std::ifstream in(file, std::ios::binary);
    if (!in.is_open()) {
        error = errno;
        return false;
    }
    char chunk[16 * 1024];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        text.append(chunk, static_cast<size_t>(in.gcount()));
    }
    error = errno;
    return !in.bad();
}

bool LoadDeviceReplay(std::string_view trace, std::string& problem) {
    Replay& r = TheReplay();
    std::lock_guard<std::mutex> guard(r.lock);
    r.answers.clear();
    r.table = REPLAYED;
    size_t lineNumber = 0;
    bool header = false;
    while (!trace.empty()) {
        const size_t end = trace.find('\n');
        const std::string_view line = trace.substr(0, end);
        trace.remove_prefix(end == std::string_view::npos ? trace.size() : end + 1);
        ++lineNumber;
        if (line.find_first_not_of(" \t\r") == std::string_view::npos) {
            continue;  // a blank line, as an editor may leave at the end
        }
        Fields fields;
        const Record record(fields);
        const bool read = LineReader(line).Read(fields, problem) &&
                          (header ? ReadRequest(record, r, problem)
                                  : ReadHeader(record, r.table.errorKind, problem));
        if (!read) {
            problem = "line " + std::to_string(lineNumber) + ": " + problem;
            r.answers.clear();
            return false;
        }
        header = true;
    }
    if (!header) {
        problem = "the trace is empty";
        return false;
    }
    return true;
}

const DeviceAccess& ReplayDeviceAccess() {
    return TheReplay().table;
}

}  // namespace corvanite
