// List creation, insertion, removal and release, and the list slots of the shared
// routine table.
#include "runtime/core/lists/lists_internal.h"

#include "runtime/core/strings/strings.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int64_t HeaderSize = static_cast<int64_t>(sizeof(KS_ListHeader));

void ReleaseElement(KS_List* list, KS_ListHeader* element) {
    if (list->structureMap)
        ClearStructure(ListElementData(element), list->structureMap);
    BlockFree(list->allocator, element);
}

void LinkElement(KS_List* list, KS_ListHeader* element) {
    KS_ListHeader* current = list->current;
    if (current) {
        element->prev = current;
        element->next = current->next;
        if (current->next)
            current->next->prev = element;
        current->next = element;
        list->index += 1;
    } else {
        element->next = list->first;
        if (list->first)
            list->first->prev = element;
        list->index = 0;
        list->indexUnknown = 0;
    }
    if (!element->prev)
        list->first = element;
    if (!element->next)
        list->last = element;
}

// Unlinks the current element and chooses the element that becomes current.
void UnlinkCurrent(KS_List* list, int32_t flags) {
    KS_ListHeader* element = list->current;
    KS_ListHeader* next = element->next;
    KS_ListHeader* prev = element->prev;
    if (!prev && !next) {
        list->first = nullptr;
        list->last = nullptr;
        list->current = nullptr;
        list->indexUnknown = 1;
    } else if (prev) {
        prev->next = next;
        if (next)
            next->prev = prev;
        else
            list->last = prev;
        list->current = prev;
        list->index -= 1;
    } else {
        next->prev = nullptr;
        list->first = next;
        if (flags & DeleteKeepCurrent) {
            list->current = next;
            list->index = 0;
            list->indexUnknown = 0;
        } else {
            list->current = nullptr;
            list->indexUnknown = 1;
        }
    }
}

} // namespace

KS_List* NewList(int64_t elementDataSize, KS_ListObject* listObject, const int64_t* structureMap,
                 int32_t flags) {
    if (elementDataSize < 0 || elementDataSize > INT64_MAX - HeaderSize)
        return nullptr;
    const int64_t elementSize = elementDataSize + HeaderSize;
    KS_BlockAllocStruct* allocator =
        NewBlockAllocator(elementSize, ListMinBlockItems, ListMaxBlockItems, BlockAllocShared);
    if (!allocator)
        return nullptr;
    auto* list = static_cast<KS_List*>(MemAllocZeroed(sizeof(KS_List)));
    const bool ownsObject = listObject == nullptr;
    if (ownsObject)
        listObject = static_cast<KS_ListObject*>(MemAllocZeroed(sizeof(KS_ListObject)));
    if (!list || !listObject) {
        if (list)
            MemFree(list);
        if (ownsObject && listObject)
            MemFree(listObject);
        FreeBlockAllocator(allocator);
        return nullptr;
    }
    list->indexUnknown = 1;
    list->elementSize = elementSize;
    list->flags = flags;
    list->structureMap = structureMap;
    list->hasDynamicFields = HasDynamicFields(structureMap) ? 1 : 0;
    list->allocator = allocator;
    list->ownsListObject = ownsObject ? 1 : 0;
    list->listObject = listObject;
    list->currentVariable = &listObject->current;
    listObject->list = list;
    listObject->current = nullptr;
    return list;
}

void* AddElement(KS_List* list) {
    if (!list)
        return nullptr;
    auto* element = static_cast<KS_ListHeader*>(BlockAlloc(list->allocator));
    if (!element)
        return nullptr;
    std::memset(element, 0, static_cast<size_t>(list->elementSize));
    if (list->hasDynamicFields)
        InitializeStructure(ListElementData(element), list->structureMap);
    list->count += 1;
    LinkElement(list, element);
    ShiftSavedPositions(list, nullptr);
    PublishCurrent(list, element);
    return ListElementData(element);
}

void* DeleteElement(KS_List* list, int32_t flags) {
    if (!list || !list->current)
        return nullptr;
    KS_ListHeader* element = list->current;
    list->count -= 1;
    UnlinkCurrent(list, flags);
    ShiftSavedPositions(list, element);
    ReleaseElement(list, element);
    PublishCurrent(list, list->current);
    return ListElementData(list->current);
}

void ClearList(KS_List* list) {
    if (!list)
        return;
    KS_ListHeader* element = list->first;
    while (element) {
        KS_ListHeader* next = element->next;
        ReleaseElement(list, element);
        element = next;
    }
    list->first = nullptr;
    list->last = nullptr;
    list->count = 0;
    list->indexUnknown = 1;
    ClearSavedPositions(list);
    PublishCurrent(list, nullptr);
}

void FreeList(KS_List* list) {
    if (!list)
        return;
    ClearList(list);
    FreeBlockAllocator(list->allocator);
    KS_ListObject* listObject = list->listObject;
    listObject->list = nullptr;
    listObject->current = nullptr;
    ReleaseSavedPositions(list);
    if (list->ownsListObject)
        MemFree(listObject);
    MemFree(list);
}

void GetListParameters(const KS_List* list, ListParameters* out) {
    if (!out)
        return;
    *out = ListParameters{};
    if (!list)
        return;
    out->elementDataSize = list->elementSize - HeaderSize;
    out->structureMap = list->structureMap;
    out->flags = list->flags;
}

void InitLists() {
    SharedRoutines.NewList = NewList;
    SharedRoutines.CopyList = CopyList;
    SharedRoutines.FreeList = FreeList;
    SharedRoutines.GetListParameters = GetListParameters;
}
