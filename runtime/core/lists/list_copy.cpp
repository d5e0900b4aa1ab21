// Copying the elements of one list into another. Each element's data is copied through
// the structure map, so strings and embedded lists are duplicated and the two lists share
// nothing afterwards.
#include "runtime/core/lists/lists_internal.h"

#include "runtime/core/strings/strings.h"

#include <cstdint>

namespace {

constexpr int64_t HeaderSize = static_cast<int64_t>(sizeof(KS_ListHeader));

bool MapIsEmpty(const int64_t* map) {
    return !map || map[0] == MapEnd;
}

// Copying through one map onto elements laid out by another would free or share fields
// that the destination does not own, so both lists must hold the same element type.
bool SameElementType(const KS_List* a, const KS_List* b) {
    if (a->elementSize != b->elementSize)
        return false;
    return a->structureMap == b->structureMap ||
           (MapIsEmpty(a->structureMap) && MapIsEmpty(b->structureMap));
}

bool CopyElement(const KS_List* source, KS_List* destination, KS_ListHeader* element) {
    void* data = AddElement(destination);
    if (!data)
        return false;
    CopyStructure(data, source->elementSize - HeaderSize, source->structureMap,
                  ListElementData(element));
    return true;
}

// Appending a list to itself: the copies land after the current element, possibly among
// the originals, so the originals are noted first.
int DuplicateElements(KS_List* list) {
    const int64_t count = list->count;
    if (count == 0)
        return 1;
    if (count > INT64_MAX / static_cast<int64_t>(sizeof(KS_ListHeader*)))
        return 0;
    auto** originals = static_cast<KS_ListHeader**>(
        MemAlloc(count * static_cast<int64_t>(sizeof(KS_ListHeader*))));
    if (!originals)
        return 0;
    int64_t n = 0;
    for (KS_ListHeader* element = list->first; element && n < count; element = element->next)
        originals[n++] = element;
    int result = 1;
    for (int64_t i = 0; i < n && result; ++i)
        result = CopyElement(list, list, originals[i]) ? 1 : 0;
    MemFree(originals);
    return result;
}

} // namespace

int CopyList(KS_List* source, KS_List* destination, int clearFirst) {
    if (!source || !destination || !SameElementType(source, destination))
        return 0;
    if (source == destination)
        return clearFirst ? 1 : DuplicateElements(source);
    if (clearFirst)
        ClearList(destination);
    for (KS_ListHeader* element = source->first; element; element = element->next) {
        if (!CopyElement(source, destination, element))
            return 0;
    }
    return 1;
}
