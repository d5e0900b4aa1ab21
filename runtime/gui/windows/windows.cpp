// Window records, styles, the delegate's events, gadget lists and the menu registry.
#include "runtime/gui/windows/windows_internal.h"

#include <algorithm>

ObjectRegistry* WindowRegistry = nullptr;
ObjectRegistry* MenuRegistry = nullptr;
WindowResizedHook WindowResized = nullptr;

namespace {

constexpr int32_t WindowRegistryStep = 8;
constexpr int32_t MenuRegistryStep = 8;
constexpr int32_t GadgetListCapacity = 5;
constexpr int32_t ViewStackStep = 10;

// The window library's state: the current gadget list and every window's list.
struct GadgetListState {
    KSGadgetList* current;
    std::vector<KSGadgetList*>* lists;
};

GadgetListState* ListState = nullptr;

void FreeWindowCallback(int64_t id) {
    CloseWindow(id);
}

void FreeMenuCallback(int64_t id) {
    FreeMenu(id);
}

KSShortcutList* ShortcutsOf(int64_t window, bool create) {
    auto* record = static_cast<WindowRecord*>(GetObject(WindowRegistry, window));
    if (!record)
        return nullptr;
    if (!record->Shortcuts && create) {
        record->Shortcuts = new KSShortcutList();
        record->Shortcuts->reserve(10);
    }
    return record->Shortcuts;
}

} // namespace

uint32_t WindowStyleFromFlags(int32_t flags) {
    if (flags & WindowBorderless)
        return 0;
    if (flags & (WindowMaximizeGadget | WindowMinimizeGadget))
        flags |= WindowSystemMenu;
    uint32_t style = 0;
    if (flags & 0x83E)
        style |= StyleTitled;
    if (flags & WindowSystemMenu)
        style |= StyleClosable;
    if (flags & 0x212)
        style |= StyleResizable;
    if (flags & 0x420)
        style |= StyleMiniaturizable;
    return style;
}

void InitWindows() {
    if (!WindowRegistry)
        WindowRegistry =
            NewObjectRegistry(sizeof(WindowRecord), WindowRegistryStep, FreeWindowCallback);
    if (!ListState) {
        ListState = static_cast<GadgetListState*>(
            NewLibraryState(sizeof(GadgetListState), nullptr, nullptr));
        if (ListState) {
            ListState->lists = new std::vector<KSGadgetList*>();
            ListState->lists->reserve(GadgetListCapacity);
        }
    }
    SetShortcutListLookup(ShortcutsOf);
}

void EndWindows() {}

void InitMenus() {
    if (!MenuRegistry)
        MenuRegistry = NewObjectRegistry(sizeof(MenuRecord), MenuRegistryStep, FreeMenuCallback);
}

WindowRecord* FindWindow(int64_t number) {
    return static_cast<WindowRecord*>(GetObject(WindowRegistry, number));
}

int64_t WindowHandle(int64_t number) {
    WindowRecord* record = FindWindow(number);
    return record ? reinterpret_cast<int64_t>(record->Window) : 0;
}

void SetWindowResizedHook(WindowResizedHook hook) {
    WindowResized = hook;
}

// --- Delegate
// -------------------------------------------------------------------------------------

void KSWindowEvents::connect(KSWidget* window, int64_t id) {
    WindowInstance = window;
    WindowID = id;
    ZoomEvent = 0;
}

bool KSWindowEvents::windowShouldClose() {
    PostEvent(Event_CloseWindow, WindowID, WindowID, 0);
    return false;
}

void KSWindowEvents::windowWillClose() {
    const int64_t id = WindowID;
    if (auto* record = static_cast<WindowRecord*>(GetObject(WindowRegistry, id));
        record && record->Window == WindowInstance) {
        delete record->Shortcuts;
        record->Shortcuts = nullptr;
        KSGadgetList::removeWindow(WindowInstance);
        PurgeWindowEvents(id);
        FreeObject(WindowRegistry, id);
    }
    delete this;
}

