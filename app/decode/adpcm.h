// The IMA ADPCM decoder: its two constant tables, the fused table the fast kernel runs on,
// the decoder state and one step. A record's codes decode from the start state; the
// state runs on across its blocks.
#pragma once

#include <cstdint>

// Step-index adjustments by the 3 magnitude bits of a code (8 entries) and the 89 step
// sizes; arrays of the runtime (element 0; header before it), read-only after start-up.
extern int32_t* IndexTable;
extern int32_t* StepTable;

constexpr int IndexTableSize = 8;
constexpr int StepTableSize = 89;

// Creates both tables, fills them from the constant data and builds FusedStepTable.
void InitDecoderTables();

// The decoder step fused into one table of 89 rows (step indexes) x 16 codes, derived
// from IndexTable and StepTable at start-up; 11 KiB, so that it stays in the L1 cache.
// Entry [16 x row + code] says where the code leads and what it adds to the predictor.
struct FusedStep {
    // Byte offset of the next row in the table: FusedRowBytes x the new step index. A
    // byte offset lets the next load add it to a base without scaling, which keeps the
    // step-index chain at one plain load per code.
    uint32_t next;
    // The signed difference in two halves of the same sign (diff[0] = floor(d / 2)),
    // each within 16 bits: two saturating 16-bit additions clamp like the reference.
    int16_t diff[2];
};
constexpr int FusedRowBytes = 16 * sizeof(FusedStep);
constexpr int FusedStepTableSize = StepTableSize * 16;
extern FusedStep FusedStepTable[FusedStepTableSize];

// Rebuilds FusedStepTable from IndexTable and StepTable (InitDecoderTables calls it).
void BuildFusedStepTable();

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
// The fast kernel on FusedStepTable: the same samples and end state as AdpcmDecodeStep
// from any state in range (a step index outside 0 to 88 is taken as the nearest limit).
void DecodeAdpcmBytes(AdpcmState& state, const uint8_t* codes, int64_t byteCount, uint8_t* out);
// The same on plain integers, for processors without 16-bit saturating vector adds; the
// fast kernel is this one where they are missing.
void DecodeAdpcmBytesScalar(AdpcmState& state, const uint8_t* codes, int64_t byteCount,
                            uint8_t* out);
