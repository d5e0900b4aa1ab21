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

// Which encoder chooses the codes of a record.
enum class AdpcmEncoder {
    // The nearest code for each sample (AdpcmEncodeStep): fast, the IMA way.
    Greedy,
    // A beam search over decoder states for the least squared error of the whole record,
    // never worse than Greedy (AdpcmSearchEncode); a few tens of times slower.
    Search,
};

// Asked by a long encode between stretches of samples; true makes it end at once.
using AdpcmStopRequest = bool (*)();

// Encodes sampleCount samples from the start state 0/0 into (sampleCount + 1) / 2 code bytes
// at codes: sample 2k in the low nibble of byte k, sample 2k + 1 in its high nibble, an odd
// count's last high nibble 0. The codes are chosen by a beam search over the decoder state
// (predictor, step index) that scores each path by the squared error of the samples it
// decodes to, stepping exactly as the decoder does; when the greedy codes score better,
// they are written instead. Sets squaredError to the sum over the samples of (sample -
// decoded sample)^2 of the codes written. Returns 0 (writing nothing) when sampleCount is
// below 0 or at least 2^32, or when the search's working memory (about 100 KiB) cannot be
// allocated, else 1. stop, when given, is asked every 65536 samples (some 40 ms of work);
// when it answers true the encode returns 0 with squaredError unchanged and the codes
// incomplete.
int AdpcmSearchEncode(const int16_t* samples, int64_t sampleCount, uint8_t* codes,
                      uint64_t& squaredError, AdpcmStopRequest stop = nullptr);

// AppendPackageRecord with the codes of the given encoder; the same record layout, and the
// same result for AdpcmEncoder::Greedy. Returns 0 (appending nothing) when the record would
// not fit the format, the search cannot run or stop ended it, else 1.
int AppendPackageRecord(std::vector<uint8_t>& package, uint16_t sampleRate, const int16_t* samples,
                        int64_t sampleCount, AdpcmEncoder encoder, AdpcmStopRequest stop = nullptr);
