// The audio output of the library, and the watcher thread that rests it while nothing plays.
//
// A running output costs CPU even when it only plays silence: the device's thread wakes for
// every buffer (about every 12 ms) and a sound server keeps the sink busy. So the output is
// stopped once no channel has played for a while, and started again by the next Play. The
// render callback takes no lock and so cannot stop the output itself; the watcher notices
// instead. It checks every RestCheckInterval while the output runs and sleeps on a condition
// variable while it rests. One mutex orders the platform's Start and Stop between the
// watcher and the main thread, so that a Play always finds the output running once it has
// started its channel, and the watcher never stops it under a channel that was just started.
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_internal.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

#include <pthread.h>

namespace {

// Ten checks a second: the output rests 0.1 to 0.3 s after the last sound has ended, and the
// checks cost a few microseconds a second while it runs.
constexpr std::chrono::milliseconds RestCheckInterval{100};

struct AudioOutput {
    const SoundPlatform* platform = nullptr;
    void* handle = nullptr; // the open output, or null; changed by the main thread alone
    std::mutex lock;        // guards the members below and the platform's Start and Stop
    std::condition_variable wake;
    std::thread watcher;
    bool resting = false;   // stopped by the watcher; started again by the next Play
    bool ending = false;    // the watcher is to return
    int64_t quietFrom = -1; // completed passes when first seen with no channel playing, or -1
};

// Never destroyed: a program that exits without EndSound must not destroy a running
// watcher's thread object, mutex or condition variable under it.
AudioOutput& Output = *new AudioOutput;

// RestOutputIfQuiet with the lock held.
bool RestIfQuiet() {
    if (Output.resting) {
        return true;
    }
    if (AnyChannelPlaying()) {
        Output.quietFrom = -1;
        return false;
    }
    const int64_t passes = CompletedRenderPasses();
    if (Output.quietFrom < 0) {
        Output.quietFrom = passes;
        return false;
    }
    if (passes - Output.quietFrom < QuietPassesBeforeRest) {
        return false;
    }
    Output.platform->Stop(Output.handle);
    CountOutputStopAsPass();
    Output.resting = true;
    return true;
}

void Watch() {
    // Named, so that a listing of the program's threads tells what it is.
    pthread_setname_np(pthread_self(), "sound watcher");
    std::unique_lock<std::mutex> hold(Output.lock);
    while (!Output.ending) {
        if (Output.resting) {
            Output.wake.wait(hold);
        } else if (!RestIfQuiet()) {
            Output.wake.wait_for(hold, RestCheckInterval);
        }
    }
}

} // namespace

void SetSoundPlatform(const SoundPlatform* platform) {
    // The open output must be closed through the table that opened it.
    if (Output.handle == nullptr) {
        Output.platform = platform;
    }
}

void* OpenAudioOutput() {
    const SoundPlatform* platform = Output.platform;
    if (platform == nullptr) {
        return nullptr;
    }
    void* output = platform->Open();
    if (output == nullptr) {
        return nullptr;
    }
    if (!platform->Start(output)) {
        platform->Close(output);
        return nullptr;
    }
    return output;
}

void CloseAudioOutput(void* output) {
    if (output != nullptr && Output.platform != nullptr) {
        Output.platform->Stop(output);
        Output.platform->Close(output);
    }
}

bool OpenLibraryOutput() {
    void* handle = OpenAudioOutput();
    if (handle == nullptr) {
        return false;
    }
    // The watcher is not running: these need no lock.
    Output.handle = handle;
    Output.resting = false;
    Output.ending = false;
    Output.quietFrom = -1;
    try {
        Output.watcher = std::thread(Watch);
    } catch (const std::system_error&) {
        // Without a thread to spare the output keeps running, as it would without resting.
    }
    return true;
}

void CloseLibraryOutput() {
    if (Output.handle == nullptr) {
        return;
    }
    {
        const std::lock_guard<std::mutex> hold(Output.lock);
        Output.ending = true;
    }
    Output.wake.notify_all();
    if (Output.watcher.joinable()) {
        Output.watcher.join();
    }
    if (!Output.resting) {
        Output.platform->Stop(Output.handle);
    }
    Output.platform->Close(Output.handle);
    Output.handle = nullptr;
}

bool StartChannelAwake(int64_t number, const uint8_t* data, uint32_t size, int32_t volume) {
    const std::lock_guard<std::mutex> hold(Output.lock);
    Output.quietFrom = -1;
    if (!StartChannel(number, data, size, volume)) {
        return false;
    }
    if (!Output.resting) {
        return true;
    }
    // The channel is set before the output starts, so that its very first pass mixes it.
    if (!Output.platform->Start(Output.handle)) {
        StopChannels(number);
        // The output rests: no pass can have read the channel, nor any stopped before.
        ForgetStoppedChannels();
        return false;
    }
    Output.resting = false;
    Output.wake.notify_one();
    return true;
}

bool RestOutputIfQuiet() {
    const std::lock_guard<std::mutex> hold(Output.lock);
    return Output.handle != nullptr && RestIfQuiet();
}

bool SoundOutputRests() {
    const std::lock_guard<std::mutex> hold(Output.lock);
    return Output.handle != nullptr && Output.resting;
}
