// Text-keyed maps: fixed-size elements under 8-bit text keys in a hash table with chained
// buckets (sdbm hashing), their elements taken from a shared block allocator.
#pragma once

#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"

#include <cstdint>

// One element: chain link, key copy, then elementSize bytes of data (MapElementData).
struct KS_MapElement {
    KS_MapElement* next; // next element of the same bucket
    char* key;           // private zero-terminated copy of the key
};

struct TextMap {
    KS_MapElement** buckets; // bucketCount chains, newest element first
    int64_t bucketCount;     // at least 1
    int64_t elementSize;     // bytes of data per element
    int32_t flags;           // creation flags, handed on to copies
    const int64_t* structureMap;
    uint8_t hasDynamicFields; // new elements need InitializeStructure
    int64_t count;
    KS_MapElement* current; // iteration cursor and the last element found, or null
    int64_t currentBucket;
    TextMap** variable; // the variable that refers to the map, or null
    KS_BlockAllocStruct* allocator;
};

// Stores the map routines in the shared routine table of the structure code.
void InitMaps();

// The sdbm hash of a key: h = c + (h << 6) + (h << 16) - h per character c (signed),
// in 32-bit unsigned arithmetic. Null hashes like the empty text (0).
uint32_t SdbmHash(const char* key);

// Frees the map *variable holds, then stores a new empty map there (bucket counts below
// 1 count as 1) and returns it; null (and *variable null) when memory is short.
TextMap* NewMap(int64_t elementSize, int32_t flags, const int64_t* structureMap, TextMap** variable,
                int64_t bucketCount);
// Releases every element, the allocator reference and the map; sets its variable to null.
void FreeMap(TextMap* map);
// Empties the destination, then adds a copy of every source element (buckets from 0,
// each chain from its front); the source's cursor is kept. 1, or 0 when either is null.
int CopyMap(TextMap* source, TextMap* destination);
void GetMapParameters(const TextMap* map, MapParameters* out);

// The data of the first element stored under key (null counts as the empty text), which
// becomes current; null when there is none.
void* FindMapElement(TextMap* map, const char* key);
// A new zero-filled (initialised) element under key, in front of its bucket's chain,
// without looking for an existing one; it becomes current. Null when memory is short.
void* AddMapElement(TextMap* map, const char* key);
// Removes the current element; the cursor moves to the element before it in iteration
// order, so that NextMapElement goes on with the one after it.
void DeleteCurrentMapElement(TextMap* map);

// Iteration in bucket order: ResetMap, then NextMapElement until it returns null.
void ResetMap(TextMap* map);
void* NextMapElement(TextMap* map);
// The key of the current element, null when there is none.
const char* CurrentMapKey(const TextMap* map);
int64_t MapSize(const TextMap* map);

// The data of an element.
inline void* MapElementData(KS_MapElement* element) {
    return element ? static_cast<void*>(element + 1) : nullptr;
}
