// Reading the package file in large blocks. The window (8 MiB, or the whole file when it
// is smaller) is filled with reads of its free part; a record's header and data are used
// where they lie in it. When the next record does not fit behind the read position, the
// images queued so far are filled, on all cores, and the unread rest moves to the
// window's start: the same memory serves the whole package. A window that holds too few
// records to keep the cores busy grows instead, up to 8 times. Records larger than the
// window, and every record when no window can be had, are read into blocks of their own
// as before. Either way every record gets the same bytes, the same missing tail and the
// same read error.
#include "app/decode/package_internal.h"

#include "runtime/core/files/files.h"
#include "runtime/core/memory/memory.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace {

// At least 1 KiB: a record header always fits, and the small windows with which tests
// and the fuzzer reach the window's edges in packages of a few KiB still read in blocks.
constexpr int64_t MinWindowBytes = 1 << 10;
// First read of a record's data when the file's size is unknown (a pipe), in bytes.
constexpr int64_t FirstReadChunk = 1 << 20;
// Largest single read: ReadData moves at most INT32_MAX bytes per call, and a shorter
// count must mean the end of the file or an error.
constexpr int64_t MaxReadChunk = int64_t{1} << 30;

// A block of capacity bytes holding the held bytes of old (which is freed); null, with
// old left as it is, when it cannot be allocated.
uint8_t* Grow(uint8_t* old, int64_t held, int64_t capacity) {
    auto* grown = static_cast<uint8_t*>(AllocateMemory(capacity, MemoryNoClear));
    if (!grown)
        return nullptr;
    if (held > 0)
        std::memcpy(grown, old, static_cast<size_t>(held));
    FreeMemory(old);
    return grown;
}

void FreeRecordData(const RecordData& d) {
    if (d.owned)
        FreeMemory(const_cast<uint8_t*>(d.bytes));
}

} // namespace

int64_t PackageWindowBytes = 8 << 20;

// One byte more than a small file's size, so that the first read comes back short at the
// end of the file and no second read is needed to see it.
PackageSource::PackageSource(int64_t fileSize) : fileSize_(fileSize) {
    const int64_t most = std::max(PackageWindowBytes, MinWindowBytes);
    capacity_ = fileSize >= 0 ? std::clamp(fileSize + 1, MinWindowBytes, most) : most;
    window_ = static_cast<uint8_t*>(AllocateMemory(capacity_, MemoryNoClear));
}

PackageSource::~PackageSource() {
    Finish();
    FreeMemory(window_);
}

bool PackageSource::More() {
    if (!window_)
        return !Eof(PackageFileNumber);
    Ensure(1);
    return at_ < held_;
}

int64_t PackageSource::ReadHeader(uint8_t* header) {
    if (!window_) {
        const int32_t got = ::ReadData(PackageFileNumber, header, RecordHeaderSize);
        read_ += got;
        return got;
    }
    Ensure(RecordHeaderSize);
    const int64_t got = std::min(RecordHeaderSize, held_ - at_);
    std::memcpy(header, window_ + at_, static_cast<size_t>(got));
    at_ += got;
    return got;
}

bool PackageSource::Failed() {
    return window_ ? failed_ : FileError(PackageFileNumber) != 0;
}

void PackageSource::ReadCompressed(RecordData& d) {
    if (!window_) {
        ReadGrowing(d, std::min(d.packedSize, RestHint()));
        return;
    }
    if (d.packedSize > capacity_) {
        ReadOwned(d);
        return;
    }
    Ensure(d.packedSize);
    d.bytes = window_ + at_;
    d.available = std::min(d.packedSize, held_ - at_);
    at_ += d.available;
    d.readError = d.available < d.packedSize && failed_;
}

void PackageSource::Queue(const ImageJob& job) {
    if (!job.data.owned || window_) {
        try {
            if (queued_.empty())
                pendingFrom_ = jobs_;
            queued_.push_back(job);
            jobs_++;
            return;
        } catch (const std::bad_alloc&) {
            // Filled at once below: the data is still where the job says.
        }
    }
    FillImage(job);
    FreeRecordData(job.data);
    jobs_++;
}

void PackageSource::Finish() {
    DecodeImages(queued_);
    for (const ImageJob& job : queued_)
        FreeRecordData(job.data);
    queued_.clear();
    for (uint8_t* window : retired_)
        FreeMemory(window);
    retired_.clear();
}

