// The file registry, the open commands and the close commands.
#include "runtime/core/files/files_internal.h"

#include "runtime/core/objects/objects.h"
#include "runtime/core/strings/strings.h"

#include <sys/stat.h>

int32_t FileBufferSize = 4096;

namespace {

ObjectRegistry* FileRegistry = nullptr;

enum class OpenKind { Read, Update, Create };

// Opens the stream on the UTF-8 form of the path; the copy lives only for the call.
FILE* OpenStream(const char16_t* path, OpenKind kind) {
    char* utf8 = ToUtf8(path);
    if (utf8 == nullptr) {
        return nullptr;
    }
    FILE* stream = nullptr;
    switch (kind) {
    case OpenKind::Read:
        stream = fopen(utf8, "r");
        break;
    case OpenKind::Update:
        stream = fopen(utf8, "r+");
        if (stream == nullptr) {
            stream = fopen(utf8, "w+");
        }
        break;
    case OpenKind::Create:
        stream = fopen(utf8, "w+");
        break;
    }
    FreeUtf8(utf8);
    return stream;
}

// A directory opens for reading on some systems, yet every read of it fails: it is not a
// readable file, so the open refuses it.
bool IsDirectoryStream(FILE* stream) {
    struct stat status;
    return fstat(fileno(stream), &status) == 0 && S_ISDIR(status.st_mode);
}

void FillRecord(FileObject* file, FILE* stream, int64_t flags, bool readOnly) {
    file->stream = stream;
    file->buffer = nullptr;
    file->bufferSize = 0;
    if (FileBufferSize > 0 && (flags & FileUnbuffered) == 0) {
        // Without memory for the buffer the file simply works unbuffered.
        file->buffer = static_cast<uint8_t*>(MemAllocZeroed(FileBufferSize));
        if (file->buffer != nullptr) {
            file->bufferSize = FileBufferSize;
        }
    }
    file->bufferLeft = 0;
    file->filled = 0;
    file->readMode = 1;
    file->lastAccess = StreamAccessNone;
    file->readOnly = readOnly ? 1 : 0;
    file->failed = 0;
}

int64_t OpenAny(int64_t number, const char16_t* path, int64_t flags, OpenKind kind) {
    if (FileRegistry == nullptr || number < AnyNumber) {
        return 0;
    }
    // Closes a file open under the number first (flushing it).
    auto* file = static_cast<FileObject*>(AllocateObject(FileRegistry, number));
    if (file == nullptr) {
        return 0;
    }
    int64_t id = number == AnyNumber ? reinterpret_cast<int64_t>(file) : number;
    FILE* stream = OpenStream(path, kind);
    if (stream != nullptr && kind == OpenKind::Read && IsDirectoryStream(stream)) {
        fclose(stream);
        stream = nullptr;
    }
    if (stream == nullptr) {
        // A numbered record is already zero-filled (absent); a dynamic one is released.
        if (number == AnyNumber) {
            FreeObject(FileRegistry, id);
        }
        return 0;
    }
    FillRecord(file, stream, flags, kind == OpenKind::Read);
    if (kind == OpenKind::Update && (flags & FileAtEnd) != 0) {
        fseek(stream, 0, SEEK_END);
    }
    return number == AnyNumber ? id : reinterpret_cast<int64_t>(stream);
}

// Flushes, releases the buffer, closes the stream and frees the record. 1 when every byte
// ever written reached the file and the close succeeded.
int CloseRecord(FileObject* file, int64_t id) {
    int ok = 1;
    if (file->buffer != nullptr) {
        FlushBuffer(file);
        MemFree(file->buffer);
        file->buffer = nullptr;
    }
    if (file->failed) {
        ok = 0;
    }
    if (fclose(file->stream) != 0) {
        ok = 0;
    }
    file->stream = nullptr;
    FreeObject(FileRegistry, id);
    return ok;
}

} // namespace

FileObject* FindFile(int64_t id) {
    if (FileRegistry == nullptr) {
        return nullptr;
    }
    return static_cast<FileObject*>(GetObject(FileRegistry, id));
}

void InitFiles() {
    if (FileRegistry == nullptr) {
        FileRegistry = NewObjectRegistry(sizeof(FileObject), 16, CloseFile);
    }
}

void EndFiles() {
    CloseFile(AllObjects);
}

int64_t ReadFile(int64_t number, const char16_t* path, int64_t flags) {
    return OpenAny(number, path, flags, OpenKind::Read);
}

int64_t OpenFile(int64_t number, const char16_t* path, int64_t flags) {
    return OpenAny(number, path, flags, OpenKind::Update);
}

int64_t CreateFile(int64_t number, const char16_t* path, int64_t flags) {
    return OpenAny(number, path, flags, OpenKind::Create);
}

void CloseFile(int64_t id) {
    if (id == AllObjects) {
        if (FileRegistry != nullptr) {
            FreeAllObjects(FileRegistry);
        }
        return;
    }
    FileObject* file = FindFile(id);
    if (file != nullptr) {
        CloseRecord(file, id);
    }
}

int CloseFileChecked(int64_t id) {
    if (id == AllObjects) {
        return 0;
    }
    FileObject* file = FindFile(id);
    return file != nullptr ? CloseRecord(file, id) : 0;
}

int FileError(int64_t id) {
    FileObject* file = FindFile(id);
    if (file == nullptr) {
        return 0;
    }
    return file->failed || ferror(file->stream) ? 1 : 0;
}
