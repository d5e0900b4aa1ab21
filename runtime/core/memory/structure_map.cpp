// Structure maps: decoding their entries, and creating and releasing the dynamic fields
// they describe. The shared routine table lives here because only structure code reads it.

#include <cstdint>

#include "runtime/core/memory/memory.h"
#include "runtime/core/memory/memory_internal.h"
#include "runtime/core/strings/strings.h"

SharedRoutineTable SharedRoutines = {};

namespace {

const int64_t* WordToMap(int64_t word) {
    return reinterpret_cast<const int64_t*>(static_cast<intptr_t>(word));
}

// Width of count items of size bytes each; a nonsensical or overflowing pair gives no
// items at all, so no walk ever runs past the structure.
void SetFixedArrayWidth(MapEntry* entry) {
    int64_t width = 0;
    if (entry->count < 0 || entry->elementSize < 0 ||
        __builtin_mul_overflow(entry->count, entry->elementSize, &width)) {
        entry->count = 0;
        width = 0;
    }
    entry->width = width;
}

// Number of words that follow the code word, or -1 for an unknown code.
int64_t ParameterWords(const int64_t* words) {
    switch (words[0]) {
    case MapFixedArray:
        return 4;
    case MapStructure:
        return 3;
    case MapArray:
        return 5;
    case MapList:
        return 4;
    case MapTextMap:
        return 5;
    case MapMultiArray:
        return 5 + (words[2] > 0 ? words[2] : 0);
    default:
        return words[0] >= 0 ? 0 : -1;
    }
}

void DecodeParameters(const int64_t* p, MapEntry* e) {
    switch (e->code) {
    case MapFixedArray:
        *e = {e->code, p[1], 0, p[0], p[2], 0, 0, 0, WordToMap(p[3]), nullptr};
        SetFixedArrayWidth(e);
        break;
    case MapStructure:
        *e = {e->code, p[0], p[1] > 0 ? p[1] : 0, 0, p[1], 0, 0, 0, WordToMap(p[2]), nullptr};
        break;
    case MapArray:
        *e = {e->code, p[0], 8, p[2], p[1], p[3], 0, 0, WordToMap(p[4]), nullptr};
        break;
    case MapList:
        *e = {e->code, p[0], 16, 0, p[1], 0, p[3], 0, WordToMap(p[2]), nullptr};
        break;
    case MapTextMap:
        *e = {e->code, p[0], 8, 0, p[1], 0, p[2], p[4], WordToMap(p[3]), nullptr};
        break;
    case MapMultiArray: {
        int64_t n = p[1] > 0 ? p[1] : 0;
        *e = {e->code, p[0], 8 + 8 * n, p[1], p[2], p[3], 0, 0, WordToMap(p[4]), p + 5};
        break;
    }
    default: // a string field: the code is its offset
        *e = {0, e->code, 8, 0, 0, 0, 0, 0, nullptr, nullptr};
        break;
    }
}

} // namespace

const int64_t* ReadMapEntry(const int64_t* words, MapEntry* entry) {
    if (words == nullptr || words[0] == MapEnd) {
        return nullptr;
    }
    // Array commands take the number of dimensions as a 32-bit value; a larger count
    // cannot describe a real field.
    if (words[0] == MapMultiArray && words[2] > INT32_MAX) {
        return nullptr;
    }
    int64_t parameters = ParameterWords(words);
    if (parameters < 0) {
        return nullptr;
    }
    entry->code = words[0];
    DecodeParameters(words + 1, entry);
    if (entry->offset < 0 || entry->width > INT64_MAX - entry->offset) {
        return nullptr;
    }
    return words + 1 + parameters;
}

int HasDynamicFields(const int64_t* map) {
    MapEntry e;
    for (const int64_t* p = map; (p = ReadMapEntry(p, &e)) != nullptr;) {
        switch (e.code) {
        case MapFixedArray:
        case MapStructure:
            if (HasDynamicFields(e.map)) {
                return 1;
            }
            break;
        case MapArray:
        case MapList:
        case MapTextMap:
        case MapMultiArray:
            return 1;
        default:
            break;
        }
    }
    return 0;
}

namespace {

void InitializeField(char* field, const MapEntry& e) {
    const SharedRoutineTable& r = SharedRoutines;
    switch (e.code) {
    case MapFixedArray:
        for (int64_t i = 0; i < e.count; ++i) {
            InitializeStructure(field + i * e.elementSize, e.map);
        }
        break;
    case MapStructure:
        InitializeStructure(field, e.map);
        break;
    case MapArray:
        AllocateArray(e.elementSize, e.count, static_cast<int32_t>(e.typeCode), e.map,
                      reinterpret_cast<void**>(field));
        break;
    case MapList:
        if (r.NewList != nullptr) {
            r.NewList(e.elementSize, reinterpret_cast<KS_ListObject*>(field), e.map,
                      static_cast<int32_t>(e.flags));
        }
        break;
    case MapTextMap:
        if (r.NewMap != nullptr) {
            r.NewMap(e.elementSize, static_cast<int32_t>(e.flags), e.map,
                     reinterpret_cast<TextMap**>(field), e.bucketCount);
        }
        break;
    case MapMultiArray:
        // The sizes go where AllocateMultiArray expects them and become the strides.
        for (int64_t k = 0; k < e.count; ++k) {
            StoreWord(field + 8 + 8 * k, e.sizes[k]);
        }
        AllocateMultiArray(static_cast<int32_t>(e.count), e.elementSize,
                           static_cast<int32_t>(e.typeCode), e.map,
                           reinterpret_cast<void**>(field));
        break;
    default:
        break; // a zeroed string field already is the empty string
    }
}

void ClearField(char* field, const MapEntry& e) {
    const SharedRoutineTable& r = SharedRoutines;
    switch (e.code) {
    case MapFixedArray:
        for (int64_t i = 0; i < e.count; ++i) {
            ClearStructure(field + i * e.elementSize, e.map);
        }
        break;
    case MapStructure:
        ClearStructure(field, e.map);
        break;
    case MapArray:
    case MapMultiArray:
        FreeArray(LoadPointer(field));
        StorePointer(field, nullptr);
        break;
    case MapList:
        if (r.FreeList != nullptr && LoadPointer(field) != nullptr) {
            r.FreeList(LoadPointer<KS_List>(field));
            StorePointer(field, nullptr);
            StorePointer(field + 8, nullptr);
        }
        break;
    case MapTextMap:
        if (r.FreeMap != nullptr && LoadPointer(field) != nullptr) {
            r.FreeMap(LoadPointer<TextMap>(field));
            StorePointer(field, nullptr);
        }
        break;
    default:
        // Reset as well as release, so that clearing twice, or copying into a cleared
        // structure, can never free the same string again.
        StringFree(LoadPointer<char16_t>(field));
        StorePointer(field, nullptr);
        break;
    }
}

} // namespace

void InitializeStructure(void* address, const int64_t* map) {
    if (address == nullptr) {
        return;
    }
    MapEntry e;
    for (const int64_t* p = map; (p = ReadMapEntry(p, &e)) != nullptr;) {
        InitializeField(FieldAt(address, e.offset), e);
    }
}

void ClearStructure(void* address, const int64_t* map) {
    if (address == nullptr) {
        return;
    }
    MapEntry e;
    for (const int64_t* p = map; (p = ReadMapEntry(p, &e)) != nullptr;) {
        ClearField(FieldAt(address, e.offset), e);
    }
}
