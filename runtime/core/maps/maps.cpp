// Map creation, lookup, insertion and release, and the map slots of the shared routine
// table.
#include "runtime/core/maps/maps_internal.h"

#include "runtime/core/strings/strings.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr int64_t HeaderSize = static_cast<int64_t>(sizeof(KS_MapElement));
// Block bounds, in slots, of the allocators that maps take.
constexpr int32_t MapMinBlockItems = 16;
constexpr int32_t MapMaxBlockItems = 65536;

const char* KeyText(const char* key) {
    return key ? key : "";
}

int64_t BucketOf(const TextMap* map, const char* key) {
    return static_cast<int64_t>(SdbmHash(key) % static_cast<uint64_t>(map->bucketCount));
}

char* CopyKey(const char* key) {
    const size_t size = std::strlen(key) + 1;
    auto* copy = static_cast<char*>(MemAlloc(static_cast<int64_t>(size)));
    if (copy)
        std::memcpy(copy, key, size);
    return copy;
}

} // namespace

void ReleaseMapElement(TextMap* map, KS_MapElement* element) {
    if (map->structureMap)
        ClearStructure(MapElementData(element), map->structureMap);
    MemFree(element->key);
    BlockFree(map->allocator, element);
}

uint32_t SdbmHash(const char* key) {
    uint32_t h = 0;
    for (const char* c = KeyText(key); *c; ++c) {
        const auto value =
            static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(*c)));
        h = value + (h << 6) + (h << 16) - h;
    }
    return h;
}

TextMap* NewMap(int64_t elementSize, int32_t flags, const int64_t* structureMap, TextMap** variable,
                int64_t bucketCount) {
    FreeMap(LoadMapVariable(variable));
    StoreMapVariable(variable, nullptr);
    if (bucketCount < 1)
        bucketCount = 1;
    constexpr int64_t pointerSize = static_cast<int64_t>(sizeof(KS_MapElement*));
    if (elementSize < 0 || elementSize > INT64_MAX - HeaderSize ||
        bucketCount > INT64_MAX / pointerSize)
        return nullptr;
    auto* map = static_cast<TextMap*>(MemAllocZeroed(sizeof(TextMap)));
    auto* buckets = static_cast<KS_MapElement**>(MemAllocZeroed(bucketCount * pointerSize));
    KS_BlockAllocStruct* allocator = nullptr;
    if (map && buckets)
        allocator = NewBlockAllocator(elementSize + HeaderSize, MapMinBlockItems, MapMaxBlockItems,
                                      BlockAllocShared);
    if (!allocator) {
        MemFree(buckets);
        MemFree(map);
        return nullptr;
    }
    map->buckets = buckets;
    map->bucketCount = bucketCount;
    map->elementSize = elementSize;
    map->flags = flags;
    map->structureMap = structureMap;
    map->hasDynamicFields = HasDynamicFields(structureMap) ? 1 : 0;
    map->currentBucket = -1;
    map->variable = variable;
    map->allocator = allocator;
    StoreMapVariable(variable, map);
    return map;
}

void ClearMapElements(TextMap* map) {
    for (int64_t b = 0; b < map->bucketCount; ++b) {
        KS_MapElement* element = map->buckets[b];
        while (element) {
            KS_MapElement* next = element->next;
            ReleaseMapElement(map, element);
            element = next;
        }
        map->buckets[b] = nullptr;
    }
    map->count = 0;
    map->current = nullptr;
    map->currentBucket = -1;
}

void FreeMap(TextMap* map) {
    if (!map)
        return;
    ClearMapElements(map);
    FreeBlockAllocator(map->allocator);
    if (LoadMapVariable(map->variable) == map)
        StoreMapVariable(map->variable, nullptr);
    MemFree(map->buckets);
    MemFree(map);
}

void GetMapParameters(const TextMap* map, MapParameters* out) {
    if (!out)
        return;
    *out = MapParameters{};
    if (!map)
        return;
    out->elementSize = map->elementSize;
    out->flags = map->flags;
    out->structureMap = map->structureMap;
    out->bucketCount = map->bucketCount;
}

void* FindMapElement(TextMap* map, const char* key) {
    if (!map)
        return nullptr;
    key = KeyText(key);
    const int64_t bucket = BucketOf(map, key);
    for (KS_MapElement* element = map->buckets[bucket]; element; element = element->next) {
        if (std::strcmp(element->key, key) == 0) {
            map->current = element;
            map->currentBucket = bucket;
            return MapElementData(element);
        }
    }
    return nullptr;
}

void* AddMapElement(TextMap* map, const char* key) {
    if (!map)
        return nullptr;
    key = KeyText(key);
    auto* element = static_cast<KS_MapElement*>(BlockAlloc(map->allocator));
    if (!element)
        return nullptr;
    std::memset(element, 0, static_cast<size_t>(map->elementSize + HeaderSize));
    element->key = CopyKey(key);
    if (!element->key) {
        BlockFree(map->allocator, element);
        return nullptr;
    }
    if (map->hasDynamicFields)
        InitializeStructure(MapElementData(element), map->structureMap);
    const int64_t bucket = BucketOf(map, key);
    element->next = map->buckets[bucket];
    map->buckets[bucket] = element;
    map->count += 1;
    map->current = element;
    map->currentBucket = bucket;
    return MapElementData(element);
}

int64_t MapSize(const TextMap* map) {
    return map ? map->count : 0;
}

void InitMaps() {
    SharedRoutines.NewMap = NewMap;
    SharedRoutines.CopyMap = CopyMap;
    SharedRoutines.FreeMap = FreeMap;
    SharedRoutines.GetMapParameters = GetMapParameters;
}
