// Numbered object registry and library state blocks.
//
// Numbered records live in a slot table indexed by their number and are never released;
// dynamic records each sit in their own node of a doubly linked list (newest first), and
// their id is the address of the record part of the node. An id is only ever compared
// against the addresses the registry handed out, never dereferenced on trust.
#include "runtime/core/objects/objects.h"

#include <cstdlib>
#include <cstring>

// Header of one dynamic allocation; the record follows directly. Two pointers keep the
// record 16-byte aligned, like a plain allocation.
struct DynamicObjectNode {
    DynamicObjectNode* next; // towards older nodes
    DynamicObjectNode* prev; // towards newer nodes
};

namespace {

// Smallest record: every kind's record starts with its 64-bit primary handle.
constexpr int32_t MinimumRecordSize = 8;

void* RecordOf(DynamicObjectNode* node) {
    return reinterpret_cast<char*>(node) + sizeof(DynamicObjectNode);
}

int64_t IdOf(DynamicObjectNode* node) {
    return reinterpret_cast<int64_t>(RecordOf(node));
}

bool IsLive(const void* record) {
    int64_t handle;
    std::memcpy(&handle, record, sizeof handle);
    return handle != 0;
}

bool IsNumber(const ObjectRegistry* registry, int64_t id) {
    return id >= 0 && id < registry->capacity;
}

// The node whose record has the address id, or null: found by comparing addresses, so an
// id that was never handed out (or was released) is never followed.
DynamicObjectNode* FindDynamicNode(const ObjectRegistry* registry, int64_t id) {
    for (DynamicObjectNode* node = registry->dynamicHead; node; node = node->next) {
        if (IdOf(node) == id) {
            return node;
        }
    }
    return nullptr;
}

void* AllocateDynamic(ObjectRegistry* registry) {
    auto* node = static_cast<DynamicObjectNode*>(
        std::calloc(1, sizeof(DynamicObjectNode) + static_cast<size_t>(registry->recordSize)));
    if (!node) {
        return nullptr;
    }
    node->next = registry->dynamicHead;
    if (registry->dynamicHead) {
        registry->dynamicHead->prev = node;
    }
    registry->dynamicHead = node;
    return RecordOf(node);
}

// Grows the slot table to number + growStep slots. On any failure (the count or the byte
// size overflowing, or memory being short) the table stays exactly as it was.
bool GrowSlots(ObjectRegistry* registry, int64_t number) {
    constexpr int64_t slotBytes = sizeof(void*);
    if (number > INT64_MAX - registry->growStep) {
        return false;
    }
    int64_t newCapacity = number + registry->growStep;
    if (newCapacity > PTRDIFF_MAX / slotBytes) {
        return false;
    }
    void* grown = std::realloc(registry->slots, static_cast<size_t>(newCapacity * slotBytes));
    if (!grown) {
        return false;
    }
    registry->slots = static_cast<void**>(grown);
    std::memset(registry->slots + registry->capacity, 0,
                static_cast<size_t>((newCapacity - registry->capacity) * slotBytes));
    registry->capacity = newCapacity;
    return true;
}

void* ReuseNumbered(ObjectRegistry* registry, int64_t number) {
    if (registry->freeCallback) {
        registry->freeCallback(number);
    }
    // The callback may have grown the table (it is the kind's free command), so the slot
    // is read again. Whatever the callback did, the creating command gets a clean record.
    void* record = registry->slots[number];
    std::memset(record, 0, static_cast<size_t>(registry->recordSize));
    return record;
}

} // namespace

ObjectRegistry* NewObjectRegistry(int32_t recordSize, int32_t growStep,
                                  ObjectFreeCallback freeCallback) {
    if (recordSize < MinimumRecordSize || growStep < 1) {
        return nullptr;
    }
    auto* registry = static_cast<ObjectRegistry*>(std::calloc(1, sizeof(ObjectRegistry)));
    if (!registry) {
        return nullptr;
    }
    registry->slots =
        static_cast<void**>(std::calloc(static_cast<size_t>(growStep), sizeof(void*)));
    if (!registry->slots) {
        std::free(registry);
        return nullptr;
    }
    registry->recordSize = recordSize;
    registry->growStep = growStep;
    registry->capacity = growStep;
    registry->freeCallback = freeCallback;
    return registry;
}

