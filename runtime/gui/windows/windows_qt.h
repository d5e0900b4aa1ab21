// The windows' Qt side as the other Qt glue and the tests reach it: widget handles turned
// into the widgets they stand for and back, and typed access to a window's widgets.
#pragma once

#include "runtime/gui/windows/windows.h"

#include <cstdint>

class QWidget;

// A handle is the widget's address under the portable name; never dereferenced as such.
inline QWidget* QtWidget(KSWidget* handle) {
    return reinterpret_cast<QWidget*>(handle);
}
inline KSWidget* KSWidgetOf(QWidget* widget) {
    return reinterpret_cast<KSWidget*>(widget);
}

// The platform window of a number, null when there is none.
QWidget* WindowWidget(int64_t number);
// The content view of a toolkit window (its top-level widget), null for any other widget.
QWidget* WindowContentView(QWidget* window);
