// Moving the current element. Positions are 0-based; SelectElement walks from whichever
// of the first, the last and the current element lies nearest, so stepping through a list
// by position costs linear time overall. Saved positions form a stack of current elements
// to come back to after a walk.
#include "runtime/core/lists/lists_internal.h"

#include "runtime/core/strings/strings.h"

#include <cstdint>

namespace {

KS_ListHeader* WalkForward(KS_ListHeader* element, int64_t steps) {
    for (; element && steps > 0; --steps)
        element = element->next;
    return element;
}

KS_ListHeader* WalkBackward(KS_ListHeader* element, int64_t steps) {
    for (; element && steps > 0; --steps)
        element = element->prev;
    return element;
}

// The element at position, which lies inside the list.
KS_ListHeader* FindElement(const KS_List* list, int64_t position, int64_t oldIndex) {
    const int64_t count = list->count;
    const int64_t fromLast = count - position - 1;
    if (list->indexUnknown || !list->current) {
        if (position < count / 2)
            return WalkForward(list->first, position);
        return WalkBackward(list->last, fromLast);
    }
    if (position > oldIndex) {
        const int64_t distance = position - oldIndex;
        if (distance >= count - position)
            return WalkBackward(list->last, fromLast);
        return WalkForward(list->current, distance);
    }
    const int64_t distance = oldIndex - position;
    if (position <= distance)
        return WalkForward(list->first, position);
    return WalkBackward(list->current, distance);
}

} // namespace

void* NextElement(KS_List* list) {
    if (!list)
        return nullptr;
    if (!list->current) {
        list->index = 0;
        PublishCurrent(list, list->first);
        return ListElementData(list->first);
    }
    KS_ListHeader* next = list->current->next;
    if (!next)
        return nullptr;
    list->index += 1;
    PublishCurrent(list, next);
    return ListElementData(next);
}

void* SelectElement(KS_List* list, int64_t position) {
    if (!list)
        return nullptr;
    const int64_t oldIndex = list->index;
    list->index = position;
    if (position < 0 || position >= list->count) {
        list->indexUnknown = 1;
        PublishCurrent(list, nullptr);
        return nullptr;
    }
    KS_ListHeader* element = FindElement(list, position, oldIndex);
    list->indexUnknown = 0;
    PublishCurrent(list, element);
    return ListElementData(element);
}

void* LastElement(KS_List* list) {
    if (!list)
        return nullptr;
    PublishCurrent(list, list->last);
    if (!list->last)
        return nullptr;
    list->indexUnknown = 0;
    list->index = list->count - 1;
    return ListElementData(list->last);
}

void ResetList(KS_List* list) {
    if (!list)
        return;
    PublishCurrent(list, nullptr);
    list->indexUnknown = 1;
}

int64_t ListIndex(KS_List* list) {
    if (!list || !list->current)
        return -1;
    if (!list->indexUnknown)
        return list->index;
    int64_t index = 0;
    for (KS_ListHeader* element = list->current->prev; element; element = element->prev)
        ++index;
    list->index = index;
    list->indexUnknown = 0;
    return index;
}

int64_t ListSize(const KS_List* list) {
    return list ? list->count : 0;
}

// --- Saved positions ---

int PushListPosition(KS_List* list) {
    if (!list)
        return 0;
    auto* position = static_cast<KS_ListPosition*>(MemAllocZeroed(sizeof(KS_ListPosition)));
    if (!position)
        return 0;
    position->element = list->current;
    position->index = list->index;
    position->indexUnknown = list->current ? list->indexUnknown : 1;
    position->next = list->positionStack;
    list->positionStack = position;
    return 1;
}

void* PopListPosition(KS_List* list) {
    if (!list || !list->positionStack)
        return nullptr;
    KS_ListPosition* position = list->positionStack;
    list->positionStack = position->next;
    list->index = position->index;
    list->indexUnknown = position->element ? position->indexUnknown : 1;
    PublishCurrent(list, position->element);
    MemFree(position);
    return ListElementData(list->current);
}

void ShiftSavedPositions(KS_List* list, const KS_ListHeader* removed) {
    for (KS_ListPosition* position = list->positionStack; position; position = position->next) {
        position->indexUnknown = 1;
        if (removed && position->element == removed)
            position->element = nullptr;
    }
}

void ClearSavedPositions(KS_List* list) {
    for (KS_ListPosition* position = list->positionStack; position; position = position->next) {
        position->element = nullptr;
        position->indexUnknown = 1;
    }
}

void ReleaseSavedPositions(KS_List* list) {
    KS_ListPosition* position = list->positionStack;
    while (position) {
        KS_ListPosition* next = position->next;
        MemFree(position);
        position = next;
    }
    list->positionStack = nullptr;
}
