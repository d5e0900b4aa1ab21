#include "tools/interruption.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t Received = 0; // the signal's number, 0 while none came

struct sigaction OldInt, OldTerm, OldFileSize;
int Guards = 0;

void RecordInterruption(int signal) {
    if (Received != 0) {
        // Asked twice: stop now, the way the signal would have stopped the process.
        std::signal(signal, SIG_DFL);
        std::raise(signal);
        return;
    }
    Received = signal;
}

} // namespace

InterruptionGuard::InterruptionGuard() {
    if (Guards++ > 0)
        return;
    Received = 0;
    struct sigaction action {};
    action.sa_handler = RecordInterruption;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART; // a write in progress completes; the loop then stops
    sigaction(SIGINT, &action, &OldInt);
    sigaction(SIGTERM, &action, &OldTerm);
    // A write beyond the file size limit then fails with EFBIG like one on a full disk,
    // and is cleaned up, instead of ending the process in the middle of it.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGXFSZ, &ignore, &OldFileSize);
}

InterruptionGuard::~InterruptionGuard() {
    if (--Guards > 0)
        return;
    sigaction(SIGINT, &OldInt, nullptr);
    sigaction(SIGTERM, &OldTerm, nullptr);
    sigaction(SIGXFSZ, &OldFileSize, nullptr);
    Received = 0;
}

bool Interrupted() {
    return Received != 0;
}

int InterruptedStatus() {
    return 128 + static_cast<int>(Received);
}
