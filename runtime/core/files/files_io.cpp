// Commands on an open file: typed reads and writes, block transfers and the end test.
#include "runtime/core/files/files_internal.h"

#include <climits>

namespace {

// Reads n (1, 2 or 4) bytes little-endian into the low bytes of a zero value; bytes the
// file does not deliver stay 0.
uint32_t ReadUnsigned(FileObject* file, int n) {
    uint8_t bytes[4] = {0, 0, 0, 0};
    FileRead(file, bytes, n);
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

int32_t WriteUnsigned(int64_t id, uint32_t value, int n) {
    FileObject* file = FindFile(id);
    if (file == nullptr) {
        return 0;
    }
    uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                        static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    return static_cast<int32_t>(FileWrite(file, bytes, n));
}

} // namespace

int Eof(int64_t id) {
    FileObject* file = FindFile(id);
    if (file == nullptr) {
        return 0;
    }
    if (file->buffer != nullptr) {
        return BufferedAtEnd(file);
    }
    // A read error ends reading too: without this a loop over an unreadable stream would
    // never see the end indicator.
    return feof(file->stream) || ferror(file->stream) ? 1 : 0;
}

int64_t ReadByte(int64_t id) {
    FileObject* file = FindFile(id);
    return file != nullptr ? static_cast<int8_t>(ReadUnsigned(file, 1)) : 0;
}

int64_t ReadWord(int64_t id) {
    FileObject* file = FindFile(id);
    return file != nullptr ? static_cast<int16_t>(ReadUnsigned(file, 2)) : 0;
}

int64_t ReadLong(int64_t id) {
    FileObject* file = FindFile(id);
    return file != nullptr ? static_cast<int32_t>(ReadUnsigned(file, 4)) : 0;
}

int32_t WriteByte(int64_t id, int64_t value) {
    return WriteUnsigned(id, static_cast<uint32_t>(value), 1);
}

int32_t WriteWord(int64_t id, int64_t value) {
    return WriteUnsigned(id, static_cast<uint32_t>(value), 2);
}

int32_t WriteLong(int64_t id, int64_t value) {
    return WriteUnsigned(id, static_cast<uint32_t>(value), 4);
}

int32_t ReadData(int64_t id, void* address, int64_t length) {
    FileObject* file = FindFile(id);
    if (file == nullptr || address == nullptr || length <= 0) {
        return 0;
    }
    // The count comes back as 32 bits, so one call moves at most INT32_MAX bytes.
    if (length > INT32_MAX) {
        length = INT32_MAX;
    }
    return static_cast<int32_t>(FileRead(file, address, length));
}

int32_t WriteData(int64_t id, const void* address, int32_t length) {
    FileObject* file = FindFile(id);
    if (file == nullptr || address == nullptr || length <= 0) {
        return 0;
    }
    return static_cast<int32_t>(FileWrite(file, address, length));
}
