// A sound made into a package record: converted to the record's rate with the
// high-quality resampler, brought to a loudness when asked, rounded and clamped to 16
// bits, encoded, and decoded again for the preview of what the game will play.
#pragma once

#include "app/decode/adpcm_encode.h"
#include "app/decode/wav_image.h"

#include <climits>
#include <cstdint>
#include <string>
#include <vector>

// Most samples one record can give back whole: its WAV image (4 bytes per code byte, two
// samples per code byte, plus the header) must stay within the 32-bit data size.
constexpr int64_t MaxRecordSamples = 2 * ((INT32_MAX - WavHeaderSize) / 4);
// Rate a record gets when the source's does not fit the 16-bit rate word, in Hz.
constexpr int64_t FallbackRate = 44100;

// The samples of a source at rate, from sourceFrames frames at sourceRate: -1 when the
// source's length is unknown.
int64_t ConvertedLength(int64_t sourceFrames, int64_t sourceRate, int64_t rate);

// mono at sourceRate, converted to rate (the same samples when the rates agree), scaled by
// gain, rounded to 16 bits; clipped counts the samples clamped to the 16-bit range.
// Empty on success, else the reason.
std::string ToRecordSamples(const std::vector<float>& mono, int64_t sourceRate, int64_t rate,
                            double gain, std::vector<int16_t>& samples, int64_t& clipped);

// Integrated loudness (EBU R 128) of mono 16-bit samples at rate, in LUFS; -HUGE_VAL for
// silence or a sound shorter than one 400 ms block.
double IntegratedLoudness(const int16_t* samples, int64_t count, int64_t rate);

// What a record's encoding will sound like.
struct RecordPreview {
    int64_t rate = 0;    // Hz
    int64_t samples = 0; // before the padding of an odd count
    int64_t clipped = 0;
    double snr = 0; // round trip in dB; +HUGE_VAL when exact
};

// Appends the record of samples at rate, with the codes encoder chooses, to package and
// fills preview.rate, samples and snr from the decoded record. False (nothing appended)
// when it is too long for a record, or when an interruption (Ctrl+C) came during the
// search, which it honours within some 40 ms.
bool EncodeRecord(const std::vector<int16_t>& samples, int64_t rate, std::vector<uint8_t>& package,
                  RecordPreview& preview, AdpcmEncoder encoder = AdpcmEncoder::Search);
