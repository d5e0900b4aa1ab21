// Doubly linked lists of fixed-size elements with a current element, and the block
// allocator that hands out their element slots.
//
// A list variable (KS_ListObject) holds the list and its current element; every command
// that moves the current element writes it there too, so the program reads and writes the
// current element's fields in place at ListElementData(object.current). Elements of lists
// with the same element size come from one shared, reference-counted block allocator.
#pragma once

#include "runtime/core/memory/memory.h"

#include <cstdint>
#include <pthread.h>

// --- Block allocator ----------------------------------------------------------------------

// Creation flags of NewBlockAllocator.
constexpr int32_t BlockAllocLocked = 1;  // private, with its own recursive mutex
constexpr int32_t BlockAllocPrivate = 2; // private, no mutex
constexpr int32_t BlockAllocShared = 4;  // one per slot size and flag value, reference-counted

// One allocation: this header followed by capacity slots of slotSize bytes. A slot handed
// out starts with the address of its block; a free slot starts with the next free slot.
struct KS_AllocBlock {
    KS_AllocBlock* next;
    KS_AllocBlock* prev;
    void* freeSlots;
    int32_t capacity;  // slots in the block
    int32_t used;      // slots handed out so far from the untouched tail
    int32_t freeCount; // slots on the freeSlots chain
};

struct KS_BlockAllocStruct;

// An allocator's entry in the process-wide table of shared allocators.
struct KS_SharedAllocEntry {
    KS_SharedAllocEntry* next;
    KS_SharedAllocEntry* prev;
    KS_BlockAllocStruct* allocator;
    int64_t slotSize;
    int32_t flags;
    int32_t refCount;
};

struct KS_BlockAllocStruct {
    KS_AllocBlock* fullBlocks; // no slot to give
    KS_AllocBlock* openBlocks; // at least one slot to give; allocation takes from the first
    KS_SharedAllocEntry* sharedEntry;
    int64_t totalItems; // slots in all blocks together
    int64_t slotSize;   // bytes: one owner word plus the item, a multiple of 8
    int32_t minItems;   // fewest slots in a new block
    int32_t maxItems;   // most slots in a new block
    uint32_t locked;    // 1 when the allocator takes its own mutex
    pthread_mutex_t mutex;
};

// A new allocator for items of itemSize bytes, or null (bad size, memory short). With
// BlockAllocShared an existing allocator of the same slot size and flags is handed out
// again with one more reference.
KS_BlockAllocStruct* NewBlockAllocator(int64_t itemSize, int32_t minItems, int32_t maxItems,
                                       int32_t flags);
// An item (contents as the slot last held them), or null when no block can be had.
void* BlockAlloc(KS_BlockAllocStruct* allocator);
// Returns an item; a block whose every slot is free again is released. Null is ignored.
void BlockFree(KS_BlockAllocStruct* allocator, void* item);
// Releases every block at once; items handed out become invalid.
void ClearBlockAllocator(KS_BlockAllocStruct* allocator);
// Drops one reference; the last one releases the blocks and the allocator.
void FreeBlockAllocator(KS_BlockAllocStruct* allocator);

// Block bounds, in slots, of the allocators that lists take.
constexpr int32_t ListMinBlockItems = 16;
constexpr int32_t ListMaxBlockItems = 65536;

// --- Lists ----------------------------------------------------------------------------------

// Element header; the element data follows immediately.
struct KS_ListHeader {
    KS_ListHeader* next;
    KS_ListHeader* prev;
};

struct KS_List;

// The program's list variable.
struct KS_ListObject {
    KS_List* list;
    KS_ListHeader* current; // null when there is no current element
};

// A saved position (PushListPosition); nodes are chained through their first field.
struct KS_ListPosition {
    KS_ListPosition* next;
    KS_ListHeader* element; // null: before the first element
    int64_t index;
    uint8_t indexUnknown;
};

struct KS_List {
    KS_ListHeader* first;
    KS_ListHeader* last;
    KS_ListHeader* current;
    KS_ListHeader** currentVariable; // the list object's current field
    int64_t count;
    int64_t index; // position of current; valid only while indexUnknown is 0
    const int64_t* structureMap;
    KS_BlockAllocStruct* allocator;
    KS_ListPosition* positionStack;
    KS_ListObject* listObject;
    int64_t elementSize; // element data size plus sizeof(KS_ListHeader)
    int32_t flags;       // creation flags, handed on to copies
    uint8_t indexUnknown;
    uint8_t hasDynamicFields; // new elements need InitializeStructure
    uint8_t ownsListObject;
};

// DeleteElement flag: after removing the first element, its successor becomes current.
constexpr int32_t DeleteKeepCurrent = 1;

// The data of an element, null for none.
inline void* ListElementData(KS_ListHeader* element) {
    return element ? static_cast<void*>(element + 1) : nullptr;
}

// Stores the list routines in the shared routine table of the structure code.
void InitLists();

// A new empty list, stored into listObject (or into a list object of its own when
// listObject is null), or null with nothing changed when memory is short or the size is
// out of range.
KS_List* NewList(int64_t elementDataSize, KS_ListObject* listObject, const int64_t* structureMap,
                 int32_t flags);
// Element commands return the data of the (new) current element, or null.
void* AddElement(KS_List* list);
void* NextElement(KS_List* list);
void* SelectElement(KS_List* list, int64_t position);
void* LastElement(KS_List* list);
void ResetList(KS_List* list);
void* DeleteElement(KS_List* list, int32_t flags);
// Position of the current element, -1 when there is none.
int64_t ListIndex(KS_List* list);
int64_t ListSize(const KS_List* list);
void ClearList(KS_List* list);
// Adds a copy of every source element after the destination's current element; 1, or 0
// when a list is null, their element types differ or memory ran short.
int CopyList(KS_List* source, KS_List* destination, int clearFirst);
void FreeList(KS_List* list);
// Element data size, structure map and flags of a list (zeros for null).
void GetListParameters(const KS_List* list, ListParameters* out);

// Saves the current position; 1, or 0 when memory is short.
int PushListPosition(KS_List* list);
// Restores the newest saved position and returns its element's data, or null (no current
// element there, or nothing saved). A saved element deleted meanwhile restores to none.
void* PopListPosition(KS_List* list);
