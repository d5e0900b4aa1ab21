// Shared by the status-bar sources: record lookup and release, the current bar.
#pragma once

#include "runtime/gui/statusbar/statusbar.h"

// The live record of a status bar, or null.
KS_StatusBarStructure* FindStatusBar(int64_t number);
// New empty field lists for a record just created; false when memory is short.
bool InitStatusBarRecord(KS_StatusBarStructure* record, KSWidget* view, KSWidget* window);
// Releases the field lists and removes the record from the registry.
void ReleaseStatusBarRecord(int64_t number);
// Makes a bar the one AddStatusBarField works on.
void SetCurrentStatusBar(int64_t number);
