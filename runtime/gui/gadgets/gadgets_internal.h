// Shared by the gadget sources: the portable rules of the kinds, and the hooks through
// which the portable command layer reaches the Qt side.
#pragma once

#include "runtime/gui/gadgets/gadgets.h"

#include <cstdint>

struct KS_List;

// --- Command layer <-> Qt glue ------------------------------------------------------------

// The live record of a gadget, or null.
KS_GadgetStructure* FindGadget(int64_t gadget);
// Tells a gadget view that its record is gone, so that its destruction does nothing more.
void MarkGadgetViewDestroyed(KSWidget* view);
// Takes the container out of its window and destroys it with its view.
void DestroyGadgetContainer(KSWidget* container);
// Installs the default button's Return in the key filter (once).
void InitGadgetKeyHandler();

// --- List view rows (portable) ------------------------------------------------------------

// One row: a private copy of its text and the value attached to it.
struct ListViewItem {
    char16_t* ItemText;
    int64_t ItemData;
};

// A new empty row list, or null when memory is short.
KS_List* NewListViewItems();
// Inserts a row: position below 0 or at/after the count appends, 0 inserts first, any
// other position puts the row there. Returns the row the item got, -1 when memory is short.
int64_t InsertListViewItem(KS_List* list, int32_t position, const char16_t* text,
                           ListViewItem** item);
// The item at a row, or null.
ListViewItem* ListViewItemAt(KS_List* list, int64_t row);
// Replaces an item's text with a copy of text.
void SetListViewItemText(ListViewItem* item, const char16_t* text);
// Removes the row; false when there is none.
bool RemoveListViewItem(KS_List* list, int64_t row);
void ClearListViewItems(KS_List* list);
// The first row whose text equals text, -1 when none does.
int64_t FindListViewItem(KS_List* list, const char16_t* text);

// --- Button rules (portable) --------------------------------------------------------------

// Bezel of a new button: rounded exactly at height 25, square otherwise.
int32_t BezelForNewButton(int32_t height);
// Bezel after a new frame: a rounded button leaves height 25 for good.
int32_t BezelAfterResize(int32_t bezel, int32_t height);
// Whether a button answers Return: the default flag, honoured only at height 25.
bool ButtonIsDefault(int32_t flags, int32_t height);

constexpr int32_t TitleAlign_Platform = 0;
constexpr int32_t TitleAlign_Left = 1;
constexpr int32_t TitleAlign_Right = 2;
// Left wins over right when both flags are given.
int32_t ButtonTitleAlignment(int32_t flags);
