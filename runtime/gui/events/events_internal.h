// Between the queue's portable logic and its Qt glue.
#pragma once

#include "runtime/gui/events/events.h"

// Installs the application-wide key filter once a QApplication exists; true when it is
// in place.
bool InstallKeyFilter();
