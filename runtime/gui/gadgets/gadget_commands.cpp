// The generic gadget commands: look the gadget up and hand the command to its functions
// object. A number that names no live gadget does nothing and yields 0 or the empty text.
#include "runtime/core/strings/strings.h"
#include "runtime/gui/gadgets/gadgets_internal.h"

ObjectRegistry* GadgetRegistry = nullptr;

namespace {

// Library state: nothing is kept per thread, the block exists for the start-up protocol.
void* GadgetState = nullptr;

// Registry free callback and FreeGadget(AllObjects) both land here.
void FreeGadgetCallback(int64_t gadget) {
    FreeGadget(gadget);
}

KSGadgetFunctions* FunctionsOf(int64_t gadget) {
    KS_GadgetStructure* record = FindGadget(gadget);
    return record ? record->Functions : nullptr;
}

} // namespace

void InitGadgets() {
    if (!GadgetRegistry) {
        GadgetRegistry = NewObjectRegistry(sizeof(KS_GadgetStructure), 16, FreeGadgetCallback);
    }
    if (!GadgetState) {
        GadgetState = NewLibraryState(8, nullptr, nullptr);
    }
    InitGadgetKeyHandler();
}

KS_GadgetStructure* FindGadget(int64_t gadget) {
    return static_cast<KS_GadgetStructure*>(GetObject(GadgetRegistry, gadget));
}

void FreeGadget(int64_t gadget) {
    if (gadget == AllObjects) {
        FreeAllObjects(GadgetRegistry);
        return;
    }
    KS_GadgetStructure* record = FindGadget(gadget);
    if (!record) {
        return;
    }
    KSWidget* container = record->Container;
    ReleaseGadget(gadget);
    DestroyGadgetContainer(container);
}

void ReleaseGadget(int64_t gadget) {
    KS_GadgetStructure* record = FindGadget(gadget);
    if (!record) {
        return;
    }
    MarkGadgetViewDestroyed(record->Gadget);
    KSGadgetFunctions* functions = record->Functions;
    if (functions) {
        functions->FreeGadget();
        delete functions;
    }
    FreeObject(GadgetRegistry, gadget);
}

int64_t IsGadget(int64_t gadget) {
    KS_GadgetStructure* record = FindGadget(gadget);
    return record ? reinterpret_cast<int64_t>(record->Gadget) : 0;
}

int64_t AddGadgetItem(int64_t gadget, int32_t position, const char16_t* text, int64_t image,
                      int32_t flags) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->AddGadgetItem(position, text, image, flags) : 0;
}

void RemoveGadgetItem(int64_t gadget, int32_t position) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->RemoveGadgetItem(position);
    }
}

void ClearGadgetItems(int64_t gadget) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->ClearGadgetItems();
    }
}

int64_t CountGadgetItems(int64_t gadget) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->CountGadgetItems() : 0;
}

void DisableGadget(int64_t gadget, int32_t state) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->DisableGadget(state);
    }
}

void HideGadget(int64_t gadget, int32_t state) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->HideGadget(state);
    }
}

int64_t GetGadgetState(int64_t gadget) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GetGadgetState() : 0;
}

void SetGadgetState(int64_t gadget, int64_t state) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->SetGadgetState(state);
    }
}

int64_t SetActiveGadget(int64_t gadget) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->ActivateGadget();
    }
    return 1;
}

char16_t* GetGadgetText(int64_t gadget, int64_t p) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GetGadgetText(p) : TempEmptyResult(p);
}

void SetGadgetText(int64_t gadget, const char16_t* text) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->SetGadgetText(text);
    }
}

char16_t* GetGadgetItemText(int64_t gadget, int32_t position, int32_t column, int64_t p) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GetGadgetItemText(position, column, p) : TempEmptyResult(p);
}

void SetGadgetItemText(int64_t gadget, int32_t position, const char16_t* text, int32_t column) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->SetGadgetItemText(position, text, column);
    }
}

int64_t GetGadgetItemState(int64_t gadget, int32_t position) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GetGadgetItemState(position) : 0;
}

void SetGadgetItemState(int64_t gadget, int32_t position, int64_t state) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->SetGadgetItemState(position, state);
    }
}

int64_t GetGadgetItemData(int64_t gadget, int32_t position) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GetGadgetItemData(position) : 0;
}

void SetGadgetItemData(int64_t gadget, int32_t position, int64_t value) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->SetGadgetItemData(position, value);
    }
}

int64_t GetGadgetColor(int64_t gadget, int32_t type) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GetGadgetColor(type) : 0;
}

void SetGadgetColor(int64_t gadget, int32_t type, int64_t color) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->SetGadgetColor(type, color);
    }
}

int64_t GetGadgetFont(int64_t gadget) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GetGadgetFont() : 0;
}

void SetGadgetFont(int64_t gadget, int64_t font) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->SetGadgetFont(font);
    }
}

void GadgetToolTip(int64_t gadget, const char16_t* text) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->GadgetToolTip(text);
    }
}

int64_t GadgetX(int64_t gadget, int32_t mode) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GadgetX(mode) : 0;
}

int64_t GadgetY(int64_t gadget, int32_t mode) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GadgetY(mode) : 0;
}

int64_t GadgetWidth(int64_t gadget) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GadgetWidth() : 0;
}

int64_t GadgetHeight(int64_t gadget) {
    KSGadgetFunctions* f = FunctionsOf(gadget);
    return f ? f->GadgetHeight() : 0;
}

void ResizeGadget(int64_t gadget, int32_t x, int32_t y, int32_t width, int32_t height) {
    if (KSGadgetFunctions* f = FunctionsOf(gadget)) {
        f->ResizeGadget(x, y, width, height);
    }
}
