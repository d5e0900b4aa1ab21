#include "app/file_types.h"

#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"

KS_ListObject FileTypes = {nullptr, nullptr};
char16_t* PatternFilter = nullptr;

namespace {

// Both fields are strings, so removing an element frees them.
const int64_t FileTypeMap[] = {0, 8, MapEnd};

FileType* CurrentFileType() {
    return static_cast<FileType*>(ListElementData(FileTypes.current));
}

// Appends "pattern;PATTERN;" to the expression under construction.
void AppendPatternList(const FileType* type) {
    LCase(type->Pattern, TempOffset);
    TempAppend(u";");
    UCase(type->Pattern, TempOffset);
    TempAppend(u";");
}

void BuildPatternFilter() {
    TempExpression filter;
    ResetList(FileTypes.list);
    while (NextElement(FileTypes.list)) {
        const FileType* type = CurrentFileType();
        TempAppend(type->Description);
        TempAppend(u" (");
        TempAppend(type->Pattern);
        TempAppend(u")|");
        AppendPatternList(type);
        TempAppend(u"|");
    }
    TempAppend(u"All supported formats|");
    ResetList(FileTypes.list);
    while (NextElement(FileTypes.list))
        AppendPatternList(CurrentFileType());
    filter.StoreInto(&PatternFilter);
}

} // namespace

void AddFileType(const char16_t* pattern, const char16_t* description) {
    // Private copies: the arguments may be the caller's variables or expression results.
    char16_t* patternCopy = nullptr;
    char16_t* descriptionCopy = nullptr;
    StringDuplicate(&patternCopy, pattern);
    StringDuplicate(&descriptionCopy, description);
    if (auto* type = static_cast<FileType*>(AddElement(FileTypes.list))) {
        StringAssign(&type->Description, descriptionCopy);
        StringAssign(&type->Pattern, patternCopy);
    }
    StringFree(patternCopy);
    StringFree(descriptionCopy);
}

void InitFileTypes() {
    FreeList(FileTypes.list);
    NewList(sizeof(FileType), &FileTypes, FileTypeMap, 0);
    AddFileType(u"*.mus", u"Marrowvale music");
    AddFileType(u"*.svl", u"Marrowvale speech");
    AddFileType(u"*.sel", u"Marrowvale sounds");
    BuildPatternFilter();
}
