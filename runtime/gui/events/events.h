// The event queue and loop: platform callbacks post runtime events (kind, object, window,
// type) into one first-in-first-out queue, and the application polls them with
// WaitWindowEvent, which pumps the platform's own queue (through the EventPlatform the
// platform glue sets) while the runtime queue is empty. Also the per-window keyboard
// shortcuts and the key handlers that the platform's key filter runs before any widget
// sees the key.
//
// Main thread only: nothing here takes a lock.
#pragma once

#include <cstdint>
#include <vector>

struct TextMap;

// --- Event kinds and gadget event types --------------------------------------------------

constexpr int32_t Event_Menu = 1;
constexpr int32_t Event_CloseWindow = 2;
constexpr int32_t Event_Gadget = 3;
constexpr int32_t Event_Repaint = 4;
constexpr int32_t Event_MoveWindow = 5;
constexpr int32_t Event_SizeWindow = 6;
constexpr int32_t Event_ActivateWindow = 7;
constexpr int32_t Event_DeactivateWindow = 8;
constexpr int32_t Event_WindowDrop = 10;
constexpr int32_t Event_GadgetDrop = 11;
constexpr int32_t Event_MinimizeWindow = 12;
constexpr int32_t Event_MaximizeWindow = 13;
constexpr int32_t Event_RestoreWindow = 14;
constexpr int32_t Event_RightClick = 16;
constexpr int32_t Event_LeftClick = 17;
constexpr int32_t Event_LeftDoubleClick = 18;

constexpr int64_t GadgetEvent_Click = 0;
constexpr int64_t GadgetEvent_RightClick = 1;
constexpr int64_t GadgetEvent_DoubleClick = 2;

// Kinds above this are never merged with the newest queued event.
constexpr int32_t MergeableKindLimit = 65535;

// --- Queue ------------------------------------------------------------------------------------

struct EventRecord {
    EventRecord* link; // the next newer record, null for the newest
    int32_t Kind;
    int64_t Object;
    int64_t Window;
    int64_t Type;
};

struct KS_EventQueue {
    EventRecord* head; // oldest, null when empty
    EventRecord* tail; // newest
};

// The event NextEvent fetched last.
struct KS_CurrentEvent {
    int32_t kind;
    int64_t object;
    int64_t window;
    int64_t type;
};

extern KS_EventQueue EventQueue;
extern KS_CurrentEvent CurrentEvent;
// While not 0, PostEvent discards everything.
extern int32_t SuppressCount;
// Event bindings under "kind:window:object:type" keys; created empty, never filled here.
extern TextMap* EventBindings;

// One binding: callbacks run in order when a posted event matches the entry's key.
struct EventBinding {
    std::vector<void (*)()>* callbacks;
    int64_t window;
};

// Start command: the record allocator and the empty binding map.
void InitEvents();
// Nothing to release.
void EndEvents();

void PostEvent(int32_t kind, int64_t object, int64_t window, int64_t type);
// Kind of the fetched event, 0 when the queue was empty (the type register is then -1).
int32_t NextEvent();
// Drops every queued event of a window; the others keep their order.
void PurgeWindowEvents(int64_t window);
void SuspendEvents();
void ResumeEvents();

// Object register: gadget, menu item or window number of the current event.
int64_t EventGadget();
int64_t EventMenu();
int64_t EventWindow();
int64_t EventType();

// Removes every binding of a window (a window that closes).
void RemoveWindowBindings(int64_t window);

// --- Platform and waiting --------------------------------------------------------------------

// What the queue needs of the platform's own event loop, as the platform glue provides
// it. With no platform set the queue stands alone: nothing wakes, nothing is pumped, and
// WaitWindowEvent answers from the runtime queue at once.
struct EventPlatform {
    // Makes a Pump that waits return; called for every post but a repaint.
    void (*Wake)();
    // Handles the platform's events, waiting for more until timeout (ms; below 0: for
    // ever; 0: no waiting) has passed, a runtime event is queued or a platform event has
    // been handled. True when a platform event was handled.
    bool (*Pump)(int32_t timeout);
    // Carries out the releases deferred to the next pass of the loop.
    void (*Recycle)();
};

// The platform the queue waits on; null for none.
void SetEventPlatform(const EventPlatform* platform);

// The next event kind; 0 when timeout (ms; below 0: for ever) passed without a platform
// event, -1 when a platform event was handled but produced no runtime event.
int64_t WaitWindowEvent(int32_t timeout = -1);
// Makes a waiting WaitWindowEvent return.
void WakeEventLoop();
// Carries out the releases deferred to the next pass of the loop.
void RecyclePool();

// --- Keyboard shortcuts -----------------------------------------------------------------------

constexpr int32_t ShortcutShift = 0x10000;
constexpr int32_t ShortcutControl = 0x20000;
constexpr int32_t ShortcutAlt = 0x40000;
constexpr int32_t ShortcutCommand = 0x80000;
constexpr int32_t ShortcutModifierMask = 0xF0000;

// A key press as the shortcut logic sees it: the modifier bits above and the one UTF-16
// unit the key reports ignoring modifiers other than Shift (special keys as 0xF7xx, Return
// and keypad Enter as 13).
struct KeyStroke {
    uint32_t modifiers;
    char16_t unit;
};

class KSShortcut {
public:
    // Key: key part OR modifier bits, as the application gave it; item: the menu item.
    void initWithKey(int32_t key, int32_t item);
    // True (item set) when the key press is this shortcut.
    bool isEventMatch(const KeyStroke& stroke, int32_t* item) const;
    bool isKeyMatch(int32_t key) const { return Key == key; }

    uint64_t modifiers = 0;
    char16_t character = 0;
    int32_t EventMenuID = 0;
    int32_t Key = 0;
};

// The character a key part reports: special keys by their table, others as they are.
char16_t ShortcutCharacter(int32_t key);

using KSShortcutList = std::vector<KSShortcut>;

// The window library tells the queue where a window's shortcut list lives: the list of a
// live window (created when create is true), or null for a window that does not exist.
using ShortcutListLookup = KSShortcutList* (*)(int64_t window, bool create);
void SetShortcutListLookup(ShortcutListLookup lookup);

void AddKeyboardShortcut(int64_t window, int32_t key, int32_t item);
void RemoveKeyboardShortcut(int64_t window, int32_t key);
// The menu item of the first shortcut of window matching the stroke, or false.
bool MatchKeyboardShortcut(int64_t window, const KeyStroke& stroke, int32_t* item);

// --- Key handling ------------------------------------------------------------------------------

// Where a key press happened: the toolkit window number of the focused top-level window
// (-1 for any other window), and whether a modal dialog is open.
struct KeyContext {
    int64_t window;
    bool modal;
};

// Runs after the window's shortcuts, in the order installed. Answers whether it takes the
// key; with act false it only tells (the platform asks before the press is delivered),
// with act true it carries the key out.
using KeyHandler = bool (*)(const KeyStroke& stroke, const KeyContext& context, bool act);
void AddKeyHandler(KeyHandler handler);

// What the platform's key filter asks of every key press: the focused window's shortcut
// (posted as Event_Menu when act is true), else the first key handler that takes it.
// True when the key is taken and must reach no widget.
bool HandleKeyStroke(const KeyStroke& stroke, const KeyContext& context, bool act);
