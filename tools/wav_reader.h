// Reading the WAV files that pack encodes: a RIFF chunk walk that skips unknown chunks and
// pad bytes, checks every field it relies on, and never reads outside the given bytes.
// Only what a package record can hold faithfully is accepted: mono 16-bit integer PCM at
// 1 to 65535 Hz.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct PcmWav {
    uint16_t sampleRate = 0;      // Hz
    std::vector<int16_t> samples; // mono
};

// Parses the size bytes at data into wav. Empty on success, else the reason the file is
// refused (for messages after the file's name).
std::string ParsePcmWav(const uint8_t* data, size_t size, PcmWav& wav);

// The samples the first data chunk declares (its size / 2), from the first bytes of a
// file, before the rest is read; -1 when they hold no RIFF WAVE form with a data chunk
// header, or the size is unknown (0 or 0xFFFFFFFF, as a program streaming the file
// writes it).
int64_t DeclaredSampleCount(const uint8_t* data, size_t size);
