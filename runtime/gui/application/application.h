// The application object and its menu: the Qt application, the application menu with its
// items and key equivalents, and the menu delegate that turns menu choices into
// Event_Menu events (About -3, Preferences -2, Quit -1). The menu's Qt objects are in
// application_qt.h.
//
// A menu bar without a parent window is never shown on this platform and its shortcuts
// never fire, so the key equivalents are carried out by a key handler of the event loop.
#pragma once

#include <cstdint>

class KSMenuDelegate {
public:
    void terminate();
    void about();
    void preferences();
    // The action of the items of window menu bars: the item's number in the menu bar's
    // window (0 for none).
    void eventHandler(int32_t item, int64_t window);
    void setWindowID(int64_t window) { WindowID = window; }

    int64_t WindowID = -1; // window whose menu bar is installed, -1 for the default bar
};

// Start command: creates the Qt application when none exists yet and makes the event
// queue wait on it, then (once per process) the menu delegate, the application menu and
// its key equivalents.
void InitApplication();
void EndApplication();
