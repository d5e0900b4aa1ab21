// The kinds of sample package the tool opens, and the open dialog's filter built from them.
#pragma once

#include "runtime/core/lists/lists.h"

// Element of FileTypes; both fields are strings.
struct FileType {
    char16_t* Description; // e.g. "Marrowvale music"
    char16_t* Pattern;     // e.g. "*.mus"
};

// The registered kinds, in registration order.
extern KS_ListObject FileTypes;
// "description (pattern)|pattern;PATTERN;|...|All supported formats|..." for the dialog.
extern char16_t* PatternFilter;

// Appends a kind to FileTypes; checks nothing.
void AddFileType(const char16_t* pattern, const char16_t* description);
// Start step: builds FileTypes with the three package kinds, then PatternFilter.
void InitFileTypes();
