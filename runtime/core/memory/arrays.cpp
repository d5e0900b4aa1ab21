// Dynamic arrays: one zero-filled allocation holding the header and then the elements.
// The program's array variable holds element 0; a multi-dimensional array variable is
// followed by one stride word per dimension.

#include <cstdint>
#include <cstring>

#include "runtime/core/memory/memory.h"
#include "runtime/core/memory/memory_internal.h"
#include "runtime/core/strings/strings.h"

namespace {

// 48 bytes: the allocator's blocks are 16-byte aligned, and so stays element 0.
constexpr int64_t HeaderSize = sizeof(KS_ArrayHeader);
static_assert(HeaderSize == 48 && HeaderSize % 16 == 0);

// Bytes for the header and count elements, or -1 when the request is negative or does
// not fit in 64 bits.
int64_t ArrayBytes(int64_t elementSize, int64_t count) {
    int64_t data = 0;
    int64_t total = 0;
    if (elementSize < 0 || count < 0 || __builtin_mul_overflow(elementSize, count, &data) ||
        __builtin_add_overflow(data, HeaderSize, &total)) {
        return -1;
    }
    return total;
}

char* ElementAt(void* array, const KS_ArrayHeader* header, int64_t index) {
    return static_cast<char*>(array) + index * header->elementSize;
}

// Frees the array a variable holds and leaves the variable null.
void EmptyVariable(void** variable) {
    if (variable != nullptr) {
        FreeArray(LoadPointer(variable));
        StorePointer(variable, nullptr);
    }
}

int64_t* StrideWords(void** variable) {
    return reinterpret_cast<int64_t*>(variable + 1);
}

// Checks that the product of every suffix of the n sizes after the variable fits (they
// become the strides) and returns the total count, or -1.
int64_t TotalCount(void** variable, int32_t n) {
    const int64_t* sizes = StrideWords(variable);
    int64_t product = 1;
    for (int32_t k = n - 1; k >= 0; --k) {
        int64_t size = LoadWord(sizes + k);
        if (size < 0 || __builtin_mul_overflow(product, size, &product)) {
            return -1;
        }
    }
    return product;
}

void SizesToStrides(void** variable, int32_t n) {
    int64_t* words = StrideWords(variable);
    int64_t stride = 1;
    for (int32_t k = n - 1; k >= 0; --k) {
        int64_t size = LoadWord(words + k);
        StoreWord(words + k, stride);
        stride *= size;
    }
}

// Copies every element of the source array onto the target, which has the same count,
// element size and structure map.
void CopyElements(void* source, void* target) {
    const KS_ArrayHeader* header = ArrayHeader(source);
    if (header->elementSize == 0 || header->count == 0) {
        return;
    }
    if (header->structureMap == nullptr) {
        std::memcpy(target, source, static_cast<size_t>(header->count * header->elementSize));
        return;
    }
    for (int64_t i = 0; i < header->count; ++i) {
        CopyStructure(ElementAt(target, header, i), header->elementSize, header->structureMap,
                      ElementAt(source, header, i));
    }
}

void CopyStrides(const KS_ArrayHeader* source, void** targetVariable) {
    if (source->dimensions > 1) {
        std::memmove(StrideWords(targetVariable), StrideWords(source->variable),
                     static_cast<size_t>(source->dimensions) * sizeof(int64_t));
    }
}

// Builds the copy in a new array before the old destination is released, so a failed
// allocation loses nothing and a source that the destination owns stays alive while it
// is read.
int CopyIntoNewArray(void* source, void* destination) {
    const KS_ArrayHeader* from = ArrayHeader(source);
    void** variable = ArrayHeader(destination)->variable;
    void* copy =
        AllocateArray(from->elementSize, from->count, from->typeCode, from->structureMap, nullptr);
    if (copy == nullptr) {
        return 0;
    }
    KS_ArrayHeader* header = ArrayHeader(copy);
    header->dimensions = from->dimensions;
    CopyElements(source, copy);
    CopyStrides(from, variable);
    FreeArray(destination);
    header->variable = variable;
    StorePointer(variable, copy);
    return 1;
}

} // namespace

