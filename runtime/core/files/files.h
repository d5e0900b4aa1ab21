// Buffered file I/O: numbered files on C streams, each with a read/write buffer of the
// runtime's own in front of the stream, typed little-endian reads and writes, block
// transfers, the size of a named file, and the two functions that split a path.
//
// Files are numbered objects (objects.h): the caller picks a number from 0 or passes
// AnyNumber for a dynamic id. Every command on an id that is not an open file does
// nothing and returns 0. Paths are runtime strings; the stream is opened on their UTF-8
// form, relative paths resolving against the working directory.
//
// A buffered file is either in read mode (the buffer holds read-ahead bytes) or in write
// mode (the buffer holds bytes not yet passed to the stream) and switches on demand.
// Buffered writes report success once the bytes are in the buffer; callers that must know
// whether they reached the file close with CloseFileChecked, and readers that must tell
// a damaged medium from the end of the file ask FileError.
#pragma once

#include <cstdint>
#include <cstdio>

// Open flags. The forms without flags pass FileNoFlags, which selects nothing.
constexpr int64_t FileNoFlags = 1;
constexpr int64_t FileUnbuffered = 4;
// OpenFile only: start at the end of the file.
constexpr int64_t FileAtEnd = 8;

// GetFilePart flag: drop the extension.
constexpr int64_t FilePartNoExtension = 1;

// Buffer size in bytes given to files opened from now on; 0 or less opens them unbuffered.
// The program leaves it at 4096; tests shrink it to exercise the buffer edges.
extern int32_t FileBufferSize;

// The registry record of one file.
struct FileObject {
    FILE* stream;       // non-zero while the file is open
    uint8_t* buffer;    // bufferSize bytes, or null for an unbuffered file
    int32_t bufferSize; // bytes
    int32_t bufferLeft; // read mode: bytes not yet consumed; write mode: free bytes
    int32_t filled;     // read mode: bytes the last refill delivered
    int32_t readMode;   // 1: read-ahead (or nothing) buffered; 0: pending written bytes
    int32_t lastAccess; // direction of the last stream transfer (see files_internal.h)
    int32_t readOnly;   // opened by ReadFile: writes are refused
    int32_t failed;     // 1 once a transfer failed or a write fell short
};

// --- Start and end commands -----------------------------------------------------------

// Creates the file registry (16 slots to start with). A second call does nothing.
void InitFiles();
// Closes every open file, flushing its buffer.
void EndFiles();

// --- Opening and closing ----------------------------------------------------------------
// Each returns the stream handle (as an integer) for a number, the dynamic id for
// AnyNumber, 0 on failure. A file already open under the number is closed first, its
// buffer flushed, whether or not the new open succeeds.

// Opens an existing file for reading. A directory is refused (result 0).
int64_t ReadFile(int64_t number, const char16_t* path, int64_t flags = FileNoFlags);
// Opens a file for reading and writing, creating it when it does not exist.
int64_t OpenFile(int64_t number, const char16_t* path, int64_t flags = FileNoFlags);
// Creates a file, or truncates an existing one, for reading and writing.
int64_t CreateFile(int64_t number, const char16_t* path, int64_t flags = FileNoFlags);

// Flushes and closes one file, or every file for AllObjects. Failures are not reported.
void CloseFile(int64_t id);
// Closes one file like CloseFile; 1 only when every byte written to it reached the file
// (pending buffer included) and the stream closed without error, else 0. An id that is
// not an open file (AllObjects included) gives 0 and closes nothing.
int CloseFileChecked(int64_t id);
// 1 once a transfer of the file failed (a read error other than the end of the file, a
// write that fell short, a refused write), else 0.
int FileError(int64_t id);

// --- Reading and writing ----------------------------------------------------------------

// 0 while a byte can still be read, 1 at the end. A buffered file reports its end as soon
// as no byte is left; an unbuffered one once a read has hit the end. After a read error
// both report 1, so a read loop always stops. Eof never consumes a byte.
int Eof(int64_t id);

// The next 1, 2 or 4 bytes, little-endian, sign-extended. Bytes beyond the end of the
// file read as 0, so a cut value keeps the bytes that exist as its low-order bytes.
int64_t ReadByte(int64_t id);
int64_t ReadWord(int64_t id);
int64_t ReadLong(int64_t id);

// The low 1, 2 or 4 bytes of value, little-endian; the number of bytes written.
int32_t WriteByte(int64_t id, int64_t value);
int32_t WriteWord(int64_t id, int64_t value);
int32_t WriteLong(int64_t id, int64_t value);

// Reads up to length bytes into address; the count read (below length at the end of the
// file). A null address or a length below 1 reads nothing; at most INT32_MAX per call.
int32_t ReadData(int64_t id, void* address, int64_t length);
// Writes length bytes from address; the count accepted. A null address or a length below
// 1 writes nothing and gives 0.
int32_t WriteData(int64_t id, const void* address, int32_t length);

// --- Paths ------------------------------------------------------------------------------

// Size in bytes of a named file (it need not be open); -1 when the path is null, missing
// or cannot be examined; -2 for a directory.
int64_t FileSize(const char16_t* path);

// String functions (strings.h): the result is written at byte position p of the
// temporary buffer, TempOffset ends right behind it, and its address is returned. A
// leading double quote of the path is skipped.
//
// The file-name part: after the last "/", up to the end or the next double quote. With
// FilePartNoExtension the last "." and what follows it are dropped, unless that dot is
// the name's first or last character or a blank lies after it.
char16_t* GetFilePart(const char16_t* path, int64_t flags, int64_t p);
// The directory part: up to and including the last "/", or empty when there is none.
char16_t* GetPathPart(const char16_t* path, int64_t p);
