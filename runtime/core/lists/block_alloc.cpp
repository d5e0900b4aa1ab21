// Fixed-size slots handed out from large blocks. Each slot starts with one owner word: the
// address of its block while the slot is handed out, the next free slot while it is free.
// An allocator keeps blocks with slots to give apart from full ones, so both allocation
// and release take constant time.
#include "runtime/core/lists/lists_internal.h"

#include "runtime/core/strings/strings.h"

#include <cstdint>

namespace {

constexpr int64_t OwnerWordSize = 8;
// Growth divisor: a new block holds about a sixteenth of the slots already held.
constexpr int64_t GrowthDivisor = 16;
// Block capacities are multiples of this many slots.
constexpr int64_t CapacityGranule = 16;

class AllocatorLock {
public:
    explicit AllocatorLock(KS_BlockAllocStruct* allocator)
        : mutex_(allocator->locked ? &allocator->mutex : nullptr) {
        if (mutex_)
            pthread_mutex_lock(mutex_);
    }
    ~AllocatorLock() {
        if (mutex_)
            pthread_mutex_unlock(mutex_);
    }
    AllocatorLock(const AllocatorLock&) = delete;
    AllocatorLock& operator=(const AllocatorLock&) = delete;

private:
    pthread_mutex_t* mutex_;
};

char* SlotAt(KS_AllocBlock* block, int64_t slotSize, int64_t position) {
    return reinterpret_cast<char*>(block + 1) + position * slotSize;
}

void*& OwnerWord(char* slot) {
    return *reinterpret_cast<void**>(slot);
}

void PushFront(KS_AllocBlock** head, KS_AllocBlock* block) {
    block->prev = nullptr;
    block->next = *head;
    if (*head)
        (*head)->prev = block;
    *head = block;
}

void Unlink(KS_AllocBlock** head, KS_AllocBlock* block) {
    if (block->prev)
        block->prev->next = block->next;
    else
        *head = block->next;
    if (block->next)
        block->next->prev = block->prev;
    block->next = nullptr;
    block->prev = nullptr;
}

int64_t NextBlockCapacity(const KS_BlockAllocStruct* allocator) {
    int64_t capacity = allocator->totalItems / GrowthDivisor / CapacityGranule * CapacityGranule;
    if (capacity < allocator->minItems)
        return allocator->minItems;
    return capacity > allocator->maxItems ? allocator->maxItems : capacity;
}

KS_AllocBlock* AllocateBlock(int64_t capacity, int64_t slotSize) {
    const int64_t header = static_cast<int64_t>(sizeof(KS_AllocBlock));
    if (capacity < 1 || capacity > (INT64_MAX - header) / slotSize)
        return nullptr;
    auto* block = static_cast<KS_AllocBlock*>(MemAllocZeroed(header + capacity * slotSize));
    if (block)
        block->capacity = static_cast<int32_t>(capacity);
    return block;
}

// Makes a block (a single slot when the full size cannot be had), hands out its first
// slot and files it under the list it now belongs to.
KS_AllocBlock* AddBlock(KS_BlockAllocStruct* allocator) {
    KS_AllocBlock* block = AllocateBlock(NextBlockCapacity(allocator), allocator->slotSize);
    if (!block)
        block = AllocateBlock(1, allocator->slotSize);
    if (!block)
        return nullptr;
    allocator->totalItems += block->capacity;
    block->used = 1;
    PushFront(block->capacity == 1 ? &allocator->fullBlocks : &allocator->openBlocks, block);
    return block;
}

char* TakeSlot(KS_BlockAllocStruct* allocator, KS_AllocBlock* block) {
    char* slot;
    if (block->freeCount > 0) {
        slot = static_cast<char*>(block->freeSlots);
        block->freeSlots = OwnerWord(slot);
        block->freeCount -= 1;
    } else {
        slot = SlotAt(block, allocator->slotSize, block->used);
        block->used += 1;
    }
    if (block->freeCount == 0 && block->used >= block->capacity) {
        Unlink(&allocator->openBlocks, block);
        PushFront(&allocator->fullBlocks, block);
    }
    return slot;
}

void FreeBlockChain(KS_AllocBlock* block) {
    while (block) {
        KS_AllocBlock* next = block->next;
        MemFree(block);
        block = next;
    }
}

} // namespace

int64_t BlockSlotSize(int64_t itemSize) {
    if (itemSize < 0 || itemSize > INT64_MAX - OwnerWordSize - 7)
        return 0;
    return (itemSize + OwnerWordSize + 7) / 8 * 8;
}

KS_BlockAllocStruct* NewPrivateAllocator(int64_t slotSize, int32_t minItems, int32_t maxItems,
                                         int32_t flags) {
    auto* allocator =
        static_cast<KS_BlockAllocStruct*>(MemAllocZeroed(sizeof(KS_BlockAllocStruct)));
    if (!allocator)
        return nullptr;
    allocator->slotSize = slotSize;
    allocator->minItems = minItems < 1 ? 1 : minItems;
    allocator->maxItems = maxItems < allocator->minItems ? allocator->minItems : maxItems;
    if ((flags & 3) == BlockAllocLocked) {
        pthread_mutexattr_t attributes;
        bool ready = pthread_mutexattr_init(&attributes) == 0;
        ready = ready && pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                pthread_mutex_init(&allocator->mutex, &attributes) == 0;
        pthread_mutexattr_destroy(&attributes);
        if (!ready) {
            MemFree(allocator);
            return nullptr;
        }
        allocator->locked = 1;
    }
    return allocator;
}

void FreePrivateAllocator(KS_BlockAllocStruct* allocator) {
    ClearBlockAllocator(allocator);
    if (allocator->locked)
        pthread_mutex_destroy(&allocator->mutex);
    MemFree(allocator);
}

void* BlockAlloc(KS_BlockAllocStruct* allocator) {
    if (!allocator)
        return nullptr;
    AllocatorLock lock(allocator);
    KS_AllocBlock* block = allocator->openBlocks;
    char* slot;
    if (block) {
        slot = TakeSlot(allocator, block);
    } else {
        block = AddBlock(allocator);
        if (!block)
            return nullptr;
        slot = SlotAt(block, allocator->slotSize, 0);
    }
    OwnerWord(slot) = block;
    return slot + OwnerWordSize;
}

void BlockFree(KS_BlockAllocStruct* allocator, void* item) {
    if (!allocator || !item)
        return;
    AllocatorLock lock(allocator);
    char* slot = static_cast<char*>(item) - OwnerWordSize;
    auto* block = static_cast<KS_AllocBlock*>(OwnerWord(slot));
    const bool wasFull = block->freeCount == 0 && block->used >= block->capacity;
    OwnerWord(slot) = block->freeSlots;
    block->freeSlots = slot;
    block->freeCount += 1;
    if (block->freeCount == block->used) {
        Unlink(wasFull ? &allocator->fullBlocks : &allocator->openBlocks, block);
        allocator->totalItems -= block->capacity;
        MemFree(block);
    } else if (wasFull) {
        Unlink(&allocator->fullBlocks, block);
        PushFront(&allocator->openBlocks, block);
    }
}

void ClearBlockAllocator(KS_BlockAllocStruct* allocator) {
    if (!allocator)
        return;
    AllocatorLock lock(allocator);
    FreeBlockChain(allocator->openBlocks);
    FreeBlockChain(allocator->fullBlocks);
    allocator->openBlocks = nullptr;
    allocator->fullBlocks = nullptr;
    allocator->totalItems = 0;
}
