// The size of a named file and the two functions that split a path into its directory
// and file-name parts.
#include "runtime/core/files/files.h"

#include "runtime/core/strings/strings.h"

#include <climits>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr char16_t Quote = u'"';
constexpr char16_t Slash = u'/';

// Writes units [from, to) of path as a string result at byte position p. The path may lie
// inside the temporary buffer, even at p itself: it is found again after the reserve and
// moved, not copied.
char16_t* PathResult(const char16_t* path, int64_t from, int64_t to, int64_t p) {
    int64_t count = to - from;
    int64_t token = TempToken(path);
    char16_t* out = TempReserve(static_cast<int32_t>(count), p);
    if (count > 0) {
        if (token != 0) {
            path = TempAddress(token);
        }
        memmove(out, path + from, static_cast<size_t>(count) * sizeof(char16_t));
    }
    out[count] = 0;
    return out;
}

// Where the path proper starts (past a leading double quote), and its length in units;
// false for a null or empty path and for one too long to be a string result.
bool PathBounds(const char16_t* path, int64_t* start, int64_t* length) {
    if (path == nullptr || path[0] == 0) {
        return false;
    }
    *start = path[0] == Quote ? 1 : 0;
    *length = StringLength(path);
    return *length <= INT32_MAX;
}

// Index just past the last "/" at or after start, or start when there is none.
int64_t AfterLastSlash(const char16_t* path, int64_t start, int64_t length) {
    for (int64_t i = length; i > start; i--) {
        if (path[i - 1] == Slash) {
            return i;
        }
    }
    return start;
}

// Where the extension's "." of the name [start, end) is, or end when there is none to
// drop: the backward search stops at a blank and never takes the name's first unit, and
// a "." in the last position drops nothing.
int64_t ExtensionStart(const char16_t* path, int64_t start, int64_t end) {
    for (int64_t i = end - 1; i > start; i--) {
        if (path[i] == u' ') {
            return end;
        }
        if (path[i] == u'.') {
            return i == end - 1 ? end : i;
        }
    }
    return end;
}

} // namespace

int64_t FileSize(const char16_t* path) {
    if (path == nullptr) {
        return -1;
    }
    char* utf8 = ToUtf8(path);
    if (utf8 == nullptr) {
        return -1;
    }
    struct stat status;
    int result = stat(utf8, &status);
    FreeUtf8(utf8);
    if (result != 0) {
        return -1;
    }
    if (S_ISDIR(status.st_mode)) {
        return -2;
    }
    return static_cast<int64_t>(status.st_size);
}

char16_t* GetPathPart(const char16_t* path, int64_t p) {
    int64_t start = 0;
    int64_t length = 0;
    if (!PathBounds(path, &start, &length)) {
        return PathResult(path, 0, 0, p);
    }
    return PathResult(path, start, AfterLastSlash(path, start, length), p);
}

char16_t* GetFilePart(const char16_t* path, int64_t flags, int64_t p) {
    int64_t start = 0;
    int64_t length = 0;
    if (!PathBounds(path, &start, &length)) {
        return PathResult(path, 0, 0, p);
    }
    int64_t name = AfterLastSlash(path, start, length);
    int64_t end = name;
    while (end < length && path[end] != Quote) {
        end++;
    }
    if ((flags & FilePartNoExtension) != 0) {
        end = ExtensionStart(path, name, end);
    }
    return PathResult(path, name, end, p);
}
