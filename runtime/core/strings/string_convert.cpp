// Conversions between runtime strings (UTF-16) and UTF-8 or 8-bit byte strings.
//
// Counting (no output buffer) and writing walk the input the same way, so a count taken
// first is always enough room for the write that follows.
#include "runtime/core/strings/strings.h"
#include "runtime/core/strings/strings_internal.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t HighSurrogateFirst = 0xD800;
constexpr uint32_t LowSurrogateFirst = 0xDC00;
constexpr uint32_t LowSurrogateLast = 0xDFFF;
constexpr uint32_t FirstSupplementary = 0x10000;
constexpr uint32_t LastCodePoint = 0x10FFFF;

bool IsHighSurrogate(uint32_t unit) {
    return unit >= HighSurrogateFirst && unit < LowSurrogateFirst;
}
bool IsLowSurrogate(uint32_t unit) {
    return unit >= LowSurrogateFirst && unit <= LowSurrogateLast;
}

int Utf8Length(uint32_t cp) {
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

void EncodeUtf8(uint32_t cp, int length, char* out) {
    static constexpr unsigned char LeadMarks[5] = {0, 0x00, 0xC0, 0xE0, 0xF0};
    for (int k = length - 1; k > 0; --k) {
        out[k] = static_cast<char>(0x80 | (cp & 0x3F));
        cp >>= 6;
    }
    out[0] = static_cast<char>(LeadMarks[length] | cp);
}

int64_t WideToUtf8(const char16_t* in, int64_t length, char* out, int64_t outSize) {
    int64_t total = 0;
    for (int64_t i = 0; i < length;) {
        uint32_t cp = in[i];
        int64_t units = 1;
        if (IsHighSurrogate(cp)) {
            if (i + 1 >= length) {
                break;
            }
            const uint32_t next = in[i + 1];
            if (!IsLowSurrogate(next)) {
                return out != nullptr ? 0 : total;
            }
            cp =
                FirstSupplementary + ((cp - HighSurrogateFirst) << 10) + (next - LowSurrogateFirst);
            units = 2;
        }
        const int bytes = Utf8Length(cp);
        if (out != nullptr) {
            if (total + bytes > outSize) {
                break;
            }
            EncodeUtf8(cp, bytes, out + total);
        }
        total += bytes;
        i += units;
    }
    return total;
}

int64_t WideTo8Bit(const char16_t* in, int64_t length, char* out, int64_t outSize) {
    int64_t total = 0;
    for (int64_t i = 0; i < length; ++i) {
        if (in[i] >= 256) {
            continue;
        }
        if (out != nullptr) {
            if (total >= outSize) {
                break;
            }
            out[total] = static_cast<char>(in[i]);
        }
        ++total;
    }
    return total;
}

enum class Decoded { CodePoint, Invalid, End };

// Decodes the sequence starting at in[i]; *used receives its byte count.
Decoded DecodeUtf8(const unsigned char* in, int64_t i, int64_t length, uint32_t* cp, int* used) {
    const unsigned lead = in[i];
    int need;
    if (lead < 0x80) {
        need = 1;
        *cp = lead;
    } else if (lead < 0xC0 || lead >= 0xF8) {
        return Decoded::Invalid;
    } else {
        need = lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        *cp = lead & (0x7Fu >> need);
    }
    if (length - i < need) {
        return Decoded::End;
    }
    for (int k = 1; k < need; ++k) {
        const unsigned next = in[i + k];
        // Only 10xxxxxx continues a sequence; anything else (a terminator, an ASCII
        // byte, a new lead byte) means the sequence was cut short.
        if ((next & 0xC0) != 0x80) {
            return Decoded::Invalid;
        }
        *cp = (*cp << 6) | (next & 0x3F);
    }
    *used = need;
    return *cp > LastCodePoint ? Decoded::End : Decoded::CodePoint;
}

int64_t Utf8ToWide(const char* in, int64_t length, char16_t* out, int64_t outUnits) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(in);
    int64_t total = 0;
    for (int64_t i = 0; i < length;) {
        uint32_t cp = 0;
        int used = 0;
        const Decoded result = DecodeUtf8(bytes, i, length, &cp, &used);
        if (result == Decoded::Invalid) {
            return out != nullptr ? 0 : total;
        }
        if (result == Decoded::End) {
            break;
        }
        const int64_t units = cp >= FirstSupplementary ? 2 : 1;
        if (out != nullptr) {
            if (total + units > outUnits) {
                break;
            }
            if (units == 2) {
                cp -= FirstSupplementary;
                out[total] = static_cast<char16_t>(HighSurrogateFirst + (cp >> 10));
                out[total + 1] = static_cast<char16_t>(LowSurrogateFirst + (cp & 0x3FF));
            } else {
                out[total] = static_cast<char16_t>(cp);
            }
        }
        total += units;
        i += used;
    }
    return total;
}

