// Windows and gadget lists: numbered top-level windows whose notifications become runtime
// events, a content view with its origin at the top left, one gadget list per window
// naming the view new gadgets go into, and the menu registry.
//
// Platform windows are the platform's top-level widgets, held here as KSWidget handles;
// handles cross the runtime's interface as 64-bit integers (the widget's address), as
// every object handle does. Typed access to the widgets is in windows_qt.h.
#pragma once

#include "runtime/core/objects/objects.h"
#include "runtime/gui/events/events.h"

#include <cstdint>
#include <vector>

// A platform widget as portable code holds it: declared, never defined. Only the platform
// glue turns a handle into the widget it stands for (windows_qt.h) and back.
struct KSWidget;
class KSWindowEvents;

// --- Flags and styles ---------------------------------------------------------------------------

constexpr int32_t WindowInvisible = 0x1;
constexpr int32_t WindowSizeGadget = 0x2;
constexpr int32_t WindowSystemMenu = 0x4;
constexpr int32_t WindowTitleBar = 0x8;
constexpr int32_t WindowMaximizeGadget = 0x10;
constexpr int32_t WindowMinimizeGadget = 0x20;
constexpr int32_t WindowScreenCentered = 0x40;
constexpr int32_t WindowBorderless = 0x80;
constexpr int32_t WindowCenterOnKeyWindow = 0x100;
constexpr int32_t WindowMaximize = 0x200;
constexpr int32_t WindowMinimize = 0x400;
constexpr int32_t WindowTitled = 0x800;
constexpr int32_t WindowNoGadgets = 0x1000;
constexpr int32_t WindowNoActivate = 0x2000;

// Platform style bits.
constexpr uint32_t StyleTitled = 1;
constexpr uint32_t StyleClosable = 2;
constexpr uint32_t StyleMiniaturizable = 4;
constexpr uint32_t StyleResizable = 8;

// The style bits that OpenWindow's flags ask for (0 for a borderless window).
uint32_t WindowStyleFromFlags(int32_t flags);

constexpr int32_t IgnoreValue = -65535;

// --- Window records ---------------------------------------------------------------------------

struct WindowRecord {
    KSWidget* Window; // the KSWindow; the record's live marker
    KSWindowEvents* Delegate;
    KSShortcutList* Shortcuts;   // null until the first AddKeyboardShortcut
    KSWidget* PreviousKeyWindow; // the key window when this one opened, or null
};

extern ObjectRegistry* WindowRegistry;

// Start commands: the window registry with the gadget-list state; the menu registry.
void InitWindows();
void EndWindows();
void InitMenus();

// The platform window (as an integer) for a number, the dynamic id for AnyNumber, 0 when
// the window cannot be created.
int64_t OpenWindow(int64_t number, int32_t x, int32_t y, int32_t width, int32_t height,
                   const char16_t* title, int32_t flags = WindowSystemMenu);
// Closes a window (AllObjects: every window); its queued events are dropped.
void CloseWindow(int64_t number);
// The platform window of a number, 0 when there is none.
int64_t WindowHandle(int64_t number);
// The window number of a platform window, -1 when it is not a toolkit window.
int64_t WindowNumberOf(int64_t platformWindow);
// The live record of a window, or null.
WindowRecord* FindWindow(int64_t number);

// Called with the platform window whenever a window's size changed; the status bar
// library installs it.
using WindowResizedHook = void (*)(int64_t platformWindow);
void SetWindowResizedHook(WindowResizedHook hook);

// --- Gadget lists ------------------------------------------------------------------------------

class KSGadgetList {
public:
    explicit KSGadgetList(KSWidget* window);

    void push(KSWidget* view);
    void pushNoView() { push(nullptr); }
    void pop();
    void set(KSWidget* view) { TopView = view; }
    KSWidget* top() const { return TopView; }
    KSWidget* window() const { return TopWindow; }
    int32_t stackIndex() const { return StackIndex; }

    // The current list and its window and view; null when there is no current list.
    static KSGadgetList* currentList();
    static KSWidget* currentWindow();
    static KSWidget* currentView();
    static KSGadgetList* listFromWindow(KSWidget* window);
    // Makes the window's list current (creating it); answers the previous current window.
    static KSWidget* setWindow(KSWidget* window);
    static void removeWindow(KSWidget* window);

private:
    KSWidget* TopWindow;
    KSWidget* TopView;
    std::vector<KSWidget*> Views;
    int32_t StackSize;
    int32_t StackIndex;
};

// --- Menus -------------------------------------------------------------------------------------

struct MenuRecord {
    void* Items; // growable arrays of the menu's items and titles
    void* Titles;
    void* MenuObject; // KSMenuObject
    int32_t Value;
    int32_t Popup;
    KSWidget* Window; // the window the menu bar belongs to
    void* MenuBar;    // the platform menu bar
};

extern ObjectRegistry* MenuRegistry;

void FreeMenu(int64_t number);
