// String variables (heap blocks owned by a char16_t* variable) and comparisons.
#include "runtime/core/strings/strings.h"
#include "runtime/core/strings/strings_internal.h"

#include <cstdlib>
#include <cstring>

namespace {

// Bytes behind a variable's text: the terminator and room for small appends.
constexpr int64_t VariableSpareBytes = 10;
// Units behind a duplicated string's text.
constexpr int64_t DuplicateSpareUnits = 5;

// A unit read as a signed 16-bit value, the order in which strings compare.
int SignedUnit(char16_t unit) {
    return static_cast<int16_t>(unit);
}

const char16_t EmptyText[1] = {0};

const char16_t* OrEmpty(const char16_t* s) {
    return s != nullptr ? s : EmptyText;
}

// A new block of `bytes` bytes holding the n units of s and a terminator, or null.
char16_t* NewCopy(const char16_t* s, int64_t n, int64_t bytes) {
    if (bytes > MaxBlockBytes) {
        return nullptr;
    }
    auto* block = static_cast<char16_t*>(std::malloc(static_cast<size_t>(bytes)));
    if (block != nullptr) {
        std::memcpy(block, s, static_cast<size_t>(2 * n));
        block[n] = 0;
    }
    return block;
}

} // namespace

void StringAssign(char16_t** variable, const char16_t* s) {
    if (variable == nullptr) {
        return;
    }
    if (s == nullptr) {
        std::free(*variable);
        *variable = nullptr;
        return;
    }
    // A fresh block rather than a resize, so that s may lie inside the variable's own
    // block (assigning a variable to itself or to its own tail).
    const int64_t n = StringLength(s);
    char16_t* block = NewCopy(s, n, 2 * n + VariableSpareBytes);
    if (block == nullptr) {
        return;
    }
    std::free(*variable);
    *variable = block;
}

void StringDuplicate(char16_t** slot, const char16_t* s) {
    if (slot == nullptr || s == nullptr) {
        return;
    }
    // The slot usually still holds s itself (a parameter duplicated onto itself), so the
    // old value is not freed. When memory is short the slot becomes null: it must never
    // keep a block that its owner would later free as a private copy.
    const int64_t n = StringLength(s);
    *slot = NewCopy(s, n, 2 * (n + DuplicateSpareUnits));
}

void StringFree(char16_t* s) {
    std::free(s);
}

int64_t StringLength(const char16_t* s) {
    if (s == nullptr) {
        return 0;
    }
    const char16_t* end = s;
    while (*end != 0) {
        ++end;
    }
    return end - s;
}

int StringEqual(const char16_t* a, const char16_t* b) {
    return StringCompare(a, b) == 0 ? 1 : 0;
}

int StringCompare(const char16_t* a, const char16_t* b) {
    a = OrEmpty(a);
    b = OrEmpty(b);
    while (*a != 0 && *a == *b) {
        ++a;
        ++b;
    }
    return SignedUnit(*a) - SignedUnit(*b);
}

int StringCompareNoCase(const char16_t* a, const char16_t* b) {
    a = OrEmpty(a);
    b = OrEmpty(b);
    for (;; ++a, ++b) {
        const int x = SignedUnit(LowerUnit(*a));
        const int y = SignedUnit(LowerUnit(*b));
        if (x != y || *a == 0) {
            return x - y;
        }
    }
}

char16_t* StringCopy(char16_t* dest, const char16_t* src) {
    if (dest == nullptr) {
        return dest;
    }
    src = OrEmpty(src);
    int64_t i = 0;
    do {
        dest[i] = src[i];
    } while (src[i++] != 0);
    return dest;
}

char16_t* StringCopyN(char16_t* dest, const char16_t* src, int64_t n) {
    if (dest == nullptr) {
        return dest;
    }
    src = OrEmpty(src);
    int64_t i = 0;
    for (; i < n && src[i] != 0; ++i) {
        dest[i] = src[i];
    }
    for (; i < n; ++i) {
        dest[i] = 0;
    }
    return dest;
}
