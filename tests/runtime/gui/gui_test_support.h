// Shared by the toolkit's tests: the runtime's GUI libraries started once per process on
// the headless Qt platform, and helpers to drain and collect runtime events.
#pragma once

#include "posted_event.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/maps/maps.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/application/application_qt.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/windows/windows_qt.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdint>
#include <vector>

// Starts the libraries in the program's order (the Qt application comes with them).
inline void StartGuiLibraries() {
    static bool started = false;
    if (started)
        return;
    started = true;
    InitStringBuffer();
    InitLists();
    InitWindows();
    InitMenus();
    InitApplication();
    InitMaps();
    InitEvents();
}

// Every runtime event until the loop has been idle for quietMs (platform events that
// produce none are passed over).
inline std::vector<PostedEvent> CollectEvents(int quietMs = 50) {
    std::vector<PostedEvent> events;
    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < quietMs) {
        const int64_t kind = WaitWindowEvent(10);
        if (kind > 0) {
            events.push_back({kind, EventGadget(), EventWindow(), EventType()});
            idle.restart();
        }
    }
    return events;
}

// The events of one kind among those collected.
inline std::vector<PostedEvent> OfKind(const std::vector<PostedEvent>& events, int64_t kind) {
    std::vector<PostedEvent> found;
    for (const PostedEvent& e : events) {
        if (e.kind == kind)
            found.push_back(e);
    }
    return found;
}

// Closes every window and forgets every queued event, so that cases start alike.
inline void ResetWindows() {
    CloseWindow(AllObjects);
    RecyclePool();
    CollectEvents(20);
    while (NextEvent() != 0) {
    }
}
