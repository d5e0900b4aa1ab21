// Helpers shared by the sources of the list library.
#pragma once

#include "runtime/core/lists/lists.h"

#include <cstdint>

// Bytes per slot for items of itemSize bytes: an 8-byte owner word plus the item, rounded
// up to a multiple of 8; 0 when itemSize is negative or the sum would overflow.
int64_t BlockSlotSize(int64_t itemSize);
// A zero-filled private allocator; takes a recursive mutex when the two low flag bits are
// exactly BlockAllocLocked. Null when memory is short or the mutex cannot be made.
KS_BlockAllocStruct* NewPrivateAllocator(int64_t slotSize, int32_t minItems, int32_t maxItems,
                                         int32_t flags);
// Releases the blocks, the mutex and the allocator itself.
void FreePrivateAllocator(KS_BlockAllocStruct* allocator);

// Sets the current element in the list and in the list object's current field.
inline void PublishCurrent(KS_List* list, KS_ListHeader* element) {
    list->current = element;
    if (list->currentVariable)
        *list->currentVariable = element;
}

// After an element was added or removed, saved positions no longer know their index;
// a saved position on the removed element (null: none) is moved before the first element.
void ShiftSavedPositions(KS_List* list, const KS_ListHeader* removed);
// After every element was removed, every saved position lies before the first element.
void ClearSavedPositions(KS_List* list);
// Releases every saved position.
void ReleaseSavedPositions(KS_List* list);
