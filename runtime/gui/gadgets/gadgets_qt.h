// The gadgets' Qt side as the other Qt glue and the tests reach it.
#pragma once

#include "runtime/gui/gadgets/gadgets.h"
#include "runtime/gui/windows/windows_qt.h"

#include <cstdint>

// The control (the view) of a gadget, null when there is none.
QWidget* GadgetWidget(int64_t gadget);
