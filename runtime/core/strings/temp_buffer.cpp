// The one temporary buffer in which string expressions are assembled, and the start and
// end commands of the string library.
//
// Positions inside the buffer are byte offsets from TempBase because any reservation may
// move the buffer. The allocation is always TempCapacity + 10 bytes and a reservation
// keeps TempOffset below TempCapacity - 4, so at least 14 bytes stay free behind the
// text for its terminator.
#include "runtime/core/strings/strings.h"
#include "runtime/core/strings/strings_internal.h"

#include <clocale>
#include <cstdlib>
#include <cstring>

char* TempBase = nullptr;
int64_t TempOffset = 0;
int64_t TempCapacity = 0;

namespace {

// Bytes beyond TempCapacity that every allocation of the buffer carries.
constexpr int64_t SpareBytes = 10;
// Headroom added by each growth, so that a chain of appends reallocates once per 16 KiB.
constexpr int64_t GrowthBytes = 16384;
// Capacity of a fresh buffer.
constexpr int64_t InitialCapacity = 16;

// Moves the buffer to an allocation of capacity + SpareBytes; false when memory is short.
bool ResizeBuffer(int64_t capacity) {
    if (capacity > MaxBlockBytes) {
        return false;
    }
    void* moved = std::realloc(TempBase, static_cast<size_t>(capacity + SpareBytes));
    if (moved == nullptr) {
        return false;
    }
    TempBase = static_cast<char*>(moved);
    TempCapacity = capacity;
    return true;
}

void PutUnit(int64_t position, char16_t unit) {
    std::memcpy(TempBase + position, &unit, sizeof unit);
}

} // namespace

void InitStringLocale() {
    std::setlocale(LC_ALL, "");
}

void InitStringBuffer() {
    std::free(TempBase);
    TempBase = nullptr;
    TempCapacity = 0;
    TempOffset = 0;
    if (ResizeBuffer(InitialCapacity)) {
        PutUnit(0, 0);
    }
}

void EndStrings() {
    std::free(TempBase);
    TempBase = nullptr;
    TempOffset = 0;
    TempCapacity = 0;
}

char16_t* TempReserveUnits(int64_t n, int64_t p) {
    if (n < 0 || p < 0 || p > TempOffset || n > MaxBlockBytes / 2) {
        return nullptr;
    }
    // A missing buffer (before start-up or after the end command) counts as full.
    if (TempBase == nullptr || TempOffset + 2 * n >= TempCapacity - 4) {
        if (!ResizeBuffer(TempOffset + 2 * n + GrowthBytes)) {
            return nullptr;
        }
    }
    TempOffset = p + 2 * n;
    return reinterpret_cast<char16_t*>(TempBase + p);
}

char16_t* TempReserve(int32_t n, int64_t p) {
    return TempReserveUnits(n, p);
}

void TempAppend(const char16_t* s) {
    if (s == nullptr) {
        TempEmptyResult(TempOffset);
        return;
    }
    const int64_t n = StringLength(s);
    // The source may lie inside the buffer (a careless caller); follow it if it moves.
    const int64_t token = TempToken(s);
    const int64_t start = TempOffset;
    char16_t* dest = TempReserveUnits(n, start);
    if (dest == nullptr) {
        return;
    }
    if (token != 0) {
        s = TempAddress(token);
    }
    std::memmove(dest, s, static_cast<size_t>(2 * n));
    PutUnit(TempOffset, 0);
}

void TempStore(char16_t** variable, int64_t start) {
    if (start < 0 || start > TempOffset) {
        start = TempOffset;
    }
    const int64_t bytes = TempOffset - start;
    if (variable == nullptr) {
        TempOffset = start;
        return;
    }
    void* block = std::realloc(*variable, static_cast<size_t>(bytes + SpareBytes));
    TempOffset = start;
    if (block == nullptr) {
        // Keep the old block but make it read as the empty string.
        if (*variable != nullptr) {
            (*variable)[0] = 0;
        }
        return;
    }
    *variable = static_cast<char16_t*>(block);
    if (bytes > 0) {
        std::memcpy(block, TempBase + start, static_cast<size_t>(bytes));
    }
    (*variable)[bytes / 2] = 0;
}

char16_t* TempEmptyResult(int64_t p) {
    if (TempReserveUnits(0, p) != nullptr) {
        PutUnit(p, 0);
    }
    return reinterpret_cast<char16_t*>(TempBase);
}

void TempGiveBack(int32_t n) {
    if (n > 0 && 2 * static_cast<int64_t>(n) <= TempOffset) {
        TempOffset -= 2 * static_cast<int64_t>(n);
    }
}

int64_t TempToken(const void* address) {
    if (TempBase == nullptr || address == nullptr) {
        return 0;
    }
    // Integer arithmetic: comparing pointers into different objects is undefined.
    const uintptr_t base = reinterpret_cast<uintptr_t>(TempBase);
    const uintptr_t where = reinterpret_cast<uintptr_t>(address);
    if (where < base || where - base >= static_cast<uintptr_t>(TempCapacity + SpareBytes)) {
        return 0;
    }
    return static_cast<int64_t>(where - base) + 1;
}

char16_t* TempAddress(int64_t token) {
    if (token <= 0 || TempBase == nullptr || token > TempCapacity + SpareBytes) {
        return nullptr;
    }
    return reinterpret_cast<char16_t*>(TempBase + (token - 1));
}
