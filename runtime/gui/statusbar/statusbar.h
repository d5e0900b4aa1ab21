// Status bars: numbered rows of text fields along the bottom edge of a window's content
// view, 24 units high. Fields are declared with a width (IgnoreValue: share what the
// fixed fields leave) and take room only once they first show a text.
//
// Main thread only; the current status bar (the one AddStatusBarField works on) is kept
// per thread.
#pragma once

#include "runtime/core/objects/objects.h"

#include <cstdint>
#include <vector>

struct KSWidget; // a platform widget, see windows.h

// Bar and label heights, in units.
constexpr int32_t StatusBarHeight = 24;
constexpr int32_t StatusBarLabelHeight = 20;
// Offset of the first field in the field rectangles (used only for a label's first frame).
constexpr int32_t StatusBarFirstFieldX = 5;

// StatusBarText flags.
constexpr int32_t StatusBarText_Center = 4;
constexpr int32_t StatusBarText_Right = 8;

struct StatusFieldRect {
    int32_t x; // start offset when the field was added
    int32_t y;
    int32_t width; // declared width, or IgnoreValue
    int32_t height;
};

struct KS_StatusBarStructure {
    KSWidget* View; // the KSStatusBarView; the record's live marker
    KSWidget* Window;
    std::vector<StatusFieldRect>* FieldRects;
    std::vector<KSWidget*>* FieldViews; // each field's label, null until it first gets a text
    int32_t FieldCount;
    int32_t NextFieldX;
};

extern ObjectRegistry* StatusBarRegistry;

// Start command: the registry (16 slots) and the window-resized hook.
void InitStatusBars();

// The bar's view as an integer, for AnyNumber the record address that serves as its
// number; 0 when window is not a toolkit window or memory is short.
int64_t CreateStatusBar(int64_t number, int64_t window);
// Adds a field to the most recently created status bar.
void AddStatusBarField(int32_t width);
// Shows text in a field at once; flags: StatusBarText_Center, StatusBarText_Right. An
// alignment once given stays until another is given.
void StatusBarText(int64_t number, int32_t field, const char16_t* text, int32_t flags = 0);
// AllObjects frees every status bar.
void FreeStatusBar(int64_t number);
// The window-resized hook: lays out again every bar of the window.
void StatusBarWindowResized(int64_t window);

// --- Layout (portable) --------------------------------------------------------------------

struct StatusFieldFrame {
    int32_t field; // index of the field
    int32_t x;     // units from the bar's left edge
    double width;
};

// Frames of the labelled fields: edge to edge from 0, fields declared IgnoreValue sharing
// what the others leave of windowWidth; the running offset is truncated to whole units.
// A field wider than the window keeps its width (the bar cuts it off).
std::vector<StatusFieldFrame> LayoutStatusBarFields(const std::vector<StatusFieldRect>& fields,
                                                    const std::vector<bool>& labelled,
                                                    int32_t windowWidth);
