// Saving through a temporary file: the runtime's file library writes it as file 0 (the
// checked close tells whether every byte reached the disk), rename() puts it in place.
#include "app/sample_save.h"

#include "runtime/core/files/files.h"
#include "runtime/core/strings/strings.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int64_t SaveFileNumber = 0;

std::string Reason(int error) {
    return error != 0 ? std::strerror(error) : "the file could not be written";
}

// The file a path names: a symbolic link is followed, so that saving replaces the file
// it points at and keeps the link.
std::string ResolveTarget(const std::string& path) {
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved))
        return resolved;
    // A link to a file that does not exist yet: the link's own target, read once.
    const ssize_t n = readlink(path.c_str(), resolved, sizeof resolved - 1);
    if (n <= 0)
        return path;
    resolved[n] = 0;
    if (resolved[0] == '/')
        return resolved;
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(resolved)
                                      : path.substr(0, slash + 1) + resolved;
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
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

mode_t NewFileMode() {
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::string ReplaceThroughTemporary(const SampleEntry& entry, const std::string& target) {
    struct stat existing {};
    const bool exists = stat(target.c_str(), &existing) == 0;
    const size_t slash = target.rfind('/');
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    std::string temporary = FolderOf(target) + "/." + base + ".XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return Reason(errno);
    close(fd);
    std::string reason = WriteImage(entry, temporary);
    if (reason.empty() &&
        chmod(temporary.c_str(), exists ? existing.st_mode & 07777 : NewFileMode()) != 0)
        reason = Reason(errno);
    if (reason.empty() && rename(temporary.c_str(), target.c_str()) != 0)
        reason = Reason(errno);
    if (!reason.empty())
        unlink(temporary.c_str());
    return reason;
}

} // namespace

std::string SaveSampleSafely(const SampleEntry& entry, const std::string& path) {
    if (!entry.WavImage)
        return "the sample holds no data";
    const std::string target = ResolveTarget(path);
    struct stat st {};
    if (stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return std::strerror(EISDIR);
    if (access(FolderOf(target).c_str(), W_OK) == 0)
        return ReplaceThroughTemporary(entry, target);
    // A folder that takes no new file may still hold a writable file: rewrite it in place.
    if (access(target.c_str(), W_OK) == 0)
        return WriteImage(entry, target);
    return Reason(access(FolderOf(target).c_str(), F_OK) == 0 ? EACCES : ENOENT);
}
