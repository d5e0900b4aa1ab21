// Fuzz target for the runtime's string conversions (UTF-8, UTF-16, 8-bit). The input is
// read both as UTF-8 bytes and as UTF-16 units. Every conversion writes into a heap
// buffer of exactly the size its counting call gave, so that AddressSanitizer reports any
// write beyond the count; valid UTF-8 and valid UTF-16 must come back unchanged from a
// round trip through the other form.
#include "runtime/core/strings/strings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

void Check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "string convert: %s\n", what);
        std::abort();
    }
}

// Strict UTF-8: shortest forms only, no surrogates, nothing above U+10FFFF.
bool ValidUtf8(const uint8_t* s, size_t n) {
    for (size_t i = 0; i < n;) {
        const uint8_t lead = s[i];
        const size_t need = lead < 0x80   ? 1
                            : lead < 0xC2 ? 0
                            : lead < 0xE0 ? 2
                            : lead < 0xF0 ? 3
                            : lead < 0xF5 ? 4
                                          : 0;
        if (need == 0 || n - i < need)
            return false;
        uint32_t cp = need == 1 ? lead : lead & (0x7F >> need);
        for (size_t k = 1; k < need; k++) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            cp = cp << 6 | (s[i + k] & 0x3F);
        }
        const uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[need] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += need;
    }
    return true;
}

bool ValidUtf16(const char16_t* s, size_t n) {
    for (size_t i = 0; i < n; i++) {
        if (s[i] >= 0xDC00 && s[i] <= 0xDFFF)
            return false;
        if (s[i] >= 0xD800 && s[i] <= 0xDBFF && (++i == n || s[i] < 0xDC00 || s[i] > 0xDFFF))
            return false;
    }
    return true;
}

// Units of in (length units) in codePage, into a buffer of exactly the counted size.
std::unique_ptr<char[]> ToBytes(int codePage, const char16_t* in, int64_t length, int64_t& n) {
    const int64_t counted = WideToMultiByte(codePage, in, length, nullptr, 0);
    auto out = std::make_unique<char[]>(static_cast<size_t>(counted));
    n = WideToMultiByte(codePage, in, length, out.get(), counted);
    Check(n >= 0 && n <= counted, "more bytes written than counted");
    return out;
}

std::unique_ptr<char16_t[]> ToUnits(int codePage, const char* in, int64_t length, int64_t& n) {
    const int64_t counted = MultiByteToWide(codePage, in, length, nullptr, 0);
    auto out = std::make_unique<char16_t[]>(static_cast<size_t>(counted));
    n = MultiByteToWide(codePage, in, length, out.get(), counted);
    Check(n >= 0 && n <= counted, "more units written than counted");
    return out;
}

void Utf8Side(const uint8_t* data, int64_t size) {
    const auto* bytes = reinterpret_cast<const char*>(data);
    int64_t units = 0, back = 0;
    const auto wide = ToUnits(CodePageUtf8, bytes, size, units);
    const auto utf8 = ToBytes(CodePageUtf8, wide.get(), units, back);
    if (ValidUtf8(data, static_cast<size_t>(size)))
        Check(back == size && std::memcmp(utf8.get(), bytes, size) == 0, "UTF-8 round trip");
    int64_t latinUnits = 0, latinBytes = 0;
    const auto latin = ToUnits(CodePage8Bit, bytes, size, latinUnits);
    const auto latinBack = ToBytes(CodePage8Bit, latin.get(), latinUnits, latinBytes);
    Check(latinUnits == size && latinBytes == size &&
              std::memcmp(latinBack.get(), bytes, size) == 0,
          "8-bit round trip");

    // The zero-terminated forms: up to the first zero byte.
    const std::string text(bytes, strnlen(bytes, static_cast<size_t>(size)));
    char16_t* copy = Utf8ToNew(text.c_str());
    Check(copy != nullptr, "Utf8ToNew failed");
    char* again = ToUtf8(copy);
    if (ValidUtf8(reinterpret_cast<const uint8_t*>(text.data()), text.size()))
        Check(text == again, "ToUtf8 (Utf8ToNew) round trip");
    FreeUtf8(again);
    MemFree(copy);
    const int64_t start = TempOffset;
    const char16_t* temp = Utf8ToTemp(text.c_str(), start);
    Check(temp != nullptr && temp[(TempOffset - start) / 2] == 0, "Utf8ToTemp not terminated");
    TempOffset = start;
}

void Utf16Side(const uint8_t* data, int64_t size) {
    const int64_t length = size / 2;
    auto units = std::make_unique<char16_t[]>(static_cast<size_t>(length));
    std::memcpy(units.get(), data, static_cast<size_t>(2 * length));
    int64_t bytes = 0, back = 0, eightBit = 0;
    const auto utf8 = ToBytes(CodePageUtf8, units.get(), length, bytes);
    const auto wide = ToUnits(CodePageUtf8, utf8.get(), bytes, back);
    if (ValidUtf16(units.get(), static_cast<size_t>(length)))
        Check(back == length && std::memcmp(wide.get(), units.get(), 2 * length) == 0,
              "UTF-16 round trip");
    ToBytes(CodePage8Bit, units.get(), length, eightBit);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    InitStringBuffer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Utf8Side(data, static_cast<int64_t>(size));
    Utf16Side(data, static_cast<int64_t>(size));
    return 0;
}
