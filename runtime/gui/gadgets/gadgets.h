// Gadgets: numbered controls inside a window. Each gadget is a platform view (with the
// container that is moved and sized), held here as a KSWidget handle; a functions object
// that carries out every gadget command for its kind; and a record in the gadget registry.
// The generic commands look the gadget up by number and call the matching virtual method,
// so each kind overrides only what it does differently. Kinds: list views and buttons.
//
// Texts cross this interface as runtime strings; text results come back through the
// temporary buffer at byte position p (normally TempOffset), as the string functions do.
//
// Main thread only. Typed access to the views is in gadgets_qt.h.
#pragma once

#include "runtime/core/objects/objects.h"

#include <cstdint>

struct KSWidget; // a platform widget, see windows.h
class KSGadgetFunctions;

// --- Gadget records -----------------------------------------------------------------------

constexpr int32_t GadgetType_Button = 1;
constexpr int32_t GadgetType_ListView = 6;

struct KS_GadgetStructure {
    // The control; the record's live marker. One member per kind that the view can be
    // (this system makes Button and ListView).
    union {
        KSWidget* Gadget;
        KSWidget* Control;
        KSWidget* Button;
        KSWidget* Text;
        KSWidget* String;
        KSWidget* Progress;
        KSWidget* Image;
        KSWidget* Box;
        KSWidget* Popup;
        KSWidget* Combo;
        KSWidget* TextView;
        KSWidget* Calendar;
        KSWidget* Panel;
        KSWidget* TrackBar;
        KSWidget* ScrollBar;
        KSWidget* ListView;
        KSWidget* ListIcon;
        KSWidget* Splitter;
        KSWidget* Spin;
        KSWidget* Frame;
        KSWidget* Web;
        KSWidget* HyperLink;
        KSWidget* Tree;
        KSWidget* ExplorerList;
        KSWidget* ScrollArea;
        KSWidget* Option;
        KSWidget* Date;
        KSWidget* Shortcut;
        KSWidget* Scintilla;
        KSWidget* Canvas;
    };
    KSWidget* Container;          // what sits in the window and is moved, sized and hidden
    KSGadgetFunctions* Functions; // owned by the record
    int64_t Spare;                // always 0
    int64_t WindowID;             // window whose gadget list the gadget was created in
    int32_t GadgetType;
    int32_t GadgetFlags;
};

extern ObjectRegistry* GadgetRegistry;

// Start command: the gadget registry, the empty library state and the default-button key
// handler. The registry lives as long as the process; gadgets go with their windows.
void InitGadgets();

// --- Functions objects --------------------------------------------------------------------

// The base behaviour serves every kind; a kind overrides what it does differently.
// Methods that need a control (a view with an action, a value and a text) do nothing or
// return 0 on other views.
class KSGadgetFunctions {
public:
    KSGadgetFunctions() = default;
    KSGadgetFunctions(const KSGadgetFunctions&) = delete;
    KSGadgetFunctions& operator=(const KSGadgetFunctions&) = delete;
    virtual ~KSGadgetFunctions() = default;

    // Registers the gadget under number (AnyNumber: a dynamic id) and returns its record,
    // or null when the registry has no room.
    KS_GadgetStructure* setup(int64_t number, int32_t type, KSWidget* view, KSWidget* container,
                              int32_t flags);
    // Takes over an existing record (its previous functions object is deleted).
    void reuse(KS_GadgetStructure* record, int32_t type);
    void SendEvent(int32_t eventType);
    // The action of every control.
    virtual void EventHandler() { SendEvent(0); }

    virtual void FreeGadget() {}
    virtual void ActivateGadget();
    virtual void GadgetToolTip(const char16_t* text);
    virtual void HideGadget(int32_t state);
    virtual void DisableGadget(int32_t state);
    virtual int64_t GadgetX(int32_t mode);
    virtual int64_t GadgetY(int32_t mode);
    virtual int64_t GadgetWidth();
    virtual int64_t GadgetHeight();
    virtual void ResizeGadget(int32_t x, int32_t y, int32_t width, int32_t height);
    virtual void SetGadgetFont(int64_t font);
    virtual int64_t GetGadgetFont();
    virtual int64_t AddGadgetItem(int32_t, const char16_t*, int64_t, int32_t) { return 0; }
    virtual void RemoveGadgetItem(int32_t) {}
    virtual void ClearGadgetItems() {}
    virtual int64_t CountGadgetItems() { return 0; }
    virtual int64_t AddGadgetColumn(int32_t, const char16_t*, int32_t) { return 0; }
    virtual void RemoveGadgetColumn(int32_t) {}
    virtual void SetGadgetState(int64_t state);
    virtual int64_t GetGadgetState();
    virtual void SetGadgetItemState(int32_t, int64_t) {}
    virtual void SetGadgetItemImage(int32_t, int64_t) {}
    virtual int64_t GetGadgetItemState(int32_t) { return 0; }
    virtual void SetGadgetText(const char16_t* text);
    virtual char16_t* GetGadgetText(int64_t p);
    virtual void SetGadgetItemText(int32_t, const char16_t*, int32_t) {}
    virtual char16_t* GetGadgetItemText(int32_t position, int32_t column, int64_t p);
    virtual void SetGadgetAttribute(int32_t, int64_t) {}
    virtual int64_t GetGadgetAttribute(int32_t) { return 0; }
    virtual void SetGadgetColor(int32_t, int64_t) {}
    virtual int64_t GetGadgetColor(int32_t) { return 0; }
    virtual void SetGadgetItemData(int32_t, int64_t) {}
    virtual int64_t GetGadgetItemData(int32_t) { return 0; }

