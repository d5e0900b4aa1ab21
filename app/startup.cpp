#include "app/startup.h"

#include "app/decode/decode.h"
#include "runtime/core/memory/memory.h"
#include "runtime/core/strings/strings.h"
#include "runtime/image/image.h"

namespace {

void RunSteps(const std::vector<LifecycleStep>& steps, LifecycleTrace* trace) {
    for (const LifecycleStep& step : steps) {
        if (trace)
            trace->push_back(step.name);
        step.run();
    }
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
        {"memory", InitMemory},
        {"images", InitImages},
        {"decoder tables", InitDecoderTables},
    };
    return steps;
}

const std::vector<LifecycleStep>& ShutdownSteps() {
    static const std::vector<LifecycleStep> steps = {
        {"images", EndImages},
        {"memory", EndMemory},
        {"strings", EndStrings},
    };
    return steps;
}

void RunStartup(LifecycleTrace* trace) { RunSteps(StartupSteps(), trace); }

void RunShutdown(LifecycleTrace* trace) { RunSteps(ShutdownSteps(), trace); }
