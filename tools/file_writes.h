// Writing many whole files at once, spread over the cores: extract saves the samples of a
// package this way. Each file goes through a temporary file and a rename (see
// FileReplacement), so that a failed or interrupted write leaves no partial file and an
// existing file as it was. The workers make system calls only (the runtime's file
// registry takes no lock), and the results are read in list order once every file is
// done.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

// One file to create or replace with the size bytes at bytes.
struct FileWrite {
    // NotWritten: an interruption (Ctrl+C, SIGTERM) came before the file was complete.
    enum class Result { Written, Kept, Failed, NotWritten };

    std::string path;
    const uint8_t* bytes = nullptr; // null: nothing to write, the file fails
    int64_t size = 0;
    // Set by WriteFiles:
    Result result = Result::Failed;
    std::string reason; // why it Failed
};

// Device and inode of files that must not be replaced (see FileIdentity).
using FileIdentities = std::set<std::pair<uint64_t, uint64_t>>;

// The writes use one thread for every ParallelWriteBytes bytes (2 MiB: a thread costs tens
// of microseconds to start, 2 MiB take about a millisecond to copy into the page
// cache), at most WriteThreadLimit (0: the number of cores) and at most one per file.
// Tests change both to reach several threads with small packages.
extern int64_t ParallelWriteBytes;
extern int WriteThreadLimit;

// The threads WriteFiles uses for files of bytes in total, the calling one included.
int WriteThreadCount(int64_t bytes, size_t files);

// Creates or replaces every file of writes and sets its result; a file that is one of keep
// is left alone (Kept). Every byte must reach the file, the close included, for Written.
// Once Interrupted() (interruption.h), files not yet complete are left as they were.
// progress(files done so far) is called on the calling thread, between files it wrote.
void WriteFiles(std::vector<FileWrite>& writes, const FileIdentities& keep,
                const std::function<void(size_t)>& progress);