void KSWindowEvents::windowDidResize() {
    postPendingZoom();
    PostEvent(Event_SizeWindow, WindowID, WindowID, 0);
    if (WindowResized)
        WindowResized(reinterpret_cast<int64_t>(WindowInstance));
}

void KSWindowEvents::postPendingZoom() {
    if (ZoomEvent != 0)
        PostEvent(ZoomEvent, WindowID, WindowID, 0);
    ZoomEvent = 0;
}

void KSWindowEvents::windowDidMove() {
    PostEvent(Event_MoveWindow, WindowID, WindowID, 0);
}

void KSWindowEvents::windowDidBecomeKey() {
    PostEvent(Event_ActivateWindow, WindowID, WindowID, 0);
}

void KSWindowEvents::windowDidResignKey() {
    PostEvent(Event_DeactivateWindow, WindowID, WindowID, 0);
}

void KSWindowEvents::windowDidMiniaturize() {
    PostEvent(Event_MinimizeWindow, WindowID, WindowID, 0);
}

void KSWindowEvents::windowDidDeminiaturize(bool zoomed) {
    PostEvent(zoomed ? Event_MaximizeWindow : Event_RestoreWindow, WindowID, WindowID, 0);
}

void KSWindowEvents::windowShouldZoom(bool larger) {
    ZoomEvent = larger ? Event_MaximizeWindow : Event_RestoreWindow;
}

// --- Gadget lists --------------------------------------------------------------------------------

KSGadgetList::KSGadgetList(KSWidget* window)
    : TopWindow(window), TopView(ContentViewOf(window)), Views(ViewStackStep, nullptr),
      StackSize(ViewStackStep), StackIndex(0) {}

void KSGadgetList::push(KSWidget* view) {
    if (StackIndex >= StackSize) {
        StackSize += ViewStackStep;
        Views.resize(static_cast<size_t>(StackSize), nullptr);
    }
    Views[static_cast<size_t>(StackIndex++)] = TopView;
    TopView = view;
}

void KSGadgetList::pop() {
    if (StackIndex < 1) {
        StackIndex = 0;
        TopView = ContentViewOf(TopWindow);
        return;
    }
    StackIndex--;
    TopView = Views[static_cast<size_t>(StackIndex)];
    Views[static_cast<size_t>(StackIndex)] = nullptr;
}

KSGadgetList* KSGadgetList::currentList() {
    return ListState ? ListState->current : nullptr;
}

KSWidget* KSGadgetList::currentWindow() {
    KSGadgetList* list = currentList();
    return list ? list->TopWindow : nullptr;
}

KSWidget* KSGadgetList::currentView() {
    KSGadgetList* list = currentList();
    return list ? list->TopView : nullptr;
}

KSGadgetList* KSGadgetList::listFromWindow(KSWidget* window) {
    if (!ListState)
        return nullptr;
    for (KSGadgetList* list : *ListState->lists) {
        if (list->TopWindow == window)
            return list;
    }
    return nullptr;
}

KSWidget* KSGadgetList::setWindow(KSWidget* window) {
    if (!ListState)
        return nullptr;
    KSWidget* previous = currentWindow();
    KSGadgetList* list = listFromWindow(window);
    if (!list) {
        list = new KSGadgetList(window);
        ListState->lists->push_back(list);
    }
    ListState->current = list;
    return previous;
}

void KSGadgetList::removeWindow(KSWidget* window) {
    KSGadgetList* list = listFromWindow(window);
    if (!list)
        return;
    if (ListState->current == list)
        ListState->current = nullptr;
    auto& lists = *ListState->lists;
    lists.erase(std::find(lists.begin(), lists.end(), list));
    delete list;
}

// --- Menus ---------------------------------------------------------------------------------------

// No command of this program creates a menu; the registry only has to free what a window
// would own.
void FreeMenu(int64_t number) {
    if (number == AllObjects) {
        FreeAllObjects(MenuRegistry);
        return;
    }
    if (GetObject(MenuRegistry, number))
        FreeObject(MenuRegistry, number);
}
