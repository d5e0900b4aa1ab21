#include "tools/tool_startup.h"

#include "app/decode/adpcm.h"
#include "runtime/core/files/files.h"
#include "runtime/core/lists/lists.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "tools/package_load.h"

// The tool needs no window or image, and opens the audio output only to play: of the runtime only
// strings, arrays, lists, memory and files, in the order the runtime starts them. Its decoded
// samples live in a list of its own (package_load.h), freed first at the end. The working
// directory is the user's, so that relative paths on the command line mean what the shell meant.
const std::vector<LifecycleStep>& ToolStartupSteps() {
    static const std::vector<LifecycleStep> steps = {
        {"strings: locale", InitStringLocale},
        {"strings: temporary buffer", InitStringBuffer},
        {"arrays", InitArrays},
        {"lists", InitLists},
        {"memory", InitMemory},
        {"files", InitFiles},
        {"decoder tables", InitDecoderTables},
    };
    return steps;
}

const std::vector<LifecycleStep>& ToolShutdownSteps() {
    static const std::vector<LifecycleStep> steps = {
        {"samples", FreeLoadedSamples},
        {"files", EndFiles},
        {"memory", EndMemory},
        {"strings", EndStrings},
    };
    return steps;
}

void RunToolStartup(LifecycleTrace* trace) {
    RunLifecycleSteps(ToolStartupSteps(), trace);
}

void RunToolShutdown(LifecycleTrace* trace) {
    RunLifecycleSteps(ToolShutdownSteps(), trace);
}
