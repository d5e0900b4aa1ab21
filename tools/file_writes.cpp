#include "tools/file_writes.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

int64_t ParallelWriteBytes = int64_t{2} << 20;
int WriteThreadLimit = 0;

namespace {

bool IsKept(const std::string& path, const FileIdentities& keep) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 &&
           keep.count({static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)});
}

// The descriptor of path, created or emptied, or -1 (kept set when path is one of keep).
// Read and write as the runtime's create does: a write-only open of a pipe would wait for
// a reader.
int OpenEmpty(const std::string& path, const FileIdentities& keep, bool& kept) {
    // Most targets do not exist yet, and a new file cannot be a package: no look first.
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST)
        return fd;
    kept = IsKept(path, keep);
    return kept ? -1 : open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

bool WriteAll(int fd, const uint8_t* bytes, int64_t size) {
    while (size > 0) {
        const ssize_t put = write(fd, bytes, static_cast<size_t>(size));
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        size -= put;
    }
    return true;
}

void WriteOne(FileWrite& file, const FileIdentities& keep) {
    file.error = 0;
    if (!file.bytes) { // no file is made without bytes; a package is still told as such
        file.result = IsKept(file.path, keep) ? FileWrite::Result::Kept : FileWrite::Result::Failed;
        return;
    }
    bool kept = false;
    const int fd = OpenEmpty(file.path, keep, kept);
    if (fd < 0) {
        file.result = kept ? FileWrite::Result::Kept : FileWrite::Result::Failed;
        file.error = kept ? 0 : errno;
        return;
    }
    errno = 0;
    const bool complete = WriteAll(fd, file.bytes, file.size);
    const int writeError = errno;
    // On some file systems only the close tells that the bytes did not fit.
    const bool closed = close(fd) == 0;
    file.result = complete && closed ? FileWrite::Result::Written : FileWrite::Result::Failed;
    file.error = !complete ? writeError : closed ? 0 : errno;
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
    const int64_t cores =
        WriteThreadLimit > 0 ? WriteThreadLimit : std::max(1u, std::thread::hardware_concurrency());
    const int64_t byBytes = bytes / std::max<int64_t>(ParallelWriteBytes, 1);
    return static_cast<int>(
        std::max<int64_t>(1, std::min({cores, byBytes, static_cast<int64_t>(files)})));
}

void WriteFiles(std::vector<FileWrite>& writes, const FileIdentities& keep,
                const std::function<void(size_t)>& progress) {
    int64_t bytes = 0;
    for (const FileWrite& file : writes)
        bytes += file.size;
    std::atomic<size_t> next{0}, done{0};
    const auto work = [&](bool caller) {
        for (size_t k; (k = next.fetch_add(1)) < writes.size();) {
            WriteOne(writes[k], keep);
            const size_t finished = done.fetch_add(1) + 1;
            if (caller && progress)
                progress(finished);
        }
    };
    int threads = WriteThreadCount(bytes, writes.size());
    if (threads > 1 && TargetsShareAFile(writes))
        threads = 1;
    std::vector<std::thread> helpers;
    for (int t = 1; t < threads; t++) {
        try {
            helpers.emplace_back(work, false);
        } catch (const std::system_error&) {
            break; // no more threads to be had: those started write the rest
        }
    }
    work(true);
    for (std::thread& helper : helpers)
        helper.join();
}
