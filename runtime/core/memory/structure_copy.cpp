// Deep copy of a structure through its map: plain bytes are copied as they are, and every
// resource a field owns (string, array, list, map) is duplicated, so that source and
// destination share nothing afterwards.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "runtime/core/memory/memory.h"
#include "runtime/core/memory/memory_internal.h"
#include "runtime/core/strings/strings.h"

namespace {

void CopyStringField(char* to, const char* from) {
    StringFree(LoadPointer<char16_t>(to));
    StorePointer(to, nullptr);
    const char16_t* text = LoadPointer<const char16_t>(from);
    if (text != nullptr) {
        char16_t* copy = nullptr;
        StringDuplicate(&copy, text);
        StorePointer(to, copy);
    }
}

// Covers one- and multi-dimensional array fields; the copy takes the source's number of
// dimensions and CopyArray brings the strides along.
void CopyArrayField(char* to, const char* from) {
    FreeArray(LoadPointer(to));
    StorePointer(to, nullptr);
    void* source = LoadPointer(from);
    if (source == nullptr) {
        return;
    }
    const KS_ArrayHeader* header = ArrayHeader(source);
    void* copy = AllocateArray(header->elementSize, header->count, header->typeCode,
                               header->structureMap, reinterpret_cast<void**>(to));
    if (copy == nullptr) {
        return;
    }
    ArrayHeader(copy)->dimensions = header->dimensions;
    if (!CopyArray(source, copy, 0)) {
        FreeArray(copy);
    }
}

void CopyListField(char* to, const char* from) {
    const SharedRoutineTable& r = SharedRoutines;
    if (r.FreeList == nullptr) {
        return; // no list library in the program, so no list to copy either
    }
    if (LoadPointer(to) != nullptr) {
        r.FreeList(LoadPointer<KS_List>(to));
    }
    StorePointer(to, nullptr);
    StorePointer(to + 8, nullptr);
    KS_List* source = LoadPointer<KS_List>(from);
    if (source == nullptr || r.NewList == nullptr || r.CopyList == nullptr ||
        r.GetListParameters == nullptr) {
        return;
    }
    ListParameters p = {};
    r.GetListParameters(source, &p);
    KS_List* copy =
        r.NewList(p.elementDataSize, reinterpret_cast<KS_ListObject*>(to), p.structureMap, p.flags);
    if (copy != nullptr) {
        r.CopyList(source, copy, 0);
    }
}

void CopyMapField(char* to, const char* from) {
    const SharedRoutineTable& r = SharedRoutines;
    if (r.FreeMap == nullptr) {
        return; // no map library in the program, so no map to copy either
    }
    if (LoadPointer(to) != nullptr) {
        r.FreeMap(LoadPointer<TextMap>(to));
    }
    StorePointer(to, nullptr);
    TextMap* source = LoadPointer<TextMap>(from);
    if (source == nullptr || r.NewMap == nullptr || r.CopyMap == nullptr ||
        r.GetMapParameters == nullptr) {
        return;
    }
    MapParameters p = {};
    r.GetMapParameters(source, &p);
    TextMap* copy = r.NewMap(p.elementSize, p.flags, p.structureMap,
                             reinterpret_cast<TextMap**>(to), p.bucketCount);
    if (copy != nullptr) {
        r.CopyMap(source, copy);
    }
}

void CopyField(char* to, const char* from, const MapEntry& e) {
    switch (e.code) {
    case MapFixedArray:
        for (int64_t i = 0; i < e.count; ++i) {
            int64_t at = i * e.elementSize;
            CopyStructure(to + at, e.elementSize, e.map, from + at);
        }
        break;
    case MapStructure:
        CopyStructure(to, e.elementSize, e.map, from);
        break;
    case MapArray:
    case MapMultiArray:
        CopyArrayField(to, from);
        break;
    case MapList:
        CopyListField(to, from);
        break;
    case MapTextMap:
        CopyMapField(to, from);
        break;
    default:
        CopyStringField(to, from);
        break;
    }
}

void CopyPlainBytes(void* destination, const void* source, int64_t from, int64_t to) {
    if (to > from) {
        std::memcpy(FieldAt(destination, from), FieldAt(source, from),
                    static_cast<size_t>(to - from));
    }
}

} // namespace

void CopyStructure(void* destination, int64_t size, const int64_t* map, const void* source) {
    if (destination == source || destination == nullptr || source == nullptr) {
        return;
    }
    if (map == nullptr || map[0] == MapEnd) {
        CopyPlainBytes(destination, source, 0, size);
        return;
    }
    // mark: the bytes below it are handled. Map entries come in ascending offset order,
    // so the plain bytes between mark and the next field never overlap a field.
    int64_t mark = 0;
    MapEntry e;
    for (const int64_t* p = map; (p = ReadMapEntry(p, &e)) != nullptr;) {
        CopyField(FieldAt(destination, e.offset), FieldAt(source, e.offset), e);
        CopyPlainBytes(destination, source, mark, std::min(e.offset, size));
        mark = std::max(mark, e.offset + e.width);
    }
    CopyPlainBytes(destination, source, mark, size);
}
