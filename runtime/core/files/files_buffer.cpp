// The buffer engine: stream transfers, read-ahead and write-behind through a file's buffer,
// and the switches between read mode and write mode.
//
// Read mode: the next byte to deliver is at buffer offset filled - bufferLeft.
// Write mode: the next byte goes to offset bufferSize - bufferLeft; the bytes before it are
// pending. Transfers of at least a buffer's size beyond what the buffer holds go straight
// to the stream so that no byte is copied twice.
#include "runtime/core/files/files_internal.h"

#include <cstring>

namespace {

// Inserts the positioning call a C update stream needs when the transfer direction
// changes. Seeking by 0 keeps the position and drops nothing.
void PrepareAccess(FileObject* file, int32_t access) {
    if (file->lastAccess != StreamAccessNone && file->lastAccess != access) {
        fseek(file->stream, 0, SEEK_CUR);
    }
    file->lastAccess = access;
}

// Reads up to a buffer's size; filled and bufferLeft become the count delivered.
void Refill(FileObject* file) {
    int64_t got = StreamRead(file, file->buffer, file->bufferSize);
    file->filled = static_cast<int32_t>(got);
    file->bufferLeft = file->filled;
}

void SwitchToRead(FileObject* file) {
    FlushBuffer(file);
    file->readMode = 1;
    file->bufferLeft = 0;
    file->filled = 0;
}

// Moves the stream back over the read-ahead not yet consumed, so that a write lands right
// after the last byte the caller read. 0 when that is impossible (the stream cannot seek
// back); the file then stays in read mode.
int SwitchToWrite(FileObject* file) {
    if (file->bufferLeft > 0 || file->lastAccess == StreamAccessRead) {
        if (fseek(file->stream, -static_cast<long>(file->bufferLeft), SEEK_CUR) != 0 &&
            file->bufferLeft > 0) {
            return 0;
        }
        file->lastAccess = StreamAccessNone;
    }
    file->readMode = 0;
    file->bufferLeft = file->bufferSize;
    return 1;
}

} // namespace

int64_t StreamRead(FileObject* file, void* destination, int64_t n) {
    if (n <= 0) {
        return 0;
    }
    PrepareAccess(file, StreamAccessRead);
    size_t got = fread(destination, 1, static_cast<size_t>(n), file->stream);
    if (got < static_cast<size_t>(n) && ferror(file->stream)) {
        file->failed = 1;
    }
    return static_cast<int64_t>(got);
}

int64_t StreamWrite(FileObject* file, const void* source, int64_t n) {
    if (n <= 0) {
        return 0;
    }
    PrepareAccess(file, StreamAccessWrite);
    size_t put = fwrite(source, 1, static_cast<size_t>(n), file->stream);
    if (put < static_cast<size_t>(n)) {
        file->failed = 1;
    }
    return static_cast<int64_t>(put);
}

int64_t FlushBuffer(FileObject* file) {
    if (file->readMode || file->buffer == nullptr) {
        return 0;
    }
    int64_t pending = file->bufferSize - file->bufferLeft;
    file->bufferLeft = file->bufferSize;
    return StreamWrite(file, file->buffer, pending);
}

int64_t BufferedRead(FileObject* file, void* destination, int64_t n) {
    auto* out = static_cast<uint8_t*>(destination);
    if (!file->readMode) {
        SwitchToRead(file);
    }
    const uint8_t* next = file->buffer + (file->filled - file->bufferLeft);
    if (file->bufferLeft >= n) {
        memcpy(out, next, static_cast<size_t>(n));
        file->bufferLeft -= static_cast<int32_t>(n);
        return n;
    }
    int64_t k = file->bufferLeft;
    memcpy(out, next, static_cast<size_t>(k));
    file->bufferLeft = 0;
    int64_t r = n - k;
    if (r >= file->bufferSize) {
        return k + StreamRead(file, out + k, r);
    }
    Refill(file);
    int64_t m = r < file->filled ? r : file->filled;
    memcpy(out + k, file->buffer, static_cast<size_t>(m));
    file->bufferLeft -= static_cast<int32_t>(m);
    return k + m;
}

int64_t BufferedWrite(FileObject* file, const void* source, int64_t n) {
    if (file->readMode && !SwitchToWrite(file)) {
        file->failed = 1;
        return 0;
    }
    if (file->bufferLeft > n) {
        memcpy(file->buffer + (file->bufferSize - file->bufferLeft), source,
               static_cast<size_t>(n));
        file->bufferLeft -= static_cast<int32_t>(n);
        return n;
    }
    FlushBuffer(file);
    if (n >= file->bufferSize) {
        return StreamWrite(file, source, n);
    }
    memcpy(file->buffer, source, static_cast<size_t>(n));
    file->bufferLeft = file->bufferSize - static_cast<int32_t>(n);
    return n;
}

int64_t FileRead(FileObject* file, void* destination, int64_t n) {
    if (file->buffer != nullptr) {
        return BufferedRead(file, destination, n);
    }
    return StreamRead(file, destination, n);
}

int64_t FileWrite(FileObject* file, const void* source, int64_t n) {
    if (file->readOnly) {
        file->failed = 1;
        return 0;
    }
    if (file->buffer != nullptr) {
        return BufferedWrite(file, source, n);
    }
    return StreamWrite(file, source, n);
}

int BufferedAtEnd(FileObject* file) {
    if (!file->readMode) {
        SwitchToRead(file);
    }
    if (file->bufferLeft > 0) {
        return 0;
    }
    Refill(file);
    return file->bufferLeft == 0 ? 1 : 0;
}
