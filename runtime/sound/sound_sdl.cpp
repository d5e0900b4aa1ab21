// The audio output through SDL: the default playback device, opened in exactly the
// output format so that the callback never needs a conversion, with RenderAudio as its
// callback. Only SDL's audio subsystem is started.
#include "runtime/sound/sound_sdl.h"

#include <SDL.h>

#include <cstdint>

namespace {

// Frames per device buffer: about 12 ms at 44100 Hz, short enough for Play and Stop to
// feel immediate.
constexpr Uint16 DeviceBufferFrames = 512;

void SDLCALL DeviceCallback(void* userdata, Uint8* stream, int len) {
    RenderAudio(userdata, stream, len);
}

SDL_AudioDeviceID DeviceOf(void* output) {
    return static_cast<SDL_AudioDeviceID>(reinterpret_cast<uintptr_t>(output));
}

void* SdlOpen() {
    // Without this SDL would turn SIGINT and SIGTERM into quit events that nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        return nullptr;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = static_cast<int>(SoundOutputRate);
    wanted.format = AUDIO_S16LSB;
    wanted.channels = static_cast<Uint8>(SoundOutputChannels);
    wanted.samples = DeviceBufferFrames;
    wanted.callback = DeviceCallback;
    wanted.userdata = nullptr;
    SDL_AudioSpec obtained{};
    // No allowed changes: SDL converts behind the callback when the hardware differs.
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    return reinterpret_cast<void*>(static_cast<uintptr_t>(device));
}

int SdlStart(void* output) {
    SDL_PauseAudioDevice(DeviceOf(output), 0);
    return 1;
}

// Pausing takes the device lock, which the audio thread holds around each callback: once
// this returns no callback is running.
void SdlStop(void* output) {
    SDL_PauseAudioDevice(DeviceOf(output), 1);
}

void SdlClose(void* output) {
    SDL_CloseAudioDevice(DeviceOf(output));
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

const SoundPlatform SdlPlatform{SdlOpen, SdlStart, SdlStop, SdlClose};

} // namespace

const SoundPlatform* SdlSoundPlatform() {
    return &SdlPlatform;
}
