// Shared by the file library's sources: the registry lookup and the buffer engine.
#pragma once

#include "runtime/core/files/files.h"

// FileObject::lastAccess. A C update stream needs a positioning call between a read and a
// following write (and a flush or positioning call between a write and a following read);
// the engine remembers the direction of the last transfer to insert one when it changes.
constexpr int32_t StreamAccessNone = 0;
constexpr int32_t StreamAccessRead = 1;
constexpr int32_t StreamAccessWrite = 2;

// The open file of an id, or null.
FileObject* FindFile(int64_t id);

// One transfer on the stream itself; the count moved. A shortfall that is not the end of
// the file marks the file failed.
int64_t StreamRead(FileObject* file, void* destination, int64_t n);
int64_t StreamWrite(FileObject* file, const void* source, int64_t n);

// Passes the pending written bytes to the stream; the count passed (0 in read mode).
int64_t FlushBuffer(FileObject* file);

// Transfers through the buffer of a buffered file, switching its mode as needed. Both
// take 0 <= n <= INT32_MAX and return the count moved.
int64_t BufferedRead(FileObject* file, void* destination, int64_t n);
int64_t BufferedWrite(FileObject* file, const void* source, int64_t n);

// Read or write, buffered or not, as the file is. Writes to a read-only file are refused.
int64_t FileRead(FileObject* file, void* destination, int64_t n);
int64_t FileWrite(FileObject* file, const void* source, int64_t n);

// 1 when no byte is left to read; never consumes one.
int BufferedAtEnd(FileObject* file);
