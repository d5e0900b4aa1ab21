// The audio output through SDL: the default playback device (library mv_sound_sdl).
#pragma once

#include "runtime/sound/sound.h"

const SoundPlatform* SdlSoundPlatform();
