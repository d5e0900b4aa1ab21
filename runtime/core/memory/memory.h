// Memory blocks with peek and poke, dynamic arrays with their header before element 0,
// structure maps, and the shared routine table through which structures reach the list,
// map and array libraries without depending on them.
#pragma once

#include <cstdint>

// --- Start and end commands -----------------------------------------------------------

// Array library: stores its routines in the shared routine table.
void InitArrays();
// Memory blocks: nothing to set up or release.
void InitMemory();
void EndMemory();

// --- Memory blocks ----------------------------------------------------------------------

constexpr int MemoryNoClear = 1;

// A block of size bytes (zero-filled unless flags has MemoryNoClear), or null when size
// is below 1 or memory is short.
void* AllocateMemory(int64_t size, int flags = 0);
void FreeMemory(void* block);
// Usable size of a block made by AllocateMemory.
int64_t MemorySize(const void* block);

// Little-endian accessors; none checks its address. Peeks widen the stored signed value
// to 64 bits; pokes store the low 8, 16 or 32 bits of the value.
int64_t PeekB(const void* address);
int64_t PeekW(const void* address);
int64_t PeekL(const void* address);
void PokeB(void* address, int64_t value);
void PokeW(void* address, int64_t value);
void PokeL(void* address, int64_t value);

// --- Structure maps -----------------------------------------------------------------------
// A map is a sequence of int64_t entries ended by MapEnd. A word of 0 or more is a string
// field at that byte offset; the negative codes below are followed by parameter words:
//   MapFixedArray  count, offset, element size, map
//   MapStructure   offset, size, map
//   MapArray       offset, element size, count, type code, map
//   MapList        offset, element data size, map, flags
//   MapTextMap     offset, element size, flags, map, bucket count
//   MapMultiArray  offset, dimensions n, element size, type code, map, n dimension sizes
// Map pointers are stored in the words as integers (reinterpret_cast<int64_t>(map)).
// Entries list the fields in ascending offset order and fields do not overlap; the bytes
// between fields are copied as they are. An unknown code ends the walk like MapEnd.

constexpr int64_t MapEnd = -1;
constexpr int64_t MapFixedArray = -2;
constexpr int64_t MapStructure = -3;
constexpr int64_t MapArray = -4;
constexpr int64_t MapList = -5;
constexpr int64_t MapTextMap = -6;
constexpr int64_t MapMultiArray = -7;

void InitializeStructure(void* address, const int64_t* map);
void ClearStructure(void* address, const int64_t* map);
void CopyStructure(void* destination, int64_t size, const int64_t* map, const void* source);
int HasDynamicFields(const int64_t* map);

// --- Arrays ---------------------------------------------------------------------------------

struct KS_ArrayHeader {
    int32_t dimensions;
    int64_t elementSize;
    const int64_t* structureMap;
    void** variable;
    int64_t count;
    int32_t typeCode;
};

// Type code of 32-bit signed integer elements.
constexpr int32_t TypeLong = 5;

// The header of an array, found just before element 0.
KS_ArrayHeader* ArrayHeader(void* array);
// A new one-dimensional array stored into *variable (its old array freed first); returns
// element 0, or null (and *variable null) when memory is short or the size overflows.
void* AllocateArray(int64_t elementSize, int64_t count, int32_t typeCode,
                    const int64_t* structureMap, void** variable);
// The variable is followed by one int64_t per dimension: sizes on entry, strides after.
void* AllocateMultiArray(int32_t dimensions, int64_t elementSize, int32_t typeCode,
                         const int64_t* structureMap, void** variable);
// 1 when the destination has become a copy of the source, else 0. Without reallocate the
// two must agree in dimensions, count, element size and structure map; with it, the
// destination's variable receives a new array of the source's layout (the old one is
// freed only once the copy exists).
int CopyArray(void* source, void* destination, int reallocate);
void FreeArray(void* array);

// --- Shared routine table -------------------------------------------------------------------

struct KS_List;
struct KS_ListObject;
struct TextMap;

struct ListParameters {
    int64_t elementDataSize;
    const int64_t* structureMap;
    int32_t flags;
};

struct MapParameters {
    int64_t elementSize;
    int32_t flags;
    const int64_t* structureMap;
    int64_t bucketCount;
};

// Filled by the start commands of the array, list and map libraries. A slot stays null
// while its library is not part of the program; structure code skips such fields.
struct SharedRoutineTable {
    KS_List* (*NewList)(int64_t elementDataSize, KS_ListObject* listObject,
                        const int64_t* structureMap, int32_t flags);
    int (*CopyList)(KS_List* source, KS_List* destination, int clearFirst);
    void (*FreeList)(KS_List* list);
    void (*GetListParameters)(const KS_List* list, ListParameters* out);

    TextMap* (*NewMap)(int64_t elementSize, int32_t flags, const int64_t* structureMap,
                       TextMap** variable, int64_t bucketCount);
    int (*CopyMap)(TextMap* source, TextMap* destination);
    void (*FreeMap)(TextMap* map);
    void (*GetMapParameters)(const TextMap* map, MapParameters* out);

    void* (*AllocateArray)(int64_t elementSize, int64_t count, int32_t typeCode,
                           const int64_t* structureMap, void** variable);
    void* (*AllocateMultiArray)(int32_t dimensions, int64_t elementSize, int32_t typeCode,
                                const int64_t* structureMap, void** variable);
    int (*CopyArray)(void* source, void* destination, int reallocate);
    void (*FreeArray)(void* array);
};

extern SharedRoutineTable SharedRoutines;
