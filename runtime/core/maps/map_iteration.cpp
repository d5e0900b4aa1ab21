// Walking a map in bucket order, removing the current element, and copying one map into
// another. The cursor is the current element with its bucket; without a current element,
// currentBucket is the last bucket already walked (-1 before the first element).
#include "runtime/core/maps/maps_internal.h"

#include "runtime/core/strings/strings.h"

#include <cstdint>

namespace {

bool MapIsEmpty(const int64_t* map) {
    return !map || map[0] == MapEnd;
}

// Copying through one structure map onto elements laid out by another would free or share
// fields that the destination does not own, so both maps must hold the same element type.
bool SameElementType(const TextMap* a, const TextMap* b) {
    if (a->elementSize != b->elementSize)
        return false;
    return a->structureMap == b->structureMap ||
           (MapIsEmpty(a->structureMap) && MapIsEmpty(b->structureMap));
}

// The first element of the first non-empty bucket after the given one, which becomes
// current; null (cursor past the end) when there is none.
KS_MapElement* FirstElementAfter(TextMap* map, int64_t bucket) {
    for (int64_t b = bucket + 1; b < map->bucketCount; ++b) {
        if (map->buckets[b]) {
            map->current = map->buckets[b];
            map->currentBucket = b;
            return map->current;
        }
    }
    map->current = nullptr;
    map->currentBucket = map->bucketCount;
    return nullptr;
}

// Moves the cursor to the element walked just before the given one of the given bucket.
void StepBack(TextMap* map, KS_MapElement* element, int64_t bucket) {
    KS_MapElement* before = nullptr;
    for (KS_MapElement* e = map->buckets[bucket]; e != element; e = e->next)
        before = e;
    if (before) {
        map->current = before;
        map->currentBucket = bucket;
        return;
    }
    map->current = nullptr;
    map->currentBucket = -1;
    for (int64_t b = bucket - 1; b >= 0; --b) {
        if (map->buckets[b]) {
            KS_MapElement* last = map->buckets[b];
            while (last->next)
                last = last->next;
            map->current = last;
            map->currentBucket = b;
            return;
        }
    }
}

void Unlink(TextMap* map, KS_MapElement* element, int64_t bucket) {
    KS_MapElement** link = &map->buckets[bucket];
    while (*link != element)
        link = &(*link)->next;
    *link = element->next;
}

} // namespace

void ResetMap(TextMap* map) {
    if (!map)
        return;
    map->current = nullptr;
    map->currentBucket = -1;
}

void* NextMapElement(TextMap* map) {
    if (!map)
        return nullptr;
    if (map->current && map->current->next) {
        map->current = map->current->next;
        return MapElementData(map->current);
    }
    return MapElementData(FirstElementAfter(map, map->currentBucket));
}

const char* CurrentMapKey(const TextMap* map) {
    return map && map->current ? map->current->key : nullptr;
}

void DeleteCurrentMapElement(TextMap* map) {
    if (!map || !map->current)
        return;
    KS_MapElement* element = map->current;
    const int64_t bucket = map->currentBucket;
    StepBack(map, element, bucket);
    Unlink(map, element, bucket);
    map->count -= 1;
    ReleaseMapElement(map, element);
}

int CopyMap(TextMap* source, TextMap* destination) {
    if (!source || !destination)
        return 0;
    if (source == destination)
        return 1;
    if (!SameElementType(source, destination))
        return 0;
    ClearMapElements(destination);
    for (int64_t b = 0; b < source->bucketCount; ++b) {
        for (KS_MapElement* element = source->buckets[b]; element; element = element->next) {
            void* data = AddMapElement(destination, element->key);
            if (!data)
                return 0;
            CopyStructure(data, source->elementSize, source->structureMap, MapElementData(element));
        }
    }
    return 1;
}