// Reads until count bytes lie behind the read position or the file ends.
void PackageSource::Ensure(int64_t count) {
    while (held_ - at_ < count && !ended_) {
        if (capacity_ - at_ < count && !Enlarge())
            MakeRoom();
        Fill();
    }
}

// A window that holds too few records for all cores to work on grows (up to 8 times
// its first size), so that large records still decode side by side; the old window
// stays until its records are decoded. False when it stays as it is.
bool PackageSource::Enlarge() {
    const int64_t most = 8 * std::max(PackageWindowBytes, MinWindowBytes);
    if (queued_.empty() || queued_.size() >= DecodeBatchJobs() || capacity_ >= most)
        return false;
    const int64_t capacity = std::min(2 * capacity_, most);
    auto* grown = static_cast<uint8_t*>(AllocateMemory(capacity, MemoryNoClear));
    if (!grown)
        return false;
    try {
        retired_.push_back(window_);
    } catch (const std::bad_alloc&) {
        FreeMemory(grown);
        return false;
    }
    const int64_t unread = held_ - at_;
    std::memcpy(grown, window_ + at_, static_cast<size_t>(unread));
    window_ = grown;
    capacity_ = capacity;
    held_ = unread;
    at_ = 0;
    return true;
}

// Moves the unread bytes to the window's start, once the queued images (whose data lies
// before them) are filled.
void PackageSource::MakeRoom() {
    Finish();
    const int64_t unread = held_ - at_;
    std::memmove(window_, window_ + at_, static_cast<size_t>(unread));
    held_ = unread;
    at_ = 0;
}

// One read into the window's free part.
void PackageSource::Fill() {
    const int64_t wanted = std::min(capacity_ - held_, MaxReadChunk);
    const int32_t got = ::ReadData(PackageFileNumber, window_ + held_, wanted);
    held_ += got;
    read_ += got;
    if (got < wanted) {
        ended_ = true;
        failed_ = FileError(PackageFileNumber) != 0;
    }
}

// A record larger than the window: the bytes of it that the window holds, then the rest
// straight from the file into the same block.
void PackageSource::ReadOwned(RecordData& d) {
    // Less than packedSize, the window being smaller than the record.
    const int64_t inWindow = held_ - at_;
    const int64_t capacity = std::min(d.packedSize, inWindow + RestHint());
    auto* bytes =
        static_cast<uint8_t*>(AllocateMemory(std::max<int64_t>(capacity, 1), MemoryNoClear));
    d.owned = true;
    if (!bytes)
        return;
    std::memcpy(bytes, window_ + at_, static_cast<size_t>(inWindow));
    at_ = held_;
    d.bytes = bytes;
    d.available = inWindow;
    if (ended_) {
        d.readError = failed_;
        return;
    }
    // The window is empty now: the file is read on where the window stopped.
    ReadGrowing(d, capacity);
    ended_ = d.available < d.packedSize;
    failed_ = d.readError;
}

// The bytes the file still holds, when its size is known.
int64_t PackageSource::RestHint() const {
    return fileSize_ >= 0 ? std::max<int64_t>(fileSize_ - read_, 0) : FirstReadChunk;
}

// Reads up to packedSize bytes into the record's block (capacity bytes to start with),
// which grows only as data arrives, so that a record claiming more than the file holds
// costs no more memory than the file.
void PackageSource::ReadGrowing(RecordData& d, int64_t capacity) {
    auto* bytes = const_cast<uint8_t*>(d.bytes);
    d.owned = true;
    while (d.available < d.packedSize) {
        if (d.available == capacity) {
            if (Eof(PackageFileNumber))
                break;
            capacity = std::min(d.packedSize, std::max(capacity * 2, FirstReadChunk));
        }
        if (!bytes || MemorySize(bytes) < capacity) {
            uint8_t* grown = Grow(bytes, d.available, capacity);
            if (!grown)
                break;
            bytes = grown;
            d.bytes = bytes;
        }
        const int64_t wanted = capacity - d.available;
        const int32_t got = ::ReadData(PackageFileNumber, bytes + d.available, wanted);
        d.available += got;
        read_ += got;
        if (got < wanted) {
            d.readError = FileError(PackageFileNumber) != 0;
            break;
        }
    }
}
