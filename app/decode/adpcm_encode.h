// IMA ADPCM encoding into the package layout: the reverse direction, for building
// packages. The encoder steps exactly as the decoder will, so what it scores is what plays.
#pragma once

#include "app/decode/adpcm.h"

#include <cstdint>
#include <vector>

// The 4-bit code whose decoding from state comes closest to sample, the way IMA encoders
// quantise; advances state exactly as the decoder will.
uint32_t AdpcmEncodeStep(AdpcmState& state, int32_t sample);

// Code bytes per block of a package written by this system.
constexpr int64_t PackageBlockCodeBytes = 2048;

// Appends one sample record to package: the 8-byte record header (rate word, PackedSize,
// channels 1, reserved 0) and blocks of up to 2048 code bytes, each with OutputBytes =
// 4 x NibbleBytes. The encoder state starts at 0/0 and runs on across blocks; an odd
// sample count gets one padding code 0. Returns 0 (appending nothing) when the record
// would not fit the format's 32-bit PackedSize, else 1.
int AppendPackageRecord(std::vector<uint8_t>& package, uint16_t sampleRate, const int16_t* samples,
                        int64_t sampleCount);
