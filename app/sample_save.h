// Saving a sample from the window: the WAV file replaces the target only once it is
// complete, and a failure is told with its reason.
#pragma once

#include "app/decode/decode.h"

#include <string>

// Writes the first DataSize + 44 bytes of the entry's image to path (UTF-8). The bytes
// go to a temporary file in the target's folder that is renamed over the target when
// complete, so that a failed save leaves no partial file and an existing file as it was;
// a symbolic link is followed to the file it names, and an existing file keeps its mode.
// When the folder cannot take a new file but the file itself is writable, it is
// rewritten in place. Empty on success, else the reason.
std::string SaveSampleSafely(const SampleEntry& entry, const std::string& path);
