// The application object and its menu: the Qt application, the application menu with its
// items and key equivalents, and the menu delegate that turns menu choices into
// Event_Menu events (About -3, Preferences -2, Quit -1).
//
// A menu bar without a parent window is never shown on this platform and its shortcuts
// never fire, so the key equivalents are carried out by a key handler of the event loop.
#pragma once

#include <cstdint>

class QAction;
class QMenu;
class QMenuBar;

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

// What InitApplication builds once per process.
struct KS_ApplicationObjects {
    KSMenuDelegate* delegate;
    QMenuBar* defaultBar;
    QMenuBar* mainMenu; // the installed bar
    QMenu* applicationMenu;
    QAction* applicationItem; // the menu bar item that carries the application menu
    QMenu* servicesMenu;
    QAction* about;
    QAction* preferences;
    QAction* hide;
    QAction* hideOthers;
    QAction* showAll;
    QAction* quit;
};

extern KS_ApplicationObjects Application;

// Start command: creates the Qt application when none exists yet, then (once per
// process) the menu delegate, the application menu and its key equivalents.
void InitApplication();
void EndApplication();

// The default menu bar, emptied; builds the application menu on the first call.
QMenuBar* BuildApplicationMenu();
// Puts the application menu first in bar and makes bar the main menu of window (-1 for
// the default bar).
void InstallMenuBar(QMenuBar* bar, int64_t window);
