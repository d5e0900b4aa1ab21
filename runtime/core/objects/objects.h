// Numbered object registry: maps caller-chosen numbers (0, 1, 2 ...) or dynamic ids to
// zero-filled records of one kind, and the library state blocks.
//
// Every kind's record begins with a 64-bit primary handle; a record whose first field is
// zero is absent. Ids are 64-bit signed: 0 to capacity - 1 are numbers, AnyNumber (-1)
// asks for a dynamic id (the address of the record), any other value is looked up as a
// dynamic id and never indexes the slot table.
#pragma once

#include <cstdint>

constexpr int64_t AnyNumber = -1;
constexpr int64_t AllObjects = -1;

using ObjectFreeCallback = void (*)(int64_t id);

struct DynamicObjectNode;

struct ObjectRegistry {
    int32_t recordSize;
    int32_t growStep;
    int64_t capacity;
    void** slots;
    DynamicObjectNode* dynamicHead;
    ObjectFreeCallback freeCallback;
    int64_t iterIndex;
    DynamicObjectNode* iterNode;
};

// A new registry with growStep slots, or null when memory is short.
ObjectRegistry* NewObjectRegistry(int32_t recordSize, int32_t growStep,
                                  ObjectFreeCallback freeCallback);
// The zero-filled record a creating command fills, or null (no memory, number < -1).
void* AllocateObject(ObjectRegistry* registry, int64_t number);
// The live record of an id, or null.
void* GetObject(ObjectRegistry* registry, int64_t id);
// The record of an id, live or not, or null; confirms dynamic ids by membership.
void* IsObject(ObjectRegistry* registry, int64_t id);
// Zero-fills a numbered record or unlinks and releases a dynamic one. No callback.
void FreeObject(ObjectRegistry* registry, int64_t id);
// Calls the free callback for every object of the kind.
void FreeAllObjects(ObjectRegistry* registry);

void ResetObjectIteration(ObjectRegistry* registry);
// The next object of a scan (numbers ascending, then dynamic oldest first), or null.
void* NextObject(ObjectRegistry* registry, int64_t* id);
void AbortObjectIteration(ObjectRegistry* registry);

// A zero-filled state block, passed to the constructor when one is given. The destructor
// is accepted and never called: state blocks live until the process ends.
void* NewLibraryState(int64_t size, void (*constructor)(void*), void (*destructor)(void*));
void* LibraryState(void* block);
