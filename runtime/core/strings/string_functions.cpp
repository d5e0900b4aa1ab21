// String functions that write their result into the temporary buffer: LCase, UCase,
// Str and RSet. Each may take as input a result left earlier at its own output position;
// it notes the input's token before reserving and recovers the address afterwards.
#include "runtime/core/strings/strings.h"
#include "runtime/core/strings/strings_internal.h"

#include <cstring>
#include <cwctype>

namespace {

// Units from here up are passed through the case mappings untouched: read as signed
// 16-bit values they are negative, and no C library mapping is defined for them.
constexpr char16_t FirstUnmappedUnit = 0x8000;
constexpr char16_t Space = 32;
// Digits of the longest 64-bit decimal text plus its sign.
constexpr int32_t StrUnits = 64;

char16_t MapUnit(char16_t unit, std::wint_t (*mapping)(std::wint_t)) {
    if (unit >= FirstUnmappedUnit) {
        return unit;
    }
    const std::wint_t mapped = mapping(unit);
    return mapped <= 0xFFFF ? static_cast<char16_t>(mapped) : unit;
}

std::wint_t Lower(std::wint_t c) {
    return std::towlower(c);
}
std::wint_t Upper(std::wint_t c) {
    return std::towupper(c);
}

// The case-mapped copy of s (with its terminator) at byte position p.
char16_t* MapCase(const char16_t* s, int64_t p, char16_t (*map)(char16_t)) {
    const int64_t n = StringLength(s);
    const int64_t token = TempToken(s);
    char16_t* out = TempReserveUnits(n, p);
    if (out == nullptr) {
        return nullptr;
    }
    if (s == nullptr) {
        out[0] = 0;
        return out;
    }
    if (token != 0) {
        s = TempAddress(token);
    }
    // Unit by unit, in the direction that never overwrites an input unit before it is
    // read when input and output overlap.
    if (reinterpret_cast<uintptr_t>(out) <= reinterpret_cast<uintptr_t>(s)) {
        for (int64_t i = 0; i <= n; ++i) {
            out[i] = map(s[i]);
        }
    } else {
        for (int64_t i = n; i >= 0; --i) {
            out[i] = map(s[i]);
        }
    }
    return out;
}

} // namespace

char16_t LowerUnit(char16_t unit) {
    return MapUnit(unit, Lower);
}
char16_t UpperUnit(char16_t unit) {
    return MapUnit(unit, Upper);
}

char16_t* LCase(const char16_t* s, int64_t p) {
    return MapCase(s, p, LowerUnit);
}
char16_t* UCase(const char16_t* s, int64_t p) {
    return MapCase(s, p, UpperUnit);
}

char16_t* Str(int64_t value, int64_t p) {
    char16_t* out = TempReserveUnits(StrUnits, p);
    if (out == nullptr) {
        return nullptr;
    }
    int32_t length = 0;
    // The magnitude as unsigned, so that INT64_MIN needs no negation of a signed value.
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) {
        out[length++] = u'-';
        magnitude = 0 - magnitude;
    }
    char16_t digits[20];
    int32_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    while (count > 0) {
        out[length++] = digits[--count];
    }
    out[length] = 0;
    TempGiveBack(StrUnits - length);
    return out;
}

char16_t* RSet(const char16_t* s, int32_t length, const char16_t* pad, int64_t p) {
    const int64_t field = length > 0 ? length : 0;
    const int64_t n = StringLength(s);
    const int64_t copied = n < field ? n : field;
    const int64_t padded = field - copied;
    // An empty pad string would put terminators inside the text; pad with spaces then.
    const char16_t padUnit = (pad != nullptr && pad[0] != 0) ? pad[0] : Space;
    const int64_t token = TempToken(s);
    char16_t* out = TempReserveUnits(field, p);
    if (out == nullptr) {
        return nullptr;
    }
    if (copied > 0) {
        if (token != 0) {
            s = TempAddress(token);
        }
        std::memmove(out + padded, s, static_cast<size_t>(2 * copied));
    }
    for (int64_t i = 0; i < padded; ++i) {
        out[i] = padUnit;
    }
    out[field] = 0;
    return out;
}
