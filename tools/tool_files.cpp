#include "tools/tool_files.h"

#include "runtime/core/files/files.h"
#include "runtime/core/objects/objects.h"
#include "runtime/core/strings/strings.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

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

std::string DescribeReadFailure(const std::string& path) {
    RuntimeText text(path);
    const int64_t size = FileSize(text.get());
    if (size == -2)
        return "is a folder, not a file";
    // The runtime reports only that an open failed; the system knows why.
    errno = 0;
    FILE* stream = std::fopen(path.c_str(), "rb");
    if (!stream)
        return SystemReason("cannot be opened");
    std::fclose(stream);
    return size == 0 ? "is empty" : "cannot be read";
}

std::string ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    RuntimeText text(path);
    const int64_t id = ReadFile(AnyNumber, text.get());
    if (!id)
        return DescribeReadFailure(path);
    // Read until a short read rather than trusting the size: a pipe reports 0 bytes.
    for (;;) {
        const size_t at = bytes.size();
        bytes.resize(at + TransferChunk);
        const int32_t got = ReadData(id, bytes.data() + at, TransferChunk);
        bytes.resize(at + std::max(got, 0));
        if (got < TransferChunk)
            break;
    }
    const bool failed = FileError(id) != 0;
    CloseFile(id);
    return failed ? "read error" : "";
}

std::string WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    RuntimeText text(path);
    errno = 0;
    const int64_t id = CreateFile(AnyNumber, text.get());
    if (!id)
        return SystemReason("cannot be created");
    bool complete = true;
    for (size_t at = 0; at < bytes.size() && complete;) {
        const auto length =
            static_cast<int32_t>(std::min<size_t>(bytes.size() - at, TransferChunk));
        complete = WriteData(id, bytes.data() + at, length) == length;
        at += length;
    }
    // The checked close reports a failed flush of the last buffered bytes.
    const bool closed = CloseFileChecked(id) != 0;
    return complete && closed ? "" : SystemReason("could not be written completely");
}
