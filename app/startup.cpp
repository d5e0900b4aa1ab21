#include "app/startup.h"

#include "app/decode/decode.h"
#include "app/file_types.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "runtime/image/image.h"
#include "runtime/sound/sound.h"

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
        {"strings: temporary buffer", InitStringBuffer},
        {"arrays", InitArrays},
        {"lists", InitLists},
        {"memory", InitMemory},
        {"images", InitImages},
        {"files", InitFiles},
        {"sound", StartSound},
        {"decoder tables", InitDecoderTables},
        {"samples list", InitSamples},
        {"file types", InitFileTypes},
    };
    return steps;
}

const std::vector<LifecycleStep>& ShutdownSteps() {
    static const std::vector<LifecycleStep> steps = {
        {"sound", EndSound},   {"files", EndFiles},     {"images", EndImages},
        {"memory", EndMemory}, {"strings", EndStrings},
    };
    return steps;
}

void RunStartup(LifecycleTrace* trace) {
    RunLifecycleSteps(StartupSteps(), trace);
}

void RunShutdown(LifecycleTrace* trace) {
    RunLifecycleSteps(ShutdownSteps(), trace);
}
