// Platform strings: runtime strings handed to and taken back from Qt as QString. Both
// sides are UTF-16, so units are copied as they are.
#include "runtime/core/strings/strings_qt.h"
#include "runtime/core/strings/strings_internal.h"

#include <QString>

#include <cstring>
#include <new>

QString* ToPlatformString(const char16_t* s) {
    const int64_t n = StringLength(s);
    if (n == 0) {
        return new (std::nothrow) QString();
    }
    return new (std::nothrow) QString(reinterpret_cast<const QChar*>(s), static_cast<qsizetype>(n));
}

void ReleasePlatformString(QString* s) {
    delete s;
}

char16_t* PlatformStringToTemp(const QString* s, int64_t p) {
    const int64_t n = s != nullptr ? static_cast<int64_t>(s->size()) : 0;
    char16_t* out = TempReserveUnits(n, p);
    if (out == nullptr) {
        return nullptr;
    }
    if (n > 0) {
        std::memcpy(out, s->utf16(), static_cast<size_t>(2 * n));
    }
    out[n] = 0;
    return out;
}

int64_t PlatformStringToBuffer(char16_t* buffer, const QString* s, int64_t capacity) {
    if (buffer == nullptr || capacity < 1) {
        return 0;
    }
    const int64_t available = s != nullptr ? static_cast<int64_t>(s->size()) : 0;
    int64_t n = available < capacity - 1 ? available : capacity - 1;
    // Never end on the first half of a surrogate pair whose second half did not fit.
    if (n > 0 && n < available && s->at(n - 1).isHighSurrogate() && s->at(n).isLowSurrogate()) {
        --n;
    }
    if (n > 0) {
        std::memcpy(buffer, s->utf16(), static_cast<size_t>(2 * n));
    }
    buffer[n] = 0;
    return n;
}
