// Helpers shared by the array and structure sources of the memory library.
#pragma once

#include <cstdint>
#include <cstring>

// Fields of a program's structure may lie at any byte offset, so words and pointers inside
// structures and after array variables are read and written bytewise.
inline int64_t LoadWord(const void* at) {
    int64_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void StoreWord(void* at, int64_t value) {
    std::memcpy(at, &value, sizeof value);
}

template <typename T = void> inline T* LoadPointer(const void* at) {
    T* value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void StorePointer(void* at, const void* value) {
    std::memcpy(at, &value, sizeof value);
}

inline char* FieldAt(void* base, int64_t offset) {
    return static_cast<char*>(base) + offset;
}

inline const char* FieldAt(const void* base, int64_t offset) {
    return static_cast<const char*>(base) + offset;
}

// One decoded entry of a structure map. Which members are meaningful depends on the code.
struct MapEntry {
    int64_t code;         // 0 for a string field, else one of the negative Map* codes
    int64_t offset;       // byte offset of the field in the structure
    int64_t width;        // bytes the field takes in the structure
    int64_t count;        // MapFixedArray: structures; MapArray: elements;
                          // MapMultiArray: dimensions
    int64_t elementSize;  // element size, nested structure size or element data size
    int64_t typeCode;     // MapArray, MapMultiArray
    int64_t flags;        // MapList, MapTextMap
    int64_t bucketCount;  // MapTextMap
    const int64_t* map;   // nested structure map or element map, may be null
    const int64_t* sizes; // MapMultiArray: the dimension sizes
};

// Decodes the entry at words into *entry and returns the word after it. Returns null at
// the end of the map, and also for an unknown code or a field that cannot lie in memory
// (negative offset, width beyond the 64-bit range), which end the walk as well.
const int64_t* ReadMapEntry(const int64_t* words, MapEntry* entry);