    int64_t GadgetID = 0;
    KS_GadgetStructure* Gadget = nullptr;
    int32_t isNSControl = 0;

protected:
    // Applies a new container frame (window content coordinates of its parent).
    virtual void applyFrame(int32_t x, int32_t y, int32_t width, int32_t height);
};

// --- Generic commands ---------------------------------------------------------------------
// Each does nothing and returns 0 (or the empty text) when the number names no live gadget.

int64_t AddGadgetItem(int64_t gadget, int32_t position, const char16_t* text, int64_t image = 0,
                      int32_t flags = 0);
void RemoveGadgetItem(int64_t gadget, int32_t position);
void ClearGadgetItems(int64_t gadget);
int64_t CountGadgetItems(int64_t gadget);
void DisableGadget(int64_t gadget, int32_t state);
void HideGadget(int64_t gadget, int32_t state);
// AllObjects frees every gadget.
void FreeGadget(int64_t gadget);
// Drops the record of a gadget whose view is going away; the view is left alone.
void ReleaseGadget(int64_t gadget);
int64_t IsGadget(int64_t gadget);
int64_t GetGadgetState(int64_t gadget);
void SetGadgetState(int64_t gadget, int64_t state);
// 1 whether or not the gadget exists.
int64_t SetActiveGadget(int64_t gadget);
char16_t* GetGadgetText(int64_t gadget, int64_t p);
void SetGadgetText(int64_t gadget, const char16_t* text);
char16_t* GetGadgetItemText(int64_t gadget, int32_t position, int32_t column, int64_t p);
void SetGadgetItemText(int64_t gadget, int32_t position, const char16_t* text, int32_t column = 0);
int64_t GetGadgetItemState(int64_t gadget, int32_t position);
void SetGadgetItemState(int64_t gadget, int32_t position, int64_t state);
int64_t GetGadgetItemData(int64_t gadget, int32_t position);
void SetGadgetItemData(int64_t gadget, int32_t position, int64_t value);
int64_t GetGadgetColor(int64_t gadget, int32_t type);
void SetGadgetColor(int64_t gadget, int32_t type, int64_t color);
int64_t GetGadgetFont(int64_t gadget);
void SetGadgetFont(int64_t gadget, int64_t font);
void GadgetToolTip(int64_t gadget, const char16_t* text);
// Modes: 0 in the parent view, 1 on the screen, 2 in the window's content view.
int64_t GadgetX(int64_t gadget, int32_t mode = 0);
int64_t GadgetY(int64_t gadget, int32_t mode = 0);
int64_t GadgetWidth(int64_t gadget);
int64_t GadgetHeight(int64_t gadget);
// IgnoreValue keeps a coordinate as it is.
void ResizeGadget(int64_t gadget, int32_t x, int32_t y, int32_t width, int32_t height);

// --- Kinds ----------------------------------------------------------------------------------

constexpr int32_t ListViewFlag_MultiSelect = 1;

// Returns the view for a numbered gadget, the dynamic id for AnyNumber, 0 on failure.
int64_t ListViewGadget(int64_t gadget, int32_t x, int32_t y, int32_t width, int32_t height,
                       int32_t flags = 0);

constexpr int32_t ButtonFlag_Right = 1;
constexpr int32_t ButtonFlag_Left = 2;
constexpr int32_t ButtonFlag_Toggle = 4;
constexpr int32_t ButtonFlag_Default = 8; // answers Return; only at height 25

int64_t ButtonGadget(int64_t gadget, int32_t x, int32_t y, int32_t width, int32_t height,
                     const char16_t* text, int32_t flags = 0);

// The two bezels a button can have: rounded only at height 25; square once resized away.
constexpr int32_t ButtonBezel_Rounded = 1;
constexpr int32_t ButtonBezel_Square = 2;
// The bezel of a button gadget, 0 for any other gadget.
int32_t ButtonGadgetBezel(int64_t gadget);
