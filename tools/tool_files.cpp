#include "tools/tool_files.h"

#include "runtime/core/files/file_replace.h"
#include "runtime/core/files/files.h"
#include "runtime/core/objects/objects.h"
#include "runtime/core/strings/strings.h"
#include "tools/interruption.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>

const char* const InterruptedWrite = "interrupted before it was complete";

namespace {

// Read and write chunks of whole-file transfers, in bytes (below the 32-bit limits of
// ReadData and WriteData).
constexpr int64_t TransferChunk = 1 << 20;

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

// Length of the well-formed UTF-8 sequence at text[at], or 0 when there is none.
size_t SequenceLength(std::string_view text, size_t at) {
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (InRange(lead, 0xC2, 0xDF)) {
        length = 2;
    } else if (InRange(lead, 0xE0, 0xEF)) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;  // no overlong three-byte form
        high = lead == 0xED ? 0x9F : 0xBF; // no surrogate
    } else if (InRange(lead, 0xF0, 0xF4)) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;  // no overlong four-byte form
        high = lead == 0xF4 ? 0x8F : 0xBF; // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    if (!InRange(static_cast<unsigned char>(text[at + 1]), low, high))
        return 0;
    for (size_t k = 2; k < length; k++) {
        if (!InRange(static_cast<unsigned char>(text[at + k]), 0x80, 0xBF))
            return 0;
    }
    return length;
}

} // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const size_t length = SequenceLength(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

std::string PathProblem(const std::string& path) {
    if (path.empty())
        return "empty path";
    if (!IsValidUtf8(path))
        return "the path is not valid UTF-8, so it cannot be opened unchanged";
    // Belt and braces: the runtime's conversions must give back the very same bytes.
    RuntimeText text(path);
    if (!text.get() || FromRuntime(text.get()) != path)
        return "the path does not survive conversion to a runtime string";
    return {};
}

std::string Printable(std::string_view text) {
    std::string out;
    for (size_t at = 0; at < text.size();) {
        const auto byte = static_cast<unsigned char>(text[at]);
        const size_t length = SequenceLength(text, at);
        if (length == 0 || byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
            at++;
        } else {
            out.append(text.substr(at, length));
            at += length;
        }
    }
    return out;
}

RuntimeText::RuntimeText(const std::string& utf8) : text_(Utf8ToNew(utf8.c_str())) {}

RuntimeText::~RuntimeText() {
    MemFree(text_);
}

std::string FromRuntime(const char16_t* text) {
    char* utf8 = ToUtf8(text);
    std::string result = utf8 ? utf8 : "";
    FreeUtf8(utf8);
    return result;
}

std::string FileName(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string MakeFolder(const std::string& dir) {
    std::error_code error;
    if (std::filesystem::exists(dir, error) && !std::filesystem::is_directory(dir, error))
        return "is not a folder";
    std::filesystem::create_directories(dir, error);
    if (error)
        return error.message();
    return std::filesystem::is_directory(dir, error) ? "" : "is not a folder";
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string SystemReason(const char* fallback) {
    return errno != 0 ? std::strerror(errno) : fallback;
}

std::optional<std::pair<uint64_t, uint64_t>> FileIdentity(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0)
        return std::nullopt;
    return std::pair<uint64_t, uint64_t>(status.st_dev, status.st_ino);
}

std::string NotRegularProblem(const std::string& path) {
    struct stat status;
    if (stat(path.c_str(), &status) != 0 || S_ISREG(status.st_mode) || S_ISDIR(status.st_mode))
        return {};
    return "is not a regular file: devices, FIFOs and sockets are not read";
}

std::string DescribeReadFailure(const std::string& path) {
    const std::string special = NotRegularProblem(path);
    if (!special.empty())
        return special;
    RuntimeText text(path);
    if (FileSize(text.get()) == -2)
        return "is a folder, not a file";
    // The runtime reports only that an open failed; the system knows why.
    errno = 0;
    FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream)
        return SystemReason("cannot be opened");
    // Only a read tells an empty file from one that cannot be read: some report a size of
    // 0 and fail at the first byte.
    errno = 0;
    const int first = std::fgetc(stream);
    const int error = std::ferror(stream) ? errno : 0;
    std::fclose(stream);
    if (error != 0)
        return std::strerror(error);
    return first == EOF ? "is empty" : "cannot be read";
}

std::string ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, int64_t limit) {
    bytes.clear();
    const std::string special = NotRegularProblem(path);
    if (!special.empty())
        return special;
    RuntimeText text(path);
    const int64_t id = ReadFile(AnyNumber, text.get());
    if (!id)
        return DescribeReadFailure(path);
    // Read until a short read rather than trusting the size, which may change meanwhile.
    while (static_cast<int64_t>(bytes.size()) < limit) {
        const size_t at = bytes.size();
        const int64_t wanted = std::min(TransferChunk, limit - static_cast<int64_t>(at));
        bytes.resize(at + static_cast<size_t>(wanted));
        const int32_t got = ReadData(id, bytes.data() + at, wanted);
        bytes.resize(at + static_cast<size_t>(std::max(got, 0)));
        if (got < wanted)
            break;
    }
    const bool failed = FileError(id) != 0;
    CloseFile(id);
    return failed ? "read error" : "";
}

std::string ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    return ReadFileBytes(path, bytes, INT64_MAX);
}

namespace {

// The bytes go to the replacement's file through the runtime's file library, whose
// checked close tells whether they all reached it.
std::string WriteReplacement(const FileReplacement& replacement, const std::vector<uint8_t>& bytes,
                             bool& interrupted) {
    RuntimeText text(replacement.WritePath());
    errno = 0;
    const int64_t id = CreateFile(AnyNumber, text.get());
    if (!id)
        return SystemReason("cannot be created");
    bool complete = true;
    for (size_t at = 0; at < bytes.size() && complete && !(interrupted = Interrupted());) {
        const auto length =
            static_cast<int32_t>(std::min<size_t>(bytes.size() - at, TransferChunk));
        complete = WriteData(id, bytes.data() + at, length) == length;
        at += length;
    }
    const bool closed = CloseFileChecked(id) != 0;
    return complete && closed ? "" : SystemReason("could not be written completely");
}

} // namespace

std::string WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    FileReplacement replacement;
    std::string reason = replacement.Begin(path);
    bool interrupted = false;
    if (reason.empty())
        reason = WriteReplacement(replacement, bytes, interrupted);
    if (interrupted)
        return InterruptedWrite;
    return reason.empty() ? replacement.Commit() : reason;
}
