// Paths and whole files for the companion. A path from the command line is bytes; the
// runtime's file library takes UTF-16 strings, so a path enters it only when it is strict
// UTF-8 that converts there and back unchanged. Whole-file reads and checked writes go
// through the runtime's file library like everything else the tool opens.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// True when text is well-formed UTF-8: no stray continuation byte, no overlong form, no
// surrogate, nothing above U+10FFFF, no sequence cut short.
bool IsValidUtf8(std::string_view text);

// Why path cannot pass through a runtime string unchanged, or empty when it can.
std::string PathProblem(const std::string& path);

// text for messages: bytes that are not valid UTF-8 and control characters as \xNN.
std::string Printable(std::string_view text);

// A runtime string made from a UTF-8 text that PathProblem accepted; owns its block.
class RuntimeText {
public:
    explicit RuntimeText(const std::string& utf8);
    ~RuntimeText();
    RuntimeText(const RuntimeText&) = delete;
    RuntimeText& operator=(const RuntimeText&) = delete;

    const char16_t* get() const { return text_; }

private:
    char16_t* text_;
};

// The UTF-8 form of a runtime string (null gives the empty string).
std::string FromRuntime(const char16_t* text);

// The part of path after its last "/".
std::string FileName(const std::string& path);

// Makes the folder dir with its parents when it does not exist. Empty when it is a
// folder now, else the reason.
std::string MakeFolder(const std::string& dir);

// dir and name joined by one "/"; name alone when dir is empty.
std::string JoinPath(const std::string& dir, const std::string& name);

// Device and inode of an existing file, which tell whether two paths name one file.
std::optional<std::pair<uint64_t, uint64_t>> FileIdentity(const std::string& path);

// Why path is not read at all: a device, FIFO or socket could block or never end.
// Empty for a regular file, a folder and a path that does not exist.
std::string NotRegularProblem(const std::string& path);

// Why path cannot be read: "No such file or directory", "is a folder, not a file", "is
// empty", "Input/output error", ... from the system; never "is empty" for a file whose
// first read fails.
std::string DescribeReadFailure(const std::string& path);

// The message of the system's last error (errno), or fallback when there is none.
std::string SystemReason(const char* fallback);

// Reads the first limit bytes of a regular file (all of it when shorter) into bytes.
// Empty on success, else the reason.
std::string ReadFileBytes(const std::string& path, std::vector<uint8_t>& bytes, int64_t limit);
// Reads a whole regular file into bytes. Empty on success, else the reason.
std::string ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// Creates or replaces path with bytes through a temporary file and a rename (see
// FileReplacement): refused when path is a folder, not a regular file or not writable.
// Empty when every byte reached the file and it took the target's place, else the
// reason (InterruptedWrite when an interruption came first); a failed write leaves the
// target as it was.
std::string WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes);
extern const char* const InterruptedWrite;
