// Saving through a temporary file: the runtime's file library writes it as file 0 (the
// checked close tells whether every byte reached the disk), and the file replacement puts
// it in place with the target's protection kept.
#include "app/sample_save.h"

#include "runtime/core/files/file_replace.h"
#include "runtime/core/files/files.h"
#include "runtime/core/strings/strings.h"

#include <cerrno>
#include <cstring>

namespace {

constexpr int64_t SaveFileNumber = 0;

std::string Reason(int error) {
    return error != 0 ? std::strerror(error) : "the file could not be written";
}

// Writes the image to path through file 0. Empty on success, else the reason.
std::string WriteImage(const SampleEntry& entry, const std::string& path) {
    char16_t* name = Utf8ToNew(path.c_str());
    errno = 0;
    const int64_t created = name ? CreateFile(SaveFileNumber, name) : 0;
    MemFree(name);
    if (!created)
        return Reason(errno);
    const int32_t length = static_cast<int32_t>(entry.DataSize + WavHeaderSize);
    errno = 0;
    const int32_t written = WriteData(SaveFileNumber, entry.WavImage, length);
    int error = errno;
    // The buffered write hides a failed flush: only the checked close tells.
    const int closed = CloseFileChecked(SaveFileNumber);
    if (error == 0)
        error = errno;
    return written == length && closed ? std::string() : Reason(error);
}

} // namespace

SaveResult SaveSampleSafely(const SampleEntry& entry, const std::string& path) {
    if (!entry.WavImage)
        return {"the sample holds no data", {}};
    FileReplacement replacement;
    std::string reason = replacement.Begin(path);
    if (reason.empty())
        reason = WriteImage(entry, replacement.WritePath());
    if (reason.empty())
        reason = replacement.Commit();
    if (!reason.empty())
        replacement.Abort();
    return {reason, reason.empty() ? replacement.Notice() : std::string()};
}
