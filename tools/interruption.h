// Ctrl+C and termination requests for the commands that write files. The handler only
// records the signal; the writing loops ask Interrupted() between steps, remove their
// temporary files themselves and report what was and was not written. A second request
// while the first is being honoured ends the process at once, as the default would.
#pragma once

// Catches SIGINT and SIGTERM, and ignores SIGXFSZ, while it exists; the previous
// handlers come back after it.
class InterruptionGuard {
public:
    InterruptionGuard();
    ~InterruptionGuard();
    InterruptionGuard(const InterruptionGuard&) = delete;
    InterruptionGuard& operator=(const InterruptionGuard&) = delete;
};

// True once SIGINT or SIGTERM arrived under a guard (and until the last guard ends).
bool Interrupted();

// The exit status for the signal that interrupted: 128 + its number (130 for Ctrl+C).
int InterruptedStatus();
