#include "app/startup.h"

#include "app/decode/adpcm.h"
#include "app/decode/package_reader.h"
#include "app/file_types.h"
#include "app/main_window.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/maps/maps.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "runtime/gui/application/application.h"
#include "runtime/gui/events/events.h"
#include "runtime/gui/gadgets/gadgets.h"
#include "runtime/gui/requesters/requesters.h"
#include "runtime/gui/statusbar/statusbar.h"
#include "runtime/gui/windows/windows.h"
#include "runtime/image/image.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_sdl.h"

namespace {

// The default audio output. Without one (no sound card) the program runs on silently:
// every sound command then does nothing.
void StartSound() {
    SetSoundPlatform(SdlSoundPlatform());
    InitSound();
}

} // namespace

// The start commands keep the runtime's fixed order; a library that is not part of the
// program has no step. The decoder tables follow the runtime, the application's own
// start steps follow the tables.
const std::vector<LifecycleStep>& StartupSteps() {
    static const std::vector<LifecycleStep> steps = {
        {"strings: locale", InitStringLocale},
        {"file system", InitFileSystem},
        {"strings: temporary buffer", InitStringBuffer},
        {"arrays", InitArrays},
        {"lists", InitLists},
        {"gadgets", InitGadgets},
        {"memory", InitMemory},
        {"images", InitImages},
        {"windows", InitWindows},
        {"menus", InitMenus},
        {"application", InitApplication},
        {"maps", InitMaps},
        {"event queue", InitEvents},
        {"files", InitFiles},
        {"status bars", InitStatusBars},
        {"sound", StartSound},
        {"decoder tables", InitDecoderTables},
        {"samples list", InitSamples},
        {"package file", InitPackageFile},
        {"file types", InitFileTypes},
    };
    return steps;
}

const std::vector<LifecycleStep>& ShutdownSteps() {
    static const std::vector<LifecycleStep> steps = {
        {"sound", EndSound},        {"file system", EndFileSystem},  {"files", EndFiles},
        {"event queue", EndEvents}, {"application", EndApplication}, {"windows", EndWindows},
        {"images", EndImages},      {"memory", EndMemory},           {"strings", EndStrings},
    };
    return steps;
}

void RunStartup(LifecycleTrace* trace) {
    RunLifecycleSteps(StartupSteps(), trace);
}

void RunShutdown(LifecycleTrace* trace) {
    RunLifecycleSteps(ShutdownSteps(), trace);
}

int RunProgram() {
    RunStartup();
    RunMainWindow();
    RunShutdown();
    return 0;
}
