// The rows of a list view: a runtime list of ListViewItem, one element per row in row
// order. Each item owns a private copy of its text.
#include "runtime/core/lists/lists.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/gadgets/gadgets_internal.h"

KS_List* NewListViewItems() {
    return NewList(sizeof(ListViewItem), nullptr, nullptr, 0);
}

int64_t InsertListViewItem(KS_List* list, int32_t position, const char16_t* text,
                           ListViewItem** item) {
    if (!list) {
        return -1;
    }
    // Compared as 32-bit values, as the position arrives.
    const int64_t count = ListSize(list);
    int64_t row = position;
    if (position < 0 || position >= count) {
        LastElement(list); // O(1): no walk to the end
        row = count;
    } else if (position == 0) {
        ResetList(list);
    } else {
        SelectElement(list, position - 1);
    }
    auto* added = static_cast<ListViewItem*>(AddElement(list));
    if (!added) {
        return -1;
    }
    added->ItemText = nullptr;
    added->ItemData = 0;
    StringDuplicate(&added->ItemText, text);
    if (item) {
        *item = added;
    }
    return row;
}

ListViewItem* ListViewItemAt(KS_List* list, int64_t row) {
    if (!list || row < 0 || row >= ListSize(list)) {
        return nullptr;
    }
    return static_cast<ListViewItem*>(SelectElement(list, row));
}

void SetListViewItemText(ListViewItem* item, const char16_t* text) {
    if (!item) {
        return;
    }
    char16_t* old = item->ItemText;
    item->ItemText = nullptr;
    StringDuplicate(&item->ItemText, text);
    StringFree(old);
}

bool RemoveListViewItem(KS_List* list, int64_t row) {
    ListViewItem* item = ListViewItemAt(list, row);
    if (!item) {
        return false;
    }
    StringFree(item->ItemText);
    item->ItemText = nullptr;
    DeleteElement(list, 0);
    return true;
}

void ClearListViewItems(KS_List* list) {
    if (!list) {
        return;
    }
    ResetList(list);
    // DeleteElement leaves no current element, so NextElement yields the new first item.
    while (auto* item = static_cast<ListViewItem*>(NextElement(list))) {
        StringFree(item->ItemText);
        item->ItemText = nullptr;
        DeleteElement(list, 0);
    }
}

int64_t FindListViewItem(KS_List* list, const char16_t* text) {
    if (!list) {
        return -1;
    }
    ResetList(list);
    int64_t row = 0;
    while (auto* item = static_cast<ListViewItem*>(NextElement(list))) {
        if (StringEqual(item->ItemText, text)) {
            return row;
        }
        ++row;
    }
    return -1;
}
