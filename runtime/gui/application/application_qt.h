// The application menu's Qt objects, for the Qt glue and the tests that drive the menu.
#pragma once

#include "runtime/gui/application/application.h"

#include <cstdint>

class QAction;
class QMenu;
class QMenuBar;

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

// The default menu bar, emptied; builds the application menu on the first call.
QMenuBar* BuildApplicationMenu();
// Puts the application menu first in bar and makes bar the main menu of window (-1 for
// the default bar).
void InstallMenuBar(QMenuBar* bar, int64_t window);
