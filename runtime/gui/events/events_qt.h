// The event loop's Qt glue, as the other Qt glue of the toolkit reaches it: the platform
// that waits on Qt's event dispatcher, and the window number of a top-level widget for
// the key filter.
#pragma once

#include "runtime/gui/events/events.h"

#include <cstdint>

class QWidget;

// Makes the queue wait on Qt's dispatcher and installs the application-wide key filter;
// call once a QApplication exists (again is harmless).
void StartQtEvents();

// The toolkit window number of a top-level widget, -1 when it is not a toolkit window;
// the window library installs it.
using WindowNumberHook = int64_t (*)(QWidget* topLevelWidget);
void SetWindowNumberHook(WindowNumberHook hook);
