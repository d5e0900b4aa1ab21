// Sample package decoding: the IMA ADPCM decoder with its two tables and the 44-byte WAV
// header that turns a run of decoded samples into a WAV image. Needs no window and no sound.
#pragma once

#include <cstdint>

// --- Decoder tables -------------------------------------------------------------------------

// Step-index adjustments by the 3 magnitude bits of a code (8 entries) and the 89 step
// sizes; arrays of the runtime (element 0; header before it), read-only after start-up.
extern int32_t* IndexTable;
extern int32_t* StepTable;

constexpr int IndexTableSize = 8;
constexpr int StepTableSize = 89;

// Creates both tables and fills them from the constant data.
void InitDecoderTables();

// --- Decoder ------------------------------------------------------------------------------

// Decoder state of one record: starts at 0/0 and runs on across the record's blocks.
struct AdpcmState {
    int32_t predictor = 0; // -32768 to 32767, also the last decoded sample
    int32_t stepIndex = 0; // 0 to 88
};

// One decoder step for a 4-bit code (bit 3 sign, bits 0-2 magnitude); returns the sample.
inline int32_t AdpcmDecodeStep(AdpcmState& state, uint32_t code, const int32_t* indexTable,
                               const int32_t* stepTable) {
    const uint32_t magnitude = code & 7;
    const int32_t step = stepTable[state.stepIndex];
    int32_t diff = step >> 3;
    if (magnitude & 4)
        diff += step;
    if (magnitude & 2)
        diff += step >> 1;
    if (magnitude & 1)
        diff += step >> 2;

    const int32_t index = state.stepIndex + indexTable[magnitude];
    state.stepIndex = index < 0 ? 0 : (index > 88 ? 88 : index);

    const int32_t predictor = (code & 8) ? state.predictor - diff : state.predictor + diff;
    state.predictor = predictor > 32767 ? 32767 : (predictor < -32768 ? -32768 : predictor);
    return state.predictor;
}

// Decodes byteCount code bytes (low nibble first, then high nibble) into 2 x byteCount
// signed 16-bit little-endian samples at out, which must have room for 4 x byteCount bytes.
void DecodeAdpcmBytes(AdpcmState& state, const uint8_t* codes, int64_t byteCount, uint8_t* out);

// --- WAV image ----------------------------------------------------------------------------

constexpr int64_t WavHeaderSize = 44;

// Writes the 44-byte header of a mono 16-bit PCM WAV file at image: sampleRate in Hz
// (its low 32 bits are stored), dataSize the bytes of samples that follow the header.
void WriteWavHeader(void* image, int64_t sampleRate, int32_t dataSize);
