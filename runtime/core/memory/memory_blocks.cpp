// Memory blocks on the runtime's sized allocator, and little-endian peek and poke.

#include "runtime/core/memory/memory.h"

#include <cstdint>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "runtime/core/strings/strings.h"

namespace {

// The sized allocator adds its 8-byte size word to every request; anything this close to
// the top of the 64-bit range cannot be a real block, so it is refused before that
// addition could wrap around.
constexpr int64_t MaxBlockSize = INT64_MAX / 2;

uint64_t LoadLittleEndian(const void* address, int bytes) {
    const auto* p = static_cast<const uint8_t*>(address);
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = (value << 8) | p[i];
    }
    return value;
}

void StoreLittleEndian(void* address, uint64_t value, int bytes) {
    auto* p = static_cast<uint8_t*>(address);
    for (int i = 0; i < bytes; ++i) {
        p[i] = static_cast<uint8_t>(value >> (8 * i));
    }
}

} // namespace

void InitMemory() {
#if defined(__GLIBC__)
    // Blocks of 128 KiB and more (sample images, the package reader's window) come from the
    // system and go back to it when freed. Left to itself, glibc raises this threshold after
    // the first such block is freed, and then keeps the pages of every later image once it
    // is freed: a window that decodes package after package would stay as large as the
    // largest package it ever held. Commands that reuse their pages on purpose (extract)
    // set their own threshold after start-up.
    mallopt(M_MMAP_THRESHOLD, 128 << 10);
#endif
}

void EndMemory() {}

void* AllocateMemory(int64_t size, int flags) {
    if (size < 1 || size > MaxBlockSize) {
        return nullptr;
    }
    if (flags & MemoryNoClear) {
        return SizedAlloc(size);
    }
    return SizedAllocZeroed(size);
}

void FreeMemory(void* block) {
    if (block != nullptr) {
        SizedFree(block);
    }
}

int64_t MemorySize(const void* block) {
    return block != nullptr ? SizedSize(block) : 0;
}

int64_t PeekB(const void* address) {
    return static_cast<int8_t>(LoadLittleEndian(address, 1));
}

int64_t PeekW(const void* address) {
    return static_cast<int16_t>(LoadLittleEndian(address, 2));
}

int64_t PeekL(const void* address) {
    return static_cast<int32_t>(LoadLittleEndian(address, 4));
}

void PokeB(void* address, int64_t value) {
    StoreLittleEndian(address, static_cast<uint64_t>(value), 1);
}

void PokeW(void* address, int64_t value) {
    StoreLittleEndian(address, static_cast<uint64_t>(value), 2);
}

void PokeL(void* address, int64_t value) {
    StoreLittleEndian(address, static_cast<uint64_t>(value), 4);
}
