// The runtime event queue: records from a private block allocator, merging of equal
// consecutive events, the current-event registers, the event bindings, and the wait on
// the platform's loop.
#include "runtime/gui/events/events.h"

#include "runtime/core/lists/lists.h"
#include "runtime/core/maps/maps.h"

#include <cstdio>

KS_EventQueue EventQueue = {nullptr, nullptr};
KS_CurrentEvent CurrentEvent = {0, 0, 0, 0};
int32_t SuppressCount = 0;
TextMap* EventBindings = nullptr;

namespace {

KS_BlockAllocStruct* RecordAllocator = nullptr;
const EventPlatform* Platform = nullptr;

constexpr int32_t RecordMinItems = 16;
constexpr int32_t RecordMaxItems = 256;
constexpr int64_t BindingBuckets = 1024;

bool IsTailEqual(int32_t kind, int64_t object, int64_t window, int64_t type) {
    const EventRecord* tail = EventQueue.tail;
    return tail && tail->Kind == kind && tail->Object == object && tail->Window == window &&
           tail->Type == type;
}

void Enqueue(int32_t kind, int64_t object, int64_t window, int64_t type) {
    if (!RecordAllocator)
        return;
    auto* record = static_cast<EventRecord*>(BlockAlloc(RecordAllocator));
    if (!record)
        return; // no memory: the event is lost rather than a missing record linked
    *record = {nullptr, kind, object, window, type};
    if (EventQueue.tail)
        EventQueue.tail->link = record;
    else
        EventQueue.head = record;
    EventQueue.tail = record;
}

void RunBinding(const char* key) {
    auto* binding = static_cast<EventBinding*>(FindMapElement(EventBindings, key));
    if (!binding || !binding->callbacks)
        return;
    for (void (*callback)() : *binding->callbacks)
        callback();
}

// The five keys, most specific first, with the posted event in the registers meanwhile.
void RunBindings(int32_t kind, int64_t object, int64_t window, int64_t type) {
    if (!EventBindings || MapSize(EventBindings) == 0)
        return;
    const KS_CurrentEvent saved = CurrentEvent;
    CurrentEvent = {kind, object, window, type};
    const long long keys[5][3] = {{window, object, type},
                                  {window, object, -1},
                                  {window, -1, -1},
                                  {-1, -1, -1},
                                  {-1, object, type}};
    char key[96];
    for (const auto& k : keys) {
        std::snprintf(key, sizeof key, "%d:%lld:%lld:%lld", kind, k[0], k[1], k[2]);
        RunBinding(key);
    }
    CurrentEvent = saved;
}

} // namespace

void InitEvents() {
    EventQueue = {nullptr, nullptr};
    if (!RecordAllocator)
        RecordAllocator = NewBlockAllocator(sizeof(EventRecord), RecordMinItems, RecordMaxItems,
                                            BlockAllocPrivate);
    NewMap(sizeof(EventBinding), 0, nullptr, &EventBindings, BindingBuckets);
}

void EndEvents() {}

void PostEvent(int32_t kind, int64_t object, int64_t window, int64_t type) {
    if (SuppressCount != 0)
        return;
    // The platform cannot look into the runtime queue, so every post but a repaint wakes
    // its loop.
    if (kind != Event_Repaint)
        WakeEventLoop();
    const bool merge = kind <= MergeableKindLimit && IsTailEqual(kind, object, window, type);
    if (!merge)
        Enqueue(kind, object, window, type);
    RunBindings(kind, object, window, type);
}

int32_t NextEvent() {
    CurrentEvent.kind = 0;
    CurrentEvent.type = -1;
    EventRecord* head = EventQueue.head;
    if (head) {
        EventQueue.head = head->link;
        if (EventQueue.tail == head)
            EventQueue.tail = nullptr;
        CurrentEvent = {head->Kind, head->Object, head->Window, head->Type};
        BlockFree(RecordAllocator, head);
    }
    return CurrentEvent.kind;
}

void PurgeWindowEvents(int64_t window) {
    EventRecord** link = &EventQueue.head;
    EventRecord* kept = nullptr;
    while (EventRecord* record = *link) {
        if (record->Window == window) {
            *link = record->link;
            BlockFree(RecordAllocator, record);
        } else {
            kept = record;
            link = &record->link;
        }
    }
    EventQueue.tail = kept;
}

void SuspendEvents() {
    SuppressCount++;
}

void ResumeEvents() {
    SuppressCount--;
}

int64_t EventGadget() {
    return CurrentEvent.object;
}

int64_t EventMenu() {
    return CurrentEvent.object;
}

int64_t EventWindow() {
    return CurrentEvent.window;
}

int64_t EventType() {
    return CurrentEvent.type;
}

void RemoveWindowBindings(int64_t window) {
    if (!EventBindings)
        return;
    ResetMap(EventBindings);
    while (auto* binding = static_cast<EventBinding*>(NextMapElement(EventBindings))) {
        if (binding->window == window) {
            delete binding->callbacks;
            DeleteCurrentMapElement(EventBindings);
        }
    }
}

// --- Platform and waiting --------------------------------------------------------------------

void SetEventPlatform(const EventPlatform* platform) {
    Platform = platform;
}

void WakeEventLoop() {
    if (Platform)
        Platform->Wake();
}

void RecyclePool() {
    if (Platform)
        Platform->Recycle();
}

int64_t WaitWindowEvent(int32_t timeout) {
    RecyclePool();
    if (const int32_t kind = NextEvent())
        return kind;
    if (!Platform)
        return 0;
    const bool handled = Platform->Pump(timeout);
    if (const int32_t kind = NextEvent())
        return kind;
    return handled ? -1 : 0;
}
