// The status-bar registry, the current bar and the field declarations.
#include "runtime/gui/statusbar/statusbar_internal.h"
#include "runtime/gui/windows/windows.h"

#include <new>

ObjectRegistry* StatusBarRegistry = nullptr;

namespace {

// Per thread: the bar most recently created, by number (a dynamic bar by its address), so
// that a freed bar is never written to.
thread_local int64_t CurrentStatusBar = 0;
thread_local bool HasCurrentStatusBar = false;

void FreeStatusBarCallback(int64_t number) {
    FreeStatusBar(number);
}

} // namespace

void InitStatusBars() {
    if (!StatusBarRegistry) {
        StatusBarRegistry =
            NewObjectRegistry(sizeof(KS_StatusBarStructure), 16, FreeStatusBarCallback);
    }
    SetWindowResizedHook(StatusBarWindowResized);
}

KS_StatusBarStructure* FindStatusBar(int64_t number) {
    return static_cast<KS_StatusBarStructure*>(GetObject(StatusBarRegistry, number));
}

bool InitStatusBarRecord(KS_StatusBarStructure* record, KSWidget* view, KSWidget* window) {
    record->FieldRects = new (std::nothrow) std::vector<StatusFieldRect>();
    record->FieldViews = new (std::nothrow) std::vector<KSWidget*>();
    if (!record->FieldRects || !record->FieldViews) {
        delete record->FieldRects;
        delete record->FieldViews;
        record->FieldRects = nullptr;
        record->FieldViews = nullptr;
        return false;
    }
    record->View = view;
    record->Window = window;
    record->FieldCount = 0;
    record->NextFieldX = StatusBarFirstFieldX;
    return true;
}

void ReleaseStatusBarRecord(int64_t number) {
    KS_StatusBarStructure* record = FindStatusBar(number);
    if (!record) {
        return;
    }
    // The labels are children of the bar's view and go with it.
    delete record->FieldRects;
    delete record->FieldViews;
    FreeObject(StatusBarRegistry, number);
}

void SetCurrentStatusBar(int64_t number) {
    CurrentStatusBar = number;
    HasCurrentStatusBar = true;
}

void AddStatusBarField(int32_t width) {
    KS_StatusBarStructure* record = HasCurrentStatusBar ? FindStatusBar(CurrentStatusBar) : nullptr;
    if (!record) {
        return;
    }
    // No layout yet: the field takes room only once it shows a text.
    record->FieldRects->push_back({record->NextFieldX, 0, width, 0});
    record->FieldViews->push_back(nullptr);
    record->FieldCount += 1;
    if (width != IgnoreValue) {
        record->NextFieldX += width;
    }
}
