// Start-up and shutdown of marrowvale-sounds: the runtime libraries it uses, in the
// runtime's fixed relative order, then the decoder tables and the sample list.
#pragma once

#include "app/startup.h"

#include <vector>

const std::vector<LifecycleStep>& ToolStartupSteps();
const std::vector<LifecycleStep>& ToolShutdownSteps();

// Run every step in order, appending each name to trace when one is given.
void RunToolStartup(LifecycleTrace* trace = nullptr);
void RunToolShutdown(LifecycleTrace* trace = nullptr);
