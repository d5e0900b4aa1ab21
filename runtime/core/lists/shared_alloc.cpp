// Creation and release of block allocators, and the process-wide table of shared ones:
// lists of one element size share a single allocator, counted by reference, so their
// slots come from common blocks.
#include "runtime/core/lists/lists_internal.h"

#include "runtime/core/strings/strings.h"

#include <climits>
#include <cstdint>

namespace {

pthread_once_t tableOnce = PTHREAD_ONCE_INIT;
pthread_mutex_t tableMutex;
KS_SharedAllocEntry* tableHead = nullptr;

void CreateTableMutex() {
    pthread_mutexattr_t attributes;
    pthread_mutexattr_init(&attributes);
    pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
    pthread_mutex_init(&tableMutex, &attributes);
    pthread_mutexattr_destroy(&attributes);
}

// Holds the table mutex, created on first use by whichever thread comes first.
class TableLock {
public:
    TableLock() {
        pthread_once(&tableOnce, CreateTableMutex);
        pthread_mutex_lock(&tableMutex);
    }
    ~TableLock() { pthread_mutex_unlock(&tableMutex); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;
};

KS_SharedAllocEntry* FindEntry(int64_t slotSize, int32_t flags) {
    for (KS_SharedAllocEntry* entry = tableHead; entry; entry = entry->next) {
        if (entry->slotSize == slotSize && entry->flags == flags)
            return entry;
    }
    return nullptr;
}

void UnlinkEntry(KS_SharedAllocEntry* entry) {
    if (entry->prev)
        entry->prev->next = entry->next;
    else
        tableHead = entry->next;
    if (entry->next)
        entry->next->prev = entry->prev;
}

KS_BlockAllocStruct* TakeSharedAllocator(int64_t slotSize, int32_t minItems, int32_t maxItems,
                                         int32_t flags) {
    TableLock lock;
    if (KS_SharedAllocEntry* entry = FindEntry(slotSize, flags)) {
        if (entry->refCount == INT32_MAX)
            return nullptr;
        entry->refCount += 1;
        return entry->allocator;
    }
    auto* entry = static_cast<KS_SharedAllocEntry*>(MemAllocZeroed(sizeof(KS_SharedAllocEntry)));
    if (!entry)
        return nullptr;
    KS_BlockAllocStruct* allocator =
        NewPrivateAllocator(slotSize, minItems, maxItems, flags & ~BlockAllocShared);
    if (!allocator) {
        MemFree(entry);
        return nullptr;
    }
    entry->allocator = allocator;
    entry->slotSize = slotSize;
    entry->flags = flags;
    entry->refCount = 1;
    entry->next = tableHead;
    if (tableHead)
        tableHead->prev = entry;
    tableHead = entry;
    allocator->sharedEntry = entry;
    return allocator;
}

} // namespace

KS_BlockAllocStruct* NewBlockAllocator(int64_t itemSize, int32_t minItems, int32_t maxItems,
                                       int32_t flags) {
    const int64_t slotSize = BlockSlotSize(itemSize);
    if (slotSize == 0)
        return nullptr;
    if (flags & BlockAllocShared)
        return TakeSharedAllocator(slotSize, minItems, maxItems, flags);
    return NewPrivateAllocator(slotSize, minItems, maxItems, flags);
}

void FreeBlockAllocator(KS_BlockAllocStruct* allocator) {
    if (!allocator)
        return;
    if (!allocator->sharedEntry) {
        FreePrivateAllocator(allocator);
        return;
    }
    TableLock lock;
    KS_SharedAllocEntry* entry = allocator->sharedEntry;
    entry->refCount -= 1;
    if (entry->refCount >= 1)
        return;
    allocator->sharedEntry = nullptr;
    FreePrivateAllocator(allocator);
    UnlinkEntry(entry);
    MemFree(entry);
}