int64_t EightBitToWide(const char* in, int64_t length, char16_t* out, int64_t outUnits) {
    if (out == nullptr) {
        return length;
    }
    const int64_t count = length < outUnits ? length : outUnits;
    for (int64_t i = 0; i < count; ++i) {
        out[i] = static_cast<unsigned char>(in[i]);
    }
    return count;
}

// Length of a converted text: the units written less a trailing terminator.
int64_t TextUnits(const char16_t* units, int64_t written) {
    return (written > 0 && units[written - 1] == 0) ? written - 1 : written;
}

} // namespace

int64_t WideToMultiByte(int codePage, const char16_t* in, int64_t length, char* out,
                        int64_t outSize) {
    if (in == nullptr || length < -1) {
        return 0;
    }
    if (length == -1) {
        length = StringLength(in) + 1;
    }
    if (outSize < 0) {
        outSize = 0;
    }
    switch (codePage) {
    case CodePageUtf8:
        return WideToUtf8(in, length, out, outSize);
    case CodePage8Bit:
        return WideTo8Bit(in, length, out, outSize);
    default:
        return 0;
    }
}

int64_t MultiByteToWide(int codePage, const char* in, int64_t length, char16_t* out,
                        int64_t outUnits) {
    if (in == nullptr || length < -1) {
        return 0;
    }
    if (length == -1) {
        length = static_cast<int64_t>(std::strlen(in)) + 1;
    }
    if (outUnits < 0) {
        outUnits = 0;
    }
    switch (codePage) {
    case CodePageUtf8:
        return Utf8ToWide(in, length, out, outUnits);
    case CodePage8Bit:
        return EightBitToWide(in, length, out, outUnits);
    default:
        return 0;
    }
}

char* ToUtf8(const char16_t* s) {
    const int64_t needed = WideToMultiByte(CodePageUtf8, s, -1, nullptr, 0);
    char* block = nullptr;
    if (needed > 0 && needed < MaxBlockBytes) {
        block = static_cast<char*>(std::malloc(static_cast<size_t>(needed + 1)));
    }
    if (block == nullptr) {
        // Nothing to convert, or no room for it: the empty string.
        block = static_cast<char*>(std::malloc(1));
        if (block != nullptr) {
            block[0] = 0;
        }
        return block;
    }
    const int64_t written = WideToMultiByte(CodePageUtf8, s, -1, block, needed);
    block[written] = 0;
    return block;
}

void FreeUtf8(char* s) {
    std::free(s);
}

char16_t* Utf8ToTemp(const char* utf8, int64_t p) {
    if (utf8 == nullptr) {
        utf8 = "";
    }
    const int64_t bytes = static_cast<int64_t>(std::strlen(utf8)) + 1;
    const int64_t token = TempToken(utf8);
    const int64_t needed = MultiByteToWide(CodePageUtf8, utf8, bytes, nullptr, 0);
    // needed units hold the text and its terminator; reserving all of them leaves room
    // for a terminator even when the input ended without one.
    char16_t* out = TempReserveUnits(needed, p);
    if (out == nullptr) {
        return nullptr;
    }
    if (token != 0) {
        utf8 = reinterpret_cast<const char*>(TempAddress(token));
    }
    const int64_t length = TextUnits(out, MultiByteToWide(CodePageUtf8, utf8, bytes, out, needed));
    TempOffset = p + 2 * length;
    out[length] = 0;
    return out;
}

char16_t* Utf8ToNew(const char* utf8) {
    if (utf8 == nullptr) {
        utf8 = "";
    }
    const int64_t needed = MultiByteToWide(CodePageUtf8, utf8, -1, nullptr, 0);
    if (needed >= MaxBlockBytes / 2) {
        return nullptr;
    }
    auto* block = static_cast<char16_t*>(std::malloc(static_cast<size_t>(2 * needed + 2)));
    if (block == nullptr) {
        return nullptr;
    }
    const int64_t length = TextUnits(block, MultiByteToWide(CodePageUtf8, utf8, -1, block, needed));
    block[length] = 0;
    return block;
}
