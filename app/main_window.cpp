// Window 0, its gadgets and status bar, and the event loop.
#include "app/main_window.h"

#include "app/decode/package_reader.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadgets.h"
#include "runtime/gui/statusbar/statusbar.h"
#include "runtime/gui/windows/windows.h"
#include "runtime/sound/sound.h"

int32_t Event = 0;
int32_t Quit = 0;
char16_t* PackageDir = nullptr;
char16_t* SaveDir = nullptr;

const char16_t CreditText[] = u"Written by the Marrowvale Sound Decoder team";

namespace {

constexpr int64_t MainWindow = 0;
constexpr int64_t MainStatusBar = 0;
constexpr int32_t MainWindowFlags = 0x60; // titled, closable, minimisable; centred

// Return with no modifier plays the selected sample.
constexpr int32_t ReturnKey = 13;
constexpr int32_t PlayMenuItem = 1;

} // namespace

void InitPackageFile() {
    StringAssign(&PackageFile, CreditText);
}

void OpenMainWindow() {
    const int64_t window =
        OpenWindow(MainWindow, 0, 0, 390, 292, u"Marrowvale Sound Decoder V0.12", MainWindowFlags);
    ListViewGadget(SampleListGadget, 10, 10, 180, 251);
    ButtonGadget(DecodeGadget, 200, 10, 180, 28, u"Decode sample package...");
    ButtonGadget(PlayGadget, 200, 201, 88, 28, u"Play");
    ButtonGadget(StopGadget, 292, 201, 88, 28, u"Stop");
    ButtonGadget(SaveGadget, 200, 233, 180, 28, u"Save sample as WAV...");
    AddKeyboardShortcut(MainWindow, ReturnKey, PlayMenuItem);
    CreateStatusBar(MainStatusBar, window);
    AddStatusBarField(500);
    UpdateControls();
}

void UpdateControls() {
    const int32_t noSelection = GetGadgetState(SampleListGadget) == -1 ? 1 : 0;
    DisableGadget(PlayGadget, noSelection);
    DisableGadget(SaveGadget, noSelection);
    StatusBarText(MainStatusBar, 0, PackageFile);
}

void HandleNextEvent(int32_t timeout) {
    Event = static_cast<int32_t>(WaitWindowEvent(timeout));
    if (Event == Event_CloseWindow)
        Quit = 1;
    if (Event == Event_Gadget) {
        switch (EventGadget()) {
        case DecodeGadget:
            OpenPackage();
            break;
        case PlayGadget:
            PlaySample();
            break;
        case StopGadget:
            if (IsSound(0))
                StopSound(0);
            break;
        case SaveGadget:
            SaveSample();
            break;
        default:
            break;
        }
        UpdateControls();
    }
    if (Event == Event_Menu && EventMenu() == PlayMenuItem && GetGadgetState(SampleListGadget) >= 0)
        PlaySample();
}

void RunMainWindow() {
    OpenMainWindow();
    do {
        HandleNextEvent();
    } while (Quit == 0);
}

void PlaySample() {
    // With no row selected there is no sample to play (Return with an empty list).
    const int64_t row = GetGadgetState(SampleListGadget);
    if (row < 0 || !SelectElement(Samples.list, row))
        return;
    const SampleEntry* entry = CurrentSample();
    if (IsSound(0))
        StopSound(0);
    // A sample that cannot be loaded (a sound over an hour long, say) plays nothing rather
    // than the sound loaded before it.
    if (!CatchSound(0, entry->WavImage)) {
        FreeSound(0);
        return;
    }
    PlaySound(0);
}