void InitArrays() {
    SharedRoutines.AllocateArray = AllocateArray;
    SharedRoutines.AllocateMultiArray = AllocateMultiArray;
    SharedRoutines.CopyArray = CopyArray;
    SharedRoutines.FreeArray = FreeArray;
}

KS_ArrayHeader* ArrayHeader(void* array) {
    if (array == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<KS_ArrayHeader*>(static_cast<char*>(array) - HeaderSize);
}

void* AllocateArray(int64_t elementSize, int64_t count, int32_t typeCode,
                    const int64_t* structureMap, void** variable) {
    EmptyVariable(variable);
    int64_t bytes = ArrayBytes(elementSize, count);
    if (bytes < 0) {
        return nullptr;
    }
    auto* header = static_cast<KS_ArrayHeader*>(MemAllocZeroed(bytes));
    if (header == nullptr) {
        return nullptr;
    }
    *header = {1, elementSize, structureMap, variable, count, typeCode};
    void* array = header + 1;
    if (variable != nullptr) {
        StorePointer(variable, array);
    }
    if (elementSize > 0 && HasDynamicFields(structureMap)) {
        for (int64_t i = 0; i < count; ++i) {
            InitializeStructure(ElementAt(array, header, i), structureMap);
        }
    }
    return array;
}

void* AllocateMultiArray(int32_t dimensions, int64_t elementSize, int32_t typeCode,
                         const int64_t* structureMap, void** variable) {
    if (dimensions < 1) {
        void* array = AllocateArray(elementSize, 1, typeCode, structureMap, variable);
        if (array != nullptr) {
            ArrayHeader(array)->dimensions = dimensions;
        }
        return array;
    }
    if (variable == nullptr) {
        return nullptr; // the sizes and strides live after the variable
    }
    int64_t count = TotalCount(variable, dimensions);
    if (count < 0) {
        EmptyVariable(variable);
        return nullptr;
    }
    SizesToStrides(variable, dimensions);
    void* array = AllocateArray(elementSize, count, typeCode, structureMap, variable);
    if (array != nullptr) {
        ArrayHeader(array)->dimensions = dimensions;
    }
    return array;
}

int CopyArray(void* source, void* destination, int reallocate) {
    if (source == nullptr || destination == nullptr) {
        return 0;
    }
    const KS_ArrayHeader* from = ArrayHeader(source);
    const KS_ArrayHeader* to = ArrayHeader(destination);
    if (from->dimensions != to->dimensions) {
        return 0;
    }
    if (source == destination) {
        return 1;
    }
    // Strides are read from and written after the variables.
    if (from->dimensions > 1 && (from->variable == nullptr || to->variable == nullptr)) {
        return 0;
    }
    if (reallocate) {
        return to->variable != nullptr ? CopyIntoNewArray(source, destination) : 0;
    }
    // Checked before anything is written: a target of another shape or element type
    // keeps its strides and contents.
    if (from->count != to->count || from->elementSize != to->elementSize ||
        from->structureMap != to->structureMap) {
        return 0;
    }
    CopyStrides(from, to->variable);
    CopyElements(source, destination);
    return 1;
}

void FreeArray(void* array) {
    if (array == nullptr) {
        return;
    }
    KS_ArrayHeader* header = ArrayHeader(array);
    if (header->structureMap != nullptr && header->elementSize > 0) {
        for (int64_t i = 0; i < header->count; ++i) {
            ClearStructure(ElementAt(array, header, i), header->structureMap);
        }
    }
    // A variable that has since been given another array keeps it.
    if (header->variable != nullptr && LoadPointer(header->variable) == array) {
        StorePointer(header->variable, nullptr);
    }
    MemFree(header);
}
