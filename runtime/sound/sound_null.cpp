#include "runtime/sound/sound_null.h"

#include <atomic>

namespace {

// 0 closed, 1 open, 2 open and started. Atomic: the puller may be another thread.
std::atomic<int> State{0};

void* NullOpen() {
    State = 1;
    return &State;
}

int NullStart(void*) {
    State = 2;
    return 1;
}

void NullStop(void*) {
    State = 1;
}

void NullClose(void*) {
    State = 0;
}

const SoundPlatform NullPlatform{NullOpen, NullStart, NullStop, NullClose};

} // namespace

const SoundPlatform* NullSoundPlatform() {
    return &NullPlatform;
}

int64_t PullNullSound(uint8_t* buffer, int64_t byteCount) {
    if (State != 2 || byteCount <= 0)
        return 0;
    RenderAudio(nullptr, buffer, byteCount);
    return byteCount;
}

bool NullSoundRunning() {
    return State == 2;
}
