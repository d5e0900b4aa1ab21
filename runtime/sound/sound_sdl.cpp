// The audio output through SDL: the default playback device, opened in exactly the
// output format so that the callback never needs a conversion, with RenderAudio as its
// callback. Only SDL's audio subsystem is started.
#include "runtime/sound/sound_sdl.h"

#include <SDL.h>

#include <cstdint>
#include <new>

namespace {

// Frames per device buffer: about 12 ms at 44100 Hz, short enough for Play and Stop to
// feel immediate.
constexpr Uint16 DeviceBufferFrames = 512;

void SDLCALL DeviceCallback(void* userdata, Uint8* stream, int len) {
    RenderAudio(userdata, stream, len);
}

// The open output: the subsystem stays started from Open to Close, the device is open
// only while the output runs.
struct SdlOutput {
    SDL_AudioDeviceID device; // 0 while stopped
};

// The default playback device, paused; 0 when it cannot be opened.
SDL_AudioDeviceID OpenDevice() {
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(SoundOutputRate);
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(SoundOutputChannels);
    wanted.samples = DeviceBufferFrames;
    wanted.callback = DeviceCallback;
    wanted.userdata = nullptr;
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts behind the callback when the hardware differs.
    return SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
}

// Opens the device once, so that a program without a usable device learns it at start-up.
void* SdlOpen() {
    // Without this SDL would turn SIGINT and SIGTERM into quit events that nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return nullptr;
    }
    const SDL_AudioDeviceID device = OpenDevice();
    auto* output = device != 0 ? new (std::nothrow) SdlOutput{device} : nullptr;
    if (output == nullptr) {
        if (device != 0) {
            SDL_CloseAudioDevice(device);
        }
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    return output;
}

// Opens the device again after a Stop, then lets it call back.
int SdlStart(void* output) {
    auto* sdl = static_cast<SdlOutput*>(output);
    if (sdl->device == 0) {
        sdl->device = OpenDevice();
    }
    if (sdl->device == 0) {
        return 0;
    }
    SDL_PauseAudioDevice(sdl->device, 0);
    return 1;
}

// Closes the device rather than pausing it: a paused device's thread still wakes for every
// buffer to play silence (about 3 ms of CPU a second) and holds the sound server's stream
// open. Closing joins that thread, so once this returns no callback is running.
void SdlStop(void* output) {
    auto* sdl = static_cast<SdlOutput*>(output);
    if (sdl->device != 0) {
        SDL_CloseAudioDevice(sdl->device);
        sdl->device = 0;
    }
}

void SdlClose(void* output) {
    SdlStop(output);
    delete static_cast<SdlOutput*>(output);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

const SoundPlatform SdlPlatform{SdlOpen, SdlStart, SdlStop, SdlClose};

} // namespace

const SoundPlatform* SdlSoundPlatform() {
    return &SdlPlatform;
}
