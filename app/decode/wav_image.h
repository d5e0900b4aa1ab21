// The WAV image of a decoded sample: a canonical 44-byte header of a mono 16-bit PCM WAV
// file, followed by the samples.
#pragma once

#include <cstdint>

constexpr int64_t WavHeaderSize = 44;

// Writes the 44-byte header of a mono 16-bit PCM WAV file at image: sampleRate in Hz
// (its low 32 bits are stored), dataSize the bytes of samples that follow the header.
void WriteWavHeader(void* image, int64_t sampleRate, int32_t dataSize);
