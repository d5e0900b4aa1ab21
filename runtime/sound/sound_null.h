// An audio output without a device. Nothing calls the render callback by itself: whoever
// stands in for the device pulls the mix into a buffer of its own, as many bytes as it
// likes, so that what is played can be checked sample for sample and as fast as the
// machine goes. Tests of the sound library and of the window use it.
#pragma once

#include "runtime/sound/sound.h"

#include <cstdint>

const SoundPlatform* NullSoundPlatform();

// Renders byteCount bytes of the mix into buffer, as the device's callback would, when
// the null output is open and started; else leaves buffer alone. Returns the bytes
// rendered. The caller plays the audio thread: call it from one thread at a time. Like any
// output it comes to rest (0 bytes) once 8 pulls have gone by without a sound playing, at
// the library's next check (within 0.2 s), until the next PlaySound.
int64_t PullNullSound(uint8_t* buffer, int64_t byteCount);

// Whether the null output is open and started.
bool NullSoundRunning();