void* AllocateObject(ObjectRegistry* registry, int64_t number) {
    if (!registry || number < AnyNumber) {
        return nullptr;
    }
    if (number == AnyNumber) {
        return AllocateDynamic(registry);
    }
    if (number >= registry->capacity && !GrowSlots(registry, number)) {
        return nullptr;
    }
    if (registry->slots[number]) {
        return ReuseNumbered(registry, number);
    }
    void* record = std::calloc(1, static_cast<size_t>(registry->recordSize));
    registry->slots[number] = record;
    return record;
}

void* GetObject(ObjectRegistry* registry, int64_t id) {
    void* record = IsObject(registry, id);
    return record && IsLive(record) ? record : nullptr;
}

void* IsObject(ObjectRegistry* registry, int64_t id) {
    if (!registry) {
        return nullptr;
    }
    if (IsNumber(registry, id)) {
        void* record = registry->slots[id];
        return record && IsLive(record) ? record : nullptr;
    }
    DynamicObjectNode* node = FindDynamicNode(registry, id);
    return node ? RecordOf(node) : nullptr;
}

void FreeObject(ObjectRegistry* registry, int64_t id) {
    if (!registry) {
        return;
    }
    if (IsNumber(registry, id)) {
        if (registry->slots[id]) {
            std::memset(registry->slots[id], 0, static_cast<size_t>(registry->recordSize));
        }
        return;
    }
    DynamicObjectNode* node = FindDynamicNode(registry, id);
    if (!node) {
        return;
    }
    if (node->prev) {
        node->prev->next = node->next;
    } else {
        registry->dynamicHead = node->next;
    }
    if (node->next) {
        node->next->prev = node->prev;
    }
    // A scan that was about to yield this node goes on with the next newer one instead of
    // following freed memory.
    if (registry->iterNode == node) {
        registry->iterNode = node->prev;
    }
    std::free(node);
}

void FreeAllObjects(ObjectRegistry* registry) {
    if (!registry || !registry->freeCallback) {
        return;
    }
    int64_t id = 0;
    ResetObjectIteration(registry);
    while (NextObject(registry, &id)) {
        registry->freeCallback(id);
    }
}

void ResetObjectIteration(ObjectRegistry* registry) {
    if (!registry) {
        return;
    }
    registry->iterIndex = 0;
    DynamicObjectNode* oldest = registry->dynamicHead;
    while (oldest && oldest->next) {
        oldest = oldest->next;
    }
    registry->iterNode = oldest;
}

void* NextObject(ObjectRegistry* registry, int64_t* id) {
    if (!registry) {
        return nullptr;
    }
    while (registry->iterIndex >= 0 && registry->iterIndex < registry->capacity) {
        int64_t number = registry->iterIndex++;
        void* record = registry->slots[number];
        if (record && IsLive(record)) {
            if (id) {
                *id = number;
            }
            return record;
        }
    }
    DynamicObjectNode* node = registry->iterNode;
    if (!node) {
        return nullptr;
    }
    registry->iterNode = node->prev;
    if (id) {
        *id = IdOf(node);
    }
    return RecordOf(node);
}

void AbortObjectIteration(ObjectRegistry*) {}

void* NewLibraryState(int64_t size, void (*constructor)(void*), void (*destructor)(void*)) {
    (void)destructor; // state blocks live until the process ends
    if (size < 0 || static_cast<uint64_t>(size) > SIZE_MAX) {
        return nullptr;
    }
    // An empty state still gets a distinct block, so that callers can test for null.
    void* block = std::calloc(1, size > 0 ? static_cast<size_t>(size) : 1);
    if (block && constructor) {
        constructor(block);
    }
    return block;
}

void* LibraryState(void* block) {
    return block;
}
