// Start-up and shutdown of the program: the runtime libraries' start commands in their
// fixed order, the decoder tables, the application's own start steps, and the end
// commands in their own order.
#pragma once

#include <string>
#include <vector>

// A named step of the program's life; the names make the order observable.
struct LifecycleStep {
    const char* name;
    void (*run)();
};

// Names of the steps as they ran, for tests and diagnostics.
using LifecycleTrace = std::vector<std::string>;

// Runs every step in order, appending each name to trace when one is given.
inline void RunLifecycleSteps(const std::vector<LifecycleStep>& steps, LifecycleTrace* trace) {
    for (const LifecycleStep& step : steps) {
        if (trace)
            trace->push_back(step.name);
        step.run();
    }
}

// The steps this program runs, in order.
const std::vector<LifecycleStep>& StartupSteps();
const std::vector<LifecycleStep>& ShutdownSteps();

// Run every step in order, appending each name to trace when one is given. Start-up
// stops short of the main window, which RunProgram opens.
void RunStartup(LifecycleTrace* trace = nullptr);
void RunShutdown(LifecycleTrace* trace = nullptr);

// The program's whole life: start-up, the main window until it is closed, shutdown.
// Always 0, the exit status.
int RunProgram();
