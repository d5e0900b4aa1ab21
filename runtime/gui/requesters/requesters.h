// Requesters: the runtime's modal dialogs (a message box with up to three answer buttons,
// open, save and directory dialogs), and the file-system start command that makes the
// program's data folder the working directory.
//
// Path results are runtime strings written at byte position p of the temporary buffer
// (normally TempOffset); the empty string means the user cancelled.
#pragma once

#include <cstdint>

// --- Start and end commands -----------------------------------------------------------

// Makes the program's data folder its working directory: <exe dir>/../share/
// marrowvale-sound-decoder, found from /proc/self/exe (it runs before any Qt object
// exists). Leaves the working directory as it is when that folder cannot be found.
void InitFileSystem();
// Nothing to free: no file-system registry is ever created.
void EndFileSystem();

// --- Message box --------------------------------------------------------------------------

constexpr int32_t RequesterYesNo = 1;       // "Yes" (6) and "No" (7)
constexpr int32_t RequesterYesNoCancel = 2; // also "Cancel" (2)
constexpr int32_t RequesterYes = 6;
constexpr int32_t RequesterNo = 7;
constexpr int32_t RequesterCancel = 2;

// Shows title as the headline and text below it; 0 with only an OK button, else the code
// of the button pressed.
int32_t MessageRequester(const char16_t* title, const char16_t* text, int32_t flags = 0);

// --- File dialogs ---------------------------------------------------------------------------

constexpr int32_t RequesterMultiSelect = 1;

// pattern: "description|*.a;*.A;|description|..." pairs; patternPosition: the pair shown
// first (zero-based).
char16_t* OpenFileRequester(const char16_t* title, const char16_t* defaultFile,
                            const char16_t* pattern, int32_t patternPosition, int32_t flags,
                            int64_t p);
// The next path of the last multiple selection, or the empty string.
char16_t* NextSelectedFileName(int64_t p);
char16_t* SaveFileRequester(const char16_t* title, const char16_t* defaultFile,
                            const char16_t* pattern, int32_t patternPosition, int64_t p);
// A directory ending in "/", or the empty string.
char16_t* PathRequester(const char16_t* title, const char16_t* initialPath, int64_t p);
