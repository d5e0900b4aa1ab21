// The main window: the sample list, the four buttons, the status bar, the event loop that
// turns their events into the four commands, and the commands themselves.
#pragma once

#include <cstdint>

// Gadgets of window 0.
constexpr int64_t SampleListGadget = 0;
constexpr int64_t DecodeGadget = 1;
constexpr int64_t PlayGadget = 2;
constexpr int64_t StopGadget = 3;
constexpr int64_t SaveGadget = 4;

// The kind of the last event, and 1 once the window was closed.
extern int32_t Event;
extern int32_t Quit;
// Directories remembered for the open and save dialogs; empty until a first choice.
extern char16_t* PackageDir;
extern char16_t* SaveDir;

// The one line shown in the status bar until a package is chosen.
extern const char16_t CreditText[];

// Start step: PackageFile holds the credit text.
void InitPackageFile();
// Last start step: builds window 0 and runs the event loop until the window is closed.
void RunMainWindow();

void OpenMainWindow();
// One pass of the event loop: waits for an event (timeout in ms, below 0: for ever) and
// dispatches it.
void HandleNextEvent(int32_t timeout = -1);

void UpdateControls();
void PlaySample();
void OpenPackage();
void SaveSample();
