#include "tools/file_writes.h"

#include "runtime/core/files/file_replace.h"
#include "runtime/core/threads/parallel_for.h"
#include "tools/interruption.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

int64_t ParallelWriteBytes = int64_t{2} << 20;
int WriteThreadLimit = 0;

namespace {

bool IsKept(const std::string& path, const FileIdentities& keep) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 &&
           keep.count({static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)});
}

// Bytes per write call: small enough that an interruption is honoured within some
// milliseconds, large enough that the calls cost nothing beside the copying.
constexpr int64_t WriteChunk = 8 << 20;

// Empty when every byte went to fd, else the reason; "" with interrupted set when an
// interruption came first.
std::string WriteAll(int fd, const uint8_t* bytes, int64_t size, bool& interrupted) {
    while (size > 0) {
        if ((interrupted = Interrupted()))
            return {};
        const ssize_t put = write(fd, bytes, static_cast<size_t>(std::min(size, WriteChunk)));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return put < 0 ? std::strerror(errno) : "could not be written";
        bytes += put;
        size -= put;
    }
    return {};
}

void WriteOne(FileWrite& file, const FileIdentities& keep) {
    file.reason.clear();
    file.result = FileWrite::Result::Failed;
    if (Interrupted()) {
        file.result = FileWrite::Result::NotWritten;
        return;
    }
    if (IsKept(file.path, keep)) {
        file.result = FileWrite::Result::Kept;
        return;
    }
    if (!file.bytes) { // no file is made without bytes
        file.reason = "could not be written";
        return;
    }
    FileReplacement replacement;
    bool interrupted = false;
    std::string reason = replacement.Begin(file.path);
    if (reason.empty())
        reason = WriteAll(replacement.Descriptor(), file.bytes, file.size, interrupted);
    if (interrupted) {
        file.result = FileWrite::Result::NotWritten;
        return; // the replacement removes its temporary file
    }
    if (reason.empty())
        reason = replacement.Commit();
    file.result = reason.empty() ? FileWrite::Result::Written : FileWrite::Result::Failed;
    file.reason = reason;
}

// Whether two targets already name one file (a link in the output folder): written at
// once, its bytes could come from both; one after another, the later file wins as it
// always has.
bool TargetsShareAFile(const std::vector<FileWrite>& writes) {
    FileIdentities seen;
    for (const FileWrite& file : writes) {
        struct stat status;
        if (stat(file.path.c_str(), &status) == 0 &&
            !seen.insert(
                     {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)})
                 .second)
            return true;
    }
    return false;
}

} // namespace

int WriteThreadCount(int64_t bytes, size_t files) {
    const int64_t cores = WriteThreadLimit > 0 ? WriteThreadLimit : CoreCount();
    const int64_t byBytes = bytes / std::max<int64_t>(ParallelWriteBytes, 1);
    return static_cast<int>(
        std::max<int64_t>(1, std::min({cores, byBytes, static_cast<int64_t>(files)})));
}

void WriteFiles(std::vector<FileWrite>& writes, const FileIdentities& keep,
                const std::function<void(size_t)>& progress) {
    int64_t bytes = 0;
    for (const FileWrite& file : writes)
        bytes += file.size;
    int threads = WriteThreadCount(bytes, writes.size());
    if (threads > 1 && TargetsShareAFile(writes))
        threads = 1;
    std::atomic<size_t> done{0};
    ParallelFor(writes.size(), static_cast<unsigned>(threads), [&](size_t k, bool onCaller) {
        WriteOne(writes[k], keep);
        const size_t finished = done.fetch_add(1) + 1;
        if (onCaller && progress)
            progress(finished);
    });
}
