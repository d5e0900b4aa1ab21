// The allocation wrappers every runtime library goes through, and sized blocks: an
// 8-byte header holding the usable size in bytes, then the data.
//
// Every size is checked before any header is added: negative sizes and sizes above
// MaxBlockBytes give null, so no size + header sum can overflow.
#include "runtime/core/strings/strings.h"
#include "runtime/core/strings/strings_internal.h"

#include <cstdlib>
#include <cstring>

namespace {

constexpr int64_t SizedHeaderBytes = 8;

bool ValidSize(int64_t size) {
    return size >= 0 && size <= MaxBlockBytes;
}

// A request of 0 bytes still gets a distinct block, so that null always means failure.
size_t RequestBytes(int64_t size) {
    return size > 0 ? static_cast<size_t>(size) : 1;
}

char* HeaderOf(const void* block) {
    return static_cast<char*>(const_cast<void*>(block)) - SizedHeaderBytes;
}

void* SizedFromBase(void* base, int64_t size) {
    if (base == nullptr) {
        return nullptr;
    }
    std::memcpy(base, &size, sizeof size);
    return static_cast<char*>(base) + SizedHeaderBytes;
}

} // namespace

void* MemAllocZeroed(int64_t size) {
    return ValidSize(size) ? std::calloc(RequestBytes(size), 1) : nullptr;
}

void* MemAlloc(int64_t size) {
    return ValidSize(size) ? std::malloc(RequestBytes(size)) : nullptr;
}

void* MemReallocZeroFill(void* block, int64_t oldSize, int64_t newSize) {
    if (!ValidSize(oldSize) || !ValidSize(newSize)) {
        return nullptr;
    }
    // realloc to 0 bytes may free the block and return null, which would read as a
    // failure that had in fact released the block; keep at least one byte instead.
    auto* moved = static_cast<char*>(std::realloc(block, RequestBytes(newSize)));
    if (moved != nullptr && newSize > oldSize) {
        std::memset(moved + oldSize, 0, static_cast<size_t>(newSize - oldSize));
    }
    return moved;
}

void MemFree(void* block) {
    std::free(block);
}

void* SizedAllocZeroed(int64_t size) {
    if (!ValidSize(size)) {
        return nullptr;
    }
    return SizedFromBase(std::calloc(static_cast<size_t>(size + SizedHeaderBytes), 1), size);
}

void* SizedAlloc(int64_t size) {
    if (!ValidSize(size)) {
        return nullptr;
    }
    return SizedFromBase(std::malloc(static_cast<size_t>(size + SizedHeaderBytes)), size);
}

void* SizedResizeNoFill(void* block, int64_t newSize) {
    if (block == nullptr || !ValidSize(newSize)) {
        return nullptr;
    }
    void* base = std::realloc(HeaderOf(block), static_cast<size_t>(newSize + SizedHeaderBytes));
    return SizedFromBase(base, newSize);
}

void* SizedResize(void* block, int64_t newSize) {
    const int64_t oldSize = SizedSize(block);
    auto* moved = static_cast<char*>(SizedResizeNoFill(block, newSize));
    if (moved != nullptr && newSize > oldSize) {
        std::memset(moved + oldSize, 0, static_cast<size_t>(newSize - oldSize));
    }
    return moved;
}

void SizedFree(void* block) {
    if (block != nullptr) {
        std::free(HeaderOf(block));
    }
}

int64_t SizedSize(const void* block) {
    if (block == nullptr) {
        return 0;
    }
    int64_t size = 0;
    std::memcpy(&size, HeaderOf(block), sizeof size);
    return size;
}
