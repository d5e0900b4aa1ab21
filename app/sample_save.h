// Saving a sample from the window: the WAV file replaces the target only once it is
// complete, nothing bypasses the target's protection, and a failure is told with its
// reason.
#pragma once

#include "app/decode/package_reader.h"

#include <string>

struct SaveResult {
    std::string error;  // empty when the file was saved, else the reason
    std::string notice; // after a save: what of the old file's ownership could not be kept
};

// Writes the first DataSize + 44 bytes of the entry's image to path (UTF-8). The bytes
// go to a temporary file in the target's folder that is renamed over the target when
// complete, so that a failed save leaves no partial file and an existing file as it was;
// a symbolic link is followed to the file it names. An existing file that the user may
// not write, or that is not a regular file, is refused before anything is written; a
// replaced file keeps its mode, and its owner and group where the user may keep them.
// When the folder cannot take a new file but the file itself is writable, it is
// rewritten in place.
SaveResult SaveSampleSafely(const SampleEntry& entry, const std::string& path);
